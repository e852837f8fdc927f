#include "component/com/type_library_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace zarn::com {
namespace {

// Layout of the format: a fixed header, a help library offset when its flag
// is set, one offset per type, then the segment directory whose first entry
// locates the table of type descriptions.
constexpr size_t signatureSize = 4;
constexpr size_t flagsOffset = 0x14;
constexpr size_t typeCountOffset = 0x20;
constexpr size_t headerSize = 0x54;
constexpr uint32_t helpLibraryFlag = 0x100;
constexpr size_t typeEntrySize = 0x64;
constexpr size_t instanceSizeOffset = 0x50;

uint32_t readWord32(const std::vector<char>& bytes, size_t offset) {
  if (offset + 4 > bytes.size()) throw std::runtime_error("type library file is truncated");
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

}  // namespace

void setInstanceSize(const std::wstring& path, UINT index, uint32_t size) {
  std::vector<char> bytes;
  {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  if (bytes.size() < headerSize || std::memcmp(bytes.data(), "MSFT", signatureSize) != 0) {
    throw std::runtime_error("not a type library file");
  }
  const uint32_t typeCount = readWord32(bytes, typeCountOffset);
  if (index >= typeCount) throw std::runtime_error("type index out of range");
  size_t directory = headerSize + typeCount * sizeof(uint32_t);
  if (readWord32(bytes, flagsOffset) & helpLibraryFlag) directory += sizeof(uint32_t);
  const size_t entry = readWord32(bytes, directory) + index * typeEntrySize + instanceSizeOffset;
  readWord32(bytes, entry);
  std::memcpy(bytes.data() + entry, &size, sizeof size);

  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot rewrite the type library file");
}

}  // namespace zarn::com
