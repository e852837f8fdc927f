// Several profile writes to one file made as one: the seam under
// zarn::ini::File::apply.
//
// Natively the engine makes every change to the text it reads under the
// file's lock and replaces the file once (native/ini/ini_file_io.h), so a
// reader sees all of the changes or none, and a concurrent writer's changes
// are kept. On Windows the platform's profile functions make the changes on
// a copy of the file in its folder, which ReplaceFile then puts in the
// file's place; a mutex named after the file's full path keeps two edits
// from crossing.
//
// Text is narrow (narrow_text.h), NUL-free; the callers have checked each
// change against profile_entry_rules.h.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zarn {

struct ProfileChange {
  std::string section;
  std::optional<std::string> key;    // nothing: the section is deleted
  std::optional<std::string> value;  // nothing: the entry is deleted
};

enum class ProfileOutcome { Created, Changed, Unchanged, Deleted };

struct ProfileChangeResult {
  ProfileOutcome outcome = ProfileOutcome::Unchanged;
  std::optional<std::string> before;  // the entry's value before, as read (quotes removed)
};

struct ProfileEdit {
  std::vector<ProfileChangeResult> results;  // one per change, in order
  bool differs = false;                      // the file's text changed, or would
  std::string before;                        // the file's text, narrow, without a byte order mark
  std::string after;
};

// Makes the changes in order when write is true; otherwise only finds what
// they would do. Nothing is written when nothing differs. Returns 0, or why
// the write failed (checking: would fail for a missing folder or a path
// that names no regular file) as lastProfileWriteError() would tell it
// (profile_write_error.h); the file is then as it was.
int editPrivateProfile(const std::string& file, std::span<const ProfileChange> changes, bool write,
                       ProfileEdit& edit);

}  // namespace zarn
