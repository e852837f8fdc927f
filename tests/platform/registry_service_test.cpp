// The registry operations as the component relies on them, run against the
// platform's registry on win32 (under Wine) and against our store natively.
// Where Wine departs from Windows the case says so and runs natively only.
#include "platform/registry_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/platform_marks.h"
#include "support/registry_fixture.h"

namespace zarn {
namespace {

using namespace registry_status;
using Service = RegistryService;

constexpr uint32_t AllRights = key_access::QueryValue | key_access::SetValue |
                               key_access::CreateSubKey | key_access::EnumerateSubKeys;

RegistryStatus createKey(KeyHandle base, const std::string& path, KeyHandle* key,
                         uint32_t* disposition = nullptr, uint32_t access = AllRights,
                         uint32_t options = 0) {
  const SecurityAttributes security;
  uint32_t ignored = 0;
  return Service::RegCreateKeyExA(base, path.c_str(), 0, "", options, access, &security, key,
                                  disposition ? disposition : &ignored);
}

RegistryStatus createVolatileKey(KeyHandle base, const std::string& path, KeyHandle* key) {
  return createKey(base, path, key, nullptr, AllRights, VolatileKeyOption);
}

RegistryStatus openKey(KeyHandle base, const std::string& path, uint32_t access, KeyHandle* key) {
  return Service::RegOpenKeyExA(base, path.c_str(), 0, access, key);
}

// The platform stores one byte more of a text whose size leaves out its NUL
// when the byte after the data happens to be a NUL; a byte that is not one
// after the data keeps every store to exactly the bytes given.
RegistryStatus setBytes(KeyHandle key, const char* name, uint32_t type, const std::string& bytes) {
  const std::string followed = bytes + '#';
  return Service::RegSetValueExA(key, name, 0, type,
                                 reinterpret_cast<const uint8_t*>(followed.data()),
                                 static_cast<uint32_t>(bytes.size()));
}

// The value's bytes exactly as stored, or nothing when the query fails.
std::optional<std::string> queryBytes(KeyHandle key, const char* name, uint32_t* type = nullptr) {
  uint32_t size = 0;
  if (Service::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != Success) return {};
  std::string bytes(size, '\0');
  if (Service::RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<uint8_t*>(bytes.data()),
                                &size) != Success) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

std::vector<std::string> subKeyNames(KeyHandle key) {
  std::vector<std::string> names;
  char name[2048];
  for (uint32_t index = 0; Service::RegEnumKeyA(key, index, name, sizeof name) == Success;
       ++index) {
    names.emplace_back(name);
  }
  return names;
}

std::vector<std::string> valueNames(KeyHandle key) {
  std::vector<std::string> names;
  char name[2048];
  for (uint32_t index = 0;; ++index) {
    uint32_t length = sizeof name;
    if (Service::RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        Success) {
      return names;
    }
    names.emplace_back(name, length);
  }
}

// Each test works in a key of its own under HKCU\Software\ZarnUtilsTests and
// must give back every handle it opened.
class RegistryServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handlesAtStart_ = Service::openHandleCount();
    path_ = std::string("Software\\ZarnUtilsTests\\") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    test_support::deleteTree(path_);
    ASSERT_EQ(createKey(rootKeyHandle(root_key::CurrentUser), path_, &key_), Success);
  }

  void TearDown() override {
    EXPECT_EQ(Service::RegCloseKey(key_), Success);
    test_support::deleteTree(path_);
    KeyHandle gone = 0;
    EXPECT_EQ(openKey(rootKeyHandle(root_key::CurrentUser), path_, key_access::QueryValue, &gone),
              NotFound);
    EXPECT_EQ(Service::openHandleCount(), handlesAtStart_);
  }

  // Opens path under the test key; the handle is closed at the end.
  KeyHandle open(const std::string& path, uint32_t access) {
    KeyHandle key = 0;
    EXPECT_EQ(openKey(key_, path, access, &key), Success) << path;
    opened_.push_back(key);
    return key;
  }

  void closeOpened() {
    for (const KeyHandle key : opened_) EXPECT_EQ(Service::RegCloseKey(key), Success);
    opened_.clear();
  }

  KeyHandle key_ = 0;
  std::string path_;
  std::vector<KeyHandle> opened_;
  int handlesAtStart_ = 0;
};

