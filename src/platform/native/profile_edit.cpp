// Natively the changes of an edit are made one after the other on the text
// read under the file's lock, and the result replaces the file once.
#include "platform/profile_edit.h"

#include <sys/stat.h>

#include <cerrno>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/native/ini/ini_document.h"
#include "platform/native/ini/ini_edits.h"
#include "platform/native/ini/ini_file_io.h"

namespace zarn {
namespace {

// The entry's value as read, when the file has the entry.
std::optional<std::string> valueIn(const IniDocument& document, std::string_view section,
                                   std::string_view key) {
  const IniSection* found = document.findSection(section);
  const IniLine* entry = found == nullptr ? nullptr : document.findEntry(*found, key);
  if (entry == nullptr) return std::nullopt;
  return std::string(unquotedValue(document.value(*entry)));
}

// One change made to document's text: the new text, or nothing when it
// changes nothing; result says how it went.
std::optional<std::string> madeTo(const IniDocument& document, const ProfileChange& change,
                                  ProfileChangeResult& result) {
  const std::string_view section = trimBlanks(change.section);
  if (!change.key) {
    std::optional<std::string> text = withoutSection(document, section);
    result.outcome = text ? ProfileOutcome::Deleted : ProfileOutcome::Unchanged;
    return text;
  }
  const std::string_view key = trimBlanks(*change.key);
  result.before = valueIn(document, section, key);
  std::optional<std::string> text = change.value ? withValue(document, section, key, *change.value)
                                                 : withoutEntry(document, section, key);
  result.outcome = !text           ? ProfileOutcome::Unchanged
                   : !change.value ? ProfileOutcome::Deleted
                   : result.before ? ProfileOutcome::Changed
                                   : ProfileOutcome::Created;
  return text;
}

// The edit of the file's bytes: every change made in turn, each on the text
// the one before left. Answers the new bytes when the text differs.
std::optional<std::string> composed(std::string bytes, std::span<const ProfileChange> changes,
                                    ProfileEdit& edit) {
  IniText text = decodeIniBytes(std::move(bytes));
  const size_t bodyBegin = text.bodyBegin;
  edit = ProfileEdit{};
  edit.before = text.text.substr(bodyBegin);
  for (const ProfileChange& change : changes) {
    const IniDocument document(text);
    ProfileChangeResult& result = edit.results.emplace_back();
    if (std::optional<std::string> next = madeTo(document, change, result))
      text.text = std::move(*next);
  }
  edit.after = text.text.substr(bodyBegin);
  // Changes that undo each other leave nothing to write.
  edit.differs = edit.after != edit.before;
  if (!edit.differs) return std::nullopt;
  return encodeIniText(text.encoding, std::move(text.text));
}

// Why a write of the file would fail before it reads anything, so that a
// check tells it too: a path that names no regular file, a missing folder.
// 0 when neither.
int unwritablePlace(const std::string& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) == 0) return S_ISREG(status.st_mode) ? 0 : EISDIR;
  if (errno != ENOENT) return errno;
  const size_t slash = file.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
  if (::stat(folder.c_str(), &status) != 0) return errno;
  return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

int editPrivateProfile(const std::string& file, std::span<const ProfileChange> changes, bool write,
                       ProfileEdit& edit) {
  try {
    // A file that already holds every change is not locked or written, so
    // that a read-only file that needs nothing is no failure.
    std::optional<FileContent> content = readIniFile(file);
    composed(content ? std::move(content->bytes) : std::string(), changes, edit);
    if (!edit.differs) return 0;
    if (!write) return unwritablePlace(file);
    return replaceIniFile(
        file, [&](std::string bytes) { return composed(std::move(bytes), changes, edit); });
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return ENOMEM;
  }
}

}  // namespace zarn
