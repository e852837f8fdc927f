// .reg files: what the reader takes from each form and encoding, what it
// refuses and on which line, and that writing and reading again gives back
// every name, type and byte.
#include <gtest/gtest.h>

#include <variant>

#include "platform/narrow_text.h"
#include "reg/reg_file.h"

namespace zarn::cli {
namespace {

using namespace std::string_literals;

RegFile readOk(const std::string& bytes) {
  auto read = readRegFile(bytes);
  if (const auto* problem = std::get_if<RegFileError>(&read)) {
    ADD_FAILURE() << "line " << problem->line << ": " << problem->message;
    return {};
  }
  return std::get<RegFile>(read);
}

RegFileError readError(const std::string& bytes) {
  auto read = readRegFile(bytes);
  EXPECT_TRUE(std::holds_alternative<RegFileError>(read));
  return std::holds_alternative<RegFileError>(read) ? std::get<RegFileError>(read) : RegFileError{};
}

std::string utf16File(const std::u16string& text) { return "\xFF\xFE" + utf16leBytes(text); }

KeyTree sampleTree() {
  KeyTree tree;
  tree.values = {{"", value_type::Text, "default\0"s},
                 {"Quote \"and\" back\\slash", value_type::Text, "C:\\Temp\\\"x\"\0"s},
                 {"Number", value_type::Number, "\x2a\0\0\x80"s},
                 {"Binary", value_type::Binary, std::string(100, '\xAB')},
                 {"Empty binary", value_type::Binary, ""},
                 {"Expand", value_type::ExpandText, "%TEMP%\\x\0"s},
                 {"Multi", value_type::MultiText, "one\0two\0\0"s},
                 {"Quad", value_type::Number64, "\1\2\3\4\5\6\7\x08"s},
                 {"Big", value_type::NumberBigEndian, "\0\0\0\1"s},
                 {"None", value_type::None, "\x01\x02"s},
                 {"Unterminated text", value_type::Text, "abc"},
                 {"Text with a break", value_type::Text, "a\r\nb\0"s},
                 {"Odd-sized number", value_type::Number, "\1\2"s},
                 {"Type 0x1234", 0x1234, "\xFF"s}};
  KeyTree sub;
  sub.values = {{"Inner", value_type::Text, "x\0"s}};
  tree.subKeys = {{"Sub", sub}, {"Empty", {}}};
  return tree;
}

// The tree as the file lists it: one key per section, depth first.
void expectSameTree(const RegFile& file, const KeyTree& tree) {
  ASSERT_EQ(file.keys.size(), 3u);
  EXPECT_EQ(file.keys[0].key.fullName(), "HKEY_CURRENT_USER\\Software\\Zv");
  EXPECT_EQ(file.keys[1].key.fullName(), "HKEY_CURRENT_USER\\Software\\Zv\\Sub");
  EXPECT_EQ(file.keys[2].key.fullName(), "HKEY_CURRENT_USER\\Software\\Zv\\Empty");
  ASSERT_EQ(file.keys[0].values.size(), tree.values.size());
  for (size_t i = 0; i < tree.values.size(); ++i) {
    const RegFileValue& read = file.keys[0].values[i];
    EXPECT_EQ(read.name, tree.values[i].name);
    EXPECT_EQ(read.type, tree.values[i].type) << read.name;
    EXPECT_EQ(read.data, tree.values[i].data) << read.name;
    EXPECT_FALSE(read.remove);
  }
  ASSERT_EQ(file.keys[1].values.size(), 1u);
  EXPECT_EQ(file.keys[1].values[0].data, "x\0"s);
  EXPECT_TRUE(file.keys[2].values.empty());
}

const KeyName sampleKey{root_key::CurrentUser, "HKEY_CURRENT_USER", "Software\\Zv"};

TEST(RegFileRoundTrip, Version5KeepsEveryTypeAndByte) {
  const std::string bytes = regFileBytes(sampleKey, sampleTree(), RegFileForm::Version5);
  ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
  const RegFile file = readOk(bytes);
  EXPECT_EQ(file.form, RegFileForm::Version5);
  expectSameTree(file, sampleTree());
}

TEST(RegFileRoundTrip, Regedit4KeepsEveryTypeAndByte) {
  const std::string bytes = regFileBytes(sampleKey, sampleTree(), RegFileForm::Regedit4);
  ASSERT_TRUE(bytes.starts_with("REGEDIT4\r\n\r\n"));
  const RegFile file = readOk(bytes);
  EXPECT_EQ(file.form, RegFileForm::Regedit4);
  expectSameTree(file, sampleTree());
}

TEST(RegFileWriter, WritesRegeditsLayout) {
  KeyTree tree;
  tree.values = {{"", value_type::Text, "d\0"s},
                 {"N", value_type::Number, "\x2a\0\0\0"s},
                 {"E", value_type::ExpandText, "%A%\0"s},
                 {"B", value_type::Binary, std::string(30, '\x01')}};
  const std::string text = regFileBytes(sampleKey, tree, RegFileForm::Regedit4);
  EXPECT_EQ(
      text,
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zv]\r\n@=\"d\"\r\n\"N\"=dword:0000002a\r\n"
      "\"E\"=hex(2):25,41,25,00\r\n"
      "\"B\"=hex:01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,\\\r\n"
      "  01,01,01,01,01,01,01\r\n\r\n");
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  }
}

