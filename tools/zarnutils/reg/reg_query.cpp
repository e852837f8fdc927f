// reg query: a key's values and subkeys, the whole tree with /s, one value
// with /v (searched for through the tree with /s), or with /f a search of
// subkey names, value names and data.
#include <algorithm>

#include "reg/reg.h"
#include "reg/reg_pipeline.h"

namespace zarn::cli {
namespace {

struct QueryForm {
  bool recursive = false;
  std::string separator = "\\0";
};

void printValue(ConsoleStreams& console, const StoredValue& value, const QueryForm& form) {
  const std::string name = value.name.empty() ? "(Default)" : console.shown(value.name);
  console.out << "    " << name << "    " << typeNameOfCode(value.type) << "    "
              << console.shown(dataAsText(value.type, value.data, form.separator)) << '\n';
}

// The key's name, its values and a blank line, then its subkeys: by name, or
// with /s each the same way. reg.exe leaves out the name of the key asked for
// when it has no values, but names every subkey that /s walks into.
RegistryStatus listKey(RegSession& session, const KeyName& name, const QueryForm& form,
                       bool asked) {
  ConsoleStreams& console = session.console;
  std::vector<StoredValue> values;
  std::vector<std::string> subKeys;
  if (const RegistryStatus status = readKey(session, name, values, subKeys)) return status;
  if (!values.empty() || !asked) {
    console.out << console.shown(name.fullName()) << '\n';
    for (const StoredValue& value : values) printValue(console, value, form);
    console.out << '\n';
  }
  for (const std::string& subKey : subKeys) {
    const KeyName below = name.child(subKey);
    if (!form.recursive) {
      console.out << console.shown(below.fullName()) << '\n';
    } else if (const RegistryStatus status = listKey(session, below, form, false)) {
      return status;
    }
  }
  return registry_status::Success;
}

// Prints the value wherever it is in the tree below name; counts the finds.
RegistryStatus searchValue(RegSession& session, const KeyName& name, const std::string& valueName,
                           const QueryForm& form, int& found) {
  ConsoleStreams& console = session.console;
  std::vector<std::string> subKeys;
  {
    OpenedKey key(session);
    if (const RegistryStatus status = key.open(name)) return status;
    StoredValue value;
    if (readValue(session, key.key(), valueName, value) == registry_status::Success) {
      console.out << '\n' << console.shown(name.fullName()) << '\n';
      printValue(console, value, form);
      ++found;
    }
    if (const RegistryStatus status = listSubKeys(key.key(), subKeys)) return status;
  }
  for (const std::string& subKey : subKeys) {
    const KeyName below = name.child(subKey);
    if (const RegistryStatus status = searchValue(session, below, valueName, form, found)) {
      return status;
    }
  }
  return registry_status::Success;
}

int queryOneValue(RegSession& session, const KeyName& name, const std::string& valueName,
                  const QueryForm& form) {
  ConsoleStreams& console = session.console;
  OpenedKey key(session);
  if (const RegistryStatus status = key.open(name)) {
    return reportStatus(session, status);
  }
  StoredValue value;
  const RegistryStatus status = readValue(session, key.key(), valueName, value);
  // A failure prints nothing on standard output, as reg.exe's does.
  if (status == registry_status::NotFound && valueName.empty()) {
    console.out << '\n'
                << console.shown(name.fullName())
                << "\n    (Default)    REG_SZ    (value not set)\n";
    return regSucceeded;
  }
  if (status != registry_status::Success) return reportStatus(session, status);
  console.out << '\n' << console.shown(name.fullName()) << '\n';
  printValue(console, value, form);
  console.out << '\n';
  return regSucceeded;
}

}  // namespace

// What /f looks for, and where.
struct Search {
  std::string pattern;  // folded unless caseSensitive; "*" matches anything
  bool keys = true, valueNames = true, data = true;
  bool caseSensitive = false, exact = false;
  std::vector<ValueType> types;  // none: every type
  QueryForm form;

