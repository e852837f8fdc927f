// DeleteSubKey and DeleteNamedValue: open the parent key, make exactly one
// delete call, close. Whether a key with subkeys may go is the registry's
// decision; the worker never deletes anything below it first.
#include "platform/narrow_text.h"
#include "registry/regedit_procedures.h"
#include "registry/worker_status.h"

namespace zarn {

void Regedit::Procedures::DeleteSubKey(RootKeyValue rootKey, Text keyPath, Text subKeyName,
                                       RegistryStatus& status) {
  withOpenKey(rootKey, keyPath, key_access::CreateSubKey, status, [&](KeyHandle key) {
    return RegistryService::RegDeleteKeyA(key, toNarrow(subKeyName).c_str());
  });
}

void Regedit::Procedures::DeleteNamedValue(RootKeyValue rootKey, Text keyPath, Text valueName,
                                           RegistryStatus& status) {
  const bool exited =
      withOpenKey(rootKey, keyPath, key_access::SetValue, status, [&](KeyHandle key) {
        return RegistryService::RegDeleteValueA(key, toNarrow(valueName).c_str());
      });
  // A value that is already gone, or whose key is, counts as deleted; not
  // when a raised error ended the worker.
  if (exited && status == registry_status::NotFound) status = 0;
}

}  // namespace zarn
