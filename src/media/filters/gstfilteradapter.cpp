#include "media/filters/gstfilteradapter.h"

#include <gst/base/gstbasetransform.h>
#include <gst/video/video-info.h>

#include "platform/gstreamer.h"

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <string>

GST_DEBUG_CATEGORY_STATIC(tessivo_filter_debug);
#define GST_CAT_DEFAULT tessivo_filter_debug

namespace {

constexpr ReferenceTime kNanosecondsPerUnit = 100;

// One element instance: the filter it owns and what was negotiated. The
// filter is touched by the streaming thread; the state change and property
// calls come from the application thread.
struct TessivoFilterElement {
  GstBaseTransform parent;
  TFilter* filter;
  TFilterHost* host;
  TMediaType inputType;
  TMediaType outputType;
  std::atomic<bool> dropPosted;
  bool leadingSent;  // streaming thread
  GstPadChainFunction frameworkChain;
};

struct TessivoFilterElementClass {
  GstBaseTransformClass parent;
  const FilterElementDescription* description;
};

const FilterElementDescription* DescriptionOf(gpointer instance) {
  return reinterpret_cast<TessivoFilterElementClass*>(G_OBJECT_GET_CLASS(instance))->description;
}

TessivoFilterElement* Self(gpointer instance) { return reinterpret_cast<TessivoFilterElement*>(instance); }

// Posts the filter's notifications as element messages on the bus.
class BusHost final : public TFilterHost {
 public:
  explicit BusHost(GstElement* element) : element_(element) {}
  void PostNotification(int message, std::intptr_t first, std::intptr_t second) override {
    GstStructure* body =
        gst_structure_new(kNotificationMessage, "message", G_TYPE_INT, message, "first", G_TYPE_INT64,
                          static_cast<gint64>(first), "second", G_TYPE_INT64, static_cast<gint64>(second), nullptr);
    gst_element_post_message(element_, gst_message_new_element(GST_OBJECT(element_), body));
  }
  void QualityChanged() override {
    gst_element_post_message(element_,
                             gst_message_new_element(GST_OBJECT(element_), gst_structure_new_empty(kQualityMessage)));
  }

