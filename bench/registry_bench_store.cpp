#include "registry_bench_store.h"

#include <cstdio>
#include <cstdlib>

#include "platform/registry_service.h"

namespace zarn::bench {
namespace {

constexpr const char* populatedMark = "~populated.2";

bool isPopulated(const std::string& values) {
  KeyHandle key = 0;
  if (RegistryService::RegOpenKeyExA(root_key::CurrentUser, values.c_str(), 0,
                                     key_access::QueryValue, &key) != 0) {
    return false;
  }
  uint32_t size = 0;
  const bool done =
      RegistryService::RegQueryValueExA(key, populatedMark, nullptr, nullptr, nullptr, &size) == 0;
  RegistryService::RegCloseKey(key);
  return done;
}

void setText(KeyHandle key, const char* name, const std::string& text) {
  RegistryService::RegSetValueExA(key, name, 0, value_type::Text,
                                  reinterpret_cast<const uint8_t*>(text.c_str()),
                                  static_cast<uint32_t>(text.size() + 1));
}

}  // namespace

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

std::string benchKey(const char* kind, int64_t entries) {
  return "Software\\ZarnBench\\" + std::string(kind) + std::to_string(entries);
}

void populate(int64_t entries) {
  useBenchStore();
  const std::string values = benchKey("Values", entries);
  if (isPopulated(values)) return;
  std::fprintf(stderr, "populating %lld entries in %s ...\n", static_cast<long long>(entries),
               benchDirectory().c_str());
  // One transaction for the lot: populating 100,000 entries one commit at a
  // time would take longer than the benchmarks.
  RegistryChangeGroup group;
  KeyHandle key = 0;
  RegistryService::RegCreateKeyExA(root_key::CurrentUser, values.c_str(), 0, "", 0,
                                   key_access::SetValue, nullptr, &key, nullptr);
  const std::string keys = benchKey("Keys", entries);
  for (int64_t i = 0; i < entries; ++i) {
    const std::string name = "v" + std::to_string(i);
    const int32_t number = static_cast<int32_t>(i);
    RegistryService::RegSetValueExA(key, name.c_str(), 0, value_type::Number,
                                    reinterpret_cast<const uint8_t*>(&number), 4);
    KeyHandle subKey = 0;
    const std::string child = keys + "\\k" + std::to_string(i);
    RegistryService::RegCreateKeyExA(root_key::CurrentUser, child.c_str(), 0, "", 0,
                                     key_access::SetValue, nullptr, &subKey, nullptr);
    RegistryService::RegCloseKey(subKey);
  }
  setText(key, "text", "C:\\Program Files\\ZarnBench\\data");
  setText(key, populatedMark, "");
  RegistryService::RegCloseKey(key);
  if (group.commit() != 0) std::fprintf(stderr, "populating %s failed\n", values.c_str());
}

}  // namespace zarn::bench
