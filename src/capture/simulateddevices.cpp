#include "capture/simulateddevices.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <cstring>
#include <memory>
#include <mutex>

#include "capture/dvframer.h"

Q_DECLARE_LOGGING_CATEGORY(lcDevices)

namespace {

constexpr int kFramesPerSecond = 25;

gst::ElementPtr MakeBin(const char* description) {
  GError* error = nullptr;
  auto bin = gst::ElementPtr::Sink(gst_parse_bin_from_description(description, TRUE, &error));
  if (error) {
    qCWarning(lcDevices) << "simulated device unavailable:" << error->message;
    g_error_free(error);
    return {};
  }
  return bin;
}

gst::CapsPtr Caps(const char* text) { return gst::CapsPtr(gst_caps_from_string(text)); }

}  // namespace

// The DV encoder alone gives whole frames. Sound would come from the DV
// muxer, which produced nothing from live sources in our graph: the frames go
// without it for now.
gst::ElementPtr TSimulatedDeviceProvider::MakeCamcorder(int number) {
  gst::EnsureInitialised();
  RegisterDvFramer();
  const std::string pattern = number % 2 ? "smpte" : "ball";
  const std::string description =
      "videotestsrc is-live=true pattern=" + pattern +
      " ! video/x-raw,width=720,height=576,framerate=25/1,pixel-aspect-ratio=16/15 ! avenc_dvvideo ! "
      "tessivo_dvframer";
  gst::ElementPtr bin = MakeBin(description.c_str());
  if (bin) gst_object_set_name(GST_OBJECT(bin.get()), ("simulated_camcorder_" + std::to_string(number)).c_str());
  return bin;
}

int TSimulatedDeviceProvider::RequestedCamcorders() {
  if (!qEnvironmentVariableIsSet("TESSIVO_SIMULATED_DEVICES")) return 0;
  bool ok = false;
  const int count = qEnvironmentVariableIntValue("TESSIVO_SIMULATED_DEVICES", &ok);
  return ok ? std::max(0, count) : 1;
}

std::vector<TDeviceMoniker> TSimulatedDeviceProvider::Devices() {
  gst::EnsureInitialised();
  std::vector<TDeviceMoniker> devices;
  for (int number = 1; number <= camcorders_; ++number) {
    TDeviceMoniker camcorder;
    camcorder.identity = QStringLiteral("simulated:camcorder:%1").arg(number);
    camcorder.friendlyName = QStringLiteral("Caméscope DV simulé");
    camcorder.caps = Caps("video/x-dv,systemstream=true");
    camcorder.createSource = [number] { return MakeCamcorder(number); };
    camcorder.videoStreams = camcorder.audioStreams = 1;
    devices.push_back(std::move(camcorder));
  }
  TDeviceMoniker webcam;
  webcam.identity = "simulated:webcam";
  webcam.friendlyName = QStringLiteral("Webcam simulée");
  webcam.caps = Caps("video/x-raw,width=640,height=480,framerate=30/1");
  webcam.createSource = [] {
    return MakeBin(
        "videotestsrc is-live=true pattern=ball ! capsfilter caps=video/x-raw,format=YUY2,width=640,height=480,"
        "framerate=30/1");
  };
  webcam.videoStreams = 1;
  devices.push_back(std::move(webcam));
  TDeviceMoniker mpeg;
  mpeg.identity = "simulated:mpeg2";
  mpeg.friendlyName = QStringLiteral("Encodeur MPEG-2 simulé");
  mpeg.caps = Caps("video/mpeg,mpegversion=2,systemstream=true");
  mpeg.createSource = [] {
    return MakeBin(
        "videotestsrc is-live=true pattern=smpte ! video/x-raw,format=I420,width=720,height=576,framerate=25/1 "
        "! mpeg2enc format=3 ! mpegvideoparse ! avmux_mpeg");
  };
  mpeg.videoStreams = 1;
  devices.push_back(std::move(mpeg));
  TDeviceMoniker soundCard;
  soundCard.identity = "simulated:soundcard";
  soundCard.friendlyName = QStringLiteral("Carte son simulée");
  soundCard.caps = Caps("audio/x-raw,rate=48000,channels=2");
  soundCard.createSource = [] {
    return MakeBin(
        "audiotestsrc is-live=true freq=660 volume=0.2 ! capsfilter "
        "caps=audio/x-raw,format=S16LE,rate=48000,channels=2");
  };
  soundCard.audioStreams = 1;
  devices.push_back(std::move(soundCard));
  return devices;
}