TEST_F(RegistryServiceTest, CreatesEveryMissingKeyAndOpensExistingOnes) {
  KeyHandle key = 0;
  EXPECT_EQ(openKey(key_, "A\\B\\C", key_access::QueryValue, &key), NotFound);
  uint32_t disposition = 0;
  ASSERT_EQ(createKey(key_, "A\\B\\C", &key, &disposition), Success);
  EXPECT_EQ(disposition, 1u);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  ASSERT_EQ(createKey(key_, "a\\b\\c", &key, &disposition), Success);
  EXPECT_EQ(disposition, 2u);
  EXPECT_EQ(Service::RegCloseKey(key), Success);

  ASSERT_EQ(setBytes(open("A\\B\\C", key_access::SetValue), "v", value_type::Binary, "x"), Success);
  EXPECT_EQ(queryBytes(open("a\\B\\c", key_access::QueryValue), "v"), "x");
  EXPECT_EQ(queryBytes(open("A\\B\\C\\", key_access::QueryValue), "v"), "x");
  EXPECT_EQ(queryBytes(open("A\\\\B\\C", key_access::QueryValue), "v"), "x");
  const KeyHandle self = open("", key_access::QueryValue);
  EXPECT_NE(self, key_);
  closeOpened();
  EXPECT_EQ(subKeyNames(key_), std::vector<std::string>{"A"});
}

TEST_F(RegistryServiceTest, RefusesBadPathsAndOverlongNames) {
  KeyHandle key = 0;
  EXPECT_EQ(openKey(key_, "\\A", key_access::QueryValue, &key), BadPathName);
  EXPECT_EQ(createKey(key_, "\\A", &key), BadPathName);

  const std::string longest(255, 'k');
  ASSERT_EQ(createKey(key_, longest, &key), Success);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  EXPECT_EQ(createKey(key_, longest + "kk", &key), InvalidParameter);
  EXPECT_EQ(openKey(key_, longest + "kk", key_access::QueryValue, &key), InvalidParameter);

  const std::string longestValueName(16383, 'v');
  EXPECT_EQ(setBytes(key_, longestValueName.c_str(), value_type::Text, ""), Success);
  EXPECT_EQ(setBytes(key_, (longestValueName + "v").c_str(), value_type::Text, ""),
            InvalidParameter);
  EXPECT_EQ(queryBytes(key_, (longestValueName + "v").c_str()), std::nullopt);
}

TEST_F(RegistryServiceTest, AFailedOpenOrCreateLeavesNoHandle) {
  KeyHandle key = 0x1234;
  EXPECT_EQ(openKey(key_, "Missing", key_access::QueryValue, &key), NotFound);
  EXPECT_EQ(key, 0u);
  key = 0x1234;
  EXPECT_EQ(createKey(key_, "\\Bad", &key), BadPathName);
  EXPECT_EQ(key, 0u);
  // A base of 0 is refused before the result is touched.
  key = 0x1234;
  EXPECT_EQ(openKey(0, "", key_access::QueryValue, &key), InvalidHandle);
  EXPECT_EQ(key, 0x1234u);

  // With nowhere to put the handle, creation answers a bad key and makes
  // nothing. Wine 8 writes through the null pointer and crashes.
  if (test_support::runsOnWine) return;
  const SecurityAttributes security;
  uint32_t disposition = 0;
  EXPECT_EQ(Service::RegCreateKeyExA(key_, "Unkept", 0, "", 0, AllRights, &security, nullptr,
                                     &disposition),
            BadKey);
  EXPECT_EQ(openKey(key_, "Unkept", key_access::QueryValue, &key), NotFound);
}

TEST_F(RegistryServiceTest, ARootOpenedAsItselfIsItsOwnHandle) {
  const int handlesBefore = Service::openHandleCount();
  for (const char* self : {static_cast<const char*>(nullptr), ""}) {
    KeyHandle key = 0;
    ASSERT_EQ(Service::RegOpenKeyExA(rootKeyHandle(root_key::CurrentUser), self, 0,
                                     key_access::QueryValue, &key),
              Success);
    EXPECT_EQ(key, rootKeyHandle(root_key::CurrentUser));
    EXPECT_EQ(Service::RegCloseKey(key), Success);
  }
  EXPECT_EQ(Service::openHandleCount(), handlesBefore);
}

