// Start-up and shut-down cost of the preferences: loading and saving the whole
// key table in portable mode, and a look-up in a large INI file.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "settings/inifile.h"
#include "settings/parametertable.h"

namespace {

struct PortableInstallation {
  QTemporaryDir dir;
  PreferenceLocations locations;
  PortableInstallation() {
    QFile program(dir.filePath("tessivo"));
    program.open(QIODevice::WriteOnly);
    QFile ini(dir.filePath("Tessivo.ini"));
    ini.open(QIODevice::WriteOnly);
    locations = PreferenceLocations::ForProgram(dir.filePath("tessivo"));
  }
  ParameterDefaults defaults() const { return {dir.path(), dir.path(), dir.path(), ""}; }
};

void BM_PortableSaveAll(benchmark::State& state) {
  PortableInstallation installation;
  TparameterList list("Tessivo 6.1.3 fr de Orbelin", installation.locations);
  BuildParameterTable(list, installation.defaults());
  for (auto _ : state) benchmark::DoNotOptimize(list.SaveAll());
}
BENCHMARK(BM_PortableSaveAll)->Unit(benchmark::kMicrosecond);

void BM_PortableLoadAll(benchmark::State& state) {
  PortableInstallation installation;
  TparameterList list("Tessivo 6.1.3 fr de Orbelin", installation.locations);
  BuildParameterTable(list, installation.defaults());
  list.SaveAll();
  for (auto _ : state) list.LoadAll();
}
BENCHMARK(BM_PortableLoadAll)->Unit(benchmark::kMicrosecond);

void BM_IniLookupLastOfManyLines(benchmark::State& state) {
  QStringList lines{"[\\Software\\Orbelin\\Tessivo]"};
  for (int i = 0; i < state.range(0); ++i) lines << QStringLiteral("Key %1=%1").arg(i);
  IniFile ini;
  ini.setLines(lines);
  const QString last = QStringLiteral("Key %1").arg(state.range(0) - 1);
  for (auto _ : state) benchmark::DoNotOptimize(ini.Lookup("[\\Software\\Orbelin\\Tessivo]", last));
}
BENCHMARK(BM_IniLookupLastOfManyLines)->Arg(100)->Arg(10000);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
