#include "capture/simulated/dvframer.h"

#include <gst/base/gstadapter.h>

#include <QDateTime>
#include <array>
#include <cmath>
#include <mutex>
#include <vector>

#include "media/formats/dvcodes.h"

namespace {

constexpr int kFramesPerSecond = 25;
constexpr int kSceneSeconds = 20;
constexpr int kSamplesPerFrame = dv::kAudioRate / kFramesPerSecond;  // 1920

// The camcorder's microphone: a 1 kHz tone on the left, 1.5 kHz on the right,
// continuous from frame to frame.
void Sound(std::vector<std::uint8_t>& frame, guint64 index) {
  std::array<std::int16_t, 2 * kSamplesPerFrame> samples;
  const double twoPi = 2 * M_PI;
  for (int n = 0; n < kSamplesPerFrame; ++n) {
    const double t = static_cast<double>(index * kSamplesPerFrame + n) / dv::kAudioRate;
    samples[2 * n] = static_cast<std::int16_t>(6000 * std::sin(twoPi * 1000 * t));
    samples[2 * n + 1] = static_cast<std::int16_t>(6000 * std::sin(twoPi * 1500 * t));
  }
  dv::WriteAudio(frame.data(), frame.size(), dv::kSystem625, samples.data(), kSamplesPerFrame);
}

struct DvFramer {
  GstElement parent;
  GstPad* sink;
  GstPad* src;
  GstAdapter* adapter;
  guint64 index;
  gint64 startSeconds;  // local time of the first frame
};

struct DvFramerClass {
  GstElementClass parent;
};

GType DvFramerType();

void Stamp(std::vector<std::uint8_t>& frame, guint64 index, gint64 startSeconds) {
  const auto seconds = static_cast<gint64>(index / kFramesPerSecond);
  // Each scene starts an hour after the previous one began.
  const gint64 scene = seconds / kSceneSeconds;
  const QDateTime date = QDateTime::fromSecsSinceEpoch(startSeconds + seconds + scene * 3600, Qt::UTC);
  const dv::DateTime recorded{date.date().year(),
                              static_cast<std::uint8_t>(date.date().month()),
                              static_cast<std::uint8_t>(date.date().day()),
                              static_cast<std::uint8_t>(date.time().hour()),
                              static_cast<std::uint8_t>(date.time().minute()),
                              static_cast<std::uint8_t>(date.time().second())};
  const dv::TimeCode code{static_cast<std::uint8_t>(seconds / 3600 % 24), static_cast<std::uint8_t>(seconds / 60 % 60),
                          static_cast<std::uint8_t>(seconds % 60), static_cast<std::uint8_t>(index % kFramesPerSecond)};
  for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
    dv::WriteTimeCode(frame.data(), frame.size(), sequence, code);
    dv::WriteRecordingDateTime(frame.data(), frame.size(), sequence, recorded);
  }
}

GstFlowReturn Chain(GstPad*, GstObject* parent, GstBuffer* buffer) {
  auto* self = reinterpret_cast<DvFramer*>(parent);
  gst_adapter_push(self->adapter, buffer);
  GstFlowReturn result = GST_FLOW_OK;
  while (result == GST_FLOW_OK && gst_adapter_available(self->adapter) >= dv::kFrameBytes625) {
    std::vector<std::uint8_t> frame(dv::kFrameBytes625);
    gst_adapter_copy(self->adapter, frame.data(), 0, frame.size());
    gst_adapter_flush(self->adapter, frame.size());
    Stamp(frame, self->index, self->startSeconds);
    Sound(frame, self->index);
    GstBuffer* out = gst_buffer_new_memdup(frame.data(), frame.size());
    GST_BUFFER_PTS(out) = gst_util_uint64_scale(self->index, GST_SECOND, kFramesPerSecond);
    GST_BUFFER_DURATION(out) = GST_SECOND / kFramesPerSecond;
    GST_BUFFER_OFFSET(out) = self->index;
    GST_BUFFER_OFFSET_END(out) = self->index + 1;
    ++self->index;
    result = gst_pad_push(self->src, out);
  }
  return result;
}

gboolean SinkEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
  auto* self = reinterpret_cast<DvFramer*>(parent);
  switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_CAPS: {
      gst_event_unref(event);
      GstCaps* caps = gst_caps_from_string("video/x-dv,systemstream=true,format=PAL");
      const gboolean set = gst_pad_push_event(self->src, gst_event_new_caps(caps));
      gst_caps_unref(caps);
      return set;
    }
    case GST_EVENT_SEGMENT: {
      // The muxer speaks in bytes; frames go on in time.
      gst_event_unref(event);
      GstSegment segment;
      gst_segment_init(&segment, GST_FORMAT_TIME);
      return gst_pad_push_event(self->src, gst_event_new_segment(&segment));
    }
    case GST_EVENT_FLUSH_STOP:
      gst_adapter_clear(self->adapter);
      break;
    default:
      break;
  }
  return gst_pad_event_default(pad, parent, event);
}

GstStaticPadTemplate kSinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv"));
GstStaticPadTemplate kSrcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv,systemstream=true"));

void InstanceInit(GTypeInstance* instance, gpointer) {
  auto* self = reinterpret_cast<DvFramer*>(instance);
  self->sink = gst_pad_new_from_static_template(&kSinkTemplate, "sink");
  gst_pad_set_chain_function(self->sink, Chain);
  gst_pad_set_event_function(self->sink, SinkEvent);
  self->src = gst_pad_new_from_static_template(&kSrcTemplate, "src");
  gst_pad_use_fixed_caps(self->src);
  gst_element_add_pad(GST_ELEMENT(self), self->sink);
  gst_element_add_pad(GST_ELEMENT(self), self->src);
  self->adapter = gst_adapter_new();
  self->index = 0;
  const QDateTime now = QDateTime::currentDateTime();
  self->startSeconds = now.toSecsSinceEpoch() + now.offsetFromUtc();
}

void Finalize(GObject* object) {
  g_object_unref(reinterpret_cast<DvFramer*>(object)->adapter);
  G_OBJECT_CLASS(g_type_class_peek(GST_TYPE_ELEMENT))->finalize(object);
}

void ClassInit(gpointer klass, gpointer) {
  G_OBJECT_CLASS(klass)->finalize = Finalize;
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kSinkTemplate);
  gst_element_class_add_static_pad_template(element, &kSrcTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo DV framer", "Codec/Parser/Video",
                                        "Cuts a DV stream into frames and stamps a camcorder's packs", "Orbelin");
}

GType DvFramerType() {
  static GType type = [] {
    const GTypeInfo info = {sizeof(DvFramerClass), nullptr, nullptr,      ClassInit, nullptr, nullptr,
                            sizeof(DvFramer),      0,       InstanceInit, nullptr};
    return g_type_register_static(GST_TYPE_ELEMENT, "TessivoDvFramer", &info, GTypeFlags(0));
  }();
  return type;
}

}  // namespace

bool RegisterDvFramer() {
  static const bool registered = gst_element_register(nullptr, kDvFramerElement, GST_RANK_NONE, DvFramerType());
  return registered;
}
