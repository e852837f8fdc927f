// How a class's one description is written, what the compiler checks in it,
// and how the view of class_description.h is derived from it.
//
// A class is described by specialising Described<Class> (next to nothing
// but the class's own header) with its face (names, identifiers, version)
// and one row per public method or property read or write, in interface
// order: a row's position is the member's place in the vtable. Each row
// names the member function that implements it (its automation-shaped
// overload), so the method table, the COM vtable, the type library,
// registration and late binding cannot drift apart. The compiler rejects a
// row whose parameters or result differ from its member function's in
// number or kind, and a description whose declaration places are not a
// permutation, whose dispatch identifiers or names repeat (but for a
// property's read and write), or whose optional parameters are followed by
// required ones.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "automation/text.h"
#include "component/class_description.h"
#include "component/library_identity.h"
#include "zarnutils/call_status.h"
#include "zarnutils/variant.h"

namespace zarn {

template <class Object>
struct Described;

namespace description_detail {

// The kind of a described parameter is its type, so that the compiler can
// hold it against the member function's parameter.
struct TextParameter {
  using Type = Text;
  std::u16string_view name;
  bool optional = false;
  std::u16string_view defaultText = {};
};

struct VariantParameter {
  using Type = Variant;
  std::u16string_view name;
};

// Omitted, the member gets nullopt.
struct OptionalVariantParameter {
  using Type = std::optional<Variant>;
  std::u16string_view name;
};

template <class Out, ResultKind Kind>
struct Returns {
  using Type = Out;
  static constexpr ResultKind kind = Kind;
};

struct Declared {
  int place;
};

// What a property put answers: nothing.
struct NoResult {};

template <class... Parameters>
constexpr bool lastIsReference() {
  if constexpr (sizeof...(Parameters) == 0) {
    return false;
  } else {
    return std::is_lvalue_reference_v<
        std::tuple_element_t<sizeof...(Parameters) - 1, std::tuple<Parameters...>>>;
  }
}

template <class Member>
struct Signature;

// Every public member returns its status and writes its result into its
// last parameter, a reference; a property put has none, its inputs being
// taken by value.
template <class Object, class... Parameters>
struct Signature<CallStatus (Object::*)(Parameters...)> {
  static constexpr bool hasResult = lastIsReference<Parameters...>();
  static constexpr size_t inputCount = sizeof...(Parameters) - (hasResult ? 1 : 0);
  using Out = std::conditional_t<
      hasResult, std::tuple_element_t<inputCount, std::tuple<Parameters..., NoResult>>, NoResult>;
  template <size_t Index>
  using Input = std::tuple_element_t<Index, std::tuple<Parameters...>>;
};

template <class Member, class... DescribedInputs, size_t... Index>
constexpr bool inputsAre(std::index_sequence<Index...>) {
  return (std::is_same_v<typename Signature<Member>::template Input<Index>, DescribedInputs> &&
          ...);
}

constexpr ParameterDescription viewOf(const TextParameter& parameter) {
  return {parameter.name, ParameterKind::String, parameter.optional, parameter.defaultText};
}
constexpr ParameterDescription viewOf(const VariantParameter& parameter) {
  return {parameter.name, ParameterKind::Variant};
}
constexpr ParameterDescription viewOf(const OptionalVariantParameter& parameter) {
  return {parameter.name, ParameterKind::Variant, true};
}

template <auto Member, size_t ParameterCount>
struct MethodRow {
  static constexpr auto member = Member;
  std::u16string_view name;
  int32_t dispatchId;
  int declarationPlace;
  ResultKind result;
  std::array<ParameterDescription, ParameterCount> parameters;
  MemberKind kind;
};

template <size_t Count>
constexpr bool isPermutation(const std::array<int, Count>& places) {
  std::array<bool, Count> seen{};
  for (const int place : places) {
    if (place < 0) return false;
    const auto index = static_cast<size_t>(place);
    if (index >= Count || seen[index]) return false;
    seen[index] = true;
  }
  return true;
}

// A property's read and its write, the write right after the read, share
// a name and an identifier; no other two members do.
constexpr bool arePropertyPair(const MethodDescription& read, const MethodDescription& write) {
  return read.kind == MemberKind::PropertyGet && write.kind == MemberKind::PropertyPut &&
         read.dispatchId == write.dispatchId && read.name == write.name;
}

template <size_t Count>
constexpr bool allDistinct(const std::array<MethodDescription, Count>& methods) {
  for (size_t i = 0; i < Count; ++i) {
    for (size_t j = i + 1; j < Count; ++j) {
      if (j == i + 1 && arePropertyPair(methods[i], methods[j])) continue;
      if (methods[i].dispatchId == methods[j].dispatchId) return false;
      if (equalsIgnoringAsciiCase(methods[i].name, methods[j].name)) return false;
    }
  }
  return true;
}

template <size_t Count>
constexpr bool optionalParametersLast(const std::array<MethodDescription, Count>& methods) {
  for (const MethodDescription& method : methods) {
    bool optionalSeen = false;
    for (const ParameterDescription& parameter : method.parameters) {
      if (optionalSeen && !parameter.optional) return false;
      optionalSeen = parameter.optional;
    }
  }
  return true;
}

template <size_t Length>
struct FixedText {
  std::array<char16_t, Length> characters{};
  constexpr std::u16string_view view() const { return {characters.data(), Length}; }
};

// "ZarnUtils" and "Regedit" give "ZarnUtils.Regedit".
template <size_t Length>
constexpr FixedText<Length> progIdOf(std::u16string_view library, std::u16string_view className) {
  FixedText<Length> text;
  size_t at = 0;
  for (const char16_t c : library) text.characters[at++] = c;
  text.characters[at++] = u'.';
  for (const char16_t c : className) text.characters[at++] = c;
  return text;
}

}  // namespace description_detail

// The terms a description is written in; Described<Class> derives from it
// so that its rows read as a table.
struct DescriptionTerms {
  using Declared = description_detail::Declared;

