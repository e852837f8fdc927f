// IniEdit on the native engine with files of 10, 1,000 and 100,000 entries:
// reading an entry from a cached file and from a file changed since the last
// read, writing an entry, listing sections and listing a section's entries.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "zarnutils/ini_edit.h"

namespace zarn {
namespace {

std::filesystem::path benchDirectory() {
  static const std::filesystem::path directory = [] {
    const char* configured = std::getenv("ZARNUTILS_BENCH_DIR");
    std::filesystem::path folder = configured ? configured : "/dev/shm/zarnutils-bench";
    folder /= "ini";
    std::filesystem::create_directories(folder);
    return folder;
  }();
  return directory;
}

// One section holding every entry.
std::filesystem::path flatFile(int64_t entries) {
  const auto path = benchDirectory() / ("flat" + std::to_string(entries) + ".ini");
  if (!std::filesystem::exists(path)) {
    std::ofstream file(path);
    file << "; " << entries << " entries in one section\n[Main]\n";
    for (int64_t i = 0; i < entries; ++i) file << "key" << i << "=value " << i << "\n";
  }
  return path;
}

// One entry in each of as many sections.
std::filesystem::path sectionsFile(int64_t entries) {
  const auto path = benchDirectory() / ("sections" + std::to_string(entries) + ".ini");
  if (!std::filesystem::exists(path)) {
    std::ofstream file(path);
    for (int64_t i = 0; i < entries; ++i) file << "[Section" << i << "]\nkey=" << i << "\n";
  }
  return path;
}

Text asText(const std::filesystem::path& path) {
  const std::string narrow = path.string();
  return Text(narrow.begin(), narrow.end());
}

Text middleKey(int64_t entries) {
  const std::string name = "key" + std::to_string(entries / 2);
  return Text(name.begin(), name.end());
}

void BM_ReadValueCached(benchmark::State& state) {
  const Text file = asText(flatFile(state.range(0)));
  const Text key = middleKey(state.range(0));
  IniEdit iniEdit;
  for (auto _ : state) {
    Variant result;
    iniEdit.ReadValue(file, u"Main", key, u"S", Variant::text(u""), result);
    benchmark::DoNotOptimize(result);
  }
}

// Every read follows a change of the file's modification time, so the
// engine must parse the file again.
void BM_ReadValueChanged(benchmark::State& state) {
  const auto path = flatFile(state.range(0));
  const Text file = asText(path);
  const Text key = middleKey(state.range(0));
  IniEdit iniEdit;
  timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  for (auto _ : state) {
    state.PauseTiming();
    ++times[1].tv_sec;
    utimensat(AT_FDCWD, path.c_str(), times, 0);
    state.ResumeTiming();
    Variant result;
    iniEdit.ReadValue(file, u"Main", key, u"S", Variant::text(u""), result);
    benchmark::DoNotOptimize(result);
  }
}

void BM_WriteValue(benchmark::State& state) {
  const Text file = asText(flatFile(state.range(0)));
  const Text key = middleKey(state.range(0));
  IniEdit iniEdit;
  int32_t counter = 0;
  for (auto _ : state) {
    AutomationBoolean result = 0;
    iniEdit.WriteValue(file, u"Main", key, Variant::long32(++counter), result);
    benchmark::DoNotOptimize(result);
  }
}

void BM_EnumSections(benchmark::State& state) {
  const Text file = asText(sectionsFile(state.range(0)));
  IniEdit iniEdit;
  for (auto _ : state) {
    Text result;
    iniEdit.EnumSections(file, result);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_EnumValues(benchmark::State& state) {
  const Text file = asText(flatFile(state.range(0)));
  IniEdit iniEdit;
  for (auto _ : state) {
    Text result;
    iniEdit.EnumValues(file, u"Main", result);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ReadValueCached)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ReadValueChanged)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_WriteValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_EnumSections)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnumValues)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarn

BENCHMARK_MAIN();
