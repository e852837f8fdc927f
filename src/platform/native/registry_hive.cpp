// saveKey and restoreKey natively: the store's keys written to and read from
// Windows hive files through libhivex. libhivex edits hives but cannot make
// one, so a new file starts as the smallest hive Windows itself loads,
// written here after the format's public description: a base block, and one
// bin holding the root key and its security record.
#include <errno.h>
#include <hivex.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_calls.h"

namespace zarn::registry_calls {
namespace {

constexpr RegistryStatus fileExists = 183;
constexpr RegistryStatus notAHive = 1009;   // "the configuration registry database is corrupt"
constexpr RegistryStatus cannotWrite = 29;  // "the system cannot write to the specified device"

constexpr size_t blockSize = 4096;
constexpr uint32_t readAccess = 0x20019;  // KEY_READ
constexpr uint32_t allAccess = 0xF003F;   // KEY_ALL_ACCESS

void put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get32(const std::vector<uint8_t>& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= uint32_t{bytes[at + i]} << (8 * i);
  return value;
}

// An empty hive: the base block (regf, version 1.3, the root cell's place
// and a checksum of its first 508 bytes), then one 4 KiB bin of three
// cells: the root key (nk), its security record (sk, a self-relative
// descriptor without a DACL, so no access is refused) and the free rest.
std::vector<uint8_t> emptyHive() {
  std::vector<uint8_t> hive(2 * blockSize, 0);
  std::memcpy(&hive[0], "regf", 4);
  put32(hive, 0x04, 1);  // sequence numbers, equal: the file is consistent
  put32(hive, 0x08, 1);
  put32(hive, 0x14, 1);          // major version
  put32(hive, 0x18, 3);          // minor version
  put32(hive, 0x20, 1);          // direct memory load
  put32(hive, 0x24, 0x20);       // the root cell, relative to the first bin
  put32(hive, 0x28, blockSize);  // size of the bins
  put32(hive, 0x2C, 1);          // clustering factor
  uint32_t checksum = 0;
  for (size_t at = 0; at < 0x1FC; at += 4) checksum ^= get32(hive, at);
  put32(hive, 0x1FC, checksum == 0 ? 1 : checksum == 0xFFFFFFFF ? 0xFFFFFFFE : checksum);

  const size_t bin = blockSize;
  std::memcpy(&hive[bin], "hbin", 4);
  put32(hive, bin + 0x08, blockSize);

  constexpr char rootName[] = "ZarnUtils";
  constexpr uint16_t rootNameLength = sizeof rootName - 1;
  const size_t nk = bin + 0x20;
  constexpr uint32_t nkSize = (4 + 0x4C + rootNameLength + 7) / 8 * 8;
  const size_t sk = nk + nkSize;
  constexpr uint32_t descriptorSize = 20;
  constexpr uint32_t skSize = (4 + 0x14 + descriptorSize + 7) / 8 * 8;
  const auto cellOffset = [&](size_t at) { return static_cast<uint32_t>(at - bin); };

  put32(hive, nk, static_cast<uint32_t>(-static_cast<int32_t>(nkSize)));  // allocated
  std::memcpy(&hive[nk + 4], "nk", 2);
  put16(hive, nk + 6, 0x2C);               // the hive's root, not deletable, ASCII name
  put32(hive, nk + 4 + 0x10, 0xFFFFFFFF);  // parent
  put32(hive, nk + 4 + 0x1C, 0xFFFFFFFF);  // subkey list
  put32(hive, nk + 4 + 0x20, 0xFFFFFFFF);  // volatile subkey list
  put32(hive, nk + 4 + 0x28, 0xFFFFFFFF);  // value list
  put32(hive, nk + 4 + 0x2C, cellOffset(sk));
  put32(hive, nk + 4 + 0x30, 0xFFFFFFFF);  // class name
  put16(hive, nk + 4 + 0x48, rootNameLength);
  std::memcpy(&hive[nk + 4 + 0x4C], rootName, rootNameLength);

  put32(hive, sk, static_cast<uint32_t>(-static_cast<int32_t>(skSize)));
  std::memcpy(&hive[sk + 4], "sk", 2);
  put32(hive, sk + 4 + 0x04, cellOffset(sk));  // the list of records: this one alone
  put32(hive, sk + 4 + 0x08, cellOffset(sk));
  put32(hive, sk + 4 + 0x0C, 1);  // referenced by the root
  put32(hive, sk + 4 + 0x10, descriptorSize);
  hive[sk + 4 + 0x14] = 1;  // revision; control: self-relative, no DACL
  put16(hive, sk + 4 + 0x16, 0x8000);

  const size_t free = sk + skSize;
  put32(hive, free, static_cast<uint32_t>(2 * blockSize - free));
  return hive;
}

struct HiveCloser {
  void operator()(hive_h* hive) const { hivex_close(hive); }
};
using Hive = std::unique_ptr<hive_h, HiveCloser>;

struct Freed {
  void operator()(void* memory) const { std::free(memory); }
};

// Copies the key's values and the tree below it into node.
RegistryStatus copyToHive(KeyHandle key, hive_h* hive, hive_node_h node) {
  std::vector<std::string> names;
  std::vector<uint32_t> types;
  std::vector<std::vector<uint8_t>> data;
  for (uint32_t index = 0;; ++index) {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    const RegistryStatus status = enumValue(key, index, name, type, bytes);
    if (status == registry_status::NoMoreItems) break;
    if (status) return status;
    names.push_back(std::move(name));
    types.push_back(type);
    data.push_back(windowsFormOf(type, std::move(bytes)));
  }
  std::vector<hive_set_value> values(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    values[i] = {names[i].data(), static_cast<hive_type>(types[i]), data[i].size(),
                 reinterpret_cast<char*>(data[i].data())};
  }
  if (hivex_node_set_values(hive, node, values.size(), values.data(), 0) != 0) return cannotWrite;
  for (uint32_t index = 0;; ++index) {
    std::string name;
    const RegistryStatus status = enumKey(key, index, name);
    if (status == registry_status::NoMoreItems) return registry_status::Success;
    if (status) return status;
    const hive_node_h child = hivex_node_add_child(hive, node, name.c_str());
    if (!child) return cannotWrite;
    KeyHandle below = 0;
    if (const RegistryStatus opened = openKey(key, name, readAccess, below)) return opened;
    const RegistryStatus copied = copyToHive(below, hive, child);
    closeKey(below);
    if (copied) return copied;
  }
}

// A key of a hive as read whole, before anything of it is written.
struct HiveKey {
  std::string name;
  std::vector<std::string> valueNames;
  std::vector<uint32_t> types;
  std::vector<std::vector<uint8_t>> data;
  std::vector<HiveKey> subKeys;
};

bool readHiveKey(hive_h* hive, hive_node_h node, HiveKey& key) {
  const std::unique_ptr<hive_value_h, Freed> values(hivex_node_values(hive, node));
  if (!values) return false;
  for (const hive_value_h* value = values.get(); *value; ++value) {
    const std::unique_ptr<char, Freed> name(hivex_value_key(hive, *value));
    hive_type type;
    size_t length = 0;
    const std::unique_ptr<char, Freed> bytes(hivex_value_value(hive, *value, &type, &length));
    if (!name || !bytes) return false;
    const auto* first = reinterpret_cast<const uint8_t*>(bytes.get());
    key.valueNames.emplace_back(name.get());
    key.types.push_back(static_cast<uint32_t>(type));
    key.data.push_back(storedFormOf(type, std::vector<uint8_t>(first, first + length)));
  }
  const std::unique_ptr<hive_node_h, Freed> children(hivex_node_children(hive, node));
  if (!children) return false;
  for (const hive_node_h* child = children.get(); *child; ++child) {
    const std::unique_ptr<char, Freed> name(hivex_node_name(hive, *child));
    if (!name) return false;
    key.subKeys.push_back({name.get(), {}, {}, {}, {}});
    if (!readHiveKey(hive, *child, key.subKeys.back())) return false;
  }
  return true;
}

RegistryStatus deleteContents(KeyHandle key) {
  for (;;) {
    std::string name;
    const RegistryStatus status = enumKey(key, 0, name);
    if (status == registry_status::NoMoreItems) break;
    if (status) return status;
    KeyHandle below = 0;
    if (const RegistryStatus opened = openKey(key, name, allAccess, below)) {
      return opened;
    }
    const RegistryStatus emptied = deleteContents(below);
    closeKey(below);
    if (emptied) return emptied;
    if (const RegistryStatus deleted = deleteKey(key, name, 0)) return deleted;
  }
  for (;;) {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    const RegistryStatus status = enumValue(key, 0, name, type, bytes);
    if (status == registry_status::NoMoreItems) return registry_status::Success;
    if (status) return status;
    if (const RegistryStatus deleted = deleteValue(key, name)) return deleted;
  }
}

RegistryStatus writeHiveKey(KeyHandle key, const HiveKey& contents) {
  for (size_t i = 0; i < contents.valueNames.size(); ++i) {
    if (const RegistryStatus status =
            setValue(key, contents.valueNames[i], contents.types[i], contents.data[i])) {
      return status;
    }
  }
  for (const HiveKey& subKey : contents.subKeys) {
    KeyHandle below = 0;
    if (const RegistryStatus status = createKey(key, subKey.name, allAccess, below)) {
      return status;
    }
    const RegistryStatus written = writeHiveKey(below, subKey);
    closeKey(below);
    if (written) return written;
  }
  return registry_status::Success;
}

}  // namespace

RegistryStatus saveKey(KeyHandle key, const std::string& file, bool replace) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!replace && fs::exists(fs::symlink_status(file, ec))) return fileExists;
  const std::string made = file + ".zarnutils-" + std::to_string(getpid());
  {
    const std::vector<uint8_t> empty = emptyHive();
    std::ofstream out(made, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(empty.data()),
              static_cast<std::streamsize>(empty.size()));
    if (!out.flush()) {
      fs::remove(made, ec);
      return registry_status::AccessDenied;
    }
  }
  RegistryStatus status = registry_status::Success;
  {
    const Hive hive(hivex_open(made.c_str(), HIVEX_OPEN_WRITE));
    status = !hive ? cannotWrite : copyToHive(key, hive.get(), hivex_root(hive.get()));
    if (!status && hivex_commit(hive.get(), nullptr, 0) != 0) status = cannotWrite;
  }
  // Without replace, a name taken meanwhile is not replaced either.
  if (!status) {
    const bool placed = replace ? std::rename(made.c_str(), file.c_str()) == 0
                                : link(made.c_str(), file.c_str()) == 0;
    if (!placed) status = errno == EEXIST ? fileExists : cannotWrite;
  }
  fs::remove(made, ec);
  return status;
}

