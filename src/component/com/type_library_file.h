// Edits a written type library file in the platform's standard ("MSFT")
// format where its creation interfaces leave a value out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zarn::com {

// Sets the instance size of the type at `index` (a record's byte count).
// Throws std::runtime_error when the file is not laid out as expected.
void setInstanceSize(const std::wstring& path, UINT index, uint32_t size);

}  // namespace zarn::com