TEST_F(RegistryServiceTest, ClassesRootTakesALeadingBackslash) {
  const KeyHandle classes = rootKeyHandle(root_key::ClassesRoot);
  const std::string name = "ZarnUtilsTests_" + path_.substr(path_.rfind('\\') + 1);
  KeyHandle key = 0;
  ASSERT_EQ(createKey(classes, name, &key), Success);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  EXPECT_EQ(openKey(classes, "\\" + name, key_access::QueryValue, &key), Success);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  // "\\" alone is the root, in a handle of its own.
  ASSERT_EQ(openKey(classes, "\\", key_access::QueryValue, &key), Success);
  EXPECT_NE(key, classes);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  EXPECT_EQ(Service::RegDeleteKeyA(classes, name.c_str()), Success);
  // Elsewhere a leading backslash stays a bad path.
  EXPECT_EQ(
      openKey(rootKeyHandle(root_key::CurrentUser), "\\" + path_, key_access::QueryValue, &key),
      BadPathName);
}

TEST_F(RegistryServiceTest, UnderAVolatileKeyOnlyVolatileKeysAreMade) {
  KeyHandle fleeting = 0;
  ASSERT_EQ(createVolatileKey(key_, "Fleeting", &fleeting), Success);
  KeyHandle child = 0;
  EXPECT_EQ(createKey(fleeting, "Child", &child), ChildMustBeVolatile);
  EXPECT_EQ(createKey(key_, "Fleeting\\Child\\Grandchild", &child), ChildMustBeVolatile);
  EXPECT_EQ(openKey(fleeting, "Child", key_access::QueryValue, &child), NotFound);
  ASSERT_EQ(createVolatileKey(fleeting, "Child\\Grandchild", &child), Success);
  EXPECT_EQ(Service::RegCloseKey(child), Success);
  // A key that exists is opened whatever the option.
  uint32_t disposition = 0;
  ASSERT_EQ(createKey(fleeting, "Child", &child, &disposition), Success);
  EXPECT_EQ(disposition, 2u);
  EXPECT_EQ(Service::RegCloseKey(child), Success);
  EXPECT_EQ(Service::RegCloseKey(fleeting), Success);
  // A volatile key may sit under one that is not, and be listed with it.
  EXPECT_EQ(subKeyNames(key_), std::vector<std::string>{"Fleeting"});
}

TEST_F(RegistryServiceTest, KeyNamesEndAt255Characters) {
  ZARN_NATIVE_ONLY("accepts key names of 256 characters");
  KeyHandle key = 0;
  EXPECT_EQ(createKey(key_, std::string(256, 'k'), &key), InvalidParameter);
}

TEST_F(RegistryServiceTest, ClosingZeroOrAClosedHandleIsAnInvalidHandle) {
  EXPECT_EQ(Service::RegCloseKey(0), InvalidHandle);
  KeyHandle key = 0;
  ASSERT_EQ(createKey(key_, "K", &key), Success);
  EXPECT_EQ(Service::openHandleCount(), handlesAtStart_ + 2);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  EXPECT_EQ(Service::RegCloseKey(key), InvalidHandle);
  EXPECT_EQ(Service::openHandleCount(), handlesAtStart_ + 1);
}

TEST_F(RegistryServiceTest, HandlesCarryTheAccessTheyWereOpenedWith) {
  ASSERT_EQ(setBytes(key_, "v", value_type::Text, "x"), Success);
  const KeyHandle reader = open("", key_access::QueryValue);
  EXPECT_EQ(setBytes(reader, "v", value_type::Text, "y"), AccessDenied);
  EXPECT_EQ(Service::RegDeleteValueA(reader, "v"), AccessDenied);
  char name[16];
  EXPECT_EQ(Service::RegEnumKeyA(reader, 0, name, sizeof name), AccessDenied);
  EXPECT_EQ(queryBytes(reader, "v"), "x");

  const KeyHandle writer = open("", key_access::SetValue);
  uint32_t size = 0;
  EXPECT_EQ(Service::RegQueryValueExA(writer, "v", nullptr, nullptr, nullptr, &size), AccessDenied);
  EXPECT_EQ(setBytes(writer, "v", value_type::Text, "y"), Success);
  closeOpened();
  EXPECT_EQ(queryBytes(key_, "v"), "y");
}

TEST_F(RegistryServiceTest, SubKeysComeOutByUpperCasedName) {
  for (const char* name : {"b", "ZETA", "A", "c"}) {
    KeyHandle key = 0;
    ASSERT_EQ(createKey(key_, name, &key), Success);
    EXPECT_EQ(Service::RegCloseKey(key), Success);
  }
  EXPECT_EQ(subKeyNames(key_), (std::vector<std::string>{"A", "b", "c", "ZETA"}));
  char name[2048];
  EXPECT_EQ(Service::RegEnumKeyA(key_, 4, name, sizeof name), NoMoreItems);
  EXPECT_EQ(Service::RegEnumKeyA(key_, 3, name, 4), MoreData);  // "ZETA" and its NUL need 5
  EXPECT_EQ(Service::RegEnumKeyA(key_, 3, name, sizeof name), Success);
  EXPECT_STREQ(name, "ZETA");
  EXPECT_EQ(Service::RegEnumKeyA(key_, 0, name, sizeof name), Success);
  EXPECT_STREQ(name, "A");
}

