#include "platform/native/ini/ini_names.h"

#include <algorithm>
#include <cstring>

#include "automation/text.h"

namespace zarn {

namespace {

constexpr uint64_t everyByte = 0x0101010101010101;
constexpr uint64_t highBits = 0x80 * everyByte;
constexpr uint64_t multiplier = 0x9E3779B97F4A7C15;

bool isAscii(std::string_view name) {
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Up to eight bytes of name from offset, zero-padded.
uint64_t wordAt(std::string_view name, size_t offset) {
  uint64_t word = 0;
  std::memcpy(&word, name.data() + offset, std::min<size_t>(8, name.size() - offset));
  return word;
}

// Upper-cases the ASCII letters of eight ASCII bytes at once: a byte's high
// bit marks it as at least 'a' and not above 'z' (no sum carries into the
// next byte, as every byte is below 0x80).
uint64_t upperAsciiWord(uint64_t word) {
  const uint64_t atLeastA = word + (0x80 - 'a') * everyByte;
  const uint64_t aboveZ = word + (0x80 - 'z' - 1) * everyByte;
  const uint64_t lower = atLeastA & ~aboveZ & highBits;
  return word ^ (lower >> 2);
}

uint32_t finished(uint64_t hash) {
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCD;
  hash ^= hash >> 33;
  return static_cast<uint32_t>(hash);
}

uint64_t mixed(uint64_t hash, uint64_t word) {
  hash = (hash ^ word) * multiplier;
  return hash ^ (hash >> 29);
}

uint32_t hashOfFolded(std::string_view folded) {
  uint64_t hash = folded.size() * multiplier;
  for (size_t offset = 0; offset < folded.size(); offset += 8) {
    hash = mixed(hash, wordAt(folded, offset));
  }
  return finished(hash);
}

}  // namespace

std::string foldIniName(std::string_view name) {
  if (!isAscii(name)) return textToUtf8(upperCase(utf8ToText(name)));
  std::string folded(name);
  for (char& c : folded) c = upperAscii(c);
  return folded;
}

// Hashes the folded bytes, so that an ASCII name and the folded form of any
// other name hash alike exactly when they match.
uint32_t iniNameHash(std::string_view name) {
  uint64_t hash = name.size() * multiplier;
  for (size_t offset = 0; offset < name.size(); offset += 8) {
    const uint64_t word = wordAt(name, offset);
    if ((word & highBits) != 0) return hashOfFolded(foldIniName(name));
    hash = mixed(hash, upperAsciiWord(word));
  }
  return finished(hash);
}

bool iniNamesMatch(std::string_view left, std::string_view right) {
  if (isAscii(left) && isAscii(right)) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](char a, char b) { return upperAscii(a) == upperAscii(b); });
  }
  return foldIniName(left) == foldIniName(right);
}

}  // namespace zarn
