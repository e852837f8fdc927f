// The classes the library describes, in the order the type library lists
// them: the one list that the class descriptions, the native late-bound
// caller and the DLL's class objects are all taken from.
#pragma once

#include "component/ini_edit_description.h"
#include "component/regedit_description.h"

namespace zarn {

template <class... Objects>
struct ClassList {};

using DescribedClasses = ClassList<Regedit, IniEdit>;

}  // namespace zarn
