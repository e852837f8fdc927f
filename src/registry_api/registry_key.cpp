// Key, Value and Transaction over the platform's registry calls
// (platform/registry_calls.h). Every operation is written once, in its
// error_code form; the throwing form runs it and throws what it filled.
#include <algorithm>
#include <type_traits>
#include <utility>

#include "automation/text.h"
#include "platform/registry_calls.h"
#include "platform/registry_change_signal.h"
#include "platform/registry_service.h"
#include "platform/root_keys.h"
#include "zarnutils/registry.h"

namespace zarn::registry {
namespace {

namespace calls = registry_calls;

constexpr int unsupportedType = 1630;
constexpr int notUtf8 = 1113;

std::error_code statusCode(RegistryStatus status) { return {status, registryCategory()}; }

// 87 for a NUL inside, 1113 for text that is not UTF-8, else 0.
RegistryStatus checkText(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return registry_status::InvalidParameter;
  return isUtf8(text) ? registry_status::Success : notUtf8;
}

// Runs an error_code form and throws what it filled, naming key and value.
template <typename Operation>
auto throwing(const std::string& key, std::string_view value, Operation operation) {
  std::error_code ec;
  if constexpr (std::is_void_v<decltype(operation(ec))>) {
    operation(ec);
    if (ec) throw Error(ec, key, std::string(value));
  } else {
    auto result = operation(ec);
    if (ec) throw Error(ec, key, std::string(value));
    return result;
  }
}

// The fallback forms: a missing value answers the fallback.
template <typename T, typename Operation>
std::optional<T> unlessMissing(const std::string& key, std::string_view value,
                               Operation operation) {
  std::error_code ec;
  T result = operation(ec);
  if (ec == statusCode(registry_status::NotFound)) return std::nullopt;
  if (ec) throw Error(ec, key, std::string(value));
  return result;
}

// The root as a Key's name starts: its long name, or its number for a
// value the enumeration does not name.
std::string keyNameOfRoot(Root root) {
  const std::string_view name = rootName(root);
  return name.empty() ? "root " + std::to_string(static_cast<uint32_t>(root)) : std::string(name);
}

std::string childName(const std::string& parent, std::string_view path) {
  return path.empty() ? parent : parent + "\\" + std::string(path);
}

uint32_t viewOf(Access access) {
  return static_cast<uint32_t>(access) & (calls::view32 | calls::view64);
}

std::vector<uint8_t> withNul(std::vector<uint8_t> bytes) {
  bytes.resize(bytes.size() + calls::storedNulSize(), 0);
  return bytes;
}

uint32_t littleEndian32(const std::vector<uint8_t>& data) {
  return uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
         uint32_t{data[3]} << 24;
}

std::vector<uint8_t> bytesOf(uint64_t number, size_t size, bool bigEndian) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) {
    bytes[bigEndian ? size - 1 - i : i] = static_cast<uint8_t>(number >> (8 * i));
  }
  return bytes;
}

// The decoders behind both Value's accessors and Key's typed reads: each
// answers 1630 for a value of another type or of the wrong size.
std::string decodeText(const Value& value, std::error_code& ec) {
  if (value.type != ValueType::Text && value.type != ValueType::ExpandText) {
    ec = statusCode(unsupportedType);
    return {};
  }
  return calls::textFromStored(value.data.data(), value.data.size());
}

std::vector<std::string> decodeMultiText(const Value& value, std::error_code& ec) {
  std::vector<std::string> texts;
  if (value.type != ValueType::MultiText) {
    ec = statusCode(unsupportedType);
    return texts;
  }
  // Texts end at a NUL each and the list at an empty one; a last text
  // without its NUL still counts.
  const size_t unit = calls::storedNulSize();
  const std::vector<uint8_t>& data = value.data;
  size_t start = 0;
  for (size_t at = 0; at + unit <= data.size(); at += unit) {
    if (data[at] != 0 || data[at + unit - 1] != 0) continue;
    if (at == start) return texts;
    texts.push_back(calls::textFromStored(data.data() + start, at - start));
    start = at + unit;
  }
  if (start + unit <= data.size()) {
    texts.push_back(calls::textFromStored(data.data() + start, data.size() - start));
  }
  return texts;
}

