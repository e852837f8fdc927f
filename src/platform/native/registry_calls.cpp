// The typed API's registry functions on the native target: RegistryService
// already speaks UTF-8 and keeps one view, so each call forwards to it with
// the view bits taken off and its buffers grown until the answer fits.
#include "platform/registry_calls.h"

#include <algorithm>
#include <cstdlib>

#include "zarnutils/text.h"

namespace zarn::registry_calls {
namespace {

constexpr uint32_t withoutView(uint32_t access) { return access & ~(view32 | view64); }

// Calls fill(buffer) with buffer grown while it answers 234.
template <typename Fill>
RegistryStatus growing(std::string& buffer, size_t start, Fill fill) {
  buffer.resize(start);
  for (;;) {
    const RegistryStatus status = fill(buffer);
    if (status != registry_status::MoreData || buffer.size() > (1u << 20)) return status;
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

RegistryStatus openKey(KeyHandle parent, const std::string& path, uint32_t access, KeyHandle& key) {
  return RegistryService::RegOpenKeyExA(parent, path.c_str(), 0, withoutView(access), &key);
}

RegistryStatus createKey(KeyHandle parent, const std::string& path, uint32_t access,
                         KeyHandle& key) {
  const SecurityAttributes security;
  uint32_t disposition = 0;
  return RegistryService::RegCreateKeyExA(parent, path.c_str(), 0, "", 0, withoutView(access),
                                          &security, &key, &disposition);
}

RegistryStatus closeKey(KeyHandle key) { return RegistryService::RegCloseKey(key); }

RegistryStatus enumKey(KeyHandle key, uint32_t index, std::string& name) {
  const RegistryStatus status = growing(name, 256, [&](std::string& buffer) {
    return RegistryService::RegEnumKeyA(key, index, buffer.data(),
                                        static_cast<uint32_t>(buffer.size()));
  });
  if (status == registry_status::Success) name.resize(name.find('\0'));
  return status;
}

// One call per value, with both buffers large enough as a rule: asking
// again for the same index would make the store step from the first value.
RegistryStatus enumValue(KeyHandle key, uint32_t index, std::string& name, uint32_t& type,
                         std::vector<uint8_t>& data) {
  name.resize(std::max<size_t>(name.capacity(), 256));
  data.resize(std::max<size_t>(data.capacity(), 256));
  for (;;) {
    uint32_t nameLength = static_cast<uint32_t>(name.size());
    uint32_t dataSize = static_cast<uint32_t>(data.size());
    const RegistryStatus status = RegistryService::RegEnumValueA(
        key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
    if (status == registry_status::Success) {
      name.resize(nameLength);
      data.resize(dataSize);
    }
    if (status != registry_status::MoreData || name.size() > (1u << 20)) return status;
    if (dataSize > data.size()) {
      data.resize(dataSize);
    } else {
      name.resize(name.size() * 4);
    }
  }
}

RegistryStatus queryValue(KeyHandle key, const std::string& name, uint32_t& type,
                          std::vector<uint8_t>* data, uint32_t& size) {
  if (!data)
    return RegistryService::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  // An empty buffer would pass a null pointer, which asks for the size alone.
  if (data->empty()) data->resize(1);
  for (;;) {
    size = static_cast<uint32_t>(data->size());
    const RegistryStatus status =
        RegistryService::RegQueryValueExA(key, name.c_str(), nullptr, &type, data->data(), &size);
    if (status != registry_status::MoreData) {
      if (status == registry_status::Success) data->resize(size);
      return status;
    }
    data->resize(size);
  }
}

RegistryStatus setValue(KeyHandle key, const std::string& name, uint32_t type,
                        const std::vector<uint8_t>& data) {
  return RegistryService::RegSetValueExA(key, name.c_str(), 0, type, data.data(),
                                         static_cast<uint32_t>(data.size()));
}

RegistryStatus deleteKey(KeyHandle key, const std::string& path, uint32_t) {
  return RegistryService::RegDeleteKeyA(key, path.c_str());
}

RegistryStatus deleteValue(KeyHandle key, const std::string& name) {
  return RegistryService::RegDeleteValueA(key, name.c_str());
}

std::vector<uint8_t> storedText(std::string_view text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::string textFromStored(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

size_t storedNulSize() { return 1; }

namespace {

bool isTextType(uint32_t type) {
  return type == value_type::Text || type == value_type::ExpandText ||
         type == value_type::MultiText;
}

}  // namespace

std::vector<uint8_t> windowsFormOf(uint32_t type, std::vector<uint8_t> stored) {
  if (!isTextType(type)) return stored;
  const Text text =
      utf8ToText(std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
  std::vector<uint8_t> bytes(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
  return bytes;
}

std::vector<uint8_t> storedFormOf(uint32_t type, std::vector<uint8_t> windowsForm) {
  if (!isTextType(type)) return windowsForm;
  Text text(windowsForm.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(windowsForm[2 * i] | windowsForm[2 * i + 1] << 8);
  }
  const std::string utf8 = textToUtf8(text);
  return std::vector<uint8_t>(utf8.begin(), utf8.end());
}

std::string expandEnvironment(const std::string& text) {
  std::string expanded;
  size_t position = 0;
  while (position < text.size()) {
    const size_t open = text.find('%', position);
    const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    const std::string name = text.substr(open + 1, close - open - 1);
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    expanded.append(text, position, open - position);
    expanded += value ? std::string(value) : text.substr(open, close - open + 1);
    position = close + 1;
  }
  return expanded.append(text, std::min(position, text.size()), std::string::npos);
}

}  // namespace zarn::registry_calls
