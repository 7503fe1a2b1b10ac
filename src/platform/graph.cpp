#include "platform/graph.h"

#include <QLoggingCategory>
#include <algorithm>
#include <future>

Q_LOGGING_CATEGORY(lcGraph, "tessivo.graph")

namespace graph {
namespace {

using CapsPtr = gst::CapsPtr;

CapsPtr PadCaps(GstPad* pad) { return CapsPtr(gst_pad_query_caps(pad, nullptr)); }

bool CapsStartWith(const GstCaps* caps, const std::string& mediaType) {
  if (mediaType.empty() || gst_caps_is_any(caps)) return true;
  for (guint i = 0; i < gst_caps_get_size(caps); ++i)
    if (std::string(gst_structure_get_name(gst_caps_get_structure(caps, i))).rfind(mediaType, 0) == 0) return true;
  return false;
}

std::string NameOf(GstObject* object) {
  const gst::StringPtr name(gst_object_get_name(object));
  return name ? name.get() : "";
}

void UnlinkAll(GstElement* element) {
  for (const PadPtr& pad : gst::Pads(element, GST_PAD_UNKNOWN)) {
    const PadPtr peer(gst_pad_get_peer(pad.get()));
    if (!peer) continue;
    if (GST_PAD_IS_SRC(pad.get()))
      gst_pad_unlink(pad.get(), peer.get());
    else
      gst_pad_unlink(peer.get(), pad.get());
  }
}

void ReleaseRequestPads(GstElement* element) {
  for (const PadPtr& pad : gst::Pads(element, GST_PAD_SRC))
    if (GstPadTemplate* templ = GST_PAD_PAD_TEMPLATE(pad.get());
        templ && GST_PAD_TEMPLATE_PRESENCE(templ) == GST_PAD_REQUEST)
      gst_element_release_request_pad(element, pad.get());
}

// The text of the error a message carries.
std::string ErrorText(GstMessage* message, const char* fallback) {
  GError* raw = nullptr;
  gst_message_parse_error(message, &raw, nullptr);
  const gst::ErrorPtr error(raw);
  return error && error->message ? error->message : fallback;
}

// The domain of the error a message carries.
bool IsResourceError(GstMessage* message) {
  GError* raw = nullptr;
  gst_message_parse_error(message, &raw, nullptr);
  const gst::ErrorPtr error(raw);
  return error && error->domain == GST_RESOURCE_ERROR;
}

// The converters a raw stream may need, or a decoder for an encoded one.
std::vector<std::string> ConverterChain(const GstCaps* caps) {
  if (CapsStartWith(caps, "video/x-raw")) return {"videoconvert", "videoscale"};
  if (CapsStartWith(caps, "audio/x-raw")) return {"audioconvert", "audioresample"};
  const std::vector<std::string> decoders =
      gst::FactoryList::Elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL)
          .Filter(caps, GST_PAD_SINK)
          .names();
  if (decoders.empty()) return {};
  return {decoders.front(), "videoconvert"};
}

}  // namespace

// --- Dropped frames ---------------------------------------------------------

DroppedFrameCounter::DroppedFrameCounter(GstPad* pad) : counts_(std::make_shared<Counts>()) {
  probe_ = gst::PadProbe(pad, GST_PAD_PROBE_TYPE_BUFFER, [counts = counts_](GstPad*, GstPadProbeInfo* info) {
    counts->Add(GST_PAD_PROBE_INFO_BUFFER(info));
    return GST_PAD_PROBE_OK;
  });
}

