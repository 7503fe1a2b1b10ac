#include "control/capturesession.h"

#include <QLoggingCategory>

#include "capture/captureengine.h"
#include "capture/preview.h"
#include "settings/conversions.h"
#include "texts.h"

Q_LOGGING_CATEGORY(lcSession, "tessivo.session", QtInfoMsg)

QString TCaptureFailure::Text() const {
  using R = Reason;
  switch (reason) {
    case R::Busy:
      return QString::fromUtf8(texts::kCaptureBusy);
    case R::NoVideoSource:
      return QString::fromUtf8(texts::kCaptureNoVideoSource);
    case R::NotBuilt:
      return QString::fromUtf8(texts::kCaptureNotBuilt).arg(subject);
    case R::DoesNotRun:
      return QString::fromUtf8(texts::kCaptureDoesNotRun).arg(detail);
    case R::NotFinished:
      return QString::fromUtf8(texts::kCaptureNotFinished).arg(subject);
    case R::CutFailed:
      return QString::fromUtf8(texts::kCaptureCutFailed).arg(subject);
    case R::NotRecording:
      return QString::fromUtf8(texts::kCaptureNotRecording);
  }
  return {};
}

TCaptureSession::~TCaptureSession() {
  if (recording() && !engine_.changing()) {
    const TOutcome stopped = Stop();
    if (!stopped) qCWarning(lcSession) << stopped.failure().Text();
  }
}

TOutcome TCaptureSession::Busy() const {
  qCWarning(lcSession) << "refused: another change of the graph is under way";
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
  if (!engine_.context.CurrentVideoSource) return TCaptureFailure{TCaptureFailure::Reason::NoVideoSource, {}, {}};
  settings_ = settings;
  files_.clear();
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
  return TOutcome::Success();
}

TOutcome TCaptureSession::Cut(const QString& nextFileName) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Busy();
  const TCaptureBranch* branch = CurrentCaptureBranch(engine_);
  if (!branch) return TCaptureFailure{TCaptureFailure::Reason::NotRecording, {}, {}};
  const auto finishedPart = branch->videoFrames;
  const bool cut = CutCaptureFile(engine_, nextFileName.toStdString(), settings_);
  framesOfFinishedParts_ += finishedPart->load();
  if (!cut) return TCaptureFailure{TCaptureFailure::Reason::CutFailed, nextFileName, {}};
  files_ << nextFileName;
  return TOutcome::Success();
}

TOutcome TCaptureSession::Stop() {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Busy();
  if (!recording()) return TCaptureFailure{TCaptureFailure::Reason::NotRecording, {}, {}};
  const bool finished = FinishCaptureFile(engine_);
  framesOfFinishedParts_ += CurrentCaptureBranch(engine_)->videoFrames->load();
  ::Stop(engine_);
  KillCaptureGraph(engine_);
  Play(engine_);
  if (!finished) return TCaptureFailure{TCaptureFailure::Reason::NotFinished, files_.value(files_.size() - 1), {}};
  return TOutcome::Success();
}
