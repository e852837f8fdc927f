// The native narrow code page is UTF-8: it holds every text but one with a
// surrogate out of its pair, and a text cut after a number of bytes loses a
// character the cut went through, and keeps every whole one.
#include "platform/narrow_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace zarn {
namespace {

TEST(NarrowTextHolds, EveryTextButOneWithALoneSurrogate) {
  EXPECT_TRUE(narrowHolds(u""));
  EXPECT_TRUE(narrowHolds(u"caf\u00E9 \u65E5\u672C \U0001F600"));
  constexpr char16_t high = 0xD83D, low = 0xDE00;  // U+1F600 is high, then low
  const std::u16string lone[] = {{u'a', high}, {high, u'b'}, {u'a', low, u'b'}, {low, high}};
  for (const std::u16string& text : lone) {
    EXPECT_FALSE(narrowHolds(text)) << text.size() << " units";
  }
}

TEST(NarrowTextCut, DropsACharacterCutAtAnyOfItsBytes) {
  for (const std::string character : {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {  // é € 😀
    const std::string text = "ab" + character;
    for (size_t kept = 1; kept < character.size(); ++kept) {
      const std::string_view cut = std::string_view(text).substr(0, 2 + kept);
      EXPECT_EQ(withoutIncompleteCharacter(cut), "ab")
          << character.size() << "-byte character, " << kept << " byte(s) of it kept";
      EXPECT_EQ(withoutIncompleteCharacter(cut.substr(2)), "");
    }
    EXPECT_EQ(withoutIncompleteCharacter(text), text);
  }
}

TEST(NarrowTextCut, KeepsTextThatEndsWithAWholeCharacter) {
  EXPECT_EQ(withoutIncompleteCharacter(""), "");
  EXPECT_EQ(withoutIncompleteCharacter("plain"), "plain");
  const std::string mixed = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // é € 😀 z
  EXPECT_EQ(withoutIncompleteCharacter(mixed), mixed);
  EXPECT_EQ(withoutIncompleteCharacter(std::string_view(mixed).substr(0, 9)), mixed.substr(0, 9));
  EXPECT_EQ(withoutIncompleteCharacter(std::string_view(mixed).substr(0, 8)), mixed.substr(0, 5));
  EXPECT_EQ(withoutIncompleteCharacter(std::string_view(mixed).substr(0, 4)), mixed.substr(0, 2));
}

}  // namespace
}  // namespace zarn
