// The promises of the native registry store: what a committed write
// survives, how several processes share the store, who may write it, and how
// its files are laid out. Each test uses a store in a fresh folder of its own.
#include "platform/native/registry_store/registry_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/native_store.h"

namespace zarn {
namespace {

using namespace registry_status;
using namespace test;
namespace fs = std::filesystem;

constexpr uid_t Nobody = 65534;

// Reads root\path\name from a store freshly opened over directory.
std::optional<std::string> readBack(const fs::path& directory, KeyHandle root, const char* path,
                                    const std::string& name) {
  RegistryStore store(RegistryLocation::inDirectory(directory));
  KeyHandle key = 0;
  if (store.openKey(root, path, key_access::QueryValue, &key) != Success) return std::nullopt;
  std::optional<std::string> text = queryText(store, key, name);
  store.closeKey(key);
  return text;
}

TEST(RegistryStoreDurability, DataSurvivesReopening) {
  TemporaryDirectory directory;
  {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    KeyHandle key = 0;
    ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Kept", &key), Success);
    ASSERT_EQ(setText(store, key, "v", "user"), Success);
    ASSERT_EQ(createKey(store, root_key::LocalMachine, "Software\\Kept", &key), Success);
    ASSERT_EQ(setText(store, key, "v", "machine"), Success);
  }
  EXPECT_EQ(readBack(directory.path(), root_key::CurrentUser, "Software\\Kept", "v"), "user");
  EXPECT_EQ(readBack(directory.path(), root_key::LocalMachine, "Software\\Kept", "v"), "machine");
  EXPECT_EQ(readBack(directory.path(), root_key::Users, "Software\\Kept", "v"), std::nullopt);
}

TEST(RegistryStoreDurability, AReturnedWriteSurvivesTheWriterBeingKilled) {
  TemporaryDirectory directory;
  const int ending = inChildProcess([&] {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    KeyHandle key = 0;
    if (createKey(store, root_key::CurrentUser, "Software\\Killed", &key) != Success) return 1;
    if (setText(store, key, "last words", "committed") != Success) return 2;
    raise(SIGKILL);
    return 3;
  });
  ASSERT_EQ(ending, -SIGKILL);
  EXPECT_EQ(readBack(directory.path(), root_key::CurrentUser, "Software\\Killed", "last words"),
            "committed");
}

TEST(RegistryStoreSharing, ConcurrentWritersLoseNothing) {
  TemporaryDirectory directory;
  constexpr int writers = 4;
  constexpr int valuesEach = 40;
  std::vector<pid_t> children;
  for (int writer = 0; writer < writers; ++writer) {
    const pid_t child = fork();
    if (child == 0) {
      RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      KeyHandle key = 0;
      if (createKey(store, root_key::CurrentUser, "Software\\Shared", &key) != Success) _exit(1);
      for (int value = 0; value < valuesEach; ++value) {
        const std::string name = std::to_string(writer) + "-" + std::to_string(value);
        if (setText(store, key, name, name) != Success) _exit(2);
      }
      _exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
  }

  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  ASSERT_EQ(store.openKey(root_key::CurrentUser, "Software\\Shared", key_access::QueryValue, &key),
            Success);
  for (int writer = 0; writer < writers; ++writer) {
    for (int value = 0; value < valuesEach; ++value) {
      const std::string name = std::to_string(writer) + "-" + std::to_string(value);
      EXPECT_EQ(queryText(store, key, name), name);
    }
  }
  char name[64];
  uint32_t length = sizeof name;
  EXPECT_EQ(store.enumValue(key, writers * valuesEach, name, &length, nullptr, nullptr, nullptr),
            NoMoreItems);
  store.closeKey(key);
}

// Starts count children that wait for each other and then run work(index)
// together; returns how many did not exit with 0.
int failuresOfSimultaneousChildren(int count, const std::function<int(int)>& work) {
  int start[2];
  if (pipe(start) != 0) return count;
  std::vector<pid_t> children;
  for (int index = 0; index < count; ++index) {
    const pid_t child = fork();
    if (child == 0) {
      close(start[1]);
      char go = 0;
      // Every child blocks here until the parent closes the pipe.
      const bool released = read(start[0], &go, 1) == 0;
      _exit(released ? work(index) : 100);
    }
    children.push_back(child);
  }
  close(start[0]);
  close(start[1]);
  int failures = 0;
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failures;
  }
  return failures;
}

TEST(RegistryStoreSharing, ProcessesOpeningANewStoreAtOnceAllSucceed) {
  // Half of them make their first write, half read; whichever comes first
  // makes the store, and no one sees it half-made.
  constexpr int tries = 30;
  constexpr int processes = 6;
  int failedTries = 0;
  for (int attempt = 0; attempt < tries; ++attempt) {
    TemporaryDirectory directory;
    const int failures = failuresOfSimultaneousChildren(processes, [&](int index) {
      RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      KeyHandle key = 0;
      if (index % 2 == 1) {
        const RegistryStatus opened =
            store.openKey(root_key::CurrentUser, "Software\\First", key_access::QueryValue, &key);
        if (opened == NotFound) return 0;
        if (opened != Success) return 1;
        // The key may be there before its first value.
        uint32_t size = 0;
        const RegistryStatus queried = store.queryValue(key, "v0", nullptr, nullptr, &size);
        return queried == Success || queried == NotFound ? 0 : 1;
      }
      if (createKey(store, root_key::CurrentUser, "Software\\First", &key) != Success) return 2;
      return setText(store, key, "v" + std::to_string(index), "x") == Success ? 0 : 3;
    });
    if (failures != 0) ++failedTries;
    for (int index = 0; index < processes; index += 2) {
      EXPECT_EQ(readBack(directory.path(), root_key::CurrentUser, "Software\\First",
                         "v" + std::to_string(index)),
                "x");
    }
  }
  EXPECT_EQ(failedTries, 0) << "tries in which a process failed, of " << tries;
}

TEST(RegistryStoreSharing, AKeyDeletedByAnotherProcessAnswersKeyDeleted) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software\\Gone", &key), Success);
  const int deleted = inChildProcess([&] {
    RegistryStore other(RegistryLocation::inDirectory(directory.path()));
    return other.deleteKey(root_key::CurrentUser, "Software\\Gone");
  });
  ASSERT_EQ(deleted, Success);
  EXPECT_EQ(setText(store, key, "v", "x"), KeyDeleted);
  EXPECT_EQ(store.closeKey(key), Success);
}

// Exit code bits of the unprivileged child, one per broken promise.
enum UnprivilegedFailure {
  CouldNotDropPrivileges = 1,
  ReadFailed = 2,
  CreateNotDenied = 4,
  SetNotDenied = 8,
  DeleteNotDenied = 16,
  EmptyStoreNotEmpty = 32,
};

int asNobody(const std::function<int()>& work) {
  return inChildProcess([&] {
    if (setgid(Nobody) != 0 || setuid(Nobody) != 0) return int{CouldNotDropPrivileges};
    return work();
  });
}

TEST(RegistryStoreAccess, AUserWhoMayNotWriteTheMachineStoreReadsIt) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to create a store another user may not write";
  TemporaryDirectory directory;
  fs::permissions(directory.path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
  {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    KeyHandle key = 0;
    ASSERT_EQ(createKey(store, root_key::LocalMachine, "Software\\Vendor", &key), Success);
    ASSERT_EQ(setText(store, key, "v", "shared"), Success);
  }
  const int failures = asNobody([&] {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    int result = 0;
    KeyHandle key = 0;
    if (store.openKey(root_key::LocalMachine, "Software\\Vendor", AllRights, &key) != Success ||
        queryText(store, key, "v") != "shared") {
      result |= ReadFailed;
    }
    KeyHandle created = 0;
    if (createKey(store, root_key::LocalMachine, "Software\\Other", &created) != AccessDenied) {
      result |= CreateNotDenied;
    }
    if (setText(store, key, "v", "mine") != AccessDenied) result |= SetNotDenied;
    if (store.deleteValue(key, "v") != AccessDenied ||
        store.deleteKey(root_key::LocalMachine, "Software\\Vendor") != AccessDenied) {
      result |= DeleteNotDenied;
    }
    return result;
  });
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(readBack(directory.path(), root_key::LocalMachine, "Software\\Vendor", "v"), "shared");
}

TEST(RegistryStoreAccess, AMachineStoreThatCannotBeCreatedIsEmptyAndReadOnly) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make a folder another user may not write";
  TemporaryDirectory directory;
  fs::permissions(directory.path(),
                  fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const int failures = asNobody([&] {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    int result = 0;
    KeyHandle key = 0;
    if (store.openKey(root_key::LocalMachine, "", key_access::EnumerateSubKeys, &key) != Success) {
      result |= ReadFailed;
    }
    char name[64];
    if (store.enumKey(key, 0, name, sizeof name) != NoMoreItems) result |= EmptyStoreNotEmpty;
    KeyHandle created = 0;
    if (createKey(store, root_key::LocalMachine, "Software", &created) != AccessDenied) {
      result |= CreateNotDenied;
    }
    return result;
  });
  EXPECT_EQ(failures, 0);
}

// The states a store's -wal and -shm files can be found in by a reader, as
// left by the writer before it: the reader must read every committed value
// in each, whether or not it may write the folder.
enum class LogFiles {
  KeptByTheLastToClose,    // root wrote, then read, and closed last
  BothMissing,             // removed after a clean close, as older writers did
  LogWithoutIndex,         // the writer was killed; its -wal holds "late"; no -shm
  BothAfterAKilledWriter,  // the same with the -shm left in place
  StoreUnreadable,         // the files are root's alone
};

struct ReaderSituation {
  const char* name;
  LogFiles files;
  bool folderWritable;
  RegistryStatus expected;  // of opening the key; on success both values read
};

// Makes root's machine store in directory, in the situation's state.
void arrangeForReader(const fs::path& directory, const ReaderSituation& situation) {
  const bool killed = situation.files == LogFiles::LogWithoutIndex ||
                      situation.files == LogFiles::BothAfterAKilledWriter;
  const int wrote = inChildProcess([&] {
    RegistryStore store(RegistryLocation::inDirectory(directory));
    KeyHandle key = 0;
    if (createKey(store, root_key::LocalMachine, "Software\\Vendor", &key) != Success ||
        setText(store, key, "v", "committed") != Success ||
        setText(store, key, "late", "in the log") != Success) {
      return 1;
    }
    if (killed) raise(SIGKILL);
    store.closeKey(key);
    return 0;
  });
  ASSERT_EQ(wrote, killed ? -SIGKILL : 0) << situation.name;
  const std::string machine = (directory / "machine.sqlite3").string();
  if (situation.files == LogFiles::KeptByTheLastToClose) {
    ASSERT_EQ(readBack(directory, root_key::LocalMachine, "Software\\Vendor", "v"), "committed");
    ASSERT_TRUE(fs::exists(machine + "-wal") && fs::exists(machine + "-shm"));
  }
  if (situation.files == LogFiles::BothMissing) fs::remove(machine + "-wal");
  if (situation.files == LogFiles::BothMissing || situation.files == LogFiles::LogWithoutIndex) {
    fs::remove(machine + "-shm");
  }
  if (killed) {
    ASSERT_GT(fs::file_size(machine + "-wal"), 0u) << situation.name;
  }
  if (situation.files == LogFiles::StoreUnreadable) {
    for (const char* suffix : {"", "-wal", "-shm"}) chmod((machine + suffix).c_str(), 0600);
  }
  chmod(directory.c_str(), situation.folderWritable ? 0777 : 0755);
}

TEST(RegistryStoreAccess, EveryUserWhoMayReadTheStoreReadsWhatIsCommitted) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to write a store that another user only reads";
  const ReaderSituation situations[] = {
      {"-wal and -shm kept, folder read-only", LogFiles::KeptByTheLastToClose, false, Success},
      {"-wal and -shm kept, folder writable", LogFiles::KeptByTheLastToClose, true, Success},
      {"both missing, folder read-only", LogFiles::BothMissing, false, Success},
      {"both missing, folder writable", LogFiles::BothMissing, true, Success},
      {"-wal without -shm, folder read-only", LogFiles::LogWithoutIndex, false, Success},
      {"-wal without -shm, folder writable", LogFiles::LogWithoutIndex, true, Success},
      {"both after a killed writer, folder read-only", LogFiles::BothAfterAKilledWriter, false,
       Success},
      {"files root's alone", LogFiles::StoreUnreadable, false, AccessDenied},
  };
  for (const ReaderSituation& situation : situations) {
    TemporaryDirectory directory;
    arrangeForReader(directory.path(), situation);
    const int failures = asNobody([&] {
      RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      int result = 0;
      KeyHandle key = 0;
      const RegistryStatus opened =
          store.openKey(root_key::LocalMachine, "Software\\Vendor", AllRights, &key);
      if (opened != situation.expected) return int{ReadFailed};
      if (opened == Success && (queryText(store, key, "v") != "committed" ||
                                queryText(store, key, "late") != "in the log")) {
        result |= ReadFailed;
      }
      if (opened == Success && setText(store, key, "v", "mine") != AccessDenied) {
        result |= SetNotDenied;
      }
      char name[64];
      if (store.enumKey(root_key::LocalMachine, 0, name, sizeof name) !=
          (opened == Success ? Success : situation.expected)) {
        result |= ReadFailed;
      }
      store.closeKey(key);
      return store.openHandleCount() == 0 ? result : result | ReadFailed;
    });
    EXPECT_EQ(failures, 0) << situation.name;
    EXPECT_EQ(readBack(directory.path(), root_key::LocalMachine, "Software\\Vendor", "late"),
              "in the log")
        << situation.name;
  }
}

