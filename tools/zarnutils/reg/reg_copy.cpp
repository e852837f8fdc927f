// reg copy: the values of one key into another, created when missing; with
// /s the subkeys too. The source is read whole before anything is written,
// so a destination inside the source does not copy itself again.
#include "narrow_utf8.h"
#include "reg/reg.h"

namespace zarn::cli {
namespace {

class TreeCopy {
 public:
  TreeCopy(RegSession& session, bool force) : session_(session), replaceAll_(force) {}

  RegistryStatus write(KeyHandle root, const std::string& path, const KeyTree& tree) {
    OpenedKey key(session_);
    if (const RegistryStatus status = key.create(root, path)) return status;
    for (StoredValue value : tree.values) {
      if (!mayWrite(key.handle(), value.name)) continue;
      // reg.exe copies a REG_SZ as its text up to the first NUL.
      if (value.type == value_type::Text) value.data = std::string(textUpToNul(value.data)) + '\0';
      if (const RegistryStatus status = writeValue(session_, key.handle(), value)) return status;
    }
    for (const auto& [name, subTree] : tree.subKeys) {
      if (const RegistryStatus status = write(root, childPath(path, name), subTree)) return status;
    }
    return registry_status::Success;
  }

 private:
  bool mayWrite(KeyHandle key, const std::string& name) {
    StoredValue existing;
    if (replaceAll_ || readValue(session_, key, name, existing) != registry_status::Success)
      return true;
    const std::string shown = name.empty() ? "(Default)" : utf8FromNarrow(name);
    const Answer answer = ask(session_.console, "Value " + shown + " exists, overwrite", true);
    if (answer == Answer::All) replaceAll_ = true;
    return answer != Answer::No;
  }

  RegSession& session_;
  bool replaceAll_;
};

}  // namespace

int regCopy(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::optional<KeyName> source = parseKeyName(arguments.fixed[0]);
  const std::optional<KeyName> target = parseKeyName(arguments.fixed[1]);
  if (!source || !target) return reportInvalidKeyName(console, "copy");
  if (sameKey(*source, *target)) {
    return reportError(console, "The source and destination keys cannot be the same.");
  }
  KeyTree tree;
  if (const RegistryStatus status =
          readTree(session, source->root, narrowFromUtf8(source->path), arguments.has("s"), tree)) {
    return reportStatus(console, status);
  }
  TreeCopy copy(session, arguments.has("f"));
  if (const RegistryStatus status = copy.write(target->root, narrowFromUtf8(target->path), tree)) {
    return reportStatus(console, status);
  }
  return reportSuccess(console);
}

}  // namespace zarn::cli
