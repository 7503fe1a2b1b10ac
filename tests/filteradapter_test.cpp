#include <gst/check/gstharness.h>
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_scenedetect.h"
#include "platform/gstreamer.h"
#include "support/dvframes.h"
#include "support/pluginprocess.h"
#include "support/tempfolder.h"

namespace {

// Accepts sound only; adds one to the first byte and drops every second
// sample.
class AddOneDropOdd : public TTransInPlaceFilter {
 public:
  AddOneDropOdd() : TTransInPlaceFilter(true) {}
  FilterResult CheckInputType(const TMediaType& type) override {
    return type.major == MediaMajor::Audio ? FilterResult::Deliver : FilterResult::Refuse;
  }
  FilterResult Transform(TMediaSample& sample) override {
    if (count_++ % 2) return FilterResult::Drop;
    sample.data[0] += 1;
    return FilterResult::Deliver;
  }
  void StartStreaming() override { ++starts; }
  int starts = 0;

 private:
  int count_ = 0;
};

// Writes the inverted bytes into a new buffer.
class Invert : public TTransformFilter {
 public:
  FilterResult CheckInputType(const TMediaType&) override { return FilterResult::Deliver; }
  FilterResult Transform(const TMediaSample& input, TMediaSample& output) override {
    for (std::size_t i = 0; i < input.size; ++i) output.data[i] = static_cast<std::uint8_t>(~input.data[i]);
    output.mediaStart = 7;
    return FilterResult::Deliver;
  }
};

void RegisterTestElements() {
  static bool done = [] {
    gst::EnsureInitialised();
    FilterElementDescription inPlace{"test_addone",
                                     "Add one",
                                     "Filter/Audio",
                                     "test",
                                     "ANY",
                                     "ANY",
                                     true,
                                     nullptr,
                                     [] { return std::make_unique<AddOneDropOdd>(); },
                                     {}};
    FilterElementDescription copy{"test_invert",
                                  "Invert",
                                  "Filter",
                                  "test",
                                  "ANY",
                                  "ANY",
                                  false,
                                  nullptr,
                                  [] { return std::make_unique<Invert>(); },
                                  {}};
    return RegisterFilterElement(nullptr, inPlace) && RegisterFilterElement(nullptr, copy) && RegisterTessivoPlugin();
  }();
  ASSERT_TRUE(done);
}

GstBuffer* BufferOf(std::vector<std::uint8_t> bytes, GstClockTime pts = 0) {
  GstBuffer* buffer = gst_buffer_new_memdup(bytes.data(), bytes.size());
  GST_BUFFER_PTS(buffer) = pts;
  GST_BUFFER_DURATION(buffer) = 40 * GST_MSECOND;
  return buffer;
}

std::vector<std::uint8_t> BytesOf(GstBuffer* buffer) {
  std::vector<std::uint8_t> bytes(gst_buffer_get_size(buffer));
  gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
  return bytes;
}

// The element messages the harnessed element posted, by structure name.
int CountMessages(GstBus* bus, const char* name) {
  int count = 0;
  while (GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ELEMENT)) {
    if (gst_structure_has_name(gst_message_get_structure(message), name)) ++count;
    gst_message_unref(message);
  }
  return count;
}

}  // namespace

TEST(FilterAdapter, refused_caps_fail_negotiation) {
  RegisterTestElements();
  GstHarness* harness = gst_harness_new("test_addone");
  gst_harness_set_src_caps_str(harness, "video/x-raw,format=BGR,width=4,height=2,framerate=25/1");
  EXPECT_NE(gst_harness_push(harness, BufferOf({1, 2, 3})), GST_FLOW_OK);
  gst_harness_teardown(harness);
}

TEST(FilterAdapter, in_place_changes_the_buffer_and_a_drop_is_reported_once_per_run) {
  RegisterTestElements();
  GstHarness* harness = gst_harness_new("test_addone");
  GstBus* bus = gst_bus_new();
  gst_element_set_bus(harness->element, bus);
  gst_harness_set_src_caps_str(harness, "audio/x-raw,format=S16LE,rate=48000,channels=2,layout=interleaved");
  for (std::uint8_t i = 0; i < 6; ++i) ASSERT_EQ(gst_harness_push(harness, BufferOf({i, 9})), GST_FLOW_OK);
  EXPECT_EQ(gst_harness_buffers_received(harness), 3u);
  for (std::uint8_t expected : {1, 3, 5}) {
    GstBuffer* out = gst_harness_pull(harness);
    EXPECT_EQ(BytesOf(out), (std::vector<std::uint8_t>{expected, 9}));
    gst_buffer_unref(out);
  }
  EXPECT_EQ(CountMessages(bus, kQualityMessage), 1);
  auto* filter = static_cast<AddOneDropOdd*>(FilterOfElement(harness->element));
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->starts, 1);
  gst_harness_teardown(harness);
  gst_object_unref(bus);
}