TEST(RegistryStoreAccess, AReaderOfACopySeesChangesMadeSinceOnceItsHandlesAreClosed) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to write a store that another user only reads";
  TemporaryDirectory directory;
  arrangeForReader(directory.path(), {"", LogFiles::BothMissing, false, Success});
  int toWriter[2];
  int toReader[2];
  ASSERT_EQ(pipe(toWriter), 0);
  ASSERT_EQ(pipe(toReader), 0);
  const pid_t reader = fork();
  if (reader == 0) {
    const int failures = [&] {
      if (setgid(Nobody) != 0 || setuid(Nobody) != 0) return int{CouldNotDropPrivileges};
      RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      KeyHandle key = 0;
      if (store.openKey(root_key::LocalMachine, "Software\\Vendor", AllRights, &key) != Success ||
          queryText(store, key, "v") != "committed") {
        return int{ReadFailed};
      }
      char go = 0;
      if (write(toWriter[1], "r", 1) != 1 || read(toReader[0], &go, 1) != 1) return 100;
      // Still the copy while the handle is open: one state throughout.
      int result = queryText(store, key, "v") == "committed" ? 0 : int{ReadFailed};
      store.closeKey(key);
      if (store.openKey(root_key::LocalMachine, "Software\\Vendor", AllRights, &key) != Success ||
          queryText(store, key, "v") != "changed") {
        result |= ReadFailed;
      }
      store.closeKey(key);
      return result;
    }();
    _exit(failures);
  }
  char ready = 0;
  ASSERT_EQ(read(toWriter[0], &ready, 1), 1);
  {
    RegistryStore store(RegistryLocation::inDirectory(directory.path()));
    KeyHandle key = 0;
    ASSERT_EQ(store.openKey(root_key::LocalMachine, "Software\\Vendor", AllRights, &key), Success);
    ASSERT_EQ(setText(store, key, "v", "changed"), Success);
    store.closeKey(key);
  }
  ASSERT_EQ(write(toReader[1], "w", 1), 1);
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "reader status " << status;
  for (const int end : {toWriter[0], toWriter[1], toReader[0], toReader[1]}) close(end);
}

