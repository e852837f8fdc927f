// How a parsed INI document finds sections and entries: the same answers
// from its first look-up, which walks the lines, and from every later one,
// which goes through its index of names hashed and compared in place.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/native/ini/ini_document.h"

namespace zarn {
namespace {

constexpr const char* text =
    "orphan=before any section\n"
    "[Main]\n"
    "Key=first\n"
    "KEY=second\n"
    "  spaced name  =  spaced value  \n"
    "no equals sign\n"
    "LongNameOfSixteen=long\n"
    "LongNameOfSixteeN=same long\n"
    "LongNameOfSixteem=other long\n"
    "x@y=at\n"
    "x[y=bracket\n"
    "\xC3\x89t\xC3\xA9=summer\n"  // Été
    "\xC3\xBF=y diaeresis\n"      // ÿ, whose capital is outside Latin-1
    "[main]\n"
    "only=in the second Main\n"
    "[\xD0\x94\xD0\xBE\xD0\xBC]\n"  // Дом
    "k=cyrillic\n"
    "[ Spaced Section ]\n"
    "k=spaced\n";

struct Query {
  const char* section;
  const char* key;
  const char* expected;  // nullptr: not found
};

const std::vector<Query> queries = {
    {"main", "key", "first"},
    {" MAIN\t", "\tkEy ", "first"},
    {"Main", "spaced name", "spaced value"},
    {"Main", "no equals sign", nullptr},
    {"Main", "orphan", nullptr},
    {"Main", "longnameofsixteen", "long"},
    {"Main", "LongNameOfSixteem", "other long"},
    {"Main", "LongNameOfSixtee", nullptr},
    {"Main", "x@y", "at"},
    {"Main", "x`y", nullptr},
    {"Main", "x[y", "bracket"},
    {"Main", "x{y", nullptr},
    {"Main", "\xC3\xA9T\xC3\x89", "summer"},  // éTÉ
    {"Main", "\xC5\xB8", "y diaeresis"},      // Ÿ
    {"Main", "only", nullptr},
    {"\xD0\xB4\xD0\xBE\xD0\x9C", "K", "cyrillic"},  // доМ
    {"spaced section", "k", "spaced"},
    {"Missing", "k", nullptr},
};

const char* lookUp(const IniDocument& document, const Query& query) {
  static std::string found;
  const IniSection* section = document.findSection(query.section);
  const IniLine* entry = section == nullptr ? nullptr : document.findEntry(*section, query.key);
  if (entry == nullptr) return nullptr;
  found = document.value(*entry);
  return found.c_str();
}

std::unique_ptr<IniDocument> parsed() {
  return std::make_unique<IniDocument>(IniText{IniEncoding::Utf8, text, 0});
}

TEST(IniDocumentLookUp, AnswersAlikeBeforeAndAfterItsIndexIsMade) {
  const auto indexed = parsed();
  for (int pass = 0; pass < 2; ++pass) {
    for (const Query& query : queries) {
      SCOPED_TRACE(std::string(query.section) + " / " + query.key + " pass " +
                   std::to_string(pass));
      const char* expected = query.expected == nullptr ? "(none)" : query.expected;
      const char* first = lookUp(*parsed(), query);
      EXPECT_STREQ(first == nullptr ? "(none)" : first, expected) << "first look-up";
      const char* later = lookUp(*indexed, query);
      EXPECT_STREQ(later == nullptr ? "(none)" : later, expected) << "indexed look-up";
    }
  }
}

TEST(IniDocumentLookUp, FindsTheFirstOfDuplicateSections) {
  const auto document = parsed();
  for (int pass = 0; pass < 3; ++pass) {
    const IniSection* section = document->findSection("MAIN");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(document->name(*section), "Main");
    EXPECT_EQ(document->lines(*section).size(), 11u);
  }
  EXPECT_EQ(document->sections().size(), 4u);
}

// Each ASCII character at the start, across the first word boundary and at
// the end of a name: names match exactly when their upper-cased forms are
// equal, and names that match hash alike.
TEST(IniNames, MatchAndHashAsUpperCasedAscii) {
  const auto upper = [](std::string name) {
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
  };
  for (const size_t position : {size_t{0}, size_t{7}, size_t{8}, size_t{11}}) {
    for (int a = 1; a < 128; ++a) {
      for (int b = 1; b < 128; ++b) {
        std::string left = "name-of-twelve";
        std::string right = left;
        left[position] = static_cast<char>(a);
        right[position] = static_cast<char>(b);
        const bool alike = upper(left) == upper(right);
        ASSERT_EQ(iniNamesMatch(left, right), alike) << position << ": " << a << " " << b;
        if (alike) {
          ASSERT_EQ(iniNameHash(left), iniNameHash(right)) << a << " " << b;
        }
      }
    }
  }
}

TEST(IniNames, FoldNonAsciiNamesAsTheNarrowTextUpperCases) {
  EXPECT_TRUE(iniNamesMatch("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"));  // Été, éTÉ
  EXPECT_EQ(iniNameHash("\xC3\x89t\xC3\xA9"), iniNameHash("\xC3\xA9T\xC3\x89"));
  EXPECT_TRUE(iniNamesMatch("\xC3\xBF", "\xC5\xB8"));  // ÿ, Ÿ: two bytes each, other bytes
  EXPECT_EQ(iniNameHash("\xC3\xBF"), iniNameHash("\xC5\xB8"));
  EXPECT_FALSE(iniNamesMatch("\xC3\xA9", "\xC3\xA8"));  // é, è
  EXPECT_FALSE(iniNamesMatch("\xC3\x89", "E"));
  EXPECT_EQ(foldIniName("a\xD0\xB4z"), "A\xD0\x94Z");  // aдz
}

}  // namespace
}  // namespace zarn
