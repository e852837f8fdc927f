// The INI API over the profile service of the target (our engine natively,
// Wine's kernel32 on Windows): values read back whole, missing told apart
// from empty, listings, and every refusal leaving the file as it was.
#include "zarnutils/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/file_bytes.h"
#include "support/ini_test_paths.h"

namespace zarn::ini {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = joinPath(scratchFolder(std::string("ini_file_") + info->name()), "test.ini");
    test::writeBytes(unixPathOf(path_),
                     "[Main]\r\nPort = 8080 \r\nQuoted=\"a b\"\r\nEmpty=\r\nBare line\r\n"
                     "; comment\r\n[ Other ]\r\nK=v\r\n[main]\r\nPort=shadowed\r\n");
  }
  std::string bytes() const { return test::readBytes(unixPathOf(path_)); }

  std::string path_;
  File ini() const { return File(path_); }
};

TEST_F(IniFileTest, ValuesReadWholeAndMissingIsNotEmpty) {
  const std::string longValue(10000, 'x');  // past the first buffer
  ini().writeText("New", "Long", longValue);
  ini().writeText("New", "Text", "h\xC3\xA9llo");
  struct Row {
    const char* section;
    const char* key;
    std::optional<std::string> text;
    std::optional<int32_t> number;
  };
  const Row rows[] = {{"Main", "Port", "8080", 8080},
                      {"MAIN", " port ", "8080", 8080},
                      {"Main", "Quoted", "a b", 0},
                      {"Main", "Empty", "", std::nullopt},
                      {"Main", "Missing", {}, {}},
                      {"Nowhere", "Port", {}, {}},
                      {"Other", "K", "v", 0},
                      {"New", "Long", longValue, 0},
                      {"New", "Text", "h\xC3\xA9llo", 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.section) + "/" + row.key);
    EXPECT_EQ(ini().readText(row.section, row.key), row.text);
    EXPECT_EQ(ini().readInteger(row.section, row.key), row.number);
  }
  EXPECT_EQ(ini().readText("Main", "Missing", "none"), "none");
  EXPECT_EQ(ini().readInteger("Main", "Empty", -3), -3);
  EXPECT_EQ(File(path_ + ".missing").readText("Main", "Port"), std::nullopt);
  EXPECT_TRUE(File(path_ + ".missing").sectionNames().empty());
}

TEST_F(IniFileTest, ListingsAndDeletes) {
  EXPECT_EQ(ini().sectionNames(), (std::vector<std::string>{"Main", "Other", "main"}));
  EXPECT_TRUE(ini().hasSection(" other\t"));
  EXPECT_FALSE(ini().hasSection("Oth"));
  const std::vector<Entry> entries = ini().entries("MAIN");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].name, "Port");
  EXPECT_EQ(entries[0].value, "8080");
  EXPECT_EQ(entries[1].line, "Quoted=\"a b\"");
  EXPECT_EQ(entries[1].value, "a b");
  EXPECT_EQ(entries[2].value, "");
  EXPECT_EQ(entries[3].name, "Bare line");
  EXPECT_EQ(entries[3].value, std::nullopt);
  EXPECT_TRUE(ini().entries("Nowhere").empty());

  ini().deleteEntry("Main", "Quoted");
  ini().deleteEntry("Main", "Gone");
  ini().deleteSection("Other");
  ini().deleteSection("Gone");
  EXPECT_EQ(ini().readText("Main", "Quoted"), std::nullopt);
  EXPECT_EQ(ini().sectionNames(), (std::vector<std::string>{"Main", "main"}));
}

// The changes of one apply, checked and then written: each one's outcome and
// the value it found, the file written once with every other byte kept, and
// a second apply finding nothing to do, so that it writes nothing even to a
// read-only file; nor do changes that undo each other.
TEST_F(IniFileTest, ChangesAppliedInOneWrite) {
  Changes changes;
  changes.set("main", " Port ", "8080")
      .set("Main", "Quoted", "\"a b\"")
      .set("Other", "K", "w")
      .set("Main", "Added", "1")
      .deleteEntry("Main", "Empty")
      .deleteEntry("Main", "Gone")
      .set("New", "A", "b")
      .deleteSection("Nowhere");
  struct Row {
    Outcome outcome;
    std::optional<std::string> before;
  };
  const Row rows[] = {{Outcome::Unchanged, "8080"},     {Outcome::Unchanged, "a b"},
                      {Outcome::Changed, "v"},          {Outcome::Created, std::nullopt},
                      {Outcome::Deleted, ""},           {Outcome::Unchanged, std::nullopt},
                      {Outcome::Created, std::nullopt}, {Outcome::Unchanged, std::nullopt}};
  const std::string before = bytes();
  const std::string after =
      "[Main]\r\nPort = 8080 \r\nQuoted=\"a b\"\r\nBare line\r\nAdded=1\r\n; comment\r\n"
      "[ Other ]\r\nK=w\r\n[main]\r\nPort=shadowed\r\n[New]\r\nA=b\r\n";
  for (const ApplyMode mode : {ApplyMode::Check, ApplyMode::Write}) {
    const Applied applied = ini().apply(changes, mode);
    ASSERT_EQ(applied.results.size(), std::size(rows));
    for (size_t at = 0; at < std::size(rows); ++at) {
      SCOPED_TRACE(at);
      EXPECT_EQ(applied.results[at].outcome, rows[at].outcome);
      EXPECT_EQ(applied.results[at].before, rows[at].before);
    }
    EXPECT_TRUE(applied.changed);
    EXPECT_EQ(applied.before, before);
    // Wine's profile functions write the whole file anew, in a form of their own.
    if (!testingWine) {
      EXPECT_EQ(applied.after, after);
    }
    EXPECT_EQ(bytes(), mode == ApplyMode::Check ? before : applied.after);
  }
  std::filesystem::permissions(unixPathOf(path_), std::filesystem::perms::owner_read);
  const Applied again = ini().apply(changes);
  std::filesystem::permissions(unixPathOf(path_), std::filesystem::perms::owner_all);
  EXPECT_FALSE(again.changed);
  for (const ChangeResult& result : again.results) EXPECT_EQ(result.outcome, Outcome::Unchanged);
  EXPECT_EQ(bytes(), again.before);
  // Changes that undo each other are each reported, and nothing is written.
  const Applied undone = ini().apply(Changes().set("Other", "K", "x").set("Other", "K", "w"));
  EXPECT_FALSE(undone.changed);
  EXPECT_EQ(undone.results[1].outcome, Outcome::Changed);
  EXPECT_EQ(bytes(), again.before);
}

