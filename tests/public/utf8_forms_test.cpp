// The public API as a C++ program meets it: values made from C++ literals,
// and the UTF-8 forms of Regedit's and IniEdit's methods, whose results and
// failures must be those of the automation-shaped forms.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "support/ini_test_paths.h"
#include "zarnutils/zarnutils.h"

namespace zarn {
namespace {

using std::string_literals::operator""s;

static_assert(std::is_convertible_v<int, Variant>);
static_assert(std::is_convertible_v<const char*, Variant>);
static_assert(std::is_convertible_v<std::string, Variant>);
static_assert(std::is_convertible_v<Text, Variant>);
static_assert(std::is_convertible_v<long long, Variant>);
static_assert(std::is_convertible_v<unsigned, Variant>);
static_assert(std::is_convertible_v<size_t, Variant>);

TEST(VariantFromCpp, LiteralsTakeTheirObviousKind) {
  EXPECT_EQ(Variant(80), Variant::long32(80));
  EXPECT_EQ(Variant(short{7}), Variant::long32(7));
  EXPECT_EQ(Variant(true), Variant::booleanBits(-1));
  EXPECT_EQ(Variant(false), Variant::booleanBits(0));
  EXPECT_EQ(Variant(2.5), Variant::real(2.5));
  EXPECT_EQ(Variant(1.5f), Variant::real(1.5));
  // A literal is text, never the Boolean its pointer would convert to.
  EXPECT_EQ(Variant("café"), Variant::text(u"café"));
  EXPECT_EQ(Variant(u"x"), Variant::text(u"x"));
  EXPECT_EQ(Variant("80"s), Variant::text(u"80"));
  // Two different byte strings must never become one stored value.
  try {
    static_cast<void>(Variant(std::string_view("S\xff")));
    ADD_FAILURE() << "bytes that are not UTF-8 made a Variant";
  } catch (const AutomationError& failure) {
    EXPECT_EQ(failure.number(), 5);
  }
  EXPECT_NE(Variant(80), Variant("80"));
}

TEST(VariantFromCpp, EveryIntegerTypeIsALongOrAnOverflow) {
  EXPECT_EQ(Variant(80L), Variant::long32(80));
  EXPECT_EQ(Variant(80UL), Variant::long32(80));
  EXPECT_EQ(Variant(size_t{80}), Variant::long32(80));
  EXPECT_EQ(Variant(uint8_t{255}), Variant::long32(255));
  EXPECT_EQ(Variant(int64_t{INT32_MIN}), Variant::long32(INT32_MIN));
  EXPECT_EQ(Variant(uint32_t{INT32_MAX}), Variant::long32(INT32_MAX));
  const auto overflowOf = [](auto value) {
    try {
      static_cast<void>(Variant(value));
    } catch (const AutomationError& failure) {
      return failure.number();
    }
    return 0;
  };
  EXPECT_EQ(overflowOf(int64_t{INT32_MAX} + 1), error::Overflow);
  EXPECT_EQ(overflowOf(int64_t{INT32_MIN} - 1), error::Overflow);
  EXPECT_EQ(overflowOf(uint32_t{INT32_MAX} + 1U), error::Overflow);
  EXPECT_EQ(overflowOf(std::numeric_limits<uint64_t>::max()), error::Overflow);
  EXPECT_EQ(overflowOf(std::numeric_limits<int64_t>::min()), error::Overflow);
}

TEST(VariantFromCpp, AccessorsOfAnotherKindAreATypeMismatch) {
  const auto errorOf = [](auto access) {
    try {
      access();
    } catch (const AutomationError& failure) {
      return failure.number();
    }
    return 0;
  };
  EXPECT_EQ(errorOf([] { Variant("80").longValue(); }), error::TypeMismatch);
  EXPECT_EQ(errorOf([] { Variant(80).textValue(); }), error::TypeMismatch);
  EXPECT_EQ(errorOf([] { Variant(80).integerValue(); }), error::TypeMismatch);
  EXPECT_EQ(errorOf([] { Variant().booleanBits(); }), error::TypeMismatch);
  EXPECT_EQ(errorOf([] { Variant::null().realValue(); }), error::TypeMismatch);
  EXPECT_EQ(errorOf([] { Variant(true).byteValue(); }), error::TypeMismatch);
  EXPECT_EQ(errorOf([] { Variant(2.5).singleValue(); }), error::TypeMismatch);
  EXPECT_EQ(Variant(80).longValue(), 80);
}

TEST(VariantFromCpp, PrintsItsTextForm) {
  const auto printed = [](const Variant& value) {
    std::ostringstream out;
    out << '[' << value << ']';
    return out.str();
  };
  EXPECT_EQ(printed("crème"), "[crème]");
  EXPECT_EQ(printed(std::string("a\0b", 3)), std::string("[a\0b]", 5));
  EXPECT_EQ(printed(-8080), "[-8080]");
  EXPECT_EQ(printed(Variant::integer(7)), "[7]");
  EXPECT_EQ(printed(Variant::byte(255)), "[255]");
  EXPECT_EQ(printed(true), "[True]");
  EXPECT_EQ(printed(false), "[False]");
  EXPECT_EQ(printed(Variant::booleanBits(1)), "[True]");
  EXPECT_EQ(printed(2.5), "[2.5]");
  EXPECT_EQ(printed(Variant::single(0.1f)), "[0.1]");
  EXPECT_EQ(printed(1e20), "[1E+20]");
  EXPECT_EQ(printed(Variant()), "[]");
  EXPECT_EQ(printed(Variant::null()), "[Null]");
}

class RegeditUtf8Test : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* key : {"Sub\\Leaf", "Sub", "a,b;c", "2", ""}) {
      registry.DeleteKey(path(key) + "\\");
    }
  }
  static std::string path(const std::string& rest) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return "HKCU\\Software\\ZarnUtilsTests\\Utf8_"s + info->name() + (rest.empty() ? "" : "\\") +
           rest;
  }

  Regedit registry;
};