 private:
  GstElement* element_;
};

GType BaseType();

GstFlowReturn PushBytes(TessivoFilterElement* self, const std::vector<std::uint8_t>& bytes) {
  GstBuffer* buffer = gst_buffer_new_memdup(bytes.data(), bytes.size());
  return gst_pad_push(GST_BASE_TRANSFORM_SRC_PAD(&self->parent), buffer);
}

// The framework's receive, then the filter learns whether the sample went
// on downstream.
GstFlowReturn Chain(GstPad* pad, GstObject* parent, GstBuffer* buffer) {
  auto* self = Self(parent);
  const GstFlowReturn result = self->frameworkChain(pad, parent, buffer);
  self->filter->ReceiveFinished(result == GST_FLOW_OK);
  return result;
}

void InstanceInit(GTypeInstance* instance, gpointer klass) {
  auto* self = Self(instance);
  const auto* description = reinterpret_cast<TessivoFilterElementClass*>(klass)->description;
  self->filter = description ? description->create().release() : nullptr;
  self->host = new BusHost(GST_ELEMENT(instance));
  new (&self->inputType) TMediaType();
  new (&self->outputType) TMediaType();
  new (&self->dropPosted) std::atomic<bool>(false);
  if (self->filter) self->filter->setHost(self->host);
  auto* transform = GST_BASE_TRANSFORM(instance);
  if (description && description->inPlace) gst_base_transform_set_in_place(transform, TRUE);
  gst_base_transform_set_passthrough(transform, FALSE);
  self->leadingSent = false;
  GstPad* sink = GST_BASE_TRANSFORM_SINK_PAD(transform);
  self->frameworkChain = GST_PAD_CHAINFUNC(sink);
  gst_pad_set_chain_function(sink, Chain);
}

void Finalize(GObject* object) {
  auto* self = Self(object);
  delete self->filter;
  delete self->host;
  self->filter = nullptr;
  self->host = nullptr;
  G_OBJECT_CLASS(g_type_class_peek(GST_TYPE_BASE_TRANSFORM))->finalize(object);
}

const FilterProperty* PropertyOf(GObject* object, guint id) {
  const auto* description = DescriptionOf(object);
  return id >= 1 && id <= description->properties.size() ? &description->properties[id - 1] : nullptr;
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  const FilterProperty* property = PropertyOf(object, id);
  if (!property || !property->set) {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
    return;
  }
  property->set(*Self(object)->filter, value);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  const FilterProperty* property = PropertyOf(object, id);
  if (!property || !property->get) {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
    return;
  }
  property->get(*Self(object)->filter, value);
}

GParamSpec* SpecOf(const FilterProperty& p) {
  const auto flags =
      static_cast<GParamFlags>(G_PARAM_STATIC_STRINGS | G_PARAM_READABLE | (p.writable ? G_PARAM_WRITABLE : 0));
  switch (p.type) {
    case G_TYPE_BOOLEAN:
      return g_param_spec_boolean(p.name, p.name, p.blurb, p.defaultValue != 0, flags);
    case G_TYPE_INT:
      return g_param_spec_int(p.name, p.name, p.blurb, static_cast<gint>(p.minimum), static_cast<gint>(p.maximum),
                              static_cast<gint>(p.defaultValue), flags);
    case G_TYPE_UINT:
      return g_param_spec_uint(p.name, p.name, p.blurb, static_cast<guint>(p.minimum), static_cast<guint>(p.maximum),
                               static_cast<guint>(p.defaultValue), flags);
    case G_TYPE_INT64:
      return g_param_spec_int64(p.name, p.name, p.blurb, static_cast<gint64>(p.minimum), static_cast<gint64>(p.maximum),
                                static_cast<gint64>(p.defaultValue), flags);
    case G_TYPE_STRING:
      return g_param_spec_string(p.name, p.name, p.blurb, "", flags);
    default:
      return g_param_spec_double(p.name, p.name, p.blurb, p.minimum, p.maximum, p.defaultValue, flags);
  }
}

gboolean SetCaps(GstBaseTransform* transform, GstCaps* incaps, GstCaps* outcaps) {
  auto* self = Self(transform);
  const std::optional<TMediaType> input = MediaTypeFromCaps(incaps);
  if (!input || self->filter->CheckInputType(*input) == FilterResult::Refuse) {
    GST_DEBUG_OBJECT(transform, "input caps refused: %" GST_PTR_FORMAT, incaps);
    return FALSE;
  }
  self->inputType = *input;
  self->filter->InputTypeSet(*input);
  self->outputType = MediaTypeFromCaps(outcaps).value_or(*input);
  if (auto* copy = dynamic_cast<TTransformFilter*>(self->filter)) {
    const std::optional<TMediaType> wanted = copy->OutputType(*input);
    if (!wanted) return FALSE;
  }
  return TRUE;
}

gboolean Start(GstBaseTransform* transform) {
  auto* self = Self(transform);
  self->dropPosted.store(false);
  self->leadingSent = false;
  self->filter->StartStreaming();
  return TRUE;
}

gboolean StopStreaming(GstBaseTransform* transform) {
  Self(transform)->filter->StopStreaming();
  return TRUE;
}

GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition) {
  auto* parentClass = GST_ELEMENT_CLASS(g_type_class_peek(GST_TYPE_BASE_TRANSFORM));
  const GstStateChangeReturn result = parentClass->change_state(element, transition);
  // The graph stops: streaming is over, the filter closes what it reports.
  if (transition == GST_STATE_CHANGE_PAUSED_TO_READY) Self(element)->filter->Stop();
  return result;
}

gboolean SinkEvent(GstBaseTransform* transform, GstEvent* event) {
  const bool endOfStream = GST_EVENT_TYPE(event) == GST_EVENT_EOS;
  auto* self = Self(transform);
  if (auto* writer = dynamic_cast<TTransformFilter*>(self->filter); writer && endOfStream) {
    // A file writer's head is rewritten at the start of the file, now that
    // its sizes are known; the file sink seeks there on a byte segment.
    const std::vector<std::uint8_t> head = writer->FinalBytes();
    if (!head.empty()) {
      self->leadingSent = true;  // an empty stream gets the final head only
      GstSegment segment;
      gst_segment_init(&segment, GST_FORMAT_BYTES);
      gst_pad_push_event(GST_BASE_TRANSFORM_SRC_PAD(transform), gst_event_new_segment(&segment));
      PushBytes(self, head);
    }
  }
  auto* parentClass = GST_BASE_TRANSFORM_CLASS(g_type_class_peek(GST_TYPE_BASE_TRANSFORM));
  const gboolean handled = parentClass->sink_event(transform, event);
  // Pushing the event returns once the elements downstream on this thread
  // (up to the file sink, when no queue stands between) have taken it.
  if (endOfStream) Self(transform)->filter->EndOfStreamDelivered();
  return handled;
}

