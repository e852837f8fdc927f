// reg query --json and reg compare --json: keys, values and comparison lines
// as JSON objects (the schema is in docs/cli.md).
#include "reg/reg_pipeline.h"

namespace zarn::cli {
namespace {

// The key's values and subkeys; with recursive each subkey the same way,
// else each named only.
RegistryStatus writeKeyJson(RegSession& session, JsonWriter& json, const KeyName& name,
                            bool recursive) {
  std::vector<StoredValue> values;
  std::vector<std::string> subKeys;
  if (const RegistryStatus status = readKey(session, name, values, subKeys)) return status;
  json.member("path", name.fullName()).key("values").beginArray();
  for (const StoredValue& value : values) writeValueJson(json, value);
  json.endArray().key("subkeys").beginArray();
  for (const std::string& subKey : subKeys) {
    json.beginObject().member("name", subKey);
    if (!recursive) {
      json.member("path", name.child(subKey).fullName());
    } else if (const RegistryStatus status =
                   writeKeyJson(session, json, name.child(subKey), true)) {
      return status;
    }
    json.endObject();
  }
  json.endArray();
  return registry_status::Success;
}

}  // namespace

void writeValueJson(JsonWriter& json, const StoredValue& value) {
  json.beginObject()
      .member("name", value.name)
      .member("type", typeNameOfCode(value.type))
      .key("data");
  const size_t size = value.data.size();
  switch (value.type) {
    case ValueType::Text:
    case ValueType::ExpandText: json.string(textToUtf8(textUpToNul(value.data))); break;
    case ValueType::MultiText:
      json.beginArray();
      for (const std::string& text : multiTextStrings(value.data)) json.string(text);
      json.endArray();
      break;
    case ValueType::Number:
    case ValueType::NumberBigEndian:
      if (size == 4)
        json.unsignedNumber(numberOfBytes(value.data));
      else
        json.string(upperHex(value.data));
      break;
    case ValueType::Number64:
      if (size == 8)
        json.unsignedNumber(numberOfBytes(value.data));
      else
        json.string(upperHex(value.data));
      break;
    default: json.string(upperHex(value.data));
  }
  json.endObject();
}

int queryAsJson(const RegArguments& arguments, RegSession& session, const KeyName& name) {
  ConsoleStreams& console = session.console;
  const bool oneValue = arguments.has("v") || arguments.has("ve");
  if (oneValue && arguments.has("s")) {
    return reportInvalidSyntax(session, "query",
                               "--json lists a key or one of its values: not /v or /ve with /s");
  }
  if (const std::string problem = searchSwitchProblem(arguments); !problem.empty()) {
    return reportInvalidSyntax(session, "query", problem);
  }
  JsonWriter json;
  json.beginObject();
  if (!oneValue) {
    if (const RegistryStatus status = writeKeyJson(session, json, name, arguments.has("s"))) {
      return reportStatus(session, status);
    }
  } else {
    OpenedKey key(session);
    if (const RegistryStatus status = key.open(name)) {
      return reportStatus(session, status);
    }
    const std::string valueName = arguments.has("v") ? arguments.value("v") : "";
    StoredValue value;
    const RegistryStatus status = readValue(session, key.key(), valueName, value);
    // An unset default value is no failure: reg.exe shows "(value not set)".
    const bool unsetDefault = status == registry_status::NotFound && valueName.empty();
    if (status != registry_status::Success && !unsetDefault) return reportStatus(session, status);
    json.member("path", name.fullName()).key("values").beginArray();
    if (status == registry_status::Success) writeValueJson(json, value);
    json.endArray();
  }
  json.endObject();
  console.out << json.text();
  return regSucceeded;
}

void CompareJson::add(char side, const KeyName& key, const StoredValue* value) {
  lines_.push_back({side, key.fullName(), value ? std::optional(*value) : std::nullopt});
}

std::string CompareJson::document(const KeyName& first, const KeyName& second,
                                  bool different) const {
  JsonWriter json;
  json.beginObject()
      .member("first", first.fullName())
      .member("second", second.fullName())
      .key("identical")
      .boolean(!different)
      .key("lines")
      .beginArray();
  for (const Line& line : lines_) {
    json.beginObject().member("side", std::string(1, line.side)).member("path", line.path);
    if (line.value) writeValueJson(json.key("value"), *line.value);
    json.endObject();
  }
  json.endArray().endObject();
  return json.text();
}

}  // namespace zarn::cli