  static constexpr description_detail::TextParameter text(std::u16string_view name) {
    return {name};
  }
  static constexpr description_detail::TextParameter optionalText(std::u16string_view name,
                                                                  std::u16string_view defaultText) {
    return {name, true, defaultText};
  }
  static constexpr description_detail::VariantParameter variant(std::u16string_view name) {
    return {name};
  }
  static constexpr description_detail::OptionalVariantParameter optionalVariant(
      std::u16string_view name) {
    return {name};
  }

  static constexpr description_detail::Returns<Text, ResultKind::String> returnsText{};
  static constexpr description_detail::Returns<AutomationBoolean, ResultKind::Boolean>
      returnsBoolean{};
  static constexpr description_detail::Returns<Variant, ResultKind::Variant> returnsVariant{};
  static constexpr description_detail::Returns<description_detail::NoResult, ResultKind::None>
      returnsNothing{};

  using Face = ClassFace;

  // The automation-shaped member of an overloaded name: the one that returns
  // a CallStatus, while the UTF-8 overloads return their results.
  template <class Object, class... Parameters>
  static constexpr auto automationShaped(CallStatus (Object::*member)(Parameters...)) {
    return member;
  }

  // One public method: the member function that implements it, its name,
  // dispatch identifier, place in the type library's declaration order,
  // result kind and parameters.
  template <auto Member, class Result, class... Parameters>
  static constexpr description_detail::MethodRow<Member, sizeof...(Parameters)> method(
      std::u16string_view name, int32_t dispatchId, Declared declared, Result result,
      Parameters... parameters) {
    return member<Member>(MemberKind::Method, name, dispatchId, declared, result, parameters...);
  }

  // A property's read (no parameters, its value the result) and its write
  // (the new value, no result), each a row of its own.
  template <auto Member, class Result>
  static constexpr description_detail::MethodRow<Member, 0> propertyGet(std::u16string_view name,
                                                                        int32_t dispatchId,
                                                                        Declared declared,
                                                                        Result result) {
    return member<Member>(MemberKind::PropertyGet, name, dispatchId, declared, result);
  }
  template <auto Member, class Parameter>
  static constexpr description_detail::MethodRow<Member, 1> propertyPut(std::u16string_view name,
                                                                        int32_t dispatchId,
                                                                        Declared declared,
                                                                        Parameter value) {
    return member<Member>(MemberKind::PropertyPut, name, dispatchId, declared, returnsNothing,
                          value);
  }