TMediaSample SampleOf(GstBuffer* buffer, GstMapInfo& map, const TMediaType* type) {
  TMediaSample sample;
  sample.data = map.data;
  sample.size = map.size;
  if (GST_BUFFER_PTS_IS_VALID(buffer)) {
    sample.start = static_cast<ReferenceTime>(GST_BUFFER_PTS(buffer)) / kNanosecondsPerUnit;
    if (GST_BUFFER_DURATION_IS_VALID(buffer))
      sample.stop = *sample.start + static_cast<ReferenceTime>(GST_BUFFER_DURATION(buffer)) / kNanosecondsPerUnit;
  }
  if (GST_BUFFER_OFFSET_IS_VALID(buffer)) sample.mediaStart = static_cast<std::int64_t>(GST_BUFFER_OFFSET(buffer));
  if (GST_BUFFER_OFFSET_END_IS_VALID(buffer))
    sample.mediaStop = static_cast<std::int64_t>(GST_BUFFER_OFFSET_END(buffer));
  sample.syncPoint = !GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
  sample.discontinuity = GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT);
  sample.type = type;
  return sample;
}

// Writes back what the filter may have changed: times, media times, flags.
// A time the filter took away leaves the buffer too.
void ApplySample(const TMediaSample& sample, GstBuffer* buffer) {
  GST_BUFFER_PTS(buffer) =
      sample.start ? static_cast<GstClockTime>(*sample.start * kNanosecondsPerUnit) : GST_CLOCK_TIME_NONE;
  GST_BUFFER_DURATION(buffer) = sample.start && sample.stop
                                    ? static_cast<GstClockTime>((*sample.stop - *sample.start) * kNanosecondsPerUnit)
                                    : GST_CLOCK_TIME_NONE;
  if (!sample.start) GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
  GST_BUFFER_OFFSET(buffer) = sample.mediaStart ? static_cast<guint64>(*sample.mediaStart) : GST_BUFFER_OFFSET_NONE;
  GST_BUFFER_OFFSET_END(buffer) = sample.mediaStop ? static_cast<guint64>(*sample.mediaStop) : GST_BUFFER_OFFSET_NONE;
  if (sample.syncPoint)
    GST_BUFFER_FLAG_UNSET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
  else
    GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
  if (sample.discontinuity) GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
}

GstFlowReturn Answer(TessivoFilterElement* self, FilterResult result) {
  switch (result) {
    case FilterResult::Deliver:
      return GST_FLOW_OK;
    case FilterResult::Drop:
      if (!self->dropPosted.exchange(true)) self->host->QualityChanged();
      return GST_BASE_TRANSFORM_FLOW_DROPPED;
    case FilterResult::Refuse:
      break;
  }
  return GST_FLOW_NOT_NEGOTIATED;
}

GstFlowReturn TransformInPlace(GstBaseTransform* transform, GstBuffer* buffer) {
  auto* self = Self(transform);
  auto* filter = static_cast<TTransInPlaceFilter*>(self->filter);
  GstMapInfo map;
  const auto flags = static_cast<GstMapFlags>(GST_MAP_READ | (filter->modifiesData() ? GST_MAP_WRITE : 0));
  if (!gst_buffer_map(buffer, &map, flags)) return GST_FLOW_ERROR;
  TMediaSample sample = SampleOf(buffer, map, &self->inputType);
  const FilterResult result = filter->Transform(sample);
  gst_buffer_unmap(buffer, &map);
  if (result == FilterResult::Deliver) ApplySample(sample, buffer);
  return Answer(self, result);
}

