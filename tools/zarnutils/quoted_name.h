// How a name or datum is shown where a person reads it: on a terminal and
// in every error message. Control characters written raw could retitle the
// window, clear the screen or forge a line, so they are shown escaped, the
// way git shows paths (core.quotePath). Files, pipes and JSON keep the
// exact bytes.
#pragma once

#include <string>
#include <string_view>

namespace zarn::cli {

// The text unchanged when it holds no control character (C0, DEL, C1, or a
// byte that is not UTF-8) and does not begin with a double quote; otherwise
// in double quotes, with \a \b \t \n \v \f \r, \" and \\ for those
// characters and \ooo (three octal digits) for every other such byte:
// "a\tb" for a tab between a and b, "\033]0;x\007" for an escape sequence.
std::string quotedName(std::string_view text);

// quotedName, but in double quotes even when nothing needed escaping: for a
// message that always quotes what was written.
std::string alwaysQuoted(std::string_view text);

}  // namespace zarn::cli
