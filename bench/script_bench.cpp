// The script engine's speed: compiling a long script, and running an
// integer loop of a million turns.
#include <benchmark/benchmark.h>

#include "actions/obscript.h"

namespace {

// A script of about `lines` lines: routines, declarations and statements of
// every kind, repeated.
QString LongScript(int lines) {
  QString text = "var total, i, j: Integer; s: string; t: array[1..10] of Integer;\n";
  int written = 1;
  for (int n = 0; written < lines - 3; ++n) {
    text += QStringLiteral(
                "function F%1(a: Integer; const b: string; var c: Integer): Integer;\n"
                "var k: Integer;\n"
                "begin\n"
                "  Result := 0;\n"
                "  for k := 1 to a do\n"
                "    if (k mod 3 = 0) and (Length(b) > 0) then Result := Result + k\n"
                "    else Inc(c);\n"
                "  case a of 1: c := 2; 2..5: c := 3; else c := 4; end;\n"
                "  while c > 0 do begin Dec(c); s := s + Copy(b, 1, 1); end;\n"
                "end;\n")
                .arg(n);
    written += 10;
  }
  text += "begin\n  total := 0;\nend.\n";
  return text;
}

void CompileFiveThousandLines(benchmark::State& state) {
  const QString text = LongScript(5000);
  TOBScript component({});
  component.Script = text;
  for (auto _ : state) {
    if (!component.CompileScript()) state.SkipWithError(component.Messages.join('\n').toUtf8().constData());
  }
  state.counters["lines"] = static_cast<double>(text.count('\n'));
}
BENCHMARK(CompileFiveThousandLines)->Unit(benchmark::kMillisecond);

void MillionTurnsOfAnIntegerLoop(benchmark::State& state) {
  TOBScript component({});
  component.Script =
      "var i, total: Integer;\n"
      "begin\n"
      "  total := 0;\n"
      "  for i := 1 to 1000000 do total := total + i mod 7;\n"
      "end.\n";
  if (!component.CompileScript()) state.SkipWithError("not compiled");
  for (auto _ : state) {
    if (!component.RunScript()) state.SkipWithError("not run");
  }
}
BENCHMARK(MillionTurnsOfAnIntegerLoop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
