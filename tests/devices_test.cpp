#include <gtest/gtest.h>

#include "capture/capturesources.h"

namespace {

TDeviceMoniker Moniker(const char* identity, const char* name, const char* caps, int video = 0, int audio = 0) {
  gst::EnsureInitialised();
  TDeviceMoniker moniker;
  moniker.identity = identity;
  moniker.friendlyName = name;
  moniker.caps = gst::CapsPtr(gst_caps_from_string(caps));
  moniker.createSource = [] { return gst::ElementPtr::Sink(gst_element_factory_make("fakesrc", nullptr)); };
  moniker.videoStreams = video;
  moniker.audioStreams = audio;
  return moniker;
}

const auto kVideoList = [](TDeviceKind kind) { return kind == dkDV || kind == dkVideo; };
const auto kAudioList = [](TDeviceKind kind) { return kind == dkAudio; };

QStringList Names(const auto& sources) {
  QStringList names;
  for (const auto& source : sources) names << source->Name;
  return names;
}

}  // namespace

TEST(Devices, kinds_come_from_what_the_device_produces) {
  gst::EnsureInitialised();
  const auto kind = [](const char* caps) {
    const gst::CapsPtr c(gst_caps_from_string(caps));
    return ClassifyDevice(c.get());
  };
  EXPECT_EQ(kind("video/x-dv,systemstream=true"), dkDV);
  EXPECT_EQ(kind("video/x-dv,systemstream=false"), dkVideo);
  EXPECT_EQ(kind("video/x-raw,format=YUY2; image/jpeg"), dkVideo);
  EXPECT_EQ(kind("video/mpeg,mpegversion=2,systemstream=true"), dkVideo);
  EXPECT_EQ(kind("audio/x-raw,format=S16LE"), dkAudio);
  EXPECT_EQ(kind("application/octet-stream"), dkStream);
  EXPECT_EQ(kind("audio/x-raw; video/x-dv,systemstream=true"), dkDV);
  EXPECT_EQ(kind("ANY"), dkUnknown);
  EXPECT_EQ(ClassifyDevice(nullptr), dkUnknown);
}

TEST(Devices, camcorders_and_cards_are_named_as_the_selectors_show_them) {
  TCaptureDeviceList video, audio;
  const std::vector<TDeviceMoniker> system = {
      Moniker("guid:1", "Caméscope", "video/x-dv,systemstream=true"),
      Moniker("guid:2", "Caméscope", "video/x-dv,systemstream=true"),
      Moniker("guid:3", "Autre marque", "video/x-dv,systemstream=true"),
      Moniker("/dev/video0", "Carte TV", "video/x-raw", 1, 1),
      Moniker("/dev/video1", "Webcam", "video/x-raw", 1, 0),
      Moniker("/dev/video2", "Flux", "application/octet-stream"),
      Moniker("alsa:1", "Line", "audio/x-raw", 0, 2),
  };
  ASSERT_TRUE(video.Refresh(system, kVideoList));
  ASSERT_TRUE(audio.Refresh(system, kAudioList));
  EXPECT_EQ(video.Count(), 5);  // the byte-stream device is not listed
  EXPECT_EQ(Names(VideoSourcesOf(video)), (QStringList{"DV Source - Video", "DV Source #2 - Video",
                                                       "DV Source #3 - Video", "Carte TV - Video", "Webcam"}));
  EXPECT_EQ(Names(AudioSourcesOf(video)),
            (QStringList{"DV Source - Audio", "DV Source #2 - Audio", "DV Source #3 - Audio", "Carte TV - Audio"}));
  EXPECT_EQ(Names(AudioSourcesOf(audio)), (QStringList{"Line", "Line#2"}));
  EXPECT_EQ(video.Item(1)->Instance, 2);  // second of its make
  EXPECT_EQ(video.Item(2)->Instance, 1);  // first of another make
  EXPECT_EQ(video.Item(0)->NativeFormat1, 1);
  EXPECT_EQ(video.Item(3)->NativeFormat1, 5);

  // Stream numbers outside the device's streams give no source.
  EXPECT_TRUE(TVideoSource(*video.Item(4), 0).Name.isEmpty());
  EXPECT_TRUE(TVideoSource(*video.Item(4), 2).Name.isEmpty());
  EXPECT_EQ(TVideoSource(*video.Item(3), 1).Name, "Carte TV - Video");
}

