// reg copy: the values of one key into another, created when missing; with
// /s the subkeys too. The source is read whole before anything is written,
// so a destination inside the source does not copy itself again.
#include "reg/reg.h"

namespace zarn::cli {
namespace {

class TreeCopy {
 public:
  TreeCopy(RegSession& session, bool force) : session_(session), replaceAll_(force) {}

  RegistryStatus write(const KeyName& target, const KeyTree& tree) {
    OpenedKey key(session_);
    if (const RegistryStatus status = key.create(target)) return status;
    for (StoredValue value : tree.values) {
      if (!mayWrite(key.key(), value.name)) continue;
      // reg.exe copies a REG_SZ as its text up to the first NUL.
      if (value.type == ValueType::Text) value.data = utf16leBytes(textUpToNul(value.data) + u'\0');
      if (const RegistryStatus status = writeValue(session_, key.key(), value)) return status;
    }
    for (const auto& [name, subTree] : tree.subKeys) {
      if (const RegistryStatus status = write(target.child(name), subTree)) return status;
    }
    return registry_status::Success;
  }

 private:
  bool mayWrite(const registry::Key& key, const std::string& name) {
    StoredValue existing;
    if (replaceAll_ || readValue(session_, key, name, existing) != registry_status::Success)
      return true;
    const std::string shown = name.empty() ? "(Default)" : name;
    const Answer answer = ask(session_.console, "Value " + shown + " exists, overwrite", true);
    if (answer == Answer::All) replaceAll_ = true;
    return answer != Answer::No;
  }

  RegSession& session_;
  bool replaceAll_;
};

}  // namespace

int regCopy(const RegArguments& arguments, RegSession& session) {
  const std::optional<KeyName> source = parseKeyName(arguments.fixed[0]);
  const std::optional<KeyName> target = parseKeyName(arguments.fixed[1]);
  if (!source || !target) {
    return reportInvalidKeyName(session, "copy", keyNameProblem(arguments.fixed[source ? 1 : 0]));
  }
  if (sameKey(*source, *target)) {
    return reportError(session, "The source and destination keys cannot be the same.",
                       "both name " + quotedName(source->fullName()));
  }
  KeyTree tree;
  if (const RegistryStatus status = readTree(session, *source, arguments.has("s"), tree)) {
    return reportStatus(session, status);
  }
  TreeCopy copy(session, arguments.has("f"));
  if (const RegistryStatus status = copy.write(*target, tree)) {
    return reportStatus(session, status);
  }
  return reportSuccess(session.console);
}

}  // namespace zarn::cli
