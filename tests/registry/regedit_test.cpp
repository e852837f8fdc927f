// Regedit's six registry methods against the registry of the target (the
// SQLite store natively, Wine's registry on win32), and its two INI shortcuts.
#include "zarnutils/regedit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include "platform/conversions.h"
#include "support/ini_test_paths.h"
#include "support/platform_marks.h"
#include "support/registry_fixture.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

using test_support::RegistryTest;
using std::string_literals::operator""s;

std::set<Text> entries(const Text& list) {
  std::set<Text> result;
  size_t start = 0;
  for (size_t end; (end = list.find(u'\0', start)) != Text::npos; start = end + 1) {
    result.insert(list.substr(start, end - start));
  }
  result.insert(list.substr(start));
  return result;
}

class RegeditTest : public RegistryTest {
 protected:
  Variant read(const Text& path, const Text& letter,
               const Variant& fallback = Variant::text(u"dflt")) {
    Variant result;
    EXPECT_TRUE(regedit.ReadValue(path, letter, fallback, result).succeeded());
    return result;
  }
  bool write(const Text& path, const Text& letter, const Variant& value) {
    AutomationBoolean result = 1;
    EXPECT_TRUE(regedit.WriteValue(path, letter, value, result).succeeded());
    EXPECT_TRUE(result == automationTrue || result == automationFalse);
    return result == automationTrue;
  }
  Text enumKeys(const Text& path, const Text& delimiter = u",") {
    Text result;
    EXPECT_TRUE(regedit.EnumKeys(path, delimiter, result).succeeded());
    return result;
  }
  Text enumValues(const Text& path) {
    Text result;
    EXPECT_TRUE(regedit.EnumValues(path, result).succeeded());
    return result;
  }
  bool deleteKey(const Text& path) {
    AutomationBoolean result = 0;
    EXPECT_TRUE(regedit.DeleteKey(path, result).succeeded());
    return result == automationTrue;
  }
  bool deleteValue(const Text& path) {
    AutomationBoolean result = 0;
    EXPECT_TRUE(regedit.DeleteValue(path, result).succeeded());
    return result == automationTrue;
  }

  Regedit regedit;
};

TEST_F(RegeditTest, WritesAndReadsEachForm) {
  EXPECT_TRUE(write(path("A\\B\\Text"), u"S", Variant::text(u"hello")));
  EXPECT_TRUE(write(path("A\\B\\Flag"), u"b", Variant::long32(5)));
  EXPECT_TRUE(write(path("A\\B\\Port"), u"d", Variant::text(u"80")));
  EXPECT_EQ(read(path("A\\B\\Text"), u"s"), Variant::text(u"hello"));
  EXPECT_EQ(read(path("A\\B\\Flag"), u"B"), Variant::boolean(true));
  EXPECT_EQ(read(path("A\\B\\Port"), u"D"), Variant::long32(80));
}

TEST_F(RegeditTest, StoresTheDocumentedBytes) {
  uint32_t type = 0;
  ASSERT_TRUE(write(path("abc"), u"S", Variant::text(u"abc")));
  EXPECT_EQ(queryRaw("abc", &type), "abc\0"s);
  EXPECT_EQ(type, value_type::Text);
  ASSERT_TRUE(write(path("flag"), u"B", Variant::long32(5)));
  EXPECT_EQ(queryRaw("flag", &type), "\xFF\xFF"s);
  EXPECT_EQ(type, value_type::Binary);
  ASSERT_TRUE(write(path("minus"), u"D", Variant::long32(-1)));
  EXPECT_EQ(queryRaw("minus", &type), "\xFF\xFF\xFF\xFF"s);
  EXPECT_EQ(type, value_type::Number);
  ASSERT_TRUE(write(path("empty"), u"S", Variant::text(u"")));
  EXPECT_EQ(queryRaw("empty"), "");
  ASSERT_TRUE(write(path("yes"), u"S", Variant::boolean(true)));
  EXPECT_EQ(queryRaw("yes"), "True\0"s);
}

TEST_F(RegeditTest, NonAsciiTextIsStoredAndReadWhole) {
  const Text text = u"Gr\u00FC\u00DFe \u00E9t\u00E9";
  ASSERT_TRUE(write(path("greeting"), u"S", Variant::text(text)));
  EXPECT_EQ(read(path("greeting"), u"S"), Variant::text(text));
  EXPECT_EQ(enumValues(path()), u"greeting=" + text);
}

