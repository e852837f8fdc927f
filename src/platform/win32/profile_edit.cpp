// On Windows the platform's profile functions make the changes on a copy of
// the file in its folder, and ReplaceFile puts the copy in the file's place
// (keeping its attributes and security): a reader sees the old file or the
// new one. A mutex named after the file's full path, in every session's
// namespace, keeps two of our edits of one file from crossing.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/growing_buffer.h"
#include "platform/narrow_text.h"
#include "platform/profile_edit.h"
#include "platform/profile_service.h"

namespace zarn {
namespace {

std::string fullPathOf(const std::string& file) {
  const DWORD size = GetFullPathNameA(file.c_str(), 0, nullptr, nullptr);
  if (size == 0) return file;
  std::string full(size, '\0');
  full.resize(GetFullPathNameA(file.c_str(), size, full.data(), nullptr));
  return full;
}

// Owns the file's mutex while it lives. An owner that died leaves it
// abandoned, which the next wait owns all the same.
class FileMutex {
 public:
  explicit FileMutex(const std::string& fullPath) {
    std::string folded = fullPath;
    CharUpperBuffA(folded.data(), static_cast<DWORD>(folded.size()));
    uint64_t hash = 14695981039346656037u;  // FNV-1a: object names may not hold '\'
    for (const char c : folded) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    for (const char* space : {"Global\\", "Local\\"}) {
      char name[64];
      std::snprintf(name, sizeof name, "%szarnutils-ini-%016llx", space,
                    static_cast<unsigned long long>(hash));
      if ((handle_ = CreateMutexA(nullptr, FALSE, name)) != nullptr) break;
    }
    if (handle_ != nullptr) WaitForSingleObject(handle_, INFINITE);
  }
  ~FileMutex() {
    if (handle_ == nullptr) return;
    ReleaseMutex(handle_);
    CloseHandle(handle_);
  }
  FileMutex(const FileMutex&) = delete;
  FileMutex& operator=(const FileMutex&) = delete;

 private:
  HANDLE handle_ = nullptr;
};

// The file's bytes; nothing when it cannot be read (error says why).
std::optional<std::string> bytesOf(const std::string& file, DWORD& error) {
  const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return std::nullopt;
  }
  std::string bytes;
  char chunk[65536];
  DWORD count = 0;
  while (ReadFile(handle, chunk, sizeof chunk, &count, nullptr) && count > 0)
    bytes.append(chunk, count);
  CloseHandle(handle);
  return bytes;
}

bool writeBytes(const std::string& file, const std::string& bytes, DWORD& error) {
  const HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool complete =
      handle != INVALID_HANDLE_VALUE &&
      WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  if (!complete) error = GetLastError();
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  return complete;
}

// The file's text in the narrow code page, for showing: UTF-16 (with its
// byte order mark) and UTF-8 with a mark converted, other files as they are.
std::string textOf(const std::string& bytes) {
  const auto hasMark = [&](const char* mark, size_t size) {
    return bytes.size() >= size && bytes.compare(0, size, mark, size) == 0;
  };
  if (hasMark("\xEF\xBB\xBF", 3)) return toNarrow(utf8ToText(bytes.substr(3)));
  const bool little = hasMark("\xFF\xFE", 2);
  if (!little && !hasMark("\xFE\xFF", 2)) return bytes;
  std::u16string text;
  for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
    const auto low = static_cast<unsigned char>(bytes[at + (little ? 0 : 1)]);
    const auto high = static_cast<unsigned char>(bytes[at + (little ? 1 : 0)]);
    text.push_back(static_cast<char16_t>(high << 8 | low));
  }
  return toNarrow(text);
}

