// reg add: creates a key and sets one value in it: /v names it, /ve or no
// name at all is the default value, which reg.exe then sets to an empty
// REG_SZ unless /t or /d say otherwise. An existing value is replaced after a
// question that /f skips.
#include "reg/reg.h"
#include "reg/reg_pipeline.h"

namespace zarn::cli {

int regAdd(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name) return reportInvalidKeyName(console, "add");
  if (arguments.has("v") && arguments.has("ve")) return reportInvalidSyntax(console, "add");
  StoredValue value;
  value.name = arguments.has("v") ? arguments.value("v") : "";
  const std::optional<ValueType> type =
      arguments.has("t") ? registry::valueTypeOfName(arguments.value("t")) : ValueType::Text;
  const std::string separator = arguments.has("s") ? arguments.value("s") : "\\0";
  if (!type || (arguments.has("s") && (separator.size() != 1 || *type != ValueType::MultiText))) {
    return reportInvalidSyntax(console, "add");
  }
  // A 32-bit number needs its /d; every other type has a value without one.
  const bool needsData = *type == ValueType::Number || *type == ValueType::NumberBigEndian;
  if (needsData && !arguments.has("d")) return reportInvalidSyntax(console, "add");
  const std::string text = arguments.has("d") ? arguments.value("d") : "";
  const std::optional<std::string> data = dataFromText(*type, text, separator);
  if (!data) {
    session.noteFailure(dataProblem(*type, text, separator));
    return reportInvalidSyntax(console, "add");
  }
  value.type = *type;
  value.data = *data;
  OpenedKey key(session);
  if (const RegistryStatus status = key.create(*name)) {
    return reportStatus(console, status);
  }
  StoredValue existing;
  if (!arguments.has("f") &&
      readValue(session, key.key(), value.name, existing) == registry_status::Success) {
    const std::string shown = value.name.empty() ? "(Default)" : value.name;
    if (ask(console, "Value " + shown + " exists, overwrite") != Answer::Yes) {
      return reportCanceled(console);
    }
  }
  if (const RegistryStatus status = writeValue(session, key.key(), value)) {
    return reportStatus(console, status);
  }
  return reportSuccess(console);
}

}  // namespace zarn::cli
