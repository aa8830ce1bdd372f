#include "app/failure_runs.h"

#include <gtest/gtest.h>

namespace vendaro {
namespace {

// Events: a letter is a failure with that message, '.' a change that works;
// the letters told are the boxes the user sees.
TEST(FailureRuns, OneBoxForARunOfTheSameFailure) {
  const std::pair<const char*, const char*> rows[] = {
      {"aaaa", "a"},    {"aa.aa", "aa"}, {"abab", "abab"},
      {"aabba", "aba"}, {"....", ""},    {"a.a.a", "aaa"},
  };
  for (const auto& [events, told] : rows) {
    FailureRuns runs;
    std::string seen;
    for (const char* e = events; *e; ++e) {
      if (*e == '.') {
        runs.Succeeded();
      } else if (runs.ShouldTell(std::string("usługa ") + *e + " nie odpowiada")) {
        seen += *e;
      }
    }
    EXPECT_EQ(seen, told) << events;
  }
}

}  // namespace
}  // namespace vendaro