// The entry's value as the profile functions read it; nothing when the
// entry is missing (only then do two defaults come back as given).
std::optional<std::string> valueIn(const std::string& file, const ProfileChange& change) {
  const auto read = [&](const char* fallback) {
    uint32_t count = 0;
    std::string value = callUntilItFits(4096, '\0', [&](char* data, uint32_t size) {
      count = ProfileService::GetPrivateProfileStringA(change.section.c_str(), change.key->c_str(),
                                                       fallback, data, size, file.c_str());
      return count + 1 < size ? std::nullopt : std::optional<uint32_t>(size * 2);
    });
    value.resize(count);
    return value;
  };
  std::string value = read("\x01");
  if (value == "\x01" && read("\x02") == "\x02") return std::nullopt;
  return value;
}

// A name beside the file, ".NAME.zarn-PID-N", that no other edit uses: the
// platform keeps what it read of a file by its name.
std::string copyNameFor(const std::string& fullPath) {
  static std::atomic<unsigned> copies{0};
  const size_t slash = fullPath.find_last_of("\\/");
  const std::string folder = fullPath.substr(0, slash + 1);
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".zarn-%lu-%u", GetCurrentProcessId(), ++copies);
  return folder + "." + fullPath.substr(slash + 1) + suffix;
}

}  // namespace

int editPrivateProfile(const std::string& file, std::span<const ProfileChange> changes, bool write,
                       ProfileEdit& edit) {
  edit = ProfileEdit{};
  const std::string fullPath = fullPathOf(file);
  const FileMutex mutex(fullPath);
  DWORD error = ERROR_SUCCESS;
  const std::optional<std::string> original = bytesOf(fullPath, error);
  if (!original && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
    return static_cast<int>(error);
  // A file in a missing folder has nothing to delete, and no copy can be
  // made there for a change that would write it.
  if (!original && error == ERROR_PATH_NOT_FOUND) {
    for (const ProfileChange& change : changes) {
      if (change.key && change.value) return ERROR_PATH_NOT_FOUND;
      edit.results.emplace_back();
    }
    return 0;
  }
  // A copy a killed edit left behind keeps its name: the next one is taken.
  std::string copy;
  bool copied = false;
  for (int attempt = 0; !copied && attempt < 100; ++attempt) {
    copy = copyNameFor(fullPath);
    copied = writeBytes(copy, original.value_or(""), error);
    if (!copied && error != ERROR_FILE_EXISTS) break;
  }
  if (!copied) return static_cast<int>(error);
  std::string bytes = original.value_or("");
  edit.before = textOf(bytes);
  for (const ProfileChange& change : changes) {
    ProfileChangeResult& result = edit.results.emplace_back();
    if (change.key) result.before = valueIn(copy, change);
    const char* key = change.key ? change.key->c_str() : nullptr;
    const char* value = change.value ? change.value->c_str() : nullptr;
    if (!ProfileService::WritePrivateProfileStringA(change.section.c_str(), key, value,
                                                    copy.c_str())) {
      error = GetLastError();
      DeleteFileA(copy.c_str());
      return static_cast<int>(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
    }
    // Flushes what the platform may still hold of the copy; this form of
    // the call answers FALSE whatever it did.
    ProfileService::WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy.c_str());
    std::string next = bytesOf(copy, error).value_or(bytes);
    const bool differs = next != bytes;
    result.outcome = !differs                ? ProfileOutcome::Unchanged
                     : !change.key || !value ? ProfileOutcome::Deleted
                     : result.before         ? ProfileOutcome::Changed
                                             : ProfileOutcome::Created;
    bytes = std::move(next);
  }
  edit.differs = bytes != original.value_or("");
  edit.after = textOf(bytes);
  bool replaced = true;
  if (write && edit.differs) {
    const DWORD attributes =
        original ? GetFileAttributesA(fullPath.c_str()) : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      replaced = false;
    } else if (original) {
      replaced = ReplaceFileA(fullPath.c_str(), copy.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
    } else {
      replaced = MoveFileExA(copy.c_str(), fullPath.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    }
    error = GetLastError();
  }
  if (!write || !edit.differs || !replaced) DeleteFileA(copy.c_str());
  return replaced ? 0 : static_cast<int>(error);
}

}  // namespace zarn
