// What a late-bound caller can know about the two classes: each interface's
// methods with their dispatch identifiers, parameters and result kinds, in
// interface order. The type library says the same on Windows; on the native
// target this table drives the late-bound caller.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "component/library_identity.h"

namespace zarn {

enum class ParameterKind { Text, Variant };
enum class ResultKind { Text, Boolean, Variant };

struct ParameterDescription {
  std::u16string_view name;
  ParameterKind kind;
  bool optional = false;
  std::u16string_view defaultText = {};
};

struct MethodDescription {
  std::u16string_view name;
  int32_t dispatchId;
  std::span<const ParameterDescription> parameters;
  ResultKind result;
};

struct InterfaceDescription {
  std::u16string_view interfaceName;
  std::u16string_view className;
  std::u16string_view progId;
  uint16_t versionMajor;
  uint16_t versionMinor;
  const identity::Guid& interfaceId;
  const identity::Guid& classId;
  std::span<const MethodDescription> methods;  // interface order
  // Interface slots (indexes into methods) in the order the methods are
  // declared in the type library, which may differ from interface order.
  std::span<const int> declarationOrder;
};

const InterfaceDescription& regeditInterface();
const InterfaceDescription& iniEditInterface();

// The class named by its class name or ProgID ("Regedit",
// "ZarnUtils.IniEdit"), case-insensitively; null if none.
const InterfaceDescription* findClass(std::u16string_view classNameOrProgId);

// Index in interface order, or -1. Names match case-insensitively; only the
// public methods are found.
int findMethodByName(const InterfaceDescription& description, std::u16string_view name);
int findMethodByDispatchId(const InterfaceDescription& description, int32_t dispatchId);

}  // namespace zarn
