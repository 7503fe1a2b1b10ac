// A long paced capture: the simulated camcorder, live, previewed and recorded
// in "dv type 2 natif" (or "divx", uncut) with its sound, cut at a fixed
// interval. Prints the
// frames written and lost, the memory in use over time, how long each cut
// took from its request to the first frame in the new file, and the longest
// wait between two preview pictures, during the cuts and overall.
//
//   endurance_bench [seconds=1800] [cut-every=300] [folder] [dv2|divx]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string_view>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "media/formats/dsfunctions.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "control/capturesession.h"
#include "settings/conversions.h"
#include "previewgaps.h"
#include "support/aviwalk.h"

namespace {

using Clock = std::chrono::steady_clock;

// Resident memory of this process, in MiB.
double ResidentMiB() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
  return -1;
}

void Pump(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

// What the graph's queues hold, when they hold anything: where memory that
// grows with the recording's length would sit.
void PrintQueues(GstElement* pipeline) {
  GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(pipeline));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
    auto* element = GST_ELEMENT(g_value_get_object(&item));
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "current-level-bytes")) {
      guint bytes = 0, buffers = 0;
      g_object_get(element, "current-level-bytes", &bytes, "current-level-buffers", &buffers, nullptr);
      if (bytes > 0) std::printf("       %s holds %u buffers, %u bytes\n", GST_OBJECT_NAME(element), buffers, bytes);
    }
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(elements);
}

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const int totalSeconds = argc > 1 ? std::atoi(argv[1]) : 1800;
  const int cutSeconds = argc > 2 ? std::atoi(argv[2]) : 300;
  QTemporaryDir temporary;
  const QDir folder(argc > 3 && *argv[3] ? QString::fromLocal8Bit(argv[3]) : temporary.path());
  const bool divx = argc > 4 && std::string_view(argv[4]) == "divx";

  TCaptureEngine engine;
  const CamcorderPreview camcorder(engine);
  if (!camcorder.ok()) {
    std::fprintf(stderr, "the simulated camcorder cannot be activated\n");
    return 1;
  }
  if (divx) {
    std::vector<TCompressorEntry> encoders;
    if (!ListMpeg4Compressors(encoders) || !engine.dm().divx.Load(encoders.front().factory)) {
      std::fprintf(stderr, "no MPEG-4 encoder\n");
      return 1;
    }
    engine.dm().divxFourCC = encoders.front().fourcc;
  }
  TCaptureSettings settings;
  // The DivX sound as PCM rather than MP3.
  if (qEnvironmentVariableIsSet("TESSIVO_BENCH_PCM")) settings.wantMp3 = false;
  TCaptureSession session(engine, nullptr);
  const auto part = [&folder](int n) { return folder.filePath(QStringLiteral("endurance-%1.avi").arg(n)); };
  if (const TOutcome started = session.Start(divx ? fcDivx : fcDvType2Native, part(1), settings); !started) {
    std::fprintf(stderr, "%s\n", started.failure().Text().toUtf8().constData());
    return 1;
  }
  PreviewGaps gaps(engine.renderer().element());
  graph::DroppedFrameCounter dropped(CurrentCaptureBranch(engine)->entries.front().get());
  std::printf("%d s, a cut every %d s, into %s\n", totalSeconds, cutSeconds, folder.path().toUtf8().constData());

  QElapsedTimer clock;
  clock.start();
  double memoryLow = 1e9, memoryHigh = 0, memoryAfterOneMinute = -1;
  double longestCutGap = 0, longestCutLatency = 0;
  std::vector<std::uint64_t> partFrames;
  int parts = 1;
  qint64 nextSample = 60'000;
  while (clock.elapsed() < totalSeconds * 1000LL) {
    Pump(200);
    if (clock.elapsed() >= nextSample) {
      const double memory = ResidentMiB();
      if (memoryAfterOneMinute < 0) memoryAfterOneMinute = memory;
      memoryLow = std::min(memoryLow, memory);
      memoryHigh = std::max(memoryHigh, memory);
      std::printf("%4lld s: %.1f MiB resident, %llu frames, %llu lost\n", clock.elapsed() / 1000, memory,
                  static_cast<unsigned long long>(session.framesWritten()),
                  static_cast<unsigned long long>(dropped.dropped()));
      PrintQueues(GST_ELEMENT(engine.graph().pipeline()));
      std::fflush(stdout);
      nextSample += 60'000;
    }
    if (!divx && cutSeconds > 0 && clock.elapsed() >= cutSeconds * 1000LL * parts && clock.elapsed() < totalSeconds * 1000LL) {
      const std::uint64_t before = session.framesWritten();
      const auto finishedPart = CurrentCaptureBranch(engine)->videoFrames;
      gaps.Mark();
      const Clock::time_point requested = Clock::now();
      const TOutcome cut = session.Cut(part(parts + 1));
      const double cutCall = std::chrono::duration<double, std::milli>(Clock::now() - requested).count();
      if (!cut) {
        std::printf("cut failed: %s\n", cut.failure().Text().toUtf8().constData());
        return 1;
      }
      partFrames.push_back(finishedPart->load());
      while (CurrentCaptureBranch(engine)->videoFrames->load() == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
      const double latency = std::chrono::duration<double, std::milli>(Clock::now() - requested).count();
      Pump(1000);
      longestCutGap = std::max(longestCutGap, gaps.sinceMark());
      longestCutLatency = std::max(longestCutLatency, latency);
      std::printf(
          "cut %d: %.1f ms in the call, %.1f ms to the first frame of the next file, longest preview gap "
          "%.1f ms (frames before: %llu)\n",
          parts, cutCall, latency, gaps.sinceMark(), static_cast<unsigned long long>(before));
      std::fflush(stdout);
      ++parts;
    }
  }
  const std::uint64_t lost = dropped.dropped();
  const auto lastPart = CurrentCaptureBranch(engine)->videoFrames;
  const TOutcome stopped = session.Stop();
  if (!stopped) std::printf("stop failed: %s\n", stopped.failure().Text().toUtf8().constData());
  partFrames.push_back(lastPart->load());

  // Each part read back: its frames, its index.
  std::uint64_t inFiles = 0;
  bool whole = stopped.ok();
  for (int n = 1; n <= parts; ++n) {
    const AviContents avi = ReadAvi(part(n), false);
    inFiles += avi.video.size();
    const bool right = avi.valid && avi.video.size() == partFrames[n - 1];
    whole = whole && right;
    std::printf("part %d: %zu frames in the file, %llu written, %s\n", n, avi.video.size(),
                static_cast<unsigned long long>(partFrames[n - 1]), right ? "whole" : "WRONG");
    QFile::remove(part(n));
  }
  std::printf("\nframes written: %llu (in the files: %llu; expected about %d)\nframes lost: %llu\n",
              static_cast<unsigned long long>(session.framesWritten()), static_cast<unsigned long long>(inFiles),
              totalSeconds * 25, static_cast<unsigned long long>(lost));
  std::printf("resident memory after one minute %.1f MiB, lowest %.1f, highest %.1f\n", memoryAfterOneMinute, memoryLow,
              memoryHigh);
  std::printf("longest from a cut request to the next file's first frame: %.1f ms\n", longestCutLatency);
  std::printf("longest preview gap during a cut: %.1f ms, overall: %.1f ms\n", longestCutGap, gaps.longest());
  return whole && lost == 0 ? 0 : 1;
}
