// A class's method table, derived from its description: one invoker per
// public method, in interface order, each calling the member function with
// arguments already converted to the declared kinds (text parameters as text
// variants) and wrapping its result in a variant.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include "component/description_builder.h"
#include "zarnutils/call_status.h"
#include "zarnutils/variant.h"

namespace zarn {

template <class Object>
using MethodInvoker = CallStatus (*)(Object& object, std::span<const Variant> arguments,
                                     Variant& result);

namespace method_table_detail {

template <class Parameter>
Parameter argumentAs(const Variant& argument) {
  if constexpr (std::is_same_v<Parameter, Text>) {
    return argument.textValue();
  } else {
    return argument;
  }
}

inline Variant resultAsVariant(Text result) { return Variant::text(std::move(result)); }
inline Variant resultAsVariant(AutomationBoolean result) { return Variant::booleanBits(result); }
inline Variant resultAsVariant(Variant result) { return result; }

template <class Object, class... Parameters, size_t... Inputs>
CallStatus call(CallStatus (Object::*method)(Parameters...), Object& object,
                std::span<const Variant> arguments, Variant& result,
                std::index_sequence<Inputs...>) {
  using All = std::tuple<Parameters...>;
  using Result = std::remove_reference_t<std::tuple_element_t<sizeof...(Parameters) - 1, All>>;
  Result out{};
  const CallStatus status =
      (object.*method)(argumentAs<std::tuple_element_t<Inputs, All>>(arguments[Inputs])..., out);
  result = resultAsVariant(std::move(out));
  return status;
}

template <class Object, class... Parameters>
constexpr size_t inputCount(CallStatus (Object::*)(Parameters...)) {
  return sizeof...(Parameters) - 1;
}

}  // namespace method_table_detail

// The invoker of one member method whose last parameter is its result.
template <auto Method, class Object>
CallStatus invokeMethod(Object& object, std::span<const Variant> arguments, Variant& result) {
  constexpr size_t inputs = method_table_detail::inputCount(Method);
  return method_table_detail::call(Method, object, arguments, result,
                                   std::make_index_sequence<inputs>{});
}

template <class Object>
std::span<const MethodInvoker<Object>> methodTable() {
  static constexpr auto table = []<size_t... Place>(std::index_sequence<Place...>) {
    return std::array<MethodInvoker<Object>, sizeof...(Place)>{
        invokeMethod<Derived<Object>::template member<Place>, Object>...};
  }
  (std::make_index_sequence<Derived<Object>::count>{});
  return table;
}

}  // namespace zarn
