// reg compare: the values of two keys side by side (one value with /v or
// /ve; with /s their subkeys too), as reg.exe shows them: "<" for what the
// first key holds and the second does not hold the same, ">" for the
// second's side, "=" for what both hold alike; then "Result Compared:
// Identical" (exit 0) or "Different" (exit 2). Value names, and subkey names,
// are matched in any letter case, as the registry matches them. --patch
// FILE writes the differences as a .reg file that turns the second key into
// the first when applied (or imported): a snapshot taken now, compared with
// the key later, gives the patch that undoes what changed in between.
#include "reg/reg.h"
#include "reg/reg_file.h"
#include "reg/reg_pipeline.h"
#include "reg/reg_state.h"

namespace zarn::cli {
namespace {

enum class Shown { Differences, All, Matches, Nothing };

class Comparison {
 public:
  Comparison(RegSession& session, Shown shown, bool recursive, std::optional<std::string> valueName)
      : session_(session),
        console_(session.console),
        shown_(shown),
        recursive_(recursive),
        valueName_(std::move(valueName)) {}

  // state, when given, gets the second key's values as before and the
  // first's as after, and so every subkey.
  RegistryStatus compare(const KeyName& first, const KeyName& second, StateKey* state = nullptr) {
    std::vector<StoredValue> firstValues, secondValues;
    std::vector<std::string> firstKeys, secondKeys;
    if (const RegistryStatus status = read(first, firstValues, firstKeys)) return status;
    if (const RegistryStatus status = read(second, secondValues, secondKeys)) return status;
    if (state) {
      state->before = secondValues;
      state->after = firstValues;
    }
    for (const StoredValue& value : firstValues) {
      const StoredValue* other = findValue(secondValues, value.name);
      if (!other) {
        line('<', first, &value);
      } else if (sameData(*other, value)) {
        line('=', first, &value);
      } else {
        line('<', first, &value);
        line('>', second, other);
      }
    }
    for (const StoredValue& value : secondValues) {
      if (!findValue(firstValues, value.name)) line('>', second, &value);
    }
    if (!recursive_) return registry_status::Success;
    for (const std::string& name : firstKeys) {
      const KeyName below = first.child(name);
      if (!contains(secondKeys, name)) {
        line('<', below, nullptr);
        if (const RegistryStatus status = addOneSided(state, name, below, false)) return status;
      } else if (const RegistryStatus status =
                     compare(below, second.child(name), state ? &state->add(name) : nullptr)) {
        return status;
      }
    }
    for (const std::string& name : secondKeys) {
      if (contains(firstKeys, name)) continue;
      line('>', second.child(name), nullptr);
      if (const RegistryStatus status = addOneSided(state, name, second.child(name), true)) {
        return status;
      }
    }
    return registry_status::Success;
  }

  bool different() const { return different_; }
  const CompareJson& json() const { return json_; }

 private:
  // A subkey only one side has, read whole into the state.
  RegistryStatus addOneSided(StateKey* state, const std::string& name, const KeyName& key,
                             bool secondSide) {
    if (!state) return registry_status::Success;
    KeyTree tree;
    if (const RegistryStatus status = readTree(session_, key, true, tree)) return status;
    state->subKeys.push_back(
        stateOfTrees(name, secondSide ? &tree : nullptr, secondSide ? nullptr : &tree));
    return registry_status::Success;
  }

  RegistryStatus read(const KeyName& name, std::vector<StoredValue>& values,
                      std::vector<std::string>& subKeys) {
    OpenedKey key(session_);
    if (const RegistryStatus status = key.open(name)) return status;
    if (valueName_) {
      StoredValue value;
      const RegistryStatus status = readValue(session_, key.key(), *valueName_, value);
      if (status == registry_status::Success) values.push_back(value);
      if (status != registry_status::Success && status != registry_status::NotFound) return status;
    } else if (const RegistryStatus status = listValues(key.key(), values)) {
      return status;
    }
    return recursive_ ? listSubKeys(key.key(), subKeys) : registry_status::Success;
  }

  static bool contains(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& candidate : names) {
      if (registry::sameName(candidate, name)) return true;
    }
    return false;
  }

  // One line of the comparison: the key, and the value when there is one.
  void line(char side, const KeyName& key, const StoredValue* value) {
    const bool match = side == '=';
    if (!match) different_ = true;
    const bool show =
        shown_ == Shown::All || (match ? shown_ == Shown::Matches : shown_ == Shown::Differences);
    if (!show) return;
    if (console_.json) return json_.add(side, key, value);
    console_.out << side << ' ' << key.fullName();
    if (value) {
      console_.out << "    " << (value->name.empty() ? "(Default)" : value->name) << "    "
                   << typeNameOfCode(value->type) << "    "
                   << dataAsText(value->type, value->data, "\\0");
    }
    console_.out << '\n';
  }

  RegSession& session_;
  ConsoleStreams& console_;
  Shown shown_;
  bool recursive_;
  std::optional<std::string> valueName_;
  bool different_ = false;
  CompareJson json_;
};

}  // namespace

int regCompare(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::optional<KeyName> first = parseKeyName(arguments.fixed[0]);
  const std::optional<KeyName> second = parseKeyName(arguments.fixed[1]);
  if (!first || !second) {
    return reportInvalidKeyName(session, "compare", keyNameProblem(arguments.fixed[first ? 1 : 0]));
  }
  const int outputSwitches =
      arguments.has("oa") + arguments.has("od") + arguments.has("os") + arguments.has("on");
  if (outputSwitches > 1) {
    return reportInvalidSyntax(session, "compare", "/oa, /od, /os and /on exclude each other");
  }
  if (arguments.has("v") && arguments.has("ve")) {
    return reportInvalidSyntax(session, "compare", "/v and /ve exclude each other");
  }
  const Shown shown = arguments.has("oa")   ? Shown::All
                      : arguments.has("os") ? Shown::Matches
                      : arguments.has("on") ? Shown::Nothing
                                            : Shown::Differences;
  std::optional<std::string> valueName;
  if (arguments.has("v")) valueName = arguments.value("v");
  if (arguments.has("ve")) valueName = "";
  const std::optional<std::string> patchFile =
      arguments.has("-patch") ? std::optional(arguments.value("-patch")) : std::nullopt;
  if (patchFile && isStandardStream(*patchFile)) {
    return reportInvalidSyntax(session, "compare",
                               "--patch needs a file name: standard output carries the comparison");
  }
  Comparison comparison(session, shown, arguments.has("s"), valueName);
  StateKey state;
  if (const RegistryStatus status =
          comparison.compare(*first, *second, patchFile ? &state : nullptr)) {
    return reportStatus(session, status);
  }
  if (patchFile) {
    RegFile patch;
    addPatch(patch, *second, state, Direction::Forward, ValueOrder::Ignored);
    std::string problem;
    const std::optional<std::string> bytes = regFileBytes(patch, RegTextData::Exact, problem);
    if (!bytes) {
      return reportError(session, "Cannot write the patch: " + problem + "; nothing was written.",
                         "nothing written to " + quotedName(*patchFile));
    }
    // writeRegOutput notes why the file could not be written.
    if (!writeRegOutput(session, *patchFile, *bytes)) {
      return reportError(session, "Unable to write the file " + quotedName(*patchFile) + ".");
    }
  }
  if (console.json) {
    console.out << comparison.json().document(*first, *second, comparison.different());
  } else {
    console.out << "\nResult Compared: " << (comparison.different() ? "Different" : "Identical")
                << '\n';
  }
  reportSuccess(console);
  return comparison.different() ? 2 : regSucceeded;
}

}  // namespace zarn::cli
