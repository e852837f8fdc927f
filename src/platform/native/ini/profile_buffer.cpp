#include "platform/native/ini/profile_buffer.h"

#include <cstring>

#include "platform/narrow_text.h"

namespace zarn {

uint32_t placeText(std::string_view text, char* buffer, uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string_view placed =
      text.size() < size ? text : withoutIncompleteCharacter(text.substr(0, size - 1));
  std::memcpy(buffer, placed.data(), placed.size());
  buffer[placed.size()] = '\0';
  return static_cast<uint32_t>(placed.size());
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
