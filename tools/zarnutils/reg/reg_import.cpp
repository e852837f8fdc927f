// reg import: applies a .reg file. The file is read whole first: a malformed
// one is refused with its line number before anything is changed, and its
// changes are applied as one group, so that a change the store refuses
// halfway leaves none of them applied where the store can undo them.
#include <variant>

#include "file_bytes.h"
#include "narrow_utf8.h"
#include "reg/reg.h"
#include "reg/reg_file.h"

namespace zarn::cli {
namespace {

using registry_status::NotFound;
using registry_status::Success;

RegistryStatus applyKey(const RegFileKey& change) {
  const std::string path = narrowFromUtf8(change.key.path);
  if (change.remove) {
    const RegistryStatus status = deleteTree(change.key.root, path);
    return status == NotFound ? Success : status;
  }
  OpenedKey key;
  if (const RegistryStatus status = key.create(change.key.root, path)) return status;
  for (const RegFileValue& value : change.values) {
    RegistryStatus status;
    if (value.remove) {
      status = RegistryService::RegDeleteValueA(key.handle(), value.name.c_str());
      if (status == NotFound) status = Success;
    } else {
      status = writeValue(key.handle(), {value.name, value.type, value.data});
    }
    if (status != Success) return status;
  }
  return Success;
}

}  // namespace

int regImport(const RegArguments& arguments, ConsoleStreams& console) {
  const std::string& fileName = arguments.fixed[0];
  const std::optional<std::string> bytes = readFileBytes(fileName);
  if (!bytes) {
    return reportError(console,
                       "Error opening the file. There may be a disk or file system error.");
  }
  const std::variant<RegFile, RegFileError> read = readRegFile(*bytes);
  if (const auto* problem = std::get_if<RegFileError>(&read)) {
    return reportError(console, fileName + ", line " + std::to_string(problem->line) + ": " +
                                    problem->message + "; nothing was imported.");
  }
  RegistryChangeGroup group;
  for (const RegFileKey& change : std::get<RegFile>(read).keys) {
    if (const RegistryStatus status = applyKey(change)) return reportStatus(console, status);
  }
  if (const RegistryStatus status = group.commit()) return reportStatus(console, status);
  return reportSuccess(console);
}

}  // namespace zarn::cli
