// What ini set and ini apply share: a list of changes made in one write of
// the file, or only checked, and the report of each change (created,
// changed, unchanged, deleted) as text, as JSON or as a unified difference.
#pragma once

#include <string>

#include "console_streams.h"
#include "zarnutils/ini_file.h"

namespace zarn::cli {

struct ApplyOptions {
  bool check = false;              // --check: report, write nothing
  bool diff = false;               // --diff: the difference instead of the report
  bool detailedExitCodes = false;  // --detailed-exitcodes: a change answers 3
};

// Exit codes: 0 done (with --detailed-exitcodes: nothing differed), 1 the
// changes refused or the write failed, 3 with --detailed-exitcodes when
// anything differed (was written, or with --check would be).
constexpr int iniChangedExitCode = 3;

int applyChanges(const std::string& file, const ini::Changes& changes, const ApplyOptions& options,
                 ConsoleStreams& console);

}  // namespace zarn::cli
