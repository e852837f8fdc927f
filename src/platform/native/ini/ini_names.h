// How INI section and entry names are found: compared without regard to
// letter case, as the platform folds them (automation/text.h's upperCase of
// the narrow text), and filed in a hash table that holds row numbers only.
// Names in ASCII, nearly all of them, are hashed and compared in place,
// without making their folded form.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// The form under which names compare: upper-cased.
std::string foldIniName(std::string_view name);

// The same for every two names that fold alike.
uint32_t iniNameHash(std::string_view name);

// Whether the two names fold alike.
bool iniNamesMatch(std::string_view left, std::string_view right);

// A hash table from names to row numbers (of sections or lines) that holds
// no names itself: the caller keeps the rows and says whether a row is the
// one sought. It is sized once for the rows it will hold, so it never
// rehashes, and it keeps the first row added under each name.
class IniNameIndex {
 public:
  // Room for rows rows, at most half full; empties the table.
  void reserve(size_t rows) {
    const size_t capacity = std::bit_ceil(rows * 2 + 2);
    slots_.assign(capacity, Slot{});
    shift_ = 64 - std::countr_zero(capacity);
  }

  // Adds row under hash unless a row under the same hash is the same name
  // (isSame(earlierRow)); then the earlier row stays.
  template <class IsSame>
  void add(uint32_t hash, uint32_t row, IsSame isSame) {
    for (size_t at = home(hash);; at = next(at)) {
      Slot& slot = slots_[at];
      if (slot.rowPlusOne == 0) {
        slot = {hash, row + 1};
        return;
      }
      if (slot.hash == hash && isSame(slot.rowPlusOne - 1)) return;
    }
  }

  // The row under hash for which isSame(row) holds.
  template <class IsSame>
  std::optional<uint32_t> find(uint32_t hash, IsSame isSame) const {
    if (slots_.empty()) return std::nullopt;
    for (size_t at = home(hash);; at = next(at)) {
      const Slot& slot = slots_[at];
      if (slot.rowPlusOne == 0) return std::nullopt;
      if (slot.hash == hash && isSame(slot.rowPlusOne - 1)) return slot.rowPlusOne - 1;
    }
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t rowPlusOne = 0;  // 0: empty
  };

  // Fibonacci hashing: the high bits of the product spread any hashes.
  size_t home(uint32_t hash) const {
    return static_cast<size_t>((uint64_t{hash} * 0x9E3779B97F4A7C15) >> shift_);
  }
  size_t next(size_t at) const { return (at + 1) & (slots_.size() - 1); }

  std::vector<Slot> slots_;
  int shift_ = 64;
};

}  // namespace zarn
