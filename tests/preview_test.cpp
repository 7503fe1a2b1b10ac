#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <atomic>

#include "capture/captureengine.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "media/filters/vx_superposer.h"
#include "support/rendererfeed.h"
#include "support/rungraph.h"

namespace {

TDeviceMoniker Moniker(const char* identity, const char* name, const char* caps, const char* pipeline) {
  TDeviceMoniker device;
  device.identity = identity;
  device.friendlyName = name;
  device.caps = gst::CapsPtr(gst_caps_from_string(caps));
  const std::string description = pipeline;
  device.createSource = [description] {
    return gst::ElementPtr::Sink(gst_parse_bin_from_description(description.c_str(), TRUE, nullptr));
  };
  device.videoStreams = 1;
  return device;
}

// The simulated devices in their lists, and the media module, for one test.
class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<TCaptureEngine>();
    devices_ = TSimulatedDeviceProvider(1).Devices();
    video_.beforeRemoval = [this](TCaptureDevice& device) {
      TCaptureContext& context = engine_->context;
      if (context.CurrentVideoSource && context.CurrentVideoSource->Device == &device)
        DeactivateVideoSource(*engine_, *context.CurrentVideoSource, true);
      if (context.CurrentAudioSource && context.CurrentAudioSource->Device == &device)
        DeactivateAudioSource(*engine_, *context.CurrentAudioSource, true);
    };
    audio_.beforeRemoval = video_.beforeRemoval;
    ASSERT_TRUE(video_.Refresh(devices_, [](TDeviceKind k) { return k == dkDV || k == dkVideo; }));
    ASSERT_TRUE(audio_.Refresh(devices_, [](TDeviceKind k) { return k == dkAudio; }));
    videoSources_ = VideoSourcesOf(video_);
    audioSources_ = AudioSourcesOf(video_);
    for (auto& source : AudioSourcesOf(audio_)) audioSources_.push_back(std::move(source));
  }
  void TearDown() override { engine_.reset(); }

  TVideoSource& VideoSource(const QString& name) {
    for (auto& source : videoSources_)
      if (source->Name == name) return *source;
    throw std::runtime_error("no such source");
  }
  TAudioSource& AudioSource(const QString& name) {
    for (auto& source : audioSources_)
      if (source->Name == name) return *source;
    throw std::runtime_error("no such source");
  }

  graph::TMediaGraph& Graph() const { return engine_->graph(); }
  Tdm& Module() const { return engine_->dm(); }

  // Runs the graph until the condition holds or the time is out.
  bool RunUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    return RunGraphUntil(*engine_, condition, milliseconds);
  }

  std::uint64_t Frames() const { return engine_->renderer().framesReceived(); }

  std::vector<TDeviceMoniker> devices_;
  std::unique_ptr<TCaptureEngine> engine_;
  TCaptureDeviceList video_, audio_;
  std::vector<std::unique_ptr<TVideoSource>> videoSources_;
  std::vector<std::unique_ptr<TAudioSource>> audioSources_;
};

// Counts the buffers leaving an element.
class BufferCount {
 public:
  explicit BufferCount(GstElement* element, const char* pad = "src") : pad_(gst_element_get_static_pad(element, pad)) {
    probe_ = gst_pad_add_probe(
        pad_.get(), GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad*, GstPadProbeInfo*, gpointer count) {
          static_cast<std::atomic<int>*>(count)->fetch_add(1);
          return GST_PAD_PROBE_OK;
        },
        &count_, nullptr);
  }
  ~BufferCount() { gst_pad_remove_probe(pad_.get(), probe_); }
  int value() const { return count_.load(); }

 private:
  graph::PadPtr pad_;
  gulong probe_;
  std::atomic<int> count_{0};
};

}  // namespace

