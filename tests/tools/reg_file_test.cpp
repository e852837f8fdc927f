// .reg files: what the reader takes from each form and encoding, what it
// refuses and on which line, and that writing and reading again gives back
// every name, type and byte.
#include <gtest/gtest.h>

#include <variant>

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

// Text data as the verbs carry it, UTF-16LE.
std::string wide(const std::string& utf8) { return utf16leBytes(utf8ToText(utf8)); }

KeyTree sampleTree() {
  KeyTree tree;
  tree.values = {{"", ValueType::Text, wide("default\0"s)},
                 {"Quote \"and\" back\\slash", ValueType::Text, wide("C:\\Temp\\\"x\"\0"s)},
                 {"Number", ValueType::Number, "\x2a\0\0\x80"s},
                 {"Binary", ValueType::Binary, std::string(100, '\xAB')},
                 {"Empty binary", ValueType::Binary, ""},
                 {"Expand", ValueType::ExpandText, wide("%TEMP%\\x\0"s)},
                 {"Multi", ValueType::MultiText, wide("one\0two\0\0"s)},
                 {"Quad", ValueType::Number64, "\1\2\3\4\5\6\7\x08"s},
                 {"Big", ValueType::NumberBigEndian, "\0\0\0\1"s},
                 {"None", ValueType::None, "\x01\x02"s},
                 {"Text with a break", ValueType::Text, wide("a\r\nb\0"s)},
                 // Names that would end a line or open a key if not escaped.
                 {"line\r\nbreak", ValueType::Text, wide("x\0"s)},
                 {"\n[HKEY_LOCAL_MACHINE\\Injected]", ValueType::Number, "\1\0\0\0"s},
                 {"]\r", ValueType::Binary, "\1"s},
                 {"Odd-sized number", ValueType::Number, "\1\2"s},
                 {"Type 0x1234", static_cast<ValueType>(0x1234), "\xFF"s}};
  KeyTree sub;
  sub.values = {{"Inner", ValueType::Text, wide("x\0"s)}};
  tree.subKeys = {{"Sub]x", sub}, {"Empty", {}}};
  return tree;
}

// The tree as the file lists it: one key per section, depth first.
void expectSameTree(const RegFile& file, const KeyTree& tree) {
  ASSERT_EQ(file.keys.size(), 3u);
  EXPECT_EQ(file.keys[0].key.fullName(), "HKEY_CURRENT_USER\\Software\\Zv");
  EXPECT_EQ(file.keys[1].key.fullName(), "HKEY_CURRENT_USER\\Software\\Zv\\Sub]x");
  EXPECT_EQ(file.keys[2].key.fullName(), "HKEY_CURRENT_USER\\Software\\Zv\\Empty");
  EXPECT_TRUE(file.skipped.empty());
  ASSERT_EQ(file.keys[0].values.size(), tree.values.size());
  for (size_t i = 0; i < tree.values.size(); ++i) {
    const RegFileValue& read = file.keys[0].values[i];
    EXPECT_EQ(read.name, tree.values[i].name);
    EXPECT_EQ(read.type, tree.values[i].type) << read.name;
    EXPECT_EQ(read.data, tree.values[i].data) << read.name;
    EXPECT_FALSE(read.remove);
  }
  ASSERT_EQ(file.keys[1].values.size(), 1u);
  EXPECT_EQ(file.keys[1].values[0].data, wide("x\0"s));
  EXPECT_TRUE(file.keys[2].values.empty());
}

const KeyName sampleKey{Root::CurrentUser, "Software\\Zv"};

std::string fileBytes(const KeyName& key, const KeyTree& tree, RegFileForm form) {
  std::string problem;
  const std::optional<std::string> bytes = regFileBytes(key, tree, form, problem);
  EXPECT_TRUE(bytes) << problem;
  return bytes.value_or("");
}

TEST(RegFileRoundTrip, Version5KeepsEveryTypeAndByte) {
  const std::string bytes = fileBytes(sampleKey, sampleTree(), RegFileForm::Version5);
  ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
  const RegFile file = readOk(bytes);
  EXPECT_EQ(file.form, RegFileForm::Version5);
  expectSameTree(file, sampleTree());
}

TEST(RegFileRoundTrip, Regedit4KeepsEveryTypeAndByte) {
  const std::string bytes = fileBytes(sampleKey, sampleTree(), RegFileForm::Regedit4);
  ASSERT_TRUE(bytes.starts_with("REGEDIT4\r\n\r\n"));
  const RegFile file = readOk(bytes);
  EXPECT_EQ(file.form, RegFileForm::Regedit4);
  expectSameTree(file, sampleTree());
}

