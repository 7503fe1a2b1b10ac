// The recording as the window and the tools drive it: start, cut and stop on
// one engine, each answering what went wrong in words the user can be shown.
// Graph changes never overlap: an operation asked for while another one is
// under way (a queued command run by an event loop) is refused.
#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "capture/capturegraphs.h"

class TCaptureEngine;
class TCaptureJournal;

struct TCaptureFailure {
  enum class Reason {
    Busy,
    NoVideoSource,
    NoAudioSource,
    NotBuilt,
    DoesNotRun,
    NotFinished,
    CutFailed,
    NotRecording,
    DiskFull,
    WriteFailed,
    DeviceLost
  };
  Reason reason;
  QString subject;  // the file or format concerned
  QString detail;   // what the graph said, when it said something
  // The message for the user, in French.
  QString Text() const;
};

// Success, or the failure with its reason.
class [[nodiscard]] TOutcome {
 public:
  static TOutcome Success() { return TOutcome(); }
  TOutcome(TCaptureFailure failure) : failure_(std::move(failure)) {}  // NOLINT: a failure is an outcome
  bool ok() const { return !failure_; }
  explicit operator bool() const { return ok(); }
  const TCaptureFailure& failure() const { return *failure_; }

 private:
  TOutcome() = default;
  std::optional<TCaptureFailure> failure_;
};

class TCaptureSession {
 public:
  // The journal, when given, lists each file while it is being written.
  explicit TCaptureSession(TCaptureEngine& engine, TCaptureJournal* journal = nullptr)
      : engine_(engine), journal_(journal) {}
  // A recording still under way is stopped and its file finished.
  ~TCaptureSession();
  TCaptureSession(const TCaptureSession&) = delete;
  TCaptureSession& operator=(const TCaptureSession&) = delete;

  // Builds the branch of the format into the file and runs the graph; on
  // failure nothing of the branch is left and the preview runs again.
  TOutcome Start(int format, const QString& fileName, const TCaptureSettings& settings);
  // Finishes the current file and goes on in the next without a gap.
  TOutcome Cut(const QString& nextFileName);
  // Finishes the file, takes the branch down and runs the preview again.
  TOutcome Stop();

  // Follows what the graph reports while recording: a folder running out of
  // space, a failing writer or a source that is lost stops the recording
  // with the file finished as far as it can be, and the failure says why.
  // Nothing for other events.
  std::optional<TCaptureFailure> HandleEvent(const graph::GraphEvent& event);

  bool recording() const;
  // The files of this recording, the current one last.
  const QStringList& files() const { return files_; }
  // Frames written into the finished parts and the current one.
  std::uint64_t framesWritten() const;

 private:
  TOutcome Busy() const;
  TOutcome StopWithin(std::chrono::milliseconds timeout);
  TCaptureEngine& engine_;
  TCaptureJournal* journal_;
  TCaptureSettings settings_;
  QStringList files_;
  std::uint64_t framesOfFinishedParts_ = 0;
  QString lastError_;  // the graph's last error while recording
};
