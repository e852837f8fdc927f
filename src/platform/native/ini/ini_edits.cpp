#include "platform/native/ini/ini_edits.h"

namespace zarn {
namespace {

bool endsLine(const std::string& text, size_t position, size_t bodyBegin) {
  return position <= bodyBegin || text[position - 1] == '\n' || text[position - 1] == '\r';
}

std::string spliced(const std::string& text, size_t begin, size_t end, std::string_view insert) {
  std::string result;
  result.reserve(text.size() - (end - begin) + insert.size());
  result.append(text, 0, begin);
  result.append(insert);
  result.append(text, end);
  return result;
}

// Inserts a whole line at position, which is the end of a line; the file's
// last line gets a line end first when it has none.
std::string withLineAt(const IniDocument& document, size_t position, std::string_view line) {
  const std::string& text = document.text();
  std::string insert;
  if (endsLine(text, position, document.bodyBegin())) {
    insert.append(line).append(document.lineBreak());
  } else {
    insert.append(document.lineBreak()).append(line);
  }
  return spliced(text, position, position, insert);
}

}  // namespace

std::optional<std::string> withValue(const IniDocument& document, std::string_view section,
                                     std::string_view key, std::string_view value) {
  const std::string& text = document.text();
  const IniSection* found = document.findSection(section);
  if (found == nullptr) {
    std::string lines;
    lines.append("[").append(section).append("]").append(document.lineBreak());
    lines.append(key).append("=").append(value);
    std::string result = withLineAt(document, text.size(), lines);
    if (!result.ends_with(document.lineBreak())) result.append(document.lineBreak());
    return result;
  }
  if (const IniLine* entry = document.findEntry(*found, key)) {
    if (document.value(*entry) == value) return std::nullopt;
    return spliced(text, entry->valueBegin, entry->valueEnd, value);
  }
  std::string line;
  line.append(key).append("=").append(value);
  return withLineAt(document, found->appendAt, line);
}

std::optional<std::string> withoutEntry(const IniDocument& document, std::string_view section,
                                        std::string_view key) {
  const IniSection* found = document.findSection(section);
  const IniLine* entry = found == nullptr ? nullptr : document.findEntry(*found, key);
  if (entry == nullptr) return std::nullopt;
  return spliced(document.text(), entry->begin, entry->end, "");
}

std::optional<std::string> withoutSection(const IniDocument& document, std::string_view section) {
  const IniSection* found = document.findSection(section);
  if (found == nullptr) return std::nullopt;
  return spliced(document.text(), found->begin, found->end, "");
}

}  // namespace zarn
