#include <gtest/gtest.h>

#include <QApplication>

#include "support/run_all_tests.h"
#include "support/test_environment.h"

// Widget tests run in-process on the offscreen platform with one
// QApplication for the whole executable.
int main(int argc, char** argv) {
  vendaro::testing::IsolateEnvironment();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = vendaro::testing::RunAllTests();
  vendaro::testing::RemoveSandbox();
  return result;
}