TEST(RegFileWriter, Version5TextDataIsUtf16) {
  KeyTree tree;
  tree.values = {{"E", value_type::ExpandText, "%A%\0"s}};
  const std::string bytes = regFileBytes(sampleKey, tree, RegFileForm::Version5);
  FileEncoding encoding;
  const Text text = decodeFileText(bytes, encoding);
  EXPECT_EQ(encoding, FileEncoding::Utf16le);
  EXPECT_NE(text.find(u"\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n"), Text::npos);
}

TEST(RegFileReader, ReadsDeletionsCommentsAndContinuations) {
  const RegFile file = readOk(utf16File(
      u"\r\nWindows Registry Editor Version 5.00\r\n; a "
      u"comment\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
      u"  [HKCU\\Software\\New]  \r\n\"Gone\"=-\r\n\"Bytes\" = hex:01,\\\r\n    02 , 03\r\n"
      u"\"Mixed\"=DWORD:FF\r\n@=\"x\"\r\n"));
  ASSERT_EQ(file.keys.size(), 2u);
  EXPECT_TRUE(file.keys[0].remove);
  EXPECT_EQ(file.keys[0].key.path, "Software\\Old");
  EXPECT_FALSE(file.keys[1].remove);
  EXPECT_EQ(file.keys[1].key.root, root_key::CurrentUser);
  const auto& values = file.keys[1].values;
  ASSERT_EQ(values.size(), 4u);
  EXPECT_TRUE(values[0].remove);
  EXPECT_EQ(values[0].name, "Gone");
  EXPECT_EQ(values[1].data, "\1\2\3");
  EXPECT_EQ(values[2].data, "\xFF\0\0\0"s);
  EXPECT_EQ(values[3].name, "");
}

TEST(RegFileReader, EightBitTextIsUtf8WhenValidElseWindows1252) {
  const RegFile utf8 =
      readOk("REGEDIT4\n[HKEY_CURRENT_USER\\Zv]\n\"caf\xC3\xA9\"=\"\xE2\x82\xAC\"\n");
  ASSERT_EQ(utf8.keys.size(), 1u);
  EXPECT_EQ(utf8.keys[0].values[0].name, toNarrow(u"caf\u00E9"));
  EXPECT_EQ(utf8.keys[0].values[0].data, toNarrow(u"\u20AC") + '\0');
  const RegFile cp1252 = readOk("REGEDIT4\r\n[HKEY_CURRENT_USER\\Zv]\r\n\"caf\xE9\"=\"\x80\"\r\n");
  EXPECT_EQ(cp1252.keys[0].values[0].name, toNarrow(u"caf\u00E9"));
  EXPECT_EQ(cp1252.keys[0].values[0].data, toNarrow(u"\u20AC") + '\0');
}

TEST(RegFileReader, RefusesMalformedLinesWithTheirNumber) {
  struct Case {
    const char* body;
    int line;
  };
  const Case cases[] = {
      {"Windows Registry Editor Version 4.00\n", 1},
      {"REGEDIT4\n\"v\"=\"x\"\n", 2},
      {"REGEDIT4\n[HKEY_NOWHERE\\X]\n", 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X\n", 2},
      {"REGEDIT4\n[-HKEY_CURRENT_USER]\n", 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=\"open\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=\"a\\q\"\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex:0g\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex(zz):00\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=text\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\n\"v\"=hex:00,\\\n", 4},
      {"REGEDIT4\n[-HKEY_CURRENT_USER\\X]\n\"v\"=-\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\nstray words\n", 3},
  };
  for (const Case& malformed : cases) {
    const RegFileError problem = readError(malformed.body);
    EXPECT_EQ(problem.line, malformed.line) << malformed.body;
    EXPECT_FALSE(problem.message.empty());
  }
  EXPECT_EQ(
      readError(utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n"
                          u"\"v\"=hex(2):41\r\n"))
          .line,
      3);
}

}  // namespace
}  // namespace zarn::cli
