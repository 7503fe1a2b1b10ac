// Frames per second of the whole graph, unpaced: the simulated camcorder's
// frames (made once, then read from a file as fast as they come) through the
// scene detector, the preview's decoding and overlay (two lines, outline 5)
// and a "dv type 2 natif" recording; against the same GStreamer elements
// without the program's own filters. Prints its figures.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/simulated/dvframer.h"
#include "media/filters/vx_superposer.h"

namespace {

constexpr int kFrames = 750;  // 30 s of PAL

bool RunToEnd(GstElement* pipeline) {
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  const gst::BusPtr bus(gst_element_get_bus(pipeline));
  const gst::MessagePtr message(gst_bus_timed_pop_filtered(
      bus.get(), 120 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
  const bool ended = message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS;
  gst_element_set_state(pipeline, GST_STATE_NULL);
  return ended;
}

// The simulated camcorder's frames, with their sound, made unpaced.
bool MakeFrames(const QString& path) {
  RegisterDvFramer();
  const QString description =
      QStringLiteral(
          "videotestsrc num-buffers=%1 pattern=smpte ! "
          "video/x-raw,format=I420,width=720,height=576,framerate=25/1,pixel-aspect-ratio=16/15 ! "
          "avenc_dvvideo ! tessivo_dvframer ! filesink location=%2")
          .arg(kFrames)
          .arg(path);
  const auto pipeline = gst::ElementPtr::Sink(gst_parse_launch(description.toUtf8().constData(), nullptr));
  return pipeline && RunToEnd(pipeline.get());
}

double Bare(const QString& frames, const QString& out) {
  const QString description =
      QStringLiteral(
          "filesrc location=%1 blocksize=144000 ! dvdemux name=d d.video ! tee name=t ! queue ! avdec_dvvideo ! "
          "videoconvert ! video/x-raw,format=BGR ! fakesink sync=false t. ! queue ! m.video_0 avimux name=m ! filesink "
          "location=%2 d.audio ! queue ! m.audio_0")
          .arg(frames, out);
  const auto pipeline = gst::ElementPtr::Sink(gst_parse_launch(description.toUtf8().constData(), nullptr));
  QElapsedTimer clock;
  clock.start();
  if (!pipeline || !RunToEnd(pipeline.get())) return -1;
  return kFrames / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
}

double Ours(const QString& frames, const QString& out) {
  TDeviceMoniker file;
  file.identity = "bench:file";
  file.friendlyName = "Fichier DV";
  file.caps = gst::CapsPtr(gst_caps_from_string("video/x-dv,systemstream=true"));
  const std::string description = "filesrc location=" + frames.toStdString() +
                                  " blocksize=144000 ! capsfilter caps=video/x-dv,systemstream=true,format=PAL";
  file.createSource = [description] {
    return gst::ElementPtr::Sink(gst_parse_bin_from_description(description.c_str(), TRUE, nullptr));
  };
  file.videoStreams = file.audioStreams = 1;
  double result = -1;
  {
    TCaptureDeviceList devices;
    devices.Refresh({file}, [](TDeviceKind kind) { return kind == dkDV; });
    auto video = VideoSourcesOf(devices);
    auto audio = AudioSourcesOf(devices);
    TCaptureEngine engine;
    ShowCamcorderDate(engine, 5);
    bool ended = false;
    engine.graph().onEvent = [&ended](const graph::GraphEvent& event) {
      if (event.kind == graph::GraphEvent::Kind::EndOfStream) ended = true;
    };
    if (ActivateVideoSource(engine, *video.front()) && ActivateAudioSource(engine, *audio.front()) &&
        BuildDvNativeType2(engine, out.toStdString(), TCaptureSettings())) {
      QElapsedTimer clock;
      clock.start();
      if (Play(engine)) {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
          if (ended || clock.elapsed() > 120000) loop.quit();
        });
        check.start(1);
        loop.exec();
        if (ended)
          result =
              CurrentCaptureBranch(engine)->videoFrames->load() / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (CurrentCaptureBranch(engine)->videoFrames->load() != kFrames)
          std::printf("(recorded %llu frames)\n",
                      static_cast<unsigned long long>(CurrentCaptureBranch(engine)->videoFrames->load()));
      }
      Stop(engine);
      KillCaptureGraph(engine);
    }
    engine.graph().onEvent = nullptr;
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  gst::EnsureInitialised();
  QTemporaryDir dir;
  const QString frames = dir.filePath("frames.dv");
  if (!MakeFrames(frames)) {
    std::printf("the frames could not be made\n");
    return 1;
  }
  double bare = 0, ours = 0;
  for (int run = 0; run < 3; ++run) {
    bare = std::max(bare, Bare(frames, dir.filePath("bare.avi")));
    ours = std::max(ours, Ours(frames, dir.filePath("ours.avi")));
  }
  std::printf("bare GStreamer pipeline: %.0f frames/s\n", bare);
  std::printf("the program's graph (scene detection, preview, overlay, dv type 2 natif): %.0f frames/s\n", ours);
  std::printf("ratio: %.2f; real time: x%.1f\n", ours / bare, ours / 25.0);
  return bare > 0 && ours > 0 ? 0 : 1;
}
