// Regedit on the native store with 10, 1,000 and 100,000 entries in one key,
// and a whole `zarnutils --batch` of 10,000 reads. registry_floor_bench
// measures the raw SQLite floors these are compared with.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "registry_bench_store.h"
#include "zarnutils/regedit.h"

namespace zarn::bench {
namespace {

Text componentPath(const std::string& path) {
  return Text(u"HKCU\\") + Text(path.begin(), path.end());
}

Text valuePath(int64_t entries, const std::string& name) {
  return componentPath(benchKey("Values", entries) + "\\" + name);
}

void readValue(benchmark::State& state, const Text& path, const char16_t* letter) {
  Regedit regedit;
  for (auto _ : state) {
    Variant result;
    regedit.ReadValue(path, letter, Variant::long32(-1), result);
    benchmark::DoNotOptimize(result);
  }
}

void BM_ReadNumber(benchmark::State& state) {
  populate(state.range(0));
  readValue(state, valuePath(state.range(0), "v" + std::to_string(state.range(0) / 2)), u"D");
}

void BM_ReadText(benchmark::State& state) {
  populate(state.range(0));
  readValue(state, valuePath(state.range(0), "text"), u"S");
}

// Every call stores a new number: one change each.
void BM_WriteValue(benchmark::State& state) {
  populate(state.range(0));
  const Text path = valuePath(state.range(0), "written");
  Regedit regedit;
  int32_t counter = 0;
  for (auto _ : state) {
    AutomationBoolean result = 0;
    regedit.WriteValue(path, u"D", Variant::long32(++counter), result);
    benchmark::DoNotOptimize(result);
  }
}

// Every call stores the number the value already holds.
void BM_WriteSameValue(benchmark::State& state) {
  populate(state.range(0));
  const Text path = valuePath(state.range(0), "unchanged");
  Regedit regedit;
  for (auto _ : state) {
    AutomationBoolean result = 0;
    regedit.WriteValue(path, u"D", Variant::long32(7), result);
    benchmark::DoNotOptimize(result);
  }
}

// Deletes a value that the untimed part of each iteration wrote.
void BM_DeleteValue(benchmark::State& state) {
  populate(state.range(0));
  const Text path = valuePath(state.range(0), "deleted");
  Regedit regedit;
  for (auto _ : state) {
    state.PauseTiming();
    AutomationBoolean written = 0;
    regedit.WriteValue(path, u"D", Variant::long32(1), written);
    state.ResumeTiming();
    AutomationBoolean result = 0;
    regedit.DeleteValue(path, result);
    benchmark::DoNotOptimize(result);
  }
}

void BM_DeleteMissingValue(benchmark::State& state) {
  populate(state.range(0));
  const Text path = valuePath(state.range(0), "never-written");
  Regedit regedit;
  for (auto _ : state) {
    AutomationBoolean result = 0;
    regedit.DeleteValue(path, result);
    benchmark::DoNotOptimize(result);
  }
}

void BM_EnumKeys(benchmark::State& state) {
  populate(state.range(0));
  const Text path = componentPath(benchKey("Keys", state.range(0)));
  Regedit regedit;
  for (auto _ : state) {
    Text result;
    regedit.EnumKeys(path, u",", result);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_EnumValues(benchmark::State& state) {
  populate(state.range(0));
  const Text path = componentPath(benchKey("Values", state.range(0)));
  Regedit regedit;
  for (auto _ : state) {
    Text result;
    regedit.EnumValues(path, result);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One process, 10,000 calls: what a script pays per call through the tool,
// process start included.
void BM_BatchOf10000Reads(benchmark::State& state) {
  populate(1000);
  const std::filesystem::path input = benchDirectory() / "batch-input.txt";
  {
    std::ofstream lines(input);
    for (int i = 0; i < 10000; ++i) {
      lines << "Regedit.ReadValue\tHKCU\\" << benchKey("Values", 1000) << "\\v" << (i % 1000)
            << "\tD\ti:0\n";
    }
  }
  const std::string command =
      std::string(ZARNUTILS_TOOL_PATH) + " --batch < " + input.string() + " > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("zarnutils --batch failed");
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}

BENCHMARK(BM_ReadNumber)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ReadText)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_WriteValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_WriteSameValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DeleteValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DeleteMissingValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_EnumKeys)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnumValues)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BatchOf10000Reads)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace zarn::bench

BENCHMARK_MAIN();
