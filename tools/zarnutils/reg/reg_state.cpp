#include "reg/reg_state.h"

#include <algorithm>

namespace zarn::cli {
namespace {

using Kind = StateChange::Kind;

class Walk {
 public:
  Walk(Direction direction, ValueOrder order, const std::function<void(const StateChange&)>& visit)
      : direction_(direction), order_(order), visit_(visit) {}

  void key(const KeyName& at, const StateKey& state, bool insideDeleted) {
    if (!state.read) return;
    const KeyValues& from = direction_ == Direction::Forward ? state.before : state.after;
    const KeyValues& to = direction_ == Direction::Forward ? state.after : state.before;
    std::vector<StateChange> values;
    const auto value = [&](Kind kind, const StoredValue* was, const StoredValue* becomes,
                           bool inside = false) {
      values.push_back({kind, at, state, inside, false, was, becomes, {}});
    };
    Kind kind = Kind::KeyKept;
    if (from && to) {
      compareValues(*from, *to, value);
    } else if (to) {
      kind = Kind::KeyCreated;
      for (const StoredValue& created : *to) value(Kind::ValueCreated, nullptr, &created);
    } else if (from) {
      kind = Kind::KeyDeleted;
      for (const StoredValue& deleted : *from) value(Kind::ValueDeleted, &deleted, nullptr, true);
    } else {
      kind = Kind::KeyAbsent;
    }
    for (const std::string& name : state.namedValues) {
      if ((!from || !findValue(*from, name)) && (!to || !findValue(*to, name)) &&
          !std::any_of(values.begin(), values.end(), [&](const StateChange& change) {
            return change.kind == Kind::ValueAbsent && registry::sameName(change.valueName, name);
          })) {
        values.push_back(
            {Kind::ValueAbsent, at, state, insideDeleted, false, nullptr, nullptr, name});
      }
    }
    StateChange keyChange{kind, at, state, insideDeleted, false, nullptr, nullptr, {}};
    for (const StateChange& change : values) keyChange.keyChanged |= change.changes();
    if (kind != Kind::KeyAbsent || state.named) visit_(keyChange);
    for (const StateChange& change : values) visit_(change);
    for (const auto& subKey : state.subKeys) {
      key(at.child(subKey->name), *subKey, insideDeleted || kind == Kind::KeyDeleted);
    }
  }

 private:
  // In the order of the first side: each value that goes, stays, changes in
  // its place or moves out; then the values that come, or move in, in the
  // order of the second side.
  template <typename Emit>
  void compareValues(const std::vector<StoredValue>& from, const std::vector<StoredValue>& to,
                     Emit emit) {
    std::vector<const StoredValue*> staying;  // of from, in its order
    for (const StoredValue& value : from) {
      if (findValue(to, value.name)) staying.push_back(&value);
    }
    size_t inPlace = staying.size();
    if (order_ == ValueOrder::Kept) {
      inPlace = 0;
      while (inPlace < staying.size() &&
             registry::sameName(staying[inPlace]->name, to[inPlace].name)) {
        ++inPlace;
      }
    }
    size_t next = 0;
    for (const StoredValue& value : from) {
      const StoredValue* other = findValue(to, value.name);
      if (!other) {
        emit(Kind::ValueDeleted, &value, nullptr);
      } else if (next++ >= inPlace) {
        emit(Kind::ValueMovedOut, &value, nullptr);
      } else {
        emit(sameData(value, *other) ? Kind::ValueKept : Kind::ValueChanged, &value, other);
      }
    }
    for (size_t index = order_ == ValueOrder::Kept ? inPlace : 0; index < to.size(); ++index) {
      const StoredValue* was = findValue(from, to[index].name);
      if (!was) {
        emit(Kind::ValueCreated, nullptr, &to[index]);
      } else if (order_ == ValueOrder::Kept) {
        emit(Kind::ValueMovedIn, was, &to[index]);
      }
    }
  }

  Direction direction_;
  ValueOrder order_;
  const std::function<void(const StateChange&)>& visit_;
};

void addTree(StateKey& key, const KeyTree* before, const KeyTree* after) {
  if (before) key.before = before->values;
  if (after) key.after = after->values;
  const auto addSubKeys = [&](const KeyTree* tree, bool isBefore) {
    if (!tree) return;
    for (const auto& [name, subTree] : tree->subKeys) {
      StateKey* subKey = key.find(name);
      if (!subKey) subKey = &key.add(name);
      addTree(*subKey, isBefore ? &subTree : nullptr, isBefore ? nullptr : &subTree);
    }
  };
  addSubKeys(before, true);
  addSubKeys(after, false);
}

}  // namespace

StateKey* StateKey::find(std::string_view subKey) const {
  for (const auto& key : subKeys) {
    if (registry::sameName(key->name, subKey)) return key.get();
  }
  return nullptr;
}

StateKey& StateKey::add(std::string subKey) {
  subKeys.push_back(std::make_unique<StateKey>());
  subKeys.back()->name = std::move(subKey);
  return *subKeys.back();
}

std::unique_ptr<StateKey> stateOfTrees(std::string name, const KeyTree* before,
                                       const KeyTree* after) {
  auto key = std::make_unique<StateKey>();
  key->name = std::move(name);
  addTree(*key, before, after);
  return key;
}

bool StateChange::changes() const {
  switch (kind) {
    case Kind::KeyCreated:
    case Kind::KeyDeleted:
    case Kind::ValueCreated:
    case Kind::ValueChanged:
    case Kind::ValueDeleted:
    case Kind::ValueMovedOut:
    case Kind::ValueMovedIn: return true;
    default: return false;
  }
}

void walkChanges(const KeyName& at, const StateKey& key, Direction direction, ValueOrder order,
                 const std::function<void(const StateChange&)>& visit) {
  Walk(direction, order, visit).key(at, key, false);
}

void addPatch(RegFile& patch, const KeyName& at, const StateKey& key, Direction direction,
              ValueOrder order) {
  // The [KEY] line of a key that stays comes with its first change.
  bool keyOpen = false;
  walkChanges(at, key, direction, order, [&](const StateChange& change) {
    if (change.insideDeleted) return;
    if (change.kind == Kind::KeyCreated || change.kind == Kind::KeyDeleted) {
      patch.keys.push_back({change.key, change.kind == Kind::KeyDeleted, 0, {}});
      keyOpen = true;
      return;
    }
    if (change.isKey()) {
      keyOpen = false;
      return;
    }
    if (!change.changes()) return;
    if (!keyOpen) {
      patch.keys.push_back({change.key, false, 0, {}});
      keyOpen = true;
    }
    const bool removes = change.kind == Kind::ValueDeleted || change.kind == Kind::ValueMovedOut;
    const StoredValue& value = removes ? *change.from : *change.to;
    patch.keys.back().values.push_back({value.name, removes, value.type, value.data, 0});
  });
}

}  // namespace zarn::cli
