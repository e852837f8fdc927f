// Calls a class's methods late-bound, by name or dispatch identifier, doing
// what the platform's type-library-driven dispatch does on Windows:
//   - names match case-insensitively, and only the public methods are found;
//   - every argument is converted to its parameter's kind: a non-text value
//     to text for a text parameter (a Boolean as "-1"/"0", Null refused with
//     13), variants as they are;
//   - an omitted optional argument gets its default (an optional variant
//     stays omitted); an omitted required one fails with 449, too many
//     arguments with 450;
//   - an unknown name or identifier fails with 438.
// The caller's arguments are taken by value and never changed.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "component/class_description.h"
#include "zarnutils/call_status.h"
#include "zarnutils/variant.h"

namespace zarn {

// An argument as the caller passes it; nullopt means omitted.
using LateBoundArgument = std::optional<Variant>;

class LateBoundObject {
 public:
  // A new object of the class named by its class name or ProgID
  // ("Regedit", "ZarnUtils.IniEdit"), case-insensitively; nullopt if none.
  static std::optional<LateBoundObject> create(std::u16string_view className);

  const ClassDescription& description() const { return *description_; }

  std::optional<int32_t> dispatchIdOfName(std::u16string_view name) const;

  CallStatus invoke(int32_t dispatchId, std::vector<LateBoundArgument> arguments, Variant& result);

  struct Target {
    virtual ~Target() = default;
    virtual CallStatus invokeSlot(int slot, std::span<const LateBoundArgument> arguments,
                                  Variant& result) = 0;
  };

 private:
  LateBoundObject(const ClassDescription& description, std::shared_ptr<Target> target)
      : description_(&description), target_(std::move(target)) {}

  const ClassDescription* description_;
  std::shared_ptr<Target> target_;
};

}  // namespace zarn
