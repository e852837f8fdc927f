// Regedit on the native store with 10, 1,000 and 100,000 entries in one key,
// and a whole `zarnutils --batch` of 10,000 reads.
//
// The store lives in $ZARNUTILS_BENCH_DIR (default /dev/shm/zarnutils-bench),
// populated on the first run and reused afterwards. On tmpfs a commit's sync
// costs nothing, so the figures show the store's own work; point the
// variable at a disk folder to include the disk's sync time in writes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry_service.h"
#include "zarnutils/regedit.h"

namespace zarn {
namespace {

const std::string benchKey = "Software\\ZarnBench";

std::filesystem::path benchDirectory() {
  const char* configured = std::getenv("ZARNUTILS_BENCH_DIR");
  return configured ? configured : "/dev/shm/zarnutils-bench";
}

void useBenchStore() {
  static const bool configured = [] {
    std::filesystem::create_directories(benchDirectory());
    setenv("ZARNUTILS_REGISTRY_DIR", benchDirectory().c_str(), 1);
    return true;
  }();
  (void)configured;
}

std::string keyFor(const char* kind, int64_t entries) {
  return benchKey + "\\" + kind + std::to_string(entries);
}

// Fills Values<N> with N numbers and Keys<N> with N subkeys, once.
void populate(int64_t entries) {
  useBenchStore();
  const std::string values = keyFor("Values", entries);
  KeyHandle key = 0;
  uint32_t size = 0;
  if (RegistryService::RegOpenKeyExA(root_key::CurrentUser, values.c_str(), 0,
                                     key_access::QueryValue, &key) == 0) {
    const bool done =
        RegistryService::RegQueryValueExA(key, "~populated", nullptr, nullptr, nullptr, &size) == 0;
    RegistryService::RegCloseKey(key);
    if (done) return;
  }
  std::fprintf(stderr, "populating %lld entries in %s ...\n", static_cast<long long>(entries),
               benchDirectory().c_str());
  RegistryService::RegCreateKeyExA(root_key::CurrentUser, values.c_str(), 0, "", 0,
                                   key_access::SetValue, nullptr, &key, nullptr);
  for (int64_t i = 0; i < entries; ++i) {
    const std::string name = "v" + std::to_string(i);
    const int32_t number = static_cast<int32_t>(i);
    RegistryService::RegSetValueExA(key, name.c_str(), 0, value_type::Number,
                                    reinterpret_cast<const uint8_t*>(&number), 4);
    KeyHandle subKey = 0;
    const std::string child = keyFor("Keys", entries) + "\\k" + std::to_string(i);
    RegistryService::RegCreateKeyExA(root_key::CurrentUser, child.c_str(), 0, "", 0,
                                     key_access::SetValue, nullptr, &subKey, nullptr);
    RegistryService::RegCloseKey(subKey);
  }
  RegistryService::RegSetValueExA(key, "~populated", 0, value_type::Text,
                                  reinterpret_cast<const uint8_t*>(""), 0);
  RegistryService::RegCloseKey(key);
}

Text componentPath(const std::string& path) {
  return Text(u"HKCU\\") + Text(path.begin(), path.end());
}

void BM_ReadValue(benchmark::State& state) {
  populate(state.range(0));
  const Text path =
      componentPath(keyFor("Values", state.range(0)) + "\\v" + std::to_string(state.range(0) / 2));
  Regedit regedit;
  for (auto _ : state) {
    Variant result;
    regedit.ReadValue(path, u"D", Variant::long32(-1), result);
    benchmark::DoNotOptimize(result);
  }
}

void BM_WriteValue(benchmark::State& state) {
  populate(state.range(0));
  const Text path = componentPath(keyFor("Values", state.range(0)) + "\\written");
  Regedit regedit;
  int32_t counter = 0;
  for (auto _ : state) {
    AutomationBoolean result = 0;
    regedit.WriteValue(path, u"D", Variant::long32(++counter), result);
    benchmark::DoNotOptimize(result);
  }
}

void BM_EnumKeys(benchmark::State& state) {
  populate(state.range(0));
  const Text path = componentPath(keyFor("Keys", state.range(0)));
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
  const Text path = componentPath(keyFor("Values", state.range(0)));
  Regedit regedit;
  for (auto _ : state) {
    Text result;
    regedit.EnumValues(path, result);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One process, 10,000 calls: what a script pays per call through the tool.
void BM_BatchOf10000Reads(benchmark::State& state) {
  populate(1000);
  const std::filesystem::path input = benchDirectory() / "batch-input.txt";
  {
    std::ofstream lines(input);
    for (int i = 0; i < 10000; ++i) {
      lines << "Regedit.ReadValue\tHKCU\\" << keyFor("Values", 1000) << "\\v" << (i % 1000)
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

BENCHMARK(BM_ReadValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_WriteValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_EnumKeys)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnumValues)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchOf10000Reads)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace zarn

BENCHMARK_MAIN();
