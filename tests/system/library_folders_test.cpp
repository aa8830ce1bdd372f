// Where the program finds its private libraries: beside itself in a build
// folder, in the private library folder when installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_environment.h"
#include "system/process.h"
#include "vendaro_paths.h"

namespace vendaro {
namespace {

TEST(FindPrivateLibrary, TakesTheFirstFolderThatHoldsTheFile) {
  enum class Put { Nothing, File, Folder };
  enum class Found { Beside, Installed, Nowhere };
  struct Row {
    const char* name;
    Put beside;
    Put installed;
    Found found;
  };
  const Row rows[] = {
      {"build folder", Put::File, Put::Nothing, Found::Beside},
      {"installed", Put::Nothing, Put::File, Found::Installed},
      {"both: the build's own copy wins", Put::File, Put::File, Found::Beside},
      {"a folder of that name is no library", Put::Folder, Put::File, Found::Installed},
      {"nowhere", Put::Nothing, Put::Nothing, Found::Nowhere},
      {"only folders of that name", Put::Folder, Put::Folder, Found::Nowhere},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string bin = testing::MakeTempDir("tree") + "/bin/";
    const std::string installed = bin + VENDARO_PRIVATE_LIB_DIR "/";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(installed);
    for (const auto& [folder, put] : {std::pair{bin, row.beside}, {installed, row.installed}}) {
      if (put == Put::File) testing::WriteFileBytes(folder + "libexample.so", "");
      if (put == Put::Folder) std::filesystem::create_directory(folder + "libexample.so");
    }
    const std::string expected = row.found == Found::Beside      ? bin + "libexample.so"
                                 : row.found == Found::Installed ? installed + "libexample.so"
                                                                 : "";
    EXPECT_EQ(FindPrivateLibrary(bin, "libexample.so"), expected);
  }
}

}  // namespace
}  // namespace vendaro
