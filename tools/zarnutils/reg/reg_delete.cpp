// reg delete: a key with all its subkeys, one value (/v, /ve) or every value
// of the key (/va), each after a question that /f skips.
#include "reg/reg.h"

namespace zarn::cli {
namespace {

bool confirmed(const RegArguments& arguments, ConsoleStreams& console,
               const std::string& question) {
  return arguments.has("f") || ask(console, question) == Answer::Yes;
}

int deleteKey(const RegArguments& arguments, RegSession& session, const KeyName& name) {
  ConsoleStreams& console = session.console;
  {
    OpenedKey key(session);
    if (const RegistryStatus status = key.open(name)) return reportStatus(session, status);
  }
  if (!confirmed(arguments, console, "Permanently delete the registry key " + name.fullName())) {
    return reportCanceled(session);
  }
  // All or nothing: a tree the store fails to delete halfway stays whole.
  registry::Transaction transaction;
  if (const RegistryStatus status = deleteTree(session, name)) return reportStatus(session, status);
  std::error_code ec;
  transaction.commit(ec);
  if (!ec) return reportSuccess(console);
  session.noteFailure("cannot delete " + quotedName(name.fullName()) + ": " +
                      statusText(ec.value()));
  return reportStatus(session, ec.value());
}

int deleteOneValue(const RegArguments& arguments, RegSession& session, const registry::Key& key,
                   const std::string& valueName) {
  ConsoleStreams& console = session.console;
  StoredValue value;
  if (const RegistryStatus status = readValue(session, key, valueName, value)) {
    return reportStatus(session, status);
  }
  const std::string shown = valueName.empty() ? "(Default)" : valueName;
  if (!confirmed(arguments, console, "Delete the registry value " + shown)) {
    return reportCanceled(session);
  }
  const RegistryStatus status = deleteValue(session, key, valueName);
  return status == registry_status::Success ? reportSuccess(console)
                                            : reportStatus(session, status);
}

int deleteAllValues(const RegArguments& arguments, RegSession& session, const registry::Key& key,
                    const KeyName& name) {
  ConsoleStreams& console = session.console;
  if (!confirmed(arguments, console,
                 "Delete all values under the registry key " + name.fullName())) {
    return reportCanceled(session);
  }
  std::vector<StoredValue> values;
  if (const RegistryStatus status = listValues(key, values)) return reportStatus(session, status);
  for (const StoredValue& value : values) {
    if (const RegistryStatus status = deleteValue(session, key, value.name)) {
      return reportStatus(session, status);
    }
  }
  return reportSuccess(console);
}

}  // namespace

int regDelete(const RegArguments& arguments, RegSession& session) {
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name) return reportInvalidKeyName(session, "delete", keyNameProblem(arguments.fixed[0]));
  if (name->isRoot()) {
    return reportInvalidKeyName(session, "delete",
                                name->fullName() + " is a root key, which cannot be deleted");
  }
  const int valueSwitches = arguments.has("v") + arguments.has("ve") + arguments.has("va");
  if (valueSwitches > 1) {
    return reportInvalidSyntax(session, "delete", "/v, /ve and /va exclude each other");
  }
  if (valueSwitches == 0) return deleteKey(arguments, session, *name);
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(*name, true)) {
    return reportStatus(session, status);
  }
  if (arguments.has("va")) return deleteAllValues(arguments, session, key.key(), *name);
  const std::string valueName = arguments.has("v") ? arguments.value("v") : "";
  return deleteOneValue(arguments, session, key.key(), valueName);
}

}  // namespace zarn::cli
