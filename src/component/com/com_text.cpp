#include "component/com/com_text.h"

#include <new>

namespace zarn::com {

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

Text textOf(BSTR text) {
  if (text == nullptr) return {};
  return Text(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

BSTR allocateText(std::u16string_view text) {
  BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
  if (copy == nullptr) throw std::bad_alloc();
  return copy;
}

}  // namespace zarn::com
