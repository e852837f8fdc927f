// regsvr32 registers and unregisters ZarnUtils.dll in the test prefix's
// registry: every entry that registration writes is there afterwards, the
// platform finds the type library through it, and all is gone after
// unregistration.
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/class_description.h"
#include "component/com/com_test_dll.h"
#include "component/com/platform_forms.h"

namespace zarn {
namespace {

using com::guidText;

DWORD runRegsvr32(const std::wstring& options) {
  std::wstring command = L"regsvr32.exe " + options + L" \"" + test::comDllPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return GetLastError();
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

bool keyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::wstring text(const std::wstring& path, const wchar_t* name = nullptr) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return value;
}

std::vector<std::wstring> writtenKeys() {
  std::vector<std::wstring> keys{L"TypeLib\\" + guidText(identity::libraryId)};
  for (const ClassDescription* described : describedClasses()) {
    const ClassDescription& description = *described;
    keys.push_back(L"CLSID\\" + guidText(description.classId));
    keys.push_back(std::wstring(description.progId.begin(), description.progId.end()));
    for (const identity::Guid* id : description.answeredInterfaceIds) {
      keys.push_back(L"Interface\\" + guidText(*id));
    }
  }
  return keys;
}

TEST(ComRegistration, Regsvr32WritesAndRemovesEveryEntry) {
  ASSERT_EQ(runRegsvr32(L"/s"), 0u);
  for (const std::wstring& key : writtenKeys())
    EXPECT_TRUE(keyExists(key)) << std::string(key.begin(), key.end());
  const std::wstring library = guidText(identity::libraryId);
  for (const ClassDescription* described : describedClasses()) {
    const ClassDescription& description = *described;
    const std::wstring progId(description.progId.begin(), description.progId.end());
    const std::wstring classKey = L"CLSID\\" + guidText(description.classId);
    EXPECT_EQ(text(progId + L"\\CLSID"), guidText(description.classId));
    EXPECT_EQ(text(classKey + L"\\ProgID"), progId);
    EXPECT_EQ(text(classKey + L"\\TypeLib"), library);
    EXPECT_EQ(CompareStringOrdinal(text(classKey + L"\\InprocServer32").c_str(), -1,
                                   test::comDllPath().c_str(), -1, TRUE),
              CSTR_EQUAL);
    EXPECT_EQ(text(classKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    for (const identity::Guid* id : description.answeredInterfaceIds) {
      EXPECT_EQ(text(L"Interface\\" + guidText(*id) + L"\\TypeLib"), library);
    }
  }

  // The platform's own type library lookup finds this DLL, for this system kind.
  BSTR path = nullptr;
  EXPECT_EQ(QueryPathOfRegTypeLib(com::toGuid(identity::libraryId), identity::versionMajor,
                                  identity::versionMinor, identity::localeNeutral, &path),
            S_OK);
  EXPECT_EQ(CompareStringOrdinal(path ? path : L"", -1, test::comDllPath().c_str(), -1, TRUE),
            CSTR_EQUAL);
  SysFreeString(path);
  ITypeLib* registered = nullptr;
  EXPECT_EQ(LoadRegTypeLib(com::toGuid(identity::libraryId), identity::versionMajor,
                           identity::versionMinor, identity::localeNeutral, &registered),
            S_OK);
  if (registered) registered->Release();

  ASSERT_EQ(runRegsvr32(L"/s /u"), 0u);
  for (const std::wstring& key : writtenKeys())
    EXPECT_FALSE(keyExists(key)) << std::string(key.begin(), key.end());
  EXPECT_TRUE(keyExists(L"CLSID"));
  EXPECT_TRUE(keyExists(L"Interface"));

  // The script tests share this prefix and expect the DLL registered.
  EXPECT_EQ(runRegsvr32(L"/s"), 0u);
}

// DllInstall knows "user" (in any case) and the empty command line; it
// refuses anything else before touching the registry.
TEST(ComRegistration, DllInstallRefusesAnUnknownCommandLine) {
  using Install = HRESULT(WINAPI*)(BOOL, LPCWSTR);
  const auto install = test::comEntryPoint<Install>("DllInstall");
  ASSERT_NE(install, nullptr);
  EXPECT_EQ(install(TRUE, L"machine"), E_INVALIDARG);
  EXPECT_EQ(install(FALSE, L"users"), E_INVALIDARG);
}

}  // namespace
}  // namespace zarn