TEST_F(RegistryServiceTest, PunctuationSortsAfterLettersAsUpperCase) {
  ZARN_NATIVE_ONLY("subkey names are folded to lower case for sorting");
  for (const char* name : {"_x", "ZETA", "a"}) {
    KeyHandle key = 0;
    ASSERT_EQ(createKey(key_, name, &key), Success);
    EXPECT_EQ(Service::RegCloseKey(key), Success);
  }
  EXPECT_EQ(subKeyNames(key_), (std::vector<std::string>{"a", "ZETA", "_x"}));
}

TEST_F(RegistryServiceTest, ValuesComeOutInCreationOrder) {
  for (const char* name : {"zulu", "alpha", "Mike"}) {
    ASSERT_EQ(setBytes(key_, name, value_type::Text, name), Success);
  }
  ASSERT_EQ(setBytes(key_, "ALPHA", value_type::Number, "1234"), Success);
  const std::vector<std::string> names = valueNames(key_);
  if (test_support::runsOnWine) {
    // Wine lists values sorted by name.
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{"zulu", "alpha", "Mike"}));
  } else {
    EXPECT_EQ(names, (std::vector<std::string>{"zulu", "alpha", "Mike"}));
  }
}

TEST_F(RegistryServiceTest, NamesCompareIgnoringCaseAndKeepTheirCase) {
  ASSERT_EQ(setBytes(key_, "MixedCase", value_type::Text, std::string("one", 4)), Success);
  ASSERT_EQ(setBytes(key_, "MIXEDCASE", value_type::Text, std::string("two", 4)), Success);
  EXPECT_EQ(queryBytes(key_, "mixedcase"), std::string("two", 4));
  EXPECT_EQ(valueNames(key_), std::vector<std::string>{"MixedCase"});

  KeyHandle key = 0;
  uint32_t disposition = 0;
  ASSERT_EQ(createKey(key_, "SubKey", &key, &disposition), Success);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  ASSERT_EQ(createKey(key_, "SUBKEY", &key, &disposition), Success);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  EXPECT_EQ(disposition, 2u);
  EXPECT_EQ(subKeyNames(key_), std::vector<std::string>{"SubKey"});
}

TEST_F(RegistryServiceTest, QueryReportsSizeAndLeavesASmallBufferUntouched) {
  ASSERT_EQ(setBytes(key_, "greeting", value_type::Text, std::string("hello", 6)), Success);
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(Service::RegQueryValueExA(key_, "greeting", nullptr, &type, nullptr, &size), Success);
  EXPECT_EQ(type, value_type::Text);
  EXPECT_EQ(size, 6u);

  uint8_t buffer[4] = {'#', '#', '#', '#'};
  size = sizeof buffer;
  EXPECT_EQ(Service::RegQueryValueExA(key_, "greeting", nullptr, &type, buffer, &size), MoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(buffer, buffer + 4), "####");

  // A missing value: a size probe learns 0, a read keeps its buffer's size.
  size = sizeof buffer;
  EXPECT_EQ(Service::RegQueryValueExA(key_, "missing", nullptr, &type, buffer, &size), NotFound);
  EXPECT_EQ(size, sizeof buffer);
  EXPECT_EQ(Service::RegQueryValueExA(key_, "missing", nullptr, &type, nullptr, &size), NotFound);
  EXPECT_EQ(size, 0u);
}

TEST_F(RegistryServiceTest, TypeAndSizeMayBeOneVariable) {
  // The size is read before the type is written, and the size written last.
  ASSERT_EQ(setBytes(key_, "greeting", value_type::Text, std::string("hello", 6)), Success);
  uint8_t buffer[8] = {};
  uint32_t both = sizeof buffer;
  EXPECT_EQ(Service::RegQueryValueExA(key_, "greeting", nullptr, &both, buffer, &both), Success);
  EXPECT_EQ(both, 6u);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "hello");

  char name[16];
  uint32_t length = sizeof name;
  both = sizeof buffer;
  EXPECT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, &both, buffer, &both), Success);
  EXPECT_EQ(both, 6u);
}

