#include "automation/type_letter.h"

#include <gtest/gtest.h>

namespace zarn {
namespace {

enum class Form { First, Second, Again, None };

constexpr TypeLetter<Form> letters[] = {
    {u"S", Form::First}, {u"\u00C9", Form::Second}, {u"S", Form::Again}};

Form formOf(std::u16string_view letter) { return formForTypeLetter(letter, letters, Form::None); }

TEST(TypeLetter, UpperCasesTheLetterAndTakesTheFirstMatch) {
  EXPECT_EQ(formOf(u"S"), Form::First);
  EXPECT_EQ(formOf(u"s"), Form::First);
  EXPECT_EQ(formOf(u"\u00E9"), Form::Second);
}

TEST(TypeLetter, ComparesTheWholeUntrimmedText) {
  for (const std::u16string_view other : {u"", u"Str", u" S", u"S ", u"SS", u"X"}) {
    EXPECT_EQ(formOf(other), Form::None) << textToUtf8(other);
  }
}

}  // namespace
}  // namespace zarn
