#include "app/sourceselection.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QPalette>
#include <QRegularExpression>
#include <QToolButton>

#include "app/previewsession.h"
#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/crossbar.h"
#include "capture/devicesettings.h"
#include "capture/v4l2crossbar.h"
#include "media/filters/vx_scenedetect.h"
#include "media/filters/vx_superposer.h"
#include "capture/mediamodule.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/sourcesframe.h"

Q_LOGGING_CATEGORY(lcSelection, "tessivo.selection")

namespace {

QString NoVideo() { return QString::fromUtf8(texts::kNoVideoStream); }
QString NoAudio() { return QString::fromUtf8(texts::kNoAudioStream); }

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

// Selects the entry of that text, when the list has it.
bool SelectText(QComboBox& list, const QString& text) {
  const int index = list.findText(text);
  if (index >= 0) list.setCurrentIndex(index);
  return index >= 0;
}

// The list updated in place: entries that are no longer wanted go (from the
// last to the first), the wanted ones missing are appended, and the closing
// entry comes last.
void UpdateInPlace(QComboBox& list, const QStringList& wanted, const QString& closing) {
  for (int i = list.count() - 1; i >= 0; --i)
    if (!wanted.contains(list.itemText(i))) list.removeItem(i);
  for (const QString& name : wanted)
    if (list.findText(name) < 0) list.addItem(name);
  list.addItem(closing);
}

int NativeFormats(const TCaptureDevice& device) { return device.NativeFormat1 << 8 | device.NativeFormat2; }

}  // namespace

// --- Source check list ------------------------------------------------------------

void TSourceCheckList::Load(const QString& excluded) {
  items_.clear();
  for (const QString& line : excluded.split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts)) items_[line] = false;
}

QString TSourceCheckList::Excluded() const {
  QString text;
  for (const auto& [name, ticked] : items_)
    if (!ticked) text += name + "\r\n";
  return text;
}

bool TSourceCheckList::Admit(const QString& driverName) {
  return items_.try_emplace(driverName, true).first->second;
}

// --- Selection ----------------------------------------------------------------------

TSourceSelection::TSourceSelection(TPreviewSession& preview, TSourcesFrame& frame, const TParameters& parameters,
                                   TSelectionHooks hooks, QObject* parent)
    : QObject(parent), preview_(preview), frame_(frame), parameters_(parameters), hooks_(std::move(hooks)) {
  // The user's choices only: the program's own changes of the lists are not
  // events.
  connect(frame_.cboxvideo, &QComboBox::activated, this, &TSourceSelection::cboxVideoChange);
  connect(frame_.cboxAudio, &QComboBox::activated, this, &TSourceSelection::cboxAudioChange);
  connect(frame_.cbFormatCapture, &QComboBox::activated, this, &TSourceSelection::cbFormatCaptureClick);
  connect(frame_.cbEntries, &QComboBox::activated, this, &TSourceSelection::SourcesFramecbEntriesChange);
  connect(frame_.sbVideoSettings, &QToolButton::clicked, this, &TSourceSelection::VideoPropBtnClick);
  connect(frame_.sbAudioSettings, &QToolButton::clicked, this, &TSourceSelection::AudiopropBtnClick);
  connect(frame_.sbFormatCapturesettings, &QToolButton::clicked, this,
          &TSourceSelection::SourcesFramesbFormatCapturesettingsClick);
  connect(frame_.ActualiserVideoSpeedBtn, &QToolButton::clicked, this, &TSourceSelection::ActualiserVideoBtnClick);
  connect(&preview_, &TPreviewSession::devicesChanged, this, &TSourceSelection::DevicesChanged);
  // The format is known for sure once the streams run: the labels follow it.
  preview_.engine().formatKnown = [this] {
    const TCaptureContext& context = preview_.engine().context;
    if (context.CurrentVideoSource) ShowVideoFormat();
    if (context.CurrentAudioSource) ShowAudioFormat();
    // A device whose stream turns out to be MPEG offers its native format.
    if (context.CurrentVideoSource && NativeFormats(*context.CurrentVideoSource->Device) != listedNative_)
      ActiverFormatCapture(parameters_.CaptureFormat->value);
  };
  connect(&preview_, &TPreviewSession::deviceLost, this, [this](const QString& source) {
    if (!deviceLostInstalled_) return;  // the device changes are followed instead
    if (hooks_.tell) hooks_.tell(QString::fromUtf8(texts::kDeviceLost).arg(source));
    GraphDeviceLost();
  });
}

