// IniEdit: its automation-shaped methods over the profile service, and
// their UTF-8 forms.
#include "zarnutils/ini_edit.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/calling_model.h"
#include "automation/listing.h"
#include "automation/type_letter.h"
#include "platform/conversions.h"
#include "platform/growing_buffer.h"
#include "platform/narrow_text.h"
#include "platform/profile_entry_rules.h"
#include "platform/profile_service.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

// IniEdit's type letters: "S" text, "N" integer.
enum class IniForm { Text, Integer, None };

constexpr TypeLetter<IniForm> iniLetters[] = {{u"S", IniForm::Text}, {u"N", IniForm::Integer}};

// The narrow form of a text argument. Text the narrow code page cannot hold
// would reach the file changed ("?" in place of a character), so it fails
// the call, and the method's handler answers its fallback.
std::string narrowArgument(std::u16string_view text) {
  if (!narrowHolds(text)) throw AutomationError(error::InvalidProcedureCall);
  return toNarrow(text);
}

// The narrow form of a file, section or entry name. The profile functions
// end a name at its first NUL and would work on another file, section or
// entry, so a NUL fails the call as well.
std::string narrowName(std::u16string_view name) {
  if (name.find(u'\0') != std::u16string_view::npos) {
    throw AutomationError(error::InvalidProcedureCall);
  }
  return narrowArgument(name);
}

constexpr uint32_t readBufferSize = 255;
constexpr int32_t sectionNamesBufferSize = 30;
constexpr int32_t sectionLinesBufferSize = 8192;

// Doubles the buffer while the service answers "size minus 2" (the list did
// not fit), then strips the space fill and the closing NULs.
template <class ListCall>
Text readList(int32_t initialSize, ListCall listCall) {
  int32_t size = initialSize;
  int64_t written = 0;
  const std::string buffer = callUntilItFits(
      static_cast<uint32_t>(size), ' ', [&](char* data, uint32_t room) -> std::optional<uint32_t> {
        size = static_cast<int32_t>(room);
        written = listCall(data, room);
        if (written != int64_t{size} - 2) return std::nullopt;
        if (size > std::numeric_limits<int32_t>::max() / 2) {
          throw AutomationError(error::Overflow);
        }
        return static_cast<uint32_t>(size) * 2;
      });
  // The service wrote the list and at most two NULs after it; the rest is
  // still the space fill. Converting only up to there gives what trimming
  // the whole converted buffer would, as spaces and NULs convert to
  // themselves and never sit inside a longer character.
  const auto lastWritten = static_cast<size_t>(std::min<int64_t>(written + 2, int64_t{size} - 1));
  const size_t last = buffer.find_last_not_of(' ', lastWritten);
  std::string_view listed(buffer.data(), last == std::string::npos ? 0 : last + 1);
  listed.remove_prefix(std::min(listed.find_first_not_of(' '), listed.size()));
  Text list = fromNarrow(listed);
  while (!list.empty() && list.back() == u'\0') list.pop_back();
  return list;
}

}  // namespace

