// The typed registry API, the same cases on every target: each value type
// through write, typed read, raw read and listing; the error model; keys,
// trees, views and transactions; and keys shared between threads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <thread>

#include "zarnutils/registry.h"
#include "zarnutils/store_location.h"

namespace zarn::registry {
namespace {

constexpr std::string_view testPath = "Software\\ZarnUtilsTests\\RegistryApi";

class RegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear();
    key = Key::create(Root::CurrentUser, testPath);
  }
  void TearDown() override { clear(); }
  static void clear() {
    std::error_code ignored;
    Key::create(Root::CurrentUser, "Software\\ZarnUtilsTests").deleteTree("RegistryApi", ignored);
  }
  Key key;
};

std::error_code status(int code) { return {code, registryCategory()}; }

TEST_F(RegistryKeyTest, EveryTypeReadsBackAsWrittenAndAsListed) {
  key.writeText("Text", "h\xC3\xA9llo");
  key.writeExpandText("Expand", "%ZARN_API_HOME%\\bin");
  key.writeMultiText("Multi", {"one", "\xE6\x97\xA5\xE6\x9C\xAC", "three"});
  key.writeMultiText("EmptyMulti", {});
  key.writeNumber("Number", 0x12345678);
  key.writeNumberBigEndian("BigEndian", 0x12345678);
  key.writeNumber64("Number64", 0x1122334455667788ull);
  key.writeBinary("Binary", {0, 1, 0xFF});
  key.writeValue("None", ValueType::None, {});
  key.writeText("", "default");

  EXPECT_EQ(key.readText("Text"), "h\xC3\xA9llo");
  EXPECT_EQ(key.readText("Expand"), "%ZARN_API_HOME%\\bin");
  EXPECT_EQ(key.readMultiText("Multi"),
            (std::vector<std::string>{"one", "\xE6\x97\xA5\xE6\x9C\xAC", "three"}));
  EXPECT_TRUE(key.readMultiText("EmptyMulti").empty());
  EXPECT_EQ(key.readNumber("Number"), 0x12345678u);
  EXPECT_EQ(key.readNumber("BigEndian"), 0x12345678u);
  EXPECT_EQ(key.readValue("BigEndian").data, (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(key.readNumber64("Number64"), 0x1122334455667788ull);
  EXPECT_EQ(key.readBinary("Binary"), (std::vector<uint8_t>{0, 1, 0xFF}));
  EXPECT_TRUE(key.readBinary("None").empty());
  EXPECT_EQ(key.readText(""), "default");

  const size_t nul = key.valueInfo("Text").size / 6;  // "héllo" and its NUL: 6 units
  EXPECT_EQ(key.valueInfo("Text").type, ValueType::Text);
  EXPECT_EQ(key.valueInfo("Number64").size, 8u);
  EXPECT_EQ(key.valueInfo("None").size, 0u);
  EXPECT_EQ(key.valueInfo("Multi").type, ValueType::MultiText);
  EXPECT_EQ(key.valueInfo("EmptyMulti").size, nul);

  std::vector<Value> listed = key.values();
  ASSERT_EQ(listed.size(), 10u);
  for (const Value& value : listed) {
    SCOPED_TRACE(value.name);
    EXPECT_EQ(value.type, key.valueInfo(value.name).type);
    EXPECT_EQ(value.data, key.readValue(value.name).data);
    if (value.type == ValueType::MultiText) {
      EXPECT_EQ(value.multiText(), key.readMultiText(value.name));
    }
    if (value.type == ValueType::Number64) {
      EXPECT_EQ(value.number64(), 0x1122334455667788ull);
    }
  }
  EXPECT_EQ(typeName(ValueType::NumberBigEndian), "REG_DWORD_BIG_ENDIAN");
}

TEST_F(RegistryKeyTest, ExpandedTextTakesTheEnvironment) {
#ifdef _WIN32
  _putenv_s("ZARN_API_HOME", "C:\\Zarn");
#else
  setenv("ZARN_API_HOME", "C:\\Zarn", 1);
#endif
  key.writeExpandText("Path", "%ZARN_API_HOME%\\bin;%ZARN_API_UNSET%");
  key.writeText("Plain", "%ZARN_API_HOME%");
  EXPECT_EQ(key.readExpandedText("Path"), "C:\\Zarn\\bin;%ZARN_API_UNSET%");
  EXPECT_EQ(key.readExpandedText("Plain"), "%ZARN_API_HOME%");
}

TEST_F(RegistryKeyTest, FallbacksAnswerOnlyForMissingValues) {
  key.writeText("Text", "x");
  EXPECT_EQ(key.readNumber("Missing", 80u), 80u);
  EXPECT_EQ(key.readText("Missing", "fallback"), "fallback");
  EXPECT_EQ(key.tryReadNumber64("Missing"), std::nullopt);
  EXPECT_EQ(key.tryReadText("Text"), "x");
  try {
    key.readNumber("Text", 80u);
    FAIL() << "a text read as a number";
  } catch (const Error& error) {
    EXPECT_EQ(error.status(), 1630);
    EXPECT_EQ(error.key(), "HKEY_CURRENT_USER\\Software\\ZarnUtilsTests\\RegistryApi");
    EXPECT_EQ(error.value(), "Text");
    EXPECT_NE(std::string(error.what()).find("does not hold that type"), std::string::npos);
  }
}

TEST_F(RegistryKeyTest, ErrorsFillTheCodeOrThrowAndBadInputChangesNothing) {
  std::error_code ec;
  EXPECT_FALSE(
      Key::open(Root::CurrentUser, "Software\\ZarnUtilsTests\\Nowhere", Access::Read, ec).isOpen());
  EXPECT_EQ(ec, status(2));
  EXPECT_STREQ(ec.category().name(), "registry");
  EXPECT_EQ(ec.message(), "not found");
  EXPECT_EQ(key.readText("Missing", ec), "");
  EXPECT_EQ(ec, status(2));
  EXPECT_THROW(key.deleteValue("Missing"), Error);

  struct BadWrite {
    const char* what;
    std::function<void(std::error_code&)> write;
    int status;
  };
  const std::string nulName("a\0b", 3);
  const BadWrite cases[] = {
      {"NUL in a name", [&](std::error_code& e) { key.writeNumber(nulName, 1, e); }, 87},
      {"NUL in a text", [&](std::error_code& e) { key.writeText("V", nulName, e); }, 87},
      {"name not UTF-8", [&](std::error_code& e) { key.writeNumber("\xC3(", 1, e); }, 1113},
      {"text not UTF-8", [&](std::error_code& e) { key.writeText("V", "\xED\xA0\x80", e); }, 1113},
      {"empty text in a list",
       [&](std::error_code& e) {
         key.writeMultiText("V", {"a", ""}, e);
       },
       87},
      {"path not UTF-8", [&](std::error_code& e) { key.createKey("\xFF", Access::ReadWrite, e); },
       1113},
  };
  for (const BadWrite& bad : cases) {
    SCOPED_TRACE(bad.what);
    bad.write(ec);
    EXPECT_EQ(ec, status(bad.status));
  }
  EXPECT_TRUE(key.values().empty());
  EXPECT_TRUE(key.subKeyNames().empty());

  Key closed;
  closed.writeNumber("V", 1, ec);
  EXPECT_EQ(ec, status(6));

  // A store that cannot be read or written is named by its file: natively
  // the root's own; Windows has none.
  const std::string userFile = registryStoreFile("HKCU\\Software");
  const std::string machineFile = registryStoreFile("hkey_local_machine");
#ifdef _WIN32
  EXPECT_EQ(userFile + machineFile, "");
#else
  EXPECT_TRUE(userFile.ends_with("/user.sqlite3")) << userFile;
  EXPECT_TRUE(machineFile.ends_with("/machine.sqlite3")) << machineFile;
#endif
  EXPECT_EQ(registryStoreFile("HKXX\\Software"), "");
  const std::string in = userFile.empty() ? "" : ", in " + userFile;
  EXPECT_EQ(std::string(Error(status(1016), "HKCU\\Software").what()),
            "HKCU\\Software" + in + ": the registry store could not be read or written");
}

TEST_F(RegistryKeyTest, AWatchWakesAtAChangeBelowTheKeyAndTimesOutWithout) {
  using namespace std::chrono_literals;
  ChangeWatch watch(key, true);
  EXPECT_FALSE(watch.wait(50ms));
  key.createKey("Sub").writeNumber("N", 1);
  EXPECT_TRUE(watch.wait(10s));
  std::error_code ec;
  ChangeWatch unopened(Key(), false, ec);
  EXPECT_EQ(ec, status(6));
  EXPECT_FALSE(unopened.wait(1ms, ec));
  EXPECT_EQ(ec, status(6));
}

TEST_F(RegistryKeyTest, KeysOpenListAndDeleteWholeTrees) {
  key.createKey("b\\deep\\deeper").writeNumber("N", 1);
  key.createKey("A");
  EXPECT_TRUE(Key::exists(Root::CurrentUser, std::string(testPath) + "\\b\\deep"));
  EXPECT_FALSE(Key::exists(Root::CurrentUser, std::string(testPath) + "\\c"));
  EXPECT_TRUE(key.hasKey("B\\DEEP"));
  EXPECT_EQ(key.subKeyNames(), (std::vector<std::string>{"A", "b"}));
  EXPECT_EQ(key.openKey("b\\deep").name(), std::string(key.name()) + "\\b\\deep");

  std::error_code ec;
  key.deleteKey("b", ec);
  EXPECT_EQ(ec, status(5));
  key.deleteTree("b");
  EXPECT_FALSE(key.hasKey("b"));
  EXPECT_EQ(key.subKeyNames(), std::vector<std::string>{"A"});
  key.deleteKey("A");
  key.deleteTree("A", ec);
  EXPECT_EQ(ec, status(2));

  Key readOnly = Key::open(Root::CurrentUser, testPath);
  readOnly.writeNumber("V", 1, ec);
  EXPECT_EQ(ec, status(5));

  Key moved = std::move(readOnly);
  EXPECT_FALSE(readOnly.isOpen());
  EXPECT_TRUE(moved.isOpen());
  EXPECT_TRUE(moved.subKeyNames().empty());
}

TEST_F(RegistryKeyTest, ViewsAreSeparateOnlyOn64BitWindows) {
  const std::string path = "Software\\ZarnUtilsTests\\RegistryApiView";
  Key::create(Root::LocalMachine, path, Access::ReadWrite | Access::View32).writeNumber("N", 32);
  EXPECT_TRUE(Key::exists(Root::LocalMachine, path, Access::View32));
#ifdef _WIN64
  EXPECT_FALSE(Key::exists(Root::LocalMachine, path, Access::View64));
#else
  EXPECT_TRUE(Key::exists(Root::LocalMachine, path, Access::View64));
#endif
  Key::open(Root::LocalMachine, "Software\\ZarnUtilsTests", Access::ReadWrite | Access::View32)
      .deleteTree("RegistryApiView");
  EXPECT_FALSE(Key::exists(Root::LocalMachine, path, Access::View32));
}

TEST_F(RegistryKeyTest, TransactionsKeepAllOrNothing) {
  {
    Transaction transaction;
    key.writeNumber("Kept", 1);
    key.createKey("Sub").writeText("T", "x");
    transaction.commit();
  }
  EXPECT_EQ(key.readNumber("Kept"), 1u);
  {
    Transaction abandoned;
    key.writeNumber("Dropped", 2);
    key.deleteTree("Sub");
  }
#ifdef _WIN32
  // The platform's registry functions have no transactions.
  EXPECT_TRUE(key.hasValue("Dropped"));
  EXPECT_FALSE(key.hasKey("Sub"));
#else
  EXPECT_FALSE(key.hasValue("Dropped"));
  EXPECT_EQ(key.openKey("Sub").readText("T"), "x");
#endif
}

// Run under ThreadSanitizer by the tsan preset: threads share one Key for
// reads and listings while each writes through a Key of its own.
TEST_F(RegistryKeyTest, ThreadsShareKeys) {
  key.writeText("Shared", "s");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const Key own = key.createKey("T" + std::to_string(t));
      for (uint32_t i = 0; i < 50; ++i) {
        own.writeNumber("N", i);
        EXPECT_EQ(own.readNumber("N"), i);
        EXPECT_EQ(key.readText("Shared"), "s");
        EXPECT_FALSE(key.subKeyNames().empty());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(key.subKeyNames().size(), 4u);
}

}  // namespace
}  // namespace zarn::registry
