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
#include <string_view>
#include <variant>
#include <vector>

#include "automation/text.h"
#include "reg/reg.h"

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

// ---- Reading (reg_file_reader.cpp) ----

// Reads a .reg file of either form and either encoding (reg_file.h) into the
// changes it asks for, or says on which line it is malformed and why. The
// whole file is read before anything is applied, so a malformed file changes
// nothing.
std::variant<RegFile, RegFileError> readRegFile(std::string_view bytes);

// The encodings a .reg file comes in: UTF-16LE with a byte order mark (what
// regedit writes for version 5.00), or 8-bit text, read as UTF-8 when it is
// valid UTF-8 and as Windows-1252 otherwise.
enum class FileEncoding { Utf16le, Utf8, Windows1252 };

// The file's text, without its byte order mark, and the encoding found.
Text decodeFileText(std::string_view bytes, FileEncoding& encoding);

// UTF-16LE code units as bytes, low byte first, and back (an odd last byte
// is dropped).
std::string utf16leBytes(std::u16string_view text);
Text textOfUtf16le(std::string_view bytes);

// 8-bit text in the given encoding (UTF-8 or Windows-1252).
Text textOf8bit(std::string_view bytes, FileEncoding encoding);

bool isValidUtf8(std::string_view bytes);

// ---- Writing (reg_file_writer.cpp) ----

// Writes a key and everything below it as regedit exports it.
// The whole file's bytes: the header, then each key in enumeration order,
// depth first, with its values. Version 5.00 is UTF-16LE with a byte order
// mark; REGEDIT4 is the narrow code page. Lines end in CRLF; hex data is
// wrapped so that no line passes 80 columns.
std::string regFileBytes(const KeyName& top, const KeyTree& tree, RegFileForm form);

}  // namespace zarn::cli
