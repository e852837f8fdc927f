// The floors the INI benchmarks are measured against, on the same files:
// the cheapest pass the engine's work can be, with nothing of the engine.
// - scan: open the file, read it whole and count its lines and '=' signs;
//   every read and listing of a changed file does at least that.
// - rewrite: a scan, then the same bytes into a new file of the folder,
//   flushed and renamed over a copy of the file; a safe write does at least
//   that.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "ini_bench_files.h"

namespace zarn {
namespace {

using bench::flatIniFile;
using bench::iniBenchDirectory;
using bench::sectionsIniFile;

// The file's bytes into buffer (grown when it is too small); false on an
// error.
bool readWhole(const char* path, std::string& buffer) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  bool complete = ::fstat(fd, &status) == 0;
  buffer.resize(static_cast<size_t>(status.st_size));
  size_t done = 0;
  while (complete && done < buffer.size()) {
    const ssize_t count = ::read(fd, buffer.data() + done, buffer.size() - done);
    complete = count > 0;
    if (complete) done += static_cast<size_t>(count);
  }
  ::close(fd);
  return complete;
}

size_t scanned(const std::string& bytes) {
  return static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) +
         static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '='));
}

void scanFile(benchmark::State& state, const std::filesystem::path& path) {
  std::string buffer;
  for (auto _ : state) {
    if (!readWhole(path.c_str(), buffer)) state.SkipWithError("cannot read the file");
    benchmark::DoNotOptimize(scanned(buffer));
  }
}

void BM_ScanFlat(benchmark::State& state) { scanFile(state, flatIniFile(state.range(0))); }

void BM_ScanSections(benchmark::State& state) { scanFile(state, sectionsIniFile(state.range(0))); }

bool replaceWith(const std::filesystem::path& target, const std::string& bytes) {
  const std::string folder = target.parent_path().string();
  const std::string temporary = target.string() + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool complete = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                  ::fsync(fd) == 0;
  complete = ::close(fd) == 0 && complete && ::rename(temporary.c_str(), target.c_str()) == 0;
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return complete;
}

void BM_RewriteFlat(benchmark::State& state) {
  const auto copy =
      iniBenchDirectory() / ("floor-rewrite" + std::to_string(state.range(0)) + ".ini");
  std::filesystem::copy_file(flatIniFile(state.range(0)), copy,
                             std::filesystem::copy_options::overwrite_existing);
  std::string buffer;
  for (auto _ : state) {
    if (!readWhole(copy.c_str(), buffer) || !replaceWith(copy, buffer)) {
      state.SkipWithError("cannot rewrite the file");
    }
    benchmark::DoNotOptimize(scanned(buffer));
  }
  std::filesystem::remove(copy);
}

BENCHMARK(BM_ScanFlat)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_ScanSections)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_RewriteFlat)->Arg(10)->Arg(1000)->Arg(100000);

}  // namespace
}  // namespace zarn

BENCHMARK_MAIN();