TEST(FilterAdapter, copy_variant_writes_a_new_buffer_and_keeps_the_input) {
  RegisterTestElements();
  GstHarness* harness = gst_harness_new("test_invert");
  gst_harness_set_src_caps_str(harness, "application/octet-stream");
  GstBuffer* input = BufferOf({0x00, 0x0F, 0xFF}, 5 * GST_SECOND);
  gst_buffer_ref(input);
  ASSERT_EQ(gst_harness_push(harness, input), GST_FLOW_OK);
  GstBuffer* out = gst_harness_pull(harness);
  EXPECT_EQ(BytesOf(out), (std::vector<std::uint8_t>{0xFF, 0xF0, 0x00}));
  EXPECT_EQ(BytesOf(input), (std::vector<std::uint8_t>{0x00, 0x0F, 0xFF}));
  EXPECT_EQ(GST_BUFFER_PTS(out), 5 * GST_SECOND);
  EXPECT_EQ(GST_BUFFER_OFFSET(out), 7u);
  gst_buffer_unref(out);
  gst_buffer_unref(input);
  gst_harness_teardown(harness);
}

TEST(FilterAdapter, caps_become_the_filters_media_types) {
  gst::EnsureInitialised();
  auto typeOf = [](const char* text) {
    GstCaps* caps = gst_caps_from_string(text);
    const auto type = MediaTypeFromCaps(caps);
    gst_caps_unref(caps);
    return type.value();
  };
  EXPECT_EQ(typeOf("video/x-dv,systemstream=true").major, MediaMajor::Interleaved);
  EXPECT_EQ(typeOf("video/x-dv,systemstream=false").major, MediaMajor::Video);
  EXPECT_EQ(typeOf("video/x-dv,systemstream=false").subtype, MediaSubtype::Dvsd);
  const TMediaType bgr = typeOf("video/x-raw,format=BGR,width=721,height=576,framerate=25/1");
  EXPECT_EQ(bgr.subtype, MediaSubtype::Rgb24);
  EXPECT_EQ(bgr.stride, 2164);  // rows padded to 4 bytes
  EXPECT_EQ(bgr.frameRateNumerator, 25);
  const TMediaType sound = typeOf("audio/x-raw,format=S16LE,rate=32000,channels=2,layout=interleaved");
  EXPECT_EQ(sound.major, MediaMajor::Audio);
  EXPECT_EQ(sound.sampleRate, 32000);
  EXPECT_EQ(sound.bitsPerSample, 16);
  EXPECT_EQ(typeOf("application/octet-stream").major, MediaMajor::Stream);
}

TEST(SceneDetectElement, numbers_frames_announces_16_9_and_closes_the_last_scene_at_stop) {
  RegisterTestElements();
  GstHarness* harness = gst_harness_new(kSceneDetectElement);
  GstBus* bus = gst_bus_new();
  gst_element_set_bus(harness->element, bus);
  auto* detector = static_cast<Tvx_SceneDetect*>(FilterOfElement(harness->element));
  ASSERT_NE(detector, nullptr);
  int scenes = 0;
  detector->SetSceneCallback([&](const DvFrameInfo&, const DvFrameInfo&) { ++scenes; });
  gst_harness_set_src_caps_str(harness, "video/x-dv,systemstream=true");
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(gst_harness_push(harness, BufferOf(MakeDvFrame({.wide = true}), i * 40 * GST_MSECOND)), GST_FLOW_OK);
    GstBuffer* out = gst_harness_pull(harness);
    EXPECT_EQ(GST_BUFFER_OFFSET(out), static_cast<guint64>(i));
    EXPECT_EQ(GST_BUFFER_OFFSET_END(out), static_cast<guint64>(i + 1));
    EXPECT_EQ(gst_buffer_get_size(out), dv::kFrameBytes625);
    gst_buffer_unref(out);
  }
  guint frames = 0;
  gboolean hasDate = FALSE;
  g_object_get(harness->element, "frame-count", &frames, "has-date", &hasDate, nullptr);
  EXPECT_EQ(frames, 3u);
  EXPECT_TRUE(hasDate);
  EXPECT_EQ(detector->slot(3).startTime, 800000);  // 80 ms in 100 ns units
  EXPECT_EQ(CountMessages(bus, kNotificationMessage), 1);

  gst_element_set_state(harness->element, GST_STATE_NULL);
  EXPECT_EQ(scenes, 1);
  gst_harness_teardown(harness);
  gst_object_unref(bus);
}

TEST(SceneDetectElement, refuses_anything_but_dv) {
  RegisterTestElements();
  GstHarness* harness = gst_harness_new(kSceneDetectElement);
  gst_harness_set_src_caps_str(harness, "audio/x-raw,format=S16LE,rate=48000,channels=2,layout=interleaved");
  EXPECT_NE(gst_harness_push(harness, BufferOf({1, 2})), GST_FLOW_OK);
  gst_harness_teardown(harness);
}

TEST(PluginFile, other_pipelines_find_the_elements) {
  QProcess inspect;
  TempFolder folder;
  inspect.setProcessEnvironment(PluginProcessEnvironment(folder.file("registry.bin")));
  inspect.start("gst-inspect-1.0", {"vx_scenedetect"});
  ASSERT_TRUE(inspect.waitForFinished(60000));
  const QString output = QString::fromUtf8(inspect.readAllStandardOutput());
  EXPECT_EQ(inspect.exitCode(), 0) << inspect.readAllStandardError().toStdString();
  EXPECT_TRUE(output.contains("Orbelin vx_SceneDetect"));
  EXPECT_TRUE(output.contains("frame-count"));
}