TEST_F(Preview, the_camcorder_shows_its_picture_through_the_overlay_and_plays_its_sound) {
  TVideoSource& video = VideoSource("DV Source - Video");
  TAudioSource& audio = AudioSource("DV Source - Audio");
  ASSERT_TRUE(ActivateVideoSource(*engine_, video));
  ASSERT_TRUE(ActivateAudioSource(*engine_, audio));
  EXPECT_EQ(engine_->context.CurrentVideoSource, &video);
  EXPECT_EQ(engine_->context.CurrentAudioSource, &audio);
  EXPECT_TRUE(video.Active && audio.Active);
  EXPECT_EQ(Module().Superposer().sceneDetector.load(), video.SceneDetector);
  EXPECT_NE(video.SceneDetector, nullptr);
  const BufferCount overlay(Module().overlay.element.get());
  const BufferCount sound(Module().audiorender.get(), "sink");
  ASSERT_TRUE(RunUntil([&] { return Frames() >= 10 && sound.value() >= 10 && engine_->context.SrcWidth > 0; }));
  EXPECT_GE(overlay.value(), 10);
  const QImage frame = engine_->renderer().LatestFrame();
  EXPECT_EQ(frame.size(), QSize(720, 576));
  // The test pattern's bars, not a blank picture.
  EXPECT_NE(frame.pixel(40, 100), frame.pixel(680, 100));
  const TCaptureContext& context = engine_->context;
  EXPECT_EQ(context.SrcWidth, 720);
  EXPECT_EQ(context.SrcHeight, 576);
  EXPECT_EQ(context.FourCC, "dvsd");
  EXPECT_TRUE(context.Compressed);
  EXPECT_EQ(context.AvgTimePerFrame, 400000u);
  EXPECT_EQ(context.AudioRate, 48000);
  EXPECT_EQ(context.AudioBits, 16);
  EXPECT_EQ(context.AudioChannels, 2);
  // Half-size decoding gives a quarter of the picture.
  Stop(*engine_);
  ASSERT_TRUE(DeactivateVideoSource(*engine_, video, false));
  engine_->context.DvHalfRes = true;
  ASSERT_TRUE(ActivateVideoSource(*engine_, video));
  const std::uint64_t before = Frames();
  ASSERT_TRUE(RunUntil([&] { return Frames() >= before + 5; }));
  EXPECT_EQ(engine_->renderer().LatestFrame().size(), QSize(360, 288));
}

TEST_F(Preview, the_camcorder_video_can_go_while_its_sound_stays) {
  TVideoSource& video = VideoSource("DV Source - Video");
  TAudioSource& audio = AudioSource("DV Source - Audio");
  ASSERT_TRUE(ActivateVideoSource(*engine_, video));
  ASSERT_TRUE(ActivateAudioSource(*engine_, audio));
  const gst::ElementPtr held = gst::ElementPtr::Ref(video.Device->SourceFilter());
  GstElement* camcorder = held.get();
  ASSERT_TRUE(DeactivateVideoSource(*engine_, video, true));
  EXPECT_EQ(engine_->context.CurrentVideoSource, nullptr);
  EXPECT_FALSE(video.Active);
  EXPECT_TRUE(Graph().Contains(camcorder));
  const BufferCount sound(Module().audiorender.get(), "sink");
  EXPECT_TRUE(RunUntil([&] { return sound.value() >= 10; }));
  // The sound goes too: now the camcorder leaves the graph, and nothing
  // else stays.
  ASSERT_TRUE(DeactivateAudioSource(*engine_, audio, true));
  EXPECT_FALSE(Graph().Contains(camcorder));
  EXPECT_EQ(Graph().ElementCount(), 0);
  EXPECT_FALSE(DeactivateAudioSource(*engine_, audio, true));  // no longer active
}

TEST_F(Preview, a_picture_the_converter_refuses_goes_to_the_overlay_directly) {
  // A converter that takes only grey pictures refuses a device that gives
  // the overlay's own format.
  Module().color1.Set(gst::ElementPtr::Sink(
      gst_parse_bin_from_description("capsfilter caps=video/x-raw,format=GRAY8 ! identity", TRUE, nullptr)));
  std::vector<TDeviceMoniker> devices = devices_;
  devices.push_back(Moniker("test:bgr", "Caméra BGR", "video/x-raw,format=BGR",
                            "videotestsrc is-live=true ! capsfilter "
                            "caps=video/x-raw,format=BGR,width=320,height=240,framerate=25/1"));
  ASSERT_TRUE(video_.Refresh(devices, [](TDeviceKind k) { return k == dkDV || k == dkVideo; }));
  videoSources_ = VideoSourcesOf(video_);
  ASSERT_TRUE(ActivateVideoSource(*engine_, VideoSource("Caméra BGR")));
  EXPECT_FALSE(Graph().Contains(Module().color1.get()));
  ASSERT_TRUE(RunUntil([this] { return Frames() >= 5; }));
  EXPECT_EQ(engine_->renderer().LatestFrame().size(), QSize(320, 240));
  EXPECT_EQ(engine_->context.FourCC, "");
  EXPECT_FALSE(engine_->context.Compressed);
  EXPECT_DOUBLE_EQ(engine_->context.Fps, 25.0);
}

