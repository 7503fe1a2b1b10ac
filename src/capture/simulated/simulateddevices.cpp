#include "capture/simulated/simulateddevices.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <cstring>
#include <memory>
#include <mutex>

#include "capture/simulated/dvframer.h"

Q_DECLARE_LOGGING_CATEGORY(lcDevices)

namespace {

constexpr int kFramesPerSecond = 25;

gst::ElementPtr MakeBin(const char* description) {
  gst::ErrorOut error;
  auto bin = gst::ElementPtr::Sink(gst_parse_bin_from_description(description, TRUE, error.out()));
  if (error) {
    qCWarning(lcDevices) << "simulated device unavailable:" << error.message().c_str();
    return {};
  }
  return bin;
}

gst::CapsPtr Caps(const char* text) { return gst::CapsPtr(gst_caps_from_string(text)); }

}  // namespace

// The DV encoder alone gives whole frames; the framer stamps them and writes
// the sound into them (the DV muxer gives nothing from live sources).
gst::ElementPtr TSimulatedDeviceProvider::MakeCamcorder(int number) {
  gst::EnsureInitialised();
  RegisterDvFramer();
  const std::string pattern = number % 2 ? "smpte" : "ball";
  const std::string description =
      "videotestsrc is-live=true pattern=" + pattern +
      " ! video/x-raw,format=I420,width=720,height=576,framerate=25/1,pixel-aspect-ratio=16/15 ! avenc_dvvideo ! "
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

namespace {

TDeviceMoniker Simulated(QString identity, QString name, const char* caps, std::function<gst::ElementPtr()> create,
                         int videoStreams, int audioStreams) {
  TDeviceMoniker device;
  device.identity = std::move(identity);
  device.friendlyName = std::move(name);
  device.caps = Caps(caps);
  device.createSource = std::move(create);
  device.videoStreams = videoStreams;
  device.audioStreams = audioStreams;
  return device;
}

}  // namespace

std::vector<TDeviceMoniker> TSimulatedDeviceProvider::Devices() {
  gst::EnsureInitialised();
  std::vector<TDeviceMoniker> devices;
  for (int number = 1; number <= camcorders_; ++number)
    devices.push_back(Simulated(
        QStringLiteral("simulated:camcorder:%1").arg(number), QStringLiteral("Caméscope DV simulé"),
        "video/x-dv,systemstream=true", [number] { return MakeCamcorder(number); }, 1, 1));
  devices.push_back(Simulated(
      "simulated:webcam", QStringLiteral("Webcam simulée"), "video/x-raw,width=640,height=480,framerate=30/1",
      [] {
        return MakeBin(
            "videotestsrc is-live=true pattern=ball ! capsfilter caps=video/x-raw,format=YUY2,width=640,height=480,"
            "framerate=30/1");
      },
      1, 0));
  devices.push_back(Simulated(
      "simulated:mpeg2", QStringLiteral("Encodeur MPEG-2 simulé"), "video/mpeg,mpegversion=2,systemstream=true",
      [] {
        return MakeBin(
            "videotestsrc is-live=true pattern=smpte ! video/x-raw,format=I420,width=352,height=288,framerate=25/1 "
            // A DVD-style encoder, as capture cards have: a sequence header
            // before each group of pictures.
            "! mpeg2enc format=8 ! mpegvideoparse ! mpegpsmux "
            // What the device announces.
            "! capsfilter caps=video/mpeg,mpegversion=2,systemstream=true");
      },
      1, 0));
  devices.push_back(Simulated(
      "simulated:soundcard", QStringLiteral("Carte son simulée"), "audio/x-raw,rate=48000,channels=2",
      [] {
        return MakeBin(
            "audiotestsrc is-live=true freq=660 volume=0.2 ! capsfilter "
            "caps=audio/x-raw,format=S16LE,rate=48000,channels=2");
      },
      0, 1));
  return devices;
}