uint32_t decodeNumber(const Value& value, std::error_code& ec) {
  const bool big = value.type == ValueType::NumberBigEndian;
  if ((value.type != ValueType::Number && !big) || value.data.size() != 4) {
    ec = statusCode(unsupportedType);
    return 0;
  }
  const uint32_t little = littleEndian32(value.data);
  return big ? (little >> 24) | ((little >> 8) & 0xFF00) | ((little << 8) & 0xFF0000) |
                   (little << 24)
             : little;
}

uint64_t decodeNumber64(const Value& value, std::error_code& ec) {
  if (value.type != ValueType::Number64 || value.data.size() != 8) {
    ec = statusCode(unsupportedType);
    return 0;
  }
  uint64_t number = 0;
  for (size_t i = 0; i < 8; ++i) number |= uint64_t{value.data[i]} << (8 * i);
  return number;
}

template <typename T>
T decoded(const Value& value, T (*decode)(const Value&, std::error_code&)) {
  return throwing(value.name, "", [&](std::error_code& ec) { return decode(value, ec); });
}

}  // namespace

// --- Names

std::string_view rootName(Root root) {
  const RootKey* known = findRootKey(static_cast<RootKeyValue>(root));
  return known && known->exists ? known->longName : std::string_view();
}

std::optional<Root> rootOfName(std::string_view name) {
  const Text wanted = utf8ToText(name);
  for (const RootKey& root : rootKeys) {
    if (root.exists && (equalsIgnoringAsciiCase(wanted, utf8ToText(root.shortName)) ||
                        equalsIgnoringAsciiCase(wanted, utf8ToText(root.longName)))) {
      return static_cast<Root>(root.value);
    }
  }
  return std::nullopt;
}

bool sameName(std::string_view left, std::string_view right) {
  return equalsIgnoringCase(utf8ToText(left), utf8ToText(right));
}

// --- Values

std::string Value::text() const { return decoded(*this, decodeText); }
std::vector<std::string> Value::multiText() const { return decoded(*this, decodeMultiText); }
uint32_t Value::number() const { return decoded(*this, decodeNumber); }
uint64_t Value::number64() const { return decoded(*this, decodeNumber64); }

std::vector<uint8_t> Value::windowsData() const {
  return calls::windowsFormOf(static_cast<uint32_t>(type), data);
}

Value Value::fromWindowsData(std::string name, ValueType type, std::vector<uint8_t> data) {
  std::vector<uint8_t> stored = calls::storedFormOf(static_cast<uint32_t>(type), std::move(data));
  return {std::move(name), type, std::move(stored)};
}

// --- Opening and closing

Key::Key(Handle handle, uint32_t view, std::string name) noexcept
    : handle_(handle), view_(view), name_(std::move(name)) {}

Key::Key(Key&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)), view_(other.view_), name_(std::move(other.name_)) {}

Key& Key::operator=(Key&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, 0);
    view_ = other.view_;
    name_ = std::move(other.name_);
  }
  return *this;
}

Key::~Key() { close(); }

void Key::close() noexcept {
  if (handle_) calls::closeKey(std::exchange(handle_, 0));
}

Key Key::openFrom(Handle parent, uint32_t view, const std::string& parentName,
                  std::string_view path, Access access, bool create, std::error_code& ec) {
  ec.clear();
  if (RegistryStatus bad = checkText(path)) {
    ec = statusCode(bad);
    return {};
  }
  const uint32_t rights = static_cast<uint32_t>(access) | view;
  const std::string subKey(path);
  // Made before the key is opened, so that running out of memory cannot
  // leave an open handle without its Key.
  std::string name = childName(parentName, path);
  KeyHandle opened = 0;
  const RegistryStatus status = create ? calls::createKey(parent, subKey, rights, opened)
                                       : calls::openKey(parent, subKey, rights, opened);
  if (status != registry_status::Success) {
    ec = statusCode(status);
    return {};
  }
  return Key(opened, viewOf(static_cast<Access>(rights)), std::move(name));
}

Key Key::open(Root root, std::string_view path, Access access, std::error_code& ec) {
  return openFrom(rootKeyHandle(static_cast<RootKeyValue>(root)), 0, keyNameOfRoot(root), path,
                  access, false, ec);
}

Key Key::open(Root root, std::string_view path, Access access) {
  return throwing(childName(keyNameOfRoot(root), path), "",
                  [&](std::error_code& ec) { return open(root, path, access, ec); });
}

