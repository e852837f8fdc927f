// Late binding over the class descriptions: lookup, argument conversion,
// defaults and rejections, as the platform's dispatch does them.
#include "component/late_bound_caller.h"

#include <gtest/gtest.h>

#include "support/expected_surface.h"
#include "support/registry_fixture.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

class LateBoundCallerTest : public test_support::RegistryTest {
 protected:
  CallStatus call(std::u16string_view className, std::u16string_view method,
                  std::vector<LateBoundArgument> arguments, Variant& result) {
    auto object = LateBoundObject::create(className);
    EXPECT_TRUE(object.has_value());
    const auto id = object->dispatchIdOfName(method);
    if (!id) return {error::ObjectDoesntSupport};
    return object->invoke(*id, std::move(arguments), result);
  }

  Variant callOk(std::u16string_view className, std::u16string_view method,
                 std::vector<LateBoundArgument> arguments) {
    Variant result;
    EXPECT_TRUE(call(className, method, std::move(arguments), result).succeeded());
    return result;
  }

  void makeSubKeys() {
    for (const char* name : {"A", "B"}) {
      ASSERT_EQ(callOk(u"Regedit", u"WriteValue",
                       {Variant::text(path(std::string(name) + "\\v")), Variant::text(u"S"),
                        Variant::text(u"x")}),
                Variant::boolean(true));
    }
  }
};

TEST_F(LateBoundCallerTest, FindsPublicMethodsByNameInAnyCase) {
  auto regedit = LateBoundObject::create(u"zarnutils.regedit");
  ASSERT_TRUE(regedit);
  for (const auto& [name, dispatchId, signature] : test_support::expectedRegeditMethods) {
    std::u16string anyCase(name);
    for (char16_t& c : anyCase) c = c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c;
    EXPECT_EQ(regedit->dispatchIdOfName(anyCase), dispatchId) << textToUtf8(name);
  }
  for (const auto* hidden :
       {u"ResolveRootKey", u"QueryTypedValue", u"ListSubKeys", u"EnumSections"}) {
    EXPECT_FALSE(regedit->dispatchIdOfName(hidden)) << textToUtf8(hidden);
  }
  EXPECT_FALSE(LateBoundObject::create(u"Registry2"));
}

TEST_F(LateBoundCallerTest, DispatchIdentifiersBelongToTheirInterface) {
  const int32_t enumValues =
      test_support::expectedDispatchId(test_support::expectedIniEditMethods, u"EnumValues");
  auto regedit = LateBoundObject::create(u"Regedit");
  Variant result = Variant::long32(1);
  EXPECT_EQ(regedit->invoke(enumValues, {Variant::text(u"x")}, result),
            CallStatus{error::ObjectDoesntSupport});
  EXPECT_EQ(result, Variant());
  auto iniEdit = LateBoundObject::create(u"IniEdit");
  EXPECT_TRUE(
      iniEdit->invoke(enumValues, {Variant::text(u"no-such.ini"), Variant::text(u"s")}, result)
          .succeeded());
  EXPECT_EQ(result, Variant::text(u""));
}

TEST_F(LateBoundCallerTest, OmittedDelimiterIsAComma) {
  makeSubKeys();
  EXPECT_EQ(callOk(u"Regedit", u"EnumKeys", {Variant::text(path())}), Variant::text(u"A,B"));
  EXPECT_EQ(callOk(u"Regedit", u"EnumKeys", {Variant::text(path()), std::nullopt}),
            Variant::text(u"A,B"));
}

TEST_F(LateBoundCallerTest, ConvertsArgumentsForTextParameters) {
  makeSubKeys();
  // A Boolean becomes "-1", as the platform's dispatch converts it.
  EXPECT_EQ(callOk(u"Regedit", u"EnumKeys", {Variant::text(path()), Variant::boolean(true)}),
            Variant::text(u"A-1B-1"));
  EXPECT_EQ(callOk(u"Regedit", u"EnumKeys", {Variant::text(path()), Variant::long32(5)}),
            Variant::text(u"A5B"));
  EXPECT_EQ(callOk(u"Regedit", u"EnumKeys", {Variant::text(path()), Variant()}),
            Variant::text(u"AB"));
  Variant result;
  EXPECT_EQ(call(u"Regedit", u"EnumKeys", {Variant::text(path()), Variant::null()}, result),
            CallStatus{error::TypeMismatch});
}

TEST_F(LateBoundCallerTest, PassesVariantsAsTheyAre) {
  EXPECT_EQ(callOk(u"Regedit", u"ReadValue",
                   {Variant::text(path("missing")), Variant::text(u"D"), Variant::null()}),
            Variant::null());
  EXPECT_EQ(callOk(u"Regedit", u"ReadValue",
                   {Variant::text(path("missing")), Variant::text(u"D"), Variant::real(2.5)}),
            Variant::real(2.5));
}

TEST_F(LateBoundCallerTest, RejectsWrongArgumentCounts) {
  Variant result;
  EXPECT_EQ(call(u"Regedit", u"ReadValue", {Variant::text(path("x")), Variant::text(u"S")}, result),
            CallStatus{error::ArgumentNotOptional});
  EXPECT_EQ(call(u"Regedit", u"DeleteKey", {std::nullopt}, result),
            CallStatus{error::ArgumentNotOptional});
  EXPECT_EQ(call(u"Regedit", u"EnumValues", {Variant::text(u"a"), Variant::text(u"b")}, result),
            CallStatus{error::WrongNumberOfArguments});
}

TEST_F(LateBoundCallerTest, FailedCallsDeliverTheInitialResult) {
  Variant result = Variant::text(u"stale");
  EXPECT_EQ(call(u"Regedit", u"DeleteKey", {Variant::text(u"")}, result),
            CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(result, Variant::boolean(false));
  EXPECT_EQ(call(u"Regedit", u"EnumKeys", {Variant::text(u"")}, result),
            CallStatus{error::SubscriptOutOfRange});
  EXPECT_EQ(result, Variant::text(u""));
  EXPECT_EQ(errorDescription(error::SubscriptOutOfRange), "Subscript out of range");
}

}  // namespace
}  // namespace zarn
