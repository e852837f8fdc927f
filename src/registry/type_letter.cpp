#include "registry/type_letter.h"

#include "automation/type_letter.h"

namespace zarn {

RegistryForm registryFormForLetter(const Text& letter) {
  static constexpr TypeLetter<RegistryForm> letters[] = {
      {u"S", RegistryForm::String}, {u"B", RegistryForm::Boolean}, {u"D", RegistryForm::Number}};
  return formForTypeLetter(letter, letters, RegistryForm::None);
}

}  // namespace zarn
