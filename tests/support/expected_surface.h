// The surface callers rely on, stated once as expected values: each
// interface's methods in interface order with their dispatch identifiers
// and signatures, and the type library's declaration order. The tests hold
// the class descriptions, the DLL's vtables and the type library against it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace zarn::test_support {

struct ExpectedMethod {
  std::u16string_view name;
  int32_t dispatchId;
  // Parameters in order, "[name kind = default]" when optional ("[name
  // kind]" for an optional variant), then the result kind; a property's
  // read or write starts with "get" or "put".
  std::u16string_view signature;
};

inline constexpr std::array<ExpectedMethod, 8> expectedRegeditMethods{{
    {u"EnumKeys", 0x60030000, u"(sKey text, [sDelim text = \",\"]) text"},
    {u"EnumValues", 0x60030001, u"(sKey text) text"},
    {u"DeleteKey", 0x60030002, u"(sKey text) boolean"},
    {u"ReadIni", 0x60030006, u"(sFile text, sSection text, sItem text, vDefValue variant) text"},
    {u"WriteIni", 0x60030007, u"(sFile text, sSection text, sItem text, vValue variant) boolean"},
    {u"DeleteValue", 0x60030008, u"(sKey text) boolean"},
    {u"ReadValue", 0x60030009, u"(sKey text, sType text, vDefault variant) variant"},
    {u"WriteValue", 0x6003000A, u"(sKey text, sType text, vValue variant) boolean"},
}};
inline constexpr std::array<std::u16string_view, 8> expectedRegeditDeclarationOrder{
    u"EnumKeys",  u"EnumValues", u"DeleteKey", u"DeleteValue",
    u"ReadValue", u"WriteValue", u"ReadIni",   u"WriteIni"};

inline constexpr std::array<ExpectedMethod, 4> expectedIniEditMethods{{
    {u"ReadValue", 0x60030000,
     u"(sFile text, sSection text, sName text, sType text, vDefault variant) variant"},
    {u"WriteValue", 0x60030001, u"(sFile text, sSection text, sName text, vValue variant) boolean"},
    {u"EnumSections", 0x60030002, u"(sFile text) text"},
    {u"EnumValues", 0x60030003, u"(sFile text, sSection text) text"},
}};
inline constexpr std::array<std::u16string_view, 4> expectedIniEditDeclarationOrder{
    u"ReadValue", u"WriteValue", u"EnumSections", u"EnumValues"};

inline constexpr std::array<ExpectedMethod, 17> expectedRegistryMethods{{
    {u"Read", 1, u"(Key text, Name text, [Default variant]) variant"},
    {u"ReadExpanded", 2, u"(Key text, Name text, [Default variant]) variant"},
    {u"ValueType", 3, u"(Key text, Name text) text"},
    {u"Write", 4, u"(Key text, Name text, Value variant, [Type text = \"\"]) boolean"},
    {u"KeyExists", 5, u"(Key text) boolean"},
    {u"ValueExists", 6, u"(Key text, Name text) boolean"},
    {u"CreateKey", 7, u"(Key text) boolean"},
    {u"DeleteKey", 8, u"(Key text) boolean"},
    {u"DeleteValue", 9, u"(Key text, Name text) boolean"},
    {u"Keys", 10, u"(Key text) variant"},
    {u"Values", 11, u"(Key text, [WithTypes variant]) variant"},
    {u"Status", 12, u"get () variant"},
    {u"StatusText", 13, u"get () text"},
    {u"RaiseErrors", 14, u"get () boolean"},
    {u"RaiseErrors", 14, u"put (Raise variant) nothing"},
    {u"View", 15, u"get () variant"},
    {u"View", 15, u"put (Bits variant) nothing"},
}};

// A method's place in its interface (after IDispatch's seven operations).
constexpr int expectedPlace(std::span<const ExpectedMethod> methods, std::u16string_view name) {
  for (size_t place = 0; place < methods.size(); ++place) {
    if (methods[place].name == name) return static_cast<int>(place);
  }
  return -1;
}

constexpr int32_t expectedDispatchId(std::span<const ExpectedMethod> methods,
                                     std::u16string_view name) {
  return methods[static_cast<size_t>(expectedPlace(methods, name))].dispatchId;
}

}  // namespace zarn::test_support
