// The media graph: one GstPipeline that carries the preview and the captures,
// with the operations the capture code needs of it. Elements join and leave
// under fixed names and stay alive while their owner keeps them; connections
// are checked before they are made; running waits for the pipeline and turns
// an error on the bus into a failure; events reach the GUI thread through the
// bus watch of the GLib main loop (Qt's event loop on Linux).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gstreamer.h"
#include "platform/noncopyable.h"

namespace graph {

using PadPtr = gst::ObjectPtr<GstPad>;

enum class Direction { Output, Input };

// What the graph tells the program, on the GUI thread.
struct GraphEvent {
  enum class Kind { Error, EndOfStream, DeviceLost, Element } kind;
  std::string source;   // name of the element that posted it
  std::string message;  // error text, or the element message's structure name
  // An element message with the fields message, first and second: a
  // filter's notification to the window.
  int notification = 0;
  std::int64_t first = 0, second = 0;
};

// Counts the buffers through a pad and the gaps between them (a missing
// offset, or a time stamp more than one and a half frame durations after the
// previous one): the dropped-frame counters of a capture.
class DroppedFrameCounter : NonCopyable {
 public:
  explicit DroppedFrameCounter(GstPad* pad);
  std::uint64_t dropped() const { return counts_->dropped.load(); }
  std::uint64_t notDropped() const { return counts_->seen.load(); }

 private:
  // Shared with the probe, which may still be running as the counter goes.
  struct Counts {
    void Add(GstBuffer* buffer);  // streaming thread
    std::atomic<std::uint64_t> dropped{0}, seen{0};
    std::uint64_t nextOffset = GST_BUFFER_OFFSET_NONE;  // streaming thread
    GstClockTime lastTime = GST_CLOCK_TIME_NONE;
    GstClockTime lastDuration = GST_CLOCK_TIME_NONE;
  };
  std::shared_ptr<Counts> counts_;
  gst::PadProbe probe_;
};

class TMediaGraph : NonCopyable {
 public:
  TMediaGraph();
  ~TMediaGraph();

  GstPipeline* pipeline() const { return GST_PIPELINE(pipeline_.get()); }

  // Joins the element to the graph under the name (the element is renamed);
  // false when the name is taken by another element or the element is in
  // another bin.
  bool AddFilter(GstElement* element, const std::string& name);
  // The element leaves the graph, stopped and unlinked, and stays alive for
  // whoever holds it.
  bool RemoveFilter(GstElement* element);
  bool Contains(GstElement* element) const;
  gst::ElementPtr FindByName(const std::string& name) const;
  int ElementCount() const;

  // Links two pads when their caps can agree; otherwise fails at once and
  // changes nothing.
  bool ConnectDirect(GstPad* output, GstPad* input);
  // Links them, inserting a converter or a decoder when they cannot agree
  // directly; the inserted elements are appended to `inserted`.
  bool ConnectIntelligent(GstPad* output, GstPad* input, std::vector<gst::ElementPtr>* inserted = nullptr);
  // Source to sink through an optional element in between.
  bool RenderStream(GstElement* source, GstElement* intermediate, GstElement* sink,
                    std::vector<gst::ElementPtr>* inserted = nullptr);

  // The index-th pad of the element in that direction whose caps start with
  // the media type ("video/", "audio/x-raw"; empty for any), unconnected
  // ones only when asked; request pads ("src_%u" of a tee) are made on demand
  // when no existing pad matches.
  PadPtr FindPin(GstElement* element, Direction direction, const std::string& mediaType, bool unconnectedOnly,
                 int index) const;

  // Output k (from 1) of a tee, headed by its own queue so that each branch
  // streams on its own thread: answers the queue's output. The queues belong
  // to the tee: they leave the graph with it, and the tee's outputs are given
  // back then.
  PadPtr TeeOutput(GstElement* tee, int position);
  // Takes the queue of output k out (the next TeeOutput makes it fresh); the
  // last output is given back to the tee.
  void ReleaseTeeOutput(GstElement* tee, int position);

  // PLAYING, waiting for the state change; false (with the reason) on a
  // failed change, a timeout or an error posted meanwhile.
  bool Run(std::chrono::milliseconds timeout = std::chrono::seconds(5), std::string* error = nullptr);
  // READY: streaming stops, devices stay open.
  bool Stop();
  bool Running() const;
  // The first error posted by the element (or one inside it) and not yet
  // dispatched; the other errors stay on the bus for the watch.
  std::optional<std::string> TakeError(GstElement* from);

  // The multiplexer ("avimux" or "asfmux") and its file sink, added and
  // linked; nothing is left in the graph on failure.
  struct OutputFile {
    gst::ElementPtr muxer;
    gst::ElementPtr sink;
  };
  enum class OutputKind { Avi, Asf };
  std::optional<OutputFile> SetOutputFileName(OutputKind kind, const std::string& path);
  // Points a file sink at another file; the sink is stopped for the change.
  static bool RepointFileSink(GstElement* sink, const std::string& path);
  // The format of a capture branch: the caps of its capsfilter.
  static void SetStreamFormat(GstElement* capsfilter, GstCaps* caps);

  // Called on the GUI thread for every error, end of stream and element
  // message; `currentSource` names the element whose errors mean "device
  // lost".
  std::function<void(const GraphEvent&)> onEvent;
  std::string currentSource;

 private:
  static gboolean BusWatch(GstBus* bus, GstMessage* message, gpointer self);
  gst::ElementPtr pipeline_;
  std::vector<std::pair<GstElement*, std::vector<gst::ElementPtr>>> teeQueues_;
  guint watch_ = 0;
  int autoNumber_ = 0;
};

// Adds a branch behind a tee while the graph may be running: a new output of
// the tee, a queue heading the branch, then the branch's elements linked in
// order. Removing it blocks the tee's output, unlinks, stops and removes the
// branch, and gives the tee's output back.
class TeeBranch {
 public:
  TeeBranch(TMediaGraph& graph, GstElement* tee, std::vector<gst::ElementPtr> elements);
  ~TeeBranch();
  bool attached() const { return attached_; }
  bool Attach();
  void Detach();
  GstElement* queue() const { return queue_.get(); }

 private:
  TMediaGraph& graph_;
  gst::ElementPtr tee_;
  gst::ElementPtr queue_;
  std::vector<gst::ElementPtr> elements_;
  PadPtr teePad_;
  bool attached_ = false;
};

}  // namespace graph
