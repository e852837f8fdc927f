// Who the library is: the one place in C++ that names it, versions it and
// fixes its identifiers. The type library, registration and the class
// descriptions read from here; the names and versions come from the
// generated library_version.h, which the version block reads too.
#pragma once

#include <cstdint>
#include <string_view>

#include "component/library_version.h"

namespace zarn::identity {

struct Guid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

constexpr std::u16string_view libraryName = u"" ZARN_LIBRARY_NAME;
constexpr std::u16string_view helpString = u"" ZARN_TYPE_LIBRARY_TITLE;
constexpr uint16_t versionMajor = ZARN_TYPE_LIBRARY_VERSION_MAJOR;
constexpr uint16_t versionMinor = ZARN_TYPE_LIBRARY_VERSION_MINOR;
constexpr uint32_t localeNeutral = 0;

// Fixed forever: clients and registrations refer to them. Inline, so that
// each has one address: the descriptions tell them apart by it.
inline constexpr Guid libraryId{
    0xd7f5359c, 0x4548, 0x4704, {0xa0, 0x72, 0xd6, 0xa6, 0xa5, 0xb7, 0xe5, 0xef}};
inline constexpr Guid regeditClassId{
    0x33a52761, 0x44a5, 0x44ff, {0xae, 0xc0, 0x63, 0x52, 0x50, 0x54, 0xc4, 0x9b}};
inline constexpr Guid regeditInterfaceId{
    0x8592bc60, 0xec2c, 0x41d4, {0x99, 0xc5, 0x47, 0x11, 0x4e, 0xb8, 0x94, 0x6c}};
// The earlier (1.0) interface of Regedit; a Regedit answers to it too.
inline constexpr Guid regeditEarlierInterfaceId{
    0xd3f403ce, 0xc93a, 0x46f1, {0x8b, 0x9d, 0x5f, 0xc6, 0xea, 0xea, 0x4f, 0x72}};
inline constexpr Guid iniEditClassId{
    0xa5e3e520, 0x5824, 0x4237, {0xbb, 0x5a, 0xdc, 0xe1, 0xa9, 0xdc, 0xcc, 0x89}};
inline constexpr Guid iniEditInterfaceId{
    0x8f8d9eaf, 0xdd2d, 0x4783, {0x85, 0x2e, 0x57, 0x7a, 0xb3, 0x60, 0xf6, 0x17}};
inline constexpr Guid registryClassId{
    0xa48ba52e, 0x2ac0, 0x4c52, {0x8d, 0x24, 0x03, 0xb6, 0xe0, 0xab, 0x63, 0x29}};
inline constexpr Guid registryInterfaceId{
    0x37999686, 0xce14, 0x48a0, {0xac, 0x63, 0xe7, 0xb8, 0xa2, 0x44, 0x05, 0xff}};
inline constexpr Guid securityAttributesRecordId{
    0x5f480260, 0x2be2, 0x4d2b, {0x80, 0x5f, 0xe0, 0xa6, 0x47, 0x90, 0xa1, 0xd5}};

}  // namespace zarn::identity