Key Key::create(Root root, std::string_view path, Access access, std::error_code& ec) {
  return openFrom(rootKeyHandle(static_cast<RootKeyValue>(root)), 0, keyNameOfRoot(root), path,
                  access, true, ec);
}

Key Key::create(Root root, std::string_view path, Access access) {
  return throwing(childName(keyNameOfRoot(root), path), "",
                  [&](std::error_code& ec) { return create(root, path, access, ec); });
}

bool Key::exists(Root root, std::string_view path, Access view, std::error_code& ec) {
  const Key key = open(root, path, Access::Read | static_cast<Access>(viewOf(view)), ec);
  if (ec == statusCode(registry_status::NotFound)) ec.clear();
  return key.isOpen();
}

bool Key::exists(Root root, std::string_view path, Access view) {
  return throwing(childName(keyNameOfRoot(root), path), "",
                  [&](std::error_code& ec) { return exists(root, path, view, ec); });
}

Key Key::openKey(std::string_view path, Access access, std::error_code& ec) const {
  return openFrom(handle_, view_, name_, path, access, false, ec);
}

Key Key::openKey(std::string_view path, Access access) const {
  return throwing(childName(name_, path), "",
                  [&](std::error_code& ec) { return openKey(path, access, ec); });
}

Key Key::createKey(std::string_view path, Access access, std::error_code& ec) const {
  return openFrom(handle_, view_, name_, path, access, true, ec);
}

Key Key::createKey(std::string_view path, Access access) const {
  return throwing(childName(name_, path), "",
                  [&](std::error_code& ec) { return createKey(path, access, ec); });
}

bool Key::hasKey(std::string_view path, std::error_code& ec) const {
  const Key key = openKey(path, Access::Read, ec);
  if (ec == statusCode(registry_status::NotFound)) ec.clear();
  return key.isOpen();
}

bool Key::hasKey(std::string_view path) const {
  return throwing(childName(name_, path), "",
                  [&](std::error_code& ec) { return hasKey(path, ec); });
}

// --- Reading

ValueInfo Key::valueInfo(std::string_view name, std::error_code& ec) const {
  ec.clear();
  if (RegistryStatus bad = checkText(name)) {
    ec = statusCode(bad);
    return {};
  }
  uint32_t type = 0;
  uint32_t size = 0;
  const RegistryStatus status = calls::queryValue(handle_, std::string(name), type, nullptr, size);
  if (status != registry_status::Success) {
    ec = statusCode(status);
    return {};
  }
  return {static_cast<ValueType>(type), size};
}

ValueInfo Key::valueInfo(std::string_view name) const {
  return throwing(name_, name, [&](std::error_code& ec) { return valueInfo(name, ec); });
}

bool Key::hasValue(std::string_view name, std::error_code& ec) const {
  valueInfo(name, ec);
  if (ec == statusCode(registry_status::NotFound)) {
    ec.clear();
    return false;
  }
  return !ec;
}

bool Key::hasValue(std::string_view name) const {
  return throwing(name_, name, [&](std::error_code& ec) { return hasValue(name, ec); });
}

Value Key::readValue(std::string_view name, std::error_code& ec) const {
  ec.clear();
  Value value{std::string(name), ValueType::None, {}};
  if (RegistryStatus bad = checkText(name)) {
    ec = statusCode(bad);
    return value;
  }
  uint32_t type = 0;
  uint32_t size = 0;
  value.data.resize(256);
  const RegistryStatus status = calls::queryValue(handle_, value.name, type, &value.data, size);
  if (status != registry_status::Success) {
    ec = statusCode(status);
    value.data.clear();
    return value;
  }
  value.type = static_cast<ValueType>(type);
  return value;
}

Value Key::readValue(std::string_view name) const {
  return throwing(name_, name, [&](std::error_code& ec) { return readValue(name, ec); });
}

#define ZARN_TYPED_READ(Type, method, decode)                                            \
  Type Key::method(std::string_view name, std::error_code& ec) const {                   \
    const Value value = readValue(name, ec);                                             \
    return ec ? Type{} : decode(value, ec);                                              \
  }                                                                                      \
  Type Key::method(std::string_view name) const {                                        \
    return throwing(name_, name, [&](std::error_code& ec) { return method(name, ec); }); \
  }

