#include "media/filters/dvaudioembed.h"

#include <gst/base/gstadapter.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
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
// Sound and frames are paired by their running times: sound that starts
// after a frame is preceded by silence, sound older than the frame is
// dropped, at most one frame's worth per frame, so a late start is caught
// up instead of kept as an offset.
class TDvAudioEmbedState {
 public:
  explicit TDvAudioEmbedState(GstElement* element);
  TDvAudioEmbedState(const TDvAudioEmbedState&) = delete;
  TDvAudioEmbedState& operator=(const TDvAudioEmbedState&) = delete;

  GstFlowReturn ChainSound(GstBuffer* buffer);
  GstFlowReturn ChainFrame(GstBuffer* buffer);
  gboolean SoundEvent(GstPad* pad, GstObject* parent, GstEvent* event);
  gboolean FrameEvent(GstPad* pad, GstObject* parent, GstEvent* event);
  gboolean FrameQuery(GstPad* pad, GstObject* parent, GstQuery* query);

  // How long a frame waits for its sound before it is written with silence.
  static constexpr std::chrono::milliseconds kSoundWait{500};

 private:
  // The pairs of the frame starting at `start` (running time), silence where
  // no sound is; under lock_.
  void TakeSound(std::optional<GstClockTime> start, int pairs, std::int16_t* samples);
  gsize PendingPairs() const { return gst_adapter_available(sound_) / kBytesPerPair; }

  GstPad* videoSink_;
  GstPad* audioSink_;
  GstPad* src_;
  std::mutex lock_;
  std::condition_variable arrived_;
  gst::GObjectPtr<GstAdapter> soundOwner_;
  GstAdapter* sound_;                      // under lock_, owned by soundOwner_
  std::optional<GstClockTime> soundTime_;  // running time of the first pending pair, under lock_
  GstSegment soundSegment_;                // under lock_
  bool soundEnded_ = false;                // under lock_
  GstSegment frameSegment_;                // frames' streaming thread
  guint64 frames_ = 0;                     // frames' streaming thread
};

using Shell = ElementShell<GstElement, GstElementClass, TDvAudioEmbedState>;

