// The text that --help prints, with the methods listed from the classes'
// dispatch descriptions.
#pragma once

#include <string>

namespace zarn::cli {

std::string usageText();

// "zarnutils 34.1": what --version prints.
std::string versionText();

// The short reminder printed with a usage error.
std::string usageHint();

}  // namespace zarn::cli
