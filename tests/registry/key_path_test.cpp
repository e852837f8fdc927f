#include "registry/regedit_internals.h"

#include <gtest/gtest.h>

#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

RootKeyValue byTable(const Text& segment) { return rootKeyForName(segment); }

struct WorkedExample {
  Text path;
  RootKeyValue root;
  Text enumKeysPath;
  Text enumValuesPath;
  Text itemPath;
  Text lastSegment;
};

TEST(KeyPath, ResolvesTheWorkedExamples) {
  const WorkedExample examples[] = {
      {u"HKLM\\Software\\Vendor\\App", root_key::LocalMachine, u"Software\\Vendor\\App",
       u"Software\\Vendor\\App", u"Software\\Vendor", u"App"},
      {u"hkcu\\Software", root_key::CurrentUser, u"Software", u"Software", u"", u"Software"},
      {u"HKLM", root_key::LocalMachine, u"", u"", u"", u"HKLM"},
      {u"HKLM\\", root_key::LocalMachine, u"", u"", u"", u""},
      {u"HKLM\\Software\\", root_key::LocalMachine, u"Software", u"Software\\", u"Software", u""},
      {u"HKLM\\\\Software\\App", root_key::LocalMachine, u"Software\\App", u"\\Software\\App",
       u"\\Software", u"App"},
      {u"\\Software\\App", 0, u"Software\\App", u"Software\\App", u"Software", u"App"},
      {u"HKLM\\A\\\\B", root_key::LocalMachine, u"A\\B", u"A\\\\B", u"A\\", u"B"},
  };
  for (const auto& example : examples) {
    SCOPED_TRACE(textToUtf8(example.path));
    const KeyPath keys = resolveListingForm(example.path, EmptySegments::Skip, byTable);
    EXPECT_EQ(keys.rootKey, example.root);
    EXPECT_EQ(keys.keyPath, example.enumKeysPath);
    const KeyPath values = resolveListingForm(example.path, EmptySegments::Keep, byTable);
    EXPECT_EQ(values.keyPath, example.enumValuesPath);
    const KeyPath item = resolveItemForm(example.path, byTable);
    EXPECT_EQ(item.rootKey, example.root);
    EXPECT_EQ(item.keyPath, example.itemPath);
    EXPECT_EQ(item.lastSegment, example.lastSegment);
  }
}

TEST(KeyPath, EmptyPathFailsWithSubscriptOutOfRange) {
  bool resolverCalled = false;
  const RootResolver spy = [&](const Text&) {
    resolverCalled = true;
    return RootKeyValue{0};
  };
  for (auto form : {0, 1, 2}) {
    try {
      if (form == 0) resolveListingForm(u"", EmptySegments::Skip, spy);
      if (form == 1) resolveListingForm(u"", EmptySegments::Keep, spy);
      if (form == 2) resolveItemForm(u"", spy);
      FAIL() << "form " << form << " accepted an empty path";
    } catch (const AutomationError& failure) {
      EXPECT_EQ(failure.number(), error::SubscriptOutOfRange);
    }
  }
  EXPECT_FALSE(resolverCalled);
}

TEST(RootKeys, AcceptsTheTwelveNamesInAnyCase) {
  EXPECT_EQ(rootKeyForName(u"HKEY_LOCAL_MACHINE"), root_key::LocalMachine);
  EXPECT_EQ(rootKeyForName(u"Hkey_Local_Machine"), root_key::LocalMachine);
  EXPECT_EQ(rootKeyForName(u"hkcu"), root_key::CurrentUser);
  EXPECT_EQ(rootKeyForName(u"HKEY_CURRENT_USER"), root_key::CurrentUser);
  EXPECT_EQ(rootKeyForName(u"HKU"), root_key::Users);
  EXPECT_EQ(rootKeyForName(u"hkey_users"), root_key::Users);
  EXPECT_EQ(rootKeyForName(u"HKDD"), root_key::DynData);
  EXPECT_EQ(rootKeyForName(u"HKEY_DYN_DATA"), root_key::DynData);
  EXPECT_EQ(rootKeyForName(u"HKCC"), root_key::CurrentConfig);
  EXPECT_EQ(rootKeyForName(u"HKEY_CURRENT_CONFIG"), root_key::CurrentConfig);
  EXPECT_EQ(rootKeyForName(u"HKCR"), root_key::ClassesRoot);
  EXPECT_EQ(rootKeyForName(u"HKEY_CLASSES_ROOT"), root_key::ClassesRoot);
}

TEST(RootKeys, RefusesEverythingElse) {
  for (const Text name :
       {u"", u" HKLM", u"HKLM ", u"HKEY_PERFORMANCE_DATA", u"HKPD", u"HKLM2", u"HKEY_LOCAL"}) {
    EXPECT_EQ(rootKeyForName(name), 0u) << textToUtf8(name);
  }
}

}  // namespace
}  // namespace zarn
