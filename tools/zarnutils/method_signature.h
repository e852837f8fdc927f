// A method's parameters as a user types them: "sKey [sDelim]", optional ones
// in brackets. --help and the hints of a failed call both show them.
#pragma once

#include <string>

#include "component/class_description.h"

namespace zarn::cli {

std::string parameterList(const MethodDescription& method);

}  // namespace zarn::cli
