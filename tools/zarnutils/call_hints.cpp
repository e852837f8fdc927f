#include "call_hints.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "automation/text.h"
#include "component/class_description.h"
#include "quoted_name.h"
#include "usage_text.h"
#include "zarnutils/automation_error.h"

namespace zarn::cli {
namespace {

// Edits (insert, delete, replace, swap of neighbours) from one name to the
// other, ignoring case as late binding does.
size_t editDistance(std::u16string_view from, std::u16string_view to) {
  const size_t columns = to.size() + 1;
  std::vector<size_t> before(columns), previous(columns), current(columns);
  for (size_t j = 0; j < columns; ++j) previous[j] = j;
  for (size_t i = 1; i <= from.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j < columns; ++j) {
      const bool same = asciiLower(from[i - 1]) == asciiLower(to[j - 1]);
      current[j] =
          std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && asciiLower(from[i - 1]) == asciiLower(to[j - 2]) &&
          asciiLower(from[i - 2]) == asciiLower(to[j - 1])) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    before.swap(previous);
    previous.swap(current);
  }
  return previous[to.size()];
}

// The candidate a typo most likely meant: close enough that it is not a
// different word (a third of its letters, at least two edits).
template <class Candidates, class NameOf>
std::optional<std::u16string_view> nearest(std::u16string_view typed, const Candidates& candidates,
                                           NameOf nameOf) {
  std::optional<std::u16string_view> best;
  size_t bestDistance = 0;
  for (const auto& candidate : candidates) {
    const std::u16string_view name = nameOf(candidate);
    const size_t distance = editDistance(typed, name);
    if (distance > std::max<size_t>(2, name.size() / 3)) continue;
    if (!best || distance < bestDistance) {
      best = name;
      bestDistance = distance;
    }
  }
  return best;
}

std::string didYouMean(std::optional<std::u16string_view> suggestion) {
  return suggestion ? "; did you mean " + textToUtf8(*suggestion) + "?" : "";
}

std::string dispatchIdText(int32_t dispatchId) {
  char text[16];
  std::snprintf(text, sizeof text, "#0x%08X", static_cast<unsigned>(dispatchId));
  return text;
}

std::string methodsOf(const ClassDescription& description) {
  std::string list = textToUtf8(description.className) + "'s methods:";
  for (const MethodDescription& method : description.methods) {
    list += "\n  " + textToUtf8(method.name) + " " + dispatchIdText(method.dispatchId);
    const std::string parameters = parameterList(method);
    if (!parameters.empty()) list += "  " + parameters;
  }
  return list + "\n";
}

std::string unknownClass(const Text& className) {
  const auto suggestion =
      nearest(className, describedClasses(),
              [](const ClassDescription* description) { return description->className; });
  std::string classes;
  for (const ClassDescription* description : describedClasses()) {
    classes += (classes.empty() ? "" : ", ") + textToUtf8(description->className);
  }
  return "there is no class " + quotedName(textToUtf8(className)) + didYouMean(suggestion) +
         "\nthe classes are " + classes + "\n";
}

std::string unknownMethod(const ClassDescription& description, const CallRequest& request) {
  const std::string className = textToUtf8(description.className);
  if (const auto* name = std::get_if<Text>(&request.method)) {
    const auto suggestion = nearest(*name, description.methods,
                                    [](const MethodDescription& method) { return method.name; });
    return className + " has no method " + quotedName(textToUtf8(*name)) + didYouMean(suggestion) +
           "\n" + methodsOf(description);
  }
  return className + " has no method " + dispatchIdText(std::get<int32_t>(request.method)) + "\n" +
         methodsOf(description);
}

std::optional<int> methodPlace(const ClassDescription& description, const CallRequest& request) {
  const int place = std::holds_alternative<Text>(request.method)
                        ? findMethodByName(description, std::get<Text>(request.method))
                        : findMethodByDispatchId(description, std::get<int32_t>(request.method));
  if (place < 0) return std::nullopt;
  return place;
}

}  // namespace

std::optional<std::string> callHint(const CallRequest& request, int32_t error) {
  const bool notFound = error == error::ObjectDoesntSupport;
  const bool wrongCount =
      error == error::ArgumentNotOptional || error == error::WrongNumberOfArguments;
  if (!notFound && !wrongCount) return std::nullopt;

  const ClassDescription* description = findClass(request.className);
  if (description == nullptr)
    return notFound ? std::optional(unknownClass(request.className)) : std::nullopt;
  const std::optional<int> place = methodPlace(*description, request);
  if (!place) return notFound ? std::optional(unknownMethod(*description, request)) : std::nullopt;
  if (!wrongCount) return std::nullopt;

  const MethodDescription& method = description->methods[static_cast<size_t>(*place)];
  const std::string parameters = parameterList(method);
  return textToUtf8(description->className) + "." + textToUtf8(method.name) + " takes " +
         (parameters.empty() ? "no arguments" : parameters) + "; " +
         std::to_string(request.arguments.size()) + " given\n";
}

std::optional<std::string> nulHint(const CallRequest& request) {
  const ClassDescription* description = findClass(request.className);
  if (description == nullptr) return std::nullopt;
  const std::optional<int> place = methodPlace(*description, request);
  if (!place) return std::nullopt;
  const MethodDescription& method = description->methods[static_cast<size_t>(*place)];
  static constexpr std::u16string_view nameParameters[] = {u"sKey", u"sFile", u"sSection", u"sItem",
                                                           u"sName"};
  std::string hint;
  for (size_t i = 0; i < request.arguments.size() && i < method.parameters.size(); ++i) {
    const std::u16string_view parameter = method.parameters[i].name;
    const LateBoundArgument& argument = request.arguments[i];
    if (std::find(std::begin(nameParameters), std::end(nameParameters), parameter) ==
            std::end(nameParameters) ||
        !argument || argument->kind() != VariantKind::String ||
        argument->textValue().find(u'\0') == Text::npos) {
      continue;
    }
    hint += "argument " + std::to_string(i + 1) + " (" + textToUtf8(parameter) +
            ") holds a NUL, which no registry or INI name may hold: the call refuses it\n";
  }
  if (hint.empty()) return std::nullopt;
  return hint;
}

}  // namespace zarn::cli
