#include "control/capturesession.h"

#include <QLoggingCategory>

#include "capture/captureengine.h"
#include "capture/preview.h"
#include "control/capturejournal.h"
#include "media/filters/branchguard.h"
#include "settings/conversions.h"
#include "texts.h"

Q_LOGGING_CATEGORY(lcCaptureSession, "tessivo.session", QtInfoMsg)

QString TCaptureFailure::Text() const {
  using R = Reason;
  switch (reason) {
    case R::Busy:
      return QString::fromUtf8(texts::kCaptureBusy);
    case R::NoVideoSource:
      return QString::fromUtf8(texts::kCaptureNoVideoSource);
    case R::NoAudioSource:
      return QString::fromUtf8(texts::kCaptureNoAudioSource);
    case R::NotBuilt:
      return QString::fromUtf8(texts::kCaptureNotBuilt).arg(subject);
    case R::DoesNotRun:
      return QString::fromUtf8(texts::kCaptureDoesNotRun).arg(detail);
    case R::NotFinished:
      return detail.isEmpty() ? QString::fromUtf8(texts::kCaptureNotFinished).arg(subject)
                              : QString::fromUtf8(texts::kCaptureNotFinishedBecause).arg(subject, detail);
    case R::CutFailed:
      return QString::fromUtf8(texts::kCaptureCutFailed).arg(subject);
    case R::NotRecording:
      return QString::fromUtf8(texts::kCaptureNotRecording);
    case R::DiskFull:
      return QString::fromUtf8(texts::kCaptureDiskFull).arg(subject);
    case R::WriteFailed:
      return QString::fromUtf8(texts::kCaptureWriteFailed).arg(subject, detail);
    case R::DeviceLost:
      return QString::fromUtf8(texts::kCaptureDeviceLost).arg(subject);
  }
  return {};
}

TCaptureSession::~TCaptureSession() {
  if (recording() && !engine_.changing()) {
    const TOutcome stopped = Stop();
    if (!stopped) qCWarning(lcCaptureSession) << stopped.failure().Text();
  }
}

TOutcome TCaptureSession::Busy() const {
  qCWarning(lcCaptureSession) << "refused: another change of the graph is under way";
  return TCaptureFailure{TCaptureFailure::Reason::Busy, {}, {}};
}

bool TCaptureSession::recording() const { return CurrentCaptureBranch(engine_) != nullptr; }

std::uint64_t TCaptureSession::framesWritten() const {
  const TCaptureBranch* branch = CurrentCaptureBranch(engine_);
  return framesOfFinishedParts_ + (branch ? branch->videoFrames->load() : 0);
}

TOutcome TCaptureSession::Start(int format, const QString& fileName, const TCaptureSettings& settings) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Busy();
  // Sound alone needs no picture.
  const bool soundOnly = format == fcWav || format == fcMp3;
  if (soundOnly && !engine_.context.CurrentAudioSource)
    return TCaptureFailure{TCaptureFailure::Reason::NoAudioSource, {}, {}};
  if (!soundOnly && !engine_.context.CurrentVideoSource)
    return TCaptureFailure{TCaptureFailure::Reason::NoVideoSource, {}, {}};
  settings_ = settings;
  files_.clear();
  lastError_.clear();
  framesOfFinishedParts_ = 0;
  ::Stop(engine_);
  if (!BuildCaptureGraph(engine_, format, fileName.toStdString(), settings)) {
    Play(engine_);
    return TCaptureFailure{TCaptureFailure::Reason::NotBuilt, FormatCaptureName(static_cast<std::uint8_t>(format)), {}};
  }
  std::string error;
  if (!Play(engine_, &error)) {
    ::Stop(engine_);
    KillCaptureGraph(engine_);
    Play(engine_);
    return TCaptureFailure{TCaptureFailure::Reason::DoesNotRun, fileName, QString::fromStdString(error)};
  }
  files_ << fileName;
  if (journal_) journal_->Add(fileName);
  return TOutcome::Success();
}

TOutcome TCaptureSession::Cut(const QString& nextFileName) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Busy();
  const TCaptureBranch* branch = CurrentCaptureBranch(engine_);
  if (!branch) return TCaptureFailure{TCaptureFailure::Reason::NotRecording, {}, {}};
  const auto finishedPart = branch->videoFrames;
  if (journal_) journal_->Add(nextFileName);
  const bool cut = CutCaptureFile(engine_, nextFileName.toStdString(), settings_);
  framesOfFinishedParts_ += finishedPart->load();
  if (!cut) return TCaptureFailure{TCaptureFailure::Reason::CutFailed, nextFileName, {}};
  if (journal_) journal_->Remove(files_.value(files_.size() - 1));  // finished
  files_ << nextFileName;
  return TOutcome::Success();
}

TOutcome TCaptureSession::Stop() { return StopWithin(std::chrono::seconds(10)); }

TOutcome TCaptureSession::StopWithin(std::chrono::milliseconds timeout) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Busy();
  if (!recording()) return TCaptureFailure{TCaptureFailure::Reason::NotRecording, {}, {}};
  const bool finished = FinishCaptureFile(engine_, timeout);
  const TCaptureBranch& branch = *CurrentCaptureBranch(engine_);
  framesOfFinishedParts_ += branch.videoFrames->load();
  const gst::ElementPtr writer = branch.sink;
  ::Stop(engine_);
  KillCaptureGraph(engine_);
  // The file is finished once its writer has closed it without error: an
  // error while writing the end or closing is the writer's last word.
  const std::optional<std::string> closeError = engine_.graph().TakeError(writer.get());
  Play(engine_);
  if (!finished || closeError)
    return TCaptureFailure{TCaptureFailure::Reason::NotFinished, files_.value(files_.size() - 1),
                           QString::fromStdString(closeError.value_or(""))};
  if (journal_) journal_->Remove(files_.value(files_.size() - 1));
  return TOutcome::Success();
}

std::optional<TCaptureFailure> TCaptureSession::HandleEvent(const graph::GraphEvent& event) {
  using Kind = graph::GraphEvent::Kind;
  if (!recording()) return std::nullopt;
  if (event.kind == Kind::Error) {
    lastError_ = QString::fromStdString(event.message);
    return std::nullopt;
  }
  if (event.kind == Kind::DeviceLost) {
    // Whatever reached the writer is kept: the file is finished.
    const QString file = files_.value(files_.size() - 1);
    qCWarning(lcCaptureSession) << "source lost while recording" << file << event.message.c_str();
    const TOutcome stopped = StopWithin(std::chrono::seconds(5));
    if (!stopped) return stopped.failure();
    return TCaptureFailure{TCaptureFailure::Reason::DeviceLost, file, QString::fromStdString(event.message)};
  }
  if (event.kind != Kind::Element) return std::nullopt;
  const bool diskFull = event.message == kDiskFullMessage;
  if (!diskFull && event.message != kBranchFailedMessage) return std::nullopt;
  const QString file = files_.value(files_.size() - 1);
  qCWarning(lcCaptureSession) << (diskFull ? "disk full" : "writer failed") << file << lastError_;
  // A writer that failed seldom finishes its file: it is not waited for long.
  const TOutcome stopped = diskFull ? Stop() : StopWithin(std::chrono::seconds(2));
  if (diskFull && !stopped) return stopped.failure();
  if (diskFull) return TCaptureFailure{TCaptureFailure::Reason::DiskFull, file, {}};
  return TCaptureFailure{TCaptureFailure::Reason::WriteFailed, file, lastError_};
}
