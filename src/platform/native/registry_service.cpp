// RegistryService on the native target: every operation goes to one
// process-wide store, placed by the environment when it is first used.
#include "platform/registry_service.h"

#include "platform/native/registry_store/registry_store.h"

namespace zarn {
namespace {

RegistryStore& store() {
  static RegistryStore processStore(RegistryLocation::fromEnvironment());
  return processStore;
}

}  // namespace

RegistryStatus RegistryService::RegOpenKeyExA(KeyHandle root, const char* subKey, uint32_t,
                                              uint32_t access, KeyHandle* key) {
  return store().openKey(root, subKey, access, key);
}

RegistryStatus RegistryService::RegCreateKeyExA(KeyHandle root, const char* subKey, uint32_t,
                                                const char*, uint32_t, uint32_t access,
                                                const SecurityAttributes*, KeyHandle* key,
                                                uint32_t* disposition) {
  return store().createKey(root, subKey, access, key, disposition);
}

RegistryStatus RegistryService::RegCloseKey(KeyHandle key) { return store().closeKey(key); }

RegistryStatus RegistryService::RegEnumKeyA(KeyHandle key, uint32_t index, char* name,
                                            uint32_t nameSize) {
  return store().enumKey(key, index, name, nameSize);
}

RegistryStatus RegistryService::RegEnumValueA(KeyHandle key, uint32_t index, char* name,
                                              uint32_t* nameLength, uint32_t*, uint32_t* type,
                                              uint8_t* data, uint32_t* dataSize) {
  return store().enumValue(key, index, name, nameLength, type, data, dataSize);
}

RegistryStatus RegistryService::RegQueryValueExA(KeyHandle key, const char* valueName, uint32_t*,
                                                 uint32_t* type, uint8_t* data,
                                                 uint32_t* dataSize) {
  return store().queryValue(key, valueName, type, data, dataSize);
}

RegistryStatus RegistryService::RegSetValueExA(KeyHandle key, const char* valueName, uint32_t,
                                               uint32_t type, const uint8_t* data,
                                               uint32_t dataSize) {
  return store().setValue(key, valueName, type, data, dataSize);
}

RegistryStatus RegistryService::RegDeleteKeyA(KeyHandle key, const char* subKey) {
  return store().deleteKey(key, subKey);
}

RegistryStatus RegistryService::RegDeleteValueA(KeyHandle key, const char* valueName) {
  return store().deleteValue(key, valueName);
}

int RegistryService::openHandleCount() { return store().openHandleCount(); }

}  // namespace zarn
