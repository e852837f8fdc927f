// Reads a .reg file of either form and either encoding (reg_file.h) into the
// changes it asks for, or says on which line it is malformed and why. The
// whole file is read before anything is applied, so a malformed file changes
// nothing.
#pragma once

#include <string_view>
#include <variant>

#include "reg/reg_file.h"

namespace zarn::cli {

std::variant<RegFile, RegFileError> readRegFile(std::string_view bytes);

}  // namespace zarn::cli
