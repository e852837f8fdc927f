// The registry store the registry benchmarks share: one folder, populated on
// first use and reused by later runs, so that a run measures only the calls.
//
// It lives in $ZARNUTILS_BENCH_DIR (default /dev/shm/zarnutils-bench). On
// tmpfs a commit's sync costs nothing, so the figures show the store's own
// work; point the variable at a disk folder to include the disk's sync time
// in writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zarn::bench {

std::filesystem::path benchDirectory();

// Points this process's registry store at the bench folder.
void useBenchStore();

// HKCU\Software\ZarnBench\<kind><entries>: "Values" holds the numbers v0 ..
// v<entries-1> and the text value "text"; "Keys" holds the subkeys k0 ..
// k<entries-1>.
std::string benchKey(const char* kind, int64_t entries);

// Makes both keys of that size unless an earlier run made them.
void populate(int64_t entries);

}  // namespace zarn::bench