TEST_F(RegistryServiceTest, TextComesBackExactlyAsStored) {
  ASSERT_EQ(setBytes(key_, "bare", value_type::Text, "abc"), Success);
  ASSERT_EQ(setBytes(key_, "empty", value_type::Text, ""), Success);
  ASSERT_EQ(setBytes(key_, "bytes", value_type::Binary, std::string("\0\1\0", 3)), Success);
  uint32_t type = 0;
  EXPECT_EQ(queryBytes(key_, "bare", &type), "abc");
  EXPECT_EQ(type, value_type::Text);
  EXPECT_EQ(queryBytes(key_, "empty", &type), "");
  EXPECT_EQ(type, value_type::Text);
  EXPECT_EQ(queryBytes(key_, "bytes", &type), std::string("\0\1\0", 3));
  EXPECT_EQ(type, value_type::Binary);
}

// A text stored without its final NUL reports its stored size, and a narrow
// read adds one NUL after the data when the buffer has room for it (one
// only, even for a REG_MULTI_SZ), outside the size it reports.
TEST_F(RegistryServiceTest, TextWithoutItsNulGetsOneWhenTheBufferHasRoom) {
  struct Row {
    uint32_t type;
    std::string stored;
    std::string readWithRoom;  // the buffer's first stored.size() + 2 bytes
  };
  const Row rows[] = {
      {value_type::Text, "abc", std::string("abc\0#", 5)},
      {value_type::ExpandText, "%x%", std::string("%x%\0#", 5)},
      {value_type::MultiText, std::string("a\0bc", 4), std::string("a\0bc\0#", 6)},
      {value_type::Text, std::string("ab\0", 3), std::string("ab\0##", 5)},  // ends in a NUL
      {value_type::Binary, "abc", "abc##"},                                  // no text
      {value_type::Text, "", "##"},                                          // nothing stored
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.type);
    SCOPED_TRACE(row.stored);
    ASSERT_EQ(setBytes(key_, "v", row.type, row.stored), Success);
    const auto stored = static_cast<uint32_t>(row.stored.size());
    uint32_t size = 0;
    EXPECT_EQ(Service::RegQueryValueExA(key_, "v", nullptr, nullptr, nullptr, &size), Success);
    EXPECT_EQ(size, stored);
    for (const uint32_t room : {stored, stored + 2}) {
      std::string buffer(stored + 2, '#');
      size = room;
      EXPECT_EQ(Service::RegQueryValueExA(key_, "v", nullptr, nullptr,
                                          reinterpret_cast<uint8_t*>(buffer.data()), &size),
                Success);
      EXPECT_EQ(size, stored);
      EXPECT_EQ(buffer, room == stored ? row.stored + "##" : row.readWithRoom) << "room " << room;

      std::string listed(stored + 2, '#');
      char name[8];
      uint32_t length = sizeof name;
      size = room;
      EXPECT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, nullptr,
                                       reinterpret_cast<uint8_t*>(listed.data()), &size),
                Success);
      EXPECT_EQ(listed, buffer);
    }
  }
  uint8_t small[2] = {'#', '#'};
  uint32_t size = sizeof small;
  ASSERT_EQ(setBytes(key_, "v", value_type::Text, "abc"), Success);
  EXPECT_EQ(Service::RegQueryValueExA(key_, "v", nullptr, nullptr, small, &size), MoreData);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(small[0], '#');
}

TEST_F(RegistryServiceTest, TheDefaultValueHasTheEmptyName) {
  EXPECT_EQ(queryBytes(key_, ""), std::nullopt);
  EXPECT_EQ(queryBytes(key_, nullptr), std::nullopt);
  ASSERT_EQ(setBytes(key_, "", value_type::Text, std::string("d", 2)), Success);
  EXPECT_EQ(queryBytes(key_, nullptr), std::string("d", 2));
  EXPECT_EQ(valueNames(key_), std::vector<std::string>{""});
  EXPECT_EQ(Service::RegDeleteValueA(key_, ""), Success);
  EXPECT_EQ(queryBytes(key_, ""), std::nullopt);
  EXPECT_EQ(Service::RegDeleteValueA(key_, ""), NotFound);
}

