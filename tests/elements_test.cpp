// The program's own elements as GStreamer runs them: the order of start,
// caps and buffers is GStreamer's, not the one the filters' own tests choose.
#include <gst/check/gstharness.h>
#include <gtest/gtest.h>

#include "media/filters/dvaudioembed.h"
#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_superposer.h"
#include "media/filters/vx_wavedest.h"
#include "platform/gstreamer.h"
#include "support/dvframes.h"

namespace {

GstBuffer* TimedBuffer(gsize size, GstClockTime pts) {
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
  gst_buffer_memset(buffer, 0, 0x40, size);
  GST_BUFFER_PTS(buffer) = pts;
  GST_BUFFER_DURATION(buffer) = 40 * GST_MSECOND;
  GST_BUFFER_OFFSET(buffer) = 7;
  GST_BUFFER_OFFSET_END(buffer) = 8;
  return buffer;
}

class Harness {
 public:
  explicit Harness(const char* element) : harness_(gst_harness_new(element)) {}
  ~Harness() { gst_harness_teardown(harness_); }
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;
  GstHarness* get() const { return harness_; }
  GstElement* element() const { return harness_->element; }
  // Pushes one buffer and takes what comes out.
  gst::MiniObjectPtr<GstBuffer> Through(GstBuffer* buffer) {
    EXPECT_EQ(gst_harness_push(harness_, buffer), GST_FLOW_OK);
    return gst::MiniObjectPtr<GstBuffer>(gst_harness_try_pull(harness_));
  }

 private:
  GstHarness* harness_;
};

}  // namespace

TEST(Elements, a_stamper_that_removes_times_removes_them_from_the_buffer) {
  RegisterTessivoPlugin();
  Harness stamper(kTimeStamperElement);
  gst_harness_set_src_caps_str(stamper.get(), "audio/x-raw,format=S16LE,rate=48000,channels=2,layout=interleaved");
  const auto kept = stamper.Through(TimedBuffer(64, GST_SECOND));
  ASSERT_TRUE(kept);
  EXPECT_EQ(GST_BUFFER_PTS(kept.get()), GST_SECOND);
  EXPECT_EQ(GST_BUFFER_DURATION(kept.get()), 40 * GST_MSECOND);

  g_object_set(stamper.element(), "strip-times", TRUE, nullptr);
  const auto stripped = stamper.Through(TimedBuffer(64, 2 * GST_SECOND));
  ASSERT_TRUE(stripped);
  EXPECT_FALSE(GST_BUFFER_PTS_IS_VALID(stripped.get()));
  EXPECT_FALSE(GST_BUFFER_DTS_IS_VALID(stripped.get()));
  EXPECT_FALSE(GST_BUFFER_DURATION_IS_VALID(stripped.get()));
  EXPECT_FALSE(GST_BUFFER_OFFSET_IS_VALID(stripped.get()));
  EXPECT_FALSE(GST_BUFFER_OFFSET_END_IS_VALID(stripped.get()));
}

TEST(Elements, a_still_has_the_size_of_the_picture_on_the_first_run_and_after_the_size_changes) {
  RegisterTessivoPlugin();
  Harness overlay(kSuperposerElement);
  auto& filter = *static_cast<Tvx_Superposer*>(FilterOfElement(overlay.element()));
  const auto grab = [&](int width, int height) -> QSize {
    const std::string caps = "video/x-raw,format=BGR,width=" + std::to_string(width) +
                             ",height=" + std::to_string(height) + ",framerate=25/1";
    gst_harness_set_src_caps_str(overlay.get(), caps.c_str());
    filter.RequestGrab();
    // Rows of BGR are padded to four bytes.
    const gsize stride = (static_cast<gsize>(width) * 3 + 3) / 4 * 4;
    overlay.Through(TimedBuffer(stride * height, 0));
    for (int slot = 0; slot < Tvx_Superposer::kGrabSlots; ++slot)
      if (filter.SlotFull(slot)) {
        const QSize size = filter.GrabbedPicture(slot).size();
        filter.ReleaseGrabSlot(slot);
        return size;
      }
    return {};
  };
  EXPECT_EQ(grab(320, 240), QSize(320, 240));
  EXPECT_EQ(grab(162, 90), QSize(162, 90));
}

TEST(Elements, the_overlay_duration_asked_before_the_picture_rate_is_known_follows_that_rate) {
  Tvx_Superposer overlay;
  overlay.whenincrust(1, 2);
  EXPECT_EQ(overlay.durationFrames(), Tvx_Superposer::kDefaultDurationFrames);  // no rate yet
  TMediaType ntsc{.major = MediaMajor::Video,
                  .subtype = MediaSubtype::Rgb24,
                  .width = 720,
                  .height = 480,
                  .stride = 2160,
                  .frameRateNumerator = 30000,
                  .frameRateDenominator = 1001};
  overlay.InputTypeSet(ntsc);
  EXPECT_EQ(overlay.durationFrames(), 60);
  ntsc.frameRateNumerator = 25;
  ntsc.frameRateDenominator = 1;
  overlay.InputTypeSet(ntsc);
  EXPECT_EQ(overlay.durationFrames(), 50);
}