TEST_F(RegeditUtf8Test, ReadsBackWhatItWrote) {
  EXPECT_EQ(registry.ReadValue(path("Port"), "D", 80), Variant::long32(80));
  EXPECT_TRUE(registry.WriteValue(path("Port"), "D", 8080));
  EXPECT_EQ(registry.ReadValue(path("Port"), "D", 80), Variant::long32(8080));
  EXPECT_TRUE(registry.WriteValue(path("Name"), "S", "crème"));
  EXPECT_EQ(registry.ReadValue(path("Name"), "S", ""), Variant::text(u"crème"));
  EXPECT_TRUE(registry.WriteValue(path("On"), "B", true));
  EXPECT_EQ(registry.ReadValue(path("On"), "B", false), Variant::booleanBits(-1));
  EXPECT_FALSE(registry.WriteValue(path("Port"), "D", "abc"));
  EXPECT_EQ(registry.ReadValue(path("Port"), "D", 80), Variant::long32(8080));
}

TEST_F(RegeditUtf8Test, ListsInUtf8WithNulBytesBetweenValues) {
  ASSERT_TRUE(registry.WriteValue(path("Sub\\Leaf\\v"), "S", "x"));
  // Written in name order, which both creation order and Wine's order keep.
  ASSERT_TRUE(registry.WriteValue(path("Count"), "D", 5));
  ASSERT_TRUE(registry.WriteValue(path("Früh"), "S", "süß"));
  EXPECT_EQ(registry.EnumKeys(path("")), "Sub");
  EXPECT_EQ(registry.EnumKeys(path(""), "; "), "Sub; ");
  EXPECT_EQ(registry.EnumValues(path("")), "Count=5\0Früh=süß"s);
  EXPECT_EQ(registry.EnumKeys(path("Missing")), "2");
  EXPECT_EQ(registry.EnumKeys("Nowhere\\Software"), "99");
}

TEST_F(RegeditUtf8Test, ListFormsGiveWholeItemsAndThrowFailedListings) {
  using Items = std::vector<std::string>;
  ASSERT_TRUE(registry.WriteValue(path("Sub\\Leaf\\v"), "S", "x"));
  EXPECT_EQ(registry.ListKeys(path("Sub\\Leaf")), Items{});
  // Names a delimiter or a status text would garble.
  ASSERT_TRUE(registry.WriteValue(path("a,b;c\\"), "S", ""));
  ASSERT_TRUE(registry.WriteValue(path("2\\"), "S", ""));
  ASSERT_TRUE(registry.WriteValue(path("a=b"), "S", "c=d"));
  ASSERT_TRUE(registry.WriteValue(path("Größe"), "D", 5));
  EXPECT_EQ(registry.ListKeys(path("")), (Items{"2", "a,b;c", "Sub"}));
  EXPECT_EQ(registry.ListKeys(path("Sub\\")), Items{"Leaf"});
  EXPECT_EQ(registry.ListValues(path("")), (Items{"a=b=c=d", "Größe=5"}));
  EXPECT_EQ(registry.ListValues(path("2")), Items{"="});
  EXPECT_EQ(registry.ListValues(path("Sub")), Items{});
  const auto statusOf = [](auto call) {
    try {
      call();
    } catch (const RegistryError& failure) {
      return failure.status();
    }
    return 0;
  };
  EXPECT_EQ(statusOf([&] { registry.ListKeys(path("Missing")); }), 2);
  EXPECT_EQ(statusOf([&] { registry.ListValues(path("Missing")); }), 2);
  EXPECT_EQ(statusOf([&] { registry.ListKeys("Nowhere\\Software"); }), 99);
  EXPECT_EQ(statusOf([&] { registry.ListValues("HKCU\\\\Software"); }), 161);
  try {
    registry.ListKeys("HKCU\\Missing\\Key");
  } catch (const RegistryError& failure) {
    EXPECT_STREQ(failure.what(), "cannot list HKCU\\Missing\\Key: status 2");
  }
}

