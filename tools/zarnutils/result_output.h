// How a call's outcome is written: as text for people, as raw bytes for
// programs that want the exact text, or as one JSON line; and the batch
// mode, which answers each of many calls with such a line.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "call_target.h"
#include "zarnutils/variant.h"

namespace zarn::cli {

// The result's text form as UTF-8, NULs kept: Visual Basic's (True/False for
// a Boolean, "" for Empty), and "Null" for Null, which has none.
std::string rawText(const Variant& result);

// rawText with each NUL shown as a line break, so listings read one per
// line; on a terminal each item is shown through quotedName.
std::string displayText(const Variant& result, bool onTerminal = false);

// {"type":"Long","value":80}: the TypeName of the result and its value;
// Empty and Null have the value null.
std::string jsonResult(const Variant& result);

// "error 9: Subscript out of range"
std::string errorLine(int32_t error);

// {"error":9,"message":"Subscript out of range"}
std::string jsonError(int32_t error);

// {"usage":"..."}: a batch line that does not say what to call.
std::string jsonUsage(std::string_view message);

// Many calls in one process: one call per input line, its fields separated
// by tabs (CLASS.METHOD, then the arguments), one JSON line out per call, in
// order. A failing call or a malformed line gives its line and the batch
// goes on; lines may end in LF or CRLF; empty lines are skipped. A name
// argument holding a NUL is named on standard error (call_hints.h).
void runBatch(CallTarget& target, std::istream& input, std::ostream& output);

}  // namespace zarn::cli
