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
