#include "automation/text.h"

#include <gtest/gtest.h>

#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A é € 😀
  const Text text = utf8ToText(utf8);
  EXPECT_EQ(text, u"A\u00E9\u20AC\U0001F600");
  EXPECT_EQ(textToUtf8(text), utf8);
}

TEST(Utf8, ReplacesMalformedInput) {
  EXPECT_EQ(utf8ToText("a\xFF"
                       "b"),
            u"a\uFFFDb");
  EXPECT_EQ(utf8ToText("\xC3"), u"\uFFFD");            // truncated sequence
  EXPECT_EQ(utf8ToText("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong slash
  EXPECT_EQ(utf8ToText("\xED\xA0\x80").size(), 3u);    // encoded surrogate
  EXPECT_EQ(textToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

// What utf8ToText would replace, utf8Argument refuses.
TEST(Utf8, ArgumentsAreUtf8OrRefused) {
  EXPECT_TRUE(isUtf8(std::string("A\xC3\xA9\xF0\x9F\x98\x80\0", 8)));
  for (const char* bytes : {"a\xFF", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    EXPECT_FALSE(isUtf8(bytes)) << bytes;
    EXPECT_THROW(utf8Argument(bytes), AutomationError) << bytes;
  }
  EXPECT_EQ(utf8Argument("caf\xC3\xA9"), u"caf\u00E9");
}

TEST(Utf8, KeepsNulCharacters) {
  const std::string utf8("a\0b", 3);
  EXPECT_EQ(utf8ToText(utf8), Text(u"a\0b", 3));
  EXPECT_EQ(textToUtf8(Text(u"a\0b", 3)), utf8);
}

TEST(CaseFolding, ComparesWholeTextsIgnoringCase) {
  EXPECT_TRUE(equalsIgnoringCase(u"hkey_local_machine", u"HKEY_LOCAL_MACHINE"));
  EXPECT_TRUE(equalsIgnoringCase(u"\u00E9t\u00E9", u"\u00C9T\u00C9"));
  EXPECT_TRUE(equalsIgnoringCase(u"\u0434\u043E\u043C", u"\u0414\u041E\u041C"));
  EXPECT_FALSE(equalsIgnoringCase(u"HKLM", u"HKLM "));
  EXPECT_FALSE(equalsIgnoringCase(u"S", u"Str"));
  EXPECT_EQ(upperCase(u"_x[a]"), u"_X[A]");
}

TEST(TextHelpers, TrimOnlyTheGivenCharactersAtTheEnds) {
  EXPECT_EQ(trimmed(u"  a b \t", u" "), u"a b \t");
  EXPECT_EQ(trimmed(u" \ta b\t ", u" \t"), u"a b");
  EXPECT_EQ(trimmed(u"   ", u" "), u"");
  EXPECT_EQ(trimmed(Text(u"x\0  ", 4), u" "), Text(u"x\0", 2));
}

TEST(TextHelpers, WritesPlainDecimals) {
  EXPECT_EQ(decimalText(0), u"0");
  EXPECT_EQ(decimalText(-2147483648LL), u"-2147483648");
  EXPECT_EQ(decimalText(99), u"99");
}

}  // namespace
}  // namespace zarn
