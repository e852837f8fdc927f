// Applying a .reg file to a copy of the keys it names, read from the
// registry as needed, in the file's order and by the registry's rules: a
// [KEY] creates every missing key on its path, a value set again keeps its
// place, one created after a deletion comes last.
#include <algorithm>

#include "reg/reg_state.h"

namespace zarn::cli {
namespace {

using registry_status::NotFound;
using registry_status::Success;

constexpr RegistryStatus invalidPath = 161;

void markDeleted(StateKey& key) {
  key.after.reset();
  for (const auto& subKey : key.subKeys) markDeleted(*subKey);
}

// Whether the key, or a key below it, stays because a [KEY] line names it.
bool leadsToWanted(const StateKey& key) {
  if (!key.after) return false;
  return key.wanted || std::any_of(key.subKeys.begin(), key.subKeys.end(),
                                   [](const auto& subKey) { return leadsToWanted(*subKey); });
}

void setValue(std::vector<StoredValue>& values, const RegFileValue& value) {
  const auto same = [&](const StoredValue& stored) {
    return registry::sameName(stored.name, value.name);
  };
  const auto found = std::find_if(values.begin(), values.end(), same);
  if (value.remove) {
    if (found != values.end()) values.erase(found);
  } else if (found != values.end()) {
    found->type = value.type;
    found->data = value.data;
  } else {
    values.push_back({value.name, value.type, value.data});
  }
}

}  // namespace

RegistryStatus DesiredState::read(StateKey& key, const KeyName& name) {
  if (key.read) return Success;
  key.read = true;
  std::vector<StoredValue> values;
  std::vector<std::string> subKeys;
  const RegistryStatus status = readKey(session_, name, values, subKeys);
  if (status == NotFound) {
    key.before.reset();
    key.after.reset();
    return Success;
  }
  if (status) return status;
  key.before = values;
  key.after = std::move(values);
  for (std::string& subKey : subKeys) {
    // There, and not read until the file reaches it.
    StateKey& below = key.add(std::move(subKey));
    below.read = false;
    below.before.emplace();
    below.after.emplace();
  }
  return Success;
}

RegistryStatus DesiredState::readAll(StateKey& key, const KeyName& name) {
  if (const RegistryStatus status = read(key, name)) return status;
  for (const auto& subKey : key.subKeys) {
    if (const RegistryStatus status = readAll(*subKey, name.child(subKey->name))) return status;
  }
  return Success;
}

RegistryStatus DesiredState::locate(const KeyName& name, bool create, Located& found) {
  auto root = std::find_if(roots_.begin(), roots_.end(),
                           [&](const RootKey& known) { return known.name.root == name.root; });
  if (root == roots_.end()) {
    roots_.push_back({{name.root, ""}, std::make_unique<StateKey>()});
    root = std::prev(roots_.end());
    root->state->name = root->name.fullName();
    root->state->read = false;
  }
  found = {root->state.get(), root->name};
  // The registry passes over repeated and trailing backslashes, and
  // refuses one at the start of a path.
  if (name.path.starts_with('\\')) {
    session_.noteFailure("cannot open key " + quotedName(name.fullName()) + ": " +
                         statusText(invalidPath));
    return invalidPath;
  }
  size_t start = 0;
  while (true) {
    if (const RegistryStatus status = read(*found.state, found.name)) return status;
    if (create && !found.state->after) found.state->after.emplace();
    while (start < name.path.size() && name.path[start] == '\\') ++start;
    if (start >= name.path.size()) return Success;
    const size_t end = std::min(name.path.find('\\', start), name.path.size());
    const std::string subKey = name.path.substr(start, end - start);
    start = end;
    StateKey* below = found.state->find(subKey);
    if (!below) {
      below = &found.state->add(subKey);
      below->before.reset();
      below->after.reset();
    }
    found = {below, found.name.child(below->name)};
  }
}

RegistryStatus DesiredState::keepOnlyNamed(const Located& key) {
  StateKey& state = *key.state;
  if (!state.after) return Success;
  std::erase_if(*state.after, [&](const StoredValue& value) {
    return std::none_of(
        state.namedValues.begin(), state.namedValues.end(),
        [&](const std::string& name) { return registry::sameName(name, value.name); });
  });
  for (const auto& subKey : state.subKeys) {
    if (!subKey->after || leadsToWanted(*subKey)) continue;
    if (const RegistryStatus status = readAll(*subKey, key.name.child(subKey->name))) {
      return status;
    }
    markDeleted(*subKey);
  }
  return Success;
}

RegistryStatus DesiredState::apply(const RegFile& file, bool exact) {
  std::vector<Located> wanted;
  for (const RegFileKey& change : file.keys) {
    Located key;
    if (const RegistryStatus status = locate(change.key, !change.remove, key)) return status;
    key.state->named = true;
    if (change.remove) {
      if (!key.state->after) continue;
      if (const RegistryStatus status = readAll(*key.state, key.name)) return status;
      markDeleted(*key.state);
      continue;
    }
    key.state->wanted = true;
    wanted.push_back(key);
    for (const RegFileValue& value : change.values) {
      key.state->namedValues.push_back(value.name);
      setValue(*key.state->after, value);
    }
  }
  if (!exact) return Success;
  for (const Located& key : wanted) {
    if (const RegistryStatus status = keepOnlyNamed(key)) return status;
  }
  return Success;
}

}  // namespace zarn::cli