ZARN_TYPED_READ(std::string, readText, decodeText)
ZARN_TYPED_READ(std::vector<std::string>, readMultiText, decodeMultiText)
ZARN_TYPED_READ(uint32_t, readNumber, decodeNumber)
ZARN_TYPED_READ(uint64_t, readNumber64, decodeNumber64)
#undef ZARN_TYPED_READ

std::string Key::readExpandedText(std::string_view name, std::error_code& ec) const {
  const Value value = readValue(name, ec);
  if (ec) return {};
  std::string text = decodeText(value, ec);
  return value.type == ValueType::ExpandText ? calls::expandEnvironment(text) : text;
}

std::string Key::readExpandedText(std::string_view name) const {
  return throwing(name_, name, [&](std::error_code& ec) { return readExpandedText(name, ec); });
}

std::vector<uint8_t> Key::readBinary(std::string_view name, std::error_code& ec) const {
  Value value = readValue(name, ec);
  if (ec) return {};
  if (value.type != ValueType::Binary && value.type != ValueType::None) {
    ec = statusCode(unsupportedType);
    return {};
  }
  return std::move(value.data);
}

std::vector<uint8_t> Key::readBinary(std::string_view name) const {
  return throwing(name_, name, [&](std::error_code& ec) { return readBinary(name, ec); });
}

std::optional<std::string> Key::tryReadText(std::string_view name) const {
  return unlessMissing<std::string>(name_, name,
                                    [&](std::error_code& ec) { return readText(name, ec); });
}

std::string Key::readText(std::string_view name, std::string_view fallback) const {
  return tryReadText(name).value_or(std::string(fallback));
}

std::optional<uint32_t> Key::tryReadNumber(std::string_view name) const {
  return unlessMissing<uint32_t>(name_, name,
                                 [&](std::error_code& ec) { return readNumber(name, ec); });
}

uint32_t Key::readNumber(std::string_view name, uint32_t fallback) const {
  return tryReadNumber(name).value_or(fallback);
}

std::optional<uint64_t> Key::tryReadNumber64(std::string_view name) const {
  return unlessMissing<uint64_t>(name_, name,
                                 [&](std::error_code& ec) { return readNumber64(name, ec); });
}

uint64_t Key::readNumber64(std::string_view name, uint64_t fallback) const {
  return tryReadNumber64(name).value_or(fallback);
}

// --- Writing

void Key::writeValue(std::string_view name, ValueType type, const std::vector<uint8_t>& bytes,
                     std::error_code& ec) const {
  ec.clear();
  if (RegistryStatus bad = checkText(name)) {
    ec = statusCode(bad);
    return;
  }
  const RegistryStatus status =
      calls::setValue(handle_, std::string(name), static_cast<uint32_t>(type), bytes);
  if (status != registry_status::Success) ec = statusCode(status);
}

void Key::writeValue(std::string_view name, ValueType type,
                     const std::vector<uint8_t>& bytes) const {
  throwing(name_, name, [&](std::error_code& ec) { writeValue(name, type, bytes, ec); });
}

namespace {

// The stored form of a text, or the status that refuses it.
RegistryStatus storedTextOf(std::string_view text, std::vector<uint8_t>& stored) {
  if (RegistryStatus bad = checkText(text)) return bad;
  stored = withNul(calls::storedText(text));
  return registry_status::Success;
}

RegistryStatus storedMultiTextOf(const std::vector<std::string>& texts,
                                 std::vector<uint8_t>& stored) {
  stored.clear();
  for (const std::string& text : texts) {
    if (text.empty()) return registry_status::InvalidParameter;
    std::vector<uint8_t> one;
    if (RegistryStatus bad = storedTextOf(text, one)) return bad;
    stored.insert(stored.end(), one.begin(), one.end());
  }
  stored = withNul(std::move(stored));
  return registry_status::Success;
}

}  // namespace

#define ZARN_TYPED_WRITE(method, Argument, type, encode)                                  \
  void Key::method(std::string_view name, Argument argument, std::error_code& ec) const { \
    std::vector<uint8_t> stored;                                                          \
    if (RegistryStatus bad = encode) {                                                    \
      ec = statusCode(bad);                                                               \
      return;                                                                             \
    }                                                                                     \
    writeValue(name, type, stored, ec);                                                   \
  }                                                                                       \
  void Key::method(std::string_view name, Argument argument) const {                      \
    throwing(name_, name, [&](std::error_code& ec) { method(name, argument, ec); });      \
  }

