// The registry's error category and exception, and the type names: the
// words every caller of the typed API reads in its errors and listings.
#include <string>

#include "automation/text.h"
#include "zarnutils/registry.h"
#include "zarnutils/store_location.h"

namespace zarn::registry {
namespace {

class RegistryCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "registry"; }

  std::string message(int status) const override {
    switch (status) {
      case 0: return "success";
      case 2: return "not found";
      case 5: return "access denied";
      case 6: return "invalid handle";
      case 10: return "the environment names no place for the registry store";
      case 87: return "invalid parameter";
      case 161: return "bad path name";
      case 234: return "more data is available";
      case 259: return "no more items";
      case 183: return "the file exists already";
      case 998: return "invalid access to memory location";
      case 1009: return "the file holds no registry hive";
      case 1016: return "the registry store could not be read or written";
      case 1018: return "the key was deleted";
      case 1113: return "not valid UTF-8";
      case 1314: return "a required privilege is not held (backing up or restoring keys)";
      case 1630: return "the value does not hold that type";
      default: return "registry status " + std::to_string(status);
    }
  }
};

// The key and value, and for a store that cannot be read or written its
// file, for its user to look at.
std::string describe(std::error_code code, const std::string& key, const std::string& value) {
  std::string what = value.empty() ? key : key + " (value \"" + value + "\")";
  const bool storeFailed = code.category() == registryCategory() && code.value() == 1016;
  if (const std::string file = storeFailed ? registryStoreFile(key) : ""; !file.empty()) {
    what += ", in " + file;
  }
  return what;
}

}  // namespace

const std::error_category& registryCategory() {
  static const RegistryCategory category;
  return category;
}

Error::Error(std::error_code code, std::string key, std::string value)
    : std::system_error(code, describe(code, key, value)),
      key_(std::move(key)),
      value_(std::move(value)) {}

namespace {

struct NamedType {
  uint32_t code;
  std::string_view name;
};

// Every type reg.exe names; the first name of a code is the one shown, and
// REG_DWORD_LITTLE_ENDIAN is another name of REG_DWORD.
constexpr NamedType namedTypes[] = {
    {0, "REG_NONE"},
    {1, "REG_SZ"},
    {2, "REG_EXPAND_SZ"},
    {3, "REG_BINARY"},
    {4, "REG_DWORD"},
    {4, "REG_DWORD_LITTLE_ENDIAN"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {7, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {11, "REG_QWORD"},
};

// The codes that have a ValueType.
constexpr bool isValueType(uint32_t code) { return code <= 5 || code == 7 || code == 11; }

}  // namespace

std::string_view typeName(ValueType type) {
  for (const NamedType& named : namedTypes) {
    if (named.code == static_cast<uint32_t>(type)) return named.name;
  }
  return "";
}

std::optional<ValueType> valueTypeOfName(std::string_view name) {
  for (const NamedType& named : namedTypes) {
    if (isValueType(named.code) && equalsIgnoringAsciiCase(name, named.name)) {
      return static_cast<ValueType>(named.code);
    }
  }
  return std::nullopt;
}

}  // namespace zarn::registry
