// The words of a reg command: switches, key names, type names, and the data
// forms of /d and of a query's output.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "reg/reg.h"

namespace zarn::cli {
namespace {

using namespace std::string_literals;

constexpr SwitchRule rules[] = {{"v", true}, {"ve", false}, {"f", false}, {"-regedit4", false}};

TEST(RegSwitches, FixedWordsFirstThenSwitchesInAnyCaseAndForm) {
  std::string problem;
  const auto parsed = parseRegArguments(
      {"HKCU\\X", "/tmp/out.reg", "-V", "Name", "/F", "--regedit4"}, 2, rules, problem);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->fixed[1], "/tmp/out.reg");
  EXPECT_EQ(parsed->value("v"), "Name");
  EXPECT_TRUE(parsed->has("f"));
  EXPECT_TRUE(parsed->has("-regedit4"));
  EXPECT_FALSE(parsed->has("ve"));
}

// Each refusal names the word it could not use.
TEST(RegSwitches, RefusesWhatBreaksTheForm) {
  const struct {
    std::vector<std::string> words;
    const char* problem;
  } rows[] = {{{}, "too few words"},
              {{"K", "/v"}, "/v needs a value"},
              {{"K", "/x"}, "unknown switch /x"},
              {{"K", "/f", "/F"}, "/F given twice"},
              {{"K", "stray"}, "unexpected word 'stray'"}};
  for (const auto& row : rows) {
    std::string problem;
    EXPECT_FALSE(parseRegArguments(row.words, 1, rules, problem)) << row.problem;
    EXPECT_EQ(problem, row.problem);
  }
  // Help is the verb's only word: reg.exe refuses "reg copy /? /f".
  for (const char* word : {"/?", "-?", "/h", "-H"}) EXPECT_TRUE(asksForUsage({word})) << word;
  EXPECT_FALSE(asksForUsage({"K", "/?"}));
  EXPECT_FALSE(asksForUsage({"/?", "/f"}));
  EXPECT_FALSE(asksForUsage({"/hh"}));
}

// query's /v names a value, or with /f is a flag: its value is the next word
// unless that is one of the verb's switches.
TEST(RegSwitches, AnOptionalValueIsLeftOutBeforeAKnownSwitch) {
  constexpr SwitchRule query[] = {{"v", true, true}, {"d", false}, {"f", true}};
  std::string problem;
  const auto flag = parseRegArguments({"K", "/f", "x", "/v", "/d"}, 1, query, problem);
  ASSERT_TRUE(flag);
  EXPECT_TRUE(flag->withoutValue.count("v"));
  EXPECT_TRUE(flag->has("d"));
  const auto last = parseRegArguments({"K", "/v"}, 1, query, problem);
  ASSERT_TRUE(last);
  EXPECT_TRUE(last->withoutValue.count("v"));
  const auto named = parseRegArguments({"K", "/v", "/tmp/x"}, 1, query, problem);
  ASSERT_TRUE(named);
  EXPECT_EQ(named->value("v"), "/tmp/x");
  EXPECT_TRUE(parseRegArguments({"K", "/reg:32"}, 1, query, problem));
  EXPECT_FALSE(parseRegArguments({"K", "/reg:32", "/REG:32"}, 1, query, problem));
}

// The shell completion offers the switches that a verb's usage lines name,
// so those lines must name exactly the verb's switches.
TEST(RegSwitches, EachVerbsUsageNamesExactlyItsSwitches) {
  for (const RegVerb& verb : regVerbs()) {
    std::set<std::string> named;
    std::istringstream usage(verb.usage);
    for (std::string line; std::getline(usage, line) && line.starts_with("REG ");) {
      std::istringstream words(line);
      for (std::string word; words >> word;) {
        const size_t start = word.find_first_of("/-");
        if (start == std::string::npos) continue;
        const size_t end = word.find_first_of("]|", start);
        named.insert(lowerWord(word.substr(start + 1, end - start - 1)));
      }
    }
    std::set<std::string> switches;
    for (const SwitchRule& rule : verb.switches) switches.insert(rule.name);
    EXPECT_EQ(named, switches) << verb.name;
  }
}

TEST(RegKeyName, ShortAndLongRootsInAnyCase) {
  const auto longName = parseKeyName("hkey_local_machine\\Software\\Vendor\\");
  ASSERT_TRUE(longName);
  EXPECT_EQ(longName->root, Root::LocalMachine);
  EXPECT_EQ(longName->fullName(), "HKEY_LOCAL_MACHINE\\Software\\Vendor");
  const auto root = parseKeyName("HKCU");
  ASSERT_TRUE(root);
  EXPECT_TRUE(root->isRoot());
  EXPECT_EQ(root->child("Sub").fullName(), "HKEY_CURRENT_USER\\Sub");
  // One backslash may end a key's name, but not a root's alone.
  // Each refusal says why.
  const struct {
    const char* written;
    const char* problem;
  } bad[] = {
      {"HKXX\\A",
       "HKXX\\A: HKXX is no root key (HKLM, HKCU, HKCR, HKU or HKCC, or their long names)"},
      {"\\\\machine\\HKLM\\A",
       "\\\\machine\\HKLM\\A: remote keys (\\\\machine\\...) are not offered"},
      {"HKCU\\\\A", "HKCU\\\\A: an empty name between two backslashes"},
      {"HKDD", "HKDD: HKDD is no root key (HKLM, HKCU, HKCR, HKU or HKCC, or their long names)"},
      {"", "no key name given"},
      {"HKCU\\", "HKCU\\: a root key alone takes no backslash after it"},
      {"HKCU\\A\\\\", "HKCU\\A\\\\: an empty name between two backslashes"},
  };
  for (const auto& row : bad) {
    EXPECT_FALSE(parseKeyName(row.written)) << row.written;
    EXPECT_EQ(keyNameProblem(row.written), row.problem);
  }
  EXPECT_EQ(keyNameProblem("HKCU\\A"), "");
  EXPECT_TRUE(
      sameKey(*parseKeyName("HKCU\\Software\\A"), *parseKeyName("hkey_current_user\\SOFTWARE\\a")));
}

TEST(RegTypes, NamesBothWays) {
  EXPECT_EQ(registry::valueTypeOfName("reg_multi_sz"), ValueType::MultiText);
  EXPECT_EQ(registry::valueTypeOfName("REG_QWORD"), ValueType::Number64);
  EXPECT_EQ(registry::valueTypeOfName("REG_DWORD_LITTLE_ENDIAN"), ValueType::Number);
  EXPECT_FALSE(registry::valueTypeOfName("REG_LINK"));
  EXPECT_EQ(typeNameOfCode(ValueType::Number), "REG_DWORD");
  EXPECT_EQ(typeNameOfCode(static_cast<ValueType>(6)), "REG_LINK");
  EXPECT_EQ(typeNameOfCode(ValueType::NumberBigEndian), "REG_DWORD_BIG_ENDIAN");
  EXPECT_EQ(typeNameOfCode(static_cast<ValueType>(0x1234)), "0x1234");
}

// Text as the verbs carry it, UTF-16LE.
std::string wide(const std::string& utf8) { return utf16leBytes(utf8ToText(utf8)); }

// What reg.exe stores for /d, one row per case (its own conformance checks).
TEST(RegValueData, DataFromTextPerType) {
  struct Row {
    ValueType type;
    const char* text;
    const char* separator;
    std::optional<std::string> stored;  // nothing: refused
  };
  const Row rows[] = {
      {ValueType::Text, "hi", "\\0", wide("hi\0"s)},
      {ValueType::None, "", "\\0", "\0\0"s},
      {ValueType::None, "ab", "\\0", "a\0b\0\0\0"s},
      {ValueType::MultiText, "a\\0bc", "\\0", wide("a\0bc\0\0"s)},
      {ValueType::MultiText, "a,b", ",", wide("a\0b\0\0"s)},
      {ValueType::MultiText, "", "\\0", wide("\0"s)},
      {ValueType::MultiText, "a#", "#", wide("a\0\0"s)},
      {ValueType::MultiText, "a\\0", "\\0", wide("a\0\0"s)},
      {ValueType::MultiText, "#", "#", wide("\0\0"s)},
      {ValueType::MultiText, "\\0", "\\0", wide("\0\0"s)},
      {ValueType::MultiText, "two\\0#x", "#", wide("two\\0\0x\0\0"s)},
      {ValueType::MultiText, "a\\0\\0b", "\\0", std::nullopt},
      {ValueType::MultiText, "##", "#", std::nullopt},
      {ValueType::MultiText, "#a", "#", std::nullopt},
      {ValueType::Number, "0x1F", "\\0", "\x1F\0\0\0"s},
      {ValueType::Number, "0123", "\\0", "\x7B\0\0\0"s},
      {ValueType::Number, "4294967295", "\\0", "\xFF\xFF\xFF\xFF"s},
      {ValueType::NumberBigEndian, "456", "\\0", "\xC8\x01\0\0"s},
      {ValueType::Number64, "0x100000000", "\\0", "\0\0\0\0\1\0\0\0"s},
      {ValueType::Number64, "-1", "\\0", std::string(8, '\xFF')},
      {ValueType::Number64, "", "\\0", std::string(8, '\0')},
      {ValueType::Number64, "-0x1", "\\0", std::nullopt},
      {ValueType::Number64, "18446744073709551616", "\\0", std::nullopt},
      {ValueType::Binary, "abc", "\\0", "\x0a\xbc"s},
      {ValueType::Binary, "0g", "\\0", std::nullopt},
      {ValueType::Number, "4294967296", "\\0", std::nullopt},
      {ValueType::Number, "-1", "\\0", std::nullopt},
      {ValueType::Number, "12abc", "\\0", std::nullopt},
      {ValueType::Number, "0x", "\\0", std::nullopt},
      {ValueType::Number, "00x123", "\\0", std::nullopt},
      {ValueType::Number, "", "\\0", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(dataFromText(row.type, row.text, row.separator), row.stored)
        << typeNameOfCode(row.type) << " " << row.text;
  }
}

TEST(RegValueData, QueryShowsDataAsRegExeDoes) {
  EXPECT_EQ(dataAsText(ValueType::Text, wide("hello\0junk"s), "\\0"), "hello");
  EXPECT_EQ(dataAsText(ValueType::Text, wide("\u00e9t\u00e9"), "\\0"), "\u00e9t\u00e9");
  EXPECT_EQ(dataAsText(ValueType::MultiText, wide("a\0b\0\0"s), "\\0"), "a\\0b");
  EXPECT_EQ(dataAsText(ValueType::MultiText, wide("a\0b\0\0"s), ","), "a,b");
  EXPECT_EQ(dataAsText(ValueType::Number, "\x2a\0\0\0"s, "\\0"), "0x2a");
  EXPECT_EQ(dataAsText(ValueType::NumberBigEndian, "\0\1\0\0"s, "\\0"), "0x100");
  EXPECT_EQ(dataAsText(ValueType::Number64, "\x10\0\0\0\0\0\0\0"s, "\\0"), "0x10");
  EXPECT_EQ(dataAsText(ValueType::Number, "\1\2"s, "\\0"), "0102");
  EXPECT_EQ(dataAsText(ValueType::Binary, "\x0a\xff"s, "\\0"), "0AFF");
}

}  // namespace
}  // namespace zarn::cli
