// ProfileService: the one layer through which IniEdit reaches INI files.
//
// The five operations take the arguments of the platform's narrow-character
// profile functions and return what they return. On Windows each one is a
// pass-through to kernel32. On the native target they work on our own INI
// engine (native/ini/ini_document.h for the reading rules,
// native/ini/ini_file_io.h for how a write replaces a file). Text crosses
// this layer NUL-terminated in the narrow code page (narrow_text.h); sizes
// and counts are in bytes.
//
// Reading rules, the same on both targets: section and entry names compare
// case-insensitively and keep the case they were written with; blanks around
// names and values do not count; one pair of matching quotes around a value
// is removed by GetPrivateProfileStringA; a line whose first non-blank
// character is ';' is a comment; the first of duplicate sections and entries
// wins; CRLF, LF and CR line ends all read.
//
// A file name without a folder is taken from the Windows folder on Windows
// and from the working folder on the native target: callers pass full paths.
//
// Buffer contract of the two listing operations: every item is followed by a
// NUL and one more NUL ends the list; the count excludes that last NUL. When
// the list does not fit, or fits exactly, the last item placed is cut, the
// buffer ends in two NULs and the count is the buffer size minus 2 (under
// Wine only one NUL follows the cut; the count is the same).
#pragma once

#include <cstdint>

namespace zarn {

class ProfileService {
 public:
  // Copies the value of key in section (quotes removed) into buffer, else
  // defaultText (a null one counts as empty) without its trailing blanks.
  // Returns the bytes placed before the terminating NUL:
  //   - the value or default when it fits in size - 1 bytes;
  //   - size - 1 when it does not: the text is cut there (on the native
  //     target a cut never splits a UTF-8 character, so it may stop up to
  //     three bytes earlier);
  //   - 0 when buffer is null or size is 0 (nothing is written).
  // A missing file, section or entry, or a file that cannot be read, gives
  // the default. Windows lists names for a null section or key; the native
  // target does not offer those forms and gives the default for them.
  static uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                           const char* defaultText, char* buffer, uint32_t size,
                                           const char* file);

  // The value of key in section read as an integer (base prefixes 0x, 0o, 0b;
  // reading stops at the first non-digit; wraps modulo 2^32; quotes removed
  // first); callers take the result as a signed 32-bit number. defaultValue
  // when the file, section or entry is missing or the value is empty.
  static uint32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t defaultValue,
                                        const char* file);

  // Sets key in section to value: replaces the first entry of that name in
  // the first section of that name, else appends the entry at the end of the
  // section, else appends the section at the end of the file; a missing file
  // is created. A null value deletes the entry, a null key the whole section
  // (both succeed when there is nothing to delete). Returns true when the
  // file holds the new state, false when nothing was written because:
  //   - the folder is missing, or the file or folder may not be written;
  //   - (native) section or file is null or empty, or section, key or value
  //     breaks a rule of profile_entry_rules.h. Windows does not refuse
  //     these, so callers check them first.
  static bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                         const char* file);

  // Lists the section names of file as written, duplicates included, by the
  // listing contract. 0 with an empty list for a missing or unreadable file;
  // 0 with nothing written when buffer is null or size is 0.
  static uint32_t GetPrivateProfileSectionNamesA(char* buffer, uint32_t size, const char* file);

  // Lists the lines of section (the first of that name) by the listing
  // contract, comments and blank lines left out: "name=value" with blanks
  // around both removed and quotes kept, or the line itself when it has no
  // '='. 0 with an empty list for a missing file or section; 0 with nothing
  // written when buffer is null or size is 0.
  static uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                            const char* file);
};

}  // namespace zarn
