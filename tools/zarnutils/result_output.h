// How a call's outcome is written: as text for people, as raw bytes for
// programs that want the exact text, or as one JSON line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zarnutils/variant.h"

namespace zarn::cli {

// The result's text form as UTF-8, NULs kept: Visual Basic's (True/False for
// a Boolean, "" for Empty), and "Null" for Null, which has none.
std::string rawText(const Variant& result);

// rawText with each NUL shown as a line break, so listings read one per line.
std::string displayText(const Variant& result);

// {"type":"Long","value":80}: the TypeName of the result and its value;
// Empty and Null have the value null.
std::string jsonResult(const Variant& result);

// "error 9: Subscript out of range"
std::string errorLine(int32_t error);

// {"error":9,"message":"Subscript out of range"}
std::string jsonError(int32_t error);

// {"usage":"..."}: a batch line that does not say what to call.
std::string jsonUsage(std::string_view message);

}  // namespace zarn::cli
