#include "component/com/interface_id_list.h"

#include <cstring>

#include "component/com/com_guid.h"

namespace zarn::com {

std::string interfaceIdList(const ComClass& comClass) {
  const uint32_t byteCount = static_cast<uint32_t>(comClass.answeredInterfaceIds.size() * sizeof(GUID));
  std::string list(sizeof byteCount, '\0');
  std::memcpy(list.data(), &byteCount, sizeof byteCount);
  for (const identity::Guid* id : comClass.answeredInterfaceIds) {
    const GUID guid = toGuid(*id);
    list.append(reinterpret_cast<const char*>(&guid), sizeof guid);
  }
  return list;
}

}  // namespace zarn::com
