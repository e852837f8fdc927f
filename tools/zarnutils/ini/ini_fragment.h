// ini apply's input: an INI fragment read as the changes it asks for.
//
//   [Server]        the section whose entries follow
//   Port=8080       set the entry (blanks around name and value do not count)
//   -Debug          delete the entry
//   [-Old]          delete the section with all its entries
//
// Blank lines and lines starting with ';' are skipped, as in INI files. The
// deletions are written as .reg files write theirs ([-KEY], "name"=-), with
// a '-' before the name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "zarnutils/ini_file.h"

namespace zarn::cli {

// The changes, in the fragment's order; nothing, with "line N: what is
// wrong" in problem, for a line that is none of the forms above.
std::optional<ini::Changes> changesOfFragment(std::string_view fragment, std::string& problem);

}  // namespace zarn::cli
