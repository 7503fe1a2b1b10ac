// Time per still on a PAL frame, step by step (de-interlace, fit to 4:3,
// JPEG and BMP encoding) and whole: from the overlay's grab slot to the file
// on disk, as the window does it for every interval grab.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include "control/sessioncontrol.h"
#include "control/stillgrab.h"
#include "media/filters/vx_superposer.h"
#include "media/formats/deinter.h"
#include "media/formats/stillwriter.h"

namespace {

constexpr int kWidth = 720, kHeight = 576;

// A picture with detail, so that the encoders have work to do.
QImage Picture() {
  QImage picture(kWidth, kHeight, QImage::Format_BGR888);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = picture.scanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(x * 7 + y);
      row[3 * x + 1] = static_cast<std::uint8_t>((x ^ y) + (y % 2) * 40);
      row[3 * x + 2] = static_cast<std::uint8_t>(y * 3);
    }
  }
  return picture;
}

void BM_StillDeinterlace(benchmark::State& state) {
  QImage source = Picture(), destination(kWidth, kHeight, QImage::Format_BGR888);
  TDeinterlacer deinterlacer;
  const TImageView in{source.bits(), kWidth, kHeight, int(source.bytesPerLine()), 3};
  const TImageView out{destination.bits(), kWidth, kHeight, int(destination.bytesPerLine()), 3};
  for (auto _ : state) deinterlacer.Deinterlace(in, out);
}
BENCHMARK(BM_StillDeinterlace)->Unit(benchmark::kMillisecond);

void BM_StillFit(benchmark::State& state) {
  const QImage source = Picture();
  for (auto _ : state)
    benchmark::DoNotOptimize(source.scaled(kWidth, 540, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
BENCHMARK(BM_StillFit)->Unit(benchmark::kMillisecond);

void BM_StillJpeg(benchmark::State& state) {
  const QImage source = Picture().scaled(kWidth, 540);
  for (auto _ : state) benchmark::DoNotOptimize(EncodeJpeg(source, 50));
}
BENCHMARK(BM_StillJpeg)->Unit(benchmark::kMillisecond);

void BM_StillBmp(benchmark::State& state) {
  const QImage source = Picture().scaled(kWidth, 540);
  for (auto _ : state) benchmark::DoNotOptimize(EncodeBmp(source));
}
BENCHMARK(BM_StillBmp)->Unit(benchmark::kMillisecond);

struct NoHost : TFilterHost {
  int slot = -1;
  void PostNotification(int message, std::intptr_t, std::intptr_t second) override {
    if (message == kNotifyGrabbedFrame) slot = static_cast<int>(second);
  }
  void QualityChanged() override {}
};

// Slot to file: de-interlace, fit, JPEG at quality 50, write, list.
void BM_StillWhole(benchmark::State& state) {
  QTemporaryDir folder;
  Tvx_Superposer overlay;
  NoHost host;
  overlay.setHost(&host);
  TMediaType type{.major = MediaMajor::Video, .subtype = MediaSubtype::Rgb24, .width = kWidth, .height = kHeight,
                  .stride = kWidth * 3, .frameRateNumerator = 25, .frameRateDenominator = 1};
  overlay.CheckInputType(type);
  overlay.InputTypeSet(type);
  overlay.StartStreaming();
  QImage input = Picture();
  std::vector<std::uint8_t> output(input.sizeInBytes());
  int counter = 0;
  TGrabHooks hooks;
  hooks.deinterlace = [] { return true; };
  hooks.aspect = [] { return QSize(4, 3); };
  hooks.nomImage = [&] { return folder.filePath(QString("Image_%1.jpg").arg(counter)); };
  hooks.nomImageSuivant = [&] { return folder.filePath(QString("Image_%1.jpg").arg(++counter)); };
  hooks.extension = [] { return 1; };
  hooks.quality = [] { return 50; };
  hooks.confirmImage = [] { return false; };
  hooks.toTrash = [](const QString&) { return true; };
  TStillGrabber grabber(overlay, std::move(hooks));
  std::int64_t time = 0;
  for (auto _ : state) {
    state.PauseTiming();
    overlay.RequestGrab();
    TMediaSample in;
    in.data = input.bits();
    in.size = input.sizeInBytes();
    in.start = time += 400000;
    TMediaSample out = in;
    out.data = output.data();
    overlay.Transform(in, out);
    state.ResumeTiming();
    grabber.FrameReady(host.slot);
  }
  state.counters["stills"] = counter;
}
BENCHMARK(BM_StillWhole)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
