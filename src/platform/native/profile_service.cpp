// The native profile service: the platform's profile functions over our own
// INI engine. Reads go through the cache of parsed files; every write is one
// locked read-modify-replace cycle that changes only the bytes it must.
#include "platform/profile_service.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "platform/narrow_text.h"
#include "platform/native/ini/ini_document.h"
#include "platform/native/ini/ini_edits.h"
#include "platform/native/ini/ini_file_io.h"
#include "platform/profile_entry_rules.h"

namespace zarn {
namespace {

// Parsed INI files kept between reads, so that reading an unchanged file does
// not parse it again. A cached document is used only while the file still
// has the identity (device and inode), size and modification and change
// times it had when it was read; files are replaced by rename, so a write by
// any process gives the path a new identity. The most recently used files
// are kept; the cache is shared by all threads of the process.

constexpr size_t cachedFileCount = 16;

struct CachedFile {
  std::string path;
  FileStamp stamp;
  std::shared_ptr<const IniDocument> document;
};

class IniCache {
 public:
  std::shared_ptr<const IniDocument> find(const std::string& path, const FileStamp& stamp) {
    const std::lock_guard guard(mutex_);
    const auto found = std::find_if(files_.begin(), files_.end(),
                                    [&](const CachedFile& file) { return file.path == path; });
    if (found == files_.end() || !(found->stamp == stamp)) return nullptr;
    files_.splice(files_.begin(), files_, found);
    return found->document;
  }

  void keep(const std::string& path, const FileStamp& stamp,
            std::shared_ptr<const IniDocument> document) {
    const std::lock_guard guard(mutex_);
    std::erase_if(files_, [&](const CachedFile& file) { return file.path == path; });
    files_.push_front({path, stamp, std::move(document)});
    if (files_.size() > cachedFileCount) files_.pop_back();
  }