ZARN_TYPED_WRITE(writeText, std::string_view, ValueType::Text, storedTextOf(argument, stored))
ZARN_TYPED_WRITE(writeExpandText, std::string_view, ValueType::ExpandText,
                 storedTextOf(argument, stored))
ZARN_TYPED_WRITE(writeMultiText, const std::vector<std::string>&, ValueType::MultiText,
                 storedMultiTextOf(argument, stored))
ZARN_TYPED_WRITE(writeNumber, uint32_t, ValueType::Number,
                 (stored = bytesOf(argument, 4, false), registry_status::Success))
ZARN_TYPED_WRITE(writeNumberBigEndian, uint32_t, ValueType::NumberBigEndian,
                 (stored = bytesOf(argument, 4, true), registry_status::Success))
ZARN_TYPED_WRITE(writeNumber64, uint64_t, ValueType::Number64,
                 (stored = bytesOf(argument, 8, false), registry_status::Success))
ZARN_TYPED_WRITE(writeBinary, const std::vector<uint8_t>&, ValueType::Binary,
                 (stored = argument, registry_status::Success))
#undef ZARN_TYPED_WRITE

// --- Listing

std::vector<std::string> Key::subKeyNames(std::error_code& ec) const {
  ec.clear();
  std::vector<std::string> names;
  std::string name;
  for (uint32_t index = 0;; ++index) {
    const RegistryStatus status = calls::enumKey(handle_, index, name);
    if (status == registry_status::NoMoreItems) return names;
    if (status != registry_status::Success) {
      ec = statusCode(status);
      return {};
    }
    names.push_back(name);
  }
}

std::vector<std::string> Key::subKeyNames() const {
  return throwing(name_, "", [&](std::error_code& ec) { return subKeyNames(ec); });
}

std::vector<Value> Key::values(std::error_code& ec) const {
  ec.clear();
  std::vector<Value> values;
  for (uint32_t index = 0;; ++index) {
    Value value;
    uint32_t type = 0;
    const RegistryStatus status = calls::enumValue(handle_, index, value.name, type, value.data);
    if (status == registry_status::NoMoreItems) return values;
    if (status != registry_status::Success) {
      ec = statusCode(status);
      return {};
    }
    value.type = static_cast<ValueType>(type);
    values.push_back(std::move(value));
  }
}

std::vector<Value> Key::values() const {
  return throwing(name_, "", [&](std::error_code& ec) { return values(ec); });
}

// --- Deleting

void Key::deleteValue(std::string_view name, std::error_code& ec) const {
  ec.clear();
  if (RegistryStatus bad = checkText(name)) {
    ec = statusCode(bad);
    return;
  }
  const RegistryStatus status = calls::deleteValue(handle_, std::string(name));
  if (status != registry_status::Success) ec = statusCode(status);
}

void Key::deleteValue(std::string_view name) const {
  throwing(name_, name, [&](std::error_code& ec) { deleteValue(name, ec); });
}

void Key::deleteKey(std::string_view path, std::error_code& ec) const {
  ec.clear();
  if (RegistryStatus bad = checkText(path)) {
    ec = statusCode(bad);
    return;
  }
  const RegistryStatus status = calls::deleteKey(handle_, std::string(path), view_);
  if (status != registry_status::Success) ec = statusCode(status);
}

void Key::deleteKey(std::string_view path) const {
  throwing(childName(name_, path), "", [&](std::error_code& ec) { deleteKey(path, ec); });
}

void Key::deleteTree(std::string_view path, std::error_code& ec) const {
  const Key top = openKey(path, Access::Read, ec);
  if (ec) return;
  const std::vector<std::string> children = top.subKeyNames(ec);
  for (const std::string& child : children) {
    if (top.deleteTree(child, ec), ec) return;
  }
  if (ec) return;
  deleteKey(path, ec);
}

void Key::deleteTree(std::string_view path) const {
  throwing(childName(name_, path), "", [&](std::error_code& ec) { deleteTree(path, ec); });
}

// --- Hive files