TEST(RegFileWriter, WritesRegeditsLayout) {
  KeyTree tree;
  tree.values = {{"", ValueType::Text, wide("d\0"s)},
                 {"N", ValueType::Number, "\x2a\0\0\0"s},
                 {"E", ValueType::ExpandText, wide("%A%\0"s)},
                 {"B", ValueType::Binary, std::string(30, '\x01')}};
  const std::string text = fileBytes(sampleKey, tree, RegFileForm::Regedit4);
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

// A REG_SZ as regedit writes it: its text up to the first NUL; names with
// line breaks escaped; a name no escape carries refuses the whole file.
TEST(RegFileWriter, TextAndNamesAsWindowsReadsThem) {
  KeyTree tree;
  tree.values = {{"empty", ValueType::Text, wide("")},
                 {"nul", ValueType::Text, wide("abc\0def\0"s)},
                 {"a\r\nb", ValueType::Text, wide("x\ny\0"s)}};
  EXPECT_EQ(fileBytes(sampleKey, tree, RegFileForm::Regedit4),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Zv]\r\n\"empty\"=\"\"\r\n"
            "\"nul\"=\"abc\"\r\n\"a\\r\\nb\"=\"x\\ny\"\r\n\r\n");
  std::string problem;
  KeyTree nulName;
  nulName.values = {{"a\0b"s, ValueType::Text, wide("x\0"s)}};
  EXPECT_FALSE(regFileBytes(sampleKey, nulName, RegFileForm::Version5, problem));
  EXPECT_NE(problem.find("a\\0b"), std::string::npos) << problem;
  KeyTree lineBreakKey;
  lineBreakKey.subKeys = {{"ok", {}}, {"bad\r\n[HKEY_LOCAL_MACHINE\\x]", {}}};
  EXPECT_FALSE(regFileBytes(sampleKey, lineBreakKey, RegFileForm::Regedit4, problem));
  EXPECT_NE(problem.find("Zv\\bad\\r\\n[HKEY_LOCAL_MACHINE"), std::string::npos) << problem;
}

TEST(RegFileWriter, Version5TextDataIsUtf16) {
  KeyTree tree;
  tree.values = {{"E", ValueType::ExpandText, wide("%A%\0"s)}};
  const std::string bytes = fileBytes(sampleKey, tree, RegFileForm::Version5);
  FileEncoding encoding;
  const Text text = decodeFileText(bytes, encoding);
  EXPECT_EQ(encoding, FileEncoding::Utf16le);
  EXPECT_NE(text.find(u"\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n"), Text::npos);
}

TEST(RegFileReader, ReadsDeletionsCommentsAndContinuations) {
  const RegFile file = readOk(
      utf16File(u"Windows Registry Editor Version 5.00\r\n; a "
                u"comment\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
                u"  [HKCU\\Software\\New]  \r\n\"Gone\"=-\r\n\"Bytes\" = hex:01,\\\r\n    02,03\r\n"
                u"\"Text\"=hex(1):41,00\r\n@=\"x\"\r\n"));
  ASSERT_EQ(file.keys.size(), 2u);
  EXPECT_TRUE(file.keys[0].remove);
  EXPECT_EQ(file.keys[0].key.path, "Software\\Old");
  EXPECT_FALSE(file.keys[1].remove);
  EXPECT_EQ(file.keys[1].key.root, Root::CurrentUser);
  const auto& values = file.keys[1].values;
  ASSERT_EQ(values.size(), 4u);
  EXPECT_TRUE(values[0].remove);
  EXPECT_EQ(values[0].name, "Gone");
  EXPECT_EQ(values[1].data, "\1\2\3");
  EXPECT_EQ(values[1].line, 7);
  EXPECT_EQ(values[2].data, wide("A\0"s));
  EXPECT_EQ(values[3].name, "");
  EXPECT_TRUE(file.skipped.empty());
}

TEST(RegFileReader, EightBitTextIsUtf8WhenValidElseWindows1252) {
  const RegFile utf8 =
      readOk("REGEDIT4\n[HKEY_CURRENT_USER\\Zv]\n\"caf\xC3\xA9\"=\"\xE2\x82\xAC\"\n");
  ASSERT_EQ(utf8.keys.size(), 1u);
  EXPECT_EQ(utf8.keys[0].values[0].name, "caf\u00E9");
  EXPECT_EQ(utf8.keys[0].values[0].data, wide("\u20AC\0"s));
  const RegFile cp1252 = readOk("REGEDIT4\r\n[HKEY_CURRENT_USER\\Zv]\r\n\"caf\xE9\"=\"\x80\"\r\n");
  EXPECT_EQ(cp1252.keys[0].values[0].name, "caf\u00E9");
  EXPECT_EQ(cp1252.keys[0].values[0].data, wide("\u20AC\0"s));
}

std::string hexOf(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text;
  for (const char c : bytes) {
    text += digits[static_cast<uint8_t>(c) >> 4];
    text += digits[static_cast<uint8_t>(c) & 0xF];
  }
  return text;
}

