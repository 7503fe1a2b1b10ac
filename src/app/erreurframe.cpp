#include "app/erreurframe.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "help/mail.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr QSize kPanelSize(320, 446);

}  // namespace

TErreurFrame::TErreurFrame(QWidget& window) : QWidget(&window), window_(window) {
  setObjectName("ErreurFrame");
  setFixedSize(kPanelSize);
  setAutoFillBackground(true);
  QPalette face = palette();
  face.setColor(QPalette::Window, palette().color(QPalette::Button));
  setPalette(face);
  JvLabel1 = new QLabel(this);
  QFont title(QStringLiteral("Arial"));
  title.setPixelSize(16);
  title.setBold(true);
  JvLabel1->setFont(title);
  QPalette maroon = JvLabel1->palette();
  maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
  JvLabel1->setPalette(maroon);
  JvLabel1->move(16, 16);
  LinkEdit1 = new TLinkEdit(this);
  LinkEdit1->setGeometry(16, 56, 289, 281);
  FermerErreurBtn = new QPushButton(Text(texts::kErrorQuit), this);
  FermerErreurBtn->setGeometry(160, 392, 75, 25);
  connect(FermerErreurBtn, &QPushButton::clicked, this, [this] { FermerErreurBtnClick(); });
  terminate = [] { QCoreApplication::quit(); };
  openAddress = [](const QByteArray& address) { QDesktopServices::openUrl(QUrl::fromEncoded(address)); };
  LinkEdit1->OnMailClick = [this](const QString& address) {
    const QString body = Text(texts::kErrorMailBody).arg(text_) + (reportForMail ? reportForMail() : QString());
    openAddress(MailtoAddress(address, Text(texts::kErrorMailSubject).arg(fullTitle), body));
  };
  LinkEdit1->OnUrlClick = [this](const QString& address) { openAddress(address.toUtf8()); };
  hide();
}

void TErreurFrame::AfficherErreur(const QString& text, bool fatal) {
  fatal_ = fatal;
  text_ = text;
  const QString verdict = Text(fatal ? texts::kErrorFatal : texts::kErrorPotential);
  move(0, 0);
  windowSize_ = window_.size();
  JvLabel1->setText(Text(texts::kErrorSorry));
  JvLabel1->adjustSize();
  // The error's own text is shown as it is, never read as mark-up.
  QString shown = text;
  shown.replace('<', QStringLiteral("‹")).replace('\n', QStringLiteral("<br>"));
  LinkEdit1->SetRichText("<b><color navy>Tessivo</color></b>" + verdict + Text(texts::kErrorOnYourSystem) +
                         "<br><br><b>" + shown + "</b><br><br>" +
                         Text(texts::kErrorAdvice)
                             .arg(Text(texts::kContactAddress), QStringLiteral("Tessivo"),
                                  Text(texts::kHomePageAddress)));
  window_.resize(size());
  show();
  raise();
}

void TErreurFrame::FermerErreurBtnClick() {
  if (fatal_ && terminate) terminate();
  hide();
  window_.resize(windowSize_);
}
