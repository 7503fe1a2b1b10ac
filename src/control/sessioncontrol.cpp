#include "control/sessioncontrol.h"

#include "media/filters/filtercontract.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/preview.h"
#include "media/filters/vx_scenedetect.h"
#include "capture/mediamodule.h"
#include "media/filters/filtercontract.h"
#include "media/filters/vx_controlunit.h"
#include "media/formats/ecrire_scnunit.h"
#include "media/formats/fpsunit.h"
#include "platform/graph.h"
#include "settings/conversions.h"
#include "texts.h"

Q_LOGGING_CATEGORY(lcControl, "tessivo.session")

namespace {

QString SceneFileOf(const QString& file) {
  const QFileInfo info(file);
  return info.path() + '/' + info.completeBaseName() + ".scn";
}

}  // namespace

TSessionControl::TSessionControl(TCaptureEngine& engine, TCaptureJournal* journal, TSessionHooks hooks)
    : engine_(engine),
      hooks_(std::move(hooks)),
      session_(std::make_unique<TCaptureSession>(engine, journal)),
      scenes_(std::make_unique<TSceneFileWriter>()) {}

TSessionControl::~TSessionControl() {
  // The window finishes its capture before it goes; this is the last guard.
  if (session_->recording()) (void)session_->Stop();
  if (scenes_->isOpen()) scenes_->CloseSceneFile();
}

QString TSessionControl::sceneFile() const { return scenes_->isOpen() ? sceneFile_ : QString(); }

bool TSessionControl::PreparerCapture() {
  try {
    const QString name = hooks_.nomVideo();
    if (EtatSession == esPreview) {
      if (hooks_.confirmVideo() && QFileInfo::exists(name)) {
        const TAnswer answer = hooks_.ask(QString::fromUtf8(texts::kCaptureOverwrite).arg(name), true);
        if (answer == TAnswer::No) return false;
        if (answer == TAnswer::All) hooks_.clearConfirmVideo();
      }
      const QString folder = QFileInfo(name).path();
      if (hooks_.confirmVideo() && !QDir(folder).exists() &&
          hooks_.ask(QString::fromUtf8(texts::kCaptureCreateFolder).arg(folder), false) != TAnswer::Yes)
        return false;
      QDir().mkpath(folder);
    }
    if (QFileInfo::exists(name) && hooks_.toTrash) hooks_.toTrash(name);
    CloreFichier();
    const int format = hooks_.captureFormat();
    const TOutcome started = session_->Start(format, name, hooks_.settings ? hooks_.settings() : TCaptureSettings{});
    if (!started) {
      hooks_.tell(started.failure().Text());
      return false;
    }
    current_ = name;
    format_ = format;
    compteImages_ = 0;
    if (format == fcImageByImage && hooks_.modeImageImage) hooks_.modeImageImage(true);
    const TVideoSource* video = engine_.context.CurrentVideoSource;
    if (video && video->SceneDetector && format != fcWav && format != fcMp3 && hooks_.scn()) OpenScene(name);
    dropped_.reset();
    droppedAtCut_ = seenAtCut_ = 0;
    // Counted where the frames leave the device, before anything numbers
    // them again.
    if (GstElement* source = engine_.context.VideoSourceFilter.get()) {
      const graph::PadPtr output(gst_element_get_static_pad(source, "src"));
      if (output) dropped_ = std::make_unique<graph::DroppedFrameCounter>(output.get());
    }
    if (hooks_.appliquerVolume) hooks_.appliquerVolume();
    debutCapture_ = QDateTime::currentDateTime();
    // Device changes are not followed while capturing; a lost device is.
    hooks_.setNotifier(false);
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcControl) << "PreparerCapture:" << error.what();
    return false;
  }
}

std::optional<std::pair<std::int64_t, std::int64_t>> TSessionControl::DroppedFrames() const {
  if (!dropped_) return std::nullopt;
  return std::pair{std::int64_t(dropped_->dropped()) - droppedAtCut_, std::int64_t(dropped_->notDropped()) - seenAtCut_};
}

void TSessionControl::OpenScene(const QString& fileName) {
  sceneFile_ = SceneFileOf(fileName);
  if (scenes_->OpenSceneFile(sceneFile_) != TSceneFileWriter::OpenResult::Opened) {
    hooks_.tell(QString::fromUtf8(texts::kCaptureSceneFileRefused).arg(sceneFile_));
    return;
  }
  if (const TVideoSource* video = engine_.context.CurrentVideoSource; video && video->SceneDetector)
    video->SceneDetector->SetSceneCallback(
        [writer = scenes_.get()](const DvFrameInfo& start, const DvFrameInfo& current) { writer->WriteScene(start, current); });
}

void TSessionControl::CloseScene(const QString& closed, std::int64_t dropped) {
  if (!scenes_->isOpen()) return;
  if (const TVideoSource* video = engine_.context.CurrentVideoSource; video && video->SceneDetector)
    video->SceneDetector->SetSceneCallback(nullptr);
  scenes_->CloseSceneFile();
  const QString scene = SceneFileOf(closed);
  if (dropped > 0 && hooks_.ask(QString::fromUtf8(texts::kCaptureLostFrames).arg(dropped).arg(scene), false) == TAnswer::Yes &&
      hooks_.toTrash)
    hooks_.toTrash(scene);
}