TDvAudioEmbedState::TDvAudioEmbedState(GstElement* element)
    : soundOwner_(gst_adapter_new()), sound_(soundOwner_.get()) {
  gst_segment_init(&soundSegment_, GST_FORMAT_TIME);
  gst_segment_init(&frameSegment_, GST_FORMAT_TIME);
  videoSink_ = gst_pad_new_from_static_template(&kVideoTemplate, "video_sink");
  gst_pad_set_chain_function(
      videoSink_, [](GstPad*, GstObject* parent, GstBuffer* buffer) { return Shell::Of(parent).ChainFrame(buffer); });
  gst_pad_set_event_function(videoSink_, [](GstPad* pad, GstObject* parent, GstEvent* event) {
    return Shell::Of(parent).FrameEvent(pad, parent, event);
  });
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
  if (GST_BUFFER_PTS_IS_VALID(buffer)) {
    const GstClockTime time = gst_segment_to_running_time(&soundSegment_, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    // A gap or a first buffer sets where the pending sound stands.
    if (GST_CLOCK_TIME_IS_VALID(time) && (!soundTime_ || GST_BUFFER_IS_DISCONT(buffer))) {
      if (GST_BUFFER_IS_DISCONT(buffer)) gst_adapter_clear(sound_);
      soundTime_ = time;
    }
  }
  gst_adapter_push(sound_, buffer);
  const gsize pending = gst_adapter_available(sound_);
  if (pending > kMaxPending) {
    const gsize dropped = (pending - kMaxPending) / kBytesPerPair * kBytesPerPair;
    gst_adapter_flush(sound_, dropped);
    if (soundTime_) *soundTime_ += gst_util_uint64_scale(dropped / kBytesPerPair, GST_SECOND, dv::kAudioRate);
  }
  arrived_.notify_all();
  return GST_FLOW_OK;
}

void TDvAudioEmbedState::TakeSound(std::optional<GstClockTime> start, int pairs, std::int16_t* samples) {
  gsize silence = 0;  // pairs of silence before the sound
  if (start && soundTime_) {
    const auto offset = static_cast<gint64>(*soundTime_) - static_cast<gint64>(*start);
    const auto offsetPairs =
        gst_util_uint64_scale(static_cast<guint64>(std::llabs(offset)), dv::kAudioRate, GST_SECOND);
    const auto correction = static_cast<gsize>(std::min<guint64>(offsetPairs, static_cast<guint64>(pairs)));
    // Less than a sample apart is together.
    if (offset > 0 && correction > 0) {
      silence = correction;
      GST_LOG("sound starts %" G_GUINT64_FORMAT " pairs after the frame: silence before it", offsetPairs);
    } else if (offset < 0 && correction > 0) {
      const gsize dropped = std::min(correction, PendingPairs());
      gst_adapter_flush(sound_, dropped * kBytesPerPair);
      *soundTime_ += gst_util_uint64_scale(dropped, GST_SECOND, dv::kAudioRate);
      GST_LOG("sound %" G_GUINT64_FORMAT " pairs older than the frame: %" G_GSIZE_FORMAT " dropped", offsetPairs,
              dropped);
    }
  }
  const gsize wanted = static_cast<gsize>(pairs) - silence;
  const gsize taken = std::min(wanted, PendingPairs());
  if (taken > 0) {
    gst_adapter_copy(sound_, samples + 2 * silence, 0, taken * kBytesPerPair);
    gst_adapter_flush(sound_, taken * kBytesPerPair);
    if (soundTime_) *soundTime_ += gst_util_uint64_scale(taken, GST_SECOND, dv::kAudioRate);
  }
  if (PendingPairs() == 0) soundTime_.reset();
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
    std::vector<std::int16_t> samples(static_cast<std::size_t>(pairs) * 2, 0);  // silence where none is
    std::optional<GstClockTime> start;
    GstClockTime end = GST_CLOCK_TIME_NONE;
    if (GST_BUFFER_PTS_IS_VALID(buffer)) {
      const GstClockTime time = gst_segment_to_running_time(&frameSegment_, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
      if (GST_CLOCK_TIME_IS_VALID(time)) {
        start = time;
        end = time + gst_util_uint64_scale(static_cast<guint64>(pairs), GST_SECOND, dv::kAudioRate);
      }
    }
    std::unique_lock guard(lock_);
    // The frame's sound may still be on its way on the other thread.
    const auto covered = [&] {
      if (soundEnded_) return true;
      if (!soundTime_) return false;
      const GstClockTime pendingEnd = *soundTime_ + gst_util_uint64_scale(PendingPairs(), GST_SECOND, dv::kAudioRate);
      return start ? pendingEnd >= end : PendingPairs() >= static_cast<gsize>(pairs);
    };
    if (!arrived_.wait_for(guard, kSoundWait, covered))
      GST_DEBUG("no sound in time for frame %" G_GUINT64_FORMAT ": silence written", frames_ - 1);
    TakeSound(start, pairs, samples.data());
    guard.unlock();
    dv::WriteAudio(map.data, map.size, system, samples.data(), pairs);
  }
  gst_buffer_unmap(buffer, &map);
  return gst_pad_push(src_, buffer);
}

gboolean TDvAudioEmbedState::SoundEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
  // The sound's own stream events stay here; the frames carry theirs.
  switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_FLUSH_START: {
      const std::lock_guard guard(lock_);
      soundEnded_ = true;  // no frame waits for sound that will not come
      arrived_.notify_all();
      break;
    }
    case GST_EVENT_FLUSH_STOP: {
      const std::lock_guard guard(lock_);
      gst_adapter_clear(sound_);
      soundTime_.reset();
      soundEnded_ = false;
      break;
    }
    case GST_EVENT_SEGMENT: {
      const GstSegment* segment = nullptr;
      gst_event_parse_segment(event, &segment);
      const std::lock_guard guard(lock_);
      if (segment->format == GST_FORMAT_TIME) gst_segment_copy_into(segment, &soundSegment_);
      break;
    }
    case GST_EVENT_STREAM_START: {
      const std::lock_guard guard(lock_);
      soundEnded_ = false;
      break;
    }
    case GST_EVENT_EOS: {
      const std::lock_guard guard(lock_);
      soundEnded_ = true;
      arrived_.notify_all();
      break;
    }
    case GST_EVENT_CAPS:
      break;
    default:
      return gst_pad_event_default(pad, parent, event);
  }
  gst_event_unref(event);
  return TRUE;
}

gboolean TDvAudioEmbedState::FrameEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
  if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event, &segment);
    if (segment->format == GST_FORMAT_TIME) gst_segment_copy_into(segment, &frameSegment_);
  }
  return gst_pad_event_default(pad, parent, event);
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