GstFlowReturn TransformCopy(GstBaseTransform* transform, GstBuffer* input, GstBuffer* output) {
  auto* self = Self(transform);
  auto* filter = static_cast<TTransformFilter*>(self->filter);
  GstMapInfo inMap, outMap;
  if (!gst_buffer_map(input, &inMap, GST_MAP_READ)) return GST_FLOW_ERROR;
  if (!gst_buffer_map(output, &outMap, GST_MAP_WRITE)) {
    gst_buffer_unmap(input, &inMap);
    return GST_FLOW_ERROR;
  }
  if (!self->leadingSent) {
    self->leadingSent = true;
    const std::vector<std::uint8_t> head = filter->LeadingBytes();
    if (!head.empty()) {
      const GstFlowReturn pushed = PushBytes(self, head);
      if (pushed != GST_FLOW_OK) {
        gst_buffer_unmap(output, &outMap);
        gst_buffer_unmap(input, &inMap);
        return pushed;
      }
    }
  }
  const TMediaSample in = SampleOf(input, inMap, &self->inputType);
  TMediaSample out = in;  // times and flags carry over
  out.data = outMap.data;
  out.size = outMap.size;
  out.type = &self->outputType;
  const FilterResult result = filter->Transform(in, out);
  gst_buffer_unmap(output, &outMap);
  gst_buffer_unmap(input, &inMap);
  if (result == FilterResult::Deliver) {
    ApplySample(out, output);
    if (out.size < gst_buffer_get_size(output)) gst_buffer_resize(output, 0, static_cast<gssize>(out.size));
  }
  return Answer(self, result);
}

// A copy filter may change the picture size: fixed input caps give the
// filter's output size; anything else is as wide as the templates.
GstCaps* TransformCaps(GstBaseTransform* transform, GstPadDirection direction, GstCaps* caps, GstCaps* filterCaps) {
  auto* self = Self(transform);
  auto* filter = dynamic_cast<TTransformFilter*>(self->filter);
  GstCaps* result = nullptr;
  const char* fixedOutput = DescriptionOf(transform)->fixedOutputCaps;
  if (direction == GST_PAD_SINK && fixedOutput) {
    result = gst_caps_from_string(fixedOutput);
  } else if (direction == GST_PAD_SINK && filter && gst_caps_is_fixed(caps)) {
    const std::optional<TMediaType> input = MediaTypeFromCaps(caps);
    const std::optional<TMediaType> output = input ? filter->OutputType(*input) : std::nullopt;
    result = gst_caps_copy(caps);
    if (output && input && output->width > 0 && output->height > 0 &&
        (output->width != input->width || output->height != input->height))
      gst_caps_set_simple(result, "width", G_TYPE_INT, output->width, "height", G_TYPE_INT, output->height, nullptr);
  } else {
    GstPad* other =
        direction == GST_PAD_SINK ? GST_BASE_TRANSFORM_SRC_PAD(transform) : GST_BASE_TRANSFORM_SINK_PAD(transform);
    result = gst_pad_get_pad_template_caps(other);
  }
  if (filterCaps) {
    const gst::CapsPtr wide(result);
    result = gst_caps_intersect_full(filterCaps, wide.get(), GST_CAPS_INTERSECT_FIRST);
  }
  return result;
}

gboolean TransformSize(GstBaseTransform* transform, GstPadDirection direction, GstCaps*, gsize size, GstCaps* othercaps,
                       gsize* othersize) {
  auto* self = Self(transform);
  auto* filter = dynamic_cast<TTransformFilter*>(self->filter);
  if (direction != GST_PAD_SINK || !filter) {
    *othersize = size;
    return TRUE;
  }
  const TMediaType output = MediaTypeFromCaps(othercaps).value_or(self->inputType);
  *othersize = filter->OutputSize(output, size);
  return TRUE;
}

void ClassInit(gpointer klass, gpointer data) {
  auto* elementClass = reinterpret_cast<TessivoFilterElementClass*>(klass);
  const auto* description = static_cast<const FilterElementDescription*>(data);
  elementClass->description = description;
  auto* objectClass = G_OBJECT_CLASS(klass);
  auto* gstElementClass = GST_ELEMENT_CLASS(klass);
  auto* transformClass = GST_BASE_TRANSFORM_CLASS(klass);
  objectClass->finalize = Finalize;
  objectClass->set_property = SetProperty;
  objectClass->get_property = GetProperty;
  if (!description) return;  // the abstract base

  for (guint i = 0; i < description->properties.size(); ++i)
    g_object_class_install_property(objectClass, i + 1, SpecOf(description->properties[i]));
  gst_element_class_set_static_metadata(gstElementClass, description->longName, description->klass,
                                        description->description, "Orbelin");
  // A template takes its own reference to the caps.
  const gst::CapsPtr sinkCaps(gst_caps_from_string(description->sinkCaps));
  const gst::CapsPtr srcCaps(gst_caps_from_string(description->srcCaps));
  gst_element_class_add_pad_template(gstElementClass,
                                     gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, sinkCaps.get()));
  gst_element_class_add_pad_template(gstElementClass,
                                     gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, srcCaps.get()));
  gstElementClass->change_state = ChangeState;
  transformClass->set_caps = SetCaps;
  transformClass->start = Start;
  transformClass->stop = StopStreaming;
  transformClass->sink_event = SinkEvent;
  if (description->inPlace) {
    transformClass->transform_ip = TransformInPlace;
  } else {
    transformClass->transform = TransformCopy;
    transformClass->transform_size = TransformSize;
    transformClass->transform_caps = TransformCaps;
  }
}

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

