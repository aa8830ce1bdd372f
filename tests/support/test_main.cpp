#include <gtest/gtest.h>

#include "support/test_environment.h"

int main(int argc, char** argv) {
  vendaro::testing::IsolateEnvironment();
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  vendaro::testing::RemoveSandbox();
  return result;
}