TEST_F(Preview, the_webcam_and_the_mpeg2_device_show_their_pictures) {
  ASSERT_TRUE(ActivateVideoSource(*engine_, VideoSource("Webcam simulée")));
  ASSERT_TRUE(RunUntil([this] { return Frames() >= 5; }));
  EXPECT_EQ(engine_->renderer().LatestFrame().size(), QSize(640, 480));
  EXPECT_EQ(engine_->context.FourCC, "YUY2");
  EXPECT_FALSE(engine_->context.Compressed);
  EXPECT_NEAR(engine_->context.Fps, 30.0, 0.01);
  TVideoSource& mpeg = VideoSource("Encodeur MPEG-2 simulé");
  ASSERT_TRUE(ActivateVideoSource(*engine_, mpeg));
  const std::uint64_t before = Frames();
  ASSERT_TRUE(RunUntil([&] { return Frames() >= before + 5; }, 8000));
  EXPECT_EQ(engine_->renderer().LatestFrame().size(), QSize(352, 288));
  EXPECT_EQ(engine_->context.FourCC, "MPEG2");
  EXPECT_TRUE(engine_->context.Compressed);
  EXPECT_EQ(mpeg.Device->NativeFormat1, 3);
}

TEST_F(Preview, switching_sources_leaves_no_stray_element) {
  const QStringList videos{"DV Source - Video", "Webcam simulée", "Encodeur MPEG-2 simulé"};
  const QStringList sounds{"DV Source - Audio", "Carte son simulée"};
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(ActivateVideoSource(*engine_, VideoSource(videos[round % 3])));
    ASSERT_TRUE(ActivateAudioSource(*engine_, AudioSource(sounds[round % 2])));
    const std::uint64_t before = Frames();
    ASSERT_TRUE(RunUntil([&] { return Frames() > before; }, 8000));
  }
  Stop(*engine_);
  // Building again and again leaves the same graph as building once.
  const int elements = Graph().ElementCount();
  ASSERT_TRUE(ActivateVideoSource(*engine_, VideoSource(videos[9 % 3])));
  ASSERT_TRUE(ActivateAudioSource(*engine_, AudioSource(sounds[9 % 2])));
  EXPECT_EQ(Graph().ElementCount(), elements);
  DeactivateVideoSource(*engine_, *engine_->context.CurrentVideoSource, true);
  DeactivateAudioSource(*engine_, *engine_->context.CurrentAudioSource, true);
  EXPECT_EQ(Graph().ElementCount(), 0);
}

TEST_F(Preview, a_failed_activation_leaves_nothing_and_the_next_one_works) {
  // A device that says it gives pictures and gives sound.
  const TDeviceMoniker liar = Moniker("test:liar", "Faux", "video/x-raw", "audiotestsrc is-live=true");
  std::vector<TDeviceMoniker> withLiar = devices_;
  withLiar.push_back(liar);
  ASSERT_TRUE(video_.Refresh(withLiar, [](TDeviceKind k) { return k == dkDV || k == dkVideo; }));
  videoSources_ = VideoSourcesOf(video_);
  ASSERT_TRUE(ActivateAudioSource(*engine_, AudioSource("Carte son simulée")));
  const int withSound = Graph().ElementCount();
  EXPECT_FALSE(ActivateVideoSource(*engine_, VideoSource("Faux")));
  EXPECT_EQ(engine_->context.CurrentVideoSource, nullptr);
  EXPECT_EQ(Graph().ElementCount(), withSound);
  EXPECT_EQ(Graph().FindByName("Superposer").get(), nullptr);
  ASSERT_TRUE(ActivateVideoSource(*engine_, VideoSource("DV Source - Video")));
  EXPECT_TRUE(RunUntil([this] { return Frames() >= 3; }));
}

