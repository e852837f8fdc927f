#include "method_signature.h"

#include "automation/text.h"

namespace zarn::cli {

std::string parameterList(const MethodDescription& method) {
  std::string list;
  for (const ParameterDescription& parameter : method.parameters) {
    if (!list.empty()) list += ' ';
    const std::string name = textToUtf8(parameter.name);
    list += parameter.optional ? "[" + name + "]" : name;
  }
  return list;
}

}  // namespace zarn::cli
