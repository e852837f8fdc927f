// What the native store writes for each call, and what a reader sees while
// it reads through open handles: calls that change nothing write nothing,
// every change is one transaction, and nothing kept between calls (the
// snapshot, subkey ids, the value last read, a listing's open query) ever
// hides a change made through another handle or by another process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/native/registry_store/registry_store.h"
#include "support/native_store.h"

namespace zarn {
namespace {

using namespace registry_status;
using namespace test;

// Size and modification time: what a write to a file would change.
std::pair<off_t, int64_t> fileState(const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return {-1, 0};
  return {status.st_size, status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec};
}

class RegistryStoreWrites : public ::testing::Test {
 protected:
  void SetUp() override {
    RegistryStore store(RegistryLocation::inDirectory(directory_.path()));
    KeyHandle key = 0;
    ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Kept\\Child", &key), Success);
    ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Kept", &key), Success);
    ASSERT_EQ(setText(store, key, "v", "x"), Success);
  }

  TemporaryDirectory directory_;
};

TEST_F(RegistryStoreWrites, OpeningAStoreAndCallsThatChangeNothingWriteNothing) {
  const auto file = directory_.path() / "user.sqlite3";
  const auto log = directory_.path() / "user.sqlite3-wal";
  const auto fileBefore = fileState(file);
  const auto logBefore = fileState(log);
  RegistryStore store(RegistryLocation::inDirectory(directory_.path()));
  KeyHandle key = 0;
  uint32_t disposition = 0;
  ASSERT_EQ(store.createKey(root_key::CurrentUser, "Software\\Kept", AllRights, &key, &disposition),
            Success);
  EXPECT_EQ(disposition, 2u);
  EXPECT_EQ(queryText(store, key, "v"), "x");
  EXPECT_EQ(setText(store, key, "v", "x"), Success);
  EXPECT_EQ(store.deleteValue(key, "missing"), NotFound);
  EXPECT_EQ(store.deleteKey(key, "Missing"), NotFound);
  EXPECT_EQ(store.deleteKey(root_key::CurrentUser, "Software\\Kept"), AccessDenied);
  char name[32];
  EXPECT_EQ(store.enumKey(key, 0, name, sizeof name), Success);
  EXPECT_EQ(store.closeKey(key), Success);

  EXPECT_EQ(store.committedChangeCount(), 0);
  EXPECT_EQ(fileState(file), fileBefore);
  EXPECT_EQ(fileState(log), logBefore);
}

TEST_F(RegistryStoreWrites, EveryChangeIsExactlyOneTransaction) {
  RegistryStore store(RegistryLocation::inDirectory(directory_.path()));
  KeyHandle key = 0;
  int expected = 0;
  const auto oneMore = [&](RegistryStatus status) {
    EXPECT_EQ(status, Success);
    EXPECT_EQ(store.committedChangeCount(), ++expected);
  };
  oneMore(createKey(store, root_key::CurrentUser, "Software\\New\\Deeper\\Deepest", &key));
  oneMore(setText(store, key, "v", "first"));
  oneMore(setText(store, key, "v", "second"));
  oneMore(store.deleteValue(key, "v"));
  oneMore(store.deleteKey(key, ""));
  EXPECT_EQ(store.closeKey(key), Success);
}

// Reads v through reader straight, and as a listing reads it (enumerated,
// then queried), each time after writer changed it.
void expectEveryChangeSeen(RegistryStore& store, KeyHandle reader, KeyHandle writer) {
  ASSERT_EQ(setText(store, writer, "v", "old"), Success);
  EXPECT_EQ(queryText(store, reader, "v"), "old");
  ASSERT_EQ(setText(store, writer, "v", "new"), Success);
  EXPECT_EQ(queryText(store, reader, "v"), "new");
  char name[8];
  uint32_t length = sizeof name;
  ASSERT_EQ(store.enumValue(reader, 0, name, &length, nullptr, nullptr, nullptr), Success);
  ASSERT_EQ(setText(store, writer, "v", "newer"), Success);
  EXPECT_EQ(queryText(store, reader, name), "newer");
}

TEST(RegistryStoreSnapshots, AChangeThroughOneHandleIsSeenThroughAnother) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle reader = 0;
  KeyHandle writer = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Shared", &reader), Success);
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Shared", &writer), Success);
  expectEveryChangeSeen(store, reader, writer);
  store.beginChangeGroup();
  expectEveryChangeSeen(store, reader, writer);
  EXPECT_EQ(store.endChangeGroup(true), Success);

  ASSERT_EQ(store.deleteKey(root_key::CurrentUser, "Software\\Shared"), Success);
  EXPECT_EQ(queryText(store, reader, "v"), std::nullopt);
  uint32_t size = 0;
  EXPECT_EQ(store.queryValue(reader, "v", nullptr, nullptr, &size), KeyDeleted);
  store.closeKey(reader);
  store.closeKey(writer);
}

TEST(RegistryStoreSnapshots, AKeyAnotherProcessReplacedIsFoundAnew) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Replaced", &key), Success);
  ASSERT_EQ(setText(store, key, "v", "first"), Success);
  ASSERT_EQ(store.closeKey(key), Success);
  // Found by name once, so its id is kept.
  ASSERT_EQ(store.openKey(root_key::CurrentUser, "Software\\Replaced", AllRights, &key), Success);
  ASSERT_EQ(store.closeKey(key), Success);