TEST(Devices, a_device_that_went_away_is_released_then_removed) {
  TCaptureDeviceList video;
  std::vector<TDeviceMoniker> system = {Moniker("guid:1", "Caméscope", "video/x-dv,systemstream=true"),
                                        Moniker("guid:2", "Caméscope", "video/x-dv,systemstream=true")};
  ASSERT_TRUE(video.Refresh(system, kVideoList));
  TCaptureDevice* second = video.Item(1);
  QStringList released;
  video.beforeRemoval = [&](TCaptureDevice& device) {
    EXPECT_EQ(video.Count(), 2);  // still listed while its sources are released
    released << device.Name;
  };
  // The first camcorder is unplugged; the second keeps its name and object.
  system.erase(system.begin());
  ASSERT_TRUE(video.Refresh(system, kVideoList));
  EXPECT_EQ(released, QStringList{"DV Source"});
  ASSERT_EQ(video.Count(), 1);
  EXPECT_EQ(video.Item(0), second);
  EXPECT_EQ(video.Item(0)->Name, "DV Source #2");
  // Plugged in again, it takes the free name and number.
  system.push_back(Moniker("guid:1", "Caméscope", "video/x-dv,systemstream=true"));
  ASSERT_TRUE(video.Refresh(system, kVideoList));
  EXPECT_EQ(video.Item(1)->Name, "DV Source");
  EXPECT_EQ(video.Item(1)->Instance, 1);
  EXPECT_EQ(video.NextInstance("Caméscope"), 3);
  EXPECT_EQ(video.NextInstance("Inconnu"), 1);
  EXPECT_EQ(video.IndexOfMoniker("guid:9"), -1);
  EXPECT_EQ(video.Item(5), nullptr);
}

#include <QApplication>
#include <QElapsedTimer>
#include <cmath>
#include <mutex>

#include "capture/simulated/simulateddevices.h"
#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_scenedetect.h"
#include "platform/graph.h"

namespace {

// Runs a source element into the rest of a pipeline for a while and answers
// how many buffers reached the end.
int BuffersWithin(gst::ElementPtr source, const char* rest, int milliseconds, gst::ElementPtr* named = nullptr,
                  const char* name = nullptr) {
  graph::TMediaGraph fg;
  GError* error = nullptr;
  auto tail = gst::ElementPtr::Sink(gst_parse_bin_from_description(rest, TRUE, &error));
  if (error) {
    ADD_FAILURE() << error->message;
    g_error_free(error);
    return 0;
  }
  if (!fg.AddFilter(source.get(), "source") || !fg.AddFilter(tail.get(), "rest") ||
      !gst_element_link(source.get(), tail.get()))
    return 0;
  if (named) *named = gst::ElementPtr(gst_bin_get_by_name(GST_BIN(tail.get()), name));
  std::atomic<int> count{0};
  gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(tail.get()), "end"));
  const graph::PadPtr sinkPad(gst_element_get_static_pad(sink.get(), "sink"));
  gst_pad_add_probe(
      sinkPad.get(), GST_PAD_PROBE_TYPE_BUFFER,
      [](GstPad*, GstPadProbeInfo*, gpointer c) {
        static_cast<std::atomic<int>*>(c)->fetch_add(1);
        return GST_PAD_PROBE_OK;
      },
      &count, nullptr);
  std::string failure;
  EXPECT_TRUE(fg.Run(std::chrono::seconds(10), &failure)) << failure;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
  fg.Stop();
  return count.load();
}

}  // namespace

TEST(SimulatedDevices, are_listed_and_named_like_real_ones) {
  TSimulatedDeviceProvider provider(2);
  TCaptureDeviceList video, audio;
  const std::vector<TDeviceMoniker> devices = provider.Devices();
  ASSERT_TRUE(video.Refresh(devices, kVideoList));
  ASSERT_TRUE(audio.Refresh(devices, kAudioList));
  EXPECT_EQ(Names(VideoSourcesOf(video)),
            (QStringList{"DV Source - Video", "DV Source #2 - Video", "Webcam simulée", "Encodeur MPEG-2 simulé",
                         "Carte d'acquisition simulée"}));
  EXPECT_EQ(Names(AudioSourcesOf(video)), (QStringList{"DV Source - Audio", "DV Source #2 - Audio"}));
  EXPECT_EQ(Names(AudioSourcesOf(audio)), QStringList{"Carte son simulée"});
  qputenv("TESSIVO_SIMULATED_DEVICES", "3");
  EXPECT_EQ(TSimulatedDeviceProvider::RequestedCamcorders(), 3);
  qunsetenv("TESSIVO_SIMULATED_DEVICES");
  EXPECT_EQ(TSimulatedDeviceProvider::RequestedCamcorders(), 0);
}

