// Lines of zarnutils --batch: any bytes are parsed and called, one JSON line
// answered for each. The calls work in a private store and, for INI files,
// in a private current folder: inputs that could name a file elsewhere (a
// slash, or an escape that makes one) are not run.
#include <unistd.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_scratch.h"
#include "tools/zarnutils/call_target.h"
#include "tools/zarnutils/result_output.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const auto& folder = zarn::fuzz::scratchFolder();
  ::setenv("ZARNUTILS_REGISTRY_DIR", (folder / "registry").c_str(), 1);
  return ::chdir(folder.c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view lines(reinterpret_cast<const char*>(data), size);
  if (lines.find('/') != std::string_view::npos || lines.find("\\u") != std::string_view::npos ||
      lines.find("\\U") != std::string_view::npos) {
    return -1;  // kept out of the corpus
  }
  std::istringstream input{std::string(lines)};
  std::ostringstream output;
  zarn::cli::InProcessCallTarget target;
  zarn::cli::runBatch(target, input, output);
  return 0;
}
