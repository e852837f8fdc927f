#include "registry/key_path.h"

#include <string_view>

#include "platform/root_keys.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

// The roots a path may name, compared in this order, each by its short and
// then its long name.
constexpr RootKeyValue namedRoots[] = {root_key::LocalMachine, root_key::CurrentUser,
                                       root_key::Users,        root_key::DynData,
                                       root_key::CurrentConfig, root_key::ClassesRoot};

bool names(std::u16string_view segment, std::string_view name) {
  return equalsIgnoringCase(segment, Text(name.begin(), name.end()));
}

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
  for (const RootKeyValue value : namedRoots) {
    const RootKey& root = *findRootKey(value);
    if (names(segment, root.shortName) || names(segment, root.longName)) return value;
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