void DroppedFrameCounter::Counts::Add(GstBuffer* buffer) {
  seen.fetch_add(1);
  const guint64 offset = GST_BUFFER_OFFSET(buffer);
  const GstClockTime time = GST_BUFFER_PTS(buffer);
  if (offset != GST_BUFFER_OFFSET_NONE && nextOffset != GST_BUFFER_OFFSET_NONE && offset > nextOffset) {
    dropped.fetch_add(offset - nextOffset);
  } else if (offset == GST_BUFFER_OFFSET_NONE && GST_CLOCK_TIME_IS_VALID(time) && GST_CLOCK_TIME_IS_VALID(lastTime) &&
             GST_CLOCK_TIME_IS_VALID(lastDuration) && lastDuration > 0 && time > lastTime + lastDuration * 3 / 2) {
    dropped.fetch_add((time - lastTime) / lastDuration - 1);
  }
  nextOffset = offset == GST_BUFFER_OFFSET_NONE ? GST_BUFFER_OFFSET_NONE : offset + 1;
  lastTime = time;
  lastDuration = GST_BUFFER_DURATION(buffer);
}

// --- Graph ----------------------------------------------------------------

TMediaGraph::TMediaGraph() {
  gst::EnsureInitialised();
  pipeline_ = gst::ElementPtr::Sink(gst_pipeline_new("fg"));
  const gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
  watch_ = gst_bus_add_watch(bus.get(), &TMediaGraph::BusWatch, this);
}

TMediaGraph::~TMediaGraph() {
  if (watch_) g_source_remove(watch_);
  gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
}

gboolean TMediaGraph::BusWatch(GstBus*, GstMessage* message, gpointer data) {
  auto* self = static_cast<TMediaGraph*>(data);
  if (!self->onEvent) return TRUE;
  const std::string source = GST_MESSAGE_SRC(message) ? NameOf(GST_MESSAGE_SRC(message)) : std::string();
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
      const bool lost = !self->currentSource.empty() && source == self->currentSource && IsResourceError(message);
      self->onEvent({lost ? GraphEvent::Kind::DeviceLost : GraphEvent::Kind::Error, source, ErrorText(message, "")});
      break;
    }
    case GST_MESSAGE_EOS:
      self->onEvent({GraphEvent::Kind::EndOfStream, source, {}});
      break;
    case GST_MESSAGE_ELEMENT:
      if (const GstStructure* body = gst_message_get_structure(message)) {
        GraphEvent event{GraphEvent::Kind::Element, source, gst_structure_get_name(body)};
        gint notification = 0;
        gint64 first = 0, second = 0;
        if (gst_structure_get_int(body, "message", &notification) &&
            gst_structure_get_int64(body, "first", &first) && gst_structure_get_int64(body, "second", &second)) {
          event.notification = notification;
          event.first = first;
          event.second = second;
        }
        self->onEvent(event);
      }
      break;
    default:
      break;
  }
  return TRUE;
}

bool TMediaGraph::AddFilter(GstElement* element, const std::string& name) {
  if (!element) return false;
  if (const gst::ObjectPtr<GstObject> parent{gst_object_get_parent(GST_OBJECT(element))})
    return parent.get() == GST_OBJECT(pipeline_.get()) && NameOf(GST_OBJECT(element)) == name;
  if (const gst::ElementPtr other = FindByName(name); other && other.get() != element) return false;
  gst_object_set_name(GST_OBJECT(element), name.c_str());
  return gst_bin_add(GST_BIN(pipeline_.get()), element);
}

bool TMediaGraph::RemoveFilter(GstElement* element) {
  if (!Contains(element)) return false;
  const gst::ElementPtr held = gst::ElementPtr::Ref(element);  // the bin's reference goes; the caller's stays
  for (auto it = teeQueues_.begin(); it != teeQueues_.end(); ++it) {
    if (it->first != element) continue;
    const std::vector<gst::ElementPtr> queues = std::move(it->second);
    teeQueues_.erase(it);
    for (const gst::ElementPtr& queue : queues) RemoveFilter(queue.get());
    ReleaseRequestPads(element);
    break;
  }
  UnlinkAll(element);
  gst_element_set_state(element, GST_STATE_NULL);
  return gst_bin_remove(GST_BIN(pipeline_.get()), element);
}

