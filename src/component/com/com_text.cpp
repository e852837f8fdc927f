#include "component/com/com_text.h"

namespace zarn::com {

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring wide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace zarn::com
