#include "app/aproposframe.h"

#include <QDesktopServices>
#include <QUrl>

#include "help/mail.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TAproposFrame::TAproposFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("AproposFrame");
  setFixedSize(274, 400);
  JvLabel1 = new QLabel(this);
  QFont title(QStringLiteral("Arial"));
  title.setBold(true);
  JvLabel1->setFont(title);
  QPalette maroon = JvLabel1->palette();
  maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
  JvLabel1->setPalette(maroon);
  JvLabel1->move(8, 8);
  le1 = new TLinkEdit(this);
  le1->setGeometry(8, 40, 257, 273);
  le1->UrlColor = le1->MailColor = le1->LinkColor = Qt::black;
  QPalette face = le1->palette();
  face.setColor(QPalette::Base, palette().color(QPalette::Button));
  le1->setPalette(face);
  QFont small(QStringLiteral("Arial"));
  small.setPointSize(8);
  le1->setFont(small);
  leHome = new TLinkEdit(this);
  leHome->setGeometry(80, 320, 177, 25);
  leMail = new TLinkEdit(this);
  leMail->setGeometry(80, 368, 177, 25);
  for (TLinkEdit* box : {leHome, leMail}) {
    QPalette tip = box->palette();
    tip.setColor(QPalette::Base, palette().color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, QColor(0, 0, 128));
    box->setPalette(tip);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  for (TLinkEdit* box : {le1, leHome, leMail}) Links(*box);
  openAddress = [](const QByteArray& address) { QDesktopServices::openUrl(QUrl::fromEncoded(address)); };
  hide();
}

void TAproposFrame::Links(TLinkEdit& edit) {
  edit.setContextMenuPolicy(Qt::NoContextMenu);
  edit.OnMailClick = [this](const QString& address) {
    openAddress(MailtoAddress(address, Text(texts::kAppMailSubject).arg(fullTitle_),
                              reportForMail ? reportForMail() : QString()));
  };
  edit.OnUrlClick = [this](const QString& address) { openAddress(address.toUtf8()); };
  edit.OnMailHint = [](const QString& address) { return Text(texts::kAboutMailHint).arg(address); };
  edit.OnUrlHint = [](const QString& address) { return Text(texts::kAboutUrlHint).arg(address); };
}

void TAproposFrame::InitApropos(const QString& fullTitle, const QString& buildDate) {
  fullTitle_ = fullTitle;
  JvLabel1->setText(fullTitle);
  JvLabel1->adjustSize();
  leHome->SetRichText(Text(texts::kAboutHome).arg(Text(texts::kHomePageAddress), QStringLiteral("Tessivo")));
  leMail->SetRichText(Text(texts::kAboutMail).arg(Text(texts::kContactAddress), Text(texts::kAboutMaker)));
  le1->SetRichText("<i>" + Text(texts::kAboutCredits).arg(QStringLiteral("Tessivo"), Text(texts::kAboutMaker)) +
                   Text(texts::kAboutUpdated).arg(buildDate) + "<br><br>" +
                   Text(texts::kAboutSite).arg(Text(texts::kWebPageAddress)) + "<br><br>" +
                   Text(texts::kAboutMails).arg(Text(texts::kContactAddress)) + "</i>");
}
