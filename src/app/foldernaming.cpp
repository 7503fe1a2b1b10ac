#include "app/foldernaming.h"

#include <algorithm>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStorageInfo>
#include <QToolButton>

#include "media/formats/dsfunctions.h"
#include "texts.h"
#include "ui/dossiersframe.h"
#include "ui/sourcesframe.h"

TFolderNaming::TFolderNaming(TDossiersFrame& folders, TSourcesFrame& sources, const TParameters& parameters,
                             TFolderHooks hooks, QObject* parent)
    : QObject(parent), folders_(folders), sources_(sources), parameters_(parameters), hooks_(std::move(hooks)) {
  connect(folders_.VideoDirEdit, &TPathEdit::changed, this, [this](const QString& text) {
    if (parameters_.VideoDirectory) parameters_.VideoDirectory->value = text;
    if (!started_) return;
    VideoAgain();
    disqueVideo_ = DriveOf(nomVideo_);
    if (hooks_.videoGauge) hooks_.videoGauge(DiskTotalMB(disqueVideo_));
    if (hooks_.MajStatusTextes) hooks_.MajStatusTextes();
  });
  connect(folders_.ImageDirEdit, &TPathEdit::changed, this, [this](const QString& text) {
    if (parameters_.ImageDirectory) parameters_.ImageDirectory->value = text;
    if (!started_) return;
    ImageAgain();
    disqueImage_ = DriveOf(nomImage_);
    if (hooks_.imageGauge) hooks_.imageGauge(DiskTotalMB(disqueImage_), DiskUsedMB(disqueImage_));
  });
  connect(folders_.feScenolog, &TPathEdit::changed, this, [this](const QString& text) {
    if (parameters_.Scenolog) parameters_.Scenolog->value = text;
  });
  connect(folders_.PlugInDirEdit, &TPathEdit::changed, this, [this](const QString& text) {
    if (parameters_.PluginsDir) parameters_.PluginsDir->value = text;
  });
  // The plug-ins are looked for at start-up only: another folder is for the
  // next run, which the user is told.
  connect(folders_.PlugInDirEdit, &TPathEdit::chosen, this, [this](const QString& folder) {
    if (!parameters_.PluginsDir || folder == parameters_.PluginsDir->value) return;
    parameters_.PluginsDir->value = folder;
    if (hooks_.inform) hooks_.inform(QString::fromUtf8(texts::kPluginFolderChanged).arg(folder));
  });
  connect(folders_.VideoRacineEdit, &QLineEdit::editingFinished, this, [this] { VideoAgain(); });
  connect(folders_.cbVideoDate, &QCheckBox::clicked, this, [this] { VideoAgain(); });
  connect(folders_.ImageRacineEdit, &QLineEdit::editingFinished, this, [this] { ImageAgain(); });
  connect(folders_.cbImageDate, &QCheckBox::clicked, this, [this] { ImageAgain(); });
  GuardRoot(folders_.VideoRacineEdit, lastVideoRoot_);
  GuardRoot(folders_.ImageRacineEdit, lastImageRoot_);
  const auto show = [this](int panel) {
    if (hooks_.showPanel) hooks_.showPanel(panel);
  };
  connect(&folders_, &TDossiersFrame::LabelVideoClicked, this, [show] { show(0); });
  connect(&sources_, &TSourcesFrame::LabelVideoClicked, this, [show] { show(1); });
  connect(&folders_, &TDossiersFrame::LabelImageClicked, this, [show] { show(3); });
  const auto open = [this](TWideStringParameter* folder) {
    if (hooks_.openFolder && folder) hooks_.openFolder(folder->value);
  };
  connect(folders_.sbVideo, &QToolButton::clicked, this, [this, open] { open(parameters_.VideoDirectory); });
  connect(folders_.sbImage, &QToolButton::clicked, this, [this, open] { open(parameters_.ImageDirectory); });
}

// A root is a part of a file name: a separator would put the files
// elsewhere, so the field keeps its last root and says why.
void TFolderNaming::GuardRoot(QLineEdit* root, QString& lastValid) {
  lastValid = root->text();
  connect(root, &QLineEdit::textChanged, this, [this, root, &lastValid](const QString& text) {
    if (!text.contains('/')) {
      lastValid = text;
      return;
    }
    const QSignalBlocker quiet(root);
    root->setText(lastValid);
    if (hooks_.tell) hooks_.tell(QString::fromUtf8(texts::kFoldersRootRefused));
  });
}

QString TFolderNaming::DriveOf(const QString& path) {
  QFileInfo place(path);
  QString existing = place.isDir() ? place.absoluteFilePath() : place.absolutePath();
  while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
    const QString parent = QFileInfo(existing).absolutePath();
    if (parent == existing) break;
    existing = parent;
  }
  const QStorageInfo storage(existing);
  return storage.isValid() ? storage.rootPath() : QString();
}

