// IniEdit on the native engine with files of 10, 1,000 and 100,000 entries:
// reading an entry from a cached file and from a file changed since the last
// read, writing an entry, listing sections and listing a section's entries,
// and one listing call into the first, too small, buffer IniEdit offers.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "ini_bench_files.h"
#include "platform/profile_service.h"
#include "zarnutils/ini_edit.h"

namespace zarn {
namespace {

using bench::flatIniFile;
using bench::sectionsIniFile;

Text asText(const std::filesystem::path& path) {
  const std::string narrow = path.string();
  return Text(narrow.begin(), narrow.end());
}

Text middleKey(int64_t entries) {
  const std::string name = "key" + std::to_string(entries / 2);
  return Text(name.begin(), name.end());
}

void BM_ReadValueCached(benchmark::State& state) {
  const Text file = asText(flatIniFile(state.range(0)));
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
  const auto path = flatIniFile(state.range(0));
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
  const Text file = asText(flatIniFile(state.range(0)));
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
  const Text file = asText(sectionsIniFile(state.range(0)));
  IniEdit iniEdit;
  for (auto _ : state) {
    Text result;
    iniEdit.EnumSections(file, result);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_EnumValues(benchmark::State& state) {
  const Text file = asText(flatIniFile(state.range(0)));
  IniEdit iniEdit;
  for (auto _ : state) {
    Text result;
    iniEdit.EnumValues(file, u"Main", result);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// What each step of IniEdit's doubling costs: the section names of an
// unchanged (already read) file into the 30-byte buffer IniEdit starts with.
void BM_SectionNamesFirstBuffer(benchmark::State& state) {
  const std::string file = sectionsIniFile(state.range(0)).string();
  char buffer[30];
  ProfileService::GetPrivateProfileSectionNamesA(buffer, sizeof buffer, file.c_str());
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ProfileService::GetPrivateProfileSectionNamesA(buffer, sizeof buffer, file.c_str()));
  }
}

// The same for a section's lines and IniEdit's first 8,192 bytes.
void BM_SectionLinesFirstBuffer(benchmark::State& state) {
  const std::string file = flatIniFile(state.range(0)).string();
  std::string buffer(8192, ' ');
  ProfileService::GetPrivateProfileSectionA("Main", buffer.data(),
                                            static_cast<uint32_t>(buffer.size()), file.c_str());
  for (auto _ : state) {
    benchmark::DoNotOptimize(ProfileService::GetPrivateProfileSectionA(
        "Main", buffer.data(), static_cast<uint32_t>(buffer.size()), file.c_str()));
  }
}

BENCHMARK(BM_ReadValueCached)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ReadValueChanged)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_WriteValue)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_EnumSections)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnumValues)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SectionNamesFirstBuffer)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_SectionLinesFirstBuffer)->Arg(10)->Arg(1000)->Arg(100000);

}  // namespace
}  // namespace zarn

BENCHMARK_MAIN();