TEST_F(RegeditTest, ReadsWhatFitsTheLettersBuffer) {
  storeRaw("", "ff", value_type::Binary, "\xFF\xFF");
  storeRaw("", "zero", value_type::Binary, "\0\0"s);
  storeRaw("", "one", value_type::Binary, "\x01\x00"s);
  storeRaw("", "byte", value_type::Binary, "\x01");
  storeRaw("", "three", value_type::Binary, "abc");
  storeRaw("", "two", value_type::Binary, "\x05\x00"s);
  storeRaw("", "five", value_type::Binary, "abcde");
  storeRaw("", "number", value_type::Number, "abc\0"s);
  storeRaw("", "nul", value_type::Text, "\0"s);
  const Variant fallback = Variant::integer(7);
  EXPECT_EQ(read(path("ff"), u"B"), Variant::boolean(true));
  EXPECT_EQ(read(path("zero"), u"B"), Variant::boolean(false));
  EXPECT_EQ(read(path("one"), u"B"), Variant::booleanBits(1));
  EXPECT_EQ(read(path("byte"), u"B"), Variant::booleanBits(1));
  EXPECT_EQ(read(path("three"), u"B", fallback), fallback);
  EXPECT_EQ(read(path("two"), u"D"), Variant::long32(5));
  EXPECT_EQ(read(path("ff"), u"D"), Variant::long32(0xFFFF));
  EXPECT_EQ(read(path("five"), u"D", fallback), fallback);
  EXPECT_EQ(read(path("number"), u"S"), Variant::text(u"abc"));
  EXPECT_EQ(read(path("nul"), u"S"), Variant::text(u""));
}

TEST_F(RegeditTest, TextStoredWithoutItsNulLosesItsLastByte) {
  storeRaw("", "bare", value_type::Text, "bare");
  EXPECT_EQ(read(path("bare"), u"S"), Variant::text(u"bar"));
}

TEST_F(RegeditTest, FailedReadsGiveTheDefaultUnchanged) {
  ASSERT_TRUE(write(path("present"), u"S", Variant::text(u"x")));
  const Variant fallback = Variant::real(2.5);
  EXPECT_EQ(read(path("missing"), u"S", fallback), fallback);
  EXPECT_EQ(read(path("NoKey\\missing"), u"D", fallback), fallback);
  EXPECT_EQ(read(path("present"), u"X", fallback), fallback);
  EXPECT_EQ(read(path("present"), u"Str", fallback), fallback);
  EXPECT_EQ(read(path("present"), u" S", fallback), fallback);
  EXPECT_EQ(read(u"NOROOT\\Software\\x", u"S", Variant::null()), Variant::null());
  EXPECT_EQ(read(u" HKCU\\Software\\x", u"S", fallback), fallback);
}

TEST_F(RegeditTest, UnknownLetterCreatesTheKeyAndStoresNothing) {
  EXPECT_TRUE(write(path("New\\Deep\\v"), u"Q", Variant::text(u"x")));
  EXPECT_EQ(enumKeys(path()), u"New");
  EXPECT_EQ(enumValues(path("New\\Deep")), u"");
}

TEST_F(RegeditTest, RejectedValuesAreNotStoredAndReportFailure) {
  ASSERT_TRUE(write(path("seed"), u"S", Variant::text(u"x")));
  EXPECT_FALSE(write(path("Rejected\\s"), u"S", Variant::null()));
  EXPECT_FALSE(write(path("Rejected\\b"), u"B", Variant::text(u"abc")));
  EXPECT_FALSE(write(path("Rejected\\d"), u"D", Variant::text(u"abc")));
  EXPECT_FALSE(write(path("Rejected\\big"), u"D", Variant::real(1e10)));
  EXPECT_EQ(enumKeys(path()), u"") << "a rejected write left a key behind";
}

TEST_F(RegeditTest, TextReplacesANumber) {
  ASSERT_TRUE(write(path("v"), u"D", Variant::long32(3)));
  ASSERT_TRUE(write(path("v"), u"S", Variant::text(u"three")));
  EXPECT_EQ(enumValues(path()), u"v=three");
}

TEST_F(RegeditTest, TrailingBackslashAddressesTheDefaultValue) {
  ASSERT_TRUE(write(path("K\\"), u"S", Variant::text(u"abc")));
  EXPECT_EQ(read(path("K\\"), u"S"), Variant::text(u"abc"));
  EXPECT_EQ(enumValues(path("K")), u"=abc");
  EXPECT_TRUE(deleteValue(path("K\\")));
  EXPECT_TRUE(deleteValue(path("K\\")));
  EXPECT_EQ(enumValues(path("K")), u"");
}