void TFolderNaming::Start(const QDateTime& dateNoms) {
  dateNoms_ = dateNoms;
  if (parameters_.VideoDirectory) folders_.VideoDirEdit->setText(parameters_.VideoDirectory->value);
  if (parameters_.VideoRacine) folders_.VideoRacineEdit->setText(parameters_.VideoRacine->value);
  if (parameters_.VideoDate) folders_.cbVideoDate->setChecked(parameters_.VideoDate->value);
  if (parameters_.ImageDirectory) folders_.ImageDirEdit->setText(parameters_.ImageDirectory->value);
  if (parameters_.ImageRacine) folders_.ImageRacineEdit->setText(parameters_.ImageRacine->value);
  if (parameters_.ImageDate) folders_.cbImageDate->setChecked(parameters_.ImageDate->value);
  if (parameters_.Scenolog) folders_.feScenolog->setText(parameters_.Scenolog->value);
  if (parameters_.PluginsDir) folders_.PlugInDirEdit->setText(parameters_.PluginsDir->value);
  if (parameters_.CaptureFormat) captureFormat_ = parameters_.CaptureFormat->value;
  // A hand-edited type comes to the nearest one there is: BMP or JPEG.
  if (parameters_.ExtensionDesImages) imageExtension_ = std::clamp<int>(parameters_.ExtensionDesImages->value, 0, 1);
  started_ = true;
  nomVideo_ = NomVideoSuivant();
  nomImage_ = NomImageSuivant();
  disqueVideo_ = DriveOf(nomVideo_);
  disqueImage_ = DriveOf(nomImage_);
  if (hooks_.videoGauge) hooks_.videoGauge(DiskTotalMB(disqueVideo_));
  if (hooks_.imageGauge) hooks_.imageGauge(DiskTotalMB(disqueImage_), DiskUsedMB(disqueImage_));
}

TNamePattern TFolderNaming::VideoPattern() const {
  return {folders_.VideoDirEdit->text(), folders_.VideoRacineEdit->text(), folders_.cbVideoDate->isChecked(), dateNoms_};
}

TNamePattern TFolderNaming::ImagePattern() const {
  return {folders_.ImageDirEdit->text(), folders_.ImageRacineEdit->text(), folders_.cbImageDate->isChecked(), dateNoms_};
}

QString TFolderNaming::NomVideoSuivant() {
  nomVideo_ = names_.NomVideoSuivant(VideoPattern(), captureFormat_);
  ShowVideo();
  return nomVideo_;
}

QString TFolderNaming::NomImageSuivant() {
  nomImage_ = names_.NomImageSuivant(ImagePattern(), imageExtension_);
  ShowImage();
  return nomImage_;
}

void TFolderNaming::VideoAgain() {
  nomVideo_ = names_.VideoAgain(VideoPattern(), captureFormat_);
  ShowVideo();
}

void TFolderNaming::ImageAgain() {
  nomImage_ = names_.ImageAgain(ImagePattern(), imageExtension_);
  ShowImage();
}

void TFolderNaming::SetCaptureFormat(int code) {
  captureFormat_ = code;
  if (nomVideo_.isEmpty()) return;
  nomVideo_ = WithVideoExtension(nomVideo_, code);
  ShowVideo();
}

void TFolderNaming::SetImageExtension(int index) {
  imageExtension_ = std::clamp(index, 0, 1);
  if (parameters_.ExtensionDesImages) parameters_.ExtensionDesImages->value = imageExtension_;
  ImageAgain();
  if (hooks_.MajStatusTextes) hooks_.MajStatusTextes();
}

void TFolderNaming::SetImageByImage(bool running) {
  imageByImage_ = running;
  ShowImage();
}

void TFolderNaming::ShowVideo() {
  const QString name = FileNamePart(nomVideo_);
  for (QLabel* label : {folders_.LabelVideo, sources_.LabelVideo}) {
    label->setText(name);
    label->setToolTip(nomVideo_);
  }
}

void TFolderNaming::ShowImage() {
  folders_.LabelImage->setText(imageByImage_ ? QString::fromUtf8(texts::kFoldersImageByImage)
                                             : FileNamePart(nomImage_));
  folders_.LabelImage->setToolTip(nomImage_);
  if (hooks_.imageShown) hooks_.imageShown(folders_.LabelImage->text(), nomImage_);
}

void TFolderNaming::CopyToParameters() {
  if (parameters_.VideoRacine) parameters_.VideoRacine->value = folders_.VideoRacineEdit->text();
  if (parameters_.VideoDate) parameters_.VideoDate->value = folders_.cbVideoDate->isChecked();
  if (parameters_.ImageRacine) parameters_.ImageRacine->value = folders_.ImageRacineEdit->text();
  if (parameters_.ImageDate) parameters_.ImageDate->value = folders_.cbImageDate->isChecked();
}
