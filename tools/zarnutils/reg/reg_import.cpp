// reg import: applies a .reg file as the platform's reg import does, line by
// line: what it cannot use is skipped, the rest applied, and the exit code is
// 0. Beyond Windows, which skips in silence, each skipped line is named on
// standard error with the reason; --strict refuses a file with any such line
// and applies nothing of it. The changes are applied as one group, so that
// natively a failure under --strict leaves none of them applied.
#include <variant>

#include "file_bytes.h"
#include "reg/reg.h"
#include "reg/reg_file.h"
#include "reg/reg_pipeline.h"

namespace zarn::cli {
namespace {

using registry_status::NotFound;
using registry_status::Success;

class Import {
 public:
  Import(RegSession& session, const std::string& fileName, bool strict)
      : session_(session), console_(session.console), fileName_(fileName), strict_(strict) {}

  // Applies the key's changes; false when --strict stops at a failure.
  bool apply(const RegFileKey& change) {
    if (change.remove) {
      const RegistryStatus status = deleteTree(session_, change.key);
      return status == Success || status == NotFound || failed(change.line, status);
    }
    OpenedKey key(session_);
    if (const RegistryStatus status = key.create(change.key)) {
      if (!failed(change.line, status)) return false;
      for (const RegFileValue& value : change.values) {
        skipped(value.line, "its key (line " + std::to_string(change.line) + ") was not opened");
      }
      return true;
    }
    for (const RegFileValue& value : change.values) {
      RegistryStatus status;
      if (value.remove) {
        status = deleteValue(session_, key.key(), value.name);
        if (status == NotFound) status = Success;
      } else {
        status = writeValue(session_, key.key(), {value.name, value.type, value.data});
      }
      if (status != Success && !failed(value.line, status)) return false;
    }
    return true;
  }

  void skipped(int line, const std::string& reason) {
    console_.err << fileName_ << ", line " << line << ": skipped: " << quotedName(reason) << '\n';
  }

 private:
  // Under --strict a failure ends the import; otherwise its line is skipped.
  bool failed(int line, RegistryStatus status) {
    if (strict_) {
      // The step that failed noted what and why.
      reportError(session_, fileName_ + ", line " + std::to_string(line) + ": " +
                                statusText(status) + " Nothing was imported.");
      return false;
    }
    skipped(line, statusText(status));
    return true;
  }

  RegSession& session_;
  ConsoleStreams& console_;
  const std::string& fileName_;
  bool strict_;
};

}  // namespace

int regImport(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::string fileName = quotedName(arguments.fixed[0]);  // as the messages name it
  const bool strict = arguments.has("-strict");
  const auto refuse = [&](const RegFileError& problem) {
    const std::string where = problem.line ? ", line " + std::to_string(problem.line) : "";
    return reportError(session,
                       fileName + where + ": " + problem.message + "; nothing was imported.",
                       "cannot import " + fileName + where);
  };
  // readRegInput notes why the file could not be read.
  const std::optional<RegInput> input = readRegInput(session, arguments.fixed[0]);
  if (!input) {
    return reportError(session,
                       "Error opening the file. There may be a disk or file system error.");
  }
  if (const auto* tooLarge = std::get_if<RegFileError>(&*input)) return refuse(*tooLarge);
  const std::variant<RegFile, RegFileError> read = readRegFile(std::get<std::string>(*input));
  if (const auto* problem = std::get_if<RegFileError>(&read)) return refuse(*problem);
  const RegFile& file = std::get<RegFile>(read);
  Import import(session, fileName, strict);
  if (file.readsNothing) {
    import.skipped(1,
                   "a REGEDIT header of no known version: Windows imports nothing of such a file");
    return strict ? reportError(session, fileName + ": nothing was imported.",
                                "--strict: a REGEDIT header of no known version")
                  : reportSuccess(console);
  }
  for (const RegFileSkip& skip : file.skipped) import.skipped(skip.line, skip.reason);
  if (strict && !file.skipped.empty()) {
    return reportError(session,
                       fileName + ": " + std::to_string(file.skipped.size()) +
                           " line(s) could not be used; nothing was imported.",
                       "--strict: the lines named above could not be used");
  }
  registry::Transaction transaction;
  for (const RegFileKey& change : file.keys) {
    if (!import.apply(change)) return regFailed;
  }
  std::error_code ec;
  transaction.commit(ec);
  if (!ec) return reportSuccess(console);
  session.noteFailure("cannot apply " + fileName + ": " + statusText(ec.value()));
  return reportStatus(session, ec.value());
}

}  // namespace zarn::cli