CallStatus IniEdit::ReadValue(Text sFile, Text sSection, Text sName, Text sType, Variant vDefault,
                              Variant& result) {
  result = Variant();
  try {
    const IniForm form = formForTypeLetter(sType, iniLetters, IniForm::None);
    if (form == IniForm::Text) {
      std::string buffer(readBufferSize, ' ');
      const std::string defaultText = narrowArgument(toText(vDefault));
      const auto count = ProfileService::GetPrivateProfileStringA(
          narrowName(sSection).c_str(), narrowName(sName).c_str(), defaultText.c_str(),
          buffer.data(), readBufferSize, narrowName(sFile).c_str());
      buffer.resize(count);
      result = Variant::text(fromNarrow(withoutIncompleteCharacter(buffer)));
    } else if (form == IniForm::Integer) {
      const int32_t defaultNumber = isNumeric(vDefault) ? toLong(vDefault) : 0;
      const auto number = ProfileService::GetPrivateProfileIntA(
          narrowName(sSection).c_str(), narrowName(sName).c_str(), defaultNumber,
          narrowName(sFile).c_str());
      result = Variant::long32(static_cast<int32_t>(number));
    } else {
      result = vDefault;
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    result = vDefault;
  }
  return {};
}

CallStatus IniEdit::WriteValue(Text sFile, Text sSection, Text sName, Variant vValue,
                               AutomationBoolean& result) {
  result = automationFalse;
  try {
    const Text value = toText(vValue);
    if (!isStorableEntry(sSection, sName, value)) return {};
    const auto written = ProfileService::WritePrivateProfileStringA(
        narrowName(sSection).c_str(), narrowName(sName).c_str(), narrowArgument(value).c_str(),
        narrowName(sFile).c_str());
    if (written) result = automationTrue;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    result = automationFalse;
  }
  return {};
}

CallStatus IniEdit::EnumSections(Text sFile, Text& result) {
  result.clear();
  try {
    const std::string file = narrowName(sFile);
    result = readList(sectionNamesBufferSize, [&](char* buffer, uint32_t size) {
      return int64_t{ProfileService::GetPrivateProfileSectionNamesA(buffer, size, file.c_str())};
    });
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    result.clear();
  }
  return {};
}

CallStatus IniEdit::EnumValues(Text sFile, Text sSection, Text& result) {
  result.clear();
  try {
    const std::string file = narrowName(sFile);
    const std::string section = narrowName(sSection);
    result = readList(sectionLinesBufferSize, [&](char* buffer, uint32_t size) {
      return int64_t{
          ProfileService::GetPrivateProfileSectionA(section.c_str(), buffer, size, file.c_str())};
    });
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    result.clear();
  }
  return {};
}

// The UTF-8 and list forms: arguments decoded as UTF-8 (AutomationError 5
// for bytes that are not), the automation-shaped method called, its result
// given back or its failure thrown.

namespace {

Text sectionNames(IniEdit& iniEdit, std::string_view sFile) {
  return resultOrThrow<Text>(
      [&](Text& result) { return iniEdit.EnumSections(utf8Argument(sFile), result); });
}

Text sectionLines(IniEdit& iniEdit, std::string_view sFile, std::string_view sSection) {
  return resultOrThrow<Text>([&](Text& result) {
    return iniEdit.EnumValues(utf8Argument(sFile), utf8Argument(sSection), result);
  });
}

}  // namespace

Variant IniEdit::ReadValue(std::string_view sFile, std::string_view sSection,
                           std::string_view sName, std::string_view sType,
                           const Variant& vDefault) {
  return resultOrThrow<Variant>([&](Variant& result) {
    return ReadValue(utf8Argument(sFile), utf8Argument(sSection), utf8Argument(sName),
                     utf8Argument(sType), vDefault, result);
  });
}

bool IniEdit::WriteValue(std::string_view sFile, std::string_view sSection, std::string_view sName,
                         const Variant& vValue) {
  return resultOrThrow<AutomationBoolean>([&](AutomationBoolean& result) {
           return WriteValue(utf8Argument(sFile), utf8Argument(sSection), utf8Argument(sName),
                             vValue, result);
         }) != automationFalse;
}

std::string IniEdit::EnumSections(std::string_view sFile) {
  return textToUtf8(sectionNames(*this, sFile));
}

std::string IniEdit::EnumValues(std::string_view sFile, std::string_view sSection) {
  return textToUtf8(sectionLines(*this, sFile, sSection));
}

std::vector<std::string> IniEdit::ListSections(std::string_view sFile) {
  return listingItems(sectionNames(*this, sFile), u'\0');
}

std::vector<std::string> IniEdit::ListValues(std::string_view sFile, std::string_view sSection) {
  return listingItems(sectionLines(*this, sFile, sSection), u'\0');
}

}  // namespace zarn
