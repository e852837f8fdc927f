// Writes the library's type library from its identity and the class
// descriptions through the platform's type library creation interfaces.
//
// The platform's creation interfaces keep the two orders of an interface
// apart: each method is added at its place in the declaration order while
// its description records its place in the vtable, which widl cannot
// express.
#pragma once

#include <string>

namespace zarn::com {

// Throws std::runtime_error naming the step that the platform refused.
void writeTypeLibrary(const std::wstring& path);

}  // namespace zarn::com
