// Regedit's six registry workers, each inside the worker frame of
// regedit_internals.h.
#include <algorithm>
#include <optional>
#include <string>

#include "automation/type_letter.h"
#include "platform/conversions.h"
#include "platform/growing_buffer.h"
#include "platform/narrow_text.h"
#include "registry/regedit_internals.h"
#include "zarnutils/automation_error.h"

namespace zarn {

// QueryTypedValue and StoreTypedValue: one value in one of three stored forms.
//
// Text is stored as its narrow bytes plus a NUL, its size counted in bytes so
// that multi-byte characters are stored and read back whole. Booleans are two
// bytes, numbers four; a read accepts any stored value that fits the form's
// buffer, whatever its type code.

namespace {

// The registry's type letters: "S" text, "B" boolean, "D" 32-bit number,
// matched as automation/type_letter.h says.
enum class RegistryForm { String, Boolean, Number, None };

RegistryForm registryFormForLetter(const Text& letter) {
  static constexpr TypeLetter<RegistryForm> letters[] = {
      {u"S", RegistryForm::String}, {u"B", RegistryForm::Boolean}, {u"D", RegistryForm::Number}};
  return formForTypeLetter(letter, letters, RegistryForm::None);
}

// Reads a text value: a first query with an empty buffer learns its size,
// and a second one with a buffer of that size reads it; the second query's
// status is the read's, whatever it is.
RegistryStatus queryText(KeyHandle key, const std::string& name, Text& text) {
  RegistryStatus status = 0;
  uint32_t size = 0;
  bool probed = false;
  const std::string buffer =
      callUntilItFits(0, ' ', [&](char* data, uint32_t room) -> std::optional<uint32_t> {
        uint32_t type = value_type::Text;
        size = room;
        status = RegistryService::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                                   reinterpret_cast<uint8_t*>(data), &size);
        if (probed || status != registry_status::MoreData) return std::nullopt;
        probed = true;
        return size;
      });
  if (status == 0)
    text = size > 0 ? fromNarrow(std::string_view(buffer).substr(0, size - 1)) : Text();
  return status;
}

template <class Number>
RegistryStatus queryFixed(KeyHandle key, const std::string& name, uint32_t presetType,
                          Number& number) {
  uint32_t type = presetType;
  uint32_t size = sizeof(Number);
  return RegistryService::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                           reinterpret_cast<uint8_t*>(&number), &size);
}

struct StoredData {
  uint32_t type;
  std::string bytes;
  uint32_t size;
};

template <class Number>
StoredData fixedData(uint32_t type, Number number) {
  std::string bytes(sizeof(Number), '\0');
  for (size_t i = 0; i < sizeof(Number); ++i) {
    bytes[i] = static_cast<char>((static_cast<uint32_t>(number) >> (8 * i)) & 0xFF);
  }
  return {type, bytes, sizeof(Number)};
}

// The bytes to store for a letter, none for an unknown letter; or the status
// that refuses the value: 13 when its conversion for the letter fails, 87
// for text the narrow code page cannot hold, which would be stored changed.
RegistryStatus dataToStore(RegistryForm form, const Variant& value,
                           std::optional<StoredData>& data) {
  try {
    switch (form) {
      case RegistryForm::String: {
        const Text text = toText(value);
        if (!narrowHolds(text)) return registry_status::InvalidParameter;
        std::string narrow = toNarrow(text);
        const auto size = static_cast<uint32_t>(text.empty() ? 0 : narrow.size() + 1);
        data = StoredData{value_type::Text, std::move(narrow), size};
        break;
      }
      case RegistryForm::Boolean:
        data = fixedData<int16_t>(value_type::Binary, toBoolean(value));
        break;
      case RegistryForm::Number:
        data = fixedData<int32_t>(value_type::Number, toLong(value));
        break;
      case RegistryForm::None: break;
    }
  } catch (const AutomationError&) {
    return statusRejectedValue;
  }
  return 0;
}

}  // namespace

