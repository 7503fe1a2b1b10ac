// The program's own elements as GStreamer runs them: the order of start,
// caps and buffers is GStreamer's, not the one the filters' own tests choose.
#include <gst/check/gstharness.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include "media/filters/bgrtoi420element.h"
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

namespace {

// One BGR picture through a converter to I420, its planes read back row by
// row (Y, then U, then V, without padding).
struct Planes420 {
  int width = 0, height = 0;
  std::vector<std::uint8_t> y, u, v;
};

Planes420 ToI420(GstHarness* converter, const std::vector<std::uint8_t>& bgr, int width, int height,
                 const char* interlacing) {
  const std::string caps = "video/x-raw,format=BGR,width=" + std::to_string(width) + ",height=" +
                           std::to_string(height) + ",framerate=25/1,interlace-mode=" + interlacing;
  gst_harness_set_src_caps_str(converter, caps.c_str());
  GstVideoInfo in;
  gst_video_info_from_caps(&in, gst::CapsPtr(gst_caps_from_string(caps.c_str())).get());
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&in), nullptr);
  GstMapInfo map;
  gst_buffer_map(buffer, &map, GST_MAP_WRITE);
  for (int row = 0; row < height; ++row)
    std::memcpy(map.data + row * GST_VIDEO_INFO_PLANE_STRIDE(&in, 0), &bgr[static_cast<std::size_t>(3 * width * row)],
                3 * width);
  gst_buffer_unmap(buffer, &map);
  Planes420 result;
  if (gst_harness_push(converter, buffer) != GST_FLOW_OK) return result;
  const gst::MiniObjectPtr<GstBuffer> out(gst_harness_pull(converter));
  const gst::CapsPtr outCaps(gst_pad_get_current_caps(converter->sinkpad));
  GstVideoInfo info;
  GstVideoFrame frame;
  if (!out || !gst_video_info_from_caps(&info, outCaps.get()) ||
      GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_I420 ||
      !gst_video_frame_map(&frame, &info, out.get(), GST_MAP_READ))
    return result;
  result.width = GST_VIDEO_INFO_WIDTH(&info);
  result.height = GST_VIDEO_INFO_HEIGHT(&info);
  std::vector<std::uint8_t>* planes[] = {&result.y, &result.u, &result.v};
  for (int plane = 0; plane < 3; ++plane)
    for (int row = 0; row < GST_VIDEO_FRAME_COMP_HEIGHT(&frame, plane); ++row) {
      const auto* data = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane)) +
                         row * GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
      planes[plane]->insert(planes[plane]->end(), data, data + GST_VIDEO_FRAME_COMP_WIDTH(&frame, plane));
    }
  gst_video_frame_unmap(&frame);
  return result;
}

std::vector<std::uint8_t> ColourBars(int width, int height) {
  // Blue, green, red: white, yellow, cyan, green, magenta, red, blue, black.
  const std::uint8_t bars[8][3] = {{235, 235, 235}, {16, 235, 235}, {235, 235, 16}, {16, 235, 16},
                                   {235, 16, 235},  {16, 16, 235},  {235, 16, 16},  {16, 16, 16}};
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(3 * width * height));
  for (int row = 0; row < height; ++row)
    for (int x = 0; x < width; ++x)
      std::memcpy(&picture[static_cast<std::size_t>(3 * (row * width + x))], bars[x * 8 / width], 3);
  return picture;
}

}  // namespace

TEST(Elements, the_bgr_converter_gives_what_the_general_converter_gives_at_any_size) {
  ASSERT_TRUE(RegisterTessivoPlugin());
  // 720 columns take the vector path throughout; 37 × 11 leaves odd ends to
  // the plain one.
  for (const auto& [width, height] : {std::pair{720, 576}, std::pair{37, 11}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const std::vector<std::uint8_t> bars = ColourBars(width, height);
    GstHarness* ours = gst_harness_new(kBgrToI420Element);
    GstHarness* general = gst_harness_new_parse("videoconvert chroma-mode=none ! capsfilter caps=video/x-raw,format=I420");
    const Planes420 mine = ToI420(ours, bars, width, height, "progressive");
    const Planes420 theirs = ToI420(general, bars, width, height, "progressive");
    ASSERT_EQ(mine.width, width);
    ASSERT_EQ(mine.height, height);
    ASSERT_EQ(mine.y.size(), theirs.y.size());
    ASSERT_EQ(mine.u.size(), theirs.u.size());
    for (std::size_t i = 0; i < mine.y.size(); ++i) ASSERT_NEAR(mine.y[i], theirs.y[i], 1) << "luma " << i;
    // Inside each bar (its chroma blocks away from the edges) the colour is
    // the same.
    const int chromaWidth = (width + 1) / 2;
    for (std::size_t i = 0; i < mine.u.size(); ++i) {
      const int column = static_cast<int>(i) % chromaWidth;
      const int left = 2 * column, right = std::min(2 * column + 1, width - 1);
      if (left * 8 / width != right * 8 / width) continue;
      ASSERT_NEAR(mine.u[i], theirs.u[i], 1) << "U " << i;
      ASSERT_NEAR(mine.v[i], theirs.v[i], 1) << "V " << i;
    }
    const gst::CapsPtr caps(gst_pad_get_current_caps(ours->sinkpad));
    int numerator = 0, denominator = 0;
    ASSERT_TRUE(gst_structure_get_fraction(gst_caps_get_structure(caps.get(), 0), "framerate", &numerator, &denominator));
    EXPECT_EQ(numerator, 25);
    gst_harness_teardown(general);
    gst_harness_teardown(ours);
  }
}

TEST(Elements, an_interlaced_picture_keeps_each_fields_colour) {
  ASSERT_TRUE(RegisterTessivoPlugin());
  // Red lines in the top field, blue in the bottom one.
  constexpr int kWidth = 32, kHeight = 8;
  std::vector<std::uint8_t> picture(3 * kWidth * kHeight);
  for (int row = 0; row < kHeight; ++row)
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* pixel = &picture[static_cast<std::size_t>(3 * (row * kWidth + x))];
      pixel[0] = row % 2 ? 235 : 16;
      pixel[1] = 16;
      pixel[2] = row % 2 ? 16 : 235;
    }
  GstHarness* converter = gst_harness_new(kBgrToI420Element);
  const Planes420 fields = ToI420(converter, picture, kWidth, kHeight, "interleaved");
  ASSERT_EQ(fields.v.size(), static_cast<std::size_t>(kWidth / 2 * kHeight / 2));
  // Chroma rows alternate between the fields: red's V is high, blue's low.
  for (int row = 0; row < kHeight / 2; ++row) {
    const int v = fields.v[static_cast<std::size_t>(row * kWidth / 2)];
    const int u = fields.u[static_cast<std::size_t>(row * kWidth / 2)];
    if (row % 2 == 0) {
      EXPECT_GT(v, 200) << row;
      EXPECT_LT(u, 128) << row;
    } else {
      EXPECT_LT(v, 128) << row;
      EXPECT_GT(u, 200) << row;
    }
  }
  gst_harness_teardown(converter);
  // The same lines as one picture mix the two.
  converter = gst_harness_new(kBgrToI420Element);
  const Planes420 mixed = ToI420(converter, picture, kWidth, kHeight, "progressive");
  ASSERT_EQ(mixed.v.size(), fields.v.size());
  EXPECT_NEAR(mixed.v[0], mixed.v[static_cast<std::size_t>(kWidth / 2)], 1);
  EXPECT_GT(mixed.v[0], 150);
  EXPECT_LT(mixed.v[0], 200);
  gst_harness_teardown(converter);
}