bool TMediaGraph::Contains(GstElement* element) const {
  return element && GST_OBJECT_PARENT(element) == GST_OBJECT(pipeline_.get());
}

gst::ElementPtr TMediaGraph::FindByName(const std::string& name) const {
  return gst::ElementPtr(gst_bin_get_by_name(GST_BIN(pipeline_.get()), name.c_str()));
}

int TMediaGraph::ElementCount() const { return static_cast<int>(GST_BIN_NUMCHILDREN(pipeline_.get())); }

bool TMediaGraph::ConnectDirect(GstPad* output, GstPad* input) {
  if (!output || !input || gst_pad_is_linked(output) || gst_pad_is_linked(input)) return false;
  const CapsPtr produced = PadCaps(output), accepted = PadCaps(input);
  if (!gst_caps_can_intersect(produced.get(), accepted.get())) {
    qCInfo(lcGraph) << "no common format between" << NameOf(GST_OBJECT(output)).c_str() << "and"
                    << NameOf(GST_OBJECT(input)).c_str();
    return false;
  }
  return gst_pad_link(output, input) == GST_PAD_LINK_OK;
}

bool TMediaGraph::ConnectIntelligent(GstPad* output, GstPad* input, std::vector<gst::ElementPtr>* inserted) {
  if (ConnectDirect(output, input)) return true;
  if (!output || !input || gst_pad_is_linked(output) || gst_pad_is_linked(input)) return false;
  const CapsPtr produced = PadCaps(output);
  std::vector<gst::ElementPtr> chain;
  for (const std::string& factory : ConverterChain(produced.get())) {
    const auto element = gst::ElementPtr::Sink(gst_element_factory_make(factory.c_str(), nullptr));
    if (!element) return false;
    chain.push_back(element);
  }
  if (chain.empty()) return false;
  for (const gst::ElementPtr& element : chain) AddFilter(element.get(), "auto_" + std::to_string(++autoNumber_));
  bool linked = true;
  GstPad* from = output;
  PadPtr fromHolder;
  for (const gst::ElementPtr& element : chain) {
    const PadPtr sink(gst_element_get_static_pad(element.get(), "sink"));
    linked = linked && gst_pad_link(from, sink.get()) == GST_PAD_LINK_OK;
    fromHolder = PadPtr(gst_element_get_static_pad(element.get(), "src"));
    from = fromHolder.get();
  }
  linked = linked && ConnectDirect(from, input);
  if (!linked) {
    for (const gst::ElementPtr& element : chain) RemoveFilter(element.get());
    return false;
  }
  for (const gst::ElementPtr& element : chain) gst_element_sync_state_with_parent(element.get());
  if (inserted) inserted->insert(inserted->end(), chain.begin(), chain.end());
  return true;
}

bool TMediaGraph::RenderStream(GstElement* source, GstElement* intermediate, GstElement* sink,
                               std::vector<gst::ElementPtr>* inserted) {
  const PadPtr out = FindPin(source, Direction::Output, {}, true, 0);
  if (!intermediate) {
    const PadPtr in = FindPin(sink, Direction::Input, {}, true, 0);
    return out && in && ConnectIntelligent(out.get(), in.get(), inserted);
  }
  const PadPtr middleIn = FindPin(intermediate, Direction::Input, {}, true, 0);
  if (!out || !middleIn || !ConnectIntelligent(out.get(), middleIn.get(), inserted)) return false;
  const PadPtr middleOut = FindPin(intermediate, Direction::Output, {}, true, 0);
  const PadPtr in = FindPin(sink, Direction::Input, {}, true, 0);
  return middleOut && in && ConnectIntelligent(middleOut.get(), in.get(), inserted);
}

