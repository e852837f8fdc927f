// The class descriptions against the surface callers rely on: every method
// at its interface place with its dispatch identifier, parameters and
// result, the type library's declaration order, and each class's names and
// interface identifiers.
#include "component/class_description.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "automation/text.h"
#include "support/expected_surface.h"

namespace zarn {
namespace {

using test_support::ExpectedMethod;

std::u16string kindName(ParameterKind kind) {
  return kind == ParameterKind::String ? u"text" : u"variant";
}

std::u16string kindName(ResultKind kind) {
  switch (kind) {
    case ResultKind::String: return u"text";
    case ResultKind::Boolean: return u"boolean";
    case ResultKind::Variant: return u"variant";
    case ResultKind::None: return u"nothing";
  }
  return u"?";
}

std::u16string signatureOf(const MethodDescription& method) {
  std::u16string signature = method.kind == MemberKind::PropertyGet   ? u"get ("
                             : method.kind == MemberKind::PropertyPut ? u"put ("
                                                                      : u"(";
  bool first = true;
  for (const ParameterDescription& parameter : method.parameters) {
    if (!std::exchange(first, false)) signature += u", ";
    std::u16string text = std::u16string(parameter.name) + u" " + kindName(parameter.kind);
    if (parameter.optional && parameter.kind == ParameterKind::Variant) {
      text = u"[" + text + u"]";
    } else if (parameter.optional) {
      text = u"[" + text + u" = \"" + std::u16string(parameter.defaultText) + u"\"]";
    }
    signature += text;
  }
  return signature + u") " + kindName(method.result);
}

void expectSurface(const ClassDescription& description, std::span<const ExpectedMethod> expected,
                   std::span<const std::u16string_view> declarationOrder) {
  ASSERT_EQ(description.methods.size(), expected.size());
  for (size_t place = 0; place < expected.size(); ++place) {
    const MethodDescription& method = description.methods[place];
    SCOPED_TRACE("interface place " + std::to_string(place));
    EXPECT_EQ(textToUtf8(method.name), textToUtf8(expected[place].name));
    EXPECT_EQ(method.dispatchId, expected[place].dispatchId);
    EXPECT_EQ(textToUtf8(signatureOf(method)), textToUtf8(expected[place].signature));
  }
  std::vector<std::string> declared, expectedDeclared;
  for (const int place : description.declarationOrder) {
    declared.push_back(textToUtf8(description.methods[static_cast<size_t>(place)].name));
  }
  for (const std::u16string_view name : declarationOrder)
    expectedDeclared.push_back(textToUtf8(name));
  EXPECT_EQ(declared, expectedDeclared);
}

TEST(ClassDescription, RegeditHasTheExpectedSurface) {
  expectSurface(regeditClass(), test_support::expectedRegeditMethods,
                test_support::expectedRegeditDeclarationOrder);
}

TEST(ClassDescription, IniEditHasTheExpectedSurface) {
  expectSurface(iniEditClass(), test_support::expectedIniEditMethods,
                test_support::expectedIniEditDeclarationOrder);
}

TEST(ClassDescription, RegistryHasTheExpectedSurface) {
  std::vector<std::u16string_view> order;
  for (const auto& method : test_support::expectedRegistryMethods) order.push_back(method.name);
  expectSurface(registryObjectClass(), test_support::expectedRegistryMethods, order);
}

TEST(ClassDescription, NamesEachClassAndItsInterfaces) {
  const ClassDescription& regedit = regeditClass();
  EXPECT_EQ(regedit.className, u"Regedit");
  EXPECT_EQ(regedit.progId, u"ZarnUtils.Regedit");
  EXPECT_EQ(regedit.interfaceName, u"_Regedit");
  ASSERT_NE(regedit.earlierInterface, nullptr);
  EXPECT_EQ(regedit.earlierInterface->name, u"Regedit___v0");
  EXPECT_EQ(regedit.answeredInterfaceIds.size(), 2u);
  EXPECT_EQ(regedit.answeredInterfaceIds[0], &identity::regeditEarlierInterfaceId);
  EXPECT_EQ(regedit.answeredInterfaceIds[1], &identity::regeditInterfaceId);

  const ClassDescription& iniEdit = iniEditClass();
  EXPECT_EQ(iniEdit.progId, u"ZarnUtils.IniEdit");
  EXPECT_EQ(iniEdit.interfaceName, u"_IniEdit");
  EXPECT_EQ(iniEdit.earlierInterface, nullptr);
  ASSERT_EQ(iniEdit.answeredInterfaceIds.size(), 1u);
  EXPECT_EQ(iniEdit.answeredInterfaceIds[0], &identity::iniEditInterfaceId);

  const ClassDescription& registry = registryObjectClass();
  EXPECT_EQ(registry.progId, u"ZarnUtils.Registry");
  EXPECT_EQ(registry.interfaceName, u"_Registry");
  ASSERT_EQ(registry.answeredInterfaceIds.size(), 1u);
  EXPECT_EQ(registry.answeredInterfaceIds[0], &identity::registryInterfaceId);

  ASSERT_EQ(describedClasses().size(), 3u);
  EXPECT_EQ(describedClasses()[0], &regedit);
  EXPECT_EQ(describedClasses()[1], &iniEdit);
  EXPECT_EQ(describedClasses()[2], &registry);
}

TEST(ClassDescription, FindsClassesByNameOrProgIdInAnyCase) {
  EXPECT_EQ(findClass(u"regedit"), &regeditClass());
  EXPECT_EQ(findClass(u"ZARNUTILS.INIEDIT"), &iniEditClass());
  EXPECT_EQ(findClass(u"ZarnUtils"), nullptr);
  using test_support::expectedIniEditMethods;
  using test_support::expectedRegeditMethods;
  EXPECT_EQ(findMethodByName(regeditClass(), u"readini"),
            test_support::expectedPlace(expectedRegeditMethods, u"ReadIni"));
  EXPECT_EQ(findMethodByName(regeditClass(), u"ResolveRootKey"), -1);
  // IniEdit's EnumValues has an identifier that no method of Regedit has.
  const int32_t enumValues =
      test_support::expectedDispatchId(expectedIniEditMethods, u"EnumValues");
  EXPECT_EQ(findMethodByDispatchId(regeditClass(), enumValues), -1);
  EXPECT_EQ(findMethodByDispatchId(iniEditClass(), enumValues),
            test_support::expectedPlace(expectedIniEditMethods, u"EnumValues"));
}

}  // namespace
}  // namespace zarn
