// How long the window's thread is held by the camcorder's bar: a command to
// a deck that takes two seconds to answer, a time-code read answered at
// once (round trip through the deck's thread), and a look at the simulated
// tape, as every DV frame makes one.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <memory>

#include "support/recordingdeck.h"
#include "capture/simulated/simulatedtape.h"
#include "control/deckcontrol.h"

namespace {

void BM_CommandToASlowDeck(benchmark::State& state) {
  auto deck = std::make_shared<RecordingDeck>();
  deck->delayMs_ = 2000;
  TTransportBar bar;
  bar.Bind(deck);
  for (auto _ : state) bar.Play();  // beyond the queue's limit they are refused, at once
}
BENCHMARK(BM_CommandToASlowDeck)->Iterations(200);

void BM_TimecodeRoundTrip(benchmark::State& state) {
  auto deck = std::make_shared<RecordingDeck>();
  deck->code_ = 0x00102530;
  TTransportBar bar;
  bar.Bind(deck);
  bool read = false;
  QObject::connect(&bar, &TTransportBar::timecodeRead, [&read](const QString&) { read = true; });
  for (auto _ : state) {
    read = false;
    bar.PollTimecode();
    QElapsedTimer waited;
    waited.start();
    while (!read && waited.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    if (!read) state.SkipWithError("no time code in a second");
  }
}
BENCHMARK(BM_TimecodeRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_TapeFrame(benchmark::State& state) {
  TSimulatedTape tape;
  for (auto _ : state) benchmark::DoNotOptimize(tape.Current());
}
BENCHMARK(BM_TapeFrame);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QLoggingCategory::setFilterRules(QStringLiteral("tessivo.deck*=false"));  // each refused command is logged
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