TEST_F(RegeditUtf8Test, DeletesAsTheAutomationFormDoes) {
  ASSERT_TRUE(registry.WriteValue(path("Sub\\Leaf\\v"), "S", "x"));
  EXPECT_FALSE(registry.DeleteKey(path("Sub")));
  EXPECT_TRUE(registry.DeleteValue(path("Sub\\Leaf\\v")));
  EXPECT_TRUE(registry.DeleteValue(path("Sub\\Leaf\\v")));
  EXPECT_TRUE(registry.DeleteKey(path("Sub\\Leaf")));
  EXPECT_FALSE(registry.DeleteKey(path("Sub\\Leaf")));
}

TEST_F(RegeditUtf8Test, AFailedCallThrowsItsErrorNumber) {
  const auto errorOf = [](auto call) {
    try {
      call();
    } catch (const AutomationError& failure) {
      return failure.number();
    }
    return 0;
  };
  EXPECT_EQ(errorOf([&] { registry.EnumKeys(""); }), error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { registry.EnumValues(""); }), error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { registry.DeleteKey(""); }), error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { registry.DeleteValue(""); }), error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { registry.ReadValue("", "S", "x"); }), error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { registry.WriteValue("", "S", "x"); }), error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { registry.ListKeys(""); }), error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { registry.ListValues(""); }), error::SubscriptOutOfRange);
  try {
    registry.ReadValue("", "S", "x");
  } catch (const AutomationError& failure) {
    EXPECT_STREQ(failure.what(), "Subscript out of range");
  }
}

#ifndef _WIN32
// The process places its store once, so the choice is tried in a process of
// its own: a fresh run of this program with only this test.
TEST(StoreFolderFromCode, WinsOverTheEnvironmentUntilTheStoreIsPlaced) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string folder = scratchFolder("store_folder_from_code");
  EXPECT_THROW(setRegistryDirectory(""), std::invalid_argument);
  EXPECT_EXIT(
      {
        setRegistryDirectory(folder + "/first");
        setRegistryDirectory(folder + "/chosen");
        Regedit().WriteValue("HKCU\\Software\\App\\Port", "D", 8080);
        try {
          setRegistryDirectory(folder + "/late");
        } catch (const std::logic_error&) {
          std::exit(3);
        }
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_TRUE(std::filesystem::exists(folder + "/chosen/user.sqlite3"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/first"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/late"));
}
#endif

class IniEditUtf8Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    file_ = joinPath(scratchFolder(std::string("utf8_") + info->name()), "app.ini");
  }

  std::string file_;
  IniEdit ini;
};

TEST_F(IniEditUtf8Test, WritesReadsAndLists) {
  EXPECT_EQ(ini.ReadValue(file_, "Server", "Port", "N", 80), Variant::long32(80));
  EXPECT_EQ(ini.ReadValue(file_, "Server", "Port", "S", 80), Variant::text(u"80"));
  EXPECT_TRUE(ini.WriteValue(file_, "Server", "Port", 8080));
  EXPECT_TRUE(ini.WriteValue(file_, "Größe", "Maß", "süß"));
  EXPECT_EQ(ini.ReadValue(file_, "server", "PORT", "N", 0), Variant::long32(8080));
  EXPECT_EQ(ini.ReadValue(file_, "Größe", "Maß", "S", ""), Variant::text(u"süß"));
  EXPECT_EQ(ini.EnumSections(file_), "Server\0Größe"s);
  EXPECT_TRUE(ini.WriteValue(file_, "Server", "Host", "example"));
  EXPECT_EQ(ini.EnumValues(file_, "Server"), "Port=8080\0Host=example"s);
  EXPECT_FALSE(ini.WriteValue(file_, "Server", "Bad", "one\ntwo"));
  EXPECT_FALSE(ini.WriteValue(file_, "Server", "Null", Variant::null()));
}

TEST_F(IniEditUtf8Test, ListFormsGiveOneItemPerSectionOrLine) {
  using Items = std::vector<std::string>;
  EXPECT_EQ(ini.ListSections(file_), Items{});
  EXPECT_EQ(ini.ListValues(file_, "Server"), Items{});
  std::ofstream(file_) << "[Server]\nPort = 8080\n; note\nflag\n\n";
  ASSERT_TRUE(ini.WriteValue(file_, "Größe", "Maß", "\"süß\""));
  EXPECT_EQ(ini.ListSections(file_), (Items{"Server", "Größe"}));
  EXPECT_EQ(ini.ListValues(file_, "server"), (Items{"Port=8080", "flag"}));
  EXPECT_EQ(ini.ListValues(file_, "Größe"), Items{"Maß=\"süß\""});
  EXPECT_EQ(ini.ListValues(file_, "Missing"), Items{});
}

TEST_F(IniEditUtf8Test, RegeditShortcutsThrowOnlyForANullDefault) {
  Regedit registry;
  EXPECT_TRUE(registry.WriteIni(file_, "Main", "Size", 13));
  EXPECT_EQ(registry.ReadIni(file_, "Main", "Size", 0), "13");
  EXPECT_EQ(registry.ReadIni(file_, "Main", "Missing", 80), "80");
  EXPECT_THROW(registry.ReadIni(file_, "Main", "Size", Variant::null()), AutomationError);
}

}  // namespace
}  // namespace zarn
