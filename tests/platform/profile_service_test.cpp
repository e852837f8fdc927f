// The profile service's reading and writing rules, checked on both targets
// with the same small files: natively against our INI engine, on win32
// against the platform's own functions (Wine's kernel32).
//
// The reading rules are golden files. Every sample NAME.ini in profile_files/
// has its expected readings in NAME.expected beside it; the test
// Samples/ProfileSample.ReadsAsExpected/NAME checks them, and fails when
// either file of the pair is missing (--gtest_filter=*NAME* runs one). To
// add a rule, add a sample and its expected file. One expectation per line;
// blank lines and lines starting with # are skipped:
//
//   sections: alpha|beta           GetPrivateProfileSectionNamesA lists these
//   section [beta]: a=1|b=2        GetPrivateProfileSectionA lists these lines
//   string [s] k: text             GetPrivateProfileStringA reads this text
//   string [s] k, size 5: text       ...into a buffer of 5 bytes (else 255)
//   int [s] k: 42                  GetPrivateProfileIntA reads this number
//   int [s] k, default -5: -5        ...with the default -5 (else 77)
//
// The section goes between the brackets exactly as it is passed. Keys and
// answers are trimmed: one with blanks at an end goes in backticks
// (` key one `). Listed items are separated by '|' (so they cannot hold
// one), and "sections:" alone is the empty list. String reads pass the
// default text "<default>", which is then their answer.
//
// Where Wine answers otherwise than Windows, whose rules the native engine
// follows, a mark gives the reason, then comes the expectation for the
// native target, then the same call prefixed with "win32" and Wine's answer:
//
//   win32: Wine reads a comment line as an entry whose name starts with ';'
//   string [c] ; key: <default>
//   win32 string [c] ; key: hidden
#include "platform/profile_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/ini_test_paths.h"
#include "support/profile_expectations.h"

