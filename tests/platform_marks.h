// Marks for cases whose answer the platform decides, or where Wine is known
// to differ from Windows. Kept in one place so each mark states its reason.
#pragma once

#include <gtest/gtest.h>

namespace zarn::testing {

#ifdef _WIN32
constexpr bool runsOnWine = true;
#else
constexpr bool runsOnWine = false;
#endif

}  // namespace zarn::testing

// Skips the rest of a test under Wine, giving the reason.
#define ZARN_NATIVE_ONLY(reason)                                     \
  do {                                                               \
    if (::zarn::testing::runsOnWine) GTEST_SKIP() << "Wine: " reason; \
  } while (0)
