// The native profile service: the platform's profile functions over our own
// INI engine. Reads go through the cache of parsed files; every write is one
// locked read-modify-replace cycle that changes only the bytes it must.
#include "platform/profile_service.h"

#include <optional>
#include <string>
#include <string_view>

#include "platform/narrow_text.h"
#include "platform/native/ini/ini_cache.h"
#include "platform/native/ini/ini_editor.h"
#include "platform/native/ini/ini_file_io.h"
#include "platform/native/ini/ini_value.h"
#include "platform/native/ini/profile_buffer.h"
#include "platform/profile_entry_rules.h"

namespace zarn {
namespace {

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
  } catch (const std::exception&) {
    // An engine failure (out of memory) reads like a missing entry.
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
  } catch (const std::exception&) {
    // As for text: the default.
  }
  return static_cast<uint32_t>(defaultValue);
}

bool ProfileService::WritePrivateProfileStringA(const char* section, const char* key,
                                                const char* value, const char* file) {
  if (section == nullptr || file == nullptr || *file == '\0') return false;
  try {
    if (!isStorableSection(fromNarrow(section))) return false;
    if (key != nullptr && !isStorableKey(fromNarrow(key))) return false;
    if (value != nullptr && !isStorableValue(fromNarrow(value))) return false;
    const std::string_view sectionName = trimBlanks(section);
    const std::string_view keyName = key == nullptr ? "" : trimBlanks(key);
    return replaceIniFile(file, [&](std::string bytes) -> std::optional<std::string> {
      const IniDocument document(decodeIniBytes(std::move(bytes)));
      std::optional<std::string> text = key == nullptr ? withoutSection(document, sectionName)
                                        : value == nullptr
                                            ? withoutEntry(document, sectionName, keyName)
                                            : withValue(document, sectionName, keyName, value);
      if (!text) return std::nullopt;
      return encodeIniText(document.encoding(), std::move(*text));
    });
  } catch (const std::exception&) {
    return false;
  }
}

uint32_t ProfileService::GetPrivateProfileSectionNamesA(char* buffer, uint32_t size,
                                                        const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  try {
    const auto document = file == nullptr ? nullptr : loadIniDocument(file);
    return placeList(document ? document->sectionNamesList() : "", buffer, size);
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
  } catch (const std::exception&) {
    return placeList("", buffer, size);
  }
}

}  // namespace zarn
