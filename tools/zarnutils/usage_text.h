// The text that --help prints, with the methods listed from the classes'
// dispatch descriptions.
#pragma once

#include <string>

namespace zarn::cli {

std::string usageText();

// "zarnutils 1.00.0005 (type library 34.1)": what --version prints, the
// file version of the DLL and the version clients bind to.
std::string versionText();

// The short reminder printed with a usage error.
std::string usageHint();

}  // namespace zarn::cli
