// Value data as reg.exe takes it after /d and shows it in a query, and the
// type names both ways.
#include "reg/reg.h"

#include <algorithm>
#include <cstdio>

namespace zarn::cli {

std::string typeNameOfCode(ValueType type) {
  const std::string_view name = registry::typeName(type);
  if (!name.empty()) return std::string(name);
  char unnamed[16];
  std::snprintf(unnamed, sizeof unnamed, "0x%x", static_cast<unsigned>(type));
  return unnamed;
}

bool isTextType(ValueType type) {
  return type == ValueType::Text || type == ValueType::ExpandText || type == ValueType::MultiText;
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
  if (text.empty()) return utf16leBytes(Text(1, u'\0'));
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
    bytes += utf16leBytes(utf8ToText(piece) + u'\0');
  }
  return bytes + utf16leBytes(Text(1, u'\0'));
}

std::string lowerHexNumber(uint64_t number) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(number));
  return text;
}

}  // namespace

std::optional<std::string> dataFromText(ValueType type, std::string_view text,
                                        std::string_view separator) {
  switch (type) {
    case ValueType::MultiText: return multiTextBytes(text, separator);
    case ValueType::Binary: return hexBytes(text);
    // REG_DWORD_BIG_ENDIAN is stored little-endian, as reg.exe on every
    // Windows version stores it.
    case ValueType::Number:
    case ValueType::NumberBigEndian: {
      const std::optional<uint64_t> number = readNumber(text, 0xFFFFFFFFu).value;
      if (!number) return std::nullopt;
      return numberBytes(*number, 4);
    }
    case ValueType::Number64: {
      const bool negative = isNegativeDecimal(text);
      const std::optional<uint64_t> number = readNumber(text.empty() ? "0"
                                                        : negative   ? text.substr(1)
                                                                     : text,
                                                        UINT64_MAX)
                                                 .value;
      if (!number) return std::nullopt;
      return numberBytes(negative ? 0 - *number : *number, 8);
    }
    // The platform's reg.exe stores REG_NONE text as text, with its NUL.
    default: return utf16leBytes(utf8ToText(text) + u'\0');
  }
}

bool isNumberText(std::string_view text) {
  return readNumber(isNegativeDecimal(text) ? text.substr(1) : text, UINT64_MAX).written;
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

Text textUpToNul(std::string_view data) {
  Text text = textOfUtf16le(data);
  text.resize(std::min(text.size(), text.find(u'\0')));
  return text;
}

std::vector<std::string> multiTextStrings(std::string_view data) {
  std::vector<std::string> strings;
  const Text text = textOfUtf16le(data);
  std::u16string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find(u'\0');
    if (end == 0) break;
    strings.push_back(textToUtf8(rest.substr(0, end)));
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return strings;
}

std::string dataAsText(ValueType type, std::string_view bytes, std::string_view separator) {
  switch (type) {
    case ValueType::Text:
    case ValueType::ExpandText: return textToUtf8(textUpToNul(bytes));
    case ValueType::MultiText: {
      const std::vector<std::string> pieces = multiTextStrings(bytes);
      std::string text;
      for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) text += separator;
        text += pieces[i];
      }
      return text;
    }
    case ValueType::Number:
    case ValueType::NumberBigEndian:
      if (bytes.size() != 4) break;
      return lowerHexNumber(numberOfBytes(bytes));
    case ValueType::Number64:
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
