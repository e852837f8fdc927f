// reg watch: one line for every change under a key, as it happens, in the
// words and form of reg apply's report: a subkey created or deleted, a
// value created or changed (with its new data) or deleted (with its last).
// The registry's change notification says only that something may have
// changed; each wake-up reads the key again (the whole tree with /s) and
// reports what differs from the state read before. The watch is asked for
// before that first read, so no change after it is missed.
#include <charconv>
#include <chrono>
#include <cmath>

#include "reg/reg.h"
#include "reg/reg_pipeline.h"

namespace zarn::cli {
namespace {

using namespace std::chrono;

// No change came before --timeout passed.
constexpr int regWatchTimedOut = 2;

std::optional<uint64_t> countOf(const std::string& text) {
  uint64_t count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size() || count == 0) return std::nullopt;
  return count;
}

// Seconds, fractions allowed: "2", "0.5".
std::optional<milliseconds> secondsOf(const std::string& text) {
  double seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
      seconds < 0 || seconds > 1e9) {
    return std::nullopt;
  }
  return milliseconds(static_cast<int64_t>(std::llround(seconds * 1000)));
}

const KeyTree* findSubKey(const KeyTree& tree, const std::string& name) {
  for (const KeyTree::SubKey& subKey : tree.subKeys) {
    if (registry::sameName(subKey.name, name)) return &subKey.tree;
  }
  return nullptr;
}

class Watcher {
 public:
  Watcher(RegSession& session, bool recursive, std::optional<uint64_t> count)
      : session_(session), recursive_(recursive), count_(count) {}

  // The key's values and subkeys as they are now: with /s the whole tree,
  // without it the subkeys' names alone.
  RegistryStatus read(const KeyName& name, KeyTree& tree) {
    if (recursive_) return readTree(session_, name, true, tree);
    std::vector<std::string> names;
    if (const RegistryStatus status = readKey(session_, name, tree.values, names)) return status;
    for (std::string& subKey : names) tree.subKeys.push_back({std::move(subKey), {}});
    return registry_status::Success;
  }

  // Reports what differs from before to now under the key, in the order a
  // reader would make the changes: the key's values, then its subkeys.
  void report(const KeyName& key, const KeyTree& before, const KeyTree& now) {
    for (const StoredValue& value : now.values) {
      const StoredValue* old = findValue(before.values, value.name);
      if (!old) {
        line("created", key, &value);
      } else if (!sameData(*old, value)) {
        line("changed", key, &value);
      }
    }
    for (const StoredValue& value : before.values) {
      if (!findValue(now.values, value.name)) line("deleted", key, &value);
    }
    for (const KeyTree::SubKey& subKey : now.subKeys) {
      const KeyTree* old = findSubKey(before, subKey.name);
      if (!old) line("created", key.child(subKey.name), nullptr);
      if (recursive_) report(key.child(subKey.name), old ? *old : KeyTree{}, subKey.tree);
    }
    for (const KeyTree::SubKey& subKey : before.subKeys) {
      if (!findSubKey(now, subKey.name)) line("deleted", key.child(subKey.name), nullptr);
    }
  }

  // The watched key itself is gone.
  void reportGone(const KeyName& key) { line("deleted", key, nullptr); }

  uint64_t reported() const { return reported_; }
  // --count changes have been reported.
  bool done() const { return count_ && reported_ >= *count_; }

 private:
  // One change: "created KEY", "deleted KEY", or "STATUS KEY    NAME    TYPE
  // DATA" for a value; with --json one object a line, as reg apply's lines.
  void line(std::string_view status, const KeyName& key, const StoredValue* value) {
    if (done()) return;
    ++reported_;
    ConsoleStreams& console = session_.console;
    if (console.json) {
      JsonWriter json;
      json.beginObject().member("status", status).member("path", key.fullName());
      if (value) {
        json.key("value");
        writeValueJson(json, *value);
      }
      json.endObject();
      console.out << json.text();
    } else {
      console.out << status << ' ' << console.shown(key.fullName());
      if (value) {
        console.out << "    " << (value->name.empty() ? "(Default)" : console.shown(value->name))
                    << "    " << typeNameOfCode(value->type) << "    "
                    << console.shown(dataAsText(value->type, value->data, "\\0"));
      }
      console.out << '\n';
    }
    // Seen at once by whoever reads the pipe.
    console.out.flush();
  }

  RegSession& session_;
  bool recursive_;
  std::optional<uint64_t> count_;
  uint64_t reported_ = 0;
};

}  // namespace

int regWatch(const RegArguments& arguments, RegSession& session) {
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name) return reportInvalidKeyName(session, "watch", keyNameProblem(arguments.fixed[0]));
  std::optional<uint64_t> count;
  if (arguments.has("-count") && !(count = countOf(arguments.value("-count")))) {
    return reportInvalidSyntax(
        session, "watch",
        "--count '" + arguments.value("-count") + "' is not a whole number of changes above 0");
  }
  std::optional<steady_clock::time_point> deadline;
  if (arguments.has("-timeout")) {
    const std::optional<milliseconds> timeout = secondsOf(arguments.value("-timeout"));
    if (!timeout) {
      return reportInvalidSyntax(
          session, "watch",
          "--timeout '" + arguments.value("-timeout") + "' is not a number of seconds");
    }
    deadline = steady_clock::now() + *timeout;
  }
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(*name)) return reportStatus(session, status);
  const bool recursive = arguments.has("s");
  std::error_code ec;
  registry::ChangeWatch watch(key.key(), recursive, ec);
  if (ec) return reportStatus(session, ec.value());

  Watcher watcher(session, recursive, count);
  KeyTree state;
  if (const RegistryStatus status = watcher.read(*name, state))
    return reportStatus(session, status);
  while (!watcher.done()) {
    // Without a deadline, a day at a time.
    const milliseconds left = deadline
                                  ? duration_cast<milliseconds>(*deadline - steady_clock::now())
                                  : duration_cast<milliseconds>(hours(24));
    if (left.count() <= 0) break;
    const bool woken = watch.wait(left, ec);
    if (ec) return reportStatus(session, ec.value());
    if (!woken) continue;
    KeyTree now;
    const RegistryStatus status = watcher.read(*name, now);
    if (status == registry_status::NotFound || status == registry_status::KeyDeleted) {
      watcher.reportGone(*name);
      break;
    }
    if (status) return reportStatus(session, status);
    watcher.report(*name, state, now);
    state = std::move(now);
  }
  return watcher.reported() ? regSucceeded : regWatchTimedOut;
}

}  // namespace zarn::cli
