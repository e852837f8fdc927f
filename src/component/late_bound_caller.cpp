#include "component/late_bound_caller.h"

#include "component/described_classes.h"
#include "component/method_tables.h"
#include "platform/conversions.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

template <class Object>
class TargetOf : public LateBoundObject::Target {
 public:
  CallStatus invokeSlot(int slot, std::span<const Variant> arguments, Variant& result) override {
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

  std::vector<Variant> converted;
  converted.reserve(method.parameters.size());
  for (size_t i = 0; i < method.parameters.size(); ++i) {
    const ParameterDescription& parameter = method.parameters[i];
    const bool given = i < arguments.size() && arguments[i].has_value();
    if (!given && !parameter.optional) return {error::ArgumentNotOptional};
    try {
      converted.push_back(given ? convertArgument(parameter, *arguments[i])
                                : Variant::text(Text(parameter.defaultText)));
    } catch (const AutomationError& failure) {
      return {failure.number()};
    }
  }
  return target_->invokeSlot(slot, converted, result);
}

}  // namespace zarn
