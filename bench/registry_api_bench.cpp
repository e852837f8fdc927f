// The typed registry API on the native store, shaped as registry_bench's
// calls are: each read, write and delete opens its key, works and closes it,
// and each listing lists a whole key, so that both compare with the same
// floors of registry_floor_bench (point lookup, write, delete, walks).
#include <benchmark/benchmark.h>

#include <string>

#include "registry_bench_store.h"
#include "zarnutils/registry.h"

namespace zarn::bench {
namespace {

using registry::Access;
using registry::Key;
using registry::Root;

void BM_ApiReadNumber(benchmark::State& state) {
  populate(state.range(0));
  const std::string path = benchKey("Values", state.range(0));
  const std::string name = "v" + std::to_string(state.range(0) / 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(Key::open(Root::CurrentUser, path).readNumber(name));
  }
}

void BM_ApiReadText(benchmark::State& state) {
  populate(state.range(0));
  const std::string path = benchKey("Values", state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Key::open(Root::CurrentUser, path).readText("text"));
  }
}

void BM_ApiWriteValue(benchmark::State& state) {
  populate(state.range(0));
  const std::string path = benchKey("Values", state.range(0));
  uint32_t counter = 0;
  for (auto _ : state) {
    Key::open(Root::CurrentUser, path, Access::Write).writeNumber("written", ++counter);
  }
}

void BM_ApiDeleteValue(benchmark::State& state) {
  populate(state.range(0));
  const std::string path = benchKey("Values", state.range(0));
  const Key key = Key::open(Root::CurrentUser, path, Access::ReadWrite);
  for (auto _ : state) {
    state.PauseTiming();
    key.writeNumber("deleted", 1);
    state.ResumeTiming();
    Key::open(Root::CurrentUser, path, Access::Write).deleteValue("deleted");
  }
}

void BM_ApiSubKeyNames(benchmark::State& state) {
  populate(state.range(0));
  const std::string path = benchKey("Keys", state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Key::open(Root::CurrentUser, path).subKeyNames());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ApiValues(benchmark::State& state) {
  populate(state.range(0));
  const std::string path = benchKey("Values", state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Key::open(Root::CurrentUser, path).values());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ApiReadNumber)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ApiReadText)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ApiWriteValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ApiDeleteValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ApiSubKeyNames)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApiValues)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zarn::bench

BENCHMARK_MAIN();