void Regedit::Procedures::QueryTypedValue(RootKeyValue rootKey, const Text& keyPath,
                                          const Text& valueName, const Text& typeLetter,
                                          const Variant& defaultValue, Variant& result,
                                          RegistryStatus& status) {
  // The caller receives the default unless a read completes.
  result = defaultValue;
  withOpenKey(rootKey, keyPath, key_access::QueryValue, status, [&](KeyHandle key) {
    const std::string name = toNarrow(valueName);
    RegistryStatus queried = 0;
    switch (registryFormForLetter(typeLetter)) {
      case RegistryForm::String: {
        Text text;
        queried = queryText(key, name, text);
        if (queried == 0) result = Variant::text(std::move(text));
        break;
      }
      case RegistryForm::Boolean: {
        int16_t flag = 0;
        queried = queryFixed(key, name, value_type::Binary, flag);
        if (queried == 0) result = Variant::booleanBits(flag);
        break;
      }
      case RegistryForm::Number: {
        int32_t number = 0;
        queried = queryFixed(key, name, value_type::Number, number);
        if (queried == 0) result = Variant::long32(number);
        break;
      }
      case RegistryForm::None: break;
    }
    return queried;
  });
}

void Regedit::Procedures::StoreTypedValue(RootKeyValue rootKey, const Text& keyPath,
                                          const Text& valueName, const Text& typeLetter,
                                          const Variant& value, RegistryStatus& status) {
  std::optional<StoredData> data;
  const auto convertThenCreate = [&](KeyHandle& key) -> RegistryStatus {
    // Convert before touching the registry, so that a rejected value leaves
    // no trace and is reported as a failure.
    if (const RegistryStatus refused = dataToStore(registryFormForLetter(typeLetter), value, data))
      return refused;
    const SecurityAttributes security;
    uint32_t disposition = 0;
    return RegistryService::RegCreateKeyExA(rootKeyHandle(rootKey), toNarrow(keyPath).c_str(), 0,
                                            "", 0, key_access::SetValue | key_access::CreateSubKey,
                                            &security, &key, &disposition);
  };
  withKey(rootKey, status, convertThenCreate, [&](KeyHandle key) -> RegistryStatus {
    if (!data) return 0;
    return RegistryService::RegSetValueExA(key, toNarrow(valueName).c_str(), 0, data->type,
                                           reinterpret_cast<const uint8_t*>(data->bytes.data()),
                                           data->size);
  });
}

// ListSubKeys and ListValues: enumerate one open key by index until the
// registry says there is nothing more, building the listing text.

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

void Regedit::Procedures::ListSubKeys(RootKeyValue rootKey, const Text& keyPath,
                                      const Text& delimiter, Text& list, RegistryStatus& status) {
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

void Regedit::Procedures::ListValues(RootKeyValue rootKey, const Text& keyPath, Text& list,
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

// DeleteSubKey and DeleteNamedValue: open the parent key, make exactly one
// delete call, close. Whether a key with subkeys may go is the registry's
// decision; the worker never deletes anything below it first.

void Regedit::Procedures::DeleteSubKey(RootKeyValue rootKey, const Text& keyPath,
                                       const Text& subKeyName, RegistryStatus& status) {
  withOpenKey(rootKey, keyPath, key_access::CreateSubKey, status, [&](KeyHandle key) {
    return RegistryService::RegDeleteKeyA(key, toNarrow(subKeyName).c_str());
  });
}

void Regedit::Procedures::DeleteNamedValue(RootKeyValue rootKey, const Text& keyPath,
                                           const Text& valueName, RegistryStatus& status) {
  const bool exited =
      withOpenKey(rootKey, keyPath, key_access::SetValue, status, [&](KeyHandle key) {
        return RegistryService::RegDeleteValueA(key, toNarrow(valueName).c_str());
      });
  // A value that is already gone, or whose key is, counts as deleted; not
  // when a raised error ended the worker.
  if (exited && status == registry_status::NotFound) status = 0;
}

}  // namespace zarn