TEST_F(RegeditTest, ListsSubKeysWithTheDelimiter) {
  for (const char* name : {"Alpha", "Beta", "  Gamma"}) {
    ASSERT_TRUE(write(path(std::string(name) + "\\"), u"S", Variant::text(u"x")));
  }
  // Sorted by the stored name, whose leading blanks sort first; listed
  // without them.
  EXPECT_EQ(enumKeys(path()), u"Gamma,Alpha,Beta");
  EXPECT_EQ(enumKeys(path(), u", "), u"Gamma, Alpha, Beta, ");
  EXPECT_EQ(enumKeys(path(), u""), u"GammaAlphaBeta");
  EXPECT_EQ(enumKeys(path() + u"\\\\"), u"Gamma,Alpha,Beta");
  EXPECT_EQ(enumKeys(path("Alpha")), u"");
  EXPECT_EQ(enumKeys(path("Missing")), u"2");
  EXPECT_EQ(enumKeys(u"Nowhere\\Software"), u"99");
}

TEST_F(RegeditTest, ListsValuesOfTheListedTypes) {
  storeRaw("", "Path", value_type::Text, "C:\\Tools\0"s);
  storeRaw("", "Count", value_type::Number, "\x05\0\0\0"s);
  storeRaw("", "Flag", value_type::Binary, "\x01\x00"s);
  storeRaw("", "Blob", value_type::Binary, std::string(16, 'x'));
  storeRaw("", "Names", value_type::MultiText, "a\0b\0\0"s);
  storeRaw("", "Empty", value_type::Text, "");
  storeRaw("", "Minus", value_type::Number, "\xFF\xFF\xFF\xFF");
  storeRaw("", "  Spaced", value_type::Text, "s\0"s);
  EXPECT_EQ(entries(enumValues(path())),
            (std::set<Text>{u"Path=C:\\Tools", u"Count=5", u"Flag=1", u"Blob=Overflow", u"Empty=",
                            u"Minus=-1", u"  Spaced=s"}));
  EXPECT_EQ(enumValues(path("Missing")), u"2");
}

TEST_F(RegeditTest, ShortValuesNeverShowAnEarlierEntrysBytes) {
  storeRaw("", "a", value_type::Number, "\x78\x56\x34\x12");
  storeRaw("", "b", value_type::Binary, "\x01");
  storeRaw("", "c", value_type::Number, "\x02\x00"s);
  storeRaw("", "d", value_type::Number, "12345678");
  EXPECT_EQ(entries(enumValues(path())),
            (std::set<Text>{u"a=305419896", u"b=1", u"c=2", u"d=Overflow"}));
}

TEST_F(RegeditTest, AnOverlongValueNameEndsTheListingQuietly) {
  storeRaw("", "a", value_type::Text, "1\0"s);
  storeRaw("", std::string(3000, 'z'), value_type::Text, "2\0"s);
  EXPECT_EQ(enumValues(path()), u"a=1");
}

TEST_F(RegeditTest, DeletesKeysOnlyWithoutSubKeys) {
  ASSERT_TRUE(write(path("Parent\\Child\\v"), u"S", Variant::text(u"x")));
  EXPECT_FALSE(deleteKey(path("Parent")));
  EXPECT_TRUE(deleteKey(path("Parent\\Child")));
  EXPECT_FALSE(deleteKey(path("Parent\\Child")));
  EXPECT_TRUE(deleteKey(path("Parent")));
  EXPECT_EQ(enumKeys(path()), u"");
  EXPECT_FALSE(deleteKey(u"\\Software\\App"));
  EXPECT_FALSE(deleteKey(u"HKCU \\Software"));
}

TEST_F(RegeditTest, DeletingAMissingValueSucceeds) {
  ASSERT_TRUE(write(path("v"), u"S", Variant::text(u"x")));
  EXPECT_TRUE(deleteValue(path("v")));
  EXPECT_EQ(read(path("v"), u"S"), Variant::text(u"dflt"));
  EXPECT_TRUE(deleteValue(path("v")));
  EXPECT_TRUE(deleteValue(path("NoSuchKey\\v")));
  EXPECT_FALSE(deleteValue(u"NOROOT\\x"));
}

