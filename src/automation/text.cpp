#include "automation/text.h"

#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

void appendUtf16(Text& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<char16_t>(codePoint));
    return;
  }
  codePoint -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

void appendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

// Length of the valid UTF-8 sequence at the start of bytes, or 0.
size_t validSequenceLength(std::string_view bytes, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto continuation = static_cast<unsigned char>(bytes[i]);
    if ((continuation & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (continuation & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
  return length;
}

// Simple upper-case mapping for the scripts users name keys and entries in:
// ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic. Deterministic on both
// targets, unlike the C library's locale-dependent towupper.
char16_t upperCaseUnit(char16_t unit) {
  if (unit >= u'a' && unit <= u'z') return static_cast<char16_t>(unit - 0x20);
  if (unit < 0xE0) return unit;
  if (unit <= 0xFE) return unit == 0xF7 ? unit : static_cast<char16_t>(unit - 0x20);
  if (unit == 0xFF) return 0x178;
  if (unit >= 0x100 && unit <= 0x17F) {
    const bool pairedOnOdd = (unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E);
    const bool lower = pairedOnOdd ? (unit % 2 == 0) : (unit % 2 == 1);
    const bool unpaired = unit == 0x131 || unit == 0x138 || unit == 0x149 || unit == 0x17F;
    return lower && !unpaired ? static_cast<char16_t>(unit - 1) : unit;
  }
  if (unit >= 0x3B1 && unit <= 0x3CB && unit != 0x3C2) return static_cast<char16_t>(unit - 0x20);
  if (unit >= 0x430 && unit <= 0x44F) return static_cast<char16_t>(unit - 0x20);
  if (unit >= 0x450 && unit <= 0x45F) return static_cast<char16_t>(unit - 0x50);
  return unit;
}

}  // namespace

Text utf8ToText(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    // Runs of ASCII, the bulk of most text, convert unit for unit.
    size_t run = 0;
    while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80) ++run;
    const size_t start = out.size();
    out.resize(start + run);
    for (size_t i = 0; i < run; ++i) out[start + i] = static_cast<char16_t>(utf8[i]);
    utf8.remove_prefix(run);
    if (utf8.empty()) break;
    char32_t codePoint = 0;
    size_t length = validSequenceLength(utf8, codePoint);
    if (length == 0) {
      codePoint = replacementCharacter;
      length = 1;
    }
    appendUtf16(out, codePoint);
    utf8.remove_prefix(length);
  }
  return out;
}

bool isUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    char32_t codePoint = 0;
    const size_t length = validSequenceLength(bytes, codePoint);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

Text utf8Argument(std::string_view utf8) {
  if (!isUtf8(utf8)) throw AutomationError(error::InvalidProcedureCall);
  return utf8ToText(utf8);
}

std::string textToUtf8(std::u16string_view text) {
  std::string out;
  // The ASCII text before the first other unit, the whole of most names and
  // paths, converts unit for unit.
  out.resize(text.size());
  size_t ascii = 0;
  for (; ascii < text.size() && text[ascii] < 0x80; ++ascii) {
    out[ascii] = static_cast<char>(text[ascii]);
  }
  if (ascii == text.size()) return out;
  out.resize(ascii);
  for (size_t i = ascii; i < text.size(); ++i) {
    char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      appendUtf8(out, replacementCharacter);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

Text upperCase(std::u16string_view text) {
  Text out(text);
  for (auto& unit : out) unit = upperCaseUnit(unit);
  return out;
}

bool equalsIgnoringCase(std::u16string_view left, std::u16string_view right) {
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    if (upperCaseUnit(left[i]) != upperCaseUnit(right[i])) return false;
  }
  return true;
}

Text trimmed(std::u16string_view text, std::u16string_view characters) {
  const size_t first = text.find_first_not_of(characters);
  if (first == std::u16string_view::npos) return {};
  return Text(text.substr(first, text.find_last_not_of(characters) - first + 1));
}

Text decimalText(int64_t number) {
  const std::string digits = std::to_string(number);
  return Text(digits.begin(), digits.end());
}

}  // namespace zarn