// The record of the part just finished, and the next name.
void TSessionControl::ListClosed(const QString& closed) {
  TDataFichier record;
  record.fileName = closed;
  std::int64_t dropped = 0;
  if (const auto counts = DroppedFrames()) {
    dropped = counts->first;
    record.framesDropped = counts->first;
    record.framesCaptured = counts->second;
    droppedAtCut_ += counts->first;
    seenAtCut_ += counts->second;
  }
  const QStringList texts = hooks_.panelTexts();
  record.videoSource = texts.value(0);
  record.audioSource = texts.value(1);
  record.audioEntry = texts.value(2);
  record.format = texts.value(3);
  CloseScene(closed, dropped);
  if (format_ == fcImageByImage) EndTimeLapseFile(closed);
  // Read once the file is in its final form.
  record.ReadDirectoryEntry();
  files_.push_back(record);
  if (hooks_.listed) hooks_.listed(record);
}

// A finished time-lapse part plays at "Framerate"; one without a single
// frame is removed.
void TSessionControl::EndTimeLapseFile(const QString& closed) {
  if (compteImages_ > 0) {
    const double rate = hooks_.framerate ? hooks_.framerate() : 18.0;
    if (SetAviFrameRate(closed, rate) != FrameRateResult::Rewritten) hooks_.tell(QString::fromUtf8(texts::kCaptureRateNotWritten).arg(closed));
  } else {
    QFile::remove(closed);
  }
  compteImages_ = 0;
}

void TSessionControl::ImageGrabbed() {
  if (!capturing() || format_ != fcImageByImage || !engine_.context.dm) return;
  engine_.dm().ControlFilter().pass = true;
  ++compteImages_;
}

bool TSessionControl::CloreFichier() {
  try {
    if (!capturing() || !session_->recording()) {
      if (engine_.graph().Running()) Stop(engine_);
      return true;
    }
    const QString closed = current_;
    const TOutcome stopped = session_->Stop();
    if (!stopped) hooks_.tell(stopped.failure().Text());
    hooks_.nomVideoSuivant();
    ListClosed(closed);
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcControl) << "CloreFichier:" << error.what();
    return false;
  }
}

bool TSessionControl::ArreterCapture() {
  try {
    CloreFichier();
    if (session_->recording()) (void)session_->Stop();
    const TCaptureContext& context = engine_.context;
    const bool survived = (!context.CurrentVideoSource || context.CurrentVideoSource->Active) &&
                          (!context.CurrentAudioSource || context.CurrentAudioSource->Active);
    if (hooks_.modeImageImage) hooks_.modeImageImage(false);
    dropped_.reset();
    // The user's choice comes back after every stop, lost source or not.
    RestoreNotifier();
    if (!survived) return false;
    if (hooks_.appliquerVolume) hooks_.appliquerVolume();
    if (!engine_.graph().Running()) Play(engine_);
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcControl) << "ArreterCapture:" << error.what();
    RestoreNotifier();
    return false;
  }
}

void TSessionControl::RestoreNotifier() { hooks_.setNotifier(hooks_.notifierChoice()); }

void TSessionControl::AbandonnerCapture() {
  try {
    CloreFichier();
  } catch (...) {
  }
}

bool TSessionControl::Couper() {
  if (!capturing() || !session_->recording()) return false;
  const QString closed = current_;
  const QString next = hooks_.nomVideoSuivant();
  const TOutcome cut = session_->Cut(next);
  if (!cut) {
    hooks_.tell(cut.failure().Text());
    // The part already written is finished by the stop.
    ArreterCapture();
    EtatSession = esPreview;
    return false;
  }
  current_ = next;
  ListClosed(closed);
  const TVideoSource* video = engine_.context.CurrentVideoSource;
  const int format = hooks_.captureFormat();
  if (video && video->SceneDetector && hooks_.scn() && format != fcWav && format != fcMp3) OpenScene(next);
  if (hooks_.appliquerVolume) hooks_.appliquerVolume();
  return true;
}

bool TSessionControl::HandleEvent(const graph::GraphEvent& event) {
  if (!capturing()) return false;
  // A WAV file nearing its 4 GiB limit goes on in the next one.
  if (event.kind == graph::GraphEvent::Kind::Element && event.notification == kNotifyWaveFileFull) {
    Couper();
    return true;
  }
  const std::optional<TCaptureFailure> failure = session_->HandleEvent(event);
  if (!failure) return false;
  // The session has finished what it could: the part is listed and the
  // capture ends as a stop does.
  const QString closed = current_;
  hooks_.nomVideoSuivant();
  ListClosed(closed);
  if (hooks_.modeImageImage) hooks_.modeImageImage(false);
  dropped_.reset();
  RestoreNotifier();
  EtatSession = esPreview;
  hooks_.tell(failure->Text());
  return true;
}

QString TSessionControl::DurationText(std::int64_t seconds) {
  return QString::asprintf("durée %lld:%.2lld :%.2lld", static_cast<long long>(seconds / 3600),
                           static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}
