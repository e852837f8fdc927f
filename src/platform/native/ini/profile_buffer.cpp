#include "platform/native/ini/profile_buffer.h"

#include <cstring>

namespace zarn {
namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length of text's longest prefix of at most limit bytes that does not
// end inside a UTF-8 sequence.
size_t characterBoundary(std::string_view text, size_t limit) {
  if (limit >= text.size()) return text.size();
  size_t cut = limit;
  while (cut > 0 && limit - cut < 3 && isContinuationByte(text[cut])) --cut;
  return isContinuationByte(text[cut]) ? limit : cut;
}

}  // namespace

uint32_t placeText(std::string_view text, char* buffer, uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const size_t length = characterBoundary(text, size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<uint32_t>(length);
}

uint32_t placeList(const std::vector<std::string_view>& items, char* buffer, uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  // Invariant: position + room == size - 1, the place of the list's last NUL.
  size_t position = 0;
  size_t room = size - 1;
  for (const std::string_view item : items) {
    if (item.size() + 1 >= room) {
      if (room == 0) break;
      std::memcpy(buffer + position, item.data(), room - 1);
      buffer[position + room - 1] = '\0';
      buffer[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(buffer + position, item.data(), item.size());
    position += item.size();
    buffer[position++] = '\0';
    room -= item.size() + 1;
  }
  buffer[position] = '\0';
  return static_cast<uint32_t>(position);
}

}  // namespace zarn
