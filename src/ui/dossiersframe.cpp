#include "ui/dossiersframe.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TPathEdit::TPathEdit(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  edit_ = new QLineEdit(this);
  edit_->setReadOnly(true);
  auto* button = new QToolButton(this);
  button->setObjectName("choose");
  button->setText("...");
  button->setToolTip(Text(texts::kFoldersChoose));
  row->addWidget(edit_, 1);
  row->addWidget(button);
  connect(button, &QToolButton::clicked, this, &TPathEdit::Choose);
}

QString TPathEdit::text() const { return edit_->text(); }

void TPathEdit::setText(const QString& text) {
  edit_->setText(text);
  edit_->setCursorPosition(0);
  emit changed(text);
}

void TPathEdit::Choose() {
  QString chosen;
  if (choose)
    chosen = choose(text());
  else if (kind_ == Kind::Folder)
    chosen = QFileDialog::getExistingDirectory(this, QString(), text());
  else
    chosen = QFileDialog::getOpenFileName(this, QString(), text());
  if (chosen.isEmpty()) return;
  // Folders keep the separator at their end, as the names are built.
  if (kind_ == Kind::Folder && !chosen.endsWith('/')) chosen += '/';
  emit this->chosen(chosen);
  setText(chosen);
}

TDossiersFrame::TDossiersFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("DossiersFrame");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  auto* title = new QGroupBox(Text(texts::kFoldersTitle), this);
  outer->addWidget(title);
  outer->addStretch();
  auto* groups = new QVBoxLayout(title);

  const auto naming = [&](const char* caption, const char* group, TPathEdit*& dir, QLineEdit*& root,
                          QCheckBox*& date, QLabel*& label, QToolButton*& open, const char* rootText,
                          const char* prefix) {
    auto* box = new QGroupBox(Text(caption), title);
    auto* grid = new QGridLayout(box);
    dir = new TPathEdit(TPathEdit::Kind::Folder, box);
    dir->setObjectName(QString::fromLatin1(prefix) + "DirEdit");
    if (group) dir->setToolTip(Text(group));
    root = new QLineEdit(Text(rootText), box);
    root->setObjectName(QString::fromLatin1(prefix) + "RacineEdit");
    root->setToolTip(Text(texts::kFoldersRootHint));
    date = new QCheckBox(Text(texts::kFoldersDateCaption), box);
    date->setObjectName(QStringLiteral("cb%1Date").arg(QString::fromLatin1(prefix)));
    date->setToolTip(Text(texts::kFoldersDateHint));
    label = new QLabel(box);
    label->setObjectName(QStringLiteral("Label%1").arg(QString::fromLatin1(prefix)));
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    open = new QToolButton(box);
    open->setObjectName(QStringLiteral("sb%1").arg(QString::fromLatin1(prefix)));
    open->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    open->setAutoRaise(true);
    grid->addWidget(dir, 0, 0, 1, 2);
    grid->addWidget(open, 0, 2);
    grid->addWidget(root, 1, 0);
    grid->addWidget(date, 1, 1, 1, 2);
    // The whole width for the next name; the full path is its hint.
    grid->addWidget(label, 2, 0, 1, 3);
    label->setMinimumWidth(1);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->setColumnStretch(0, 1);
    groups->addWidget(box);
  };
  naming(texts::kFoldersVideoGroup, texts::kFoldersVideoDirHint, VideoDirEdit, VideoRacineEdit, cbVideoDate,
         LabelVideo, sbVideo, "Video", "Video");
  cbVideoDate->setChecked(true);
  naming(texts::kFoldersImageGroup, nullptr, ImageDirEdit, ImageRacineEdit, cbImageDate, LabelImage, sbImage, "Image",
         "Image");

  const auto path = [&](const char* caption, TPathEdit::Kind kind, const char* name) {
    auto* box = new QGroupBox(Text(caption), title);
    auto* row = new QVBoxLayout(box);
    auto* edit = new TPathEdit(kind, box);
    edit->setObjectName(QString::fromLatin1(name));
    row->addWidget(edit);
    groups->addWidget(box);
    return edit;
  };
  feScenolog = path(texts::kFoldersScenologGroup, TPathEdit::Kind::File, "feScenolog");
  PlugInDirEdit = path(texts::kFoldersPluginGroup, TPathEdit::Kind::Folder, "PlugInDirEdit");
}

bool TDossiersFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == LabelVideo) emit LabelVideoClicked();
    if (watched == LabelImage) emit LabelImageClicked();
  }
  return QWidget::eventFilter(watched, event);
}