TEST_F(IniFileTest, EveryValueOfARepeatedEntry) {
  test::writeBytes(unixPathOf(path_),
                   "[Peer]\nAllowedIPs=10.0.0.1\nallowedips = '10.0.0.2'\n"
                   "Other=x\n[Peer]\nAllowedIPs=10.0.0.3\n");
  EXPECT_EQ(ini().readAllText("peer", "AllowedIPs"),
            (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
  EXPECT_EQ(ini().readText("Peer", "AllowedIPs"), "10.0.0.1");
  EXPECT_TRUE(ini().readAllText("Peer", "Missing").empty());
}

// Each refused call names its reason and changes nothing.
TEST_F(IniFileTest, RefusalsTouchNothing) {
  const std::string nul("a\0b", 3);
  struct Row {
    const char* what;
    std::function<void(std::error_code&)> call;
    std::error_code code;
  };
  const Row rows[] = {
      {"not UTF-8", [&](auto& ec) { ini().writeText("S\xFF", "k", "v", ec); }, Refusal::NotUtf8},
      {"NUL in file", [&](auto& ec) { File(path_ + nul).readText("Main", "Port", ec); },
       Refusal::FileName},
      {"NUL in read section", [&](auto& ec) { ini().hasSection("Main" + nul, ec); },
       Refusal::SectionName},
      {"NUL in read key", [&](auto& ec) { ini().readInteger("Main", "Port" + nul, ec); },
       Refusal::KeyName},
      {"']' in section", [&](auto& ec) { ini().writeText("Ma]in", "k", "v", ec); },
       Refusal::SectionName},
      {"'=' in key", [&](auto& ec) { ini().writeText("Main", "a=b", "v", ec); }, Refusal::KeyName},
      {"line break in value", [&](auto& ec) { ini().writeText("Main", "k", "a\nb", ec); },
       Refusal::Value},
      {"delete of ';' key", [&](auto& ec) { ini().deleteEntry("Main", ";k", ec); }, Refusal::Name},
      {"delete of blank section", [&](auto& ec) { ini().deleteSection(" ", ec); }, Refusal::Name},
      {"'=' in the key of one change",
       [&](auto& ec) {
         ini().apply(Changes().set("Main", "k", "v").set("Main", "a=b", "v"), ApplyMode::Write, ec);
       },
       Refusal::KeyName},
  };
  const std::string before = bytes();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::error_code ec;
    row.call(ec);
    EXPECT_EQ(ec, row.code);
    EXPECT_EQ(bytes(), before);
  }
  EXPECT_EQ(std::error_code(Refusal::KeyName).message(), "a key name the file format cannot hold");
  try {
    ini().writeText("Main", "", "v");
    FAIL() << "an empty key was written";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), Refusal::KeyName);
    EXPECT_EQ(error.file(), path_);
    EXPECT_EQ(std::string(error.what()), path_ + ": a key name the file format cannot hold");
  }
}

TEST_F(IniFileTest, PlatformFailuresSayWhy) {
  std::error_code ec;
  File(joinPath(path_ + ".none", "app.ini")).writeText("Main", "k", "v", ec);
  EXPECT_GT(ec.value(), 0);
  EXPECT_EQ(ec.category(), iniCategory());
  EXPECT_EQ(ec.message(), "folder missing");
}

// Text the system's code page cannot hold is refused on Windows rather than
// written as other text; natively (UTF-8) every character reads back.
TEST_F(IniFileTest, TextIsNeverChangedOnItsWay) {
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC";
  const std::string before = bytes();
  std::error_code ec;
  ini().writeText(japanese, japanese, japanese, ec);
  if (testingWine && ec) {
    EXPECT_EQ(ec, Refusal::NotInCodePage);
    EXPECT_EQ(bytes(), before);
  } else {
    EXPECT_FALSE(ec) << ec.message();
    EXPECT_EQ(ini().readText(japanese, japanese), japanese);
    EXPECT_EQ(ini().sectionNames().back(), japanese);
  }
}

}  // namespace
}  // namespace zarn::ini
