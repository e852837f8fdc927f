#include "component/com/platform_forms.h"

#include <objbase.h>

#include <algorithm>

namespace zarn::com {

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

GUID toGuid(const identity::Guid& id) {
  GUID guid{id.data1, id.data2, id.data3, {}};
  std::copy(std::begin(id.data4), std::end(id.data4), std::begin(guid.Data4));
  return guid;
}

std::wstring guidText(const identity::Guid& id) {
  const GUID guid = toGuid(id);
  wchar_t text[40];
  const int length = StringFromGUID2(guid, text, 40);
  return std::wstring(text, length > 0 ? static_cast<size_t>(length - 1) : 0);
}

}  // namespace zarn::com
