// The cost of showing a PAL frame full screen: the video window's own paint
// into a 1920×1080 backdrop, at the picture's place for 4:3 and 16:9.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "capture/videorenderer.h"
#include "control/displayrules.h"
#include "platform/gstreamer.h"
#include "ui/videowindow.h"

namespace {

// One frame of the test pattern into the renderer, as the preview gives it.
bool FeedOneFrame(TVideoRenderer& renderer) {
  gst::ElementPtr pipeline = gst::ElementPtr::Sink(gst_parse_launch(
      "videotestsrc num-buffers=1 pattern=smpte ! video/x-raw,format=BGR,width=720,height=576,framerate=25/1,"
      "pixel-aspect-ratio=16/15 ! identity name=last",
      nullptr));
  if (!pipeline) return false;
  GstElement* sink = renderer.element();
  gst_bin_add(GST_BIN(pipeline.get()), GST_ELEMENT(gst_object_ref(sink)));
  const gst::ElementPtr last(gst_bin_get_by_name(GST_BIN(pipeline.get()), "last"));
  gst_element_link(last.get(), sink);
  g_object_set(sink, "sync", FALSE, nullptr);
  gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  const gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
  const gst::MessagePtr done(gst_bus_timed_pop_filtered(
      bus.get(), 10 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  gst_bin_remove(GST_BIN(pipeline.get()), sink);
  return !renderer.LatestFrame().isNull();
}

void FullScreenPaint(benchmark::State& state, int a, int b) {
  TVideoRenderer renderer;
  if (!FeedOneFrame(renderer)) {
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

BENCHMARK_CAPTURE(FullScreenPaint, pal_4x3, 4, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullScreenPaint, pal_16x9, 16, 9)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  gst::EnsureInitialised();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
