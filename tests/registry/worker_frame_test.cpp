// The frame of Regedit's registry workers: the status each exit reports, and
// that no exit leaves a key open (the fixture counts the handles).
#include "registry/regedit_internals.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/registry_fixture.h"

namespace zarn {
namespace {

using test_support::RegistryTest;

class WorkerFrameTest : public RegistryTest {
 protected:
  // An open step that really opens the test key, so that a key the frame
  // failed to close would show in the handle count.
  RegistryStatus createTestKey(KeyHandle& key) {
    return RegistryService::RegCreateKeyExA(rootKeyHandle(root_key::CurrentUser), keyPath_.c_str(),
                                            0, "", 0, key_access::SetValue, nullptr, &key, nullptr);
  }
  auto createStep() {
    return [this](KeyHandle& key) { return createTestKey(key); };
  }
  // Work that succeeds and notes that it ran on an open key.
  auto work() {
    return [this](KeyHandle key) {
      worked = key != 0;
      return RegistryStatus{0};
    };
  }

  RegistryStatus status = -1;
  bool worked = false;
};

TEST_F(WorkerFrameTest, ANormalExitClosesTheKeyAndReportsTheClose) {
  EXPECT_TRUE(withKey(root_key::CurrentUser, status, createStep(), work()));
  EXPECT_TRUE(worked);
  EXPECT_EQ(status, 0);

  // Closed behind the frame's back, the key's normal close fails: that
  // close's status is what the worker reports.
  EXPECT_TRUE(withKey(root_key::CurrentUser, status, createStep(),
                      [](KeyHandle key) { return RegistryService::RegCloseKey(key); }));
  EXPECT_EQ(status, registry_status::InvalidHandle);
}

TEST_F(WorkerFrameTest, ARootOfZeroOpensNothingAndReports99) {
  bool opened = false;
  const auto open = [&](KeyHandle&) {
    opened = true;
    return RegistryStatus{0};
  };
  EXPECT_TRUE(withKey(0, status, open, work()));
  EXPECT_EQ(status, statusNothingOpened);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(worked);
}

TEST_F(WorkerFrameTest, AFailedOpenReportsItsStatusAndSkipsTheWork) {
  EXPECT_TRUE(withOpenKey(root_key::CurrentUser, utf8ToText(keyPath_ + "\\Missing"),
                          key_access::QueryValue, status, work()));
  EXPECT_EQ(status, registry_status::NotFound);
  EXPECT_FALSE(worked);
}

TEST_F(WorkerFrameTest, AFailureAfterTheOpenKeepsItsStatusAndClosesTheKey) {
  EXPECT_TRUE(withKey(root_key::CurrentUser, status, createStep(),
                      [](KeyHandle) { return registry_status::AccessDenied; }));
  EXPECT_EQ(status, registry_status::AccessDenied);
}

TEST_F(WorkerFrameTest, TheFailureExitIgnoresItsClose) {
  // The key is already closed, so the failure exit's close fails too.
  EXPECT_TRUE(withKey(root_key::CurrentUser, status, createStep(), [](KeyHandle key) {
    RegistryService::RegCloseKey(key);
    return registry_status::MoreData;
  }));
  EXPECT_EQ(status, registry_status::MoreData);
}

TEST_F(WorkerFrameTest, ARaisedErrorTakesTheFailureExitWithTheStatusSoFar) {
  const auto raise = [](auto&&...) -> RegistryStatus { throw std::runtime_error("raised"); };
  // Before the open returned: nothing was opened.
  EXPECT_FALSE(withKey(root_key::CurrentUser, status, raise, raise));
  EXPECT_EQ(status, statusNothingOpened);
  // After it: the open's status stands and the key is closed.
  EXPECT_FALSE(withKey(root_key::CurrentUser, status, createStep(), raise));
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace zarn
