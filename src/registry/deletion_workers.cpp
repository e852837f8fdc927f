// DeleteSubKey and DeleteNamedValue: open the parent key, make exactly one
// delete call, close. Whether a key with subkeys may go is the registry's
// decision; the worker never deletes anything below it first.
#include <exception>

#include "platform/narrow_text.h"
#include "registry/regedit.h"
#include "registry/worker_status.h"

namespace zarn {
namespace {

// Returns false when a raised failure ended the worker.
template <class DeleteCall>
bool openAndDelete(KeyHandle rootKey, const Text& keyPath, uint32_t access, DeleteCall deleteCall,
                   RegistryStatus& status) {
  status = statusNothingOpened;
  KeyHandle key = 0;
  try {
    if (rootKey != 0) {
      status = RegistryService::RegOpenKeyExA(rootKey, toNarrow(keyPath).c_str(), 0, access, &key);
      if (status == 0) status = deleteCall(key);
      if (status == 0) {
        normalExit(key, status);
        return true;
      }
    }
    failureExit(key);
    return true;
  } catch (const std::exception&) {
    failureExit(key);
    return false;
  }
}

}  // namespace

void Regedit::DeleteSubKey(KeyHandle rootKey, Text keyPath, Text subKeyName,
                           RegistryStatus& status) {
  openAndDelete(rootKey, keyPath, key_access::CreateSubKey, [&](KeyHandle key) {
    return RegistryService::RegDeleteKeyA(key, toNarrow(subKeyName).c_str());
  }, status);
}

void Regedit::DeleteNamedValue(KeyHandle rootKey, Text keyPath, Text valueName,
                               RegistryStatus& status) {
  const bool completed = openAndDelete(rootKey, keyPath, key_access::SetValue, [&](KeyHandle key) {
    return RegistryService::RegDeleteValueA(key, toNarrow(valueName).c_str());
  }, status);
  // A value that is already gone, or whose key is, counts as deleted.
  if (completed && status == registry_status::NotFound) status = 0;
}

}  // namespace zarn
