#include "ui/saveprefsform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "texts.h"

TSavePrefsForm::TSavePrefsForm(QWidget* parent) : QDialog(parent) {
  setObjectName("SavePrefsForm");
  auto* message = new QLabel(MarkupToHtml(QString::fromUtf8(texts::kSavePrefsMessage)), this);
  message->setObjectName("message");
  message->setTextFormat(Qt::RichText);
  message->setWordWrap(true);
  message->setTextInteractionFlags(Qt::TextSelectableByMouse);

  struct Choice {
    const char* caption;
    const char* hint;
    TSavePreferences mode;
  };
  auto* buttons = new QHBoxLayout;
  for (const Choice& choice :
       {Choice{texts::kSavePrefsNormal, texts::kSavePrefsNormalHint, TSavePreferences::spRegistre},
        Choice{texts::kSavePrefsPortable, texts::kSavePrefsPortableHint, TSavePreferences::spPortable},
        Choice{texts::kSavePrefsNone, texts::kSavePrefsNoneHint, TSavePreferences::spNone}}) {
    auto* button = new QPushButton(QString::fromUtf8(choice.caption), this);
    button->setObjectName(QString::fromUtf8(choice.caption));
    button->setToolTip(QString::fromUtf8(choice.hint).replace("\r\n", "\n"));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, mode = choice.mode] { Choose(mode); });
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message);
  layout->addLayout(buttons);
  setFixedWidth(460);
}

QString TSavePrefsForm::MarkupToHtml(const QString& markup) {
  QString html = markup.toHtmlEscaped();
  // Undo the escaping of the few tags the mark-up knows.
  html.replace("&lt;br&gt;", "<br>").replace("&lt;i&gt;", "<i>").replace("&lt;/i&gt;", "</i>");
  html.replace(QRegularExpression("&lt;size (\\d+)&gt;"), "<span style=\"font-size:\\1pt\">");
  html.replace("&lt;/size&gt;", "</span>");
  return html;
}

void TSavePrefsForm::Choose(TSavePreferences mode) {
  mode_ = mode;
  chosen_ = true;
  accept();
}

std::optional<TSavePreferences> TSavePrefsForm::Ask(const QString& caption) {
  setWindowTitle(caption);
  chosen_ = false;
  exec();
  return chosen_ ? std::optional(mode_) : std::nullopt;
}