namespace {

// The whole hive file, read before anything is written.
RegistryStatus readHive(const std::string& file, HiveKey& contents) {
  if (!std::filesystem::exists(file)) return registry_status::NotFound;
  const Hive hive(hivex_open(file.c_str(), 0));
  if (!hive) return errno == EACCES ? registry_status::AccessDenied : notAHive;
  return readHiveKey(hive.get(), hivex_root(hive.get()), contents) ? registry_status::Success
                                                                   : notAHive;
}

// Where Windows lists its loaded hives, and the name it lists one by:
// \REGISTRY\MACHINE\NAME or \REGISTRY\USER\NAME; empty for a key that
// cannot be a hive's (not right below HKEY_LOCAL_MACHINE or HKEY_USERS).
constexpr char hiveList[] = "SYSTEM\\CurrentControlSet\\Control\\hivelist";

std::string hiveListName(KeyHandle root, const std::string& subKey) {
  const bool named = !subKey.empty() && subKey.find('\\') == std::string::npos;
  if (named && root == rootKeyHandle(root_key::LocalMachine))
    return "\\REGISTRY\\MACHINE\\" + subKey;
  if (named && root == rootKeyHandle(root_key::Users)) return "\\REGISTRY\\USER\\" + subKey;
  return {};
}

// The file a loaded hive came from, as its record names it.
RegistryStatus loadedFile(const std::string& listName, std::string& file) {
  KeyHandle list = 0;
  const KeyHandle machine = rootKeyHandle(root_key::LocalMachine);
  if (openKey(machine, hiveList, readAccess, list)) return registry_status::InvalidParameter;
  uint32_t type = 0, size = 0;
  std::vector<uint8_t> data;
  const RegistryStatus status = queryValue(list, listName, type, &data, size);
  closeKey(list);
  if (status || type != value_type::Text) return registry_status::InvalidParameter;
  file = textFromStored(data.data(), data.size());
  return registry_status::Success;
}

}  // namespace