GType BaseType() {
  static GType type = [] {
    GST_DEBUG_CATEGORY_INIT(tessivo_filter_debug, "tessivofilter", 0, "Tessivo's own filters");
    const GTypeInfo info = {sizeof(TessivoFilterElementClass), nullptr, nullptr, ClassInit, nullptr, nullptr,
                            sizeof(TessivoFilterElement),      0,       nullptr, nullptr};
    return g_type_register_static(GST_TYPE_BASE_TRANSFORM, "TessivoFilterElement", &info, G_TYPE_FLAG_ABSTRACT);
  }();
  return type;
}

}  // namespace

std::optional<TMediaType> MediaTypeFromCaps(const GstCaps* caps) {
  if (!caps || gst_caps_get_size(caps) < 1) return std::nullopt;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  const std::string name = gst_structure_get_name(s);
  TMediaType type;
  gst_structure_get_fraction(s, "framerate", &type.frameRateNumerator, &type.frameRateDenominator);
  if (name == "video/x-dv") {
    gboolean system = FALSE;
    gst_structure_get_boolean(s, "systemstream", &system);
    type.major = system ? MediaMajor::Interleaved : MediaMajor::Video;
    type.subtype = MediaSubtype::Dvsd;
    gst_structure_get_int(s, "width", &type.width);
    gst_structure_get_int(s, "height", &type.height);
  } else if (name == "video/x-raw") {
    type.major = MediaMajor::Video;
    const char* format = gst_structure_get_string(s, "format");
    type.subtype = format && std::string(format) == "BGR" ? MediaSubtype::Rgb24 : MediaSubtype::Other;
    GstVideoInfo info;
    if (gst_video_info_from_caps(&info, caps)) {
      type.width = GST_VIDEO_INFO_WIDTH(&info);
      type.height = GST_VIDEO_INFO_HEIGHT(&info);
      type.stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    }
  } else if (name == "audio/x-raw") {
    type.major = MediaMajor::Audio;
    type.subtype = MediaSubtype::Pcm;
    gst_structure_get_int(s, "rate", &type.sampleRate);
    gst_structure_get_int(s, "channels", &type.channels);
    const char* format = gst_structure_get_string(s, "format");
    const std::string f = format ? format : "";
    type.bitsPerSample = f == "U8" || f == "S8"   ? 8
                         : f.rfind("S16", 0) == 0 ? 16
                         : f.rfind("S24", 0) == 0 ? 24
                         : f.rfind("S32", 0) == 0 ? 32
                                                  : 0;
  } else if (name == "application/octet-stream" || name == "application/x-data") {
    type.major = MediaMajor::Stream;
  } else {
    type.major = MediaMajor::Other;
  }
  return type;
}

GType FilterElementType(const FilterElementDescription& description) {
  std::lock_guard lock(RegistryMutex());
  static std::map<std::string, GType> types;
  static std::deque<FilterElementDescription> kept;  // class data must outlive the type
  if (const auto found = types.find(description.name); found != types.end()) return found->second;
  kept.push_back(description);
  const std::string typeName = std::string("TessivoElement_") + description.name;
  const GTypeInfo info = {sizeof(TessivoFilterElementClass), nullptr, nullptr,      ClassInit, nullptr, &kept.back(),
                          sizeof(TessivoFilterElement),      0,       InstanceInit, nullptr};
  const GType type = g_type_register_static(BaseType(), typeName.c_str(), &info, GTypeFlags(0));
  types.emplace(description.name, type);
  return type;
}

bool RegisterFilterElement(GstPlugin* plugin, const FilterElementDescription& description, guint rank) {
  const GType type = FilterElementType(description);
  return type != 0 && gst_element_register(plugin, description.name, rank, type);
}

TFilter* FilterOfElement(GstElement* element) {
  if (!element || !G_TYPE_CHECK_INSTANCE_TYPE(element, BaseType())) return nullptr;
  return Self(element)->filter;
}
