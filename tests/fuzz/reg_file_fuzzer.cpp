// .reg file bytes, of either form and encoding, through the reader that the
// import uses: any input is read into changes or refused with a line number,
// and never crashes.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "tools/zarnutils/reg/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto result =
      zarn::cli::readRegFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (const auto* error = std::get_if<zarn::cli::RegFileError>(&result); error && error->line < 0) {
    std::abort();  // a refusal must say where
  }
  return 0;
}
