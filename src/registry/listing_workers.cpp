// ListSubKeys and ListValues: enumerate one open key by index until the
// registry says there is nothing more, building the listing text.
#include <algorithm>
#include <optional>
#include <string>

#include "platform/narrow_text.h"
#include "registry/regedit_procedures.h"
#include "registry/worker_status.h"

namespace zarn {
namespace {

constexpr uint32_t nameBufferSize = 2048;

// The text of one listed value, or nothing for a type that is not listed.
// A failing query ends the listing with its status.
RegistryStatus valueText(KeyHandle key, const std::string& name, uint32_t type, uint32_t size,
                         std::optional<Text>& text) {
  if (type == value_type::Text) {
    std::string buffer(size, ' ');
    uint32_t queriedType = value_type::Text;
    const RegistryStatus status = RegistryService::RegQueryValueExA(
        key, name.c_str(), nullptr, &queriedType, reinterpret_cast<uint8_t*>(buffer.data()), &size);
    if (status == 0)
      text = size > 0 ? fromNarrow(std::string_view(buffer).substr(0, size - 1)) : Text();
    return status;
  }
  const bool number = type == value_type::Number;
  if (!number && type != value_type::Binary) return 0;
  // Never let a query write more than the 4 bytes of the number; longer
  // numbers show like long binary values.
  if (size > (number ? 4u : 2u)) {
    text = u"Overflow";
    return 0;
  }
  int32_t value = 0;
  uint32_t queriedType = value_type::None;
  const RegistryStatus status = RegistryService::RegQueryValueExA(
      key, name.c_str(), nullptr, &queriedType, reinterpret_cast<uint8_t*>(&value), &size);
  if (status == 0) text = decimalText(value);
  return status;
}

// The subkey name an enumeration left at the start of its buffer of
// spaces, with the spaces around it trimmed and the NUL that ends it
// dropped. The NUL keeps the trim away from the name's own trailing spaces,
// so only the bytes before it need converting.
Text enumeratedName(const std::string& buffer) {
  const std::string_view name(buffer.c_str());
  return fromNarrow(name.substr(std::min(name.find_first_not_of(' '), name.size())));
}

}  // namespace

void Regedit::Procedures::ListSubKeys(RootKeyValue rootKey, Text keyPath, Text delimiter,
                                      Text& list, RegistryStatus& status) {
  withOpenKey(rootKey, keyPath, key_access::EnumerateSubKeys, status, [&](KeyHandle key) {
    // Any enumeration failure, 259 after the last subkey included, ends the
    // listing quietly.
    for (uint32_t index = 0;; ++index) {
      std::string buffer(nameBufferSize, ' ');
      if (RegistryService::RegEnumKeyA(key, index, buffer.data(), nameBufferSize) != 0) break;
      list += enumeratedName(buffer);
      list += delimiter;
    }
    if (!list.empty() &&
        equalsIgnoringCase(std::u16string_view(list).substr(list.size() - 1), delimiter)) {
      list.pop_back();
    }
    return RegistryStatus{0};
  });
}

void Regedit::Procedures::ListValues(RootKeyValue rootKey, Text keyPath, Text& list,
                                     RegistryStatus& status) {
  withOpenKey(rootKey, keyPath, key_access::QueryValue, status, [&](KeyHandle key) {
    // As for subkeys, a failing enumeration ends the listing quietly; a
    // failing query of a listed value ends it with the query's status.
    for (uint32_t index = 0;; ++index) {
      std::string nameBuffer(nameBufferSize, ' ');
      uint32_t nameLength = nameBufferSize;
      uint32_t dataSize = nameBufferSize;
      uint32_t type = 0;
      if (RegistryService::RegEnumValueA(key, index, nameBuffer.data(), &nameLength, nullptr, &type,
                                         nullptr, &dataSize) != 0) {
        break;
      }
      const std::string name = nameBuffer.substr(0, nameLength);
      std::optional<Text> text;
      if (const RegistryStatus queried = valueText(key, name, type, dataSize, text)) return queried;
      if (text) {
        list += fromNarrow(name);
        list += u'=';
        list += *text;
        list += u'\0';
      }
    }
    if (!list.empty() && list.back() == u'\0') list.pop_back();
    return RegistryStatus{0};
  });
}

}  // namespace zarn
