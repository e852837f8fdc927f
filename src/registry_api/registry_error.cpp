// The registry's error category and exception, and the type names: the
// words every caller of the typed API reads in its errors and listings.
#include <string>

#include "zarnutils/registry.h"

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
      case 998: return "invalid access to memory location";
      case 1016: return "the registry store could not be read or written";
      case 1018: return "the key was deleted";
      case 1113: return "not valid UTF-8";
      case 1630: return "the value does not hold that type";
      default: return "registry status " + std::to_string(status);
    }
  }
};

std::string describe(const std::string& key, const std::string& value) {
  return value.empty() ? key : key + " (value \"" + value + "\")";
}

}  // namespace

const std::error_category& registryCategory() {
  static const RegistryCategory category;
  return category;
}

Error::Error(std::error_code code, std::string key, std::string value)
    : std::system_error(code, describe(key, value)),
      key_(std::move(key)),
      value_(std::move(value)) {}

std::string_view typeName(ValueType type) {
  switch (type) {
    case ValueType::None: return "REG_NONE";
    case ValueType::Text: return "REG_SZ";
    case ValueType::ExpandText: return "REG_EXPAND_SZ";
    case ValueType::Binary: return "REG_BINARY";
    case ValueType::Number: return "REG_DWORD";
    case ValueType::NumberBigEndian: return "REG_DWORD_BIG_ENDIAN";
    case ValueType::MultiText: return "REG_MULTI_SZ";
    case ValueType::Number64: return "REG_QWORD";
  }
  return "";
}

}  // namespace zarn::registry