TSourceSelection::~TSourceSelection() {
  preview_.engine().formatKnown = nullptr;
  // The crossbar reads the card of a device that goes with the preview.
  crossbar_.reset();
  cardCrossbar_.reset();
}

bool TSourceSelection::Admitted(const TCaptureDevice& device) {
  if (failed_.contains(device.DriverName)) return false;
  return checkList_.Admit(device.DriverName);
}

bool TSourceSelection::ChargerDrivers() {
  try {
    crossbar_.reset();
    cardCrossbar_.reset();
    settingsVideo_ = nullptr;
    settingsAudio_ = nullptr;
    ++enumerations_;
    if (!preview_.ChargerDrivers([this](const TCaptureDevice& device) { return Admitted(device); })) return false;
    UpdateInPlace(*frame_.cboxvideo, preview_.VideoSourceNames(), NoVideo());
    UpdateInPlace(*frame_.cboxAudio, preview_.AudioSourceNames(), NoAudio());
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcSelection) << "ChargerDrivers:" << error.what();
    return false;
  }
}

void TSourceSelection::ClearSources() {
  crossbar_.reset();
  cardCrossbar_.reset();
  settingsVideo_ = nullptr;
  settingsAudio_ = nullptr;
  preview_.ClearSources();
}

void TSourceSelection::Play() {
  if (!deferredStart_) preview_.Play();
}

bool TSourceSelection::ActiverVideo(const QString& name) {
  TCaptureEngine& engine = preview_.engine();
  const TVideoSource* current = engine.context.CurrentVideoSource;
  QComboBox& list = *frame_.cboxvideo;
  if (current && current->Name == name) return true;
  if (!current && name == NoVideo()) {
    SelectText(list, parameters_.SourceVideo->value);
    Call(hooks_.SourceVideoAbsente);
    return true;
  }
  if (hooks_.capturing && hooks_.capturing()) Call(hooks_.ArreterCapture);
  const bool listed = SelectText(list, name);
  const QString target = listed ? name : list.itemText(0);
  TVideoSource* source = nullptr;
  if (target != NoVideo()) {
    source = preview_.VideoSource(target);
    if (!source) source = preview_.FirstVideoSource();
  }
  if (!source) {
    SelectText(list, NoVideo());
    if (preview_.DeactivateVideo(true)) {
      parameters_.SourceVideo->value = NoVideo();
      Call(hooks_.SourceVideoAbsente);
    }
  } else {
    RouteChosenInput(*source);
    if (!preview_.ActivateVideo(*source)) {
      const QString failed = source->Device->DriverName;
      failed_ << failed;
      if (hooks_.tell) hooks_.tell(QString::fromUtf8(texts::kSourceExcluded).arg(source->Name));
      ActualiserVideoBtnClick();
      return false;
    }
    ShowVideoFormat();
    Call(hooks_.SourceVideoPresente);
    parameters_.SourceVideo->value = source->Name;
  }
  SelectText(list, parameters_.SourceVideo->value);
  Call(hooks_.AfficherPreview);
  if (TVideoSource* shown = engine.context.CurrentVideoSource) {
    // A camcorder announces its 16:9 state again.
    if (shown->SceneDetector) shown->SceneDetector->ForgetWide();
    Call(hooks_.layoutVideoArea);
    if (hooks_.enableFreezeCapture) hooks_.enableFreezeCapture(!engine.context.Compressed);
    if (engine.context.dm && parameters_.WhenIncrust && parameters_.DureeIncruster)
      engine.context.dm->Superposer().whenincrust(parameters_.WhenIncrust->value, parameters_.DureeIncruster->value);
  }
  Play();
  return true;
}

void TSourceSelection::ShowVideoFormat() {
  const TCaptureContext& context = preview_.engine().context;
  if (context.DvHalfRes) {
    ShowPictureSize(true);
    return;
  }
  QString label = context.FourCC + " - " + QString::number(context.SrcWidth) + "x" + QString::number(context.SrcHeight);
  if (context.AvgTimePerFrame != 0) label += " - " + QString::number(context.Fps, 'f', 2) + " fps";
  frame_.LabVideo->setText(label);
}

void TSourceSelection::ShowPictureSize(bool half) {
  const TCaptureContext& context = preview_.engine().context;
  if (!half && context.CurrentVideoSource) {
    ShowVideoFormat();
    return;
  }
  const int divisor = half ? 2 : 1;
  QString label = QString::number(context.SrcWidth / divisor) + "x" + QString::number(context.SrcHeight / divisor);
  if (context.AvgTimePerFrame != 0) label += " - " + QString::number(context.Fps, 'f', 2) + " fps";
  frame_.LabVideo->setText(label);
}

