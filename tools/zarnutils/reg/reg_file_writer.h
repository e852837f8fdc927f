// Writes a key and everything below it as regedit exports it.
#pragma once

#include <string>

#include "reg/reg_file.h"
#include "reg/reg_tree.h"

namespace zarn::cli {

// The whole file's bytes: the header, then each key in enumeration order,
// depth first, with its values. Version 5.00 is UTF-16LE with a byte order
// mark; REGEDIT4 is the narrow code page. Lines end in CRLF; hex data is
// wrapped so that no line passes 80 columns.
std::string regFileBytes(const KeyName& top, const KeyTree& tree, RegFileForm form);

}  // namespace zarn::cli
