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
    if (const RegistryStatus status = key.open(name)) return reportStatus(console, status);
  }
  if (!confirmed(arguments, console, "Permanently delete the registry key " + name.fullName())) {
    return reportCanceled(console);
  }
  // All or nothing: a tree the store fails to delete halfway stays whole.
  registry::Transaction transaction;
  if (const RegistryStatus status = deleteTree(session, name)) return reportStatus(console, status);
  std::error_code ec;
  transaction.commit(ec);
  return ec ? reportStatus(console, ec.value()) : reportSuccess(console);
}

int deleteOneValue(const RegArguments& arguments, RegSession& session, const registry::Key& key,
                   const std::string& valueName) {
  ConsoleStreams& console = session.console;
  StoredValue value;
  if (const RegistryStatus status = readValue(session, key, valueName, value)) {
    return reportStatus(console, status);
  }
  const std::string shown = valueName.empty() ? "(Default)" : valueName;
  if (!confirmed(arguments, console, "Delete the registry value " + shown)) {
    return reportCanceled(console);
  }
  const RegistryStatus status = deleteValue(key, valueName);
  return status == registry_status::Success ? reportSuccess(console)
                                            : reportStatus(console, status);
}

int deleteAllValues(const RegArguments& arguments, ConsoleStreams& console,
                    const registry::Key& key, const KeyName& name) {
  if (!confirmed(arguments, console,
                 "Delete all values under the registry key " + name.fullName())) {
    return reportCanceled(console);
  }
  std::vector<StoredValue> values;
  if (const RegistryStatus status = listValues(key, values)) return reportStatus(console, status);
  for (const StoredValue& value : values) {
    if (const RegistryStatus status = deleteValue(key, value.name)) {
      return reportStatus(console, status);
    }
  }
  return reportSuccess(console);
}

}  // namespace

int regDelete(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name || name->isRoot()) return reportInvalidKeyName(console, "delete");
  const int valueSwitches = arguments.has("v") + arguments.has("ve") + arguments.has("va");
  if (valueSwitches > 1) return reportInvalidSyntax(console, "delete");
  if (valueSwitches == 0) return deleteKey(arguments, session, *name);
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(*name, true)) {
    return reportStatus(console, status);
  }
  if (arguments.has("va")) return deleteAllValues(arguments, console, key.key(), *name);
  const std::string valueName = arguments.has("v") ? arguments.value("v") : "";
  return deleteOneValue(arguments, session, key.key(), valueName);
}

}  // namespace zarn::cli
