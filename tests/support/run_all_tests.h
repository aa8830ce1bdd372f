#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace vendaro::testing {

// RUN_ALL_TESTS, except that with VENDARO_NO_SKIPS set (the test command sets
// it) a test that skipped fails the executable: a suite that quietly skips
// what it cannot run looks greener than it is.
inline int RunAllTests() {
  const bool noSkips = std::getenv("VENDARO_NO_SKIPS") != nullptr;
  const int result = RUN_ALL_TESTS();
  const int skipped = ::testing::UnitTest::GetInstance()->skipped_test_count();
  if (result == 0 && noSkips && skipped > 0) {
    std::fprintf(stderr, "%d test(s) skipped, and VENDARO_NO_SKIPS makes that a failure\n",
                 skipped);
    return 1;
  }
  return result;
}

}  // namespace vendaro::testing
