#include "capture/simulated/dvframer.h"

#include <gst/base/gstadapter.h>

#include <QDateTime>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "capture/simulated/simulatedtape.h"
#include "media/filters/elementshell.h"
#include "media/formats/dvcodes.h"
#include "platform/gstreamer.h"

namespace {

constexpr int kFramesPerSecond = 25;
constexpr int kSceneSeconds = 20;
constexpr int kSamplesPerFrame = dv::kAudioRate / kFramesPerSecond;  // 1920
constexpr char kTapeKey[] = "tessivo-tape";
constexpr char kWideKey[] = "tessivo-wide-from";

// The camcorder's microphone: a 1 kHz tone on the left, 1.5 kHz on the right,
// continuous from frame to frame. The right one pauses during the first frame
// of each second, a beat to line the sound up with the pictures by.
void Sound(std::vector<std::uint8_t>& frame, guint64 index, bool silent) {
  std::array<std::int16_t, 2 * kSamplesPerFrame> samples{};
  if (silent) {
    dv::WriteAudio(frame.data(), frame.size(), dv::kSystem625, samples.data(), kSamplesPerFrame);
    return;
  }
  const double twoPi = 2 * M_PI;
  const bool beat = index % kFramesPerSecond == 0;
  for (int n = 0; n < kSamplesPerFrame; ++n) {
    const double t = static_cast<double>(index * kSamplesPerFrame + n) / dv::kAudioRate;
    samples[2 * n] = static_cast<std::int16_t>(6000 * std::sin(twoPi * 1000 * t));
    samples[2 * n + 1] = beat ? 0 : static_cast<std::int16_t>(6000 * std::sin(twoPi * 1500 * t));
  }
  dv::WriteAudio(frame.data(), frame.size(), dv::kSystem625, samples.data(), kSamplesPerFrame);
}

void Stamp(std::vector<std::uint8_t>& frame, guint64 index, gint64 startSeconds, bool wide) {
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
    if (wide) dv::SetWideScreen(frame.data(), frame.size(), sequence);
  }
}

GstStaticPadTemplate kSinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv"));
GstStaticPadTemplate kSrcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv,systemstream=true"));

// The framer's state, on the streaming thread of its input.
class TDvFramerState {
 public:
  explicit TDvFramerState(GstElement* element)
      : element_(element), adapterOwner_(gst_adapter_new()), adapter_(adapterOwner_.get()) {
    sink_ = gst_pad_new_from_static_template(&kSinkTemplate, "sink");
    gst_pad_set_chain_function(
        sink_, [](GstPad*, GstObject* parent, GstBuffer* buffer) { return ShellType::Of(parent).Chain(buffer); });
    gst_pad_set_event_function(sink_, [](GstPad* pad, GstObject* parent, GstEvent* event) {
      return ShellType::Of(parent).SinkEvent(pad, parent, event);
    });
    src_ = gst_pad_new_from_static_template(&kSrcTemplate, "src");
    gst_pad_use_fixed_caps(src_);
    gst_element_add_pad(element, sink_);
    gst_element_add_pad(element, src_);
    const QDateTime now = QDateTime::currentDateTime();
    startSeconds_ = now.toSecsSinceEpoch() + now.offsetFromUtc();
  }
  TDvFramerState(const TDvFramerState&) = delete;
  TDvFramerState& operator=(const TDvFramerState&) = delete;

