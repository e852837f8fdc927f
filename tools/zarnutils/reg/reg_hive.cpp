// reg save, restore, load and unload: a key and its tree to and from a
// hive file, Windows' own registry format, as reg.exe has them. Saving asks
// before it replaces a file (/y answers yes); restoring replaces the key's
// values and subkeys with the file's; loading reaches a hive as a key right
// below HKLM or HKU until it is unloaded.
#include "file_bytes.h"
#include "reg/reg.h"
#include "reg/reg_pipeline.h"

namespace zarn::cli {
namespace {

// What failed with the file, for the line after reg.exe's message.
void noteFileFailure(RegSession& session, std::string_view step, const KeyName& name,
                     const std::string& fileName, const std::error_code& ec) {
  session.noteFailure(std::string(step) + " " + quotedName(name.fullName()) + " " +
                      (step == "cannot save" ? "to " : "from ") + quotedName(fileName) + ": " +
                      ec.message());
}

// HKLM\NAME or HKU\NAME, the keys a hive may be loaded as; nothing, with
// the reason noted, for any other.
std::optional<KeyName> hiveKeyName(RegSession& session, std::string_view verb,
                                   const std::string& written) {
  const std::optional<KeyName> name = parseKeyName(written);
  if (!name) {
    reportInvalidKeyName(session, verb, keyNameProblem(written));
    return std::nullopt;
  }
  const bool rootAllowed = name->root == Root::LocalMachine || name->root == Root::Users;
  if (!rootAllowed || name->path.empty() || name->path.find('\\') != std::string::npos) {
    reportInvalidKeyName(
        session, verb,
        "'" + quotedName(written) + "': a hive is loaded as a key right below HKLM or HKU");
    return std::nullopt;
  }
  return name;
}

}  // namespace

int regLoad(const RegArguments& arguments, RegSession& session) {
  const std::optional<KeyName> name = hiveKeyName(session, "load", arguments.fixed[0]);
  if (!name) return regFailed;
  const std::string& fileName = arguments.fixed[1];
  std::error_code ec;
  registry::Key::loadHive(name->root, name->path, fileName, ec);
  if (ec) {
    noteFileFailure(session, "cannot load", *name, fileName, ec);
    return reportStatus(session, ec.value());
  }
  return reportSuccess(session.console);
}

int regUnload(const RegArguments& arguments, RegSession& session) {
  const std::optional<KeyName> name = hiveKeyName(session, "unload", arguments.fixed[0]);
  if (!name) return regFailed;
  std::error_code ec;
  registry::Key::unloadHive(name->root, name->path, true, ec);
  if (ec) {
    session.noteFailure("cannot unload " + quotedName(name->fullName()) + ": " + ec.message());
    return reportStatus(session, ec.value());
  }
  return reportSuccess(session.console);
}

int regSave(const RegArguments& arguments, RegSession& session) {
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name) return reportInvalidKeyName(session, "save", keyNameProblem(arguments.fixed[0]));
  const std::string& fileName = arguments.fixed[1];
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(*name)) return reportStatus(session, status);
  const bool replace = arguments.has("y") || !fileExists(fileName);
  if (!replace && ask(session.console, "File " + quotedName(fileName) +
                                           " already exists. Overwrite") != Answer::Yes) {
    return reportCanceled(session);
  }
  std::error_code ec;
  key.key().saveTo(fileName, true, ec);
  if (ec) {
    noteFileFailure(session, "cannot save", *name, fileName, ec);
    return reportStatus(session, ec.value());
  }
  return reportSuccess(session.console);
}

int regRestore(const RegArguments& arguments, RegSession& session) {
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name) return reportInvalidKeyName(session, "restore", keyNameProblem(arguments.fixed[0]));
  const std::string& fileName = arguments.fixed[1];
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(*name, true)) return reportStatus(session, status);
  std::error_code ec;
  key.key().restoreFrom(fileName, ec);
  if (ec) {
    noteFileFailure(session, "cannot restore", *name, fileName, ec);
    return reportStatus(session, ec.value());
  }
  return reportSuccess(session.console);
}

}  // namespace zarn::cli