TEST_F(Preview, a_device_that_went_away_is_released_before_it_leaves_the_list) {
  TVideoSource& webcam = VideoSource("Webcam simulée");
  ASSERT_TRUE(ActivateVideoSource(*engine_, webcam));
  const gst::ElementPtr element = gst::ElementPtr::Ref(webcam.Device->SourceFilter());
  ASSERT_TRUE(Graph().Contains(element.get()));
  std::vector<TDeviceMoniker> left;
  for (const TDeviceMoniker& device : devices_)
    if (device.identity != "simulated:webcam") left.push_back(device);
  ASSERT_TRUE(video_.Refresh(left, [](TDeviceKind k) { return k == dkDV || k == dkVideo; }));
  EXPECT_EQ(engine_->context.CurrentVideoSource, nullptr);
  EXPECT_EQ(video_.Count(), 3);
  EXPECT_EQ(Graph().ElementCount(), 0);
  videoSources_ = VideoSourcesOf(video_);
}

// The renderer hands the window 32-bit pixels: every pixel of a row whose
// width is no multiple of four, in its own colour.
TEST(VideoRenderer, gives_the_picture_in_32_bit_pixels_whatever_its_width) {
  TVideoRenderer renderer;
  ASSERT_TRUE(FeedRenderer(renderer,
                           "videotestsrc num-buffers=1 pattern=solid-color foreground-color=0xff123456 ! "
                           "video/x-raw,format=BGR,width=7,height=3,framerate=25/1 ! identity name=last"));
  const QImage frame = renderer.LatestFrame();
  ASSERT_EQ(frame.size(), QSize(7, 3));
  EXPECT_EQ(frame.format(), QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(frame.pixel(x, y), 0xff123456u) << x << "," << y;
}

TEST(VideoFormat, is_read_from_the_native_stream_caps) {
  const auto of = [](const char* caps, bool normal = true) {
    const gst::CapsPtr parsed(gst_caps_from_string(caps));
    return VideoFormatOfCaps(parsed.get(), normal);
  };
  gst::EnsureInitialised();
  TVideoFormat ntsc = of("video/x-raw,format=UYVY,width=720,height=480,framerate=30000/1001");
  EXPECT_EQ(ntsc.avgTimePerFrame, 333667u);
  EXPECT_NEAR(ntsc.fps, 29.97, 0.001);
  EXPECT_EQ(ntsc.fourCC, "UYVY");
  EXPECT_FALSE(ntsc.compressed);
  EXPECT_EQ(ntsc.nativeFormat, 0);
  TVideoFormat unknownRate = of("video/x-raw,format=BGR,width=320,height=240,framerate=0/1");
  EXPECT_EQ(unknownRate.avgTimePerFrame, 400000u);
  EXPECT_DOUBLE_EQ(unknownRate.fps, 25.0);
  EXPECT_EQ(unknownRate.fourCC, "");  // uncompressed RGB has no code
  TVideoFormat square = of("video/mpeg,mpegversion=2,width=720,height=576,pixel-aspect-ratio=1/1,framerate=25/1");
  EXPECT_EQ(std::pair(square.aspectX, square.aspectY), std::pair(4, 3));
  EXPECT_EQ(square.fourCC, "MPEG2");
  EXPECT_TRUE(square.compressed);
  EXPECT_EQ(square.nativeFormat, 3);
  square = of("video/mpeg,mpegversion=2,width=720,height=576,pixel-aspect-ratio=1/1", false);
  EXPECT_EQ(std::pair(square.aspectX, square.aspectY), std::pair(720, 576));
  TVideoFormat wide = of("video/mpeg,mpegversion=2,width=720,height=576,pixel-aspect-ratio=64/45", true);
  EXPECT_EQ(std::pair(wide.aspectX, wide.aspectY), std::pair(16, 9));
  EXPECT_EQ(of("video/mpeg,mpegversion=1,width=352,height=288").nativeFormat, 4);
  EXPECT_FALSE(of("audio/x-raw").recognised);
}

TEST(VideoFormat, monitoring_volume_is_logarithmic_from_silent_to_full) {
  EXPECT_EQ(MonitorMillibels(0), -10000);
  EXPECT_EQ(MonitorMillibels(5000), -752);
  EXPECT_EQ(MonitorMillibels(10000), 0);
  EXPECT_EQ(MonitorMillibels(20000), 0);
  EXPECT_NEAR(MonitorGain(10000), 1.0, 0.001);
  EXPECT_NEAR(MonitorGain(5000), 0.421, 0.001);
  // The bottom of the scale is silence, not a whisper.
  EXPECT_EQ(MonitorGain(0), 0.0);
  EXPECT_EQ(MonitorGain(-5), 0.0);
  EXPECT_GT(MonitorGain(1), 0.0);
  EXPECT_LT(MonitorGain(100), MonitorGain(5000));
}