  GstFlowReturn Chain(GstBuffer* buffer) {
    gst_adapter_push(adapter_, buffer);
    if (!tapeLooked_) {
      tapeLooked_ = true;
      if (auto* tape = static_cast<std::shared_ptr<TSimulatedTape>*>(g_object_get_data(G_OBJECT(element_), kTapeKey)))
        tape_ = *tape;
      wideFrom_ = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(element_), kWideKey)) - 1;
    }
    GstFlowReturn result = GST_FLOW_OK;
    while (result == GST_FLOW_OK && gst_adapter_available(adapter_) >= dv::kFrameBytes625) {
      std::vector<std::uint8_t> frame(dv::kFrameBytes625);
      gst_adapter_copy(adapter_, frame.data(), 0, frame.size());
      gst_adapter_flush(adapter_, frame.size());
      // Without a tape, the frames follow one another; with one, each shows
      // the tape where it is, and a stopped or winding deck gives none.
      TSimulatedTape::Frame onTape{static_cast<std::int64_t>(index_), true, true};
      if (tape_) onTape = tape_->Current();
      if (!onTape.picture) {
        ++index_;
        playing_ = false;
        continue;
      }
      // At normal play the frames follow one another, as on a tape, however
      // late this one comes; the tape's own position is taken again after
      // any other motion, or when the two have drifted apart.
      if (onTape.sound && playing_ && std::abs(onTape.index - (lastOnTape_ + 1)) <= kPlayDrift)
        onTape.index = lastOnTape_ + 1;
      playing_ = onTape.sound;
      lastOnTape_ = onTape.index;
      const auto position = static_cast<guint64>(onTape.index);
      const bool wide = wideFrom_ >= 0 && index_ >= static_cast<guint64>(wideFrom_) * kFramesPerSecond;
      Stamp(frame, position, startSeconds_, wide);
      Sound(frame, position, !onTape.sound);
      GstBuffer* out = gst_buffer_new_memdup(frame.data(), frame.size());
      GST_BUFFER_PTS(out) = gst_util_uint64_scale(index_, GST_SECOND, kFramesPerSecond);
      GST_BUFFER_DURATION(out) = GST_SECOND / kFramesPerSecond;
      GST_BUFFER_OFFSET(out) = index_;
      GST_BUFFER_OFFSET_END(out) = index_ + 1;
      ++index_;
      result = gst_pad_push(src_, out);
    }
    return result;
  }

  gboolean SinkEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
    switch (GST_EVENT_TYPE(event)) {
      case GST_EVENT_CAPS: {
        gst_event_unref(event);
        const gst::CapsPtr caps(gst_caps_from_string("video/x-dv,systemstream=true,format=PAL"));
        return gst_pad_push_event(src_, gst_event_new_caps(caps.get()));
      }
      case GST_EVENT_SEGMENT: {
        // The muxer speaks in bytes; frames go on in time.
        gst_event_unref(event);
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        return gst_pad_push_event(src_, gst_event_new_segment(&segment));
      }
      case GST_EVENT_FLUSH_STOP:
        gst_adapter_clear(adapter_);
        break;
      default:
        break;
    }
    return gst_pad_event_default(pad, parent, event);
  }

 private:
  using ShellType = ElementShell<GstElement, GstElementClass, TDvFramerState>;
  GstElement* element_;  // the element this state belongs to
  bool tapeLooked_ = false;
  bool playing_ = false;  // the last frame was at normal play
  std::int64_t lastOnTape_ = 0;
  static constexpr std::int64_t kPlayDrift = 3;
  std::shared_ptr<TSimulatedTape> tape_;
  GstPad* sink_;
  GstPad* src_;
  gst::GObjectPtr<GstAdapter> adapterOwner_;
  GstAdapter* adapter_;  // owned by adapterOwner_
  guint64 index_ = 0;
  int wideFrom_ = -1;  // the second from which the pictures are 16:9; never below 0
  gint64 startSeconds_ = 0;  // local time of the first frame
};

using Shell = ElementShell<GstElement, GstElementClass, TDvFramerState>;

void ClassInit(gpointer klass) {
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kSinkTemplate);
  gst_element_class_add_static_pad_template(element, &kSrcTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo DV framer", "Codec/Parser/Video",
                                        "Cuts a DV stream into frames and stamps a camcorder's packs", "Orbelin");
}

}  // namespace

void SetFramerTape(GstElement* framer, std::shared_ptr<TSimulatedTape> tape) {
  g_object_set_data_full(G_OBJECT(framer), kTapeKey, new std::shared_ptr<TSimulatedTape>(std::move(tape)),
                         [](gpointer data) { delete static_cast<std::shared_ptr<TSimulatedTape>*>(data); });
}

void SetFramerWideFrom(GstElement* framer, int second) {
  g_object_set_data(G_OBJECT(framer), kWideKey, GINT_TO_POINTER(second < 0 ? 0 : second + 1));
}

bool RegisterDvFramer() {
  return gst_element_register(nullptr, kDvFramerElement, GST_RANK_NONE,
                              Shell::Type(GST_TYPE_ELEMENT, "TessivoDvFramer", ClassInit));
}
