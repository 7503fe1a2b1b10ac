#include "media/filters/dvaudioembed.h"

#include <gst/base/gstadapter.h>

#include <mutex>
#include <vector>

#include "media/filters/elementshell.h"
#include "media/formats/dvcodes.h"
#include "platform/gstreamer.h"

namespace {

constexpr gsize kBytesPerPair = 4;
constexpr gsize kMaxPending = 2 * dv::kAudioRate * kBytesPerPair;  // two seconds

GstStaticPadTemplate kVideoTemplate =
    GST_STATIC_PAD_TEMPLATE("video_sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv"));
GstStaticPadTemplate kAudioTemplate =
    GST_STATIC_PAD_TEMPLATE("audio_sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                            GST_STATIC_CAPS("audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=2"));
GstStaticPadTemplate kSrcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv"));

// The embedder's state: its pads and the sound waiting for its frame. The
// sound arrives on its own streaming thread; the lock guards what waits.
class TDvAudioEmbedState {
 public:
  explicit TDvAudioEmbedState(GstElement* element);
  ~TDvAudioEmbedState() { g_object_unref(sound_); }
  TDvAudioEmbedState(const TDvAudioEmbedState&) = delete;
  TDvAudioEmbedState& operator=(const TDvAudioEmbedState&) = delete;

  GstFlowReturn ChainSound(GstBuffer* buffer);
  GstFlowReturn ChainFrame(GstBuffer* buffer);
  gboolean SoundEvent(GstPad* pad, GstObject* parent, GstEvent* event);
  gboolean FrameQuery(GstPad* pad, GstObject* parent, GstQuery* query);

 private:
  GstPad* videoSink_;
  GstPad* audioSink_;
  GstPad* src_;
  std::mutex lock_;
  GstAdapter* sound_;   // under lock_
  guint64 frames_ = 0;  // frames' streaming thread
};

using Shell = ElementShell<GstElement, GstElementClass, TDvAudioEmbedState>;

TDvAudioEmbedState::TDvAudioEmbedState(GstElement* element) : sound_(gst_adapter_new()) {
  videoSink_ = gst_pad_new_from_static_template(&kVideoTemplate, "video_sink");
  gst_pad_set_chain_function(
      videoSink_, [](GstPad*, GstObject* parent, GstBuffer* buffer) { return Shell::Of(parent).ChainFrame(buffer); });
  const auto query = [](GstPad* pad, GstObject* parent, GstQuery* query) {
    return Shell::Of(parent).FrameQuery(pad, parent, query);
  };
  gst_pad_set_query_function(videoSink_, query);
  GST_PAD_SET_PROXY_CAPS(videoSink_);  // the frames' caps go on downstream
  audioSink_ = gst_pad_new_from_static_template(&kAudioTemplate, "audio_sink");
  gst_pad_set_chain_function(
      audioSink_, [](GstPad*, GstObject* parent, GstBuffer* buffer) { return Shell::Of(parent).ChainSound(buffer); });
  gst_pad_set_event_function(audioSink_, [](GstPad* pad, GstObject* parent, GstEvent* event) {
    return Shell::Of(parent).SoundEvent(pad, parent, event);
  });
  src_ = gst_pad_new_from_static_template(&kSrcTemplate, "src");
  gst_pad_set_query_function(src_, query);
  gst_element_add_pad(element, videoSink_);
  gst_element_add_pad(element, audioSink_);
  gst_element_add_pad(element, src_);
}

GstFlowReturn TDvAudioEmbedState::ChainSound(GstBuffer* buffer) {
  const std::lock_guard guard(lock_);
  gst_adapter_push(sound_, buffer);
  const gsize pending = gst_adapter_available(sound_);
  if (pending > kMaxPending) gst_adapter_flush(sound_, (pending - kMaxPending) / kBytesPerPair * kBytesPerPair);
  return GST_FLOW_OK;
}

GstFlowReturn TDvAudioEmbedState::ChainFrame(GstBuffer* buffer) {
  buffer = gst_buffer_make_writable(buffer);
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
    gst_buffer_unref(buffer);
    return GST_FLOW_ERROR;
  }
  const dv::VideoSystem system = dv::ReadVideoSystem(map.data, map.size);
  if (system != dv::kSystemUnknown) {
    const bool pal = system == dv::kSystem625;
    const int pairs = DvSamplesForFrame(pal, frames_++);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(pairs) * 2, 0);  // silence when the sound lags
    {
      const std::lock_guard guard(lock_);
      const gsize wanted = static_cast<gsize>(pairs) * kBytesPerPair;
      if (gst_adapter_available(sound_) >= wanted) {
        gst_adapter_copy(sound_, samples.data(), 0, wanted);
        gst_adapter_flush(sound_, wanted);
      }
    }
    dv::WriteAudio(map.data, map.size, system, samples.data(), pairs);
  }
  gst_buffer_unmap(buffer, &map);
  return gst_pad_push(src_, buffer);
}

gboolean TDvAudioEmbedState::SoundEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
  // The sound's own stream events stay here; the frames carry theirs.
  switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_FLUSH_STOP: {
      const std::lock_guard guard(lock_);
      gst_adapter_clear(sound_);
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
gboolean TDvAudioEmbedState::FrameQuery(GstPad* pad, GstObject* parent, GstQuery* query) {
  if (GST_QUERY_TYPE(query) != GST_QUERY_CAPS) return gst_pad_query_default(pad, parent, query);
  GstPad* other = pad == src_ ? videoSink_ : src_;
  GstCaps* filter = nullptr;
  gst_query_parse_caps(query, &filter);
  const gst::CapsPtr peer(gst_pad_peer_query_caps(other, filter));
  const gst::CapsPtr templ(gst_pad_get_pad_template_caps(pad));
  const gst::CapsPtr result(gst_caps_intersect(peer.get(), templ.get()));
  gst_query_set_caps_result(query, result.get());
  return TRUE;
}

void ClassInit(gpointer klass) {
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kVideoTemplate);
  gst_element_class_add_static_pad_template(element, &kAudioTemplate);
  gst_element_class_add_static_pad_template(element, &kSrcTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo DV sound", "Codec/Muxer/Video",
                                        "Writes 48 kHz sound into the audio blocks of DV frames", "Orbelin");
}

}  // namespace

int DvSamplesForFrame(bool pal, unsigned long long frame) {
  if (pal) return dv::kAudioRate / 25;
  // 48000 * 1001 / 30000 = 1601.6 pairs a frame: 1602 on four frames of
  // five, 1600 on the first.
  return frame % 5 == 0 ? 1600 : 1602;
}

bool RegisterDvAudioEmbed(GstPlugin* plugin) {
  return gst_element_register(plugin, kDvAudioEmbedElement, GST_RANK_NONE,
                              Shell::Type(GST_TYPE_ELEMENT, "TessivoDvAudioEmbed", ClassInit));
}
