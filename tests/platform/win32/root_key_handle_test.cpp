// The component's 32-bit root values reach the platform as the platform's
// own predefined handles, whatever the width of a handle (sign-extended on
// 64-bit Windows), and keys opened through them work.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/registry_service.h"

namespace zarn {
namespace {

KeyHandle platformHandle(HKEY key) { return reinterpret_cast<KeyHandle>(key); }

TEST(RootKeyHandle, IsThePlatformsPredefinedHandle) {
  EXPECT_EQ(rootKeyHandle(root_key::ClassesRoot), platformHandle(HKEY_CLASSES_ROOT));
  EXPECT_EQ(rootKeyHandle(root_key::CurrentUser), platformHandle(HKEY_CURRENT_USER));
  EXPECT_EQ(rootKeyHandle(root_key::LocalMachine), platformHandle(HKEY_LOCAL_MACHINE));
  EXPECT_EQ(rootKeyHandle(root_key::Users), platformHandle(HKEY_USERS));
  EXPECT_EQ(rootKeyHandle(root_key::CurrentConfig), platformHandle(HKEY_CURRENT_CONFIG));
  EXPECT_EQ(rootKeyHandle(root_key::DynData), platformHandle(HKEY_DYN_DATA));
  EXPECT_EQ(rootKeyHandle(0), KeyHandle{0});
}

TEST(RootKeyHandle, OpensAndCreatesThroughThePlatform) {
  const uint32_t rights = key_access::QueryValue | key_access::SetValue;
  KeyHandle key = 0;
  ASSERT_EQ(RegistryService::RegCreateKeyExA(rootKeyHandle(root_key::CurrentUser),
                                             "Software\\ZarnUtilsTests\\RootKeyHandle", 0, "", 0,
                                             rights, nullptr, &key, nullptr),
            0);
  const uint8_t data[] = {7, 0, 0, 0};
  EXPECT_EQ(RegistryService::RegSetValueExA(key, "n", 0, value_type::Number, data, 4), 0);
  EXPECT_EQ(RegistryService::RegCloseKey(key), 0);

  // The platform's own call finds it through its own handle.
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\ZarnUtilsTests\\RootKeyHandle", "n",
                         RRF_RT_REG_DWORD, nullptr, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(RegistryService::RegOpenKeyExA(rootKeyHandle(root_key::CurrentUser),
                                           "Software\\ZarnUtilsTests", 0, rights, &key),
            0);
  EXPECT_EQ(RegistryService::RegDeleteKeyA(key, "RootKeyHandle"), 0);
  EXPECT_EQ(RegistryService::RegCloseKey(key), 0);
}

}  // namespace
}  // namespace zarn