TEST(SimulatedDevices, the_camcorder_sends_whole_dated_dv_frames) {
  gst::EnsureInitialised();
  ASSERT_TRUE(RegisterTessivoPlugin());
  gst::ElementPtr detectorElement;
  const int frames =
      BuffersWithin(TSimulatedDeviceProvider::MakeCamcorder(1),
                    "vx_scenedetect name=detector ! fakesink name=end async=false", 1500, &detectorElement, "detector");
  EXPECT_GE(frames, 20);
  ASSERT_TRUE(detectorElement);
  auto* detector = static_cast<Tvx_SceneDetect*>(FilterOfElement(detectorElement.get()));
  EXPECT_TRUE(detector->currentHasDate());
  // Whole frames: the DIF header is where it belongs, and the time code runs.
  EXPECT_EQ(detector->currentVideoSystem(), dv::kSystem625);
  EXPECT_TRUE(detector->slot(1).info.hasTimeCode);  // the first frame's slot
}

TEST(SimulatedDevices, webcam_mpeg_device_and_sound_card_deliver) {
  TSimulatedDeviceProvider provider(0);
  const std::vector<TDeviceMoniker> devices = provider.Devices();
  ASSERT_EQ(devices.size(), 4u);
  EXPECT_GE(BuffersWithin(devices[0].createSource(), "videoconvert ! fakesink name=end", 700), 5);
  EXPECT_GE(BuffersWithin(devices[1].createSource(), "fakesink name=end", 1500), 1);
  EXPECT_GE(BuffersWithin(devices[2].createSource(), "videoconvert ! fakesink name=end", 700), 5);
  EXPECT_GE(BuffersWithin(devices[3].createSource(), "fakesink name=end", 700), 5);
}

TEST(SimulatedDevices, the_camcorder_frames_carry_its_sound) {
  gst::EnsureInitialised();
  graph::TMediaGraph fg;
  gst::ElementPtr source = TSimulatedDeviceProvider::MakeCamcorder(1);
  GError* error = nullptr;
  auto tail = gst::ElementPtr::Sink(gst_parse_bin_from_description(
      "dvdemux name=demux demux.audio ! audio/x-raw,format=S16LE,rate=48000,channels=2 ! fakesink name=end "
      "async=false",
      FALSE, &error));
  ASSERT_FALSE(error) << error->message;
  ASSERT_TRUE(fg.AddFilter(source.get(), "source") && fg.AddFilter(tail.get(), "rest"));
  gst::ElementPtr demux(gst_bin_get_by_name(GST_BIN(tail.get()), "demux"));
  ASSERT_TRUE(gst_element_link(source.get(), demux.get()));
  struct Heard {
    std::mutex lock;
    std::vector<std::int16_t> samples;
  } heard;
  gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(tail.get()), "end"));
  const graph::PadPtr sinkPad(gst_element_get_static_pad(sink.get(), "sink"));
  gst_pad_add_probe(
      sinkPad.get(), GST_PAD_PROBE_TYPE_BUFFER,
      [](GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* h = static_cast<Heard*>(data);
        GstMapInfo map;
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
          const std::lock_guard guard(h->lock);
          const auto* s = reinterpret_cast<const std::int16_t*>(map.data);
          h->samples.insert(h->samples.end(), s, s + map.size / 2);
          gst_buffer_unmap(buffer, &map);
        }
        return GST_PAD_PROBE_OK;
      },
      &heard, nullptr);
  std::string failure;
  ASSERT_TRUE(fg.Run(std::chrono::seconds(10), &failure)) << failure;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 800) QApplication::processEvents(QEventLoop::AllEvents, 20);
  fg.Stop();
  const std::lock_guard guard(heard.lock);
  // 1920 sample pairs a frame, read back by the system's own demultiplexer
  // as the tones they were written.
  ASSERT_GE(heard.samples.size(), 2u * 1920 * 5);
  EXPECT_EQ(heard.samples.size() % (2 * 1920), 0u);
  int wrong = 0;
  for (std::size_t n = 0; n < heard.samples.size() / 2; ++n) {
    const double t = static_cast<double>(n) / 48000;
    wrong += std::abs(heard.samples[2 * n] - static_cast<int>(6000 * std::sin(2 * M_PI * 1000 * t))) > 1;
    const bool beat = n / 1920 % 25 == 0;  // the right tone pauses for a frame each second
    wrong +=
        std::abs(heard.samples[2 * n + 1] - (beat ? 0 : static_cast<int>(6000 * std::sin(2 * M_PI * 1500 * t)))) > 1;
  }
  EXPECT_EQ(wrong, 0);
}

#include "capture/systemdevices.h"

