// IniEdit over the profile service of the target: our engine natively,
// Wine's kernel32 on win32.
#include "zarnutils/ini_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/ini_test_paths.h"
#include "support/platform_marks.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

class IniEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = scratchFolder(std::string("ini_edit_") + info->name());
    file_ = joinPath(folder_, "test.ini");
  }

  void writeFile(const std::string& content) {
    std::ofstream(unixPathOf(file_), std::ios::binary) << content;
  }
  std::string fileContent() {
    std::ifstream in(unixPathOf(file_), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  Text file() const { return utf8ToText(file_); }

  Variant read(const Text& section, const Text& name, const Text& letter, const Variant& fallback) {
    Variant result;
    EXPECT_TRUE(iniEdit.ReadValue(file(), section, name, letter, fallback, result).succeeded());
    return result;
  }
  bool write(const Text& section, const Text& name, const Variant& value) {
    AutomationBoolean result = 1;
    EXPECT_TRUE(iniEdit.WriteValue(file(), section, name, value, result).succeeded());
    return result == automationTrue;
  }
  Text sections() {
    Text result = u"stale";
    EXPECT_TRUE(iniEdit.EnumSections(file(), result).succeeded());
    return result;
  }
  Text lines(const Text& section) {
    Text result = u"stale";
    EXPECT_TRUE(iniEdit.EnumValues(file(), section, result).succeeded());
    return result;
  }

  IniEdit iniEdit;
  std::string folder_;
  std::string file_;
};

TEST_F(IniEditTest, ReadsTextAndNumbers) {
  writeFile("[Main]\nname=Zarn\nport=8080\n");
  EXPECT_EQ(read(u"main", u"NAME", u"s", Variant()), Variant::text(u"Zarn"));
  EXPECT_EQ(read(u"Main", u"port", u"S", Variant()), Variant::text(u"8080"));
  EXPECT_EQ(read(u"Main", u"port", u"n", Variant::text(u"abc")), Variant::long32(8080));
  EXPECT_EQ(read(u"Main", u"name", u"N", Variant::long32(7)), Variant::long32(0));
}

TEST_F(IniEditTest, MissingEntriesGiveTheDefaultInTheLettersForm) {
  writeFile("[Main]\n");
  EXPECT_EQ(read(u"Main", u"missing", u"S", Variant::long32(5)), Variant::text(u"5"));
  EXPECT_EQ(read(u"Main", u"missing", u"S", Variant::boolean(true)), Variant::text(u"True"));
  EXPECT_EQ(read(u"Other", u"missing", u"S", Variant::text(u"dflt")), Variant::text(u"dflt"));
  EXPECT_EQ(read(u"Main", u"missing", u"N", Variant::text(u"12")), Variant::long32(12));
  EXPECT_EQ(read(u"Main", u"missing", u"N", Variant::text(u"abc")), Variant::long32(0));
}

TEST_F(IniEditTest, FailuresGiveACopyOfTheDefault) {
  writeFile("[Main]\nkey=value\n");
  EXPECT_EQ(read(u"Main", u"key", u"S", Variant::null()), Variant::null());
  const Variant tooBig = Variant::text(u"99999999999");
  EXPECT_EQ(read(u"Main", u"key", u"N", tooBig), tooBig);
}

TEST_F(IniEditTest, OtherLettersNeverTouchTheFile) {
  const Text absent = utf8ToText(joinPath(joinPath(folder_, "no-folder"), "x.ini"));
  for (const Text letter : {u"", u"X", u"Str", u" S"}) {
    Variant result;
    ASSERT_TRUE(
        iniEdit.ReadValue(absent, u"a", u"b", letter, Variant::real(1.5), result).succeeded());
    EXPECT_EQ(result, Variant::real(1.5));
  }
  EXPECT_FALSE(std::filesystem::exists(unixPathOf(joinPath(folder_, "no-folder"))));
}

TEST_F(IniEditTest, LongValuesAreCutTo254Characters) {
  const std::string value(300, 'v');
  writeFile("[Main]\nlong=" + value + "\n");
  EXPECT_EQ(read(u"Main", u"long", u"S", Variant()), Variant::text(Text(254, u'v')));
}

TEST_F(IniEditTest, TheCutNeverSplitsACharacter) {
  ZARN_NATIVE_ONLY("the system code page is single-byte");
  writeFile("[Main]\nlong=" + std::string(253, 'a') + "\xC3\xA9\n");
  EXPECT_EQ(read(u"Main", u"long", u"S", Variant()), Variant::text(Text(253, u'a')));
}

TEST_F(IniEditTest, WrittenNumbersReadBackInBothForms) {
  EXPECT_TRUE(write(u"Main", u"count", Variant::long32(42)));
  EXPECT_EQ(read(u"Main", u"count", u"N", Variant()), Variant::long32(42));
  EXPECT_EQ(read(u"Main", u"count", u"S", Variant()), Variant::text(u"42"));
  EXPECT_EQ(fileContent().find("count=42"), fileContent().find("count"));
}

TEST_F(IniEditTest, RefusesWritesThatCouldNotBeReadBackAsWritten) {
  writeFile("[Main]\nkey=value\n");
  const std::string before = fileContent();
  EXPECT_FALSE(write(u"Main", u"key", Variant::null()));
  EXPECT_FALSE(write(u"Main", u"key", Variant::text(u"a\r\n[Injected]\r\nx=1")));
  EXPECT_FALSE(write(u"Main", u"key", Variant::text(u"line\nbreak")));
  EXPECT_FALSE(write(u"Ma\nin", u"key", Variant::text(u"v")));
  EXPECT_FALSE(write(u"Main", u"k\rey", Variant::text(u"v")));
  EXPECT_FALSE(write(u"", u"key", Variant::text(u"v")));
  EXPECT_FALSE(write(u"Main", u"", Variant::text(u"v")));
  EXPECT_FALSE(write(u"  ", u"key", Variant::text(u"v")));
  EXPECT_FALSE(write(u"Main", u"a=b", Variant::text(u"v")));
  EXPECT_FALSE(write(u"Ma]in", u"key", Variant::text(u"v")));
  EXPECT_FALSE(write(u"Main", u";key", Variant::text(u"v")));
  EXPECT_FALSE(write(u"Main", u" [key", Variant::text(u"v")));
  EXPECT_FALSE(write(u"Main", Text(u"k\0ey", 4), Variant::text(u"v")));
  EXPECT_EQ(fileContent(), before);
}

TEST_F(IniEditTest, AWriteIntoAMissingFolderFails) {
  const Text absent = utf8ToText(joinPath(joinPath(folder_, "no-folder"), "x.ini"));
  AutomationBoolean result = automationTrue;
  ASSERT_TRUE(iniEdit.WriteValue(absent, u"a", u"b", Variant::text(u"c"), result).succeeded());
  EXPECT_EQ(result, automationFalse);
}

TEST_F(IniEditTest, ListsSectionsAndLines) {
  EXPECT_EQ(sections(), u"");
  writeFile("[A]\nx=1\ny=2\n[B]\n");
  EXPECT_EQ(sections(), Text(u"A\0B", 3));
  EXPECT_EQ(lines(u"a"), Text(u"x=1\0y=2", 7));
  EXPECT_EQ(lines(u"B"), u"");
  EXPECT_EQ(lines(u"C"), u"");
  writeFile("[Only]\n");
  EXPECT_EQ(sections(), u"Only");
}

TEST_F(IniEditTest, ListingBuffersGrowUntilEverythingFits) {
  // Section names need about 1,200 characters (from 30: six doublings);
  // the lines about 70,000 (from 8,192: four doublings).
  std::string content;
  Text expectedSections;
  for (int i = 0; i < 100; ++i) {
    const std::string name = "Section" + std::to_string(1000 + i);
    content += "[" + name + "]\n";
    expectedSections += utf8ToText(name) + (i < 99 ? Text(1, u'\0') : Text());
  }
  content += "[Big]\n";
  Text expectedLines;
  for (int i = 0; i < 2000; ++i) {
    const std::string line = "key" + std::to_string(10000 + i) + "=" + std::string(25, 'x');
    content += line + "\n";
    expectedLines += utf8ToText(line) + (i < 1999 ? Text(1, u'\0') : Text());
  }
  writeFile(content);
  EXPECT_EQ(sections(), expectedSections + Text(1, u'\0') + u"Big");
  EXPECT_EQ(lines(u"Big"), expectedLines);
}

TEST_F(IniEditTest, ListingsEndExactlyWhereTheListEnds) {
  // Names of 12 and 13 characters fill the first 30-byte buffer to its last
  // two bytes; one more character makes it grow.
  writeFile("[" + std::string(12, 'a') + "]\n[" + std::string(13, 'b') + "]\n");
  EXPECT_EQ(sections(), Text(12, u'a') + Text(1, u'\0') + Text(13, u'b'));
  writeFile("[" + std::string(13, 'a') + "]\n[" + std::string(13, 'b') + "]\n");
  EXPECT_EQ(sections(), Text(13, u'a') + Text(1, u'\0') + Text(13, u'b'));
  // Written through the platform's own code page, which holds these.
  writeFile("");
  ASSERT_TRUE(write(u"\u00C9t\u00E9", u"cl\u00E9", Variant::text(u"\u00E4 \u00F6")));
  EXPECT_EQ(sections(), u"\u00C9t\u00E9");
  EXPECT_EQ(lines(u"\u00C9t\u00E9"), u"cl\u00E9=\u00E4 \u00F6");
}

}  // namespace
}  // namespace zarn