TEST_F(RegistryServiceTest, EnumeratingValuesReportsNamesTypesAndSizes) {
  ASSERT_EQ(setBytes(key_, "count", value_type::Number, std::string("\x2A\0\0\0", 4)), Success);
  char name[2048];
  uint32_t length = sizeof name;
  uint32_t type = 0;
  uint32_t size = 2048;
  ASSERT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, &type, nullptr, &size),
            Success);
  EXPECT_EQ(std::string(name, length), "count");
  EXPECT_EQ(type, value_type::Number);
  EXPECT_EQ(size, 4u);

  uint8_t data[4] = {};
  size = 2;
  length = sizeof name;
  EXPECT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, &type, data, &size), MoreData);
  size = sizeof data;
  length = sizeof name;
  ASSERT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, &type, data, &size), Success);
  EXPECT_EQ(data[0], 0x2A);

  length = 5;  // no room for the NUL
  EXPECT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, &type, nullptr, nullptr),
            MoreData);

  // A name that does not fit keeps its length, and the data still comes.
  uint8_t filled[4] = {};
  type = 0;
  size = sizeof filled;
  length = 3;
  EXPECT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, &type, filled, &size),
            MoreData);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(type, value_type::Number);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(filled[0], 0x2A);

  // Data that does not fit leaves the name and its length alone.
  std::fill(std::begin(name), std::end(name), '#');
  length = sizeof name;
  size = 2;
  EXPECT_EQ(Service::RegEnumValueA(key_, 0, name, &length, nullptr, &type, filled, &size),
            MoreData);
  EXPECT_EQ(length, sizeof name);
  EXPECT_EQ(name[0], '#');
  EXPECT_EQ(size, 4u);
  length = sizeof name;
  EXPECT_EQ(Service::RegEnumValueA(key_, 1, name, &length, nullptr, &type, nullptr, nullptr),
            NoMoreItems);
}

TEST_F(RegistryServiceTest, DeletesOnlyKeysWithoutSubKeys) {
  KeyHandle key = 0;
  ASSERT_EQ(createKey(key_, "Parent\\Child", &key), Success);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  ASSERT_EQ(setBytes(open("Parent\\Child", key_access::SetValue), "v", value_type::Text, "x"),
            Success);
  closeOpened();

  EXPECT_EQ(Service::RegDeleteKeyA(key_, "Parent"), AccessDenied);
  EXPECT_EQ(Service::RegDeleteKeyA(key_, "Missing"), NotFound);
  EXPECT_EQ(Service::RegDeleteKeyA(key_, "parent\\CHILD"), Success);
  EXPECT_EQ(openKey(key_, "Parent\\Child", key_access::QueryValue, &key), NotFound);
  ASSERT_EQ(createKey(key_, "Parent\\Child", &key), Success);
  EXPECT_EQ(queryBytes(key, "v"), std::nullopt);
  // No name is not the key itself: nothing goes.
  EXPECT_EQ(Service::RegDeleteKeyA(key, nullptr), InvalidParameter);
  EXPECT_EQ(Service::RegDeleteKeyA(key, ""), Success);
  EXPECT_EQ(Service::RegCloseKey(key), Success);
  EXPECT_EQ(Service::RegDeleteKeyA(key_, "Parent"), Success);
}

TEST_F(RegistryServiceTest, AKeyDeletedWhileOpenAnswersKeyDeleted) {
  KeyHandle doomed = 0;
  ASSERT_EQ(createKey(key_, "Doomed", &doomed), Success);
  ASSERT_EQ(setBytes(doomed, "v", value_type::Text, "x"), Success);
  ASSERT_EQ(Service::RegDeleteKeyA(key_, "Doomed"), Success);
  EXPECT_EQ(setBytes(doomed, "v", value_type::Text, "y"), KeyDeleted);
  uint32_t size = 0;
  EXPECT_EQ(Service::RegQueryValueExA(doomed, "v", nullptr, nullptr, nullptr, &size), KeyDeleted);
  char name[16];
  EXPECT_EQ(Service::RegEnumKeyA(doomed, 0, name, sizeof name), KeyDeleted);
  KeyHandle child = 0;
  EXPECT_EQ(createKey(doomed, "Child", &child), KeyDeleted);

  // A key created again under the same name is a different key.
  KeyHandle reborn = 0;
  ASSERT_EQ(createKey(key_, "Doomed", &reborn), Success);
  EXPECT_EQ(setBytes(doomed, "v", value_type::Text, "y"), KeyDeleted);
  EXPECT_EQ(Service::RegCloseKey(reborn), Success);
  EXPECT_EQ(Service::RegCloseKey(doomed), Success);
}

}  // namespace
}  // namespace zarn
