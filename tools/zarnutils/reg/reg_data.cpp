// Value data as reg.exe takes it after /d and shows it in a query, and the
// type names both ways.
#include "reg/reg.h"

#include <cstdio>

#include "narrow_utf8.h"

namespace zarn::cli {
namespace {

struct TypeName {
  uint32_t code;
  const char* name;
  bool acceptedByAdd;  // the rest are only ever shown
};

// The first name of a code is the one shown; REG_DWORD_LITTLE_ENDIAN is
// another name for REG_DWORD.

constexpr TypeName typeNames[] = {
    {value_type::None, "REG_NONE", true},
    {value_type::Text, "REG_SZ", true},
    {value_type::ExpandText, "REG_EXPAND_SZ", true},
    {value_type::Binary, "REG_BINARY", true},
    {value_type::Number, "REG_DWORD", true},
    {value_type::Number, "REG_DWORD_LITTLE_ENDIAN", true},
    {value_type::NumberBigEndian, "REG_DWORD_BIG_ENDIAN", true},
    {6, "REG_LINK", false},
    {value_type::MultiText, "REG_MULTI_SZ", true},
    {8, "REG_RESOURCE_LIST", false},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    {value_type::Number64, "REG_QWORD", true},
};

}  // namespace

std::optional<uint32_t> typeCodeOfName(std::string_view name) {
  for (const TypeName& type : typeNames) {
    if (type.acceptedByAdd && sameWord(name, type.name)) return type.code;
  }
  return std::nullopt;
}

std::string typeNameOfCode(uint32_t code) {
  for (const TypeName& type : typeNames) {
    if (type.code == code) return type.name;
  }
  char unnamed[16];
  std::snprintf(unnamed, sizeof unnamed, "0x%x", static_cast<unsigned>(code));
  return unnamed;
}

bool isTextType(uint32_t code) {
  return code == value_type::Text || code == value_type::ExpandText ||
         code == value_type::MultiText;
}

namespace {

// /d's number syntax: decimal digits, or 0x (or 0X) and hexadecimal digits.
// written: the text is a number so written, whatever its size; value: the
// number, when it is at most maximum.
struct NumberText {
  bool written = true;
  std::optional<uint64_t> value;
};

NumberText readNumber(std::string_view text, uint64_t maximum) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return {false, std::nullopt};
  uint64_t number = 0;
  bool fits = true;
  for (const char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return {false, std::nullopt};
    if (fits && number > (maximum - digit) / base) fits = false;
    if (fits) number = number * base + digit;
  }
  return {true, fits ? std::optional<uint64_t>(number) : std::nullopt};
}

// A REG_QWORD's negative decimal, which wraps as the C library's conversion
// does: -1 is 0xFFFFFFFFFFFFFFFF.
bool isNegativeDecimal(std::string_view text) {
  return text.starts_with('-') && !text.substr(1).starts_with("0x") &&
         !text.substr(1).starts_with("0X");
}

std::string numberBytes(uint64_t number, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return bytes;
}

std::optional<std::string> hexBytes(std::string_view text) {
  std::string digits(text.size() % 2 ? "0" : "");
  digits += text;
  std::string bytes;
  for (size_t i = 0; i < digits.size(); i += 2) {
    const std::optional<uint64_t> byte = readNumber("0x" + digits.substr(i, 2), 0xFF).value;
    if (!byte) return std::nullopt;
    bytes += static_cast<char>(*byte);
  }
  return bytes;
}

// reg.exe's rules: one separator may end the list ("a#" is the list "a",
// and "#" alone the list of one empty string), but no string between
// separators may be empty ("a##b", "#a").
std::optional<std::string> multiTextBytes(std::string_view text, std::string_view separator) {
  if (text.empty()) return std::string(1, '\0');
  std::vector<std::string_view> pieces;
  for (size_t start = 0;;) {
    const size_t end = text.find(separator, start);
    pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + separator.size();
  }
  if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();
  std::string bytes;
  for (const std::string_view piece : pieces) {
    if (piece.empty() && pieces.size() > 1) return std::nullopt;
    bytes += narrowFromUtf8(piece) + '\0';
  }
  return bytes + '\0';
}

std::string lowerHexNumber(uint64_t number) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(number));
  return text;
}

}  // namespace

std::optional<std::string> dataFromText(uint32_t type, std::string_view text,
                                        std::string_view separator) {
  switch (type) {
    case value_type::MultiText: return multiTextBytes(text, separator);
    case value_type::Binary: return hexBytes(text);
    // REG_DWORD_BIG_ENDIAN is stored little-endian, as reg.exe on every
    // Windows version stores it.
    case value_type::Number:
    case value_type::NumberBigEndian: {
      const std::optional<uint64_t> number = readNumber(text, 0xFFFFFFFFu).value;
      if (!number) return std::nullopt;
      return numberBytes(*number, 4);
    }
    case value_type::Number64: {
      const bool negative = isNegativeDecimal(text);
      const std::optional<uint64_t> number = readNumber(text.empty() ? "0"
                                                        : negative   ? text.substr(1)
                                                                     : text,
                                                        UINT64_MAX)
                                                 .value;
      if (!number) return std::nullopt;
      return numberBytes(negative ? 0 - *number : *number, 8);
    }
    // The platform's reg.exe stores REG_NONE text as UTF-16LE with its NUL.
    case value_type::None: {
      std::string bytes;
      for (const char16_t unit : utf8ToText(text) + u'\0') {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
      }
      return bytes;
    }
    default: return narrowFromUtf8(text) + '\0';
  }
}

bool isNumberText(std::string_view text) {
  return readNumber(isNegativeDecimal(text) ? text.substr(1) : text, UINT64_MAX).written;
}

std::string_view textUpToNul(std::string_view data) { return data.substr(0, data.find('\0')); }

std::vector<std::string> multiTextStrings(std::string_view bytes) {
  std::vector<std::string> strings;
  while (!bytes.empty()) {
    const size_t end = bytes.find('\0');
    if (end == 0) break;
    strings.emplace_back(bytes.substr(0, end));
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return strings;
}

std::string dataAsText(uint32_t type, std::string_view bytes, std::string_view separator) {
  switch (type) {
    case value_type::Text:
    case value_type::ExpandText: return utf8FromNarrow(bytes.substr(0, bytes.find('\0')));
    case value_type::MultiText: {
      const std::vector<std::string> pieces = multiTextStrings(bytes);
      std::string text;
      for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) text += separator;
        text += utf8FromNarrow(pieces[i]);
      }
      return text;
    }
    case value_type::Number:
    case value_type::NumberBigEndian:
      if (bytes.size() != 4) break;
      return lowerHexNumber(numberOfBytes(bytes));
    case value_type::Number64:
      if (bytes.size() != 8) break;
      return lowerHexNumber(numberOfBytes(bytes));
    default: break;
  }
  return upperHex(bytes);
}

uint64_t numberOfBytes(std::string_view bytes) {
  uint64_t number = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<uint8_t>(bytes[bytes.size() - 1 - i]);
    number = (number << 8) | byte;
  }
  return number;
}

std::string upperHex(std::string_view bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    text += digits[static_cast<uint8_t>(c) >> 4];
    text += digits[static_cast<uint8_t>(c) & 0xF];
  }
  return text;
}

}  // namespace zarn::cli
