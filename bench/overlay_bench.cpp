// Cost per PAL frame of the overlay drawing two lines with an automatic font
// size and a 5-pixel outline, against GStreamer's textoverlay with an outline
// on the same frames. Both run through a GstHarness, one buffer in, one out.
#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>

#include <QGuiApplication>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_superposer.h"

namespace {

constexpr int kWidth = 720, kHeight = 576;
constexpr char kCaps[] = "video/x-raw,format=BGR,width=720,height=576,framerate=25/1";

void Run(benchmark::State& state, GstHarness* harness) {
  GstBuffer* frame = gst_buffer_new_allocate(nullptr, static_cast<gsize>(kWidth) * 3 * kHeight, nullptr);
  gst_buffer_memset(frame, 0, 90, static_cast<gsize>(kWidth) * 3 * kHeight);
  GstClockTime time = 0;
  for (auto _ : state) {
    GstBuffer* in = gst_buffer_copy(frame);
    GST_BUFFER_PTS(in) = time;
    GST_BUFFER_DURATION(in) = 40 * GST_MSECOND;
    time += 40 * GST_MSECOND;
    if (gst_harness_push(harness, in) != GST_FLOW_OK) {
      state.SkipWithError("push refused");
      break;
    }
    gst_buffer_unref(gst_harness_pull(harness));
  }
  gst_buffer_unref(frame);
}

void BM_SuperposerTwoLines(benchmark::State& state) {
  GstHarness* harness = gst_harness_new(kSuperposerElement);
  auto* overlay = static_cast<Tvx_Superposer*>(FilterOfElement(harness->element));
  TincrustRec record;
  record.whatIncrust = wiPerso;
  record.incrust1 = "14/07/2024";
  record.incrust2 = "10:05:09";
  record.autoFontSize = true;
  record.borderSize = 5;
  overlay->setincrust(record);
  overlay->SetIncrustEnabled(true);
  gst_harness_set_src_caps_str(harness, kCaps);
  Run(state, harness);
  gst_harness_teardown(harness);
}
BENCHMARK(BM_SuperposerTwoLines)->Unit(benchmark::kMillisecond);

void BM_TextOverlayOutline(benchmark::State& state) {
  GstHarness* harness = gst_harness_new_parse(
      "textoverlay text=\"14/07/2024\n10:05:09\" draw-outline=true "
      "font-desc=\"Liberation Sans Bold 21\" halignment=right valignment=bottom");
  gst_harness_set_src_caps_str(harness, kCaps);
  Run(state, harness);
  gst_harness_teardown(harness);
}
BENCHMARK(BM_TextOverlayOutline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  gst_init(nullptr, nullptr);
  RegisterTessivoPlugin();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