void Key::saveTo(std::string_view file, bool replace, std::error_code& ec) const {
  ec.clear();
  RegistryStatus status = checkText(file);
  if (!status) status = calls::saveKey(handle_, std::string(file), replace);
  if (status) ec = statusCode(status);
}

void Key::saveTo(std::string_view file, bool replace) const {
  throwing(name_, "", [&](std::error_code& ec) { saveTo(file, replace, ec); });
}

void Key::restoreFrom(std::string_view file, std::error_code& ec) const {
  ec.clear();
  RegistryStatus status = checkText(file);
  if (!status) status = calls::restoreKey(handle_, std::string(file));
  if (status) ec = statusCode(status);
}

void Key::restoreFrom(std::string_view file) const {
  throwing(name_, "", [&](std::error_code& ec) { restoreFrom(file, ec); });
}

void Key::loadHive(Root root, std::string_view name, std::string_view file, std::error_code& ec) {
  ec.clear();
  RegistryStatus status = checkText(name);
  if (!status) status = checkText(file);
  if (!status)
    status = calls::loadHive(rootKeyHandle(static_cast<RootKeyValue>(root)), std::string(name),
                             std::string(file));
  if (status) ec = statusCode(status);
}

void Key::loadHive(Root root, std::string_view name, std::string_view file) {
  throwing(childName(keyNameOfRoot(root), name), "",
           [&](std::error_code& ec) { loadHive(root, name, file, ec); });
}

void Key::unloadHive(Root root, std::string_view name, bool writeBack, std::error_code& ec) {
  ec.clear();
  RegistryStatus status = checkText(name);
  if (!status)
    status = calls::unloadHive(rootKeyHandle(static_cast<RootKeyValue>(root)), std::string(name),
                               writeBack);
  if (status) ec = statusCode(status);
}

void Key::unloadHive(Root root, std::string_view name, bool writeBack) {
  throwing(childName(keyNameOfRoot(root), name), "",
           [&](std::error_code& ec) { unloadHive(root, name, writeBack, ec); });
}

// --- Watching

struct ChangeWatch::Signal {
  RegistryChangeSignal signal;
};

std::unique_ptr<ChangeWatch::Signal> ChangeWatch::start(const Key& key, bool subtree,
                                                        std::error_code& ec) {
  ec.clear();
  if (!key.handle_) {
    ec = statusCode(registry_status::InvalidHandle);
    return nullptr;
  }
  RegistryStatus status = registry_status::Success;
  auto signal =
      std::unique_ptr<Signal>(new Signal{RegistryChangeSignal(key.handle_, subtree, status)});
  if (!status) return signal;
  ec = statusCode(status);
  return nullptr;
}

ChangeWatch::ChangeWatch(const Key& key, bool subtree, std::error_code& ec)
    : name_(key.name_), signal_(start(key, subtree, ec)) {}

ChangeWatch::ChangeWatch(const Key& key, bool subtree) : name_(key.name_) {
  std::error_code ec;
  signal_ = start(key, subtree, ec);
  if (ec) throw Error(ec, name_);
}

ChangeWatch::~ChangeWatch() = default;

bool ChangeWatch::wait(std::chrono::milliseconds timeout, std::error_code& ec) {
  ec.clear();
  if (!signal_) {
    ec = statusCode(registry_status::InvalidHandle);
    return false;
  }
  const auto bounded = std::clamp<int64_t>(timeout.count(), 0, UINT32_MAX - 1);
  const RegistryStatus status = signal_->signal.wait(static_cast<uint32_t>(bounded));
  if (status == changeWaitTimedOut) return false;
  if (status) ec = statusCode(status);
  return status == registry_status::Success;
}

bool ChangeWatch::wait(std::chrono::milliseconds timeout) {
  return throwing(name_, "", [&](std::error_code& ec) { return wait(timeout, ec); });
}

// --- Transactions

struct Transaction::Group {
  RegistryChangeGroup changes;
};

Transaction::Transaction() : group_(std::make_unique<Group>()) {}

Transaction::~Transaction() = default;

void Transaction::commit(std::error_code& ec) {
  ec.clear();
  if (!group_) return;
  const RegistryStatus status = group_->changes.commit();
  group_.reset();
  if (status != registry_status::Success) ec = statusCode(status);
}

void Transaction::commit() {
  throwing("transaction", "", [&](std::error_code& ec) { commit(ec); });
}

}  // namespace zarn::registry
