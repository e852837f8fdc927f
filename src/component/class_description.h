// What callers can know about the two classes, as every consumer reads it:
// each class's names, identifiers and interface, and its methods with their
// dispatch identifiers, parameters and result kinds, in interface order.
// The type library, registration, the COM objects' answers, the native
// late-bound caller and the command-line caller's help all read this view;
// it is derived from the one description of each class
// (described_classes.h).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "component/library_identity.h"

namespace zarn {

enum class ParameterKind { String, Variant };
// None: a property put, which answers nothing.
enum class ResultKind { String, Boolean, Variant, None };
// How a member is invoked: a method, or a property read or written; a
// property's read and write share its name and dispatch identifier.
enum class MemberKind { Method, PropertyGet, PropertyPut };

// An optional text parameter has a default text; an optional variant has
// none, and its method is told that it was omitted.
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
  MemberKind kind = MemberKind::Method;
};

// A hidden type library alias that carries an earlier identifier of a
// class's interface; the class answers to that identifier too.
struct InterfaceAlias {
  std::u16string_view name;
  const identity::Guid& id;
  uint16_t versionMajor;
  uint16_t versionMinor;
};

// What a class is to its callers apart from its methods, as its
// description states it.
struct ClassFace {
  std::u16string_view className;
  std::u16string_view interfaceName;
  uint16_t versionMajor;
  uint16_t versionMinor;
  const identity::Guid& classId;
  const identity::Guid& interfaceId;
  const InterfaceAlias* earlierInterface = nullptr;  // null when the class has none
};

struct ClassDescription : ClassFace {
  std::u16string_view progId;  // "ZarnUtils.Regedit": library name, a point, class name
  std::span<const MethodDescription> methods;  // interface order
  // Interface places (indexes into methods) in the order the type library
  // declares the methods, which may differ from interface order.
  std::span<const int> declarationOrder;
  // What the object answers to, in the order of the class's "_IID_<CLASS>"
  // resource: the earlier identifier first, if any.
  std::span<const identity::Guid* const> answeredInterfaceIds;
};

// Every class, in the order the type library lists them.
std::span<const ClassDescription* const> describedClasses();
const ClassDescription& regeditClass();
const ClassDescription& iniEditClass();
const ClassDescription& registryObjectClass();

// The class named by its class name or ProgID ("Regedit",
// "ZarnUtils.IniEdit"), case-insensitively; null if none.
const ClassDescription* findClass(std::u16string_view classNameOrProgId);

// Interface place, or -1. Names match case-insensitively; only the public
// methods are found, and of a property its read.
int findMethodByName(const ClassDescription& description, std::u16string_view name);
int findMethodByDispatchId(const ClassDescription& description, int32_t dispatchId);

}  // namespace zarn
