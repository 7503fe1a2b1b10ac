// One capture engine: the media module and its graph, the capture graph
// context (current sources, tees, formats), the preview's outputs and the
// recording branch. Whoever creates it (the program's entry, a tool, a test)
// owns it and hands it to the operations that work on it; two engines in one
// process share nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "capture/capturecontext.h"
#include "platform/graph.h"
#include "platform/noncopyable.h"

class QObject;
class Tdm;
class TVideoRenderer;
class TCaptureBranch;

class TCaptureEngine : NonCopyable {
 public:
  TCaptureEngine();
  // Finishes nothing: the caller finishes its recording first. Stops the
  // graph, takes the branch down and releases the current sources.
  ~TCaptureEngine();

  Tdm& dm() const { return *dm_; }
  graph::TMediaGraph& graph() const;
  TVideoRenderer& renderer() const { return *renderer_; }
  // Receives the calls queued from streaming threads for this engine; they
  // are dropped once the engine is gone.
  QObject* receiver() const { return receiver_.get(); }

  TCaptureContext context;

  // The preview's sound output: whether it reaches a sound output, and its
  // volume element.
  bool previewHasSound = false;
  gst::ElementPtr monitorVolume;
  // "Mpeg2 Ratio Normal".
  bool mpeg2RatioNormal = true;

  // Free bytes kept on a recording's disk for finishing its file: below
  // them the recording is stopped.
  std::uint64_t diskReserveBytes = 8ull * 1024 * 1024;

  // Called on the GUI thread when a current source's stream announces its
  // format (its caps), once it runs.
  std::function<void()> formatKnown;

  // The recording under way, or none.
  std::unique_ptr<TCaptureBranch> branch;

  // A graph change (activation, building, finishing, cutting) is under way.
  // Anything that pumps events meanwhile (a script's wait, a message box)
  // must not start another: the operations refuse while this is set.
  bool changing() const { return changes_ > 0; }

  // Marks a graph change for its lifetime; `accepted()` is false when
  // another change was already under way.
  class Change {
   public:
    explicit Change(TCaptureEngine& engine) : engine_(engine), accepted_(engine.changes_ == 0) { ++engine_.changes_; }
    ~Change() { --engine_.changes_; }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    bool accepted() const { return accepted_; }

   private:
    TCaptureEngine& engine_;
    bool accepted_;
  };

 private:
  std::unique_ptr<QObject> receiver_;
  std::unique_ptr<Tdm> dm_;
  std::unique_ptr<TVideoRenderer> renderer_;
  int changes_ = 0;
};
