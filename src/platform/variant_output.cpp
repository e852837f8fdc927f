// Writing a Variant to a stream: the text form the component's own
// conversion gives (VariantChangeTypeEx on Windows, its native twin here),
// so that what a program prints is what a written "S" value or INI entry
// would hold.
#include <ostream>
#include <utility>

#include "platform/conversions.h"
#include "zarnutils/variant.h"

namespace zarn {

std::ostream& operator<<(std::ostream& out, const Variant& value) {
  if (value.isNull()) return out << "Null";
  if (value.kind() == VariantKind::Array) {
    const char* separator = "";
    out << '{';
    for (const Variant& item : value.arrayValue()) out << std::exchange(separator, ", ") << item;
    return out << '}';
  }
  return out << textToUtf8(toText(value));
}

}  // namespace zarn