RegistryStatus restoreKey(KeyHandle key, const std::string& file) {
  HiveKey contents;
  if (const RegistryStatus status = readHive(file, contents)) return status;
  RegistryChangeGroup group;
  if (const RegistryStatus status = deleteContents(key)) return status;
  if (const RegistryStatus status = writeHiveKey(key, contents)) return status;
  return group.commit();
}

RegistryStatus loadHive(KeyHandle root, const std::string& subKey, const std::string& file) {
  const std::string listName = hiveListName(root, subKey);
  if (listName.empty()) return registry_status::InvalidParameter;
  KeyHandle key = 0;
  if (openKey(root, subKey, readAccess, key) == registry_status::Success) {
    closeKey(key);
    return fileExists;
  }
  HiveKey contents;
  if (const RegistryStatus status = readHive(file, contents)) return status;
  std::error_code ec;
  const std::string path = std::filesystem::absolute(file, ec).lexically_normal().string();
  RegistryChangeGroup group;
  KeyHandle list = 0;
  RegistryStatus status =
      createKey(rootKeyHandle(root_key::LocalMachine), hiveList, allAccess, list);
  if (status) return status;
  std::vector<uint8_t> record = storedText(path);
  record.resize(record.size() + storedNulSize(), 0);
  status = setValue(list, listName, value_type::Text, record);
  closeKey(list);
  if (status) return status;
  if ((status = createKey(root, subKey, allAccess, key))) return status;
  status = writeHiveKey(key, contents);
  closeKey(key);
  return status ? status : group.commit();
}

RegistryStatus unloadHive(KeyHandle root, const std::string& subKey, bool writeBack) {
  const std::string listName = hiveListName(root, subKey);
  std::string file;
  if (listName.empty() || loadedFile(listName, file)) return registry_status::InvalidParameter;
  KeyHandle key = 0;
  if (const RegistryStatus status = openKey(root, subKey, allAccess, key)) return status;
  // The file first: when it cannot be written, the hive stays loaded.
  RegistryStatus status = writeBack ? saveKey(key, file, true) : registry_status::Success;
  RegistryChangeGroup group;
  if (!status) status = deleteContents(key);
  closeKey(key);
  if (!status) status = deleteKey(root, subKey, 0);
  KeyHandle list = 0;
  if (!status) status = openKey(rootKeyHandle(root_key::LocalMachine), hiveList, allAccess, list);
  if (!status) {
    status = deleteValue(list, listName);
    closeKey(list);
  }
  return status ? status : group.commit();
}

}  // namespace zarn::registry_calls
