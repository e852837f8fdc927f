// The hints a failed call prints under its error line: names that exist,
// the nearest one to a typo, and the parameters a method takes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "call_hints.h"
#include "call_request.h"
#include "call_target.h"
#include "zarnutils/automation_error.h"

namespace zarn::cli {
namespace {

// Names the missing part, where EXPECT_TRUE(find) would only say "false".
testing::AssertionResult contains(const std::string& hint, const std::string& part) {
  if (hint.find(part) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "\"" << part << "\" is not in:\n" << hint;
}

// The hint for a call as the user typed it, with the error that the classes
// linked into this program really answer; none of these calls reaches the
// registry or a file.
std::string hintFor(std::vector<std::string> words) {
  const CallRequest request = parseCallRequest(words);
  InProcessCallTarget target;
  const CallOutcome outcome = target.call(request);
  EXPECT_FALSE(outcome.status.succeeded());
  return callHint(request, outcome.status.error).value_or("(no hint)");
}

TEST(CallHints, ATypoOfAMethodNameSuggestsTheMethodAndListsThemAll) {
  const std::string hint = hintFor({"Regedit.ReadVaule", "HKCU\\Software\\X", "S", ""});
  EXPECT_TRUE(contains(hint, "Regedit has no method ReadVaule; did you mean ReadValue?"));
  EXPECT_TRUE(contains(hint, "EnumKeys #0x60030000  sKey [sDelim]"));
  EXPECT_TRUE(contains(hint, "WriteIni #0x60030007  sFile sSection sItem vValue"));
}

TEST(CallHints, CaseAndSwappedLettersCountAsOneEdit) {
  EXPECT_TRUE(contains(hintFor({"inIedit.enumsectoins", "x.ini"}),
                       "IniEdit has no method enumsectoins; did you mean EnumSections?"));
}

TEST(CallHints, ANameFarFromEveryMethodGetsOnlyTheList) {
  const std::string hint = hintFor({"Regedit.Frobnicate"});
  EXPECT_TRUE(contains(hint, "Regedit has no method Frobnicate\n"));
  EXPECT_FALSE(contains(hint, "did you mean"));
  EXPECT_TRUE(contains(hint, "DeleteValue #0x60030008  sKey"));
}

TEST(CallHints, PrivateProceduresAreNotOffered) {
  EXPECT_FALSE(contains(hintFor({"Regedit.ResolveRootKey", "HKCU"}), "did you mean"));
}

TEST(CallHints, AnUnknownDispatchIdentifierListsTheMethodsWithTheirs) {
  const std::string hint = hintFor({"Regedit.#0x60030003", "HKCU"});
  EXPECT_TRUE(contains(hint, "Regedit has no method #0x60030003\n"));
  EXPECT_TRUE(contains(hint, "ReadIni #0x60030006"));
}

TEST(CallHints, AnUnknownClassNamesTheClasses) {
  const std::string hint = hintFor({"Regedt.EnumKeys", "HKCU"});
  EXPECT_TRUE(contains(hint, "there is no class Regedt; did you mean Regedit?"));
  EXPECT_TRUE(contains(hint, "the classes are Regedit, IniEdit"));
}

TEST(CallHints, AWrongArgumentCountNamesTheParameters) {
  EXPECT_EQ(hintFor({"Regedit.ReadValue", "HKCU\\Software\\X"}),
            "Regedit.ReadValue takes sKey sType vDefault; 1 given\n");
  EXPECT_EQ(hintFor({"IniEdit.EnumSections", "a.ini", "extra"}),
            "IniEdit.EnumSections takes sFile; 2 given\n");
  EXPECT_EQ(hintFor({"Regedit.#0x60030000"}), "Regedit.EnumKeys takes sKey [sDelim]; 0 given\n");
}

TEST(CallHints, OtherFailuresGetNone) {
  const CallRequest request = parseCallRequest(std::vector<std::string>{"Regedit.EnumKeys", ""});
  EXPECT_EQ(callHint(request, error::SubscriptOutOfRange), std::nullopt);
  EXPECT_EQ(callHint(request, error::TypeMismatch), std::nullopt);
}

}  // namespace
}  // namespace zarn::cli
