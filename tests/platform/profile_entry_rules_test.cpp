// Which entries the profile format can store: the refusals IniEdit makes on
// both targets, and the native profile service makes itself.
#include "platform/profile_entry_rules.h"

#include <gtest/gtest.h>

#include <span>

#include "platform/narrow_text.h"
#include "platform/profile_service.h"
#include "support/ini_test_paths.h"

namespace zarn {
namespace {

using std::string_view_literals::operator""sv;

struct Entry {
  std::u16string_view section;
  std::u16string_view key;
  std::u16string_view value;
  bool storable;
};

constexpr Entry entries[] = {
    {u"Main", u"key", u"value", true},
    {u" Main\t", u"\tkey ", u" blanks around ", true},
    {u"Main", u"key", u"", true},
    // Only a leading ';' or '[' makes a comment or a header of a key.
    {u"Ma[in", u"k;e[y]", u"a=b;c[d]", true},
    {u"M\u00E4in", u"k\u00E9y", u"\u20AC", true},
    // A line break anywhere would start a new line.
    {u"Ma\nin", u"key", u"v", false},
    {u"Main", u"k\rey", u"v", false},
    {u"Main", u"key", u"a\r\n[Injected]\r\nx=1", false},
    // Names that could not be found again or read back whole.
    {u"", u"key", u"v", false},
    {u" \t ", u"key", u"v", false},
    {u"Main", u"", u"v", false},
    {u"Main", u"\t", u"v", false},
    {u"Ma]in", u"key", u"v", false},
    {u"Main", u"a=b", u"v", false},
    {u"Main", u";key", u"v", false},
    {u"Main", u" \t[key", u"v", false},
};

// A NUL would cut the narrow text that reaches the profile functions.
constexpr Entry entriesWithNul[] = {
    {u"Ma\0in"sv, u"key", u"v", false},
    {u"Main", u"k\0ey"sv, u"v", false},
    {u"Main", u"key", u"v\0alue"sv, false},
};

TEST(ProfileEntryRules, RefusesWhatCouldNotBeReadBackAsWritten) {
  for (const auto& table :
       {std::span<const Entry>(entries), std::span<const Entry>(entriesWithNul)}) {
    for (const Entry& entry : table) {
      EXPECT_EQ(isStorableEntry(entry.section, entry.key, entry.value), entry.storable)
          << textToUtf8(entry.section) << " / " << textToUtf8(entry.key) << " / "
          << textToUtf8(entry.value);
    }
  }
}

TEST(ProfileEntryRules, EachPartHasItsOwnRule) {
  EXPECT_TRUE(isStorableSection(u"a=b"));
  EXPECT_FALSE(isStorableKey(u"a=b"));
  EXPECT_TRUE(isStorableKey(u"a]"));
  EXPECT_FALSE(isStorableSection(u"a]"));
  EXPECT_TRUE(isStorableSection(u";Main"));
  EXPECT_FALSE(isStorableKey(u";Main"));
  EXPECT_TRUE(isStorableValue(u""));
  EXPECT_TRUE(isStorableValue(u"[x]=;y"));
  EXPECT_FALSE(isStorableValue(u"x\ny"));
}

TEST(ProfileEntryRules, TheNativeServiceStoresExactlyTheStorableEntries) {
  ZARN_NATIVE_ONLY("the platform's profile functions write every entry");
  const std::string file = joinPath(scratchFolder("profile_entry_rules"), "rules.ini");
  for (const Entry& entry : entries) {
    EXPECT_EQ(ProfileService::WritePrivateProfileStringA(
                  toNarrow(entry.section).c_str(), toNarrow(entry.key).c_str(),
                  toNarrow(entry.value).c_str(), file.c_str()),
              entry.storable)
        << textToUtf8(entry.section) << " / " << textToUtf8(entry.key) << " / "
        << textToUtf8(entry.value);
  }
}

}  // namespace
}  // namespace zarn
