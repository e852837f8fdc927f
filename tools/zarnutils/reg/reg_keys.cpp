// Keys as reg.exe names them, and the registry work of the verbs through
// RegistryService alone: keys opened and always closed again, whole lists of
// subkeys and values, trees read into memory, written and deleted depth first.
#include "reg/reg.h"

#include "automation/text.h"
#include "narrow_utf8.h"
#include "platform/growing_buffer.h"
#include "platform/root_keys.h"
#include "reg/reg_pipeline.h"

namespace zarn::cli {

std::string KeyName::fullName() const { return path.empty() ? rootName : rootName + "\\" + path; }

KeyName KeyName::child(std::string_view name) const {
  KeyName below = *this;
  below.path = childPath(path, std::string(name));
  return below;
}

std::optional<KeyName> parseKeyName(std::string_view written) {
  const size_t separator = written.find('\\');
  const std::string_view root = written.substr(0, separator);
  std::string_view path = separator == std::string_view::npos ? "" : written.substr(separator + 1);
  // reg.exe takes one backslash after a key (HKCU\Software\), but not after
  // a root alone (HKCU\) nor two of them.
  if (path.ends_with('\\')) path.remove_suffix(1);
  if (separator != std::string_view::npos && path.empty()) return std::nullopt;
  if (path.find("\\\\") != std::string_view::npos || path.starts_with('\\') ||
      path.ends_with('\\')) {
    return std::nullopt;
  }
  // reg.exe's roots are those that exist: HKEY_DYN_DATA is not one.
  for (const RootKey& candidate : rootKeys) {
    if (candidate.exists &&
        (sameWord(root, candidate.shortName) || sameWord(root, candidate.longName))) {
      return KeyName{rootKeyHandle(candidate.value), std::string(candidate.longName),
                     std::string(path)};
    }
  }
  return std::nullopt;
}

bool sameKey(const KeyName& left, const KeyName& right) {
  return left.root == right.root &&
         equalsIgnoringCase(utf8ToText(left.path), utf8ToText(right.path));
}

namespace {

using namespace registry_status;

constexpr uint32_t readAccess = key_access::QueryValue | key_access::EnumerateSubKeys;
constexpr uint32_t fullAccess = readAccess | key_access::SetValue | key_access::CreateSubKey;

// Key names have at most 255 characters, value names 16,383; a narrow
// character takes up to four bytes.
constexpr uint32_t keyNameRoom = 4 * 255 + 1;
constexpr uint32_t valueNameRoom = 4 * 16383 + 1;

// The value's data, asked for again with a larger buffer while it does not
// fit, as another writer may grow it meanwhile.
RegistryStatus readData(KeyHandle key, const std::string& name, StoredValue& value) {
  RegistryStatus status = Success;
  uint32_t size = 0;
  value.data =
      callUntilItFits(256, '\0', [&](char* data, uint32_t room) -> std::optional<uint32_t> {
        size = room;
        status = RegistryService::RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                                   reinterpret_cast<uint8_t*>(data), &size);
        if (status == MoreData) return size;
        return std::nullopt;
      });
  value.data.resize(status == Success ? size : 0);
  value.name = name;
  return status;
}

}  // namespace

std::string childPath(const std::string& path, const std::string& name) {
  return path.empty() ? name : path + "\\" + name;
}

OpenedKey::~OpenedKey() { close(); }

void OpenedKey::close() {
  if (handle_ != 0) RegistryService::RegCloseKey(handle_);
  handle_ = 0;
}

void RegSession::useView(View view) {
#ifdef _WIN32
  // The platform's KEY_WOW64_32KEY and KEY_WOW64_64KEY rights.
  constexpr uint32_t wow64Key32 = 0x0200;
  constexpr uint32_t wow64Key64 = 0x0100;
  viewAccess_ = view == View::Bits32 ? wow64Key32 : view == View::Bits64 ? wow64Key64 : 0;
#else
  (void)view;
#endif
}

