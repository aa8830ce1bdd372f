#include "app/version_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vendaro::testing {
namespace {

TEST(VersionCheck, LowEightBitsOfTheAnswerDecide) {
  struct Row {
    const char* name;
    std::string library;
    bool ends;
    bool warned;
  };
  const std::string folder = FAKE_VERDPAK_DIR;
  const Row rows[] = {
      {"our own library", std::string(VENDARO_BIN_DIR) + "/libverdpak.so", false, false},
      {"answers 1", folder + "/returns1/libverdpak.so", true, false},
      {"answers 256", folder + "/returns256/libverdpak.so", false, false},
      {"answers 0x101", folder + "/returns257/libverdpak.so", true, false},
      {"no entry point", folder + "/noentry/libverdpak.so", false, false},
      {"missing", folder + "/nowhere/libverdpak.so", false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::pair<std::string, std::string>> boxes;
    bool ends =
        RunVersionCheck(1, row.library, [&](const std::string& text, const std::string& caption) {
          boxes.emplace_back(text, caption);
        });
    EXPECT_EQ(ends, row.ends);
    if (row.warned) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].first, "Nie znaleziono wymaganej biblioteki 'libverdpak.so'");
      EXPECT_EQ(boxes[0].second, "Ostrzeżenie");
    } else {
      EXPECT_TRUE(boxes.empty());
    }
  }
}

}  // namespace
}  // namespace vendaro::testing