  bool matches(std::string text) const {
    if (pattern == "*") return true;
    if (!caseSensitive) text = lowerWord(text);
    return exact ? text == pattern : text.find(pattern) != std::string::npos;
  }

  bool typeSearched(ValueType type) const {
    return types.empty() || std::find(types.begin(), types.end(), type) != types.end();
  }
};

// Where the matches go: reg.exe's listing, or the items of a JSON array.
class SearchOutput {
 public:
  SearchOutput(ConsoleStreams& console, const QueryForm& form, JsonWriter* json)
      : console_(console), form_(form), json_(json) {}

  void valuesOf(const KeyName& key, const std::vector<const StoredValue*>& values) {
    if (json_ == nullptr) {
      console_.out << console_.shown(key.fullName()) << '\n';
      for (const StoredValue* value : values) printValue(console_, *value, form_);
      console_.out << '\n';
      return;
    }
    json_->beginObject().member("path", key.fullName()).key("values").beginArray();
    for (const StoredValue* value : values) writeValueJson(*json_, *value);
    json_->endArray().endObject();
  }

  void keyNamed(const KeyName& key) {
    if (json_ == nullptr) {
      console_.out << console_.shown(key.fullName()) << '\n';
      return;
    }
    json_->beginObject().member("key", key.fullName()).endObject();
  }

