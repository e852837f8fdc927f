#include "registry/key_path.h"

#include <array>

#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

struct RootName {
  std::u16string_view name;
  RootKeyValue handle;
};

// Compared in this order; HKEY_PERFORMANCE_DATA deliberately has no name.
constexpr std::array<RootName, 12> rootNames{{
    {u"HKLM", root_key::LocalMachine},
    {u"HKEY_LOCAL_MACHINE", root_key::LocalMachine},
    {u"HKCU", root_key::CurrentUser},
    {u"HKEY_CURRENT_USER", root_key::CurrentUser},
    {u"HKU", root_key::Users},
    {u"HKEY_USERS", root_key::Users},
    {u"HKDD", root_key::DynData},
    {u"HKEY_DYN_DATA", root_key::DynData},
    {u"HKCC", root_key::CurrentConfig},
    {u"HKEY_CURRENT_CONFIG", root_key::CurrentConfig},
    {u"HKCR", root_key::ClassesRoot},
    {u"HKEY_CLASSES_ROOT", root_key::ClassesRoot},
}};

std::vector<Text> splitAtBackslashes(const Text& path) {
  std::vector<Text> segments;
  if (path.empty()) return segments;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find(u'\\', start);
    segments.push_back(path.substr(start, end - start));
    if (end == Text::npos) return segments;
    start = end + 1;
  }
}

Text joinSegments(const std::vector<Text>& segments, size_t first, size_t last,
                  EmptySegments emptySegments) {
  Text joined;
  std::u16string_view separator;
  for (size_t i = first; i < last; ++i) {
    if (emptySegments == EmptySegments::Skip && segments[i].empty()) continue;
    joined += separator;
    joined += segments[i];
    separator = u"\\";
  }
  return joined;
}

std::vector<Text> nonEmptySplit(const Text& path) {
  std::vector<Text> segments = splitAtBackslashes(path);
  if (segments.empty()) throw AutomationError(error::SubscriptOutOfRange);
  return segments;
}

}  // namespace

RootKeyValue rootKeyForName(std::u16string_view segment) {
  for (const auto& root : rootNames) {
    if (equalsIgnoringCase(segment, root.name)) return root.handle;
  }
  return 0;
}

KeyPath resolveListingForm(const Text& path, EmptySegments emptySegments,
                           const RootResolver& resolveRoot) {
  const std::vector<Text> segments = nonEmptySplit(path);
  KeyPath resolved;
  resolved.rootKey = resolveRoot(segments[0]);
  resolved.keyPath = joinSegments(segments, 1, segments.size(), emptySegments);
  return resolved;
}

KeyPath resolveItemForm(const Text& path, const RootResolver& resolveRoot) {
  const std::vector<Text> segments = nonEmptySplit(path);
  KeyPath resolved;
  resolved.rootKey = resolveRoot(segments[0]);
  resolved.lastSegment = segments.back();
  if (segments.size() > 1) {
    resolved.keyPath = joinSegments(segments, 1, segments.size() - 1, EmptySegments::Keep);
  }
  return resolved;
}

}  // namespace zarn