// The changes of the store, each one call through a handle to a key that
// holds the value "v" and no subkeys.
struct Change {
  const char* name;
  RegistryStatus (*apply)(RegistryStore& store, KeyHandle key);
};

RegistryStatus createChild(RegistryStore& store, KeyHandle key, const char* path) {
  KeyHandle child = 0;
  const RegistryStatus status = createKey(store, key, path, &child);
  if (status == Success) store.closeKey(child);
  return status;
}

const Change wellFormedChanges[] = {
    {"create", [](RegistryStore& store, KeyHandle key) { return createChild(store, key, "New"); }},
    {"set", [](RegistryStore& store, KeyHandle key) { return setText(store, key, "v", "new"); }},
    {"delete key", [](RegistryStore& store, KeyHandle key) { return store.deleteKey(key, "No"); }},
    {"delete value",
     [](RegistryStore& store, KeyHandle key) { return store.deleteValue(key, "v"); }},
};

const Change malformedChanges[] = {
    {"create", [](RegistryStore& store, KeyHandle key) { return createChild(store, key, "\\A"); }},
    {"set", [](RegistryStore& store,
               KeyHandle key) { return setText(store, key, std::string(16384, 'n'), "new"); }},
    {"delete key", [](RegistryStore& store, KeyHandle key) { return store.deleteKey(key, "\\A"); }},
};

