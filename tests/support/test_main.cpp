#include <gtest/gtest.h>

#include "support/test_environment.h"

int main(int argc, char** argv) {
  vendaro::testing::IsolateEnvironment();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