// Each worker's exits before, at and after its open: the listings show the
// status, the other methods only its boolean; the fixture checks that every
// one of them closed what it opened.
TEST_F(RegeditTest, EveryWorkerReportsTheStatusOfTheStepThatFailed) {
  // The registry refuses the name (87 natively, 234 under Wine).
  const std::string overlong(257, 'k');
  KeyHandle key = 0;
  const RegistryStatus refused = RegistryService::RegOpenKeyExA(
      root_key::CurrentUser, (keyPath_ + "\\" + overlong).c_str(), 0, key_access::QueryValue, &key);
  ASSERT_NE(refused, 0);
  EXPECT_EQ(enumValues(u"Nowhere\\Software"), u"99");
  EXPECT_EQ(enumKeys(path(overlong)), decimalText(refused));
  EXPECT_EQ(enumValues(path(overlong)), decimalText(refused));
  EXPECT_FALSE(write(u"NOROOT\\x", u"S", Variant::text(u"v")));
  EXPECT_FALSE(write(path(overlong + "\\v"), u"S", Variant::text(u"v")));
  EXPECT_FALSE(deleteKey(path("Missing\\Child")));
  // Only "not found" counts as deleted.
  EXPECT_FALSE(deleteValue(path(overlong + "\\v")));
}

TEST_F(RegeditTest, AStoreRefusedAfterTheKeyWasCreatedFailsAndClosesTheKey) {
  EXPECT_FALSE(write(path("Made\\" + std::string(16384, 'v')), u"S", Variant::text(u"x")));
  EXPECT_EQ(enumKeys(path()), u"Made");
  EXPECT_EQ(enumValues(path("Made")), u"");
}

