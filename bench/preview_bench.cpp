// The preview of the simulated DV camcorder: time from building the module to
// the first frame in the renderer, and the processor time a second of
// preview costs with the overlay drawing the camcorder's date on two lines.
// The simulated camcorder encodes its own DV frames, which a real one does
// not: its cost alone is measured too and taken off. Prints its figures.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "media/filters/vx_superposer.h"

namespace {

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Lets the event loop wait (not spin) until the condition holds or the time
// is out.
void Spin(const std::function<bool()>& until, int milliseconds) {
  QEventLoop loop;
  QTimer check;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (until() || clock.elapsed() >= milliseconds) loop.quit();
  });
  check.start(2);
  loop.exec();
}

struct Devices {
  TCaptureDeviceList video;
  std::vector<std::unique_ptr<TVideoSource>> videoSources;
  std::vector<std::unique_ptr<TAudioSource>> audioSources;
  Devices() {
    video.Refresh(TSimulatedDeviceProvider(1).Devices(), [](TDeviceKind k) { return k == dkDV; });
    videoSources = VideoSourcesOf(video);
    audioSources = AudioSourcesOf(video);
  }
};

// Milliseconds from an empty process state to the first frame shown.
double StartToFirstFrame() {
  QElapsedTimer clock;
  clock.start();
  double result = -1;
  {
    Devices devices;
    TCaptureEngine engine;
    if (ActivateVideoSource(engine, *devices.videoSources.front()) &&
        ActivateAudioSource(engine, *devices.audioSources.front()) && Play(engine)) {
      Spin([&engine] { return engine.renderer().framesReceived() > 0; }, 5000);
      if (engine.renderer().framesReceived() > 0) result = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
  }
  return result;
}

// Share of one core used while the preview runs for that long.
double PreviewLoad(int seconds, std::uint64_t* frames) {
  Devices devices;
  TCaptureEngine engine;
  ShowCamcorderDate(engine, 5);
  double load = -1;
  if (ActivateVideoSource(engine, *devices.videoSources.front()) &&
      ActivateAudioSource(engine, *devices.audioSources.front()) && Play(engine)) {
    Spin([] { return false; }, 1000);  // settled
    const std::uint64_t before = engine.renderer().framesReceived();
    const double cpu = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    Spin([] { return false; }, seconds * 1000);
    load = (CpuSeconds() - cpu) / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    *frames = engine.renderer().framesReceived() - before;
  }
  return load;
}

// Share of one core used by the simulated camcorder alone.
double CamcorderLoad(int seconds) {
  graph::TMediaGraph fg;
  gst::ElementPtr source = TSimulatedDeviceProvider::MakeCamcorder(1);
  auto sink = gst::ElementPtr::Sink(gst_element_factory_make("fakesink", nullptr));
  g_object_set(sink.get(), "async", FALSE, nullptr);
  fg.AddFilter(source.get(), "source");
  fg.AddFilter(sink.get(), "sink");
  gst_element_link(source.get(), sink.get());
  if (!fg.Run()) return -1;
  Spin([] { return false; }, 1000);
  const double cpu = CpuSeconds();
  QElapsedTimer clock;
  clock.start();
  Spin([] { return false; }, seconds * 1000);
  const double load = (CpuSeconds() - cpu) / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
  fg.Stop();
  return load;
}

// The longest wait between two preview frames around the start of a "dv type
// 2 natif" recording (the graph stopped, the branch added, run again).
double PreviewGapAtRecordStart(const QString& file) {
  Devices devices;
  TCaptureEngine engine;
  double longest = -1;
  if (ActivateVideoSource(engine, *devices.videoSources.front()) &&
      ActivateAudioSource(engine, *devices.audioSources.front()) && Play(engine)) {
    Spin([] { return false; }, 1000);
    std::atomic<std::int64_t> last{0}, gap{0};
    QElapsedTimer clock;
    clock.start();
    engine.renderer().SetFrameReady([&] {
      const std::int64_t now = clock.nsecsElapsed();
      const std::int64_t previous = last.exchange(now);
      if (previous) gap = std::max<std::int64_t>(gap, now - previous);
    });
    // The window takes each frame as soon as it is announced.
    QTimer take;
    QObject::connect(&take, &QTimer::timeout, [&engine] { engine.renderer().LatestFrame(); });
    take.start(1);
    Spin([] { return false; }, 500);
    gap = 0;
    Stop(engine);
    if (BuildDvNativeType2(engine, file.toStdString(), TCaptureSettings()) && Play(engine)) {
      Spin([] { return false; }, 2000);
      longest = static_cast<double>(gap.load()) / 1e6;
      FinishCaptureFile(engine);
    }
    engine.renderer().SetFrameReady(nullptr);
    Stop(engine);
    KillCaptureGraph(engine);
  }
  return longest;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  std::vector<double> starts;
  for (int i = 0; i < 5; ++i) starts.push_back(StartToFirstFrame());
  std::sort(starts.begin(), starts.end());
  std::printf("start to first preview frame: best %.0f ms, median %.0f ms, worst %.0f ms (first run %s)\n", starts[0],
              starts[2], starts[4], "included");
  std::uint64_t frames = 0;
  const double preview = PreviewLoad(seconds, &frames);
  const double camcorder = CamcorderLoad(seconds);
  std::printf("preview with overlay, %d s: %.1f %% of one core (%llu frames shown)\n", seconds, preview * 100,
              static_cast<unsigned long long>(frames));
  std::printf("simulated camcorder alone: %.1f %% of one core\n", camcorder * 100);
  std::printf("preview without the simulated camcorder's own encoding: %.1f %% of one core\n",
              (preview - camcorder) * 100);
  QTemporaryDir dir;
  std::printf("longest wait between preview frames as a recording starts: %.0f ms (40 ms between frames)\n",
              PreviewGapAtRecordStart(dir.filePath("start.avi")));
  return preview < 0 || camcorder < 0 ? 1 : 0;
}