void TSourceSelection::ShowAudioFormat() {
  const TCaptureContext& context = preview_.engine().context;
  frame_.LabAudio->setText(
      QString::fromUtf8(texts::kAudioFormatLabel).arg(context.AudioRate).arg(context.AudioBits).arg(context.AudioChannels));
}

bool TSourceSelection::ActiverAudio(const QString& name) {
  TCaptureEngine& engine = preview_.engine();
  QComboBox& list = *frame_.cboxAudio;
  const TAudioSource* current = engine.context.CurrentAudioSource;
  // The source already active: nothing to do, not even a restart.
  if (current && current->Name == name && list.findText(name) >= 0) {
    SelectText(list, name);
    return true;
  }
  preview_.Stop();
  QString target;
  bool process = true, activated = true;
  if (list.findText(name) < 0) {
    list.setCurrentIndex(0);
    target = list.itemText(0);
  } else {
    SelectText(list, name);
    target = name;
    if (current && current->Name == name) {
      process = false;
    } else if (!current && name == NoAudio()) {
      Call(hooks_.SourceAudioAbsente);
      process = false;
    }
  }
  if (process && target != NoAudio()) {
    TAudioSource* source = preview_.AudioSource(target);
    if (!source) source = preview_.FirstAudioSource();
    if (!source || preview_.ActivateAudio(*source)) {
      ShowAudioFormat();
      Call(hooks_.SourceAudioPresente);
      FillEntries();
      frame_.gbFormatCapture->setVisible(engine.context.CurrentVideoSource || engine.context.CurrentAudioSource);
      Call(hooks_.MajStatusTextes);
    } else {
      activated = false;
      failed_ << source->Device->DriverName;
      if (hooks_.tell) hooks_.tell(QString::fromUtf8(texts::kSourceExcluded).arg(source->Name));
      ActualiserVideoBtnClick();
    }
  } else if (process) {
    preview_.DeactivateAudio(true);
    frame_.cbEntries->hide();
    Call(hooks_.SourceAudioAbsente);
  }
  Play();
  return activated;
}

// The sound card's inputs, the enabled one selected.
void TSourceSelection::FillEntries() {
  QComboBox& entries = *frame_.cbEntries;
  entries.clear();
  const TAudioSource* current = preview_.engine().context.CurrentAudioSource;
  ISoundPorts* ports = current && current->Device->Kind == dkAudio && current->Device->settings()
                           ? current->Device->settings()->SoundPorts()
                           : nullptr;
  if (!ports || ports->Ports().empty()) {
    entries.hide();
    return;
  }
  for (const std::string& port : ports->Ports()) entries.addItem(QString::fromStdString(port).left(128));
  if (const std::string active = ports->ActivePort(); !active.empty() && parameters_.SoundCardEntry)
    parameters_.SoundCardEntry->value = QString::fromStdString(active);
  entries.show();
  if (!parameters_.SoundCardEntry || !SelectText(entries, parameters_.SoundCardEntry->value))
    entries.setCurrentIndex(0);
}

void TSourceSelection::ActiverFormatCapture(int wantedCode) {
  const TCaptureContext& context = preview_.engine().context;
  QStringList names;
  listedNative_ = context.CurrentVideoSource ? NativeFormats(*context.CurrentVideoSource->Device) : 0;
  if (const TVideoSource* video = context.CurrentVideoSource) {
    for (const std::uint8_t native : {video->Device->NativeFormat1, video->Device->NativeFormat2})
      if (native) names << FormatCaptureName(native);
    names << FormatCaptureName(fcDvType2Recompressed);
    if (gst::FactoryExists("avenc_mpeg4")) names << FormatCaptureName(fcDivx);
    names << FormatCaptureName(fcWmv) << FormatCaptureName(fcImageByImage);
  }
  if (context.CurrentAudioSource) {
    names << FormatCaptureName(fcWav);
    if (gst::FactoryExists("lamemp3enc")) names << FormatCaptureName(fcMp3);
  }
  QComboBox& list = *frame_.cbFormatCapture;
  list.clear();
  list.addItems(names);
  if (!names.isEmpty()) {
    if (!SelectText(list, FormatCaptureName(static_cast<std::uint8_t>(wantedCode)))) list.setCurrentIndex(0);
    frame_.gbFormatCapture->show();
  } else {
    frame_.gbFormatCapture->hide();
  }
  const int code = list.currentIndex() >= 0 ? FormatCaptureFromName(list.currentText()) : 0;
  if (parameters_.CaptureFormat) parameters_.CaptureFormat->value = static_cast<std::uint8_t>(code);
  if (hooks_.formatChanged) hooks_.formatChanged(code);
  frame_.leFramerate->setVisible(code == fcImageByImage);
  // The source that takes no part in the format is greyed.
  const auto grey = [](QComboBox& box, bool greyed) {
    QPalette palette = box.palette();
    const QColor colour = QApplication::palette().color(greyed ? QPalette::Dark : QPalette::ButtonText);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    box.setPalette(palette);
  };
  grey(*frame_.cboxAudio, code == fcImageByImage);
  grey(*frame_.cboxvideo, code == fcWav || code == fcMp3);
  Call(hooks_.AfficherPreview);
}

