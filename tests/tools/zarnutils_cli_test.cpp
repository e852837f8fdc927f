// The command-line caller's own rules: argument forms, call targets, option
// parsing, output forms and batch framing. What the calls answer is the case
// table's business (tests/cases).
#include <gtest/gtest.h>

#include <sstream>

#include "call_request.h"
#include "call_target.h"
#include "command_line.h"
#include "json_writer.h"
#include "quoted_name.h"
#include "result_output.h"

namespace zarn::cli {
namespace {

using namespace std::string_literals;

TEST(CallArguments, PrefixesSelectKinds) {
  EXPECT_EQ(parseArgument("i:-2147483648"), Variant::long32(INT32_MIN));
  EXPECT_EQ(parseArgument("b:true"), Variant::boolean(true));
  EXPECT_EQ(parseArgument("b:false"), Variant::boolean(false));
  EXPECT_EQ(parseArgument("d:-2.5e3"), Variant::real(-2500.0));
  EXPECT_EQ(parseArgument("null"), Variant::null());
  EXPECT_EQ(parseArgument("empty"), Variant());
  EXPECT_EQ(parseArgument("s:i:5"), Variant::text(u"i:5"));
  EXPECT_EQ(parseArgument("s:null"), Variant::text(u"null"));
}

TEST(CallArguments, EverythingElseIsText) {
  EXPECT_EQ(parseArgument(""), Variant::text(u""));
  EXPECT_EQ(parseArgument("NULL"), Variant::text(u"NULL"));
  EXPECT_EQ(parseArgument("D:\\x.ini"), Variant::text(u"D:\\x.ini"));
  EXPECT_EQ(parseArgument("z:5"), Variant::text(u"z:5"));
  EXPECT_EQ(parseArgument("caf\xC3\xA9"), Variant::text(u"caf\u00E9"));
}

TEST(CallArguments, EscapedTextHoldsWhatAFieldCannot) {
  EXPECT_EQ(parseArgument("x:a\\tb\\nc\\rd\\0e\\\\f"),
            Variant::text(u"a\tb\nc\rd"s + u'\0' + u"e\\f"));
  EXPECT_EQ(parseArgument("x:\\u00e9\\u03A9"), Variant::text(u"\u00E9\u03A9"));
}

TEST(CallArguments, MalformedFormsAreUsageErrors) {
  for (const char* written : {"i:", "i:1.5", "i:2147483648", "i:+1", "b:True", "b:1", "d:",
                              "d:1e999", "d:inf", "d:nan", "d:1,5", "x:\\q", "x:\\u12", "x:ab\\"}) {
    EXPECT_THROW(parseArgument(written), UsageError) << written;
  }
}

TEST(CallRequest, TargetsByNameOrIdentifier) {
  const std::vector<std::string> byName{"ZarnUtils.Regedit.ReadValue", "k", "S"};
  const CallRequest named = parseCallRequest(byName);
  EXPECT_EQ(named.className, u"ZarnUtils.Regedit");
  EXPECT_EQ(std::get<Text>(named.method), u"ReadValue");
  ASSERT_EQ(named.arguments.size(), 2u);
  EXPECT_EQ(named.arguments[1], Variant::text(u"S"));

  const std::vector<std::string> byHex{"IniEdit.#0x60030003"};
  EXPECT_EQ(std::get<int32_t>(parseCallRequest(byHex).method), 0x60030003);
  const std::vector<std::string> byDecimal{"IniEdit.#-1"};
  EXPECT_EQ(std::get<int32_t>(parseCallRequest(byDecimal).method), -1);
  const std::vector<std::string> byPattern{"IniEdit.#0xFFFFFFFF"};
  EXPECT_EQ(std::get<int32_t>(parseCallRequest(byPattern).method), -1);
}

TEST(CallRequest, MalformedTargetsAreUsageErrors) {
  for (const char* target : {"Regedit", ".EnumKeys", "Regedit.", "Regedit.#", "Regedit.#0x",
                             "Regedit.#12z", "Regedit.#0x100000000"}) {
    const std::vector<std::string> words{target};
    EXPECT_THROW(parseCallRequest(words), UsageError) << target;
  }
}

TEST(CommandLine, OptionsComeBeforeTheCall) {
  const Invocation json = parseCommandLine({"--json", "Regedit.EnumKeys", "--raw"});
  EXPECT_EQ(json.mode, Mode::Call);
  EXPECT_EQ(json.form, OutputForm::Json);
  EXPECT_EQ(json.callWords, (std::vector<std::string>{"Regedit.EnumKeys", "--raw"}));
  EXPECT_EQ(parseCommandLine({"--raw", "A.B"}).form, OutputForm::Raw);
  EXPECT_EQ(parseCommandLine({"--batch"}).mode, Mode::Batch);
  EXPECT_EQ(parseCommandLine({"--json", "--help", "--bogus"}).mode, Mode::Help);
  const Invocation early = parseCommandLine({"--early", "--com", "A.B"});
  EXPECT_TRUE(early.throughCom);
  EXPECT_EQ(early.binding, Binding::Early);
  EXPECT_EQ(parseCommandLine({"--com", "A.B"}).binding, Binding::Late);
  EXPECT_FALSE(parseCommandLine({"A.B"}).throughCom);
  EXPECT_EQ(parseCommandLine({"-V"}).mode, Mode::Version);
  EXPECT_EQ(parseCommandLine({"-q", "A.B"}).mode, Mode::Call);
}

TEST(CommandLine, VerbsTakeTheOutputOptionsAndKeepTheirWords) {
  const Invocation verb = parseCommandLine({"-q", "--json", "ini", "get", "--help", "-V"});
  EXPECT_EQ(verb.mode, Mode::Verb);
  EXPECT_TRUE(verb.quiet);
  EXPECT_EQ(verb.form, OutputForm::Json);
  EXPECT_EQ(verb.callWords, (std::vector<std::string>{"ini", "get", "--help", "-V"}));
  EXPECT_FALSE(parseCommandLine({"reg", "query", "HKCU"}).quiet);
  EXPECT_EQ(parseCommandLine({"--quiet", "reg", "/?"}).mode, Mode::Verb);
}

TEST(CommandLine, MisuseIsAUsageError) {
  for (const auto& words : std::vector<std::vector<std::string>>{{},
                                                                 {"--json"},
                                                                 {"--json", "--raw", "A.B"},
                                                                 {"--bogus", "A.B"},
                                                                 {"--batch", "A.B"},
                                                                 {"--raw", "--batch"},
                                                                 {"--early", "A.B"},
                                                                 {"--raw", "ini", "list", "x"},
                                                                 {"--com", "reg", "query", "HKCU"},
                                                                 {"--batch", "reg"}}) {
    EXPECT_THROW(parseCommandLine(words), UsageError);
  }
}

TEST(ResultOutput, JsonNamesTheTypeAndEscapesOnlyWhatJsonNeeds) {
  EXPECT_EQ(jsonResult(Variant::long32(80)), R"({"type":"Long","value":80})");
  EXPECT_EQ(jsonResult(Variant::booleanBits(1)), R"({"type":"Boolean","value":true})");
  EXPECT_EQ(jsonResult(Variant::boolean(false)), R"({"type":"Boolean","value":false})");
  EXPECT_EQ(jsonResult(Variant()), R"({"type":"Empty","value":null})");
  EXPECT_EQ(jsonResult(Variant::null()), R"({"type":"Null","value":null})");
  EXPECT_EQ(jsonResult(Variant::integer(-3)), R"({"type":"Integer","value":-3})");
  EXPECT_EQ(jsonResult(Variant::real(0.1)), R"({"type":"Double","value":0.1})");
  EXPECT_EQ(jsonResult(Variant::text(u"a"s + u'\0' + u"\"\\\n\r\t\b\f\x01\x1F\u00E9\u65E5\x7F")),
            "{\"type\":\"String\",\"value\":\"a\\u0000\\\"\\\\\\n\\r\\t\\b\\f\\u0001\\u001f"
            "\xC3\xA9\xE6\x97\xA5\x7F\"}");
}

TEST(JsonWriter, PutsCommasAndColonsBetweenNestedValues) {
  JsonWriter json;
  json.beginObject()
      .member("a", "x\"\n")
      .key("b")
      .beginArray()
      .number(-1)
      .boolean(true)
      .null()
      .beginObject()
      .endObject()
      .beginArray()
      .endArray()
      .endArray()
      .key("c")
      .number(INT64_MIN)
      .key("d")
      .unsignedNumber(UINT64_MAX)
      .endObject();
  EXPECT_EQ(json.text(),
            "{\"a\":\"x\\\"\\n\",\"b\":[-1,true,null,{},[]],\"c\":-9223372036854775808,"
            "\"d\":18446744073709551615}\n");
}

TEST(ResultOutput, TextFormsForPeopleAndPrograms) {
  const Variant listing = Variant::text(u"a=1"s + u'\0' + u"b=2");
  EXPECT_EQ(rawText(listing), "a=1"s + '\0' + "b=2");
  EXPECT_EQ(displayText(listing), "a=1\nb=2");
  EXPECT_EQ(displayText(Variant::text(u"a=\x1B[2J"s + u'\0' + u"b=2"), true),
            "\"a=\\033[2J\"\nb=2");
  EXPECT_EQ(displayText(Variant::boolean(true)), "True");
  EXPECT_EQ(displayText(Variant::null()), "Null");
  EXPECT_EQ(displayText(Variant()), "");
  EXPECT_EQ(errorLine(9), "error 9: Subscript out of range");
  EXPECT_EQ(jsonError(438),
            R"({"error":438,"message":"Object doesn't support this property or method"})");
}

TEST(BatchMode, OneAnswerPerCallLineWhateverHappens) {
  std::istringstream input(
      "Regedit.EnumKeys\t\r\n"
      "\n"
      "\r\n"
      "Regedit.EnumKeys\ti:x\n"
      "Nobody.Nothing\n"
      "Regedit.EnumKeys\tNowhere\\Key\n"
      "IniEdit.WriteValue\t/tmp/x.ini\tS\xFF\tk\tv");
  std::ostringstream output;
  InProcessCallTarget target;
  runBatch(target, input, output);
  EXPECT_EQ(output.str(),
            "{\"error\":9,\"message\":\"Subscript out of range\"}\n"
            "{\"usage\":\"argument \\\"i:x\\\": i: needs a whole number in Long range\"}\n"
            "{\"error\":438,\"message\":\"Object doesn't support this property or method\"}\n"
            "{\"type\":\"String\",\"value\":\"99\"}\n"
            "{\"usage\":\"field 3 is not UTF-8: \\\"S\\\\xFF\\\"\"}\n");
}

TEST(QuotedName, ControlCharactersAreEscapedAndOnlyThenQuoted) {
  const struct {
    std::string text, shown;
  } rows[] = {
      {"plain", "plain"},
      {"", ""},
      {"HKEY_CURRENT_USER\\Software\\a \"b\"", "HKEY_CURRENT_USER\\Software\\a \"b\""},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"a\tb\nc\rd", "\"a\\tb\\nc\\rd\""},
      {"\a\b\v\f", "\"\\a\\b\\v\\f\""},
      {"\x1B]0;owned\x07", "\"\\033]0;owned\\a\""},
      {"nul\0end"s, "\"nul\\000end\""},
      {"del\x7F", "\"del\\177\""},
      // Once quoted, backslashes and quotes are escaped so the text reads back.
      {"C:\\x\n\"y\"", "\"C:\\\\x\\n\\\"y\\\"\""},
      // A text that begins with a quote is quoted, so no raw text looks escaped.
      {"\"a\\tb\"", "\"\\\"a\\\\tb\\\"\""},
      // C1 controls (CSI is U+009B) and bytes that are not UTF-8.
      {"\xC2\x9B"
       "2J",
       "\"\\302\\2332J\""},
      {"\x9B \xFF \xC3 \xE0\x80\x80 \xED\xA0\x80",
       "\"\\233 \\377 \\303 \\340\\200\\200 \\355\\240\\200\""},
      {"\xC2\xA0", "\xC2\xA0"},
  };
  for (const auto& row : rows) EXPECT_EQ(quotedName(row.text), row.shown) << row.shown;
  EXPECT_EQ(alwaysQuoted("a b"), "\"a b\"");
  EXPECT_EQ(alwaysQuoted("\"a\""), "\"\\\"a\\\"\"");
  EXPECT_EQ(alwaysQuoted("a\nb"), "\"a\\nb\"");
}

}  // namespace
}  // namespace zarn::cli
