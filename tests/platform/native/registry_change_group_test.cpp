// Change groups of the native registry store: a group that fails or is
// abandoned halfway leaves nothing of itself, whichever change failed and in
// whichever file. Failures that only arise when a change is applied are
// injected with a trigger planted in the store's file.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/native/registry_store/registry_store.h"

namespace zarn {
namespace {

using namespace registry_status;
namespace fs = std::filesystem;

constexpr uint32_t AllRights = key_access::QueryValue | key_access::SetValue |
                               key_access::CreateSubKey | key_access::EnumerateSubKeys;

class RegistryChangeGroups : public ::testing::Test {
 protected:
  RegistryChangeGroups() {
    std::string pattern = (fs::temp_directory_path() / "zarn-group-XXXXXX").string();
    directory_ = mkdtemp(pattern.data());
  }
  ~RegistryChangeGroups() override { fs::remove_all(directory_); }

  RegistryLocation location() const { return RegistryLocation::inDirectory(directory_); }

  // Makes the store refuse event (INSERT or DELETE) on any row of table
  // whose name is name.
  void refuseRowsNamed(const char* file, const char* table, const char* event,
                       const std::string& name) {
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open((directory_ / file).c_str(), &database), SQLITE_OK);
    const std::string row = std::string(event) == "DELETE" ? "old" : "new";
    const std::string sql = "CREATE TRIGGER refuse_" + name + " BEFORE " + event + " ON " + table +
                            " WHEN " + row + ".name = '" + name +
                            "' BEGIN SELECT RAISE(ABORT, 'refused'); END;";
    EXPECT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(database);
  }

  static bool exists(RegistryStore& store, KeyHandle root, const char* path) {
    KeyHandle key = 0;
    if (store.openKey(root, path, key_access::QueryValue, &key) != Success) return false;
    store.closeKey(key);
    return true;
  }

  static RegistryStatus createWithValue(RegistryStore& store, KeyHandle root, const char* path) {
    KeyHandle key = 0;
    if (const RegistryStatus status = store.createKey(root, path, AllRights, &key, nullptr)) {
      return status;
    }
    const uint8_t data[] = {'x', 0};
    const RegistryStatus status = store.setValue(key, "v", value_type::Text, data, sizeof data);
    store.closeKey(key);
    return status;
  }

  fs::path directory_;
};

TEST_F(RegistryChangeGroups, ACommittedGroupKeepsEveryChangeInBothFiles) {
  {
    RegistryStore store(location());
    store.beginChangeGroup();
    ASSERT_EQ(createWithValue(store, root_key::CurrentUser, "Software\\Group"), Success);
    ASSERT_EQ(createWithValue(store, root_key::LocalMachine, "Software\\Group"), Success);
    EXPECT_TRUE(exists(store, root_key::CurrentUser, "Software\\Group"));
    EXPECT_EQ(store.endChangeGroup(true), Success);
  }
  RegistryStore reopened(location());
  EXPECT_TRUE(exists(reopened, root_key::CurrentUser, "Software\\Group"));
  EXPECT_TRUE(exists(reopened, root_key::LocalMachine, "Software\\Group"));
}

TEST_F(RegistryChangeGroups, AGroupFailingAtItsLastChangeLeavesNothing) {
  {
    RegistryStore store(location());
    ASSERT_EQ(createWithValue(store, root_key::CurrentUser, "Before"), Success);
    ASSERT_EQ(createWithValue(store, root_key::LocalMachine, "Before"), Success);
  }
  refuseRowsNamed("user.sqlite3", "keys", "INSERT", "Last");
  {
    RegistryStore store(location());
    store.beginChangeGroup();
    ASSERT_EQ(createWithValue(store, root_key::LocalMachine, "Software\\First"), Success);
    ASSERT_EQ(createWithValue(store, root_key::CurrentUser, "Software\\Second"), Success);
    EXPECT_NE(createWithValue(store, root_key::CurrentUser, "Software\\Last"), Success);
    EXPECT_EQ(store.endChangeGroup(false), Success);
    EXPECT_EQ(store.openHandleCount(), 0);
  }
  RegistryStore reopened(location());
  EXPECT_FALSE(exists(reopened, root_key::LocalMachine, "Software\\First"));
  EXPECT_FALSE(exists(reopened, root_key::CurrentUser, "Software"));
  EXPECT_TRUE(exists(reopened, root_key::CurrentUser, "Before"));
  EXPECT_TRUE(exists(reopened, root_key::LocalMachine, "Before"));
}

TEST_F(RegistryChangeGroups, AFailedChangeUndoesOnlyItselfWhenTheGroupGoesOn) {
  {
    RegistryStore store(location());
    ASSERT_EQ(createWithValue(store, root_key::CurrentUser, "Before"), Success);
  }
  refuseRowsNamed("user.sqlite3", "keys", "INSERT", "Refused");
  RegistryStore store(location());
  store.beginChangeGroup();
  EXPECT_NE(createWithValue(store, root_key::CurrentUser, "Half\\Refused"), Success);
  ASSERT_EQ(createWithValue(store, root_key::CurrentUser, "Other"), Success);
  EXPECT_EQ(store.endChangeGroup(true), Success);
  EXPECT_FALSE(exists(store, root_key::CurrentUser, "Half"));
  EXPECT_TRUE(exists(store, root_key::CurrentUser, "Other"));
}

TEST_F(RegistryChangeGroups, AnAbandonedDeletionOfATreeLeavesItWhole) {
  {
    RegistryStore store(location());
    ASSERT_EQ(createWithValue(store, root_key::CurrentUser, "Tree\\A\\Deep"), Success);
    ASSERT_EQ(createWithValue(store, root_key::CurrentUser, "Tree\\B"), Success);
  }
  refuseRowsNamed("user.sqlite3", "keys", "DELETE", "B");
  RegistryStore store(location());
  store.beginChangeGroup();
  EXPECT_EQ(store.deleteKey(root_key::CurrentUser, "Tree\\A\\Deep"), Success);
  EXPECT_EQ(store.deleteKey(root_key::CurrentUser, "Tree\\A"), Success);
  EXPECT_NE(store.deleteKey(root_key::CurrentUser, "Tree\\B"), Success);
  EXPECT_EQ(store.endChangeGroup(false), Success);
  EXPECT_TRUE(exists(store, root_key::CurrentUser, "Tree\\A\\Deep"));
  EXPECT_TRUE(exists(store, root_key::CurrentUser, "Tree\\B"));
}

}  // namespace
}  // namespace zarn
