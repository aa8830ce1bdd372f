#include "model/polish_plural.h"

#include <gtest/gtest.h>

#include <climits>

namespace vendaro {
namespace {

TEST(PolishPlural, PicksTheFormByTheLastTwoDigits) {
  const struct {
    long n;
    const char* form;
  } cases[] = {
      {1, "plik"},          {2, "pliki"},   {4, "pliki"},    {5, "plików"},   {0, "plików"},
      {11, "plików"},       {12, "plików"}, {14, "plików"},  {21, "plików"},  {22, "pliki"},
      {24, "pliki"},        {25, "plików"}, {101, "plików"}, {102, "pliki"},  {112, "plików"},
      {1000, "plików"},     {-1, "plik"},   {-3, "pliki"},   {-13, "plików"}, {LONG_MIN, "plików"},
      {LONG_MAX, "plików"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PolishPlural(c.n, "plik", "pliki", "plików"), c.form) << c.n;
}

}  // namespace
}  // namespace vendaro
