// Starting, cutting and stopping captures as the main window does (the
// session control, its questions answered yes), from the simulated
// camcorder: the longest wait between two preview pictures during each
// operation, and how long from "Capturer" to the first frame at the writer's
// input. Prints its figures for each format; the targets are under 100 ms
// and under 500 ms.
//
//   session_bench [rounds=5]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "control/sessioncontrol.h"
#include "previewgaps.h"
#include "settings/conversions.h"

namespace {

using Clock = std::chrono::steady_clock;

void Pump(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

double Since(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  QTemporaryDir folder;
  TCaptureEngine engine;
  const CamcorderPreview camcorder(engine);
  if (!camcorder.ok() || !Play(engine)) {
    std::fprintf(stderr, "the simulated camcorder cannot be previewed\n");
    return 1;
  }
  int format = 0, counter = 0;
  TSessionHooks hooks;
  QString name;
  const auto next = [&] { return name = folder.filePath(QStringLiteral("session-%1.avi").arg(counter++)); };
  next();
  hooks.nomVideo = [&] { return name; };
  hooks.nomVideoSuivant = next;
  hooks.captureFormat = [&] { return format; };
  hooks.panelTexts = [] { return QStringList{}; };
  hooks.confirmVideo = [] { return false; };
  hooks.clearConfirmVideo = [] {};
  hooks.scn = [] { return true; };
  hooks.notifierChoice = [] { return true; };
  hooks.setNotifier = [](bool) {};
  hooks.ask = [](const QString&, bool) { return TAnswer::No; };
  hooks.tell = [](const QString& text) { std::printf("said: %s\n", text.toUtf8().constData()); };
  TSessionControl control(engine, nullptr, hooks);
  PreviewGaps gaps(engine.renderer().element());
  Pump(1000);

  bool met = true;
  for (const int code : {int(fcDvType1Native), int(fcDvType2Native), int(fcDvType2Recompressed)}) {
    format = code;
    double startGap = 0, cutGap = 0, stopGap = 0, firstFrame = 0;
    for (int round = 0; round < rounds; ++round) {
      gaps.Mark();
      const Clock::time_point pressed = Clock::now();
      if (!control.PreparerCapture()) return 1;
      control.EtatSession = esCapture;
      while (!CurrentCaptureBranch(engine) || CurrentCaptureBranch(engine)->videoFrames->load() == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
      firstFrame = std::max(firstFrame, Since(pressed));
      Pump(1000);
      startGap = std::max(startGap, gaps.sinceMark());
      gaps.Mark();
      if (!control.Couper()) return 1;
      Pump(1000);
      cutGap = std::max(cutGap, gaps.sinceMark());
      gaps.Mark();
      control.ArreterCapture();
      control.EtatSession = esPreview;
      Pump(1000);
      stopGap = std::max(stopGap, gaps.sinceMark());
    }
    std::printf(
        "%-20s %d rounds: first frame at the writer %.1f ms after Capturer; longest preview gap: start %.1f ms, "
        "cut %.1f ms, stop %.1f ms\n",
        FormatCaptureName(static_cast<std::uint8_t>(code)).toUtf8().constData(), rounds, firstFrame, startGap, cutGap,
        stopGap);
    met = met && firstFrame < 500 && std::max({startGap, cutGap, stopGap}) < 100;
  }
  std::printf("files listed: %zu\n", control.files().size());
  return met ? 0 : 1;
}
