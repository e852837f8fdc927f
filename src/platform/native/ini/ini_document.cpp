#include "platform/native/ini/ini_document.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "automation/text.h"

namespace zarn {
namespace {

constexpr uint64_t everyByte = 0x0101010101010101;
constexpr uint64_t highBits = 0x80 * everyByte;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

uint32_t offset32(size_t offset) { return static_cast<uint32_t>(offset); }

// The high bit of each byte of word that is zero. Bytes above (at higher
// addresses than) a zero byte may be marked too, never bytes below one.
uint64_t zeroBytes(uint64_t word) { return (word - everyByte) & ~word & highBits; }

// Where the first CR or LF at or behind begin is, or the end of the text.
// Little-endian machines look at eight bytes at a time.
size_t lineEndFrom(std::string_view text, size_t begin) {
  size_t at = begin;
  if constexpr (std::endian::native == std::endian::little) {
    for (; at + 8 <= text.size(); at += 8) {
      uint64_t word = 0;
      std::memcpy(&word, text.data() + at, 8);
      const uint64_t marked =
          zeroBytes(word ^ ('\r' * everyByte)) | zeroBytes(word ^ ('\n' * everyByte));
      if (marked != 0) return at + static_cast<size_t>(std::countr_zero(marked) / 8);
    }
  }
  for (; at < text.size(); ++at) {
    if (text[at] == '\r' || text[at] == '\n') return at;
  }
  return text.size();
}

// What an entry is filed under in the document's entry index: its name
// within its section.
uint32_t entryHash(size_t section, uint32_t nameHash) {
  uint64_t hash = uint64_t{nameHash} << 32 | section;
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCD;
  hash ^= hash >> 33;
  return static_cast<uint32_t>(hash);
}

// The platform reads names and values as C strings: a NUL byte ends the one
// it falls in.
std::string_view upToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view unquotedValue(std::string_view value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

IniDocument::IniDocument(IniText source) : source_(std::move(source)) {
  const std::string_view text = source_.text;
  if (text.size() >= std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("INI text of 4 GiB or more");
  }
  // Room for a line every 16 bytes, more than most files have, so that the
  // lines are rarely moved; pages not written to cost nothing. Huge files
  // start with a million and grow.
  lines_.reserve(std::min<size_t>(text.size() / 16 + 1, size_t{1} << 20));
  size_t begin = source_.bodyBegin;
  bool breakSeen = false;
  while (begin < text.size()) {
    const size_t contentEnd = lineEndFrom(text, begin);
    size_t end = contentEnd;
    if (end < text.size()) {
      end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? size_t{2}
                                                                                   : size_t{1};
      if (!breakSeen) lineBreak_ = text.substr(contentEnd, end - contentEnd);
      breakSeen = true;
    }
    parseLine(begin, contentEnd, end);
    begin = end;
  }
  if (!sections_.empty()) {
    sections_.back().end = offset32(text.size());
    sections_.back().lineEnd = offset32(lines_.size());
  }
}

void IniDocument::parseLine(size_t begin, size_t contentEnd, size_t end) {
  const std::string_view text = source_.text;
  const std::string_view content = trimBlanks(text.substr(begin, contentEnd - begin));
  if (content.empty() || content.front() == ';') return;
  const size_t contentBegin = static_cast<size_t>(content.data() - text.data());

  if (content.front() == '[') {
    const size_t close = content.find(']');
    if (close != std::string_view::npos) {
      if (!sections_.empty()) {
        sections_.back().end = offset32(begin);
        sections_.back().lineEnd = offset32(lines_.size());
      }
      IniSection section;
      section.begin = offset32(begin);
      const std::string_view name = upToNul(trimBlanks(content.substr(1, close - 1)));
      section.nameBegin = offset32(static_cast<size_t>(name.data() - text.data()));
      section.nameEnd = offset32(section.nameBegin + name.size());
      section.nameHash = iniNameHash(name);
      section.appendAt = offset32(end);
      section.firstLine = section.lineEnd = offset32(lines_.size());
      sections_.push_back(section);
      return;
    }
  }
  if (sections_.empty()) return;

  IniLine line;
  line.begin = offset32(begin);
  line.end = offset32(end);
  const size_t equals = content.find('=');
  line.isEntry = equals != std::string_view::npos;
  const std::string_view name =
      upToNul(trimBlanks(line.isEntry ? content.substr(0, equals) : content));
  // A line that a NUL leaves empty is read as a blank line.
  if (name.empty() && !line.isEntry) return;
  const std::string_view value = line.isEntry ? trimBlanks(content.substr(equals + 1)) : "";
  line.nameBegin = offset32(static_cast<size_t>(name.data() - text.data()));
  line.nameEnd = offset32(line.nameBegin + name.size());
  line.valueBegin = offset32(value.empty() ? contentBegin + content.size()
                                           : static_cast<size_t>(value.data() - text.data()));
  line.valueEnd = offset32(line.valueBegin + value.size());
  if (line.isEntry) line.nameHash = iniNameHash(name);
  lines_.push_back(line);
  sections_.back().appendAt = offset32(end);
}

// Files every section under its name, keeping the first of each.
void IniDocument::indexSections() const {
  IniNameIndex& index = sectionIndex_.index;
  index.reserve(sections_.size());
  for (uint32_t row = 0; row < sections_.size(); ++row) {
    const IniSection& section = sections_[row];
    index.add(section.nameHash, row, [&](uint32_t earlier) {
      return iniNamesMatch(name(sections_[earlier]), name(section));
    });
  }
}

// Files every entry under its section and name, keeping the first of each.
void IniDocument::indexEntries() const {
  IniNameIndex& index = entryIndex_.index;
  const auto isEntry = [](const IniLine& line) { return line.isEntry; };
  index.reserve(static_cast<size_t>(std::count_if(lines_.begin(), lines_.end(), isEntry)));
  for (size_t row = 0; row < sections_.size(); ++row) {
    const IniSection& section = sections_[row];
    for (uint32_t at = section.firstLine; at < section.lineEnd; ++at) {
      const IniLine& line = lines_[at];
      if (!line.isEntry) continue;
      // Earlier rows of other sections lie before this one's first line.
      index.add(entryHash(row, line.nameHash), at, [&](uint32_t earlier) {
        return earlier >= section.firstLine && iniNamesMatch(name(lines_[earlier]), name(line));
      });
    }
  }
}

std::span<const IniLine> IniDocument::lines(const IniSection& section) const {
  return std::span(lines_).subspan(section.firstLine, section.lineEnd - section.firstLine);
}

const IniSection* IniDocument::findSection(std::string_view name) const {
  name = trimBlanks(name);
  const uint32_t hash = iniNameHash(name);
  const auto isSought = [&](const IniSection& section) {
    return section.nameHash == hash && iniNamesMatch(this->name(section), name);
  };
  if (!sectionIndex_.used.exchange(true)) {
    const auto found = std::find_if(sections_.begin(), sections_.end(), isSought);
    return found == sections_.end() ? nullptr : &*found;
  }
  std::call_once(sectionIndex_.made, [this] { indexSections(); });
  const auto found =
      sectionIndex_.index.find(hash, [&](uint32_t row) { return isSought(sections_[row]); });
  return found ? &sections_[*found] : nullptr;
}

const IniLine* IniDocument::findEntry(const IniSection& section, std::string_view name) const {
  name = trimBlanks(name);
  const uint32_t hash = iniNameHash(name);
  const auto isSought = [&](const IniLine& line) {
    return line.isEntry && line.nameHash == hash && iniNamesMatch(this->name(line), name);
  };
  if (!entryIndex_.used.exchange(true)) {
    const std::span<const IniLine> candidates = lines(section);
    const auto found = std::find_if(candidates.begin(), candidates.end(), isSought);
    return found == candidates.end() ? nullptr : &*found;
  }
  std::call_once(entryIndex_.made, [this] { indexEntries(); });
  const size_t row = static_cast<size_t>(&section - sections_.data());
  const auto found = entryIndex_.index.find(entryHash(row, hash), [&](uint32_t at) {
    return at >= section.firstLine && at < section.lineEnd && isSought(lines_[at]);
  });
  return found ? &lines_[*found] : nullptr;
}

std::string_view IniDocument::name(const IniSection& section) const {
  return std::string_view(source_.text)
      .substr(section.nameBegin, section.nameEnd - section.nameBegin);
}

std::string_view IniDocument::name(const IniLine& line) const {
  return std::string_view(source_.text).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string_view IniDocument::value(const IniLine& line) const {
  return upToNul(
      std::string_view(source_.text).substr(line.valueBegin, line.valueEnd - line.valueBegin));
}

std::string_view IniDocument::sectionNamesList() const {
  return lists_.get(0, [this] {
    std::string list;
    for (const IniSection& section : sections_) list.append(name(section)).push_back('\0');
    return list;
  });
}

std::string_view IniDocument::linesList(const IniSection& section) const {
  const size_t row = static_cast<size_t>(&section - sections_.data());
  return lists_.get(row + 1, [&] {
    std::string list;
    for (const IniLine& line : lines(section)) {
      list.append(name(line));
      if (line.isEntry) list.append("=").append(value(line));
      list.push_back('\0');
    }
    return list;
  });
}

}  // namespace zarn
