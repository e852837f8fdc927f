#include "reg/reg_file.h"

#include <optional>

#include "narrow_utf8.h"

namespace zarn::cli {
namespace {

constexpr std::u16string_view blanks = u" \t";

std::u16string_view trimLeft(std::u16string_view text) {
  const size_t start = text.find_first_not_of(blanks);
  return start == std::u16string_view::npos ? std::u16string_view() : text.substr(start);
}

std::u16string_view trimRight(std::u16string_view text) {
  const size_t end = text.find_last_not_of(blanks);
  return end == std::u16string_view::npos ? std::u16string_view() : text.substr(0, end + 1);
}

bool startsWithWord(std::u16string_view text, std::u16string_view word) {
  return text.size() >= word.size() && equalsIgnoringCase(text.substr(0, word.size()), word);
}

std::vector<Text> splitLines(std::u16string_view text) {
  std::vector<Text> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text.substr(end).starts_with(u"\r\n") ? 2 : 1);
  }
  return lines;
}

struct Malformed {
  std::string message;
};

class Reader {
 public:
  Reader(RegFileForm form, FileEncoding encoding) : encoding_(encoding) { file_.form = form; }

  void readLine(std::u16string_view line) {
    if (line.empty() || line.front() == u';' || line.front() == u'#') return;
    if (line.front() == u'[') return readKey(line);
    if (line.front() == u'"' || line.front() == u'@') return readValue(line);
    throw Malformed{"not a [KEY], a value or a comment"};
  }

  RegFile& file() { return file_; }

 private:
  void readKey(std::u16string_view line) {
    if (line.back() != u']') throw Malformed{"a key name without its closing ']'"};
    std::u16string_view inner = line.substr(1, line.size() - 2);
    const bool remove = inner.starts_with(u'-');
    if (remove) inner.remove_prefix(1);
    const std::optional<KeyName> key = parseKeyName(textToUtf8(inner));
    if (!key) throw Malformed{"an unknown root key or a malformed key name"};
    if (remove && key->isRoot()) throw Malformed{"a root key cannot be deleted"};
    file_.keys.push_back({*key, remove, {}});
  }

  void readValue(std::u16string_view line) {
    if (file_.keys.empty()) throw Malformed{"a value before the first [KEY]"};
    if (file_.keys.back().remove) throw Malformed{"a value under a key that is being deleted"};
    RegFileValue value;
    std::u16string_view rest = line.substr(1);
    if (line.front() == u'"') value.name = toNarrow(readQuoted(rest));
    rest = trimLeft(rest);
    if (!rest.starts_with(u'=')) throw Malformed{"no '=' after the value name"};
    readData(trimLeft(rest.substr(1)), value);
    file_.keys.back().values.push_back(std::move(value));
  }

  // The text of a quoted string whose opening quote was already read;
  // rest moves past the closing quote.
  static Text readQuoted(std::u16string_view& rest) {
    Text text;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == u'"') {
        rest.remove_prefix(i + 1);
        return text;
      }
      if (rest[i] != u'\\') {
        text += rest[i];
        continue;
      }
      if (++i == rest.size()) break;
      switch (rest[i]) {
        case u'\\': text += u'\\'; break;
        case u'"': text += u'"'; break;
        case u'n': text += u'\n'; break;
        default:
          throw Malformed{"an unknown escape \\" + textToUtf8(rest.substr(i, 1)) + " in a string"};
      }
    }
    throw Malformed{"a string without its closing quote"};
  }

  void readData(std::u16string_view data, RegFileValue& value) {
    if (data == u"-") {
      value.remove = true;
    } else if (data.starts_with(u'"')) {
      data.remove_prefix(1);
      value.type = value_type::Text;
      value.data = toNarrow(readQuoted(data)) + '\0';
      if (!trimLeft(data).empty()) throw Malformed{"text after the closing quote"};
    } else if (startsWithWord(data, u"dword:")) {
      value.type = value_type::Number;
      const std::string digits = textToUtf8(data.substr(6));
      const std::optional<uint64_t> number = hexNumber(digits, 8);
      if (!number) throw Malformed{"dword: needs 1 to 8 hex digits"};
      for (int shift = 0; shift < 32; shift += 8) value.data += static_cast<char>(*number >> shift);
    } else if (startsWithWord(data, u"hex:")) {
      value.type = value_type::Binary;
      value.data = readHexBytes(data.substr(4));
    } else if (startsWithWord(data, u"hex(")) {
      const size_t close = data.find(u"):");
      const std::optional<uint64_t> type =
          close == std::u16string_view::npos ? std::nullopt
                                             : hexNumber(textToUtf8(data.substr(4, close - 4)), 8);
      if (!type) throw Malformed{"hex(N): needs a type of 1 to 8 hex digits"};
      value.type = static_cast<uint32_t>(*type);
      value.data = storedText(readHexBytes(data.substr(close + 2)), value.type);
    } else {
      throw Malformed{"data that is not \"text\", dword:, hex: or hex(N):, nor - to delete"};
    }
  }

  static std::optional<uint64_t> hexNumber(const std::string& digits, size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    uint64_t number = 0;
    for (const char c : digits) {
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return std::nullopt;
      number = number * 16 + static_cast<uint64_t>(digit);
    }
    return number;
  }

  static std::string readHexBytes(std::u16string_view list) {
    std::string bytes;
    list = trimRight(list);
    while (!list.empty()) {
      const size_t comma = list.find(u',');
      const std::u16string_view item = trimRight(trimLeft(list.substr(0, comma)));
      const std::optional<uint64_t> byte = hexNumber(textToUtf8(item), 2);
      if (!byte) throw Malformed{"'" + textToUtf8(item) + "' is not a hex byte"};
      bytes += static_cast<char>(*byte);
      if (comma == std::u16string_view::npos) break;
      list = trimLeft(list.substr(comma + 1));
    }
    return bytes;
  }

  // Text types carry file text in their hex data: UTF-16LE in version 5.00,
  // 8-bit text in REGEDIT4. The store takes it in the narrow code page.
  std::string storedText(const std::string& bytes, uint32_t type) const {
    if (!isTextType(type)) return bytes;
    if (file_.form == RegFileForm::Version5) {
      if (bytes.size() % 2) throw Malformed{"UTF-16 text data with an odd number of bytes"};
      return toNarrow(textOfUtf16le(bytes));
    }
    const FileEncoding eightBit =
        encoding_ == FileEncoding::Utf16le ? FileEncoding::Utf8 : encoding_;
    return toNarrow(textOf8bit(bytes, eightBit));
  }

  FileEncoding encoding_;
  RegFile file_;
};

}  // namespace