namespace zarn {
namespace {

using test_support::ProfileCall;
using test_support::ProfileExpectation;
using test_support::ProfileTarget;

constexpr const char* defaultText = test_support::expectedDefaultText;

std::string readText(const std::string& file, const char* section, const char* key) {
  constexpr uint32_t size = test_support::expectedBufferSize;
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
std::string fullList(const std::string& items) {
  std::string list = items;
  std::replace(list.begin(), list.end(), '|', '\0');
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

// A text as a C string literal, so NULs and blanks at the ends show.
std::string shown(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\0') {
      out += "\\0";
    } else if (c == '"' || c == '\\') {
      out += std::string("\\") + c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

struct Reading {
  std::string call;      // the platform call as made
  std::string expected;  // shown
  std::string actual;    // shown
};

Reading read(const ProfileExpectation& expectation, const std::string& file,
             const std::string& fileName) {
  const char* section = expectation.section.c_str();
  const char* key = expectation.key.c_str();
  const std::string inFile = ", " + shown(fileName) + ")";
  switch (expectation.call) {
    case ProfileCall::String: {
      std::string buffer(expectation.size, ' ');
      const uint32_t count = ProfileService::GetPrivateProfileStringA(
          section, key, defaultText, buffer.data(), expectation.size, file.c_str());
      std::string actual;
      if (count >= expectation.size)
        actual = "count " + std::to_string(count) + ", beyond the buffer";
      else if (buffer[count] != '\0')
        actual = shown(buffer.substr(0, count)) + " without a NUL after it";
      else
        actual = shown(buffer.substr(0, count));
      return {"GetPrivateProfileStringA(" + shown(section) + ", " + shown(key) + ", " +
                  shown(defaultText) + ", buffer, " + std::to_string(expectation.size) + inFile,
              shown(expectation.text), actual};
    }
    case ProfileCall::Int: {
      const int32_t actual = readInteger(file, section, key, expectation.defaultNumber);
      return {"GetPrivateProfileIntA(" + shown(section) + ", " + shown(key) + ", " +
                  std::to_string(expectation.defaultNumber) + inFile,
              std::to_string(expectation.number), std::to_string(actual)};
    }
    case ProfileCall::SectionNames:
    case ProfileCall::SectionLines: {
      const bool names = expectation.call == ProfileCall::SectionNames;
      std::string buffer(4096, ' ');
      const uint32_t count = listInto(file, names ? nullptr : section, buffer);
      const std::string actual = buffer.substr(0, std::min<std::size_t>(count + 1, buffer.size()));
      return {names ? "GetPrivateProfileSectionNamesA(buffer, 4096" + inFile
                    : "GetPrivateProfileSectionA(" + shown(section) + ", buffer, 4096" + inFile,
              shown(fullList(expectation.text)), shown(actual)};
    }
  }
  return {};
}

constexpr ProfileTarget thisTarget = testingWine ? ProfileTarget::Win32 : ProfileTarget::Native;

const std::string samplesFolder = ZARN_INI_FILES;

// Every name in the samples folder, with the endings its files have there.
std::map<std::string, std::set<std::string>> filesByName() {
  std::map<std::string, std::set<std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(servicePath(samplesFolder)))
    files[entry.path().stem().string()].insert(entry.path().extension().string());
  return files;
}

std::vector<std::string> sampleNames() {
  std::vector<std::string> names;
  for (const auto& [name, endings] : filesByName()) names.push_back(name);
  return names;
}

class ProfileSample : public testing::TestWithParam<std::string> {};

TEST_P(ProfileSample, ReadsAsExpected) {
  const std::string name = GetParam();
  std::set<std::string> endings = filesByName()[name];
  if (endings.erase(".ini") == 0)
    ADD_FAILURE() << name << ".expected has no sample " << name << ".ini beside it";
  if (endings.erase(".expected") == 0)
    ADD_FAILURE() << name << ".ini has no expected readings " << name << ".expected beside it";
  for (const std::string& ending : endings)
    ADD_FAILURE() << name << ending
                  << " is neither a sample (.ini) nor expected readings (.expected)";
  if (HasFailure()) return;

  const std::string expectedPath = samplesFolder + "/" + name + ".expected";
  std::ifstream in(servicePath(expectedPath), std::ios::binary);
  ASSERT_TRUE(in) << "cannot open " << expectedPath;
  const test_support::ProfileExpectations parsed = test_support::parseProfileExpectations(in);
  for (const auto& error : parsed.errors)
    ADD_FAILURE_AT(expectedPath.c_str(), error.line) << error.what;
  ASSERT_FALSE(parsed.expectations.empty()) << expectedPath << " expects nothing";

  const std::string fileName = name + ".ini";
  const std::string file = sampleIni(fileName);
  for (const ProfileExpectation& expectation : parsed.expectations) {
    if (expectation.target != ProfileTarget::Both && expectation.target != thisTarget) continue;
    const Reading reading = read(expectation, file, fileName);
    if (reading.actual == reading.expected) continue;
    ADD_FAILURE_AT(expectedPath.c_str(), expectation.line)
        << expectation.source << "\n  call:     " << reading.call
        << (expectation.reason.empty() ? "" : "\n  marked:   ") << expectation.reason
        << "\n  expected: " << reading.expected << "\n  actual:   " << reading.actual;
  }
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Samples, ProfileSample, testing::ValuesIn(sampleNames()), testName);

// Calls the expected files cannot write: a missing file, a buffer of size 0,
// another default text, every buffer size in turn, writes.

TEST(ProfileReading, GivesDefaultsAndEmptyListsForAMissingFile) {
  const std::string file = sampleIni("missing.ini");
  EXPECT_EQ(readText(file, "s", "k"), defaultText);
  EXPECT_EQ(readInteger(file, "n", "hex", -5), -5);
  EXPECT_EQ(listed(file, nullptr), "");
  EXPECT_EQ(listed(file, "s"), "");
}

TEST(ProfileReading, WritesNothingIntoABufferOfSizeZero) {
  std::string untouched(4, 'x');
  EXPECT_EQ(ProfileService::GetPrivateProfileStringA("q", "double", "", untouched.data(), 0,
                                                     sampleIni("quotes.ini").c_str()),
            0u);
  EXPECT_EQ(untouched, "xxxx");
}

TEST(ProfileReading, TrimsTrailingBlanksOfTheDefault) {
  std::string buffer(64, ' ');
  const uint32_t count = ProfileService::GetPrivateProfileStringA(
      "s", "k", "  spaced default  ", buffer.data(), 64, sampleIni("missing.ini").c_str());
  EXPECT_EQ(buffer.substr(0, count), "  spaced default");
}

// A buffer of any size holds either the whole list with room to spare, or
// the list's first size - 2 bytes, a NUL, and (except under Wine) a second
// NUL; the count is then size - 2.
TEST(ProfileListing, ReportsAListThatDoesNotFitAsSizeMinusTwo) {
  struct Listing {
    const char* file;
    const char* section;  // nullptr: the section names
    const char* items;    // separated by '|'
  };
  const std::vector<Listing> listings = {
      {"sections.ini", nullptr, "alpha|beta|gamma"},
      {"duplicates.ini", "dup", "k=first|k=second"},
  };
  for (const Listing& listing : listings) {
    const std::string expected = fullList(listing.items);
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
