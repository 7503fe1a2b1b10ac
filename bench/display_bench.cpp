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

// The picture at `place` on a `screen`-sized backdrop.
void Paint(benchmark::State& state, const QRect& screen, const QRect& place) {
  TVideoRenderer renderer;
  if (!FeedRenderer(renderer,
                    "videotestsrc num-buffers=1 pattern=smpte ! video/x-raw,format=BGR,width=720,height=576,"
                    "framerate=25/1,pixel-aspect-ratio=16/15 ! identity name=last")) {
    state.SkipWithError("no frame");
    return;
  }
  QImage backdrop(screen.size(), QImage::Format_RGB32);
  TVideoWindow window(renderer);
  window.SetFill(true);
  window.setGeometry(place);
  for (auto _ : state) {
    window.render(&backdrop, place.topLeft());
    benchmark::DoNotOptimize(backdrop.constBits());
  }
}

void FullScreenPaint(benchmark::State& state, int a, int b) {
  const QRect screen(0, 0, 1920, 1080);
  Paint(state, screen, LayOutFullScreen(screen, {a, b}).video);
}

// What full screen is set against: the picture in the main window's video
// panel at the window's smallest size.
void WindowedPaint(benchmark::State& state) {
  const QRect panel(0, 0, 465, 366);
  Paint(state, panel, LayOutWindowed(panel, {4, 3}, 18).video);
}

}  // namespace

BENCHMARK_CAPTURE(FullScreenPaint, pal_4x3, 4, 3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_CAPTURE(FullScreenPaint, pal_16x9, 16, 9)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK(WindowedPaint)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  gst::EnsureInitialised();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
