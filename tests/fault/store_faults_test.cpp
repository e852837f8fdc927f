// Faults injected into the native registry store: files that hold no store,
// and a change group whose transaction the file itself rolls back.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "support/native_store.h"

namespace zarn {
namespace {

using namespace registry_status;
using namespace test;
namespace fs = std::filesystem;

std::string bytesOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The bytes of a user store of several pages, closed, whose file alone is
// the store.
std::string madeStore() {
  TemporaryDirectory directory;
  {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    KeyHandle key = 0;
    EXPECT_EQ(createKey(store, root_key::CurrentUser, "Software\\Filled", &key), Success);
    store.beginChangeGroup();
    for (int value = 0; value < 40; ++value) {
      EXPECT_EQ(setText(store, key, "v" + std::to_string(value), std::string(500, 'x')), Success);
    }
    EXPECT_EQ(store.endChangeGroup(true), Success);
    store.closeKey(key);
  }
  return bytesOf(directory.path() / "user.sqlite3");
}

struct Damage {
  const char* name;
  std::function<std::string(std::string)> apply;
};

// Every operation of the store on the root of a damaged file, by name.
struct Operation {
  const char* name;
  std::function<RegistryStatus(RegistryStore&)> call;
};

const Operation operations[] = {
    {"open",
     [](RegistryStore& store) {
       KeyHandle key = 0;
       return store.openKey(root_key::CurrentUser, "Software", AllRights, &key);
     }},
    {"open the root",
     [](RegistryStore& store) {
       KeyHandle key = 0;
       const RegistryStatus status = store.openKey(root_key::CurrentUser, "", AllRights, &key);
       return status;
     }},
    {"create",
     [](RegistryStore& store) {
       KeyHandle key = 0;
       return createKey(store, root_key::CurrentUser, "Software\\New", &key);
     }},
    {"list keys",
     [](RegistryStore& store) {
       char name[64];
       return store.enumKey(root_key::CurrentUser, 0, name, sizeof name);
     }},
    {"list values",
     [](RegistryStore& store) {
       char name[64];
       uint32_t length = sizeof name;
       return store.enumValue(root_key::CurrentUser, 0, name, &length, nullptr, nullptr, nullptr);
     }},
    {"query",
     [](RegistryStore& store) {
       uint32_t size = 0;
       return store.queryValue(root_key::CurrentUser, "v", nullptr, nullptr, &size);
     }},
    {"set", [](RegistryStore& store) { return setText(store, root_key::CurrentUser, "v", "x"); }},
    {"delete key",
     [](RegistryStore& store) { return store.deleteKey(root_key::CurrentUser, "Software"); }},
    {"delete value",
     [](RegistryStore& store) { return store.deleteValue(root_key::CurrentUser, "v"); }},
};

TEST(DamagedStore, EveryOperationAnswers1016AndTheFileIsLeftAsItWas) {
  const Damage damages[] = {
      {"truncated to half", [](std::string bytes) { return bytes.substr(0, bytes.size() / 2); }},
      {"truncated inside its header", [](std::string bytes) { return bytes.substr(0, 60); }},
      {"a damaged header",
       [](std::string bytes) { return bytes.replace(0, 16, "not a store....."); }},
      {"a damaged page size",
       [](std::string bytes) { return bytes.replace(16, 2, std::string("\x12\x34", 2)); }},
      {"garbage",
       [](std::string bytes) {
         std::mt19937 random(20);
         for (char& byte : bytes) byte = static_cast<char>(random());
         return bytes;
       }},
  };
  const std::string intact = madeStore();
  ASSERT_GT(intact.size(), 4 * 4096u);
  for (const Damage& damage : damages) {
    for (const Operation& operation : operations) {
      TemporaryDirectory directory;
      const fs::path file = directory.path() / "user.sqlite3";
      const std::string damaged = damage.apply(intact);
      writeBytes(file, damaged);
      {
        RegistryStore store(RegistryLocation::inDirectory(directory.path()));
        EXPECT_EQ(operation.call(store), RegistryIoFailed) << operation.name << ", " << damage.name;
        EXPECT_EQ(store.openHandleCount(), 0);
        EXPECT_EQ(store.committedChangeCount(), 0);
      }
      EXPECT_EQ(bytesOf(file), damaged) << operation.name << ", " << damage.name;
      // The machine store, in a good file of its own, is not held back.
      EXPECT_FALSE(fs::exists(directory.path() / "machine.sqlite3"));
    }
  }
}

// A change the file itself refuses by rolling back the whole transaction
// (a trigger raising ROLLBACK, as a full disk or an I/O error also ends it):
// the group's earlier changes went with it, so every later change of the
// group, and its commit, fail, and nothing of the group is in the file.
TEST(ChangeGroupRollback, AChangeThatRollsTheGroupBackLeavesNothingOfIt) {
  TemporaryDirectory directory;
  {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    ASSERT_EQ(setText(store, root_key::CurrentUser, "before", "kept"), Success);
    ASSERT_EQ(setText(store, root_key::LocalMachine, "before", "kept"), Success);
  }
  for (const char* file : {"user.sqlite3", "machine.sqlite3"}) {
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open((directory.path() / file).c_str(), &database), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(database,
                           "CREATE TRIGGER undo_all BEFORE INSERT ON key_values "
                           "WHEN new.name = 'undo' BEGIN SELECT RAISE(ROLLBACK, 'undone'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(database);
  }
  const std::string user = bytesOf(directory.path() / "user.sqlite3");
  {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    store.beginChangeGroup();
    KeyHandle key = 0;
    ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Group", &key), Success);
    ASSERT_EQ(setText(store, key, "first", "1"), Success);
    ASSERT_EQ(setText(store, root_key::LocalMachine, "other file", "1"), Success);
    EXPECT_EQ(setText(store, key, "undo", "1"), RegistryIoFailed);
    EXPECT_EQ(setText(store, key, "after", "1"), RegistryIoFailed);
    EXPECT_EQ(store.deleteValue(root_key::CurrentUser, "before"), RegistryIoFailed);
    EXPECT_EQ(store.endChangeGroup(true), RegistryIoFailed);
    EXPECT_EQ(store.closeKey(key), Success);
    EXPECT_EQ(store.openHandleCount(), 0);
  }
  RegistryStore reopened(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  EXPECT_EQ(reopened.openKey(root_key::CurrentUser, "Software", AllRights, &key), NotFound);
  EXPECT_EQ(queryText(reopened, root_key::CurrentUser, "before"), "kept");
  // The other file's part is not committed either.
  EXPECT_EQ(queryText(reopened, root_key::LocalMachine, "before"), "kept");
  EXPECT_EQ(queryText(reopened, root_key::LocalMachine, "other file"), std::nullopt);
}

}  // namespace
}  // namespace zarn
