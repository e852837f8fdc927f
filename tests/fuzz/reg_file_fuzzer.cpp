// .reg file bytes, of any form and encoding, through the reader that the
// import uses: any input is read into changes and skipped lines, or refused
// at its header, and never crashes; every skipped line is a line of the file
// with a reason, and no value is kept under a key being deleted; the bounds
// on what import reads give back any bytes within them unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "tools/zarnutils/reg/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Gathered in two pieces split where the first byte says (so that a
  // UTF-16 unit or a CRLF may be split), under small bounds: the bytes come
  // back whole, or a bound is named with a line of the file.
  zarn::cli::RegFileGatherer gatherer(4096, 64);
  const size_t split = size ? std::min<size_t>(data[0], size) : 0;
  if (gatherer.add(bytes.substr(0, split)) && gatherer.add(bytes.substr(split))) {
    if (gatherer.takeBytes() != bytes) std::abort();
  } else if (!gatherer.problem() || gatherer.problem()->message.empty() ||
             static_cast<size_t>(gatherer.problem()->line) > size) {
    std::abort();
  }
  const auto result = zarn::cli::readRegFile(bytes);
  if (const auto* error = std::get_if<zarn::cli::RegFileError>(&result)) {
    if (error->line != 1 || error->message.empty()) std::abort();  // only the header refuses
    return 0;
  }
  const auto& file = std::get<zarn::cli::RegFile>(result);
  // A line is at least one byte, so no file has more lines than bytes; the
  // header is skipped only for what follows a NUL in it.
  for (const zarn::cli::RegFileSkip& skip : file.skipped) {
    if (skip.line < 1 || static_cast<size_t>(skip.line) > size || skip.reason.empty()) {
      std::abort();
    }
  }
  for (const zarn::cli::RegFileKey& key : file.keys) {
    if (key.remove && !key.values.empty()) std::abort();
  }
  return 0;
}
