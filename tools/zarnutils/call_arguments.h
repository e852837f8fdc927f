// Arguments as written on the command line or in a batch field. A word is
// text unless it has one of these forms:
//   i:N      Long (decimal, optional minus sign)
//   b:true   Boolean True;  b:false  Boolean False
//   d:X      Double (decimal, optional exponent)
//   s:TEXT   TEXT as it stands, for text that starts like another form
//   x:TEXT   TEXT with the escapes \\ \t \n \r \0 \uXXXX, for characters a
//            batch field cannot hold
//   null     Null;  empty  Empty
// Prefixes and words are lower case; "D:\x.ini" is text, "d:\x.ini" is not.
#pragma once

#include <string_view>

#include "zarnutils/variant.h"

namespace zarn::cli {

// Throws UsageError for a word whose prefix promises a form it does not have.
Variant parseArgument(std::string_view written);

}  // namespace zarn::cli
