#include "component/late_bound_caller.h"

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "component/described_classes.h"
#include "platform/conversions.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

// A class's method table, derived from its description: one invoker per
// public method, in interface order, each calling the member function with
// arguments already converted to the declared kinds (text parameters as text
// variants) and wrapping its result in a variant.
template <class Object>
using MethodInvoker = CallStatus (*)(Object& object, std::span<const LateBoundArgument> arguments,
                                     Variant& result);

// Every argument is there but an omitted optional variant.
template <class Parameter>
Parameter argumentAs(const LateBoundArgument& argument) {
  if constexpr (std::is_same_v<Parameter, Text>) {
    return argument->textValue();
  } else if constexpr (std::is_same_v<Parameter, Variant>) {
    return *argument;
  } else {
    return argument;
  }
}

Variant resultAsVariant(Text result) { return Variant::text(std::move(result)); }
Variant resultAsVariant(AutomationBoolean result) { return Variant::booleanBits(result); }
Variant resultAsVariant(Variant result) { return result; }

// The invoker of one member function: its inputs, then its result (a
// property put has none).
template <auto Method, class Object>
CallStatus invokeMethod(Object& object, std::span<const LateBoundArgument> arguments,
                        Variant& result) {
  using Signature = description_detail::Signature<decltype(Method)>;
  return [&]<size_t... Inputs>(std::index_sequence<Inputs...>) {
    if constexpr (Signature::hasResult) {
      std::remove_reference_t<typename Signature::Out> out{};
      const CallStatus status = (object.*Method)(
          argumentAs<typename Signature::template Input<Inputs>>(arguments[Inputs])..., out);
      result = resultAsVariant(std::move(out));
      return status;
    } else {
      return (object.*
              Method)(argumentAs<typename Signature::template Input<Inputs>>(arguments[Inputs])...);
    }
  }
  (std::make_index_sequence<Signature::inputCount>{});
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

template <class Object>
class TargetOf : public LateBoundObject::Target {
 public:
  CallStatus invokeSlot(int slot, std::span<const LateBoundArgument> arguments,
                        Variant& result) override {
    return methodTable<Object>()[static_cast<size_t>(slot)](object_, arguments, result);
  }

 private:
  Object object_;
};

template <class... Objects>
std::shared_ptr<LateBoundObject::Target> targetFor(const ClassDescription& description,
                                                   ClassList<Objects...>) {
  std::shared_ptr<LateBoundObject::Target> target;
  ((&description == &descriptionOf<Objects>() &&
    (target = std::make_shared<TargetOf<Objects>>())) ||
   ...);
  return target;
}

Variant convertArgument(const ParameterDescription& parameter, const Variant& argument) {
  if (parameter.kind == ParameterKind::Variant || argument.kind() == VariantKind::String) {
    return argument;
  }
  return Variant::text(toText(argument, BooleanText::Numbers));
}

}  // namespace

std::optional<LateBoundObject> LateBoundObject::create(std::u16string_view className) {
  const ClassDescription* description = findClass(className);
  if (description == nullptr) return std::nullopt;
  return LateBoundObject(*description, targetFor(*description, DescribedClasses{}));
}

std::optional<int32_t> LateBoundObject::dispatchIdOfName(std::u16string_view name) const {
  const int slot = findMethodByName(*description_, name);
  if (slot < 0) return std::nullopt;
  return description_->methods[static_cast<size_t>(slot)].dispatchId;
}

CallStatus LateBoundObject::invoke(int32_t dispatchId, std::vector<LateBoundArgument> arguments,
                                   Variant& result) {
  result = Variant();
  const int slot = findMethodByDispatchId(*description_, dispatchId);
  if (slot < 0) return {error::ObjectDoesntSupport};
  const MethodDescription& method = description_->methods[static_cast<size_t>(slot)];
  if (arguments.size() > method.parameters.size()) return {error::WrongNumberOfArguments};

  std::vector<LateBoundArgument> converted;
  converted.reserve(method.parameters.size());
  for (size_t i = 0; i < method.parameters.size(); ++i) {
    const ParameterDescription& parameter = method.parameters[i];
    const bool given = i < arguments.size() && arguments[i].has_value();
    if (!given && !parameter.optional) return {error::ArgumentNotOptional};
    try {
      if (given) {
        converted.emplace_back(convertArgument(parameter, *arguments[i]));
      } else if (parameter.kind == ParameterKind::String) {
        converted.emplace_back(Variant::text(Text(parameter.defaultText)));
      } else {
        converted.emplace_back(std::nullopt);
      }
    } catch (const AutomationError& failure) {
      return {failure.number()};
    }
  }
  return target_->invokeSlot(slot, converted, result);
}

}  // namespace zarn
