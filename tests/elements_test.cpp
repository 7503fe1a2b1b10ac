// The program's own elements as GStreamer runs them: the order of start,
// caps and buffers is GStreamer's, not the one the filters' own tests choose.
#include <gst/check/gstharness.h>
#include <gtest/gtest.h>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_superposer.h"
#include "media/filters/vx_wavedest.h"
#include "platform/gstreamer.h"

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
