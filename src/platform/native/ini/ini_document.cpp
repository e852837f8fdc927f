#include "platform/native/ini/ini_document.h"

#include <algorithm>

#include "automation/text.h"

namespace zarn {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string foldIniName(std::string_view name) {
  name = trimBlanks(name);
  const bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) return textToUtf8(upperCase(utf8ToText(name)));
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

IniDocument::IniDocument(IniText source) : source_(std::move(source)) {
  const std::string_view text = source_.text;
  size_t begin = source_.bodyBegin;
  bool breakSeen = false;
  while (begin < text.size()) {
    const size_t contentEnd = std::min(text.find_first_of("\r\n", begin), text.size());
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
  if (!sections_.empty()) sections_.back().end = text.size();
}

void IniDocument::parseLine(size_t begin, size_t contentEnd, size_t end) {
  const std::string_view text = source_.text;
  const std::string_view content = trimBlanks(text.substr(begin, contentEnd - begin));
  if (content.empty() || content.front() == ';') return;
  const size_t contentBegin = static_cast<size_t>(content.data() - text.data());

  if (content.front() == '[') {
    const size_t close = content.find(']');
    if (close != std::string_view::npos) {
      if (!sections_.empty()) sections_.back().end = begin;
      IniSection section;
      section.begin = begin;
      const std::string_view name = trimBlanks(content.substr(1, close - 1));
      section.nameBegin = static_cast<size_t>(name.data() - text.data());
      section.nameEnd = section.nameBegin + name.size();
      section.appendAt = end;
      sectionIndex_.try_emplace(foldIniName(name), sections_.size());
      sections_.push_back(std::move(section));
      return;
    }
  }
  if (sections_.empty()) return;

  IniSection& section = sections_.back();
  IniLine line;
  line.begin = begin;
  line.end = end;
  const size_t equals = content.find('=');
  line.isEntry = equals != std::string_view::npos;
  const std::string_view name = trimBlanks(line.isEntry ? content.substr(0, equals) : content);
  const std::string_view value = line.isEntry ? trimBlanks(content.substr(equals + 1)) : "";
  line.nameBegin = static_cast<size_t>(name.data() - text.data());
  line.nameEnd = line.nameBegin + name.size();
  line.valueBegin = value.empty() ? contentBegin + content.size()
                                  : static_cast<size_t>(value.data() - text.data());
  line.valueEnd = line.valueBegin + value.size();
  if (line.isEntry) section.entries.try_emplace(foldIniName(name), section.lines.size());
  section.lines.push_back(line);
  section.appendAt = end;
}

const IniSection* IniDocument::findSection(std::string_view name) const {
  const auto found = sectionIndex_.find(foldIniName(name));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const IniLine* IniDocument::findEntry(const IniSection& section, std::string_view name) const {
  const auto found = section.entries.find(foldIniName(name));
  return found == section.entries.end() ? nullptr : &section.lines[found->second];
}

std::string_view IniDocument::name(const IniSection& section) const {
  return std::string_view(source_.text)
      .substr(section.nameBegin, section.nameEnd - section.nameBegin);
}

std::string_view IniDocument::name(const IniLine& line) const {
  return std::string_view(source_.text).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string_view IniDocument::value(const IniLine& line) const {
  return std::string_view(source_.text).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

}  // namespace zarn
