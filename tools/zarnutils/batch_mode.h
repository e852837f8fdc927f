// Many calls in one process: one call per input line, its fields separated
// by tabs (CLASS.METHOD, then the arguments), one JSON line out per call, in
// order. A failing call or a malformed line gives its line and the batch
// goes on; lines may end in LF or CRLF; empty lines are skipped.
#pragma once

#include <istream>
#include <ostream>

#include "call_target.h"

namespace zarn::cli {

void runBatch(CallTarget& target, std::istream& input, std::ostream& output);

}  // namespace zarn::cli
