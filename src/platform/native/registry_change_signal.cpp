// RegistryChangeSignal over inotify: every committed change writes the
// store's file or its -wal beside it, so a watch on the folders holding the
// two store files wakes at every change, made by this process or another;
// a reader only maps the -shm file, which tells inotify nothing, so reading
// never wakes a watcher. A folder not there yet (no store made) is looked
// for again every folderPollMs until it is.
//
// A writer's last write comes before its commit can be seen (the sync and
// the -shm update follow it), so a wake-up may find nothing new yet. For
// settleMs after the last file event the signal therefore also asks the
// store's change version every versionPollMs, and wakes when it moves on:
// a change is seen within versionPollMs of its commit, and nothing is read
// while the files stay quiet.
#include "platform/registry_change_signal.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/native/registry_store/registry_store.h"
#include "zarnutils/store_location.h"

namespace zarn {
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t folderPollMs = 200;
constexpr uint32_t versionPollMs = 10;
constexpr std::chrono::milliseconds settleMs{2000};
// The platform's "insufficient system resources": no inotify instance left.
constexpr RegistryStatus noSystemResources = 1450;
constexpr uint32_t fileEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB;
constexpr uint32_t folderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

}  // namespace

struct RegistryChangeSignal::State {
  struct Folder {
    std::filesystem::path path;
    std::vector<std::string> files;  // store files in it: user.sqlite3, machine.sqlite3
    int watch = -1;
  };
  int descriptor = -1;
  std::vector<Folder> folders;
  std::optional<Clock::time_point> lastEvent;  // while settling
  uint64_t seenVersion = 0;

  // Whether the store's change version moved on since last asked.
  bool versionMoved() {
    RegistryStore* store = processRegistryStore();
    const uint64_t version = store ? store->changeVersion() : 0;
    const bool moved = version != seenVersion;
    seenVersion = version;
    return moved;
  }

  void addFile(const std::filesystem::path& file) {
    if (file.empty()) return;
    for (Folder& folder : folders) {
      if (folder.path == file.parent_path()) return folder.files.push_back(file.filename());
    }
    folders.push_back({file.parent_path(), {file.filename()}});
  }

  // Watches the folders that have come to be; true when one had not been
  // watched before, as a store may have been made in it.
  bool watchNewFolders() {
    bool added = false;
    for (Folder& folder : folders) {
      if (folder.watch >= 0) continue;
      folder.watch =
          inotify_add_watch(descriptor, folder.path.c_str(), fileEvents | folderGone | IN_ONLYDIR);
      added = added || folder.watch >= 0;
    }
    return added;
  }

  bool allWatched() const {
    for (const Folder& folder : folders) {
      if (folder.watch < 0) return false;
    }
    return true;
  }

  // Reads the waiting events: true when one concerns a store file or a
  // watched folder went away.
  bool readEvents() {
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    ssize_t length;
    while ((length = read(descriptor, buffer, sizeof buffer)) > 0) {
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        for (Folder& folder : folders) {
          if (folder.watch != event->wd) continue;
          if (event->mask & folderGone) {
            folder.watch = -1;
            changed = true;
          } else if (event->len && concernsStore(folder, event->name)) {
            changed = true;
          }
        }
      }
    }
    return changed;
  }

  // The store file itself, or a file SQLite keeps beside it (-wal, -journal).
  static bool concernsStore(const Folder& folder, std::string_view name) {
    for (const std::string& file : folder.files) {
      if (name.starts_with(file)) return true;
    }
    return false;
  }
};

RegistryChangeSignal::RegistryChangeSignal(KeyHandle key, bool subtree, RegistryStatus& status)
    : key_(key), subtree_(subtree), state_(std::make_unique<State>()) {
  // The handle must name a key that is there.
  status = RegistryService::RegQueryValueExA(key, "", nullptr, nullptr, nullptr, nullptr);
  if (status == registry_status::NotFound) status = registry_status::Success;
  if (status) return;
  state_->descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (state_->descriptor < 0) {
    status = noSystemResources;
    return;
  }
  state_->addFile(registryStoreFile("HKEY_CURRENT_USER"));
  state_->addFile(registryStoreFile("HKEY_LOCAL_MACHINE"));
  state_->watchNewFolders();
  state_->versionMoved();
}

RegistryChangeSignal::~RegistryChangeSignal() {
  if (state_->descriptor >= 0) close(state_->descriptor);
}

RegistryStatus RegistryChangeSignal::wait(uint32_t timeoutMs) {
  State& state = *state_;
  if (state.descriptor < 0) return registry_status::InvalidHandle;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    if (state.watchNewFolders()) return registry_status::Success;
    const Clock::time_point now = Clock::now();
    if (state.lastEvent && now - *state.lastEvent > settleMs) state.lastEvent.reset();
    if (state.lastEvent && state.versionMoved()) return registry_status::Success;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    if (left.count() <= 0) return changeWaitTimedOut;
    const uint32_t step = state.lastEvent      ? versionPollMs
                          : state.allWatched() ? UINT32_MAX
                                               : folderPollMs;
    const auto pollMs = static_cast<int>(std::min<int64_t>(left.count(), step));
    pollfd waiting{state.descriptor, POLLIN, 0};
    const int ready = poll(&waiting, 1, pollMs);
    if (ready < 0 && errno != EINTR) return noSystemResources;
    if (ready > 0 && state.readEvents()) {
      state.lastEvent = Clock::now();
      // Read now, to be compared with while settling; the caller reads the
      // key after this, in a snapshot of its own.
      state.versionMoved();
      return registry_status::Success;
    }
  }
}

}  // namespace zarn
