// Marks for cases whose answer the platform decides, or where Wine is known
// to differ from Windows. Kept in one place so each mark states its reason.
#pragma once

#include <gtest/gtest.h>

namespace zarn::test_support {

#ifdef _WIN32
constexpr bool runsOnWine = true;
#else
constexpr bool runsOnWine = false;
#endif

}  // namespace zarn::test_support

// Skips the rest of a test under Wine, giving the reason.
#define ZARN_NATIVE_ONLY(reason)                                           \
  do {                                                                     \
    if (::zarn::test_support::runsOnWine) GTEST_SKIP() << "Wine: " reason; \
  } while (0)
