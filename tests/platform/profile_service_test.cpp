// The profile service's reading and writing rules, checked on both targets
// with the same small files: natively against our INI engine, on win32
// against the platform's own functions (Wine's kernel32).
#include "platform/profile_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ini_test_paths.h"

namespace zarn {
namespace {

constexpr const char* defaultText = "<default>";

struct TextReading {
  const char* file;
  const char* section;
  const char* key;
  const char* expected;  // nullptr: the default
};

struct IntegerReading {
  const char* key;
  int32_t expected;  // with the default 77
};

struct Listing {
  const char* file;
  const char* section;   // nullptr: the section names
  const char* expected;  // items separated by '|'
};

std::string readText(const std::string& file, const char* section, const char* key,
                     uint32_t size = 255) {
  std::string buffer(size, ' ');
  const uint32_t count = ProfileService::GetPrivateProfileStringA(
      section, key, defaultText, buffer.data(), size, file.c_str());
  EXPECT_LT(count, size);
  EXPECT_EQ(buffer[count], '\0');
  return buffer.substr(0, count);
}

int32_t readInteger(const std::string& file, const char* section, const char* key,
                    int32_t defaultValue) {
  return static_cast<int32_t>(
      ProfileService::GetPrivateProfileIntA(section, key, defaultValue, file.c_str()));
}

// The whole list as the service writes it: items, each with its NUL, and the
// closing NUL.
std::string fullList(const char* items) {
  std::string list;
  for (const char* c = items; *c != '\0'; ++c) list.push_back(*c == '|' ? '\0' : *c);
  if (!list.empty()) list.push_back('\0');
  list.push_back('\0');
  return list;
}

uint32_t listInto(const std::string& file, const char* section, std::string& buffer) {
  const auto size = static_cast<uint32_t>(buffer.size());
  return section == nullptr
             ? ProfileService::GetPrivateProfileSectionNamesA(buffer.data(), size, file.c_str())
             : ProfileService::GetPrivateProfileSectionA(section, buffer.data(), size,
                                                         file.c_str());
}

// The items, each with its NUL, as far as the count reaches.
std::string listed(const std::string& file, const char* section) {
  std::string buffer(4096, ' ');
  const uint32_t count = listInto(file, section, buffer);
  return buffer.substr(0, count);
}

std::string items(const char* separated) {
  const std::string list = fullList(separated);
  return list.substr(0, list.size() - 1);
}

TEST(ProfileReading, FollowsThePlatformRules) {
  const std::vector<TextReading> readings = {
      {"case.ini", "MixedCase", "KeyName", "value1"},
      {"case.ini", "mixedcase", "keyname", "value1"},
      {"case.ini", "MIXEDCASE", "KEYNAME", "value1"},
      {"blanks.ini", "spaced section", "key one", "value with inner blanks"},
      {"blanks.ini", "  spaced section ", " key one  ", "value with inner blanks"},
      {"blanks.ini", "spaced section", "keyone", nullptr},
      {"blanks.ini", "spaced section", "tabbed", "tab value"},
      {"quotes.ini", "q", "double", "quoted value"},
      {"quotes.ini", "q", "single", "single"},
      {"quotes.ini", "q", "unbalanced", "\"open"},
      {"quotes.ini", "q", "inner", "a\"b\"c"},
      {"quotes.ini", "q", "mixed", "\"x'"},
      {"quotes.ini", "q", "lone", "\""},
      {"quotes.ini", "q", "padded", " inside "},
      {"comments.ini", "c", "key", nullptr},
      {"comments.ini", "c", "real", "diet ;x"},
      {"hash.ini", "h", "#note", "visible"},
      {"before_section.ini", "first", "orphan", nullptr},
      {"before_section.ini", "first", "inside", "2"},
      {"duplicates.ini", "dup", "k", "first"},
      {"duplicates.ini", "DUP", "k", "first"},
      {"duplicates.ini", "dup", "extra", nullptr},
      {"duplicates.ini", "other", "o", "1"},
      {"crlf.ini", "s", "a", "1"},
      {"crlf.ini", "s", "b", "2"},
      {"lf.ini", "s", "a", "1"},
      {"lf.ini", "s", "b", "2"},
      {"cr.ini", "s", "a", "1"},
      {"cr.ini", "s", "b", "2"},
      {"no_final_newline.ini", "s", "first", "1"},
      {"no_final_newline.ini", "s", "last", "end"},
      // Windows itself takes a UTF-8 byte order mark for text; the native
      // engine and Wine skip it.
      {"utf8_bom.ini", "bom", "k", "v"},
      {"utf16le.ini", "wide", "k", "w"},
      {"utf16le.ini", "wide", "other", "x y"},
      {"equals.ini", "e", "k", "a=b"},
      {"equals.ini", "e", "noequals", nullptr},
      {"equals.ini", "e", "empty", ""},
      {"equals.ini", "e", "blank", ""},
      {"header_forms.ini", "real", "k", "v"},
      {"header_forms.ini", "open", "stray", nullptr},
      {"missing.ini", "s", "k", nullptr},
  };
  for (const TextReading& reading : readings) {
    SCOPED_TRACE(std::string(reading.file) + " [" + reading.section + "] " + reading.key);
    const std::string expected = reading.expected == nullptr ? defaultText : reading.expected;
    EXPECT_EQ(readText(sampleIni(reading.file), reading.section, reading.key), expected);
  }
}

TEST(ProfileReading, ReadsIntegersAsThePlatformDoes) {
  const std::vector<IntegerReading> readings = {
      {"hex", 31},          {"upperhex", 0},
      {"leadingzero", 10},  {"octal", 15},
      {"binary", 5},        {"trailing", 12},
      {"fraction", 3},      {"letters", 0},
      {"wrap", 1},          {"bigwrap", 1215752191},
      {"minus", -1},        {"quoted", 42},
      {"empty", 77},        {"plus", 7},
      {"negativehex", -16}, {"missing", 77},
      {"longzeros", 0},  // only the first 29 characters are read
  };
  const std::string file = sampleIni("integers.ini");
  for (const IntegerReading& reading : readings) {
    SCOPED_TRACE(reading.key);
    EXPECT_EQ(readInteger(file, "n", reading.key, 77), reading.expected);
  }
  EXPECT_EQ(readInteger(file, "nosection", "hex", -5), -5);
  EXPECT_EQ(readInteger(sampleIni("missing.ini"), "n", "hex", -5), -5);
}

TEST(ProfileReading, CutsTextToTheBuffer) {
  const std::string file = sampleIni("quotes.ini");
  EXPECT_EQ(readText(file, "q", "double", 5), "quot");
  EXPECT_EQ(readText(sampleIni("case.ini"), "MixedCase", "KeyName", 7), "value1");
  EXPECT_EQ(readText(file, "q", "double", 1), "");
  EXPECT_EQ(readText(file, "q", "nothing", 4), "<de");

  std::string untouched(4, 'x');
  EXPECT_EQ(ProfileService::GetPrivateProfileStringA("q", "double", "", untouched.data(), 0,
                                                     file.c_str()),
            0u);
  EXPECT_EQ(untouched, "xxxx");
}

TEST(ProfileReading, KeepsAQuotedValueThatExactlyFits) {
  if (testingWine)
    GTEST_SKIP() << "Wine drops the last character of a quoted value that exactly fits";
  EXPECT_EQ(readText(sampleIni("quotes.ini"), "q", "double", 13), "quoted value");
}

TEST(ProfileReading, FindsNoCommentEvenWhenAskedForItsText) {
  if (testingWine)
    GTEST_SKIP() << "Wine reads a comment line as an entry whose name starts with ';'";
  const std::string file = sampleIni("comments.ini");
  EXPECT_EQ(readText(file, "c", "; key"), defaultText);
  EXPECT_EQ(readText(file, "c", ";indented"), defaultText);
}

TEST(ProfileReading, TrimsTrailingBlanksOfTheDefault) {
  std::string buffer(64, ' ');
  const uint32_t count = ProfileService::GetPrivateProfileStringA(
      "s", "k", "  spaced default  ", buffer.data(), 64, sampleIni("missing.ini").c_str());
  EXPECT_EQ(buffer.substr(0, count), "  spaced default");
}

TEST(ProfileListing, ListsSectionsAndLines) {
  const std::vector<Listing> listings = {
      {"sections.ini", nullptr, "alpha|beta|gamma"},
      {"duplicates.ini", nullptr, "dup|other|DUP"},
      {"case.ini", nullptr, "MixedCase"},
      {"before_section.ini", nullptr, "first"},
      {"header_forms.ini", nullptr, "real"},
      {"utf8_bom.ini", nullptr, "bom"},
      {"utf16le.ini", nullptr, "wide"},
      {"missing.ini", nullptr, ""},
      {"quotes.ini", "q",
       "double=\"quoted value\"|single='single'|unbalanced=\"open|inner=a\"b\"c|mixed=\"x'|"
       "lone=\"|padded=\" inside \""},
      {"comments.ini", "c", "real=diet ;x"},
      {"hash.ini", "h", "#note=visible|# a line without equals"},
      {"equals.ini", "e", "k=a=b|=nameless|noequals|empty=|blank="},
      {"blanks.ini", "SPACED SECTION", "key one=value with inner blanks|tabbed=tab value"},
      {"duplicates.ini", "dup", "k=first|k=second"},
      {"sections.ini", "beta", ""},
      {"sections.ini", "delta", ""},
      {"missing.ini", "s", ""},
  };
  for (const Listing& listing : listings) {
    SCOPED_TRACE(std::string(listing.file) + " [" + (listing.section ? listing.section : "") + "]");
    EXPECT_EQ(listed(sampleIni(listing.file), listing.section), items(listing.expected));
  }
}

// A buffer of any size holds either the whole list with room to spare, or
// the list's first size - 2 bytes, a NUL, and (except under Wine) a second
// NUL; the count is then size - 2.
TEST(ProfileListing, ReportsAListThatDoesNotFitAsSizeMinusTwo) {
  const std::vector<Listing> listings = {
      {"sections.ini", nullptr, "alpha|beta|gamma"},
      {"duplicates.ini", "dup", "k=first|k=second"},
  };
  for (const Listing& listing : listings) {
    const std::string expected = fullList(listing.expected);
    for (uint32_t size = 2; size <= expected.size() + 3; ++size) {
      SCOPED_TRACE(std::string(listing.file) + " size " + std::to_string(size));
      std::string buffer(size, ' ');
      const uint32_t count = listInto(sampleIni(listing.file), listing.section, buffer);
      if (size > expected.size()) {
        EXPECT_EQ(count, expected.size() - 1);
        EXPECT_EQ(buffer.substr(0, expected.size()), expected);
        continue;
      }
      EXPECT_EQ(count, size - 2);
      EXPECT_EQ(buffer.substr(0, size - 2), expected.substr(0, size - 2));
      EXPECT_EQ(buffer[size - 2], '\0');
      if (!testingWine) {
        EXPECT_EQ(buffer[size - 1], '\0');
      }
    }
  }
}

class ProfileWriting : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = scratchFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
    file_ = joinPath(folder_, "written.ini");
  }

