// reg export: the key and everything below it as a .reg file, version 5.00
// or, with --regedit4, REGEDIT4; an existing file is replaced after a
// question that /y skips.
#include "file_bytes.h"
#include "reg/reg.h"
#include "reg/reg_file.h"
#include "reg/reg_pipeline.h"

namespace zarn::cli {

int regExport(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name) return reportInvalidKeyName(session, "export", keyNameProblem(arguments.fixed[0]));
  const std::string& fileName = arguments.fixed[1];
  KeyTree tree;
  if (const RegistryStatus status = readTree(session, *name, true, tree)) {
    return reportStatus(session, status);
  }
  if (!arguments.has("y") && !isStandardStream(fileName) && fileExists(fileName) &&
      ask(console, "File " + quotedName(fileName) + " already exists. Overwrite") != Answer::Yes) {
    return reportCanceled(session);
  }
  const RegFileForm form =
      arguments.has("-regedit4") ? RegFileForm::Regedit4 : RegFileForm::Version5;
  std::string problem;
  const std::optional<std::string> bytes = regFileBytes(*name, tree, form, problem);
  if (!bytes) {
    return reportError(
        session, "Cannot export: " + problem + "; nothing was written.",
        "nothing written to " +
            (isStandardStream(fileName) ? std::string("standard output") : quotedName(fileName)));
  }
  // writeRegOutput notes why the file could not be written.
  if (!writeRegOutput(session, fileName, *bytes)) {
    return reportError(session, "Unable to write the file " + quotedName(fileName) + ".");
  }
  return reportSuccess(console);
}

}  // namespace zarn::cli