 private:
  template <auto Member, class Result, class... Parameters>
  static constexpr description_detail::MethodRow<Member, sizeof...(Parameters)> member(
      MemberKind kind, std::u16string_view name, int32_t dispatchId, Declared declared, Result,
      Parameters... parameters) {
    using Signature = description_detail::Signature<decltype(Member)>;
    static_assert(sizeof...(Parameters) == Signature::inputCount,
                  "the described parameters differ in number from the member function's inputs");
    if constexpr (sizeof...(Parameters) == Signature::inputCount) {
      static_assert(description_detail::inputsAre<decltype(Member), typename Parameters::Type...>(
                        std::make_index_sequence<sizeof...(Parameters)>{}),
                    "a described parameter's kind differs from the member function's parameter");
    }
    if constexpr (Result::kind == ResultKind::None) {
      static_assert(!Signature::hasResult, "a property put's member function answers a result");
    } else {
      static_assert(std::is_same_v<typename Signature::Out, typename Result::Type&>,
                    "the described result kind differs from the member function's result "
                    "parameter");
    }
    return {
        name, dispatchId, declared.place, Result::kind, {description_detail::viewOf(parameters)...},
        kind};
  }
};

// Everything derived from Described<Object>, checked once.
template <class Object>
struct Derived {
  using Source = Described<Object>;
  using Rows = std::remove_cvref_t<decltype(Source::methods)>;
  static constexpr size_t count = std::tuple_size_v<Rows>;

  template <size_t Place>
  static constexpr auto member = std::tuple_element_t<Place, Rows>::member;

  static constexpr std::array<MethodDescription, count> methods =
      []<size_t... Place>(std::index_sequence<Place...>) {
    return std::array<MethodDescription, count>{
        {{std::get<Place>(Source::methods).name, std::get<Place>(Source::methods).dispatchId,
          std::get<Place>(Source::methods).parameters, std::get<Place>(Source::methods).result,
          std::get<Place>(Source::methods).kind}...}};
  }
  (std::make_index_sequence<count>{});

  static constexpr std::array<int, count> declarationPlaces =
      []<size_t... Place>(std::index_sequence<Place...>) {
    return std::array<int, count>{std::get<Place>(Source::methods).declarationPlace...};
  }
  (std::make_index_sequence<count>{});

  static_assert(description_detail::isPermutation(declarationPlaces),
                "the declaration places are not a permutation of the interface places");
  static_assert(description_detail::allDistinct(methods),
                "two methods share a dispatch identifier or a name");
  static_assert(description_detail::optionalParametersLast(methods),
                "a required parameter follows an optional one");

  static constexpr std::array<int, count> declarationOrder = [] {
    std::array<int, count> order{};
    for (size_t place = 0; place < count; ++place) {
      order[static_cast<size_t>(declarationPlaces[place])] = static_cast<int>(place);
    }
    return order;
  }();

  static constexpr size_t answeredCount = Source::face.earlierInterface != nullptr ? 2 : 1;
  static constexpr std::array<const identity::Guid*, answeredCount> answeredInterfaceIds = [] {
    if constexpr (answeredCount == 2) {
      return std::array<const identity::Guid*, 2>{&Source::face.earlierInterface->id,
                                                  &Source::face.interfaceId};
    } else {
      return std::array<const identity::Guid*, 1>{&Source::face.interfaceId};
    }
  }();

  static constexpr auto progId = description_detail::progIdOf<identity::libraryName.size() + 1 +
                                                              Source::face.className.size()>(
      identity::libraryName, Source::face.className);

  static constexpr ClassDescription view{Source::face, progId.view(), methods, declarationOrder,
                                         answeredInterfaceIds};
};

template <class Object>
constexpr const ClassDescription& descriptionOf() {
  return Derived<Object>::view;
}

}  // namespace zarn
