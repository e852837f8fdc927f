#include "quoted_name.h"

#include <cstdint>

namespace zarn::cli {
namespace {

// How many bytes from at form one well-formed UTF-8 character that is not
// a C1 control (U+0080 to U+009F); 0 when they do not.
size_t printableCharacterLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  const size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = at + 1; i < at + length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms, surrogates and what lies beyond U+10FFFF.
  const uint8_t second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  if (lead == 0xC2 && second < 0xA0) return 0;
  return length;
}

char shortEscape(char c) {
  switch (c) {
    case '\a': return 'a';
    case '\b': return 'b';
    case '\t': return 't';
    case '\n': return 'n';
    case '\v': return 'v';
    case '\f': return 'f';
    case '\r': return 'r';
    default: return 0;
  }
}

void appendOctal(std::string& out, uint8_t byte) {
  out += '\\';
  out += static_cast<char>('0' + (byte >> 6));
  out += static_cast<char>('0' + ((byte >> 3) & 7));
  out += static_cast<char>('0' + (byte & 7));
}

}  // namespace

std::string quotedName(std::string_view text) {
  std::string out = "\"";
  bool escaped = !text.empty() && text.front() == '"';
  for (size_t at = 0; at < text.size();) {
    const char c = text[at];
    const auto byte = static_cast<uint8_t>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
      ++at;
    } else if (const size_t length = byte >= 0x80 ? printableCharacterLength(text, at) : 0) {
      out.append(text.substr(at, length));
      at += length;
    } else {
      escaped = true;
      if (const char letter = shortEscape(c)) {
        out += '\\';
        out += letter;
      } else {
        appendOctal(out, byte);
      }
      ++at;
    }
  }
  if (!escaped) return std::string(text);
  return out + '"';
}

std::string alwaysQuoted(std::string_view text) {
  // quotedName changes exactly the texts it quotes.
  const std::string quoted = quotedName(text);
  return quoted == text ? "\"" + quoted + "\"" : quoted;
}

}  // namespace zarn::cli
