// Writers killed at random moments, again and again: afterwards the INI file
// is one complete version, the store opens, every write that was answered
// is there, and no temporary file is left once the next write has run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "platform/native/registry_store/registry_store.h"
#include "platform/profile_service.h"
#include "support/file_bytes.h"
#include "support/native_store.h"

namespace zarn {
namespace {

using test::readBytes;
using test::TemporaryDirectory;
namespace fs = std::filesystem;

// Runs write(i) for i = first, first + 1, ... in a child, which reports each
// write that succeeded, and kills it after a random moment. Returns how many
// writes were answered in all.
int killedWhileWriting(int first, std::minstd_rand& random, const std::function<bool(int)>& write) {
  int answered[2];
  if (::pipe(answered) != 0) return first;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(answered[0]);
    for (int i = first;; ++i) {
      if (!write(i) || ::write(answered[1], &i, sizeof i) != sizeof i) ::_exit(1);
    }
  }
  ::close(answered[1]);
  std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  int last = first - 1;
  for (int i; ::read(answered[0], &i, sizeof i) == sizeof i;) last = i;
  ::close(answered[0]);
  return last + 1;
}

std::string entryLine(int i) { return "k" + std::to_string(i) + "=v" + std::to_string(i) + "\n"; }

int temporaryFilesBeside(const fs::path& file) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(file.parent_path())) {
    count += entry.path() != file;
  }
  return count;
}

TEST(KilledWriter, LeavesTheIniFileWholeWithEveryAnsweredWriteAndNoTemporaryFile) {
  constexpr int kills = 200;
  TemporaryDirectory directory;
  const fs::path file = directory.path() / "app.ini";
  const std::string start = "; " + std::string(512 * 1024, 'x') + "\n[s]\n";
  std::ofstream(file, std::ios::binary) << start;
  std::minstd_rand random(20240601);
  int answered = 0;
  int leftovers = 0;
  std::string expected = start;
  for (int kill = 0; kill < kills; ++kill) {
    answered = killedWhileWriting(answered, random, [&](int i) {
      return ProfileService::WritePrivateProfileStringA(
          "s", ("k" + std::to_string(i)).c_str(), ("v" + std::to_string(i)).c_str(), file.c_str());
    });
    // The answered writes, and perhaps one more that finished as it was killed.
    const auto entries = std::count(expected.begin() + static_cast<std::ptrdiff_t>(start.size()),
                                    expected.end(), '\n');
    for (int i = static_cast<int>(entries); i < answered; ++i) {
      expected += entryLine(i);
    }
    const std::string found = readBytes(file);
    if (found == expected + entryLine(answered)) {
      expected = found;
      ++answered;
    }
    ASSERT_EQ(found.size(), expected.size()) << "after kill " << kill;
    ASSERT_TRUE(found == expected) << "after kill " << kill;
    leftovers += temporaryFilesBeside(file);
  }
  std::printf("%d kills, %d writes answered, %d temporary files seen right after a kill\n", kills,
              answered, leftovers);
  ASSERT_TRUE(ProfileService::WritePrivateProfileStringA("s", "after", "all", file.c_str()));
  EXPECT_EQ(temporaryFilesBeside(file), 0);
}

TEST(KilledWriter, LeavesTheStoreWithEveryAnsweredWrite) {
  constexpr int kills = 100;
  TemporaryDirectory directory;
  std::minstd_rand random(20240602);
  int answered = 0;
  const auto valueName = [](int i) { return "v" + std::to_string(i); };
  for (int kill = 0; kill < kills; ++kill) {
    answered = killedWhileWriting(answered, random, [&](int i) {
      static RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      KeyHandle key = 0;
      const std::string name = valueName(i);
      const bool written =
          store.createKey(root_key::CurrentUser, "Software\\Killed", key_access::SetValue, &key,
                          nullptr) == registry_status::Success &&
          store.setValue(key, name.c_str(), value_type::Text,
                         reinterpret_cast<const uint8_t*>(name.c_str()),
                         static_cast<uint32_t>(name.size() + 1)) == registry_status::Success;
      store.closeKey(key);
      return written;
    });
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    KeyHandle key = 0;
    if (answered == 0) continue;
    ASSERT_EQ(
        store.openKey(root_key::CurrentUser, "Software\\Killed", key_access::QueryValue, &key),
        registry_status::Success)
        << "after kill " << kill;
    for (int i = 0; i < answered; ++i) {
      uint32_t size = 0;
      ASSERT_EQ(store.queryValue(key, valueName(i).c_str(), nullptr, nullptr, &size),
                registry_status::Success)
          << valueName(i) << " after kill " << kill;
    }
    store.closeKey(key);
  }
  std::printf("%d kills, %d writes answered\n", kills, answered);
}

}  // namespace
}  // namespace zarn
