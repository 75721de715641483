// Compiling a generated program of about 20,000 lines to .Mac, within the
// table limits: 400 routines with locals, expressions of every operator,
// comparisons, arrays, records, strings, loops and calls.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/message_list.h"
#include "compiler/compiler.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRoutines = 400;
constexpr int kStatementsPerRoutine = 40;

std::string GeneratedProgram(int& lines) {
  std::string s;
  lines = 0;
  auto line = [&](const std::string& text) {
    s += text;
    s += "\r\n";
    ++lines;
  };
  line("PROGRAM Bench;");
  line("CONST Limit = 100; Mask = $0F;");
  line("TYPE Point = RECORD X, Y: INTEGER; Tag: BYTE END;");
  line("VAR B, C: BYTE; W, V: WORD; I, J: INTEGER; L, M: LONGINT; F: BOOLEAN;");
  line("    S, T: STRING[40]; A: ARRAY[1..20] OF WORD; P: Point;");
  for (int r = 0; r < kRoutines; ++r) {
    const std::string n = std::to_string(r);
    line("FUNCTION F" + n + "(X: WORD; Y: INTEGER): WORD;");
    line("VAR K, Q: WORD; Z: BYTE;");
    line("BEGIN");
    for (int k = 0; k < kStatementsPerRoutine; ++k) {
      switch (k % 10) {
      case 0:
        line("  K := X + Limit * 2 - (W DIV 3);");
        break;
      case 1:
        line("  IF (B = C) AND (I < J) THEN Q := A[B MOD 20 + 1] ELSE Q := K SHL 2;");
        break;
      case 2:
        line("  WHILE K > 10 DO K := K - (K SHR 1);");
        break;
      case 3:
        line("  FOR Z := 1 TO 10 DO A[Z] := A[Z] + Z * 3;");
        break;
      case 4:
        line("  L := L + M * 1000 - Y;");
        break;
      case 5:
        line("  S := 'Value ' + INTTOSTR(K) + T;");
        break;
      case 6:
        line("  P.X := P.Y + Y - 7; P.Tag := LO(K) AND Mask;");
        break;
      case 7:
        line("  F := (W <> V) OR NOT F;");
        break;
      case 8:
        line("  REPEAT Q := Q + 1 UNTIL Q >= Limit;");
        break;
      case 9:
        line("  CASE B OF 1: C := 2; 2, 3: C := 4; 5..9: C := B ELSE C := 0 END;");
        break;
      }
    }
    line("  F" + n + " := K + Q");
    line("END;");
  }
  line("BEGIN");
  for (int r = 0; r < kRoutines; ++r)
    line("  W := F" + std::to_string(r) + "(W, I);");
  line("END.");
  return s;
}

void BM_Compile20000Lines(benchmark::State& state) {
  int lines = 0;
  const std::string program = GeneratedProgram(lines);
  // One directory per process: two runs at once must not delete each other's files.
  const fs::path dir =
      fs::temp_directory_path() / ("velkor_compile_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path source = dir / "Bench.Pas";
  std::ofstream(source, std::ios::binary) << program;
  for (auto _ : state) {
    velkor::MessageList messages;
    platform::HeadlessUiHost ui;
    const velkor::CompileResult result = velkor::CompileFile(source.string(), {}, messages, ui);
    if (!result.ok) {
      std::string report;
      for (const std::string& m : messages.Lines())
        report += m + "\n";
      state.SkipWithError(report.c_str());
      break;
    }
    benchmark::DoNotOptimize(result.codeSize);
  }
  state.counters["source_lines"] = lines;
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
  fs::remove_all(dir);
}
// By the wall clock: writing the .Mac is part of what the user waits for.
BENCHMARK(BM_Compile20000Lines)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