enum class Handle { Open, Closed, OfDeletedKey, ToUnusableStore };

struct Situation {
  const char* name;
  Handle handle;
  uint32_t access;
  std::vector<RegistryStatus> expected;  // one per change, in their order
};

// A handle of the situation's kind in a store over directory that has not
// been used yet.
KeyHandle arrange(RegistryStore& store, const fs::path& directory, const Situation& situation) {
  if (situation.handle == Handle::ToUnusableStore) {
    // Something that is there but holds no store is left alone: every
    // change answers 1016.
    fs::create_directory(directory / "user.sqlite3");
    return root_key::CurrentUser;
  }
  KeyHandle key = 0;
  EXPECT_EQ(createKey(store, root_key::CurrentUser, "Target", &key), Success);
  EXPECT_EQ(setText(store, key, "v", "old"), Success);
  store.closeKey(key);
  EXPECT_EQ(store.openKey(root_key::CurrentUser, "Target", situation.access, &key), Success);
  if (situation.handle == Handle::Closed) store.closeKey(key);
  if (situation.handle == Handle::OfDeletedKey) store.deleteKey(root_key::CurrentUser, "Target");
  return key;
}

template <size_t count>
void expectStatuses(const Change (&changes)[count], const std::vector<Situation>& situations) {
  for (const Situation& situation : situations) {
    ASSERT_EQ(situation.expected.size(), count) << situation.name;
    for (size_t change = 0; change < count; ++change) {
      TemporaryDirectory directory;
      RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      const KeyHandle key = arrange(store, directory.path(), situation);
      EXPECT_EQ(changes[change].apply(store, key), situation.expected[change])
          << changes[change].name << " through " << situation.name;
      if (situation.handle != Handle::ToUnusableStore) store.closeKey(key);
      EXPECT_EQ(store.openHandleCount(), 0);
    }
  }
}

