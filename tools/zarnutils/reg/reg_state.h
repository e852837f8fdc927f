// Two states of some registry keys side by side, and the changes between
// them: each key holds its values as they are ("before") and as they are to
// be ("after"), and a walk turns the pair into the changes that make one
// side into the other. reg apply fills the pair from the registry and a .reg
// file (reg_desired_state.cpp), reg compare from two trees; the changes then
// become registry writes, a report, a unified difference and .reg files (a
// patch, an undo).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reg/reg.h"
#include "reg/reg_file.h"

namespace zarn::cli {

// A key's values on one side; nothing when the key is not there.
using KeyValues = std::optional<std::vector<StoredValue>>;

struct StateKey {
  std::string name;  // the last name of its path, as the registry spells it
  KeyValues before;
  KeyValues after;
  // Those read or named; every subkey once the key has been read.
  std::vector<std::unique_ptr<StateKey>> subKeys;
  // Whether before and the subkeys' names are known; a key not yet read is
  // alike on both sides, and so is everything below it.
  bool read = true;
  bool named = false;                    // a .reg file line names it, [KEY] or [-KEY]
  bool wanted = false;                   // a [KEY] line names it
  std::vector<std::string> namedValues;  // the values the file sets or deletes

  // The subkey of that name, in any letter case, or nullptr.
  StateKey* find(std::string_view subKey) const;
  StateKey& add(std::string subKey);
};

// The pair of two trees read whole: before the one, after the other.
std::unique_ptr<StateKey> stateOfTrees(std::string name, const KeyTree* before,
                                       const KeyTree* after);

// Which side the walk goes from: before to after (what applying does), or
// back (what undoes it).
enum class Direction { Forward, Backward };
// Whether the order of a key's values counts: Windows and the native store
// list values in the order they were created, so that restoring a state
// exactly means rewriting the values behind one that comes back.
enum class ValueOrder { Kept, Ignored };

struct StateChange {
  enum class Kind {
    KeyCreated,
    KeyDeleted,
    KeyKept,    // there on both sides
    KeyAbsent,  // on neither side, and named
    ValueCreated,
    ValueChanged,  // other type or data, in its place
    ValueKept,     // alike on both sides
    ValueDeleted,
    ValueMovedOut,  // deleted here to come back later in its new place
    ValueMovedIn,   // written in its new place
    ValueAbsent,    // on neither side, and named
  };
  Kind kind;
  const KeyName& key;
  const StateKey& state;
  // It goes with a key above it (or, for a value, its own key) deleted
  // with its tree: nothing to do of its own.
  bool insideDeleted = false;
  bool keyChanged = false;  // KeyKept: some value changes
  const StoredValue* from = nullptr;
  const StoredValue* to = nullptr;
  std::string_view valueName;  // ValueAbsent

  bool isKey() const { return kind <= Kind::KeyAbsent; }
  // Something is written or deleted for it.
  bool changes() const;
};

// Every key read below and at key, depth first, each key's change before
// those of its values and subkeys; a key not read is passed over.
void walkChanges(const KeyName& at, const StateKey& key, Direction direction, ValueOrder order,
                 const std::function<void(const StateChange&)>& visit);

// The .reg file lines that make the walk's starting side into the other,
// added to patch: [-KEY] for a key that goes, [KEY] and its values for one
// that comes or changes, "name"=- for a value that goes.
void addPatch(RegFile& patch, const KeyName& at, const StateKey& key, Direction direction,
              ValueOrder order);

// The keys a .reg file names as the registry holds them (before) and as
// applying the file line by line would leave them (after), read from the
// registry only as far as the file reaches: each key on the way to one it
// names, and the whole tree of one it deletes. With exact, each key a [KEY]
// line names then keeps only the values the file names for it and the
// subkeys on the way to keys the file names.
class DesiredState {
 public:
  explicit DesiredState(RegSession& session) : session_(session) {}

  RegistryStatus apply(const RegFile& file, bool exact);

  struct RootKey {
    KeyName name;
    std::unique_ptr<StateKey> state;
  };
  const std::vector<RootKey>& roots() const { return roots_; }

 private:
  struct Located {
    StateKey* state;
    KeyName name;  // as the registry spells it where the key exists
  };
  RegistryStatus locate(const KeyName& name, bool create, Located& found);
  RegistryStatus read(StateKey& key, const KeyName& name);
  RegistryStatus readAll(StateKey& key, const KeyName& name);
  RegistryStatus keepOnlyNamed(const Located& key);

  RegSession& session_;
  std::vector<RootKey> roots_;
};

}  // namespace zarn::cli
