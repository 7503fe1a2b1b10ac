// The cost of showing a PAL frame full screen: the video window's own paint
// into a 1920×1080 backdrop, at the picture's place for 4:3 and 16:9.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "capture/videorenderer.h"
#include "control/displayrules.h"
#include "platform/gstreamer.h"
#include "support/rendererfeed.h"
#include "ui/videowindow.h"

namespace {

void FullScreenPaint(benchmark::State& state, int a, int b) {
  TVideoRenderer renderer;
  if (!FeedRenderer(renderer,
                    "videotestsrc num-buffers=1 pattern=smpte ! video/x-raw,format=BGR,width=720,height=576,"
                    "framerate=25/1,pixel-aspect-ratio=16/15 ! identity name=last")) {
    state.SkipWithError("no frame");
    return;
  }
  const QRect screen(0, 0, 1920, 1080);
  const TFullScreenLayout layout = LayOutFullScreen(screen, {a, b});
  QImage backdrop(screen.size(), QImage::Format_RGB32);
  TVideoWindow window(renderer);
  window.SetFill(true);
  window.setGeometry(layout.video);
  for (auto _ : state) {
    window.render(&backdrop, layout.video.topLeft());
    benchmark::DoNotOptimize(backdrop.constBits());
  }
}

}  // namespace

BENCHMARK_CAPTURE(FullScreenPaint, pal_4x3, 4, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(FullScreenPaint, pal_16x9, 16, 9)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  gst::EnsureInitialised();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