RegistryStatus OpenedKey::open(KeyHandle root, const std::string& path, bool writable) {
  close();
  const RegistryStatus status = RegistryService::RegOpenKeyExA(
      root, path.c_str(), 0, session_.viewAccess() | (writable ? fullAccess : readAccess),
      &handle_);
  return session_.noteKeyOutcome(root, path, status);
}

RegistryStatus OpenedKey::create(KeyHandle root, const std::string& path) {
  close();
  const SecurityAttributes security;
  uint32_t disposition = 0;
  const RegistryStatus status = RegistryService::RegCreateKeyExA(root, path.c_str(), 0, "", 0,
                                                                 session_.viewAccess() | fullAccess,
                                                                 &security, &handle_, &disposition);
  return session_.noteKeyOutcome(root, path, status);
}

RegistryStatus listSubKeys(KeyHandle key, std::vector<std::string>& names) {
  std::string name(keyNameRoom, '\0');
  for (uint32_t index = 0;; ++index) {
    const RegistryStatus status =
        RegistryService::RegEnumKeyA(key, index, name.data(), keyNameRoom);
    if (status == NoMoreItems) return Success;
    if (status != Success) return status;
    names.emplace_back(name.c_str());
  }
}

RegistryStatus listValues(KeyHandle key, std::vector<StoredValue>& values) {
  std::string name(valueNameRoom, '\0');
  for (uint32_t index = 0;; ++index) {
    uint32_t length = valueNameRoom;
    RegistryStatus status = RegistryService::RegEnumValueA(key, index, name.data(), &length,
                                                           nullptr, nullptr, nullptr, nullptr);
    if (status == NoMoreItems) return Success;
    if (status != Success) return status;
    StoredValue value;
    status = readData(key, std::string(name.data(), length), value);
    if (status != Success) return status;
    values.push_back(std::move(value));
  }
}

RegistryStatus readValue(RegSession& session, KeyHandle key, const std::string& name,
                         StoredValue& value) {
  return session.noteValueOutcome(name, readData(key, name, value), false);
}

RegistryStatus writeValue(RegSession& session, KeyHandle key, const StoredValue& value) {
  const RegistryStatus status = RegistryService::RegSetValueExA(
      key, value.name.c_str(), 0, value.type, reinterpret_cast<const uint8_t*>(value.data.data()),
      static_cast<uint32_t>(value.data.size()));
  return session.noteValueOutcome(value.name, status, true);
}

RegistryStatus readKey(RegSession& session, const KeyName& name, std::vector<StoredValue>& values,
                       std::vector<std::string>& subKeys) {
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(name.root, narrowFromUtf8(name.path))) return status;
  if (const RegistryStatus status = listValues(key.handle(), values)) return status;
  return listSubKeys(key.handle(), subKeys);
}

RegistryStatus readTree(RegSession& session, KeyHandle root, const std::string& path,
                        bool recursive, KeyTree& tree) {
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(root, path)) return status;
  if (const RegistryStatus status = listValues(key.handle(), tree.values)) return status;
  if (!recursive) return Success;
  std::vector<std::string> names;
  if (const RegistryStatus status = listSubKeys(key.handle(), names)) return status;
  for (const std::string& name : names) {
    KeyTree subTree;
    if (const RegistryStatus status =
            readTree(session, root, childPath(path, name), true, subTree)) {
      return status;
    }
    tree.subKeys.push_back({name, std::move(subTree)});
  }
  return Success;
}

RegistryStatus deleteTree(RegSession& session, KeyHandle root, const std::string& path) {
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(root, path)) return status;
  std::vector<std::string> names;
  if (const RegistryStatus status = listSubKeys(key.handle(), names)) return status;
  for (const std::string& name : names) {
    if (const RegistryStatus status = deleteTree(session, root, childPath(path, name)))
      return status;
  }
  return RegistryService::RegDeleteKeyA(key.handle(), "");
}

}  // namespace zarn::cli
