#include "media/filters/dvaudioembed.h"

#include <gst/base/gstadapter.h>

#include <mutex>
#include <vector>

#include "media/formats/dvcodes.h"

namespace {

constexpr gsize kBytesPerPair = 4;
constexpr gsize kMaxPending = 2 * dv::kAudioRate * kBytesPerPair;  // two seconds

struct DvAudioEmbed {
  GstElement parent;
  GstPad* videoSink;
  GstPad* audioSink;
  GstPad* src;
  GstAdapter* sound;  // under lock
  std::mutex* lock;
  guint64 frames;
};

struct DvAudioEmbedClass {
  GstElementClass parent;
};

DvAudioEmbed* Self(gpointer object) { return reinterpret_cast<DvAudioEmbed*>(object); }

GstStaticPadTemplate kVideoTemplate =
    GST_STATIC_PAD_TEMPLATE("video_sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv"));
GstStaticPadTemplate kAudioTemplate =
    GST_STATIC_PAD_TEMPLATE("audio_sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                            GST_STATIC_CAPS("audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=2"));
GstStaticPadTemplate kSrcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv"));

GstFlowReturn ChainSound(GstPad*, GstObject* parent, GstBuffer* buffer) {
  DvAudioEmbed* self = Self(parent);
  const std::lock_guard guard(*self->lock);
  gst_adapter_push(self->sound, buffer);
  const gsize pending = gst_adapter_available(self->sound);
  if (pending > kMaxPending) gst_adapter_flush(self->sound, (pending - kMaxPending) / kBytesPerPair * kBytesPerPair);
  return GST_FLOW_OK;
}

GstFlowReturn ChainFrame(GstPad*, GstObject* parent, GstBuffer* buffer) {
  DvAudioEmbed* self = Self(parent);
  buffer = gst_buffer_make_writable(buffer);
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
    gst_buffer_unref(buffer);
    return GST_FLOW_ERROR;
  }
  const dv::VideoSystem system = dv::ReadVideoSystem(map.data, map.size);
  if (system != dv::kSystemUnknown) {
    const bool pal = system == dv::kSystem625;
    const int pairs = DvSamplesForFrame(pal, self->frames++);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(pairs) * 2, 0);  // silence when the sound lags
    {
      const std::lock_guard guard(*self->lock);
      const gsize wanted = static_cast<gsize>(pairs) * kBytesPerPair;
      if (gst_adapter_available(self->sound) >= wanted) {
        gst_adapter_copy(self->sound, samples.data(), 0, wanted);
        gst_adapter_flush(self->sound, wanted);
      }
    }
    dv::WriteAudio(map.data, map.size, system, samples.data(), pairs);
  }
  gst_buffer_unmap(buffer, &map);
  return gst_pad_push(self->src, buffer);
}

gboolean SoundEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
  // The sound's own stream events stay here; the frames carry theirs.
  switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_FLUSH_STOP: {
      const std::lock_guard guard(*Self(parent)->lock);
      gst_adapter_clear(Self(parent)->sound);
      break;
    }
    case GST_EVENT_CAPS:
    case GST_EVENT_SEGMENT:
    case GST_EVENT_STREAM_START:
    case GST_EVENT_EOS:
      break;
    default:
      return gst_pad_event_default(pad, parent, event);
  }
  gst_event_unref(event);
  return TRUE;
}

// The frames' formats are whatever the other side of the frames takes; the
// sound has no say in them.
gboolean FrameQuery(GstPad* pad, GstObject* parent, GstQuery* query) {
  if (GST_QUERY_TYPE(query) != GST_QUERY_CAPS) return gst_pad_query_default(pad, parent, query);
  DvAudioEmbed* self = Self(parent);
  GstPad* other = pad == self->src ? self->videoSink : self->src;
  GstCaps* filter = nullptr;
  gst_query_parse_caps(query, &filter);
  GstCaps* peer = gst_pad_peer_query_caps(other, filter);
  GstCaps* templ = gst_pad_get_pad_template_caps(pad);
  GstCaps* result = gst_caps_intersect(peer, templ);
  gst_query_set_caps_result(query, result);
  gst_caps_unref(result);
  gst_caps_unref(templ);
  gst_caps_unref(peer);
  return TRUE;
}

void InstanceInit(GTypeInstance* instance, gpointer) {
  DvAudioEmbed* self = Self(instance);
  self->videoSink = gst_pad_new_from_static_template(&kVideoTemplate, "video_sink");
  gst_pad_set_chain_function(self->videoSink, ChainFrame);
  gst_pad_set_query_function(self->videoSink, FrameQuery);
  GST_PAD_SET_PROXY_CAPS(self->videoSink);  // the frames' caps go on downstream
  self->audioSink = gst_pad_new_from_static_template(&kAudioTemplate, "audio_sink");
  gst_pad_set_chain_function(self->audioSink, ChainSound);
  gst_pad_set_event_function(self->audioSink, SoundEvent);
  self->src = gst_pad_new_from_static_template(&kSrcTemplate, "src");
  gst_pad_set_query_function(self->src, FrameQuery);
  gst_element_add_pad(GST_ELEMENT(self), self->videoSink);
  gst_element_add_pad(GST_ELEMENT(self), self->audioSink);
  gst_element_add_pad(GST_ELEMENT(self), self->src);
  self->sound = gst_adapter_new();
  self->lock = new std::mutex;
  self->frames = 0;
}

void Finalize(GObject* object) {
  g_object_unref(Self(object)->sound);
  delete Self(object)->lock;
  G_OBJECT_CLASS(g_type_class_peek(GST_TYPE_ELEMENT))->finalize(object);
}

void ClassInit(gpointer klass, gpointer) {
  G_OBJECT_CLASS(klass)->finalize = Finalize;
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kVideoTemplate);
  gst_element_class_add_static_pad_template(element, &kAudioTemplate);
  gst_element_class_add_static_pad_template(element, &kSrcTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo DV sound", "Codec/Muxer/Video",
                                        "Writes 48 kHz sound into the audio blocks of DV frames", "Orbelin");
}

GType DvAudioEmbedType() {
  static GType type = [] {
    const GTypeInfo info = {sizeof(DvAudioEmbedClass), nullptr, nullptr,      ClassInit, nullptr, nullptr,
                            sizeof(DvAudioEmbed),      0,       InstanceInit, nullptr};
    return g_type_register_static(GST_TYPE_ELEMENT, "TessivoDvAudioEmbed", &info, GTypeFlags(0));
  }();
  return type;
}

}  // namespace

int DvSamplesForFrame(bool pal, unsigned long long frame) {
  if (pal) return dv::kAudioRate / 25;
  // 48000 * 1001 / 30000 = 1601.6 pairs a frame: 1602 on four frames of
  // five, 1600 on the first.
  return frame % 5 == 0 ? 1600 : 1602;
}

bool RegisterDvAudioEmbed(GstPlugin* plugin) {
  return gst_element_register(plugin, kDvAudioEmbedElement, GST_RANK_NONE, DvAudioEmbedType());
}