PadPtr TMediaGraph::FindPin(GstElement* element, Direction direction, const std::string& mediaType,
                            bool unconnectedOnly, int index) const {
  if (!element) return {};
  const GstPadDirection wanted = direction == Direction::Output ? GST_PAD_SRC : GST_PAD_SINK;
  int found = 0;
  for (const PadPtr& pad : gst::Pads(element, wanted))
    if (!(unconnectedOnly && gst_pad_is_linked(pad.get())) && CapsStartWith(PadCaps(pad.get()).get(), mediaType) &&
        found++ == index)
      return pad;
  // A request template in that direction (a tee's outputs, a muxer's inputs)
  // makes the pad asked for.
  for (GList* t = gst_element_class_get_pad_template_list(GST_ELEMENT_GET_CLASS(element)); t; t = t->next) {
    auto* templ = GST_PAD_TEMPLATE(t->data);
    if (GST_PAD_TEMPLATE_DIRECTION(templ) != wanted || GST_PAD_TEMPLATE_PRESENCE(templ) != GST_PAD_REQUEST) continue;
    if (!CapsStartWith(GST_PAD_TEMPLATE_CAPS(templ), mediaType)) continue;
    while (found <= index) {
      PadPtr made(gst_element_request_pad(element, templ, nullptr, nullptr));  // comes with a reference
      if (!made) return {};
      if (found++ == index) return made;
    }
  }
  return {};
}

PadPtr TMediaGraph::TeeOutput(GstElement* tee, int position) {
  if (!Contains(tee) || position < 1) return {};
  auto entry = std::find_if(teeQueues_.begin(), teeQueues_.end(), [tee](const auto& e) { return e.first == tee; });
  if (entry == teeQueues_.end()) entry = teeQueues_.insert(teeQueues_.end(), {tee, {}});
  auto& queues = entry->second;
  // A queue taken out with a chain comes back to its output.
  for (std::size_t i = 0; i < queues.size() && static_cast<int>(i) < position; ++i) {
    if (Contains(queues[i].get())) continue;
    const PadPtr teePad = FindPin(tee, Direction::Output, {}, false, static_cast<int>(i));
    const PadPtr queueSink(gst_element_get_static_pad(queues[i].get(), "sink"));
    if (!teePad || gst_pad_is_linked(teePad.get()) ||
        !AddFilter(queues[i].get(), NameOf(GST_OBJECT(tee)) + "_out" + std::to_string(i + 1)) ||
        gst_pad_link(teePad.get(), queueSink.get()) != GST_PAD_LINK_OK)
      return {};
    gst_element_sync_state_with_parent(queues[i].get());
  }
  while (static_cast<int>(queues.size()) < position) {
    PadPtr teePad = FindPin(tee, Direction::Output, {}, false, static_cast<int>(queues.size()));
    // A plug-in's tee holds pads of its own: the output takes a free one.
    if (teePad && gst_pad_is_linked(teePad.get())) teePad = FindPin(tee, Direction::Output, {}, true, 0);
    auto queue = gst::ElementPtr::Sink(gst_element_factory_make("queue", nullptr));
    const std::string name = NameOf(GST_OBJECT(tee)) + "_out" + std::to_string(queues.size() + 1);
    if (!teePad || !queue || !AddFilter(queue.get(), name)) return {};
    const PadPtr queueSink(gst_element_get_static_pad(queue.get(), "sink"));
    if (gst_pad_link(teePad.get(), queueSink.get()) != GST_PAD_LINK_OK) {
      RemoveFilter(queue.get());
      return {};
    }
    gst_element_sync_state_with_parent(queue.get());
    queues.push_back(queue);
  }
  return PadPtr(gst_element_get_static_pad(queues[position - 1].get(), "src"));
}

void TMediaGraph::ReleaseTeeOutput(GstElement* tee, int position) {
  auto entry = std::find_if(teeQueues_.begin(), teeQueues_.end(), [tee](const auto& e) { return e.first == tee; });
  if (entry == teeQueues_.end() || position < 1 || position > static_cast<int>(entry->second.size())) return;
  auto& queues = entry->second;
  GstElement* queue = queues[position - 1].get();
  const PadPtr queueIn(gst_element_get_static_pad(queue, "sink"));
  PadPtr teePad(queueIn ? gst_pad_get_peer(queueIn.get()) : nullptr);
  RemoveFilter(queue);
  if (position != static_cast<int>(queues.size())) return;
  queues.pop_back();
  if (!teePad) teePad = FindPin(tee, Direction::Output, {}, false, position - 1);
  if (teePad) gst_element_release_request_pad(tee, teePad.get());
}

