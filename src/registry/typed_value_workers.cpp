// QueryTypedValue and StoreTypedValue: one value in one of three stored forms.
//
// Text is stored as its narrow bytes plus a NUL, its size counted in bytes so
// that multi-byte characters are stored and read back whole. Booleans are two
// bytes, numbers four; a read accepts any stored value that fits the form's
// buffer, whatever its type code.
#include <optional>
#include <string>

#include "platform/conversions.h"
#include "platform/growing_buffer.h"
#include "platform/narrow_text.h"
#include "registry/regedit_procedures.h"
#include "registry/type_letter.h"
#include "registry/worker_status.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

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

// The bytes to store for a letter; nothing for an unknown letter. Throws
// AutomationError when the value's conversion for the letter fails.
std::optional<StoredData> dataToStore(RegistryForm form, const Variant& value) {
  switch (form) {
    case RegistryForm::String: {
      const Text text = toText(value);
      std::string narrow = toNarrow(text);
      const auto size = static_cast<uint32_t>(text.empty() ? 0 : narrow.size() + 1);
      return StoredData{value_type::Text, narrow, size};
    }
    case RegistryForm::Boolean: return fixedData<int16_t>(value_type::Binary, toBoolean(value));
    case RegistryForm::Number: return fixedData<int32_t>(value_type::Number, toLong(value));
    case RegistryForm::None: break;
  }
  return std::nullopt;
}

}  // namespace

void Regedit::Procedures::QueryTypedValue(RootKeyValue rootKey, Text keyPath, Text valueName,
                                          Text typeLetter, Variant defaultValue, Variant& result,
                                          RegistryStatus& status) {
  // The caller receives the default unless a read completes.
  result = std::move(defaultValue);
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

void Regedit::Procedures::StoreTypedValue(RootKeyValue rootKey, Text keyPath, Text valueName,
                                          Text typeLetter, Variant value, RegistryStatus& status) {
  std::optional<StoredData> data;
  const auto convertThenCreate = [&](KeyHandle& key) -> RegistryStatus {
    // Convert before touching the registry, so that a rejected value leaves
    // no trace and is reported as a failure.
    try {
      data = dataToStore(registryFormForLetter(typeLetter), value);
    } catch (const AutomationError&) {
      return statusRejectedValue;
    }
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

}  // namespace zarn