 private:
  ConsoleStreams& console_;
  const QueryForm& form_;
  JsonWriter* json_;
};

// The key's matching values under its name, then its subkeys: those whose
// name matches are named, and with /s each is searched the same way.
RegistryStatus searchKey(RegSession& session, SearchOutput& output, const KeyName& name,
                         const Search& search, int& found) {
  std::vector<StoredValue> values;
  std::vector<std::string> subKeys;
  if (const RegistryStatus status = readKey(session, name, values, subKeys)) return status;
  std::vector<const StoredValue*> matching;
  for (const StoredValue& value : values) {
    if (!search.typeSearched(value.type)) continue;
    const std::string valueName = value.name;
    if ((search.valueNames && search.matches(valueName)) ||
        (search.data &&
         search.matches(dataAsText(value.type, value.data, search.form.separator)))) {
      matching.push_back(&value);
    }
  }
  if (!matching.empty()) output.valuesOf(name, matching);
  found += static_cast<int>(matching.size());
  for (const std::string& subKey : subKeys) {
    const KeyName below = name.child(subKey);
    if (search.keys && search.types.empty() && search.matches(subKey)) {
      output.keyNamed(below);
      ++found;
    }
    if (!search.form.recursive) continue;
    if (const RegistryStatus status = searchKey(session, output, below, search, found))
      return status;
  }
  return registry_status::Success;
}

namespace {

// A search that found nothing fails, as reg.exe's does, with a note saying so.
int noteNothingFound(RegSession& session, const KeyName& name, const std::string& pattern) {
  session.noteFailure("nothing in " + quotedName(name.fullName()) + " matches '" +
                      quotedName(pattern) + "'");
  return regFailed;
}

}  // namespace

int queryFind(const RegArguments& arguments, RegSession& session, const KeyName& name,
              const QueryForm& form) {
  ConsoleStreams& console = session.console;
  if (arguments.has("ve")) return reportInvalidSyntax(session, "query", "/ve does not go with /f");
  if (arguments.has("v") && !arguments.withoutValue.count("v")) {
    return reportInvalidSyntax(
        session, "query",
        "/v takes no value name with /f: '" + quotedName(arguments.value("v")) + "'");
  }
  Search search;
  search.form = form;
  search.caseSensitive = arguments.has("c");
  search.exact = arguments.has("e");
  search.pattern = search.caseSensitive ? arguments.value("f") : lowerWord(arguments.value("f"));
  if (search.pattern.empty()) {
    return reportInvalidSyntax(session, "query", "/f needs the data to search for");
  }
  if (arguments.has("k") || arguments.has("v") || arguments.has("d")) {
    search.keys = arguments.has("k");
    search.valueNames = arguments.has("v");
    search.data = arguments.has("d");
  }
  if (arguments.has("t")) {
    std::string_view list = arguments.value("t");
    while (true) {
      const size_t comma = list.find(',');
      const std::optional<ValueType> type = registry::valueTypeOfName(list.substr(0, comma));
      if (!type) {
        return reportInvalidSyntax(
            session, "query", "unknown type '" + quotedName(list.substr(0, comma)) + "' in /t");
      }
      search.types.push_back(*type);
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
    }
  }
  {
    OpenedKey key(session);
    if (const RegistryStatus status = key.open(name)) {
      return reportStatus(session, status);
    }
  }
  int found = 0;
  if (console.json) {
    // reg.exe's exit codes stay: 1 when nothing matched, the document says so too.
    JsonWriter json;
    json.beginObject().member("path", name.fullName()).key("matches").beginArray();
    SearchOutput output(console, form, &json);
    if (const RegistryStatus status = searchKey(session, output, name, search, found)) {
      return reportStatus(session, status);
    }
    // "found" is a Boolean, as in ini get; "count" is reg.exe's "N match(es) found".
    json.endArray().key("found").boolean(found > 0).key("count").number(found).endObject();
    console.out << json.text();
    return found > 0 ? regSucceeded : noteNothingFound(session, name, arguments.value("f"));
  }
  console.out << '\n';
  SearchOutput output(console, form, nullptr);
  if (const RegistryStatus status = searchKey(session, output, name, search, found)) {
    return reportStatus(session, status);
  }
  console.out << "End of search: " << found << " match(es) found.\n";
  return found > 0 ? regSucceeded : noteNothingFound(session, name, arguments.value("f"));
}

std::string searchSwitchProblem(const RegArguments& arguments) {
  if (arguments.has("v") && arguments.has("ve")) return "/v and /ve exclude each other";
  if (arguments.withoutValue.count("v")) return "/v needs a value name (without /f)";
  for (const char* search : {"k", "d", "c", "e", "t"}) {
    if (arguments.has(search)) return std::string("/") + search + " goes with /f only";
  }
  return "";
}

int regQuery(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::optional<KeyName> name = parseKeyName(arguments.fixed[0]);
  if (!name) return reportInvalidKeyName(session, "query", keyNameProblem(arguments.fixed[0]));
  const bool oneValue = arguments.has("v") || arguments.has("ve");
  if (arguments.has("v") && arguments.has("ve")) {
    return reportInvalidSyntax(session, "query", "/v and /ve exclude each other");
  }
  QueryForm form;
  form.recursive = arguments.has("s");
  if (arguments.has("se")) {
    if (arguments.value("se").size() != 1) {
      return reportInvalidSyntax(
          session, "query",
          "/se takes one character, not '" + quotedName(arguments.value("se")) + "'");
    }
    form.separator = arguments.value("se");
  }
  if (arguments.has("f")) return queryFind(arguments, session, *name, form);
  if (console.json) return queryAsJson(arguments, session, *name);
  if (const std::string problem = searchSwitchProblem(arguments); !problem.empty()) {
    return reportInvalidSyntax(session, "query", problem);
  }
  if (!oneValue) {
    {
      OpenedKey key(session);
      if (const RegistryStatus status = key.open(*name)) {
        return reportStatus(session, status);
      }
    }
    console.out << '\n';
    const RegistryStatus status = listKey(session, *name, form, true);
    return status == registry_status::Success ? regSucceeded : reportStatus(session, status);
  }
  const std::string valueName = arguments.has("v") ? arguments.value("v") : "";
  if (!form.recursive) return queryOneValue(session, *name, valueName, form);
  int found = 0;
  if (const RegistryStatus status = searchValue(session, *name, valueName, form, found)) {
    return reportStatus(session, status);
  }
  console.out << "\nEnd of search: " << found << " match(es) found.\n";
  if (found > 0) return regSucceeded;
  session.noteFailure("no key in " + quotedName(name->fullName()) + " has the value " +
                      (valueName.empty() ? "(Default)" : quotedName(valueName)));
  return regFailed;
}

}  // namespace zarn::cli