bool TMediaGraph::Run(std::chrono::milliseconds timeout, std::string* error) {
  const auto fail = [&](const std::string& reason) {
    if (error) *error = reason;
    qCWarning(lcGraph) << "the graph does not run:" << reason.c_str();
    gst_element_set_state(pipeline_.get(), GST_STATE_READY);
    // The caller has the reason: the other errors of this failed start are
    // not reported again.
    const gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
    while (const gst::MessagePtr stale{gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)}) {
    }
    return false;
  };
  // An error of an element that has left the graph since (a recording
  // branch taken down after its writer failed) is no reason not to run.
  const auto currentError = [this]() -> gst::MessagePtr {
    const gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
    while (gst::MessagePtr message{gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)}) {
      GstObject* source = GST_MESSAGE_SRC(message.get());
      if (source && gst_object_has_as_ancestor(source, GST_OBJECT(pipeline_.get()))) return message;
    }
    return {};
  };
  if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    const gst::MessagePtr message = currentError();
    return fail(message ? ErrorText(message.get(), "state change refused") : "state change refused");
  }
  const GstStateChangeReturn state = gst_element_get_state(
      pipeline_.get(), nullptr, nullptr, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count());
  if (const gst::MessagePtr message = currentError()) return fail(ErrorText(message.get(), "error"));
  if (state == GST_STATE_CHANGE_FAILURE) return fail("state change failed");
  if (state == GST_STATE_CHANGE_ASYNC) return fail("no answer in time");
  return true;
}

bool TMediaGraph::Stop() {
  if (gst_element_set_state(pipeline_.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) return false;
  return gst_element_get_state(pipeline_.get(), nullptr, nullptr, 5 * GST_SECOND) != GST_STATE_CHANGE_FAILURE;
}

std::optional<std::string> TMediaGraph::TakeError(GstElement* from) {
  if (!from) return std::nullopt;
  const gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
  std::vector<gst::MessagePtr> others;
  std::optional<std::string> found;
  while (gst::MessagePtr message{gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)}) {
    GstObject* source = GST_MESSAGE_SRC(message.get());
    if (!found && source && (source == GST_OBJECT(from) || gst_object_has_as_ancestor(source, GST_OBJECT(from))))
      found = ErrorText(message.get(), "error");
    else
      others.push_back(std::move(message));
  }
  for (gst::MessagePtr& message : others) gst_bus_post(bus.get(), message.release());
  return found;
}

bool TMediaGraph::Running() const {
  GstState state = GST_STATE_NULL;
  gst_element_get_state(pipeline_.get(), &state, nullptr, 0);
  return state == GST_STATE_PLAYING;
}

std::optional<TMediaGraph::OutputFile> TMediaGraph::SetOutputFileName(OutputKind kind, const std::string& path) {
  OutputFile file{
      gst::ElementPtr::Sink(gst_element_factory_make(kind == OutputKind::Avi ? "avimux" : "asfmux", nullptr)),
      gst::ElementPtr::Sink(gst_element_factory_make("filesink", nullptr))};
  if (!file.muxer || !file.sink) return std::nullopt;
  g_object_set(file.sink.get(), "location", path.c_str(), "async", FALSE, nullptr);
  const std::string number = std::to_string(++autoNumber_);
  if (!AddFilter(file.muxer.get(), "mux_" + number) || !AddFilter(file.sink.get(), "file_" + number) ||
      !gst_element_link(file.muxer.get(), file.sink.get())) {
    RemoveFilter(file.muxer.get());
    RemoveFilter(file.sink.get());
    return std::nullopt;
  }
  return file;
}