TEST(SystemDevices, a_machine_without_devices_offers_the_simulated_ones_and_says_why_there_is_no_camcorder) {
  TFireWireProvider fireWire;
  EXPECT_TRUE(fireWire.Devices().empty());  // no adapter here
  EXPECT_FALSE(fireWire.whyNone().isEmpty());
  qunsetenv("TESSIVO_SIMULATED_DEVICES");
  TDeviceEnumerator enumerator;
  const std::vector<TDeviceMoniker> devices = enumerator.Devices().value();
  EXPECT_TRUE(enumerator.simulated());
  EXPECT_EQ(std::count_if(devices.begin(), devices.end(),
                          [](const TDeviceMoniker& d) { return d.identity.startsWith("simulated:camcorder"); }),
            1);
  qputenv("TESSIVO_SIMULATED_DEVICES", "2");
  const std::vector<TDeviceMoniker> two = TDeviceEnumerator().Devices().value();
  qunsetenv("TESSIVO_SIMULATED_DEVICES");
  TCaptureDeviceList video;
  ASSERT_TRUE(video.Refresh(two, kVideoList));
  EXPECT_TRUE(Names(VideoSourcesOf(video)).contains("DV Source #2 - Video"));
  // A broken device monitor is a failure, not an empty machine.
  enumerator.SetListingFails(true);
  EXPECT_FALSE(enumerator.Devices().has_value());
}

TEST(SystemDevices, a_burst_of_changes_gives_one_notice) {
  TDeviceEnumerator enumerator;
  int changed = 0;
  QStringList removed;
  QObject::connect(&enumerator, &TDeviceEnumerator::devicesChanged, [&] { ++changed; });
  QObject::connect(&enumerator, &TDeviceEnumerator::deviceRemoved, [&](const QString& id) { removed << id; });
  enumerator.DeviceAdded("/dev/video0");
  enumerator.DeviceRemoved("alsa_input.usb");
  enumerator.DeviceAdded("/dev/video1");
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(removed, QStringList{"alsa_input.usb"});
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < TDeviceEnumerator::kSettleMilliseconds * 4)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(changed, 1);
}

#include "capture/devicesettings.h"
#include "capture/formatchoices.h"

TEST(DeviceSettings, a_device_that_cannot_be_reached_offers_nothing_to_set) {
  // No node, no sound server, no such card: every answer is "none", at once.
  const std::shared_ptr<IDeviceSettings> node = V4l2DeviceSettings("/dev/tessivo-absent");
  EXPECT_EQ(node->Inputs(), nullptr);
  EXPECT_EQ(node->PictureControls(), nullptr);
  EXPECT_EQ(node->Tuner(), nullptr);
  if (const std::shared_ptr<IDeviceSettings> server = PulseSourceSettings("tessivo.absent")) {
    EXPECT_EQ(server->SoundPorts(), nullptr);
  }
  if (const std::shared_ptr<IDeviceSettings> card = AlsaCardSettings(97)) {
    EXPECT_EQ(card->SoundPorts(), nullptr);
  }
}

TEST(DeviceSettings, format_choices_spread_lists_and_ranges_in_the_device_order) {
  gst::EnsureInitialised();
  const gst::CapsPtr caps(gst_caps_from_string(
      "video/x-raw,format={YUY2,NV12},width=640,height=480,framerate={30/1,15/1}; "
      "image/jpeg,width=[160,1280],height=[120,720],framerate=[1/1,30/1]; "
      "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1; audio/x-raw,rate=48000"));
  const std::vector<TFormatChoice> choices = FormatChoicesOf(caps.get());
  QStringList texts;
  for (const TFormatChoice& choice : choices) texts << choice.Text();
  EXPECT_EQ(texts.mid(0, 4), (QStringList{"YUY2 640x480 30 img/s", "YUY2 640x480 15 img/s", "NV12 640x480 30 img/s",
                                          "NV12 640x480 15 img/s"}));
  // A range gives its largest size first and the usual ones inside it; the
  // repeated choice and the sound are left out.
  EXPECT_EQ(texts.value(4), "jpeg 1280x720 30 img/s");
  EXPECT_TRUE(texts.contains("jpeg 640x480 25 img/s"));
  EXPECT_TRUE(texts.contains("jpeg 320x240 15 img/s"));
  EXPECT_EQ(texts.count("YUY2 640x480 30 img/s"), 1);
  // The caps of a choice ask for exactly it.
  const gst::CapsPtr asked = CapsOfChoice(choices[1]);
  EXPECT_TRUE(gst_caps_is_fixed(asked.get()));
  EXPECT_TRUE(gst_caps_is_subset(asked.get(), caps.get()));
  EXPECT_TRUE(FormatChoicesOf(gst::CapsPtr(gst_caps_new_any()).get()).empty());
}
