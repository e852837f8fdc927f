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

uint32_t placeList(std::string_view list, char* buffer, uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  if (list.size() + 1 < size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<uint32_t>(list.size());
  }
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  // The first size - 2 bytes: whole items and the start of the one cut.
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

}  // namespace zarn