std::variant<RegFile, RegFileError> readRegFile(std::string_view bytes) {
  FileEncoding encoding;
  const std::vector<Text> lines = splitLines(decodeFileText(bytes, encoding));
  size_t next = 0;
  while (next < lines.size() && trimRight(lines[next]).empty()) ++next;
  if (next == lines.size()) return RegFileError{1, "an empty file, not a registry file"};
  const std::u16string_view header = trimRight(lines[next]);
  std::optional<RegFileForm> form;
  if (header == u"Windows Registry Editor Version 5.00") form = RegFileForm::Version5;
  if (header == u"REGEDIT4") form = RegFileForm::Regedit4;
  if (!form) {
    return RegFileError{static_cast<int>(next + 1),
                        "not a registry file: the first line must be \"Windows Registry Editor "
                        "Version 5.00\" or \"REGEDIT4\""};
  }
  Reader reader(*form, encoding);
  for (++next; next < lines.size(); ++next) {
    const int lineNumber = static_cast<int>(next + 1);
    Text line(trimRight(trimLeft(lines[next])));
    while (!line.empty() && line.front() != u';' && line.back() == u'\\') {
      if (++next == lines.size())
        return RegFileError{lineNumber, "the last line ends in a continuation"};
      line.pop_back();
      line += trimRight(trimLeft(lines[next]));
    }
    try {
      reader.readLine(line);
    } catch (const Malformed& problem) {
      return RegFileError{lineNumber, problem.message};
    }
  }
  return std::move(reader.file());
}

namespace {

// Windows-1252 at 0x80..0x9F; the five holes stay as their C1 code points.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

Text windows1252Text(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    text += byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : char16_t(byte);
  }
  return text;
}

size_t sequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    const size_t length = sequenceLength(lead);
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<uint8_t>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    if (length > 2) {
      const auto second = static_cast<uint8_t>(bytes[i + 1]);
      // Overlong forms, surrogates and code points past U+10FFFF.
      if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
          (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return false;
      }
    }
    i += length;
  }
  return true;
}

Text decodeFileText(std::string_view bytes, FileEncoding& encoding) {
  if (bytes.starts_with("\xFF\xFE")) {
    encoding = FileEncoding::Utf16le;
    return textOfUtf16le(bytes.substr(2));
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  encoding = isValidUtf8(bytes) ? FileEncoding::Utf8 : FileEncoding::Windows1252;
  return textOf8bit(bytes, encoding);
}

std::string utf16leBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(2 * text.size());
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

Text textOfUtf16le(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                  static_cast<uint8_t>(bytes[i + 1]) << 8);
  }
  return text;
}

Text textOf8bit(std::string_view bytes, FileEncoding encoding) {
  return encoding == FileEncoding::Windows1252 ? windows1252Text(bytes) : utf8ToText(bytes);
}

}  // namespace zarn::cli
