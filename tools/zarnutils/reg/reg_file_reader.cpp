// How the platform's reg import reads a .reg file, line by line: a line it
// cannot use is skipped and the rest is read, and each skip is kept with its
// line number and the reason, so that the import can say what it left out
// (and --strict can refuse the file). Windows' own rules, as its
// conformance checks pin them down:
//   - the first line is the header, after any blanks: REGEDIT4 or "Windows
//     Registry Editor Version 5.00" exactly; REGEDIT alone is the Windows
//     3.1 form; any other line starting REGEDIT is taken but nothing of the
//     file is read; anything else is not a registry file;
//   - a line is read up to its first NUL, and the rest of it is lost;
//   - blanks may open any line; a line that is not [KEY], [-KEY], "name"=,
//     @= or a comment is skipped, and so is a key line with a blank after
//     '[' or no ']' (the key before it stays the one values go to); the key
//     name ends at the line's last ']', and its path goes to the registry as
//     written, where Sub\\ and Sub\\\\ name Sub;
//   - after = : "text" (escapes \\ \" \n \r; a \0 skips the line; any other
//     escaped character stands for itself), dword: with 1 to 8 hex digits,
//     hex: or hex(N): with comma-separated bytes, or - to delete; only blanks
//     and a ;comment may follow, and only in lower case are the type words
//     known;
//   - hex data continues over lines while a line ends in a backslash (a
//     ;comment may follow it); blank and ;comment lines inside are passed
//     over; a line that does not start with a hex digit ends the value
//     unread and is itself lost;
//   - text types read from hex data end in a NUL, added when missing; in a
//     UTF-16 file their bytes are UTF-16LE, in an 8-bit file 8-bit text;
//   - values after [-KEY], or after a key whose root is unknown, are skipped.
#include "reg/reg_file.h"

#include <optional>

