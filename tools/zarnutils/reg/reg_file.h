// A .reg file as regedit reads and writes it, and the two forms it comes in.
//
// Version 5.00 ("Windows Registry Editor Version 5.00") is UTF-16LE text
// with a byte order mark; the text in its hex(1), hex(2) and hex(7) data is
// UTF-16LE too. REGEDIT4 is 8-bit text, and so is the text in its hex data.
// Either form: CRLF line ends, [KEY] starts a key and [-KEY] deletes one with
// its subkeys; "name"=DATA or @=DATA (the default value) sets a value and
// "name"=- deletes it; DATA is "text" (\\ and \" escaped), dword:8 hex
// digits, hex:bytes (REG_BINARY) or hex(N):bytes (type N), the bytes as
// comma-separated hex pairs, continued over lines ending in a backslash;
// lines starting with ';' are comments.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "reg/reg_key_name.h"

namespace zarn::cli {

enum class RegFileForm { Version5, Regedit4 };

// Names and data in the store's narrow form: what the import writes.
struct RegFileValue {
  std::string name;
  bool remove = false;
  uint32_t type = 0;
  std::string data;
};

struct RegFileKey {
  KeyName key;
  bool remove = false;
  std::vector<RegFileValue> values;
};

struct RegFile {
  RegFileForm form = RegFileForm::Version5;
  std::vector<RegFileKey> keys;
};

struct RegFileError {
  int line = 0;
  std::string message;
};

}  // namespace zarn::cli