TEST(RegistryStoreChanges, EveryChangeChecksHandleAccessStoreAndKeyInThatOrder) {
  constexpr uint32_t QueryOnly = key_access::QueryValue;
  expectStatuses(wellFormedChanges,
                 {
                     {"a handle with every right",
                      Handle::Open,
                      AllRights,
                      {Success, Success, NotFound, Success}},
                     // Creating and deleting keys ignore the rights of the handle.
                     {"a handle for queries",
                      Handle::Open,
                      QueryOnly,
                      {Success, AccessDenied, NotFound, AccessDenied}},
                     {"a closed handle",
                      Handle::Closed,
                      AllRights,
                      {InvalidHandle, InvalidHandle, InvalidHandle, InvalidHandle}},
                     {"an unusable store",
                      Handle::ToUnusableStore,
                      AllRights,
                      {RegistryIoFailed, RegistryIoFailed, RegistryIoFailed, RegistryIoFailed}},
                     {"a deleted key",
                      Handle::OfDeletedKey,
                      AllRights,
                      {KeyDeleted, KeyDeleted, KeyDeleted, KeyDeleted}},
                     {"a deleted key's handle for queries",
                      Handle::OfDeletedKey,
                      QueryOnly,
                      {KeyDeleted, AccessDenied, KeyDeleted, AccessDenied}},
                 });
}

TEST(RegistryStoreChanges, ArgumentsAreCheckedAfterTheHandleAndBeforeEverythingElse) {
  expectStatuses(malformedChanges, {
                                       {"a closed handle",
                                        Handle::Closed,
                                        AllRights,
                                        {InvalidHandle, InvalidHandle, InvalidHandle}},
                                       {"an unusable store",
                                        Handle::ToUnusableStore,
                                        AllRights,
                                        {BadPathName, InvalidParameter, BadPathName}},
                                       {"a deleted key's handle for queries",
                                        Handle::OfDeletedKey,
                                        key_access::QueryValue,
                                        {BadPathName, InvalidParameter, BadPathName}},
                                   });
}

TEST(RegistryStoreFiles, TheUserStoreIsPrivateToItsOwner) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Software", &key), Success);
  ASSERT_EQ(setText(store, key, "v", "private"), Success);
  int userFiles = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory.path())) {
    if (entry.path().filename().string().rfind("user", 0) != 0) continue;
    ++userFiles;
    struct stat status {};
    ASSERT_EQ(stat(entry.path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << entry.path();
  }
  EXPECT_GE(userFiles, 1);
  store.closeKey(key);
}

mode_t modeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

// Under umask 000 too: a folder others may write lets them replace the store.
TEST(RegistryStoreFiles, MissingFoldersAreCreatedClosedToOthersWhateverTheUmask) {
  struct Row {
    const char* what;
    bool oneFolder;
    KeyHandle root;
    mode_t folderMode;
    mode_t fileMode;
  };
  const Row rows[] = {
      {"the user store's own folder is private", false, root_key::CurrentUser, 0700, 0600},
      {"the machine store's folder is readable by all", false, root_key::LocalMachine, 0755, 0644},
      {"one folder for both, made by the user store", true, root_key::CurrentUser, 0755, 0600},
  };
  const mode_t kept = umask(0);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TemporaryDirectory directory;
    const fs::path user = directory.path() / "home" / "data";
    const fs::path machine = row.oneFolder ? user : directory.path() / "var" / "lib";
    {
      RegistryStore store(RegistryLocation{user, machine});
      KeyHandle key = 0;
      EXPECT_EQ(createKey(store, row.root, "Software", &key), Success);
      store.closeKey(key);
    }
    const fs::path folder = row.root == root_key::CurrentUser ? user : machine;
    EXPECT_EQ(modeOf(folder), row.folderMode);
    EXPECT_EQ(modeOf(folder.parent_path()), row.folderMode);
    // The store file and its -wal and -shm.
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      ++files;
      EXPECT_EQ(modeOf(entry.path()), row.fileMode) << entry.path();
    }
    EXPECT_GE(files, 1);
  }
  umask(kept);
}

TEST(RegistryStoreFiles, AReadOfAMissingStoreCreatesNothing) {
  TemporaryDirectory directory;
  const fs::path missing = directory.path() / "not yet";
  RegistryStore store(RegistryLocation::inDirectory(missing));
  KeyHandle key = 0;
  EXPECT_EQ(store.openKey(root_key::CurrentUser, "Software", key_access::QueryValue, &key),
            NotFound);
  EXPECT_EQ(store.openKey(root_key::LocalMachine, "Software", key_access::QueryValue, &key),
            NotFound);
  char name[64];
  EXPECT_EQ(store.enumKey(root_key::Users, 0, name, sizeof name), NoMoreItems);
  EXPECT_EQ(queryText(store, root_key::CurrentUser, "v"), std::nullopt);
  uint32_t length = sizeof name;
  EXPECT_EQ(store.enumValue(root_key::ClassesRoot, 0, name, &length, nullptr, nullptr, nullptr),
            NoMoreItems);
  // A failed change creates nothing either.
  EXPECT_EQ(store.createKey(root_key::CurrentUser, "\\Bad", AllRights, &key, nullptr), BadPathName);
  EXPECT_FALSE(fs::exists(missing));
}

