// Type letters: a one-letter text argument that chooses a stored form. The
// letter is upper-cased and then compared as a whole, untrimmed, with each
// letter of the caller's table in order: "s" selects "S", while "Str", ""
// and " S" select nothing.
#pragma once

#include <string_view>

#include "automation/text.h"

namespace zarn {

template <class Form>
struct TypeLetter {
  std::u16string_view letter;
  Form form;
};

// The form of the first table entry that the type letter names, else none.
template <class Form, size_t Count>
Form formForTypeLetter(std::u16string_view typeLetter, const TypeLetter<Form> (&table)[Count],
                       Form none) {
  // equalsIgnoringCase upper-cases both sides unit by unit.
  for (const TypeLetter<Form>& entry : table) {
    if (equalsIgnoringCase(typeLetter, entry.letter)) return entry.form;
  }
  return none;
}

}  // namespace zarn
