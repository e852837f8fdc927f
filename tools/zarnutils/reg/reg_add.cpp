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
  if (!name) return reportInvalidKeyName(session, "add", keyNameProblem(arguments.fixed[0]));
  if (arguments.has("v") && arguments.has("ve")) {
    return reportInvalidSyntax(session, "add", "/v and /ve exclude each other");
  }
  StoredValue value;
  value.name = arguments.has("v") ? arguments.value("v") : "";
  const std::optional<ValueType> type =
      arguments.has("t") ? registry::valueTypeOfName(arguments.value("t")) : ValueType::Text;
  if (!type) {
    return reportInvalidSyntax(session, "add",
                               "unknown type '" + quotedName(arguments.value("t")) + "'");
  }
  const std::string separator = arguments.has("s") ? arguments.value("s") : "\\0";
  if (arguments.has("s") && separator.size() != 1) {
    return reportInvalidSyntax(session, "add",
                               "/s takes one character, not '" + quotedName(separator) + "'");
  }
  if (arguments.has("s") && *type != ValueType::MultiText) {
    return reportInvalidSyntax(session, "add", "/s is for REG_MULTI_SZ only");
  }
  // A 32-bit number needs its /d; every other type has a value without one.
  const bool needsData = *type == ValueType::Number || *type == ValueType::NumberBigEndian;
  if (needsData && !arguments.has("d")) {
    return reportInvalidSyntax(session, "add", typeNameOfCode(*type) + " needs its data: /d");
  }
  const std::string text = arguments.has("d") ? arguments.value("d") : "";
  const std::optional<std::string> data = dataFromText(*type, text, separator);
  if (!data) return reportInvalidSyntax(session, "add", dataProblem(*type, text, separator));
  value.type = *type;
  value.data = *data;
  OpenedKey key(session);
  if (const RegistryStatus status = key.create(*name)) {
    return reportStatus(session, status);
  }
  StoredValue existing;
  if (!arguments.has("f") &&
      readValue(session, key.key(), value.name, existing) == registry_status::Success) {
    const std::string shown = value.name.empty() ? "(Default)" : value.name;
    if (ask(console, "Value " + shown + " exists, overwrite") != Answer::Yes) {
      return reportCanceled(session);
    }
  }
  if (const RegistryStatus status = writeValue(session, key.key(), value)) {
    return reportStatus(session, status);
  }
  return reportSuccess(console);
}

}  // namespace zarn::cli