TEST(RegistryStoreFiles, AStoreMadeMeanwhileIsSeenThroughHandlesOpenedBefore) {
  TemporaryDirectory directory;
  RegistryStore reader(RegistryLocation::inDirectory(directory.path()));
  KeyHandle root = 0;
  ASSERT_EQ(reader.openKey(root_key::CurrentUser, "", key_access::QueryValue, &root), Success);
  EXPECT_EQ(queryText(reader, root, "v"), std::nullopt);
  {
    RegistryStore writer(RegistryLocation::inDirectory(directory.path()));
    ASSERT_EQ(setText(writer, root_key::CurrentUser, "v", "made elsewhere"), Success);
  }
  EXPECT_EQ(queryText(reader, root, "v"), "made elsewhere");
  EXPECT_EQ(queryText(reader, root_key::CurrentUser, "v"), "made elsewhere");
  reader.closeKey(root);
}

TEST(RegistryStoreFiles, TheFirstChangeMakesTheStoreForHandlesOpenedBefore) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle root = 0;
  ASSERT_EQ(store.openKey(root_key::CurrentUser, "", key_access::QueryValue | key_access::SetValue,
                          &root),
            Success);
  EXPECT_EQ(store.deleteValue(root, "v"), NotFound);
  EXPECT_EQ(setText(store, root, "v", "first"), Success);
  EXPECT_EQ(queryText(store, root, "v"), "first");
  EXPECT_EQ(readBack(directory.path(), root_key::CurrentUser, "", "v"), "first");
  store.closeKey(root);
}

// Sets an environment variable for one scope, restoring the old value.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnvironment() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(RegistryStoreFiles, TheEnvironmentChoosesTheFolders) {
  ScopedEnvironment home("HOME", "/home/someone");
  ScopedEnvironment data("XDG_DATA_HOME", nullptr);
  {
    ScopedEnvironment chosen("ZARNUTILS_REGISTRY_DIR", "/tmp/chosen");
    const RegistryLocation location = RegistryLocation::fromEnvironment();
    EXPECT_EQ(location.userDirectory, "/tmp/chosen");
    EXPECT_EQ(location.machineDirectory, "/tmp/chosen");
  }
  {
    // Most likely a variable expanded from nothing: using the real stores
    // instead could destroy them.
    ScopedEnvironment blank("ZARNUTILS_REGISTRY_DIR", "");
    try {
      RegistryLocation::fromEnvironment();
      ADD_FAILURE() << "an empty ZARNUTILS_REGISTRY_DIR was taken";
    } catch (const std::invalid_argument& problem) {
      EXPECT_NE(std::string(problem.what()).find("ZARNUTILS_REGISTRY_DIR"), std::string::npos);
    }
  }
  ScopedEnvironment unset("ZARNUTILS_REGISTRY_DIR", nullptr);
  EXPECT_EQ(RegistryLocation::fromEnvironment().userDirectory,
            "/home/someone/.local/share/zarnutils");
  EXPECT_EQ(RegistryLocation::fromEnvironment().machineDirectory, "/var/lib/zarnutils");
  ScopedEnvironment xdg("XDG_DATA_HOME", "/data");
  EXPECT_EQ(RegistryLocation::fromEnvironment().userDirectory, "/data/zarnutils");
}