TEST_F(RegeditTest, EmptyPathFailsEveryMethodWithError9) {
  Text text = u"untouched";
  EXPECT_EQ(regedit.EnumKeys(u"", u",", text), CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(text, u"");
  text = u"untouched";
  EXPECT_EQ(regedit.EnumValues(u"", text), CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(text, u"");
  AutomationBoolean flag = automationTrue;
  EXPECT_EQ(regedit.DeleteKey(u"", flag), CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(flag, automationFalse);
  flag = automationTrue;
  EXPECT_EQ(regedit.DeleteValue(u"", flag), CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(flag, automationFalse);
  flag = automationTrue;
  EXPECT_EQ(regedit.WriteValue(u"", u"S", Variant::text(u"x"), flag),
            CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(flag, automationFalse);
  Variant value = Variant::long32(1);
  EXPECT_EQ(regedit.ReadValue(u"", u"S", Variant::long32(2), value),
            CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(value, Variant());
}

// Two names that differ only in bytes that are not UTF-8 would both become
// U+FFFD and name one value; the UTF-8 forms refuse them before any registry
// work.
TEST_F(RegeditTest, Utf8FormsRefuseBytesThatAreNotUtf8) {
  const std::string key = textToUtf8(path());
  auto refusedWith5 = [](auto call) {
    try {
      call();
    } catch (const AutomationError& error) {
      return error.number() == error::InvalidProcedureCall;
    }
    return false;
  };
  EXPECT_TRUE(refusedWith5([&] { regedit.WriteValue(key + "\\a\xFF", "S", "first"); }));
  EXPECT_TRUE(refusedWith5([&] { regedit.ReadValue(key + "\\a\xFE", "S", "dflt"); }));
  EXPECT_TRUE(refusedWith5([&] { regedit.EnumKeys(key, "\xC3"); }));
  EXPECT_EQ(enumKeys(path()), u"2");
  EXPECT_TRUE(regedit.WriteValue(key + "\\caf\xC3\xA9", "S", "cr\xC3\xA8me"));
  EXPECT_EQ(read(path("caf\xC3\xA9"), u"S"), Variant::text(u"cr\u00E8me"));
}

// The guard before every registry worker, one table for every form of every
// registry method: each refused input gives the same error or status in
// every form (as that form reports it), and the test key keeps what it held.
enum class Form { Automation, Utf8, List };
enum class Method { EnumKeys, EnumValues, DeleteKey, DeleteValue, ReadValue, WriteValue };

struct RefusedPath {
  const char* name;
  // The path in each encoding, from the test key's path; none where the
  // encoding cannot spell the input or the target accepts it.
  std::function<std::optional<Text>(const Text& key)> automation;
  std::function<std::optional<std::string>(const std::string& key)> utf8;
  int32_t error;  // the call's error, or 0 when the refusal is a status
  RegistryStatus status;
};

const RefusedPath refusedPaths[] = {
    {"EmptyPath", [](const Text&) { return Text(); },
     [](const std::string&) { return std::string(); }, error::SubscriptOutOfRange, 0},
    {"NulInName", [](const Text& key) { return key + Text(u"\\v\0x", 4); },
     [](const std::string& key) { return key + "\\v\0x"s; }, 0, 87},
    {"NulInKeyPath", [](const Text& key) { return key + Text(u"\\N\0X\\v", 6); },
     [](const std::string& key) { return key + "\\N\0X\\v"s; }, 0, 87},
    {"NotUtf8", [](const Text&) { return std::nullopt; },
     [](const std::string& key) { return key + "\\v\xFF"; }, error::InvalidProcedureCall, 0},
    // A lone surrogate has no narrow form anywhere; CJK text has none in
    // Windows' Western code page, while natively the narrow text is UTF-8.
    {"OutsideTheCodePage", [](const Text& key) { return key + u"\\v\xD800"; },
     [](const std::string& key) -> std::optional<std::string> {
       if (!test_support::runsOnWine) return std::nullopt;
       return key + "\\v\xE4\xB8\xAD";
     },
     0, 87},
    {"UnknownRoot", [](const Text&) { return Text(u"NOROOT\\v"); },
     [](const std::string&) { return "NOROOT\\v"s; }, 0, 99},
};

struct GuardRow {
  Form form;
  Method method;
  const RefusedPath* input;
};

class RegistryGuardTest : public RegeditTest, public ::testing::WithParamInterface<GuardRow> {
 protected:
  // What the call answered: the error it failed with, else its result.
  struct Answer {
    int32_t error = 0;
    Text result;
    bool operator==(const Answer&) const = default;
  };

  static Text shown(AutomationBoolean value) {
    return value == automationTrue ? u"true" : u"false";
  }
  static Text shown(bool value) { return value ? u"true" : u"false"; }

  Answer callAutomationForm(Method method, const Text& sKey) {
    Text text = u"stale";
    AutomationBoolean flag = automationTrue;
    Variant value = Variant::text(u"stale");
    CallStatus status;
    switch (method) {
      case Method::EnumKeys: status = regedit.EnumKeys(sKey, u",", text); break;
      case Method::EnumValues: status = regedit.EnumValues(sKey, text); break;
      case Method::DeleteKey: status = regedit.DeleteKey(sKey, flag), text = shown(flag); break;
      case Method::DeleteValue: status = regedit.DeleteValue(sKey, flag), text = shown(flag); break;
      case Method::ReadValue:
        status = regedit.ReadValue(sKey, u"S", Variant::text(u"dflt"), value);
        text = toText(value);
        break;
      case Method::WriteValue:
        status = regedit.WriteValue(sKey, u"S", Variant::text(u"lost"), flag);
        text = shown(flag);
        break;
    }
    return {status.error, text};
  }

  Answer callUtf8Form(Form form, Method method, const std::string& sKey) {
    try {
      if (form == Form::List) {
        const auto items =
            method == Method::EnumKeys ? regedit.ListKeys(sKey) : regedit.ListValues(sKey);
        return {0, u"items: " + decimalText(static_cast<int64_t>(items.size()))};
      }
      switch (method) {
        case Method::EnumKeys: return {0, utf8ToText(regedit.EnumKeys(sKey))};
        case Method::EnumValues: return {0, utf8ToText(regedit.EnumValues(sKey))};
        case Method::DeleteKey: return {0, shown(regedit.DeleteKey(sKey))};
        case Method::DeleteValue: return {0, shown(regedit.DeleteValue(sKey))};
        case Method::ReadValue: return {0, toText(regedit.ReadValue(sKey, "S", "dflt"))};
        case Method::WriteValue: return {0, shown(regedit.WriteValue(sKey, "S", "lost"))};
      }
    } catch (const RegistryError& error) {
      return {0, u"status " + decimalText(error.status())};
    } catch (const AutomationError& error) {
      return {error.number(), u""};
    }
    return {};
  }

  // How each form reports the refusal: an error fails the call (the
  // automation-shaped form's result reset); a status is the listings' text
  // or the list forms' RegistryError, false, or the default.
  static Answer expected(const GuardRow& row) {
    const bool listing = row.method == Method::EnumKeys || row.method == Method::EnumValues;
    const bool flag = !listing && row.method != Method::ReadValue;
    if (row.input->error != 0) {
      const bool reset = row.form == Form::Automation && flag;
      return {row.input->error, reset ? u"false" : u""};
    }
    if (row.form == Form::List) return {0, u"status " + decimalText(row.input->status)};
    if (listing) return {0, decimalText(row.input->status)};
    return {0, flag ? u"false" : u"dflt"};
  }
};

TEST_P(RegistryGuardTest, RefusesBeforeAnyRegistryWork) {
  const GuardRow& row = GetParam();
  ASSERT_TRUE(write(path("v"), u"S", Variant::text(u"kept")));
  ASSERT_TRUE(write(path("N\\v"), u"S", Variant::text(u"kept")));
  Answer answer;
  if (row.form == Form::Automation) {
    const std::optional<Text> sKey = row.input->automation(path());
    if (!sKey) GTEST_SKIP() << "no such path in this form";
    answer = callAutomationForm(row.method, *sKey);
  } else {
    const std::optional<std::string> sKey = row.input->utf8(textToUtf8(path()));
    if (!sKey) GTEST_SKIP() << "no such path in this form";
    answer = callUtf8Form(row.form, row.method, *sKey);
  }
  EXPECT_EQ(answer, expected(row));
  EXPECT_EQ(enumKeys(path()), u"N");
  EXPECT_EQ(enumValues(path()), u"v=kept");
  EXPECT_EQ(enumValues(path("N")), u"v=kept");
}

std::vector<GuardRow> guardRows() {
  std::vector<GuardRow> rows;
  for (const Form form : {Form::Automation, Form::Utf8, Form::List}) {
    for (const Method method : {Method::EnumKeys, Method::EnumValues, Method::DeleteKey,
                                Method::DeleteValue, Method::ReadValue, Method::WriteValue}) {
      if (form == Form::List && method != Method::EnumKeys && method != Method::EnumValues)
        continue;
      for (const RefusedPath& input : refusedPaths) rows.push_back({form, method, &input});
    }
  }
  return rows;
}

std::string guardRowName(const ::testing::TestParamInfo<GuardRow>& info) {
  static const char* const forms[] = {"Automation", "Utf8", "List"};
  static const char* const methods[] = {"EnumKeys",    "EnumValues", "DeleteKey",
                                        "DeleteValue", "ReadValue",  "WriteValue"};
  const GuardRow& row = info.param;
  return std::string(forms[static_cast<int>(row.form)]) + "_" +
         methods[static_cast<int>(row.method)] + "_" + row.input->name;
}

INSTANTIATE_TEST_SUITE_P(EveryForm, RegistryGuardTest, ::testing::ValuesIn(guardRows()),
                         guardRowName);

// ReadIni and WriteIni, over the profile service of the target as IniEdit is.
class IniShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    file_ = joinPath(scratchFolder(std::string("ini_shortcut_") + info->name()), "test.ini");
  }
  void writeFile(const std::string& content) {
    std::ofstream(unixPathOf(file_), std::ios::binary) << content;
  }
  Text file() const { return utf8ToText(file_); }

  Regedit regedit;
  std::string file_;
};

TEST_F(IniShortcutTest, ShortcutsForwardToAFreshIniEdit) {
  AutomationBoolean written = automationFalse;
  ASSERT_TRUE(
      regedit.WriteIni(file(), u"Main", u"port", Variant::long32(8080), written).succeeded());
  EXPECT_EQ(written, automationTrue);
  Text text;
  ASSERT_TRUE(regedit.ReadIni(file(), u"Main", u"port", Variant(), text).succeeded());
  EXPECT_EQ(text, u"8080");
  ASSERT_TRUE(regedit.ReadIni(file(), u"Main", u"missing", Variant::long32(80), text).succeeded());
  EXPECT_EQ(text, u"80");
  ASSERT_TRUE(regedit.WriteIni(file(), u"", u"x", Variant::long32(1), written).succeeded());
  EXPECT_EQ(written, automationFalse);
}

TEST_F(IniShortcutTest, ReadIniFailsOnANullDefaultWhetherOrNotTheEntryExists) {
  writeFile("[Main]\nkey=value\n");
  for (const Text name : {u"key", u"missing"}) {
    Text text = u"stale";
    EXPECT_EQ(regedit.ReadIni(file(), u"Main", name, Variant::null(), text),
              CallStatus{error::TypeMismatch});
    EXPECT_EQ(text, u"");
  }
}

}  // namespace
}  // namespace zarn
