// A .reg file as regedit reads and writes it, and the forms it comes in.
//
// Version 5.00 ("Windows Registry Editor Version 5.00") is UTF-16LE text
// with a byte order mark; the text in its hex(1), hex(2) and hex(7) data is
// UTF-16LE too. REGEDIT4 is 8-bit text, and so is the text in its hex data.
// Either form: CRLF line ends, [KEY] starts a key and [-KEY] deletes one with
// its subkeys; "name"=DATA or @=DATA (the default value) sets a value and
// "name"=- deletes it; DATA is "text" (\\ \" \r \n escaped), dword:8 hex
// digits, hex:bytes (REG_BINARY) or hex(N):bytes (type N), the bytes as
// comma-separated hex pairs, continued over lines ending in a backslash;
// lines starting with ';' or '#' are comments. REGEDIT, the Windows 3.1
// form, is read only. How the platform reads what breaks these rules is
// written down in reg_file_reader.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "reg/reg.h"

namespace zarn::cli {

// Version5 and Regedit4 are both forms the verbs write; Windows31 is the
// REGEDIT form, read only.
enum class RegFileForm { Version5, Regedit4, Windows31 };

// Names in UTF-8 and data in Windows' own form: what the import writes.
struct RegFileValue {
  std::string name;
  bool remove = false;
  ValueType type = ValueType::None;
  std::string data;
  int line = 0;
};

struct RegFileKey {
  KeyName key;
  bool remove = false;
  int line = 0;
  std::vector<RegFileValue> values;
};

// A line the reader could not use, and why.
struct RegFileSkip {
  int line = 0;
  std::string reason;
};

struct RegFile {
  RegFileForm form = RegFileForm::Version5;
  // A header that starts REGEDIT but is none of the known ones: the
  // platform takes the file and applies none of it.
  bool readsNothing = false;
  std::vector<RegFileKey> keys;  // in file order
  std::vector<RegFileSkip> skipped;
};

// A file that is not a registry file at all, or too large to be read; line
// 0 for the file as a whole.
struct RegFileError {
  int line = 0;
  std::string message;
};

// ---- Reading (reg_file_reader.cpp) ----

// The most reg import reads, so that no input (a device, an endless pipe, a
// line that never ends) takes memory without bound. Far beyond what Windows
// stores: a value's data is at most 1 MB in a hive of the standard format,
// and a key path of 512 levels of 255 characters is some 256 KiB of UTF-16.
// A line's bytes are counted without its line end.
constexpr size_t maxRegFileBytes = size_t{1} << 30;   // 1 GiB
constexpr size_t maxRegLineBytes = size_t{16} << 20;  // 16 MiB

// Gathers a .reg file's bytes piece by piece as they are read, and stops at
// the piece that takes the file, or one of its lines (CR, LF or CRLF end one,
// in 8-bit or UTF-16LE text), past its bound.
class RegFileGatherer {
 public:
  explicit RegFileGatherer(size_t maxFileBytes = maxRegFileBytes,
                           size_t maxLineBytes = maxRegLineBytes)
      : maxFileBytes_(maxFileBytes), maxLineBytes_(maxLineBytes) {}

  // False, with the bound passed in problem(), once the bytes pass one.
  bool add(std::string_view piece);
  const std::optional<RegFileError>& problem() const { return problem_; }
  std::string takeBytes() { return std::move(bytes_); }

 private:
  size_t maxFileBytes_;
  size_t maxLineBytes_;
  std::string bytes_;
  std::optional<RegFileError> problem_;
  size_t scanned_ = 0;  // bytes whose lines were counted
  int line_ = 1;
  size_t lineBytes_ = 0;
  bool afterCr_ = false;
};

// Reads a .reg file of any form and encoding into the changes it asks for
// and the lines it skipped, as the platform's reg import reads it (the rules
// are listed in reg_file_reader.cpp); a file whose first line is no registry
// header is refused. The whole file is read before anything is applied.
std::variant<RegFile, RegFileError> readRegFile(std::string_view bytes);

// The encodings a .reg file comes in: UTF-16LE with a byte order mark (what
// regedit writes for version 5.00), or 8-bit text, read as UTF-8 when it is
// valid UTF-8 and as Windows-1252 otherwise.
enum class FileEncoding { Utf16le, Utf8, Windows1252 };

// The file's text, without its byte order mark, and the encoding found.
Text decodeFileText(std::string_view bytes, FileEncoding& encoding);

// 8-bit text in the given encoding (UTF-8 or Windows-1252).
Text textOf8bit(std::string_view bytes, FileEncoding encoding);

bool isValidUtf8(std::string_view bytes);

// ---- Writing (reg_file_writer.cpp) ----

// How a REG_SZ is written: as regedit writes it, its text up to the first
// NUL; or exactly, as hex(1): when its data is anything but one text and its
// NUL, so that importing the file restores its bytes.
enum class RegTextData { UpToNul, Exact };

// The whole file's bytes: the header, then each key with its values and a
// blank line, in the file's order. Version 5.00 is UTF-16LE with a byte
// order mark; REGEDIT4 is the narrow code page. Lines end in CRLF; hex data
// is wrapped so that no line passes 80 columns. Nothing, and the problem in
// problem, when a name cannot be written so that the file reads back the
// same: a key name holding CR, LF or NUL, or a value name holding NUL.
std::optional<std::string> regFileBytes(const RegFile& file, RegTextData textData,
                                        std::string& problem);

// An export: the key and its tree in enumeration order, depth first, each
// REG_SZ as regedit writes it.
std::optional<std::string> regFileBytes(const KeyName& top, const KeyTree& tree, RegFileForm form,
                                        std::string& problem);

// One key's lines, [KEY] or [-KEY] and its values; one value's line or
// lines ("name"=DATA or "name"=-, of the key named). Each line ends in CRLF.
std::optional<Text> regKeyText(const RegFileKey& key, RegFileForm form, RegTextData textData,
                               std::string& problem);
std::optional<Text> regValueText(const KeyName& key, const RegFileValue& value, RegFileForm form,
                                 RegTextData textData, std::string& problem);

// A name as a message shows it, with CR, LF and NUL written \r, \n, \0.
std::string shownName(std::string_view name);

}  // namespace zarn::cli
