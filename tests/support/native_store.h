// What the tests of the native registry store share: a folder of their own
// for each store, the usual calls in short, and a child process to play
// another user of the same files.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/native/registry_store/registry_store.h"

namespace zarn::test {

class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarn-store-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TemporaryDirectory() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

constexpr uint32_t AllRights = key_access::QueryValue | key_access::SetValue |
                               key_access::CreateSubKey | key_access::EnumerateSubKeys;

inline RegistryStatus createKey(RegistryStore& store, KeyHandle root, const char* path,
                                KeyHandle* key) {
  return store.createKey(root, path, AllRights, key, nullptr);
}

inline RegistryStatus setText(RegistryStore& store, KeyHandle key, const std::string& name,
                              const std::string& text) {
  return store.setValue(key, name.c_str(), value_type::Text,
                        reinterpret_cast<const uint8_t*>(text.data()),
                        static_cast<uint32_t>(text.size()));
}

inline std::optional<std::string> queryText(RegistryStore& store, KeyHandle key,
                                            const std::string& name) {
  char buffer[256];
  uint32_t size = sizeof buffer;
  if (store.queryValue(key, name.c_str(), nullptr, reinterpret_cast<uint8_t*>(buffer), &size) !=
      registry_status::Success) {
    return std::nullopt;
  }
  return std::string(buffer, size);
}

// Runs work in a child process (which must not touch the parent's stores)
// and returns its exit code, or -signal when a signal ended it.
inline int inChildProcess(const std::function<int()>& work) {
  const pid_t child = fork();
  if (child == 0) _exit(work());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace zarn::test