TEST(Elements, the_wave_head_size_is_known_when_streaming_starts_before_the_caps) {
  // GStreamer starts an element before its caps arrive.
  Tvx_WaveDest writer;
  writer.StartStreaming();
  writer.InputTypeSet({.major = MediaMajor::Audio,
                       .subtype = MediaSubtype::Pcm,
                       .sampleRate = 48000,
                       .channels = 2,
                       .bitsPerSample = 16});
  EXPECT_EQ(writer.headerSize(), 46u);
  std::vector<std::uint8_t> in(400, 1), out(400);
  TMediaSample input{.data = in.data(), .size = in.size()};
  TMediaSample output{.data = out.data(), .size = out.size()};
  ASSERT_EQ(writer.Transform(input, output), FilterResult::Deliver);
  EXPECT_EQ(*output.mediaStart, 46);  // the first sample lands right after the head
}

TEST(Elements, pad_templates_hold_one_reference_to_their_caps) {
  ASSERT_TRUE(RegisterTessivoPlugin());
  for (const char* name : {kTimeStamperElement, kSuperposerElement, kWaveDestElement}) {
    const gst::ObjectPtr<GstElementFactory> factory(gst_element_factory_find(name));
    ASSERT_TRUE(factory) << name;
    const gst::ObjectPtr<GstPluginFeature> loaded(gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory.get())));
    auto* klass = static_cast<GstElementClass*>(g_type_class_ref(gst_element_factory_get_element_type(factory.get())));
    for (GList* t = gst_element_class_get_pad_template_list(klass); t; t = t->next)
      EXPECT_EQ(GST_MINI_OBJECT_REFCOUNT_VALUE(GST_PAD_TEMPLATE_CAPS(GST_PAD_TEMPLATE(t->data))), 1)
          << name << " " << GST_PAD_TEMPLATE_NAME_TEMPLATE(GST_PAD_TEMPLATE(t->data));
    g_type_class_unref(klass);
  }
}

namespace {

// A second of 48 kHz stereo whose left channel counts the pairs from
// `first`, so that each pair says where it came from.
GstBuffer* CountingSound(int first, int pairs, GstClockTime pts) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(pairs) * 2);
  for (int i = 0; i < pairs; ++i) {
    samples[2 * i] = static_cast<std::int16_t>((first + i) % 30000 + 1);
    samples[2 * i + 1] = 0;
  }
  GstBuffer* buffer = gst_buffer_new_memdup(samples.data(), samples.size() * sizeof(std::int16_t));
  GST_BUFFER_PTS(buffer) = pts;
  GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(pairs, GST_SECOND, 48000);
  return buffer;
}

GstBuffer* FrameAt(GstClockTime pts) {
  const std::vector<std::uint8_t> frame = MakeDvFrame({});
  GstBuffer* buffer = gst_buffer_new_memdup(frame.data(), frame.size());
  GST_BUFFER_PTS(buffer) = pts;
  GST_BUFFER_DURATION(buffer) = 40 * GST_MSECOND;
  return buffer;
}

// The left channel of the sound written into a frame.
std::vector<std::int16_t> LeftOf(GstBuffer* frame) {
  GstMapInfo map;
  gst_buffer_map(frame, &map, GST_MAP_READ);
  std::vector<std::int16_t> samples(2 * dv::kMaxAudioSamples625);
  const int pairs = dv::ReadAudio(map.data, map.size, samples.data(), dv::kMaxAudioSamples625);
  gst_buffer_unmap(frame, &map);
  std::vector<std::int16_t> left;
  for (int i = 0; i < pairs; ++i) left.push_back(samples[2 * i]);
  return left;
}

}  // namespace

TEST(Elements, dv_sound_goes_with_the_frame_of_its_time) {
  ASSERT_TRUE(RegisterTessivoPlugin());
  GstHarness* frames = gst_harness_new_with_padnames(kDvAudioEmbedElement, "video_sink", "src");
  GstHarness* sound = gst_harness_new_with_element(frames->element, "audio_sink", nullptr);
  gst_harness_set_src_caps_str(frames, "video/x-dv,systemstream=true");
  gst_harness_set_src_caps_str(sound, "audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=2");
  // The sound starts 20 ms (960 pairs) after the first frame.
  ASSERT_EQ(gst_harness_push(sound, CountingSound(0, 9600, 20 * GST_MSECOND)), GST_FLOW_OK);
  ASSERT_EQ(gst_harness_push(frames, FrameAt(0)), GST_FLOW_OK);
  gst::MiniObjectPtr<GstBuffer> first(gst_harness_pull(frames));
  std::vector<std::int16_t> left = LeftOf(first.get());
  ASSERT_EQ(left.size(), 1920u);
  EXPECT_EQ(left[959], 0);     // silence until the sound begins
  EXPECT_EQ(left[960], 1);     // its first pair, at 20 ms
  EXPECT_EQ(left[1919], 960);  // and on to the frame's end
  // The next frame goes on where the first stopped.
  ASSERT_EQ(gst_harness_push(frames, FrameAt(40 * GST_MSECOND)), GST_FLOW_OK);
  gst::MiniObjectPtr<GstBuffer> second(gst_harness_pull(frames));
  left = LeftOf(second.get());
  EXPECT_EQ(left.front(), 961);
  // A frame 100 ms on finds sound older than itself: one frame's worth is
  // dropped, so the next frames catch up.
  ASSERT_EQ(gst_harness_push(frames, FrameAt(200 * GST_MSECOND)), GST_FLOW_OK);
  gst::MiniObjectPtr<GstBuffer> late(gst_harness_pull(frames));
  left = LeftOf(late.get());
  EXPECT_EQ(left.front(), 961 + 1920 + 1920);
  gst_harness_teardown(sound);
  gst_harness_teardown(frames);
}
