// Frames per second of the whole graph, unpaced: the simulated camcorder's
// frames (made once, then read from a file as fast as they come) through the
// scene detector, the preview's decoding and overlay (two lines, outline 5)
// and a "dv type 2 natif", "divx" or "Wmv" recording; against the same
// GStreamer elements without the program's own filters. Prints its figures.
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
#include "capture/wmvprofiles.h"
#include "media/formats/dsfunctions.h"
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

struct Format {
  const char* name;
  // The recording's elements after the tee, and the sound's after the demuxer.
  const char* bareVideo;
  const char* bareAudio;
  const char* bareDecoder;
  bool (*build)(TCaptureEngine&, const std::string&, const TCaptureSettings&);
};

const Format kFormats[] = {
    {"dv type 2 natif", "queue ! m.video_0 avimux name=m ! filesink location=%2", "queue ! m.audio_0",
     "avdec_dvvideo", BuildDvNativeType2},
    // The camcorder decoded at half size, as "DV demi si DivX" does. The
    // plain writers stall on these encoders' own times (which is why the
    // program re-times them), so here the encoders feed sinks that only
    // count: the writer's own cost is left out of the plain side.
    {"divx",
     "queue ! videoconvert ! video/x-raw,format=I420 ! avenc_mpeg4 max-bframes=0 ! fakesink sync=false async=false",
     "queue ! audioconvert ! audio/x-raw,format=S16LE,channels=2 ! lamemp3enc target=bitrate bitrate=128 cbr=true ! "
     "mpegaudioparse ! fakesink sync=false async=false",
     "avdec_dvvideo lowres=1", BuildDivx},
    {"Wmv",
     "queue ! videoconvert ! video/x-raw,format=I420 ! deinterlace fields=top ! videoscale ! videorate ! "
     "video/x-raw,width=640,height=480,framerate=25/1 ! queue ! "
     "avenc_wmv2 bitrate=1500000 ! fakesink sync=false async=false",
     "queue ! audioconvert ! audioresample ! audio/x-raw,rate=44100,channels=2 ! avenc_wmav2 bitrate=128000 ! "
     "fakesink sync=false async=false",
     "avdec_dvvideo", BuildWmv},
};

double Bare(const Format& format, const QString& frames, const QString& out) {
  const QString description =
      QStringLiteral("filesrc location=%1 blocksize=144000 ! dvdemux name=d d.video ! ") + format.bareDecoder +
      QStringLiteral(" ! tee name=t ! queue ! videoconvert chroma-mode=none ! video/x-raw,format=BGR ! fakesink sync=false async=false t. ! ") +
      format.bareVideo + QStringLiteral(" d.audio ! ") + format.bareAudio;
  QString launch = description;
  launch.replace("%1", frames).replace("%2", out);
  const auto pipeline = gst::ElementPtr::Sink(gst_parse_launch(launch.toUtf8().constData(), nullptr));
  QElapsedTimer clock;
  clock.start();
  if (!pipeline || !RunToEnd(pipeline.get())) return -1;
  return kFrames / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
}

double Ours(const Format& format, const QString& frames, const QString& out) {
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
    std::vector<TCompressorEntry> encoders;
    if (ListMpeg4Compressors(encoders) && engine.dm().divx.Load(encoders.front().factory))
      engine.dm().divxFourCC = encoders.front().fourcc;
    bool ended = false;
    engine.graph().onEvent = [&ended](const graph::GraphEvent& event) {
      if (event.kind == graph::GraphEvent::Kind::EndOfStream) ended = true;
    };
    if (ActivateVideoSource(engine, *video.front()) && ActivateAudioSource(engine, *audio.front()) &&
        format.build(engine, out.toStdString(), TCaptureSettings())) {
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
  // Formats named on the command line, else all of them.
  QStringList wanted = application.arguments().mid(1);
  bool ok = true;
  for (const Format& format : kFormats) {
    if (!wanted.isEmpty() && !wanted.contains(format.name)) continue;
    double bare = 0, ours = 0;
    for (int run = 0; run < 5; ++run) {
      bare = std::max(bare, Bare(format, frames, dir.filePath("bare.out")));
      ours = std::max(ours, Ours(format, frames, dir.filePath("ours.out")));
    }
    std::printf("%s: bare GStreamer pipeline %.0f frames/s; the program's graph (scene detection, preview, overlay) "
                "%.0f frames/s; ratio %.2f; real time x%.1f\n",
                format.name, bare, ours, ours / bare, ours / 25.0);
    ok = ok && bare > 0 && ours > 0;
  }
  return ok ? 0 : 1;
}