int TSourceSelection::ShownFormatCode() const { return FormatCaptureFromName(frame_.cbFormatCapture->currentText()); }

// --- Panel events ----------------------------------------------------------------------

void TSourceSelection::cboxVideoChange() {
  const QString text = frame_.cboxvideo->currentText();
  const TCaptureContext& context = preview_.engine().context;
  if ((context.CurrentVideoSource && context.CurrentVideoSource->Name == text) ||
      (!context.CurrentVideoSource && text == NoVideo()))
    return;
  ActiverVideo(text);
  parameters_.WantVideoSource->value = text;
  int code = parameters_.CaptureFormat->value;
  if (parameters_.PreviewLocked->value && context.CurrentVideoSource && (code == fcWav || code == fcMp3)) code = 0;
  ActiverFormatCapture(code);
  Call(hooks_.ApplyPreviewLock);
}

void TSourceSelection::cboxAudioChange() {
  const QString text = frame_.cboxAudio->currentText();
  ActiverAudio(text);
  parameters_.WantAudioSource->value = text;
  int code = parameters_.CaptureFormat->value;
  if (parameters_.PreviewLocked->value && preview_.engine().context.CurrentAudioSource && code == fcImageByImage)
    code = 0;
  ActiverFormatCapture(code);
  Call(hooks_.ApplyPreviewLock);
}

void TSourceSelection::cbFormatCaptureClick() {
  const QString text = frame_.cbFormatCapture->currentText();
  const int code = FormatCaptureFromName(text);
  if (code == parameters_.CaptureFormat->value) return;
  ActiverFormatCapture(code);
  parameters_.WantFormatCapture->value = text;
  Call(hooks_.ApplyPreviewLock);
}

void TSourceSelection::SourcesFramecbEntriesChange() {
  const QString text = frame_.cbEntries->currentText();
  parameters_.SoundCardEntry->value = text;
  const TAudioSource* current = preview_.engine().context.CurrentAudioSource;
  if (!current || !current->Device->settings()) return;
  if (ISoundPorts* ports = current->Device->settings()->SoundPorts(); ports && !ports->SetActivePort(text.toStdString()))
    if (hooks_.tell) hooks_.tell(QString::fromUtf8(texts::kSettingsRefused).arg(text));
}

void TSourceSelection::SourcesFramesbFormatCapturesettingsClick() {
  const QString text = frame_.cbFormatCapture->currentText();
  int page = 4;
  if (text == FormatCaptureName(fcWmv))
    page = 1;
  else if (text == FormatCaptureName(fcDivx) || text == FormatCaptureName(fcMp3))
    page = 2;
  if (hooks_.showOptionsPage) hooks_.showOptionsPage(page);
}

void TSourceSelection::ReselectShown() {
  const QString video = frame_.cboxvideo->currentText();
  const QString audio = frame_.cboxAudio->currentText();
  const QString format = frame_.cbFormatCapture->currentText();
  if (!ChargerDrivers()) return;
  deferredStart_ = true;
  ActiverVideo(video);
  ActiverAudio(audio);
  ActiverFormatCapture(FormatCaptureFromName(format));
  deferredStart_ = false;
  preview_.Play();
}

void TSourceSelection::ActualiserVideoBtnClick() {
  ReselectShown();
  Call(hooks_.rebuildSystemReport);
  emit sourcesRebuilt();
}

void TSourceSelection::DevicesChanged() {
  if (startingUp_ && startingUp_()) return;
  if (!parameters_.Notifier || !parameters_.Notifier->value) return;
  if (hooks_.capturing && hooks_.capturing()) return;
  ReselectShown();
  emit sourcesRebuilt();
}

void TSourceSelection::GraphDeviceLost() {
  Call(hooks_.ArreterCapture);
  ReselectShown();
  emit sourcesRebuilt();
}
