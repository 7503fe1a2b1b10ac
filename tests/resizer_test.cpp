#include <gst/check/gstharness.h>
#include <gtest/gtest.h>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_resizer.h"
#include "platform/gstreamer.h"

TEST(Resizer, output_sizes) {
  EXPECT_EQ(ResizerOutputSize(720, 576, 1, true, 0, 0), (OutputSize{384, 288}));
  EXPECT_EQ(ResizerOutputSize(720, 576, 3, true, 0, 0), (OutputSize{360, 288}));
  EXPECT_EQ(ResizerOutputSize(720, 576, 3, false, 0, 0), (OutputSize{720, 576}));
  EXPECT_EQ(ResizerOutputSize(720, 480, 2, true, 0, 0), (OutputSize{512, 288}));
  EXPECT_EQ(ResizerOutputSize(720, 576, 0, false, 0, 0), (OutputSize{720, 576}));
  EXPECT_EQ(ResizerOutputSize(268, 300, 1, false, 0, 0), (OutputSize{264, 198}));
  // Mode 0 with a known aspect: 16:9 source on a PAL picture, half height.
  EXPECT_EQ(ResizerOutputSize(720, 576, 0, true, 16, 9), (OutputSize{512, 288}));
  EXPECT_EQ(ResizerOutputSize(720, 576, 0, true, 4, 3), (OutputSize{384, 288}));
  // Mode 3: a halved height that is odd loses one line.
  EXPECT_EQ(ResizerOutputSize(640, 582, 3, true, 0, 0), (OutputSize{320, 290}));
  EXPECT_EQ(ResizerOutputSize(640, 586, 3, true, 0, 0), (OutputSize{320, 292}));
  EXPECT_EQ(ResizerOutputSize(720, 576, 9, true, 0, 0), (OutputSize{720, 576}));
}

TEST(Resizer, averages_the_area_under_each_pixel) {
  // 4 x 2 source (rows padded to 16 bytes) to 2 x 1.
  std::vector<std::uint8_t> source(16 * 2, 0xEE);
  const std::uint8_t values[2][4] = {{0, 10, 100, 110}, {20, 30, 120, 131}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) std::fill_n(&source[y * 16 + 3 * x], 3, values[y][x]);
  std::vector<std::uint8_t> target(8, 0xEE);
  AreaScaler scaler;
  scaler.Scale(source.data(), 4, 2, 16, target.data(), 2, 1, 8);
  EXPECT_EQ(target[0], 15);    // (0 + 10 + 20 + 30) / 4
  EXPECT_EQ(target[3], 115);   // (100 + 110 + 120 + 131) / 4, rounded
  EXPECT_EQ(target[6], 0xEE);  // padding untouched
  // Growing repeats pixels.
  std::vector<std::uint8_t> grown(6 * 2);
  scaler.Scale(source.data(), 4, 2, 16, grown.data(), 2, 2, 6);
  EXPECT_EQ(grown[6], 25);
}

TEST(Resizer, unchanged_sizes_are_copied_and_a_short_buffer_is_dropped) {
  TVX_Resizer resizer;
  TMediaType in{.major = MediaMajor::Video, .subtype = MediaSubtype::Rgb24, .width = 4, .height = 2, .stride = 12};
  EXPECT_EQ(resizer.OutputType(in)->width, 4);  // not configured: same size
  resizer.SetResizeMode(3);
  resizer.demiTaille = false;
  const TMediaType out = *resizer.OutputType(in);
  std::vector<std::uint8_t> bytes(24, 7), copy(24, 0);
  TMediaSample input{bytes.data(), bytes.size(), 0, {}, {}, {}, false, false, false, &in};
  TMediaSample output{copy.data(), copy.size(), 0, {}, {}, {}, false, false, false, &out};
  EXPECT_EQ(resizer.Transform(input, output), FilterResult::Deliver);
  EXPECT_EQ(copy, bytes);

  resizer.SetResizeMode(1);
  const TMediaType smaller{
      .major = MediaMajor::Video, .subtype = MediaSubtype::Rgb24, .width = 2, .height = 1, .stride = 8};
  output.type = &smaller;
  input.size = 10;  // less than the picture
  EXPECT_EQ(resizer.Transform(input, output), FilterResult::Drop);
  EXPECT_EQ(resizer.CheckInputType({.major = MediaMajor::Video, .subtype = MediaSubtype::Dvsd}), FilterResult::Refuse);
}

TEST(Resizer, the_element_negotiates_the_smaller_picture) {
  gst::EnsureInitialised();
  ASSERT_TRUE(RegisterTessivoPlugin());
  GstHarness* harness = gst_harness_new(kResizerElement);
  g_object_set(harness->element, "mode", 1, "demi-taille", TRUE, nullptr);
  gst_harness_set_src_caps_str(harness, "video/x-raw,format=BGR,width=720,height=576,framerate=25/1");
  gst_harness_set_sink_caps_str(harness, "video/x-raw,format=BGR,width=384,height=288,framerate=25/1");
  GstBuffer* frame = gst_buffer_new_allocate(nullptr, 720 * 3 * 576, nullptr);
  gst_buffer_memset(frame, 0, 200, 720 * 3 * 576);
  ASSERT_EQ(gst_harness_push(harness, frame), GST_FLOW_OK);
  GstBuffer* out = gst_harness_pull(harness);
  EXPECT_EQ(gst_buffer_get_size(out), 384u * 3 * 288);
  std::uint8_t pixel[3];
  gst_buffer_extract(out, 3 * 100, pixel, 3);
  EXPECT_EQ(pixel[0], 200);
  gst_buffer_unref(out);
  gst_harness_teardown(harness);
}
