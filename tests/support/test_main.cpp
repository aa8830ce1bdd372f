#include <gtest/gtest.h>

#include "support/run_all_tests.h"
#include "support/test_environment.h"

int main(int argc, char** argv) {
  vendaro::testing::IsolateEnvironment();
  ::testing::InitGoogleTest(&argc, argv);
  const int result = vendaro::testing::RunAllTests();
  vendaro::testing::RemoveSandbox();
  return result;
}