// Runs sql on a store file directly, as another program or an earlier
// version would, keeping its -wal and -shm files as the store does; the
// first column of the last row, or -1 for none.
int64_t onFile(const fs::path& file, const std::string& sql) {
  sqlite3* connection = nullptr;
  int64_t result = -1;
  if (sqlite3_open(file.c_str(), &connection) == SQLITE_OK) {
    int persist = 1;
    sqlite3_file_control(connection, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    const auto keep = [](void* last, int, char** row, char**) {
      *static_cast<int64_t*>(last) = row[0] ? std::atoll(row[0]) : -1;
      return 0;
    };
    EXPECT_EQ(sqlite3_exec(connection, sql.c_str(), keep, &result, nullptr), SQLITE_OK)
        << sqlite3_errmsg(connection);
  }
  sqlite3_close(connection);
  return result;
}

constexpr const char* volatileRows = "SELECT count(*) FROM keys WHERE volatile_boot IS NOT NULL";

// A machine store another user may read: HKLM\Software\Lasting with a
// value, and the volatile HKLM\Software\Fleeting with a value and a child.
fs::path makeStoreWithVolatileKeys(const fs::path& directory) {
  fs::permissions(directory, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
  RegistryStore store(RegistryLocation::inDirectory(directory));
  KeyHandle key = 0;
  EXPECT_EQ(createKey(store, root_key::LocalMachine, "Software\\Lasting", &key), Success);
  EXPECT_EQ(setText(store, key, "v", "kept"), Success);
  EXPECT_EQ(store.createKey(root_key::LocalMachine, "Software\\Fleeting\\Child", AllRights, &key,
                            nullptr, VolatileKeyOption),
            Success);
  EXPECT_EQ(setText(store, key, "v", "fleeting"), Success);
  return directory / "machine.sqlite3";
}

std::vector<std::string> subKeysOf(RegistryStore& store, KeyHandle root, const char* path) {
  std::vector<std::string> names;
  KeyHandle key = 0;
  if (store.openKey(root, path, key_access::EnumerateSubKeys, &key) != Success) return names;
  char name[256];
  for (uint32_t index = 0; store.enumKey(key, index, name, sizeof name) == Success; ++index) {
    names.emplace_back(name);
  }
  store.closeKey(key);
  return names;
}

TEST(RegistryStoreVolatileKeys, LastUntilTheMachineRestarts) {
  TemporaryDirectory directory;
  const fs::path machine = makeStoreWithVolatileKeys(directory.path());
  {
    RegistryStore sameBoot(RegistryLocation::inDirectory(directory.path()));
    EXPECT_EQ(subKeysOf(sameBoot, root_key::LocalMachine, "Software"),
              (std::vector<std::string>{"Fleeting", "Lasting"}));
  }
  onFile(machine, "UPDATE keys SET volatile_boot = 'an earlier boot' WHERE volatile_boot NOT NULL");

  if (geteuid() == 0) {
    // A reader that may not write the file does not see them, and leaves
    // them where they are.
    const int failures = asNobody([&] {
      RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      KeyHandle key = 0;
      return subKeysOf(store, root_key::LocalMachine, "Software") ==
                         std::vector<std::string>{"Lasting"} &&
                     store.openKey(root_key::LocalMachine, "Software\\Fleeting",
                                   key_access::QueryValue, &key) == NotFound
                 ? 0
                 : 1;
    });
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(onFile(machine, volatileRows), 2);
  }

  // The first writer of the new boot removes them with their values.
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  EXPECT_EQ(subKeysOf(store, root_key::LocalMachine, "Software"),
            std::vector<std::string>{"Lasting"});
  EXPECT_EQ(readBack(directory.path(), root_key::LocalMachine, "Software\\Lasting", "v"), "kept");
  EXPECT_EQ(onFile(machine, volatileRows), 0);
  EXPECT_EQ(onFile(machine, "SELECT count(*) FROM key_values"), 1);
  KeyHandle key = 0;
  EXPECT_EQ(createKey(store, root_key::LocalMachine, "Software\\Fleeting\\Child", &key), Success);
  store.closeKey(key);
}

TEST(RegistryStoreVolatileKeys, AFileMadeBeforeThemKeepsEveryKey) {
  TemporaryDirectory directory;
  const fs::path machine = makeStoreWithVolatileKeys(directory.path());
  // The file as earlier versions made it: no volatile keys, no column.
  onFile(machine,
         "DELETE FROM key_values WHERE key IN (SELECT id FROM keys WHERE volatile_boot NOT NULL);"
         "DELETE FROM keys WHERE volatile_boot NOT NULL;"
         "DROP INDEX volatile_keys; ALTER TABLE keys DROP COLUMN volatile_boot;");
  const std::string hasColumn =
      "SELECT count(*) FROM pragma_table_info('keys') WHERE name = 'volatile_boot'";
  ASSERT_EQ(onFile(machine, hasColumn), 0);

  if (geteuid() == 0) {
    const int failures = asNobody([&] {
      RegistryStore store(RegistryLocation::inDirectory(directory.path()));
      KeyHandle key = 0;
      return store.openKey(root_key::LocalMachine, "Software\\Lasting", key_access::QueryValue,
                           &key) == Success &&
                     queryText(store, key, "v") == "kept"
                 ? 0
                 : 1;
    });
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(onFile(machine, hasColumn), 0);
  }

  EXPECT_EQ(readBack(directory.path(), root_key::LocalMachine, "Software\\Lasting", "v"), "kept");
  EXPECT_EQ(onFile(machine, hasColumn), 1);
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  EXPECT_EQ(store.createKey(root_key::LocalMachine, "Software\\Fleeting", AllRights, &key, nullptr,
                            VolatileKeyOption),
            Success);
  store.closeKey(key);
  EXPECT_EQ(onFile(machine, volatileRows), 1);
}

TEST(RegistryStoreHandles, AClosedHandleStaysUnknownWhenAnotherTakesItsPlace) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  constexpr size_t count = 40;
  std::vector<KeyHandle> first(count);
  for (size_t i = 0; i < count; ++i) {
    const std::string path = "Software\\First" + std::to_string(i);
    ASSERT_EQ(createKey(store, root_key::CurrentUser, path.c_str(), &first[i]), Success);
    ASSERT_EQ(setText(store, first[i], "v", path), Success);
  }
  for (size_t i = 0; i < count; i += 2) ASSERT_EQ(store.closeKey(first[i]), Success);
  std::vector<KeyHandle> second(count / 2);
  for (KeyHandle& key : second) {
    ASSERT_EQ(store.openKey(root_key::CurrentUser, "Software\\First1", AllRights, &key), Success);
  }
  EXPECT_EQ(store.openHandleCount(), static_cast<int>(count));
  uint32_t size = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i % 2 == 0) {
      EXPECT_EQ(store.queryValue(first[i], "v", nullptr, nullptr, &size), InvalidHandle) << i;
      EXPECT_EQ(store.closeKey(first[i]), InvalidHandle) << i;
    } else {
      EXPECT_EQ(queryText(store, first[i], "v"), "Software\\First" + std::to_string(i));
      EXPECT_EQ(store.closeKey(first[i]), Success);
    }
  }
  for (const KeyHandle key : second) {
    EXPECT_EQ(queryText(store, key, "v"), "Software\\First1");
    EXPECT_EQ(store.closeKey(key), Success);
  }
  EXPECT_EQ(store.openHandleCount(), 0);
}

