// The content of a class's "_IID_<CLASS>" resource: a 32-bit byte count,
// then the 16-byte identifiers of the interfaces the class answers to.
#pragma once

#include <string>

#include "component/com/class_interfaces.h"

namespace zarn::com {

std::string interfaceIdList(const ComClass& comClass);

}  // namespace zarn::com
