// Every call of the table of cases (tests/cases/table/*.txt, read here, in
// order, each file in a folder of its own) is run again and again with its
// n-th allocation failing, for n = 1, 2, ... until a run goes through
// without the failure: each failed run must answer error 7 (out of memory),
// leave no key handle open, and leave the registry and the INI files as
// they were or as the call, completed, leaves them. The state is put back
// after every run that changed it. The completed run must give the table's
// answer. SQLite's own allocations (malloc) are not counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "call_request.h"
#include "call_target.h"
#include "command_line.h"
#include "platform/registry_service.h"
#include "result_output.h"
#include "support/registry_fixture.h"
#include "zarnutils/automation_error.h"

namespace {

// Allocations left before the one that fails; 0 while nothing is to fail.
std::atomic<long> allocationsLeft{0};
std::atomic<bool> allocationFailed{false};

void* allocate(std::size_t size) {
  if (allocationsLeft.load(std::memory_order_relaxed) > 0 && --allocationsLeft == 0) {
    allocationFailed = true;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace zarn {
namespace {

namespace fs = std::filesystem;

struct Case {
  std::string where;  // file:line
  std::string call;   // the batch line
  std::string expected;
  bool nativeAnswer;  // false: the table gives the answer of win32 only
};

std::vector<Case> casesOf(const fs::path& file, const std::string& iniFolder) {
  std::ifstream in(file);
  std::vector<Case> cases;
  std::string line;
  std::string call;
  int number = 0;
  int callLine = 0;
  bool win32Only = false;
  while (std::getline(in, line)) {
    ++number;
    if (line.rfind("# win32-only:", 0) == 0) win32Only = true;
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("> ", 0) == 0) {
      call = line.substr(2);
      callLine = number;
      for (size_t at = call.find("{dir}"); at != std::string::npos; at = call.find("{dir}")) {
        call.replace(at, 5, iniFolder);
      }
      continue;
    }
    cases.push_back(
        {file.filename().string() + ":" + std::to_string(callLine), call, line, !win32Only});
    win32Only = false;
  }
  return cases;
}

// The registry below a key, in the order the store lists it, and every INI
// file of a folder: what a call may change.
struct RegistryEntry {
  std::string key;
  std::string value;  // empty with type 0xFFFFFFFF: the key itself
  uint32_t type;
  std::string data;
  bool operator==(const RegistryEntry&) const = default;
};

struct State {
  std::vector<RegistryEntry> registry;
  std::map<std::string, std::string> files;
  bool operator==(const State&) const = default;
};

constexpr uint32_t KeyItself = 0xFFFFFFFF;
constexpr uint32_t AllRights = key_access::QueryValue | key_access::SetValue |
                               key_access::CreateSubKey | key_access::EnumerateSubKeys;
const KeyHandle CurrentUser = rootKeyHandle(root_key::CurrentUser);

void readTree(const std::string& path, std::vector<RegistryEntry>& entries) {
  KeyHandle key = 0;
  if (RegistryService::RegOpenKeyExA(CurrentUser, path.c_str(), 0, AllRights, &key) != 0) return;
  entries.push_back({path, "", KeyItself, ""});
  for (uint32_t index = 0;; ++index) {
    char name[1024];
    uint32_t nameLength = sizeof name;
    uint32_t type = 0;
    uint8_t data[8192];
    uint32_t size = sizeof data;
    if (RegistryService::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data,
                                       &size) != 0) {
      break;
    }
    entries.push_back({path, std::string(name, nameLength), type,
                       std::string(reinterpret_cast<char*>(data), size)});
  }
  std::vector<std::string> children;
  for (uint32_t index = 0;; ++index) {
    char name[1024];
    if (RegistryService::RegEnumKeyA(key, index, name, sizeof name) != 0) break;
    children.emplace_back(name);
  }
  RegistryService::RegCloseKey(key);
  for (const std::string& child : children) readTree(path + "\\" + child, entries);
}

std::string bytesOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string casesKey = "Software\\ZarnUtilsCases";

State stateOf(const fs::path& iniFolder) {
  State state;
  readTree(casesKey, state.registry);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(iniFolder)) {
    state.files[entry.path().string()] = entry.is_regular_file() ? bytesOf(entry.path()) : "/";
  }
  return state;
}

void restore(const State& state, const fs::path& iniFolder) {
  zarn::test_support::deleteTree(casesKey);
  for (const RegistryEntry& entry : state.registry) {
    KeyHandle key = 0;
    ASSERT_EQ(RegistryService::RegCreateKeyExA(CurrentUser, entry.key.c_str(), 0, "", 0, AllRights,
                                               nullptr, &key, nullptr),
              0);
    if (entry.type != KeyItself) {
      ASSERT_EQ(RegistryService::RegSetValueExA(key, entry.value.c_str(), 0, entry.type,
                                                reinterpret_cast<const uint8_t*>(entry.data.data()),
                                                static_cast<uint32_t>(entry.data.size())),
                0);
    }
    RegistryService::RegCloseKey(key);
  }
  fs::remove_all(iniFolder);
  fs::create_directories(iniFolder);
  for (const auto& [name, bytes] : state.files) {
    if (bytes == "/") {
      fs::create_directories(name);
    } else {
      std::ofstream(name, std::ios::binary) << bytes;
    }
  }
}

// What first has that second has not.
std::string beyond(const State& first, const State& second) {
  std::string text;
  for (const RegistryEntry& entry : first.registry) {
    if (std::find(second.registry.begin(), second.registry.end(), entry) != second.registry.end()) {
      continue;
    }
    text += entry.key + (entry.type == KeyItself ? "" : "[" + entry.value + "]") + "; ";
  }
  for (const auto& [name, bytes] : first.files) {
    const auto found = second.files.find(name);
    if (found == second.files.end() || found->second != bytes) {
      text +=
          fs::path(name).filename().string() + " (" + std::to_string(bytes.size()) + " bytes); ";
    }
  }
  return text;
}

std::string answerOf(const cli::CallOutcome& outcome) {
  return outcome.status.succeeded() ? cli::jsonResult(outcome.result)
                                    : cli::jsonError(outcome.status.error);
}

struct Attempt {
  bool failed;  // the countdown reached its allocation
  std::string answer;
};

// One call with the allocation after failAfter - 1 others failing (none
// with 0).
Attempt runCall(const cli::CallRequest& request, long failAfter) {
  cli::InProcessCallTarget target;
  allocationFailed = false;
  allocationsLeft = failAfter;
  std::string answer;
  try {
    const cli::CallOutcome outcome = target.call(request);
    allocationsLeft = 0;
    answer = answerOf(outcome);
  } catch (const std::bad_alloc&) {
    allocationsLeft = 0;
    answer = "std::bad_alloc escaped the call";
  }
  return {allocationFailed, answer};
}

TEST(AllocationCountdown, EveryCallOfTheTableCompletesOrAnswersOutOfMemory) {
  const std::string outOfMemory = cli::jsonError(error::OutOfMemory);
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(ZARN_CASE_TABLE)) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  const fs::path scratch = fs::path(ZARN_FAULT_SCRATCH);
  fs::remove_all(scratch);
  int calls = 0;
  long runs = 0;
  for (const fs::path& file : files) {
    const fs::path iniFolder = scratch / file.stem();
    fs::create_directories(iniFolder);
    for (const Case& item : casesOf(file, iniFolder.string())) {
      // Split at every tab, as zarnutils --batch does: a last empty field counts.
      std::vector<std::string> fields(1);
      for (const char character : item.call) {
        if (character == '\t') {
          fields.emplace_back();
        } else {
          fields.back() += character;
        }
      }
      cli::CallRequest request;
      try {
        request = cli::parseCallRequest(fields);
      } catch (const cli::UsageError&) {
        continue;  // the table's usage cases call nothing
      }
      ++calls;
      const State before = stateOf(iniFolder);
      std::vector<std::pair<long, State>> failedStates;
      Attempt run;
      for (long failAfter = 1;; ++failAfter) {
        run = runCall(request, failAfter);
        ++runs;
        EXPECT_EQ(RegistryService::openHandleCount(), 0)
            << item.where << ", allocation " << failAfter;
        if (!run.failed) break;
        EXPECT_EQ(run.answer, outOfMemory) << item.where << ", allocation " << failAfter;
        State after = stateOf(iniFolder);
        if (after != before) {
          failedStates.emplace_back(failAfter, std::move(after));
          restore(before, iniFolder);
        }
      }
      if (item.nativeAnswer) {
        EXPECT_EQ(run.answer, item.expected) << item.where;
      }
      const State completed = stateOf(iniFolder);
      for (const auto& [failAfter, state] : failedStates) {
        EXPECT_TRUE(state == completed)
            << item.where << ": allocation " << failAfter << " left a half-made change: with "
            << beyond(state, completed) << "without " << beyond(completed, state);
      }
    }
  }
  EXPECT_GT(calls, 200);
  std::printf("%d calls, %ld runs\n", calls, runs);
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace zarn