  ASSERT_EQ(inChildProcess([&] {
              RegistryStore other(RegistryLocation::inDirectory(directory.path()));
              KeyHandle again = 0;
              if (other.deleteKey(root_key::CurrentUser, "Software\\Replaced") != Success) return 1;
              if (createKey(other, root_key::CurrentUser, "Software\\Replaced", &again)) return 2;
              return setText(other, again, "v", "second") == Success ? 0 : 3;
            }),
            0);
  ASSERT_EQ(store.openKey(root_key::CurrentUser, "Software\\Replaced", AllRights, &key), Success);
  EXPECT_EQ(queryText(store, key, "v"), "second");
  EXPECT_EQ(setText(store, key, "w", "written"), Success);
  EXPECT_EQ(store.closeKey(key), Success);
}

TEST(RegistryStoreSnapshots, AKeyAnotherProcessKeepsReplacingIsFoundEveryTime) {
  TemporaryDirectory directory;
  constexpr int replacements = 100;
  const char* const path = "Software\\Replaced";
  {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    KeyHandle key = 0;
    ASSERT_EQ(createKey(store, root_key::CurrentUser, path, &key), Success);
    ASSERT_EQ(setText(store, key, "v", "0"), Success);
    ASSERT_EQ(store.closeKey(key), Success);
  }
  // Each replacement is one transaction: the key is there in every state.
  const pid_t writer = fork();
  if (writer == 0) {
    RegistryStore other(RegistryLocation::inDirectory(directory.path()));
    for (int value = 1; value <= replacements; ++value) {
      other.beginChangeGroup();
      KeyHandle again = 0;
      const bool replaced = other.deleteKey(root_key::CurrentUser, path) == Success &&
                            createKey(other, root_key::CurrentUser, path, &again) == Success &&
                            setText(other, again, "v", std::to_string(value)) == Success;
      other.closeKey(again);
      if (other.endChangeGroup(replaced) != Success || !replaced) _exit(1);
    }
    _exit(0);
  }
  // Read meanwhile as Regedit reads, a fresh handle each time: what is read
  // through it within maxSnapshotAge of the open is read in one snapshot.
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  int last = 0;
  int missed = 0;
  int wentBack = 0;
  for (bool writing = true; writing;) {
    int status = 0;
    writing = waitpid(writer, &status, WNOHANG) == 0;
    if (!writing) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const auto opened = std::chrono::steady_clock::now();
    KeyHandle key = 0;
    std::optional<std::string> value;
    if (store.openKey(root_key::CurrentUser, path, AllRights, &key) == Success) {
      value = queryText(store, key, "v");
      store.closeKey(key);
    }
    if (!value) {
      missed += std::chrono::steady_clock::now() - opened < RegistryDatabase::maxSnapshotAge;
      continue;
    }
    wentBack += std::stoi(*value) < last;
    last = std::stoi(*value);
  }
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(wentBack, 0);
  EXPECT_EQ(last, replacements);
}

TEST(RegistryStoreSnapshots, AHandleHeldOpenKeepsUpWithAnotherProcess) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Watched", &key), Success);
  ASSERT_EQ(setText(store, key, "v", "before"), Success);
  EXPECT_EQ(queryText(store, key, "v"), "before");
  ASSERT_EQ(inChildProcess([&] {
              RegistryStore other(RegistryLocation::inDirectory(directory.path()));
              KeyHandle same = 0;
              if (createKey(other, root_key::CurrentUser, "Software\\Watched", &same)) return 1;
              return setText(other, same, "v", "after") == Success ? 0 : 2;
            }),
            0);
  // A change made from the old snapshot must not undo the other's.
  EXPECT_EQ(setText(store, key, "w", "mine"), Success);
  std::this_thread::sleep_for(RegistryDatabase::maxSnapshotAge * 2);
  EXPECT_EQ(queryText(store, key, "v"), "after");
  EXPECT_EQ(queryText(store, key, "w"), "mine");
  EXPECT_EQ(store.closeKey(key), Success);
}

TEST(RegistryStoreEnumeration, HandlesListingInTurnsEachSeeEveryEntryInOrder) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle parent = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Listed", &parent), Success);
  constexpr int count = 40;
  std::vector<std::string> expected;
  for (int i = 0; i < count; ++i) {
    const std::string name = "k" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    KeyHandle child = 0;
    ASSERT_EQ(createKey(store, parent, name.c_str(), &child), Success);
    ASSERT_EQ(store.closeKey(child), Success);
    expected.push_back(name);
  }
  KeyHandle first = 0;
  KeyHandle second = 0;
  ASSERT_EQ(store.openKey(root_key::CurrentUser, "Software\\Listed", AllRights, &first), Success);
  ASSERT_EQ(store.openKey(root_key::CurrentUser, "Software\\Listed", AllRights, &second), Success);
  std::vector<std::string> seenByFirst;
  std::vector<std::string> seenBySecond;
  for (uint32_t index = 0; index < count; ++index) {
    char name[16];
    ASSERT_EQ(store.enumKey(first, index, name, sizeof name), Success);
    seenByFirst.emplace_back(name);
    // The second lags behind, and a change elsewhere comes between them.
    if (index % 2 == 1) {
      ASSERT_EQ(store.enumKey(second, index / 2, name, sizeof name), Success);
      seenBySecond.emplace_back(name);
      ASSERT_EQ(setText(store, parent, "touched", std::to_string(index)), Success);
    }
  }
  for (uint32_t index = count / 2; index < count; ++index) {
    char name[16];
    ASSERT_EQ(store.enumKey(second, index, name, sizeof name), Success);
    seenBySecond.emplace_back(name);
  }
  EXPECT_EQ(seenByFirst, expected);
  EXPECT_EQ(seenBySecond, expected);
  char name[16];
  EXPECT_EQ(store.enumKey(first, count, name, sizeof name), NoMoreItems);
  store.closeKey(first);
  store.closeKey(second);
  store.closeKey(parent);
}

}  // namespace
}  // namespace zarn
