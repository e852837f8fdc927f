#include "component/com/class_interfaces.h"

#include <array>

namespace zarn::com {
namespace {

const InterfaceAlias regeditEarlierInterface{u"Regedit___v0", identity::regeditEarlierInterfaceId,
                                             1, 0};

const std::array<const identity::Guid*, 2> regeditInterfaceIds{
    &identity::regeditEarlierInterfaceId, &identity::regeditInterfaceId};
const std::array<const identity::Guid*, 1> iniEditInterfaceIds{&identity::iniEditInterfaceId};

}  // namespace

const ComClass& regeditClass() {
  static const ComClass comClass{regeditInterface(), regeditInterfaceIds, &regeditEarlierInterface};
  return comClass;
}

const ComClass& iniEditClass() {
  static const ComClass comClass{iniEditInterface(), iniEditInterfaceIds, nullptr};
  return comClass;
}

std::span<const ComClass* const> comClasses() {
  static const std::array<const ComClass*, 2> classes{&regeditClass(), &iniEditClass()};
  return classes;
}

}  // namespace zarn::com