TEST(RegistryStoreRoots, DynDataDoesNotExist) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  EXPECT_EQ(store.openKey(root_key::DynData, "", key_access::QueryValue, &key), InvalidHandle);
  EXPECT_EQ(createKey(store, root_key::DynData, "Software", &key), InvalidHandle);
  EXPECT_EQ(store.closeKey(root_key::DynData), InvalidHandle);
  EXPECT_EQ(store.closeKey(root_key::LocalMachine), Success);
}

TEST(RegistryStoreEnumeration, ListsAHundredThousandValuesInOrderAndJumpsAnywhere) {
  TemporaryDirectory directory;
  constexpr uint32_t count = 100000;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle key = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Many", &key), Success);
  {
    RegistryDatabase filler(directory.path() / "user.sqlite3", 0600, 0700, {"HKEY_CURRENT_USER"});
    TransactionStatements statements(filler.connection());
    Transaction transaction(statements);
    const KeyId many = *filler.findSubKey(filler.rootKey("HKEY_CURRENT_USER"), "Many");
    // Names descend while creation order ascends, so an ordering by name would show.
    for (uint32_t value = 0; value < count; ++value) {
      filler.setValue(many, "v" + std::to_string(count - value), value_type::Number, "1234");
    }
    transaction.commit();
  }
  auto nameAt = [&](uint32_t index) {
    char name[32];
    uint32_t length = sizeof name;
    uint32_t size = 0;
    const RegistryStatus status =
        store.enumValue(key, index, name, &length, nullptr, nullptr, &size);
    return status == Success && size == 4 ? std::string(name, length) : std::to_string(status);
  };
  for (uint32_t index = 0; index < count; ++index) {
    ASSERT_EQ(nameAt(index), "v" + std::to_string(count - index));
  }
  EXPECT_EQ(nameAt(count), std::to_string(NoMoreItems));
  EXPECT_EQ(nameAt(5), "v99995");
  EXPECT_EQ(nameAt(5), "v99995");
  EXPECT_EQ(nameAt(70000), "v30000");
  EXPECT_EQ(nameAt(69999), "v30001");
  store.closeKey(key);
}

TEST(RegistryStoreEnumeration, SubKeysJumpForwardAndBack) {
  TemporaryDirectory directory;
  RegistryStore store(RegistryLocation::inDirectory(directory.path()));
  KeyHandle parent = 0;
  ASSERT_EQ(createKey(store, root_key::CurrentUser, "Parent", &parent), Success);
  for (const char* name : {"d", "B", "a", "C", "e"}) {
    KeyHandle child = 0;
    ASSERT_EQ(createKey(store, parent, name, &child), Success);
    store.closeKey(child);
  }
  auto nameAt = [&](uint32_t index) {
    char name[8];
    const RegistryStatus status = store.enumKey(parent, index, name, sizeof name);
    return status == Success ? std::string(name) : std::to_string(status);
  };
  EXPECT_EQ(nameAt(3), "d");
  EXPECT_EQ(nameAt(4), "e");
  EXPECT_EQ(nameAt(1), "B");
  EXPECT_EQ(nameAt(1), "B");
  EXPECT_EQ(nameAt(2), "C");
  EXPECT_EQ(nameAt(0), "a");
  EXPECT_EQ(nameAt(5), std::to_string(NoMoreItems));
  store.closeKey(parent);
  EXPECT_EQ(store.openHandleCount(), 0);
}

}  // namespace
}  // namespace zarn
