// IniDocument: one INI file's text, parsed into sections and lines that point
// into it, so that an edit can change a few bytes and keep all the others.
//
// Reading rules (those of the platform's profile functions):
// - Lines end at CRLF, LF or CR; the last line needs no end.
// - Blanks (spaces and tabs) around a line, a name or a value do not count.
// - A line whose first non-blank character is ';' is a comment. Nothing else
//   is: '#' starts an ordinary line, and text after a value is part of it.
// - "[name]" starts a section; text after the first ']' is ignored. A line
//   starting with '[' that has no ']' is an ordinary line.
// - An ordinary line with '=' is an entry: the name is what comes before the
//   first '=', the value all after it. A line without '=' is listed with its
//   section but has no value.
// - Lines before the first section belong to no section.
// - A NUL byte ends the name or value it falls in, as the platform reads
//   them as C strings; a line that is empty up to its first NUL and has no
//   '=' counts as blank. The bytes behind the NUL stay in the file, and a
//   write of the value replaces them with the rest of the old value.
// - Names compare case-insensitively. Of duplicate sections and of duplicate
//   entries in a section, the first one is found; every header is listed.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/native/ini/ini_encoding.h"
#include "platform/native/ini/ini_names.h"

namespace zarn {

// The listings of one parsed document, each made on first use and kept as
// long as the document, so that a caller who asks again (IniEdit doubles its
// buffer until a listing fits) pays for a copy, not for making it again.
// Safe from several threads.
class IniListCache {
 public:
  // The listing kept under key, made by make() when there is none yet. The
  // view stays valid as long as the cache.
  template <class Make>
  std::string_view get(size_t key, Make make) {
    const std::lock_guard guard(mutex_);
    const auto found = lists_.find(key);
    if (found != lists_.end()) return found->second;
    return lists_.emplace(key, make()).first->second;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<size_t, std::string> lists_;  // nodes, whose strings never move
};

// Offsets into the document's text, which is below 4 GiB (the largest file
// read, decoded from UTF-16, is 1.5 GiB).
struct IniLine {
  uint32_t begin = 0;  // start of the line
  uint32_t end = 0;    // behind its line end
  uint32_t nameBegin = 0, nameEnd = 0;
  uint32_t valueBegin = 0, valueEnd = 0;  // both at the line's trimmed end when there is no value;
                                          // a NUL may end the value read before valueEnd
  uint32_t nameHash = 0;                  // iniNameHash of the name
  bool isEntry = false;                   // the line has '='
};

struct IniSection {
  uint32_t begin = 0;  // start of the header line
  uint32_t end = 0;    // start of the next header, or the end of the text
  uint32_t nameBegin = 0, nameEnd = 0;
  uint32_t appendAt = 0;  // behind the last line of the section that is not blank or a comment
  uint32_t nameHash = 0;
  // Its entries and other lines, without blank lines and comments: the
  // document's lines from firstLine up to lineEnd.
  uint32_t firstLine = 0, lineEnd = 0;
};

class IniDocument {
 public:
  // Throws std::length_error for a text of 4 GiB or more.
  explicit IniDocument(IniText source);

  const std::string& text() const { return source_.text; }
  IniEncoding encoding() const { return source_.encoding; }
  size_t bodyBegin() const { return source_.bodyBegin; }
  // The file's first line end, or CRLF as the platform writes when it has none.
  std::string_view lineBreak() const { return lineBreak_; }

  const std::vector<IniSection>& sections() const { return sections_; }
  std::span<const IniLine> lines(const IniSection& section) const;
  // The first section or entry of that name; blanks around name do not count.
  // The first look-up of each kind goes through the lines, as a document
  // read for one look-up (a write, a read of a changed file) needs no more;
  // the second files them all in an index, so later ones cost the same
  // whatever the file's size. Safe from several threads.
  const IniSection* findSection(std::string_view name) const;
  const IniLine* findEntry(const IniSection& section, std::string_view name) const;

  std::string_view name(const IniSection& section) const;
  std::string_view name(const IniLine& line) const;
  std::string_view value(const IniLine& line) const;

  // What the profile functions list, each item followed by a NUL: every
  // section header's name, or the lines of a section ("name=value" for an
  // entry, the name alone for a line without '='). Made once, then kept.
  std::string_view sectionNamesList() const;
  std::string_view linesList(const IniSection& section) const;

 private:
  // How the look-ups of one kind are served: by a pass over the rows the
  // first time, by the index, made once, every later time.
  struct LazyIndex {
    std::atomic<bool> used{false};
    std::once_flag made;
    IniNameIndex index;
  };

  void parseLine(size_t begin, size_t contentEnd, size_t end);
  void indexSections() const;
  void indexEntries() const;

  IniText source_;
  std::string lineBreak_ = "\r\n";
  std::vector<IniSection> sections_;
  std::vector<IniLine> lines_;
  mutable LazyIndex sectionIndex_;  // name -> first section of that name
  mutable LazyIndex entryIndex_;    // section and name -> first entry of that name in it
  mutable IniListCache lists_;      // 0: the section names; row + 1: that section's lines
};

// Blanks (spaces and tabs) removed from both ends.
std::string_view trimBlanks(std::string_view text);

// A value as GetPrivateProfileStringA reads it: without one pair of
// matching quotes (" or ') around it when it is at least two characters
// long; unbalanced quotes stay.
std::string_view unquotedValue(std::string_view value);

}  // namespace zarn