// Line by line as Windows' reg import reads it (its conformance checks):
// each row is the lines after "REGEDIT4" and "[HKEY_CURRENT_USER\Zv]" (so its
// first line is line 3), the values read as name=hex bytes ("name-" for a
// deletion), and the lines skipped.
TEST(RegFileReader, SkipsWhatWindowsSkipsAndReadsTheRest) {
  struct Row {
    std::string lines;
    std::vector<std::string> values;
    std::vector<int> skipped;
  };
  const Row rows[] = {
      {"\"a\"=\"Value 1\"#comment\n\"b\"=\"Value 2\";comment\n", {"b=56616c75652032 00"}, {3}},
      {"\"a\"=dword:01020304 #c\n\"b\"=dword:02040608 ;c\n\"c\"=dword:  00000008\n",
       {"b=08060402", "c=08000000"},
       {3}},
      {"\"a\"=dword:hello\n\"b\"=dword:\n\"c\"=dword:123456789\n\"d\"=DWORD:1\n\"e\"=dword:0x1\n",
       {},
       {3, 4, 5, 6, 7}},
      // A comment inside a continuation ends the value, and is lost with it.
      {"\"a\"=hex(7):4c,69,\\\n  #comment\n  63,00\n\"b\"=\"ok\"\n", {"b=6f6b 00"}, {3, 4, 5}},
      {"\"a\"=hex(7):4c,69,\\\n  ;comment\n\n  63,00\n", {"a=4c696300"}, {}},
      {"\"a\"=hex(7):4c,69,\\ ;c\n  63,61,;comment\n  65,6e\n", {"a=4c69636100"}, {5}},
      {"[HKEY_CURRENT_USER\\No_Closing_Bracket\n\"v\"=\"x\"\n", {"v=78 00"}, {3}},
      {"[ HKEY_CURRENT_USER\\Blank]\n\"v\"=\"x\"\n", {"v=78 00"}, {3}},
      {"[-HKEY_CURRENT_USER\\Zv]\n\"v\"=\"x\"\n", {}, {4}},
      {"[HKEY_NOWHERE\\X]\n\"v\"=\"x\"\n", {}, {3, 4}},
      {"\"a\\0b\"=\"x\"\n\"c\"=\"x\\0\"\n", {}, {3, 4}},
      // What does not continue: a dword, a string, bytes without a comma
      // before the backslash, or a continuation that is not hex data.
      {"\"a\"=dword:1234\\\n5678\n", {}, {3, 4}},
      {"\"a\"=\"Test \\\nValue\"\n", {}, {3, 4}},
      {"\"a\"=hex(7):4c,69,6e,65,20\\\n,63,6f\n", {}, {3, 4}},
      {"\"a\"=hex:11,\\\n\\\n", {}, {3, 4}},
      {"\"a\"=hex:11,\\\n\n@=\"x\"\n\"b\"=\"y\"\n", {"b=79 00"}, {3, 5}},
      {"\"a\"=hex:11,,22\n\"b\"=hex:11,22\\\n", {}, {3, 4}},
      {"#comment\\\n\"a\"=\"Line 1\"\n;comment\\\n\"b\"=\"Line 2\"\n",
       {"a=4c696e652031 00", "b=4c696e652032 00"},
       {}},
      {"\"e\"=hex(2):41,42\n\"m\"=hex(7):41,00\n\"n\"=hex:\n\"z\"=hex(1):\n",
       {"e=414200", "m=4100", "n=", "z="},
       {}},
      {"\"v\"=-\n\"w\"=- x\n@=\"d\"\n", {"v-", "=64 00"}, {4}},
      {"\"n\\r\\n\"=\"a\\\"b\\\\c\\q\"\n", {"n\r\n=6122625c6371 00"}, {}},
      {"\"a\"=hex(0x2):41\n\"b\"=hex(2) :41\n\"c\"=text\nstray words\n\"d\"\n",
       {},
       {3, 4, 5, 6, 7}},
      {"\"last\"=hex:11,\\", {"last=11"}, {}},
      // A line is read up to its first NUL; one that loses text to it is
      // named, once, whether its front is used or not.
      {"\0\"a\"=\"x\"\n\"b\"=\"y\"\0z\n\"c\"=\"x\0\"\n\"d\"=hex:01,\\\n\0\n 02\n"s,
       {"b=79 00", "d=0102"},
       {3, 4, 5, 7}},
  };
  for (const Row& row : rows) {
    const RegFile file = readOk("REGEDIT4\n[HKEY_CURRENT_USER\\Zv]\n" + row.lines);
    std::vector<std::string> values;
    for (const RegFileKey& key : file.keys) {
      for (const RegFileValue& value : key.values) {
        // Text data in the rows as UTF-8, which reads more easily than UTF-16.
        const std::string data =
            isTextType(value.type) ? textToUtf8(textOfUtf16le(value.data)) : value.data;
        values.push_back(value.name + (value.remove ? "-" : "=" + hexOf(data)));
      }
    }
    std::vector<std::string> expected;
    for (std::string value : row.values) {
      std::erase(value, ' ');
      expected.push_back(value);
    }
    std::vector<int> skipped;
    for (const RegFileSkip& skip : file.skipped) skipped.push_back(skip.line);
    EXPECT_EQ(values, expected) << row.lines;
    EXPECT_EQ(skipped, row.skipped) << row.lines;
    for (const RegFileSkip& skip : file.skipped) EXPECT_FALSE(skip.reason.empty());
  }
}

