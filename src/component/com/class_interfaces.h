// The COM face of each class beyond what the dispatch description says: the
// interface identifiers an object answers to (in the order the class's
// "_IID_<CLASS>" resource lists them) and the hidden alias that carries
// Regedit's earlier interface identifier in the type library.
#pragma once

#include <span>
#include <string_view>

#include "component/dispatch_description.h"

namespace zarn::com {

struct InterfaceAlias {
  std::u16string_view name;
  const identity::Guid& id;
  uint16_t versionMajor;
  uint16_t versionMinor;
};

struct ComClass {
  const InterfaceDescription& description;
  std::span<const identity::Guid* const> answeredInterfaceIds;
  const InterfaceAlias* earlierInterface;  // null when the class has none
};

const ComClass& regeditClass();
const ComClass& iniEditClass();

// Both classes, in the order the type library lists them.
std::span<const ComClass* const> comClasses();

}  // namespace zarn::com
