// RegistryService on the native target: every operation goes to one
// process-wide store, placed by the environment when it is first used. When
// the environment places it nowhere, every operation answers 10 (the
// platform's "the environment is incorrect") and the reason is written once
// to standard error, as the only place a caller of these status-only
// operations can learn it.
#include "platform/registry_service.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "automation/text.h"
#include "platform/native/registry_store/registry_store.h"
#include "platform/root_keys.h"
#include "zarnutils/store_location.h"

namespace zarn {
namespace {

std::unique_ptr<RegistryStore> openProcessStore() {
  try {
    return std::make_unique<RegistryStore>(RegistryLocation::fromEnvironment());
  } catch (const std::invalid_argument& problem) {
    std::fprintf(stderr, "zarnutils: %s\n", problem.what());
    return nullptr;
  }
}

}  // namespace

RegistryStore* processRegistryStore() {
  static const std::unique_ptr<RegistryStore> store = openProcessStore();
  return store.get();
}

namespace {

template <typename Operation>
RegistryStatus withStore(Operation operation) {
  RegistryStore* store = processRegistryStore();
  return store ? operation(*store) : registry_status::BadEnvironment;
}

}  // namespace

RegistryStatus RegistryService::RegOpenKeyExA(KeyHandle root, const char* subKey, uint32_t,
                                              uint32_t access, KeyHandle* key) {
  return withStore([&](RegistryStore& store) { return store.openKey(root, subKey, access, key); });
}

RegistryStatus RegistryService::RegCreateKeyExA(KeyHandle root, const char* subKey, uint32_t,
                                                const char*, uint32_t options, uint32_t access,
                                                const SecurityAttributes*, KeyHandle* key,
                                                uint32_t* disposition) {
  return withStore([&](RegistryStore& store) {
    return store.createKey(root, subKey, access, key, disposition, options);
  });
}

RegistryStatus RegistryService::RegCloseKey(KeyHandle key) {
  return withStore([&](RegistryStore& store) { return store.closeKey(key); });
}

RegistryStatus RegistryService::RegEnumKeyA(KeyHandle key, uint32_t index, char* name,
                                            uint32_t nameSize) {
  return withStore([&](RegistryStore& store) { return store.enumKey(key, index, name, nameSize); });
}

RegistryStatus RegistryService::RegEnumValueA(KeyHandle key, uint32_t index, char* name,
                                              uint32_t* nameLength, uint32_t*, uint32_t* type,
                                              uint8_t* data, uint32_t* dataSize) {
  return withStore([&](RegistryStore& store) {
    return store.enumValue(key, index, name, nameLength, type, data, dataSize);
  });
}

RegistryStatus RegistryService::RegQueryValueExA(KeyHandle key, const char* valueName, uint32_t*,
                                                 uint32_t* type, uint8_t* data,
                                                 uint32_t* dataSize) {
  return withStore(
      [&](RegistryStore& store) { return store.queryValue(key, valueName, type, data, dataSize); });
}

RegistryStatus RegistryService::RegSetValueExA(KeyHandle key, const char* valueName, uint32_t,
                                               uint32_t type, const uint8_t* data,
                                               uint32_t dataSize) {
  return withStore(
      [&](RegistryStore& store) { return store.setValue(key, valueName, type, data, dataSize); });
}

RegistryStatus RegistryService::RegDeleteKeyA(KeyHandle key, const char* subKey) {
  return withStore([&](RegistryStore& store) { return store.deleteKey(key, subKey); });
}

RegistryStatus RegistryService::RegDeleteValueA(KeyHandle key, const char* valueName) {
  return withStore([&](RegistryStore& store) { return store.deleteValue(key, valueName); });
}

int RegistryService::openHandleCount() {
  int count = 0;
  withStore([&](RegistryStore& store) { return count = store.openHandleCount(); });
  return count;
}

std::string registryStoreFile(std::string_view key) {
  RegistryStore* store = processRegistryStore();
  const std::string_view rootName = key.substr(0, key.find('\\'));
  for (const RootKey& root : rootKeys) {
    const bool named = equalsIgnoringAsciiCase(rootName, root.shortName) ||
                       equalsIgnoringAsciiCase(rootName, root.longName);
    if (store && root.exists && named) return store->fileOf(root.value).string();
  }
  return {};
}

RegistryChangeGroup::RegistryChangeGroup() {
  if (RegistryStore* store = processRegistryStore()) store->beginChangeGroup();
}

RegistryChangeGroup::~RegistryChangeGroup() {
  if (RegistryStore* store = processRegistryStore(); store && open_) store->endChangeGroup(false);
}

RegistryStatus RegistryChangeGroup::commit() {
  open_ = false;
  return withStore([](RegistryStore& store) { return store.endChangeGroup(true); });
}

}  // namespace zarn