// The header: blanks may come before it; REGEDIT alone is the Windows 3.1
// form; other REGEDIT lines are taken with nothing read; anything else, a
// blank line first among them, is not a registry file.
TEST(RegFileReader, HeadersAsWindowsTakesThem) {
  for (const char* header :
       {"REGEDIT4", " REGEDIT4", "\tREGEDIT4", "Windows Registry Editor Version 5.00", "REGEDIT"}) {
    const RegFile file = readOk(std::string(header) + "\n[HKEY_CLASSES_ROOT\\Zv]\n");
    EXPECT_FALSE(file.readsNothing) << header;
  }
  for (const char* header :
       {"REGEDIT3", "REGEDIT5", "REGEDIT9", "REGEDIT 4", "REGEDIT4 FOO", "REGEDIT4FOO"}) {
    const RegFile file = readOk(std::string(header) + "\n[HKEY_CURRENT_USER\\Zv]\n\"a\"=\"b\"\n");
    EXPECT_TRUE(file.readsNothing) << header;
    EXPECT_TRUE(file.keys.empty()) << header;
  }
  for (const char* header :
       {"\nREGEDIT4", "regedit4", "Regedit4", "AREGEDIT4", "Windows Registry Editor Version 4.00",
        "WINDOWS REGISTRY EDITOR VERSION 5.00", ""}) {
    EXPECT_EQ(readError(std::string(header) + "\n[HKEY_CURRENT_USER\\Zv]\n").line, 1) << header;
  }
}

// The bounds hold in both encodings, with CR, LF and CRLF each ending one
// line, however the bytes arrive (here one at a time, so that a UTF-16 unit
// is split between pieces).
TEST(RegFileGatherer, RefusesAFileOrALinePastItsBound) {
  struct Row {
    std::string bytes;
    int refusedLine;  // -1: taken whole; 0: the file is too large
  };
  const Row rows[] = {
      {"REGEDIT4\r\n0123456789\r\n", -1}, {"REGEDIT4\r\n0123456789A\r\n", 2},
      {"a\r\r\nb\n\n0123456789A", 5},     {utf16File(u"R\r\n01234\n"), -1},
      {utf16File(u"R\r\n\r012345"), 3},   {std::string(30, '\n'), -1},
      {std::string(31, '\n'), 0},
  };
  for (const Row& row : rows) {
    RegFileGatherer gatherer(30, 10);
    bool taken = true;
    for (const char byte : row.bytes) taken = taken && gatherer.add(std::string_view(&byte, 1));
    EXPECT_EQ(taken, row.refusedLine < 0) << row.bytes;
    if (taken) {
      EXPECT_EQ(gatherer.takeBytes(), row.bytes);
    } else {
      ASSERT_TRUE(gatherer.problem());
      EXPECT_EQ(gatherer.problem()->line, row.refusedLine) << row.bytes;
      EXPECT_NE(gatherer.problem()->message.find(row.refusedLine ? "10 bytes" : "30 bytes"),
                std::string::npos)
          << gatherer.problem()->message;
    }
  }
}

TEST(RegFileReader, Windows31LinesSetDefaultValuesOfClassesRoot) {
  const RegFile file = readOk(
      "REGEDIT\r\nHKEY_CLASSES_ROOT\\Zv = Value0\r\nHKEY_CLASSES_ROOT\\Zv\\A =  Two\r\n"
      "HKEY_CLASSES_ROOT\\Zv\\B Three \r\n hkey_classes_root\\Zv = no\r\n;comment\r\n");
  ASSERT_EQ(file.keys.size(), 3u);
  EXPECT_EQ(file.keys[1].key.fullName(), "HKEY_CLASSES_ROOT\\Zv\\A");
  EXPECT_EQ(file.keys[0].values[0].data, wide("Value0\0"s));
  EXPECT_EQ(file.keys[1].values[0].data, wide(" Two\0"s));
  EXPECT_EQ(file.keys[2].values[0].data, wide("Three \0"s));
  ASSERT_EQ(file.skipped.size(), 2u);
  EXPECT_EQ(file.skipped[0].line, 5);
}

}  // namespace
}  // namespace zarn::cli