 private:
  std::mutex mutex_;
  std::list<CachedFile> files_;  // most recently used first
};

IniCache& cache() {
  static IniCache instance;
  return instance;
}

std::shared_ptr<const IniDocument> emptyDocument() {
  static const auto empty = std::make_shared<const IniDocument>(IniText{});
  return empty;
}

// The current document of the file at path: an empty one when the file is
// missing, unreadable or too large.
std::shared_ptr<const IniDocument> loadIniDocument(const std::string& path) {
  const std::optional<FileStamp> stamp = stampIniFile(path);
  if (!stamp) return emptyDocument();
  if (auto cached = cache().find(path, *stamp)) return cached;
  std::optional<FileContent> content = readIniFile(path);
  if (!content) return emptyDocument();
  auto document = std::make_shared<const IniDocument>(decodeIniBytes(std::move(content->bytes)));
  cache().keep(path, content->stamp, document);
  return document;
}

// How the profile functions read an entry's value: as text and as a number.

constexpr size_t integerReadLimit = 29;

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return -1;
}

// The value read as the platform's base-0 string-to-integer routine reads it:
// characters up to the space skipped, one optional sign, a lower-case prefix
// 0x, 0o or 0b, then digits up to the first that does not belong to the base;
// no overflow check, the result wraps modulo 2^32. A leading zero stays
// decimal. Only the first 29 characters count, as the platform reads the
// value through a 30-character buffer.
uint32_t profileInteger(std::string_view value) {
  value = value.substr(0, integerReadLimit);
  while (!value.empty() && static_cast<unsigned char>(value.front()) <= ' ') value.remove_prefix(1);
  bool negative = false;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  int base = 10;
  if (value.size() >= 2 && value[0] == '0') {
    switch (value[1]) {
      case 'x': base = 16; break;
      case 'o': base = 8; break;
      case 'b': base = 2; break;
      default: break;
    }
    if (base != 10) value.remove_prefix(2);
  }
  uint32_t total = 0;
  for (const char c : value) {
    const int digit = digitValue(c);
    if (digit < 0 || digit >= base) break;
    total = total * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  return negative ? 0u - total : total;
}

// How the profile functions place their results in the caller's buffer.

// Copies text and a NUL into buffer and returns the bytes copied. Text longer
// than size - 1 bytes is cut there, or up to three bytes earlier so that no
// UTF-8 character is split. Nothing is written when size is 0.
uint32_t placeText(std::string_view text, char* buffer, uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string_view placed =
      text.size() < size ? text : withoutIncompleteCharacter(text.substr(0, size - 1));
  std::memcpy(buffer, placed.data(), placed.size());
  buffer[placed.size()] = '\0';
  return static_cast<uint32_t>(placed.size());
}

// Copies list, its items each followed by a NUL, and one more NUL; returns
// the bytes before that last NUL. A list that does not fit, or fits exactly,
// has its last placed item cut, ends in two NULs and returns size - 2.
// Nothing is written when size is 0; a size of 1 holds only the final NUL.
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

// The value of the entry, or nullopt when the file, section or entry is
// missing (or a name is null).
std::optional<std::string_view> entryValue(const IniDocument& document, const char* section,
                                           const char* key) {
  if (section == nullptr || key == nullptr) return std::nullopt;
  const IniSection* found = document.findSection(section);
  const IniLine* entry = found == nullptr ? nullptr : document.findEntry(*found, key);
  if (entry == nullptr) return std::nullopt;
  return unquotedValue(document.value(*entry));
}

}  // namespace

uint32_t ProfileService::GetPrivateProfileStringA(const char* section, const char* key,
                                                  const char* defaultText, char* buffer,
                                                  uint32_t size, const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  try {
    if (file != nullptr) {
      const auto document = loadIniDocument(file);
      if (const auto value = entryValue(*document, section, key)) {
        return placeText(*value, buffer, size);
      }
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // A file that cannot be read reads like a missing entry; running out of
    // memory fails the caller's call instead.
  }
  std::string_view fallback = defaultText == nullptr ? "" : defaultText;
  while (fallback.ends_with(' ')) fallback.remove_suffix(1);
  return placeText(fallback, buffer, size);
}

uint32_t ProfileService::GetPrivateProfileIntA(const char* section, const char* key,
                                               int32_t defaultValue, const char* file) {
  try {
    if (file != nullptr) {
      const auto document = loadIniDocument(file);
      const auto value = entryValue(*document, section, key);
      if (value && !value->empty()) return profileInteger(*value);
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    // As for text: the default.
  }
  return static_cast<uint32_t>(defaultValue);
}

bool ProfileService::WritePrivateProfileStringA(const char* section, const char* key,
                                                const char* value, const char* file) {
  const auto refused = [](int error) {
    errno = error;
    return false;
  };
  if (section == nullptr || file == nullptr || *file == '\0') return refused(EINVAL);
  try {
    if (!isStorableSection(fromNarrow(section))) return refused(EINVAL);
    if (key != nullptr && !isStorableKey(fromNarrow(key))) return refused(EINVAL);
    if (value != nullptr && !isStorableValue(fromNarrow(value))) return refused(EINVAL);
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = key == nullptr ? "" : trimBlanks(key);
    const int error = replaceIniFile(file, [&](std::string bytes) -> std::optional<std::string> {
      const IniDocument document(decodeIniBytes(std::move(bytes)));
      std::optional<std::string> text = key == nullptr ? withoutSection(document, sectionName)
                                        : value == nullptr
                                            ? withoutEntry(document, sectionName, keyName)
                                            : withValue(document, sectionName, keyName, value);
      if (!text) return std::nullopt;
      return encodeIniText(document.encoding(), std::move(*text));
    });
    return error == 0 || refused(error);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return refused(ENOMEM);
  }
}

uint32_t ProfileService::GetPrivateProfileSectionNamesA(char* buffer, uint32_t size,
                                                        const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  try {
    const auto document = file == nullptr ? nullptr : loadIniDocument(file);
    return placeList(document ? document->sectionNamesList() : "", buffer, size);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return placeList("", buffer, size);
  }
}

uint32_t ProfileService::GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                                   const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  try {
    const auto document = file == nullptr ? nullptr : loadIniDocument(file);
    const IniSection* found =
        document == nullptr || section == nullptr ? nullptr : document->findSection(section);
    return placeList(found != nullptr ? document->linesList(*found) : "", buffer, size);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return placeList("", buffer, size);
  }
}

}  // namespace zarn
