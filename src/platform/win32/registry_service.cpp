// Pass-through to advapi32's narrow registry functions. Handles are HKEYs,
// as wide as a pointer (32 or 64 bits); the roots arrive sign-extended, as
// the platform defines its predefined keys. The service only keeps track of
// the ones it handed out so that tests can see every caller close what it
// opened.
#include "platform/registry_service.h"

#include <windows.h>

#include <mutex>
#include <set>
#include <string>

#include "zarnutils/store_location.h"

namespace zarn {
namespace {

static_assert(sizeof(HKEY) == sizeof(KeyHandle), "a key handle must hold an HKEY");

HKEY toHkey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }

KeyHandle toKeyHandle(HKEY key) { return reinterpret_cast<KeyHandle>(key); }

// DWORD is unsigned long here, uint32_t unsigned int: in/out sizes travel
// through a DWORD copy rather than a pointer cast.
class DwordArgument {
 public:
  explicit DwordArgument(uint32_t* target) : target_(target), value_(target ? *target : 0) {}
  ~DwordArgument() {
    if (target_) *target_ = static_cast<uint32_t>(value_);
  }
  DwordArgument(const DwordArgument&) = delete;
  DwordArgument& operator=(const DwordArgument&) = delete;

  LPDWORD get() { return target_ ? &value_ : nullptr; }

 private:
  uint32_t* target_;
  DWORD value_;
};

// The platform reads the data size before it writes the type, so a caller
// may pass one variable for both; their copies must then be one as well.
class TypeArgument {
 public:
  TypeArgument(uint32_t* type, DwordArgument& size, uint32_t* sizeTarget)
      : shared_(type && type == sizeTarget ? size.get() : nullptr),
        own_(shared_ ? nullptr : type) {}

  LPDWORD get() { return shared_ ? shared_ : own_.get(); }

 private:
  LPDWORD shared_;
  DwordArgument own_;
};

class OpenHandles {
 public:
  void add(KeyHandle key) {
    std::lock_guard lock(mutex_);
    handles_.insert(key);
  }
  void remove(KeyHandle key) {
    std::lock_guard lock(mutex_);
    handles_.erase(key);
  }
  int count() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(handles_.size());
  }

 private:
  std::mutex mutex_;
  std::set<KeyHandle> handles_;
};

OpenHandles& openHandles() {
  static OpenHandles handles;
  return handles;
}

}  // namespace

RegistryStatus RegistryService::RegOpenKeyExA(KeyHandle root, const char* subKey, uint32_t options,
                                              uint32_t access, KeyHandle* key) {
  // The caller's result goes through as it is: the platform decides what a
  // failure leaves in it, and a root opened as itself is no handle to track.
  HKEY opened = key ? toHkey(*key) : nullptr;
  const LONG status =
      ::RegOpenKeyExA(toHkey(root), subKey, options, access, key ? &opened : nullptr);
  if (key) *key = toKeyHandle(opened);
  if (status == ERROR_SUCCESS && opened != toHkey(root)) openHandles().add(*key);
  return status;
}

RegistryStatus RegistryService::RegCreateKeyExA(KeyHandle root, const char* subKey,
                                                uint32_t reserved, const char* keyClass,
                                                uint32_t options, uint32_t access,
                                                const SecurityAttributes* security, KeyHandle* key,
                                                uint32_t* disposition) {
  // The platform's own record, whose pointer field is 64 bits wide on Win64,
  // filled from ours field by field.
  SECURITY_ATTRIBUTES attributes{};
  if (security) {
    attributes.nLength = static_cast<DWORD>(security->nLength);
    attributes.lpSecurityDescriptor =
        reinterpret_cast<LPVOID>(static_cast<intptr_t>(security->lpSecurityDescriptor));
    attributes.bInheritHandle = security->bInheritHandle;
  }
  HKEY created = key ? toHkey(*key) : nullptr;
  DwordArgument createdOrOpened(disposition);
  const LONG status = ::RegCreateKeyExA(toHkey(root), subKey, reserved, const_cast<LPSTR>(keyClass),
                                        options, access, security ? &attributes : nullptr,
                                        key ? &created : nullptr, createdOrOpened.get());
  if (key) *key = toKeyHandle(created);
  if (status == ERROR_SUCCESS) openHandles().add(*key);
  return status;
}

RegistryStatus RegistryService::RegCloseKey(KeyHandle key) {
  const LONG status = ::RegCloseKey(toHkey(key));
  if (status == ERROR_SUCCESS) openHandles().remove(key);
  return status;
}

RegistryStatus RegistryService::RegEnumKeyA(KeyHandle key, uint32_t index, char* name,
                                            uint32_t nameSize) {
  return ::RegEnumKeyA(toHkey(key), index, name, nameSize);
}

RegistryStatus RegistryService::RegEnumValueA(KeyHandle key, uint32_t index, char* name,
                                              uint32_t* nameLength, uint32_t* reserved,
                                              uint32_t* type, uint8_t* data, uint32_t* dataSize) {
  DwordArgument length(nameLength);
  DwordArgument reservedArgument(reserved);
  DwordArgument size(dataSize);
  TypeArgument valueType(type, size, dataSize);
  return ::RegEnumValueA(toHkey(key), index, name, length.get(), reservedArgument.get(),
                         valueType.get(), data, size.get());
}

RegistryStatus RegistryService::RegQueryValueExA(KeyHandle key, const char* valueName,
                                                 uint32_t* reserved, uint32_t* type, uint8_t* data,
                                                 uint32_t* dataSize) {
  DwordArgument reservedArgument(reserved);
  DwordArgument size(dataSize);
  TypeArgument valueType(type, size, dataSize);
  return ::RegQueryValueExA(toHkey(key), valueName, reservedArgument.get(), valueType.get(), data,
                            size.get());
}

RegistryStatus RegistryService::RegSetValueExA(KeyHandle key, const char* valueName,
                                               uint32_t reserved, uint32_t type,
                                               const uint8_t* data, uint32_t dataSize) {
  return ::RegSetValueExA(toHkey(key), valueName, reserved, type, data, dataSize);
}

RegistryStatus RegistryService::RegDeleteKeyA(KeyHandle key, const char* subKey) {
  return ::RegDeleteKeyA(toHkey(key), subKey);
}

RegistryStatus RegistryService::RegDeleteValueA(KeyHandle key, const char* valueName) {
  return ::RegDeleteValueA(toHkey(key), valueName);
}

int RegistryService::openHandleCount() { return openHandles().count(); }

// The registry is the platform's: no file of ours holds it.
std::string registryStoreFile(std::string_view) { return {}; }

// The registry functions apply each change at once; a group only marks
// where the caller's unit of work begins and ends.
RegistryChangeGroup::RegistryChangeGroup() = default;

RegistryChangeGroup::~RegistryChangeGroup() = default;

RegistryStatus RegistryChangeGroup::commit() {
  open_ = false;
  return registry_status::Success;
}

}  // namespace zarn
