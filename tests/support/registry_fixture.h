// A test key of its own under HKCU for each test, removed before and after,
// and a check that no method leaves a key handle open.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <system_error>

#include "automation/text.h"
#include "platform/registry_service.h"
#include "zarnutils/registry.h"

namespace zarn::test_support {

// Deletes HKCU\path with everything below it, when it is there.
inline void deleteTree(const std::string& path) {
  std::error_code ignored;
  registry::Key::open(registry::Root::CurrentUser, "", registry::Access::ReadWrite, ignored)
      .deleteTree(path, ignored);
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    keyPath_ =
        std::string("Software\\ZarnUtilsTests\\") + info->test_suite_name() + "_" + info->name();
    deleteTree(keyPath_);
    handlesAtStart_ = RegistryService::openHandleCount();
  }

  void TearDown() override {
    EXPECT_EQ(RegistryService::openHandleCount(), handlesAtStart_) << "a key handle stayed open";
    deleteTree(keyPath_);
  }

  // The test's key as a component path, with more segments appended.
  Text path(const std::string& rest = "") const {
    return utf8ToText("HKCU\\" + keyPath_ + (rest.empty() ? "" : "\\" + rest));
  }

  // Stores raw bytes under the test key (or a subkey of it).
  void storeRaw(const std::string& subKey, const std::string& name, uint32_t type,
                const std::string& bytes) {
    KeyHandle key = 0;
    const std::string full = subKey.empty() ? keyPath_ : keyPath_ + "\\" + subKey;
    ASSERT_EQ(RegistryService::RegCreateKeyExA(root_key::CurrentUser, full.c_str(), 0, "", 0,
                                               key_access::SetValue, nullptr, &key, nullptr),
              0);
    // The platform's narrow set stores one more byte when text is followed
    // by a NUL in memory; a non-NUL guard byte keeps the stored size exact.
    const std::string guarded = bytes + "X";
    ASSERT_EQ(RegistryService::RegSetValueExA(key, name.c_str(), 0, type,
                                              reinterpret_cast<const uint8_t*>(guarded.data()),
                                              static_cast<uint32_t>(bytes.size())),
              0);
    RegistryService::RegCloseKey(key);
  }

  // The raw bytes and type of a value, or status as text on failure.
  std::string queryRaw(const std::string& name, uint32_t* type = nullptr) {
    KeyHandle key = 0;
    if (RegistryService::RegOpenKeyExA(root_key::CurrentUser, keyPath_.c_str(), 0,
                                       key_access::QueryValue, &key) != 0) {
      return "<no key>";
    }
    std::string data(4096, '\0');
    uint32_t size = static_cast<uint32_t>(data.size());
    uint32_t storedType = 0;
    const auto status = RegistryService::RegQueryValueExA(
        key, name.c_str(), nullptr, &storedType, reinterpret_cast<uint8_t*>(data.data()), &size);
    RegistryService::RegCloseKey(key);
    if (status != 0) return "<status " + std::to_string(status) + ">";
    if (type) *type = storedType;
    return data.substr(0, size);
  }

  std::string keyPath_;
  int handlesAtStart_ = 0;
};

}  // namespace zarn::test_support
