// IniEdit over the profile service of the target: our engine natively,
// Wine's kernel32 on win32.
#include "zarnutils/ini_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/conversions.h"
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

// Sections S\xFF and S\xFE must not both become S\uFFFD and merge.
TEST_F(IniEditTest, Utf8FormsRefuseBytesThatAreNotUtf8) {
  writeFile("[Main]\nkey=value\n");
  const std::string before = fileContent();
  for (const char* section : {"S\xFF", "S\xFE", "\xC3"}) {
    try {
      iniEdit.WriteValue(file_, section, "k", "v");
      ADD_FAILURE() << "accepted section bytes that are not UTF-8";
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number(), error::InvalidProcedureCall);
    }
  }
  EXPECT_THROW(iniEdit.EnumValues(file_, "Ma\xFFin"), AutomationError);
  EXPECT_EQ(fileContent(), before);
  EXPECT_EQ(iniEdit.ReadValue(file_, "Main", "key", "S", "dflt"), Variant::text(u"value"));
}

// The guard before every profile call, one table for every form of every
// method: a name with a NUL or outside the code page gives the fallback
// result, bytes that are not UTF-8 throw error 5, and the file is unchanged.
enum class IniForm { Automation, Utf8, List };
enum class IniMethod { ReadValue, WriteValue, EnumSections, EnumValues };
enum class Argument { File, Section, Name };

struct RefusedName {
  const char* name;
  // What makes the argument refused, in each encoding; none where the
  // encoding cannot spell it or the target accepts it.
  std::optional<Text> automation;
  std::optional<std::string> utf8;
  int32_t error;
};

const RefusedName refusedNames[] = {
    {"Nul", Text(u"\0x", 2), std::string("\0x", 2), 0},
    {"NotUtf8", std::nullopt, "\xFF", error::InvalidProcedureCall},
    {"OutsideTheCodePage", Text(u"\xD800"),
     test_support::runsOnWine ? std::optional<std::string>("\xE4\xB8\xAD") : std::nullopt, 0},
};

struct IniGuardRow {
  IniForm form;
  IniMethod method;
  Argument argument;
  const RefusedName* input;
};

class IniGuardTest : public IniEditTest, public ::testing::WithParamInterface<IniGuardRow> {
 protected:
  // The call's error, else its result as text ("" for an empty listing).
  std::pair<int32_t, Text> call(const IniGuardRow& row) {
    const bool automation = row.form == IniForm::Automation;
    auto argument = [&](Argument which, const char* good) {
      Text text = utf8ToText(which == Argument::File ? file_ : good);
      std::string bytes = textToUtf8(text);
      if (which == row.argument) {
        text += automation ? *row.input->automation : Text();
        bytes += automation ? "" : *row.input->utf8;
      }
      return std::pair(text, bytes);
    };
    const auto [file, fileBytes] = argument(Argument::File, "");
    const auto [section, sectionBytes] = argument(Argument::Section, "Main");
    const auto [name, nameBytes] = argument(Argument::Name, "key");
    if (automation) {
      Variant value;
      AutomationBoolean written = automationTrue;
      Text listing = u"stale";
      switch (row.method) {
        case IniMethod::ReadValue:
          iniEdit.ReadValue(file, section, name, u"S", Variant::text(u"dflt"), value);
          return {0, toText(value)};
        case IniMethod::WriteValue:
          iniEdit.WriteValue(file, section, name, Variant::text(u"lost"), written);
          return {0, written == automationTrue ? u"true" : u"false"};
        case IniMethod::EnumSections: iniEdit.EnumSections(file, listing); return {0, listing};
        case IniMethod::EnumValues: iniEdit.EnumValues(file, section, listing); return {0, listing};
      }
    }
    try {
      switch (row.method) {
        case IniMethod::ReadValue:
          return {0, toText(iniEdit.ReadValue(fileBytes, sectionBytes, nameBytes, "S", "dflt"))};
        case IniMethod::WriteValue:
          return {0, iniEdit.WriteValue(fileBytes, sectionBytes, nameBytes, "lost") ? u"true"
                                                                                    : u"false"};
        case IniMethod::EnumSections:
          if (row.form == IniForm::List) return {0, listingText(iniEdit.ListSections(fileBytes))};
          return {0, utf8ToText(iniEdit.EnumSections(fileBytes))};
        case IniMethod::EnumValues:
          if (row.form == IniForm::List) {
            return {0, listingText(iniEdit.ListValues(fileBytes, sectionBytes))};
          }
          return {0, utf8ToText(iniEdit.EnumValues(fileBytes, sectionBytes))};
      }
    } catch (const AutomationError& error) {
      return {error.number(), u""};
    }
    return {};
  }
  static Text listingText(const std::vector<std::string>& items) {
    return items.empty() ? Text() : u"items";
  }
  static Text fallback(IniMethod method) {
    if (method == IniMethod::ReadValue) return u"dflt";
    return method == IniMethod::WriteValue ? u"false" : u"";
  }
};

TEST_P(IniGuardTest, RefusesBeforeAnyFileWork) {
  const IniGuardRow& row = GetParam();
  const bool automation = row.form == IniForm::Automation;
  if (automation ? !row.input->automation : !row.input->utf8) {
    GTEST_SKIP() << "no such name in this form";
  }
  writeFile("[Main]\nkey=value\n");
  const std::string before = fileContent();
  const int32_t error = row.input->error;
  EXPECT_EQ(call(row), std::pair(error, error != 0 ? Text() : fallback(row.method)));
  EXPECT_EQ(fileContent(), before);
}

std::vector<IniGuardRow> iniGuardRows() {
  std::vector<IniGuardRow> rows;
  for (const IniForm form : {IniForm::Automation, IniForm::Utf8, IniForm::List}) {
    for (const IniMethod method : {IniMethod::ReadValue, IniMethod::WriteValue,
                                   IniMethod::EnumSections, IniMethod::EnumValues}) {
      const bool listing = method == IniMethod::EnumSections || method == IniMethod::EnumValues;
      if (form == IniForm::List && !listing) continue;
      for (const Argument argument : {Argument::File, Argument::Section, Argument::Name}) {
        if (method == IniMethod::EnumSections && argument != Argument::File) continue;
        if (method == IniMethod::EnumValues && argument == Argument::Name) continue;
        for (const RefusedName& input : refusedNames)
          rows.push_back({form, method, argument, &input});
      }
    }
  }
  return rows;
}

std::string iniGuardRowName(const ::testing::TestParamInfo<IniGuardRow>& info) {
  static const char* const forms[] = {"Automation", "Utf8", "List"};
  static const char* const methods[] = {"ReadValue", "WriteValue", "EnumSections", "EnumValues"};
  static const char* const arguments[] = {"File", "Section", "Name"};
  const IniGuardRow& row = info.param;
  return std::string(forms[static_cast<int>(row.form)]) + "_" +
         methods[static_cast<int>(row.method)] + "_" + arguments[static_cast<int>(row.argument)] +
         "_" + row.input->name;
}

INSTANTIATE_TEST_SUITE_P(EveryForm, IniGuardTest, ::testing::ValuesIn(iniGuardRows()),
                         iniGuardRowName);

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