bool TMediaGraph::RepointFileSink(GstElement* sink, const std::string& path) {
  // A file sink takes a new file only when it is closed.
  if (gst_element_set_state(sink, GST_STATE_NULL) == GST_STATE_CHANGE_FAILURE) return false;
  g_object_set(sink, "location", path.c_str(), nullptr);
  return gst_element_sync_state_with_parent(sink);
}

void TMediaGraph::SetStreamFormat(GstElement* capsfilter, GstCaps* caps) {
  g_object_set(capsfilter, "caps", caps, nullptr);
}

// --- Tee branches -----------------------------------------------------------

TeeBranch::TeeBranch(TMediaGraph& graph, GstElement* tee, std::vector<gst::ElementPtr> elements)
    : graph_(graph), tee_(gst::ElementPtr::Ref(tee)), elements_(std::move(elements)) {
  static std::atomic<int> counter{0};
  queue_ = gst::ElementPtr::Sink(gst_element_factory_make("queue", nullptr));
  gst_object_set_name(GST_OBJECT(queue_.get()), ("branch_queue_" + std::to_string(++counter)).c_str());
}

TeeBranch::~TeeBranch() { Detach(); }

bool TeeBranch::Attach() {
  if (attached_) return true;
  if (!gst_bin_add(GST_BIN(graph_.pipeline()), queue_.get())) return false;
  GstElement* previous = queue_.get();
  bool linked = true;
  for (const gst::ElementPtr& element : elements_) {
    linked =
        linked && gst_bin_add(GST_BIN(graph_.pipeline()), element.get()) && gst_element_link(previous, element.get());
    previous = element.get();
  }
  for (auto element = elements_.rbegin(); element != elements_.rend(); ++element)
    gst_element_sync_state_with_parent(element->get());
  gst_element_sync_state_with_parent(queue_.get());
  teePad_ = PadPtr(gst_element_request_pad_simple(tee_.get(), "src_%u"));
  const PadPtr queueSink(gst_element_get_static_pad(queue_.get(), "sink"));
  linked = linked && teePad_ && gst_pad_link(teePad_.get(), queueSink.get()) == GST_PAD_LINK_OK;
  attached_ = true;
  if (!linked) Detach();
  return linked;
}

void TeeBranch::Detach() {
  if (!attached_) return;
  attached_ = false;
  if (teePad_) {
    // Unlink when no buffer is passing through the tee's output.
    const PadPtr queueSink(gst_element_get_static_pad(queue_.get(), "sink"));
    auto unlinked = std::make_shared<std::promise<void>>();
    std::future<void> done = unlinked->get_future();
    gst::PadProbe idle(teePad_.get(), GST_PAD_PROBE_TYPE_IDLE, [unlinked, queueSink](GstPad* pad, GstPadProbeInfo*) {
      gst_pad_unlink(pad, queueSink.get());
      unlinked->set_value();
      return GST_PAD_PROBE_REMOVE;
    });
    if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      // The tee never went idle: the probe is taken back, its state goes with it.
      qCWarning(lcGraph) << "a branch could not be unlinked in time";
      idle.Remove();
      gst_pad_unlink(teePad_.get(), queueSink.get());
    }
    gst_element_release_request_pad(tee_.get(), teePad_.get());
    teePad_ = {};
  }
  gst_element_set_state(queue_.get(), GST_STATE_NULL);
  for (const gst::ElementPtr& element : elements_) gst_element_set_state(element.get(), GST_STATE_NULL);
  gst_bin_remove(GST_BIN(graph_.pipeline()), queue_.get());
  for (const gst::ElementPtr& element : elements_)
    if (GST_OBJECT_PARENT(element.get()) == GST_OBJECT(graph_.pipeline()))
      gst_bin_remove(GST_BIN(graph_.pipeline()), element.get());
}

}  // namespace graph
