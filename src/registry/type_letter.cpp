#include "registry/type_letter.h"

namespace zarn {

RegistryForm registryFormForLetter(const Text& letter) {
  const Text upper = upperCase(letter);
  if (equalsIgnoringCase(upper, u"S")) return RegistryForm::Text;
  if (equalsIgnoringCase(upper, u"B")) return RegistryForm::Boolean;
  if (equalsIgnoringCase(upper, u"D")) return RegistryForm::Number;
  return RegistryForm::None;
}

}  // namespace zarn
