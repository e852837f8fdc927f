#include "reg/reg_key_name.h"

#include "automation/text.h"
#include "reg/reg_words.h"

namespace zarn::cli {
namespace {

struct RootName {
  const char* shortName;
  const char* longName;
  KeyHandle handle;
};

// reg.exe's roots; HKEY_DYN_DATA, which no current system has, is not one.
constexpr RootName rootNames[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", root_key::LocalMachine},
    {"HKCU", "HKEY_CURRENT_USER", root_key::CurrentUser},
    {"HKCR", "HKEY_CLASSES_ROOT", root_key::ClassesRoot},
    {"HKU", "HKEY_USERS", root_key::Users},
    {"HKCC", "HKEY_CURRENT_CONFIG", root_key::CurrentConfig},
};

}  // namespace

std::string KeyName::fullName() const { return path.empty() ? rootName : rootName + "\\" + path; }

KeyName KeyName::child(std::string_view name) const {
  KeyName below = *this;
  below.path = path.empty() ? std::string(name) : path + "\\" + std::string(name);
  return below;
}

std::optional<KeyName> parseKeyName(std::string_view written) {
  const size_t separator = written.find('\\');
  const std::string_view root = written.substr(0, separator);
  std::string_view path = separator == std::string_view::npos ? "" : written.substr(separator + 1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.find("\\\\") != std::string_view::npos || path.starts_with('\\')) return std::nullopt;
  for (const RootName& candidate : rootNames) {
    if (sameWord(root, candidate.shortName) || sameWord(root, candidate.longName)) {
      return KeyName{candidate.handle, candidate.longName, std::string(path)};
    }
  }
  return std::nullopt;
}

bool sameKey(const KeyName& left, const KeyName& right) {
  return left.root == right.root &&
         equalsIgnoringCase(utf8ToText(left.path), utf8ToText(right.path));
}

}  // namespace zarn::cli
