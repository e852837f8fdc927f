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
// - Names compare case-insensitively. Of duplicate sections and of duplicate
//   entries in a section, the first one is found; every header is listed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/native/ini/ini_encoding.h"

namespace zarn {

// Offsets into the document's text.
struct IniLine {
  size_t begin = 0;  // start of the line
  size_t end = 0;    // behind its line end
  size_t nameBegin = 0, nameEnd = 0;
  size_t valueBegin = 0, valueEnd = 0;  // both at the line's trimmed end when there is no value
  bool isEntry = false;                 // the line has '='
};

struct IniSection {
  size_t begin = 0;  // start of the header line
  size_t end = 0;    // start of the next header, or the end of the text
  size_t nameBegin = 0, nameEnd = 0;
  size_t appendAt = 0;         // behind the last line of the section that is not blank or a comment
  std::vector<IniLine> lines;  // entries and other lines, without blank lines and comments
  std::unordered_map<std::string, size_t> entries;  // folded name -> first line of that name
};

class IniDocument {
 public:
  explicit IniDocument(IniText source);

  const std::string& text() const { return source_.text; }
  IniEncoding encoding() const { return source_.encoding; }
  size_t bodyBegin() const { return source_.bodyBegin; }
  // The file's first line end, or CRLF as the platform writes when it has none.
  std::string_view lineBreak() const { return lineBreak_; }

  const std::vector<IniSection>& sections() const { return sections_; }
  // The first section or entry of that name; blanks around name do not count.
  const IniSection* findSection(std::string_view name) const;
  const IniLine* findEntry(const IniSection& section, std::string_view name) const;

  std::string_view name(const IniSection& section) const;
  std::string_view name(const IniLine& line) const;
  std::string_view value(const IniLine& line) const;

 private:
  void parseLine(size_t begin, size_t contentEnd, size_t end);

  IniText source_;
  std::string lineBreak_ = "\r\n";
  std::vector<IniSection> sections_;
  std::unordered_map<std::string, size_t> sectionIndex_;
};

// Blanks (spaces and tabs) removed from both ends.
std::string_view trimBlanks(std::string_view text);

// The form under which names compare: trimmed and upper-cased.
std::string foldIniName(std::string_view name);

}  // namespace zarn
