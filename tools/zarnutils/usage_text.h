// The text that --help prints, with the methods listed from the classes'
// dispatch descriptions.
#pragma once

#include <string>

#include "component/class_description.h"

namespace zarn::cli {

std::string usageText();

// "zarnutils 1.0.0.5 (type library 34.1)": what --version prints, the
// version of the packages (the DLL's version block writes it 1.00.0005)
// and the version clients bind to.
std::string versionText();

// The short reminder printed with a usage error.
std::string usageHint();

// A method's parameters as a user types them: "sKey [sDelim]", optional ones
// in brackets. --help and the hints of a failed call both show them.
std::string parameterList(const MethodDescription& method);

}  // namespace zarn::cli