namespace zarn::cli {
namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view skipBlanks(std::u16string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::u16string_view trimRight(std::u16string_view text) {
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Only blanks, then the end or a ;comment.
bool endsHere(std::u16string_view rest) {
  rest = skipBlanks(rest);
  return rest.empty() || rest.front() == u';';
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// One line of the file: its text up to its first NUL, as the platform's
// reader takes each line as a C string, and where that NUL was.
struct Line {
  std::u16string_view text;
  std::optional<size_t> nulColumn;  // 1 for a line that begins with a NUL
};

// Lines end at CR, LF or CRLF.
std::vector<Line> splitLines(std::u16string_view text) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    const std::u16string_view line =
        text.substr(start, end == std::u16string_view::npos ? end : end - start);
    const size_t nul = line.find(u'\0');
    lines.push_back({line.substr(0, nul), nul == std::u16string_view::npos
                                              ? std::nullopt
                                              : std::optional<size_t>(nul + 1)});
    if (end == std::u16string_view::npos) break;
    start = end + (text.substr(end).starts_with(u"\r\n") ? 2 : 1);
  }
  return lines;
}

// What the platform leaves unread of a line holding a NUL: everything from
// the NUL on, which goes without a word there.
std::string unreadAfterNul(size_t column) {
  if (column == 1) return "the line begins with a NUL, and Windows reads a line only up to a NUL";
  return "a NUL at column " + std::to_string(column) +
         ": Windows reads a line only up to a NUL, so the rest of it is lost";
}

struct Skip {
  std::string reason;
};

class Reader {
 public:
  Reader(RegFile& file, FileEncoding encoding) : file_(file), encoding_(encoding) {}

  void readLines(const std::vector<Line>& lines, size_t first) {
    for (size_t next = first; next < lines.size(); ++next) {
      const int number = static_cast<int>(next + 1);
      const std::u16string_view text = lines[next].text;
      line_ = number;
      try {
        if (pending_) {
          continueHex(text, number);
        } else if (file_.form == RegFileForm::Windows31) {
          readWindows31Line(text);
        } else {
          readLine(text, number);
        }
        if (lines[next].nulColumn) throw Skip{unreadAfterNul(*lines[next].nulColumn)};
      } catch (const Skip& skip) {
        file_.skipped.push_back({number, skip.reason});
      }
    }
    if (pending_) finishHex();
  }

 private:
  struct PendingHex {
    RegFileValue value;
    std::string bytes;
    int line;
  };

  void readLine(std::u16string_view line, int number) {
    line = skipBlanks(line);
    if (line.empty() || line.front() == u';' || line.front() == u'#') return;
    if (line.front() == u'[') return readKey(line.substr(1), number);
    RegFileValue value;
    value.line = number;
    std::u16string_view rest;
    if (line.front() == u'@') {
      rest = line.substr(1);
    } else if (line.front() == u'"') {
      rest = line.substr(1);
      value.name = textToUtf8(readQuoted(rest, "value name"));
    } else {
      throw Skip{"not a [KEY], a value or a comment"};
    }
    rest = skipBlanks(rest);
    if (!rest.starts_with(u'=')) throw Skip{"no '=' after the value name"};
    readData(trimRight(skipBlanks(rest.substr(1))), value);
  }

  void readKey(std::u16string_view inner, int number) {
    if (inner.empty() || isBlank(inner.front())) throw Skip{"nothing or a blank after '['"};
    const size_t close = inner.rfind(u']');
    if (close == std::u16string_view::npos) throw Skip{"a key name without its closing ']'"};
    inner = inner.substr(0, close);
    const bool remove = inner.starts_with(u'-');
    if (remove) inner.remove_prefix(1);
    keyState_ = remove ? KeyState::Deleted : KeyState::None;
    const std::optional<KeyName> key = fileKeyName(textToUtf8(inner));
    if (!key) throw Skip{"an unknown root key or a malformed key name"};
    if (remove && key->isRoot()) throw Skip{"a root key cannot be deleted"};
    file_.keys.push_back({*key, remove, number, {}});
    if (!remove) keyState_ = KeyState::Open;
  }

  // The root, then the path as written, which goes to the registry
  // unchanged: its own rule passes over repeated and trailing backslashes
  // (Sub\\ and Sub\\\\ open Sub) and refuses one at the start of a path.
  static std::optional<KeyName> fileKeyName(std::string_view written) {
    const size_t separator = written.find('\\');
    std::optional<KeyName> key = parseKeyName(written.substr(0, separator));
    if (key && separator != std::string_view::npos) key->path = written.substr(separator + 1);
    return key;
  }

  // The text of a quoted string whose opening quote was already read; rest
  // moves past the closing quote.
  static Text readQuoted(std::u16string_view& rest, const char* what) {
    Text text;
    for (size_t i = 0; i < rest.size(); ++i) {
      const char16_t c = rest[i];
      if (c == u'"') {
        rest.remove_prefix(i + 1);
        return text;
      }
      if (c != u'\\') {
        text += c;
        continue;
      }
      if (++i == rest.size()) break;
      switch (rest[i]) {
        case u'n': text += u'\n'; break;
        case u'r': text += u'\r'; break;
        case u'0': throw Skip{std::string("a \\0 in a ") + what + ", which Windows does not read"};
        default: text += rest[i]; break;
      }
    }
    throw Skip{std::string("a ") + what + " without its closing quote"};
  }

  void readData(std::u16string_view data, RegFileValue& value) {
    if (data.starts_with(u'-')) {
      if (!endsHere(data.substr(1))) throw Skip{"text after '-'"};
      value.remove = true;
      return set(std::move(value));
    }
    if (data.starts_with(u'"')) {
      data.remove_prefix(1);
      const Text text = readQuoted(data, "string");
      if (!endsHere(data)) throw Skip{"text after the closing quote"};
      value.type = ValueType::Text;
      value.data = utf16leBytes(text + u'\0');
      return set(std::move(value));
    }
    if (data.starts_with(u"dword:")) return readNumber(data.substr(6), value);
    if (data.starts_with(u"hex:")) {
      value.type = ValueType::Binary;
      return startHex(data.substr(4), std::move(value));
    }
    if (data.starts_with(u"hex(")) {
      const size_t close = data.find(u"):");
      uint64_t type = 0;
      bool valid = close != std::u16string_view::npos && close > 4 && close <= 12;
      for (size_t i = 4; valid && i < close; ++i) {
        const int digit = hexDigit(data[i]);
        valid = digit >= 0;
        type = type * 16 + static_cast<uint64_t>(digit < 0 ? 0 : digit);
      }
      if (!valid || type > 0xFFFFFFFFu) throw Skip{"hex(N): needs a type of 1 to 8 hex digits"};
      value.type = static_cast<ValueType>(type);
      return startHex(data.substr(close + 2), std::move(value));
    }
    throw Skip{"data that is not \"text\", dword:, hex: or hex(N): (in lower case), nor -"};
  }

  void readNumber(std::u16string_view digits, RegFileValue& value) {
    digits = skipBlanks(digits);
    uint32_t number = 0;
    size_t count = 0;
    while (count < digits.size() && hexDigit(digits[count]) >= 0) {
      number = number * 16 + static_cast<uint32_t>(hexDigit(digits[count]));
      ++count;
    }
    if (count == 0 || count > 8 || !endsHere(digits.substr(count))) {
      throw Skip{"dword: needs 1 to 8 hex digits and nothing after them but a ;comment"};
    }
    value.type = ValueType::Number;
    for (int shift = 0; shift < 32; shift += 8) value.data += static_cast<char>(number >> shift);
    set(std::move(value));
  }

  void startHex(std::u16string_view list, RegFileValue value) {
    const int line = value.line;
    pending_ = PendingHex{std::move(value), {}, line};
    if (list.empty()) return finishHex();
    readHexList(list);
  }

  // Bytes of one line of hex data; the value is set at its last line.
  void readHexList(std::u16string_view list) {
    std::string& bytes = pending_->bytes;
    while (!list.empty()) {
      list = skipBlanks(list);
      unsigned byte = 0;
      size_t count = 0;
      while (count < list.size() && hexDigit(list[count]) >= 0) {
        byte = byte * 16 + static_cast<unsigned>(hexDigit(list[count]));
        if (byte > 0xFF) dropHex("a hex byte over ff");
        ++count;
      }
      if (count == 0) {
        if (list.starts_with(u'\\')) {
          if (!endsHere(list.substr(1))) dropHex("text after the continuing backslash");
          return;  // the next line goes on
        }
        if (list.starts_with(u';')) break;
        dropHex("hex data that is not comma-separated bytes");
      }
      bytes += static_cast<char>(byte);
      list.remove_prefix(count);
      if (list.starts_with(u',')) {
        list.remove_prefix(1);
        continue;
      }
      if (!endsHere(list)) dropHex("hex data that is not comma-separated bytes");
      break;
    }
    finishHex();
  }

  void continueHex(std::u16string_view line, int number) {
    line = skipBlanks(line);
    if (line.empty() || line.front() == u';') return;
    if (hexDigit(line.front()) < 0) {
      const int valueLine = pending_->line;
      pending_.reset();
      file_.skipped.push_back({valueLine, "its hex data continues into line " +
                                              std::to_string(number) + ", which is not hex data"});
      throw Skip{"taken as the continuation of line " + std::to_string(valueLine)};
    }
    readHexList(line);
  }

  // The value whose hex data this line holds is dropped with the line.
  [[noreturn]] void dropHex(const std::string& reason) {
    const int valueLine = pending_->line;
    pending_.reset();
    if (valueLine == line_) throw Skip{reason};
    file_.skipped.push_back({valueLine, reason + " in line " + std::to_string(line_)});
    throw Skip{"the continuation of line " + std::to_string(valueLine) + ": " + reason};
  }

  void finishHex() {
    PendingHex hex = std::move(*pending_);
    pending_.reset();
    try {
      hex.value.data = storedBytes(hex.bytes, hex.value.type);
      set(std::move(hex.value));
    } catch (const Skip& skip) {
      file_.skipped.push_back({hex.line, skip.reason});
    }
  }

  // Text types carry file text in their hex data, ending in a NUL that is
  // added when missing; they are stored in Windows' own form, UTF-16LE.
  std::string storedBytes(const std::string& bytes, ValueType type) const {
    if (!isTextType(type) || bytes.empty()) return bytes;
    Text text;
    if (encoding_ == FileEncoding::Utf16le) {
      if (bytes.size() % 2) throw Skip{"UTF-16 text data with an odd number of bytes"};
      text = textOfUtf16le(bytes);
    } else {
      text = textOf8bit(bytes, encoding_);
    }
    if (text.back() != u'\0') text += u'\0';
    return utf16leBytes(text);
  }

  void set(RegFileValue value) {
    if (keyState_ == KeyState::Deleted) throw Skip{"a value under a key that is being deleted"};
    if (keyState_ == KeyState::None) throw Skip{"a value with no key open for it"};
    file_.keys.back().values.push_back(std::move(value));
  }

  // REGEDIT's lines: HKEY_CLASSES_ROOT\path, then the default value's text
  // after blanks, an optional '=' and at most one more blank.
  void readWindows31Line(std::u16string_view line) {
    if (!line.starts_with(u"HKEY_CLASSES_ROOT")) {
      if (!skipBlanks(line).empty()) throw Skip{"not a HKEY_CLASSES_ROOT line"};
      return;
    }
    const size_t keyEnd = std::min(line.find_first_of(u" \t"), line.size());
    std::u16string_view value = skipBlanks(line.substr(keyEnd));
    if (value.starts_with(u'=')) value.remove_prefix(1);
    if (value.starts_with(u' ')) value.remove_prefix(1);
    const std::optional<KeyName> key = fileKeyName(textToUtf8(line.substr(0, keyEnd)));
    if (!key) throw Skip{"a malformed key name"};
    file_.keys.push_back({*key, false, line_, {}});
    file_.keys.back().values.push_back(
        {"", false, ValueType::Text, utf16leBytes(Text(value) + u'\0'), line_});
  }

  enum class KeyState { None, Open, Deleted };

  RegFile& file_;
  FileEncoding encoding_;
  KeyState keyState_ = KeyState::None;
  std::optional<PendingHex> pending_;
  int line_ = 0;
};

std::string sizeText(size_t bytes) {
  constexpr size_t mebibyte = size_t{1} << 20;
  if (bytes % (1024 * mebibyte) == 0) return std::to_string(bytes / (1024 * mebibyte)) + " GiB";
  if (bytes % mebibyte == 0) return std::to_string(bytes / mebibyte) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

bool RegFileGatherer::add(std::string_view piece) {
  if (problem_) return false;
  if (piece.size() > maxFileBytes_ - bytes_.size()) {
    problem_ = RegFileError{
        0, "larger than " + sizeText(maxFileBytes_) + ", the most a .reg file may hold"};
    return false;
  }
  bytes_ += piece;
  // The encoding is known from the first two bytes, the byte order mark.
  if (bytes_.size() < 2) return true;
  const size_t width = bytes_.starts_with("\xFF\xFE") ? 2 : 1;
  for (; scanned_ + width <= bytes_.size(); scanned_ += width) {
    const unsigned unit =
        static_cast<uint8_t>(bytes_[scanned_]) |
        (width == 2 ? static_cast<unsigned>(static_cast<uint8_t>(bytes_[scanned_ + 1])) << 8 : 0u);
    const bool crlf = afterCr_ && unit == '\n';
    afterCr_ = unit == '\r';
    if (crlf) continue;
    if (unit == '\r' || unit == '\n') {
      ++line_;
      lineBytes_ = 0;
    } else if ((lineBytes_ += width) > maxLineBytes_) {
      problem_ = RegFileError{
          line_, "longer than " + sizeText(maxLineBytes_) + ", the most one line may hold"};
      return false;
    }
  }
  return true;
}

std::variant<RegFile, RegFileError> readRegFile(std::string_view bytes) {
  FileEncoding encoding;
  const Text text = decodeFileText(bytes, encoding);
  const std::vector<Line> lines = splitLines(text);
  if (lines.empty()) return RegFileError{1, "an empty file, not a registry file"};
  const std::u16string_view header = skipBlanks(lines[0].text);
  RegFile file;
  if (header == u"Windows Registry Editor Version 5.00") {
    file.form = RegFileForm::Version5;
  } else if (header == u"REGEDIT4") {
    file.form = RegFileForm::Regedit4;
  } else if (header == u"REGEDIT") {
    file.form = RegFileForm::Windows31;
  } else if (header.starts_with(u"REGEDIT")) {
    file.readsNothing = true;
    return file;
  } else {
    return RegFileError{1,
                        "not a registry file: the first line must be \"Windows Registry Editor "
                        "Version 5.00\" or \"REGEDIT4\""};
  }
  if (lines[0].nulColumn) file.skipped.push_back({1, unreadAfterNul(*lines[0].nulColumn)});
  Reader(file, encoding).readLines(lines, 1);
  return file;
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

Text textOf8bit(std::string_view bytes, FileEncoding encoding) {
  return encoding == FileEncoding::Windows1252 ? windows1252Text(bytes) : utf8ToText(bytes);
}

}  // namespace zarn::cli
