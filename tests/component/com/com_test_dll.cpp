#include "component/com/com_test_dll.h"

#include <cstdlib>
#include <stdexcept>

namespace zarn::test {

std::wstring comDllPath() {
  const char* path = std::getenv("ZARNUTILS_COM_DLL");
  if (path == nullptr) throw std::runtime_error("ZARNUTILS_COM_DLL is not set");
  std::wstring windowsPath;
  for (const char* c = path; *c != '\0'; ++c) windowsPath += *c == '/' ? L'\\' : wchar_t(*c);
  return windowsPath;
}

HMODULE comDll() {
  static const HMODULE module = LoadLibraryW(comDllPath().c_str());
  if (module == nullptr) throw std::runtime_error("cannot load ZarnUtils.dll");
  return module;
}

}  // namespace zarn::test
