// Keys as reg.exe names them, and the registry work of the verbs through the
// typed registry API: keys opened in the session's view, whole lists of
// subkeys and values, trees read into memory, and value data carried in
// Windows' own form whatever the target.
#include "reg/reg.h"

#include <variant>

#include "reg/reg_pipeline.h"

namespace zarn::cli {

using registry::Access;

std::string KeyName::fullName() const {
  const std::string top(registry::rootName(root));
  return path.empty() ? top : top + "\\" + path;
}

KeyName KeyName::child(std::string_view name) const {
  KeyName below = *this;
  below.path = childPath(path, std::string(name));
  return below;
}

namespace {

// The key written, or why reg.exe would refuse its name.
std::variant<KeyName, std::string> readKeyName(std::string_view written) {
  if (written.empty()) return "no key name given";
  if (written.starts_with("\\\\")) return "remote keys (\\\\machine\\...) are not offered";
  const size_t separator = written.find('\\');
  const std::string_view rootWord = written.substr(0, separator);
  const std::optional<Root> root = registry::rootOfName(rootWord);
  if (!root) {
    return quotedName(rootWord) +
           " is no root key (HKLM, HKCU, HKCR, HKU or HKCC, or their long names)";
  }
  std::string_view path = separator == std::string_view::npos ? "" : written.substr(separator + 1);
  // reg.exe takes one backslash after a key (HKCU\Software\), but not after
  // a root alone (HKCU\) nor two of them.
  if (path.ends_with('\\')) path.remove_suffix(1);
  if (separator != std::string_view::npos && path.empty())
    return "a root key alone takes no backslash after it";
  if (path.find("\\\\") != std::string_view::npos || path.starts_with('\\') ||
      path.ends_with('\\')) {
    return "an empty name between two backslashes";
  }
  return KeyName{*root, std::string(path)};
}

}  // namespace

std::optional<KeyName> parseKeyName(std::string_view written) {
  std::variant<KeyName, std::string> read = readKeyName(written);
  if (auto* name = std::get_if<KeyName>(&read)) return std::move(*name);
  return std::nullopt;
}

std::string keyNameProblem(std::string_view written) {
  const std::variant<KeyName, std::string> read = readKeyName(written);
  const auto* problem = std::get_if<std::string>(&read);
  if (!problem) return "";
  return written.empty() ? *problem : quotedName(written) + ": " + *problem;
}

bool sameKey(const KeyName& left, const KeyName& right) {
  return left.root == right.root && registry::sameName(left.path, right.path);
}

namespace {

using namespace registry_status;

RegistryStatus statusOf(const std::error_code& ec) { return ec.value(); }

StoredValue storedValueOf(const registry::Value& value) {
  const std::vector<uint8_t> data = value.windowsData();
  return {value.name, value.type, std::string(data.begin(), data.end())};
}

}  // namespace

std::string childPath(const std::string& path, const std::string& name) {
  return path.empty() ? name : path + "\\" + name;
}

void RegSession::useView(View view) {
  viewAccess_ = view == View::Bits32   ? Access::View32
                : view == View::Bits64 ? Access::View64
                                       : Access{};
}

KeyName RegSession::placed(const KeyName& name) const {
  if (!hiveMount_) return name;
  return {Root::Users, name.path.empty() ? *hiveMount_ : childPath(*hiveMount_, name.path)};
}

RegistryStatus OpenedKey::opened(const KeyName& name, bool create, Access access) {
  std::error_code ec;
  access = access | session_.viewAccess();
  const KeyName where = session_.placed(name);
  key_ = create ? registry::Key::create(where.root, where.path, access, ec)
                : registry::Key::open(where.root, where.path, access, ec);
  return session_.noteKeyOutcome(name.fullName(), statusOf(ec));
}

RegistryStatus OpenedKey::open(const KeyName& name, bool writable) {
  return opened(name, false, writable ? Access::ReadWrite : Access::Read);
}

RegistryStatus OpenedKey::create(const KeyName& name) {
  return opened(name, true, Access::ReadWrite);
}

const StoredValue* findValue(const std::vector<StoredValue>& values, std::string_view name) {
  for (const StoredValue& value : values) {
    if (registry::sameName(value.name, name)) return &value;
  }
  return nullptr;
}

bool sameData(const StoredValue& left, const StoredValue& right) {
  return left.type == right.type && left.data == right.data;
}

RegistryStatus listSubKeys(const registry::Key& key, std::vector<std::string>& names) {
  std::error_code ec;
  std::vector<std::string> listed = key.subKeyNames(ec);
  names.insert(names.end(), listed.begin(), listed.end());
  return statusOf(ec);
}

RegistryStatus listValues(const registry::Key& key, std::vector<StoredValue>& values) {
  std::error_code ec;
  for (const registry::Value& value : key.values(ec)) values.push_back(storedValueOf(value));
  return statusOf(ec);
}

RegistryStatus readValue(RegSession& session, const registry::Key& key, const std::string& name,
                         StoredValue& value) {
  std::error_code ec;
  const registry::Value read = key.readValue(name, ec);
  value = ec ? StoredValue{name, ValueType::None, {}} : storedValueOf(read);
  return session.noteValueOutcome(name, statusOf(ec), RegSession::ValueStep::Read);
}

RegistryStatus writeValue(RegSession& session, const registry::Key& key, const StoredValue& value) {
  const registry::Value stored = registry::Value::fromWindowsData(
      value.name, value.type, std::vector<uint8_t>(value.data.begin(), value.data.end()));
  std::error_code ec;
  key.writeValue(stored.name, stored.type, stored.data, ec);
  return session.noteValueOutcome(value.name, statusOf(ec), RegSession::ValueStep::Write);
}

RegistryStatus deleteValue(RegSession& session, const registry::Key& key, const std::string& name) {
  std::error_code ec;
  key.deleteValue(name, ec);
  return session.noteValueOutcome(name, statusOf(ec), RegSession::ValueStep::Delete);
}

RegistryStatus readKey(RegSession& session, const KeyName& name, std::vector<StoredValue>& values,
                       std::vector<std::string>& subKeys) {
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(name)) return status;
  if (const RegistryStatus status = listValues(key.key(), values)) return status;
  return listSubKeys(key.key(), subKeys);
}

RegistryStatus readTree(RegSession& session, const KeyName& name, bool recursive, KeyTree& tree) {
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(name)) return status;
  if (const RegistryStatus status = listValues(key.key(), tree.values)) return status;
  if (!recursive) return Success;
  std::vector<std::string> names;
  if (const RegistryStatus status = listSubKeys(key.key(), names)) return status;
  for (const std::string& child : names) {
    KeyTree subTree;
    if (const RegistryStatus status = readTree(session, name.child(child), true, subTree)) {
      return status;
    }
    tree.subKeys.push_back({child, std::move(subTree)});
  }
  return Success;
}

RegistryStatus deleteTree(RegSession& session, const KeyName& name) {
  OpenedKey root(session);
  if (const RegistryStatus status = root.open({name.root, ""})) return status;
  std::error_code ec;
  root.key().deleteTree(name.path, ec);
  return session.noteKeyOutcome(name.fullName(), statusOf(ec));
}

}  // namespace zarn::cli