  bool write(const char* section, const char* key, const char* value) {
    return ProfileService::WritePrivateProfileStringA(section, key, value, file_.c_str());
  }

  std::string folder_;
  std::string file_;
};

TEST_F(ProfileWriting, CreatesAMissingFile) {
  ASSERT_TRUE(write("Sec", "Key", "Value"));
  EXPECT_EQ(readText(file_, "sec", "key"), "Value");
  EXPECT_EQ(listed(file_, nullptr), items("Sec"));
}

TEST_F(ProfileWriting, ReplacesAValueKeepingTheNamesAsWritten) {
  ASSERT_TRUE(write("Sec", "Key", "one"));
  ASSERT_TRUE(write("SEC", " KEY ", "two"));
  EXPECT_EQ(readText(file_, "Sec", "Key"), "two");
  EXPECT_EQ(listed(file_, "sec"), items("Key=two"));
  EXPECT_EQ(listed(file_, nullptr), items("Sec"));
}

TEST_F(ProfileWriting, AppendsEntriesToTheirSectionAndSectionsAtTheEnd) {
  ASSERT_TRUE(write("a", "x", "1"));
  ASSERT_TRUE(write("b", "y", "2"));
  ASSERT_TRUE(write("a", "z", "3"));
  EXPECT_EQ(listed(file_, "a"), items("x=1|z=3"));
  EXPECT_EQ(listed(file_, nullptr), items("a|b"));
}

TEST_F(ProfileWriting, DeletesAnEntryOrASection) {
  ASSERT_TRUE(write("a", "x", "1"));
  ASSERT_TRUE(write("a", "y", "2"));
  ASSERT_TRUE(write("b", "z", "3"));
  EXPECT_TRUE(write("a", "x", nullptr));
  EXPECT_EQ(listed(file_, "a"), items("y=2"));
  EXPECT_TRUE(write("b", nullptr, nullptr));
  EXPECT_EQ(listed(file_, nullptr), items("a"));
  EXPECT_EQ(readText(file_, "b", "z"), defaultText);
}

TEST_F(ProfileWriting, WritesNumbersThatReadBack) {
  ASSERT_TRUE(write("n", "v", "-42"));
  EXPECT_EQ(readInteger(file_, "n", "v", 0), -42);
}

TEST_F(ProfileWriting, FailsInAMissingFolder) {
  const std::string missingFolder = joinPath(folder_, "missing");
  const std::string file = joinPath(missingFolder, "x.ini");
  EXPECT_FALSE(ProfileService::WritePrivateProfileStringA("s", "k", "v", file.c_str()));
  EXPECT_FALSE(std::filesystem::exists(missingFolder));
}

}  // namespace
}  // namespace zarn
