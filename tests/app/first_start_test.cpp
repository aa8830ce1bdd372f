// The settings window opens by itself once, on the first start with an
// empty list, and never again.
#include "app/first_start.h"

#include <QCoreApplication>

#include "form_fixture.h"

namespace vendaro::testing {
namespace {

class FirstStart : public FormTest {
 protected:
  // Starts and ends the program once; how often the hint window opened.
  int StartOnce() {
    int hints = 0;
    int plain = 0;
    std::unique_ptr<TForm2> form = MakeForm();
    form->SetWindowHooks({[&plain] { ++plain; }, [] {}, [&hints] { ++hints; }});
    EXPECT_TRUE(form->FormCreate());
    QCoreApplication::processEvents();
    form->FormClose();
    EXPECT_EQ(plain, 0);
    return hints;
  }
};

TEST_F(FirstStart, OpensTheHintOnceAndOnlyForAnEmptyList) {
  const struct {
    const char* name;
    bool withPicture;
    std::vector<int> hintsPerStart;
  } rows[] = {
      {"empty list: first start only", false, {1, 0, 0}},
      {"pictures from the start: never", true, {0, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(data_ + kFirstStartMarker);
    WriteList("default.vdl", row.withPicture ? std::vector<std::string>{Picture("a.png", 8, 6)}
                                             : std::vector<std::string>{});
    WriteIni("Okno informacji=0\r\n");
    for (std::size_t start = 0; start < row.hintsPerStart.size(); ++start)
      EXPECT_EQ(StartOnce(), row.hintsPerStart[start]) << "start " << start + 1;
  }
}

TEST(FirstStartMarker, AFolderThatCannotKeepTheMarkerGetsNoHint) {
  const std::string folder = MakeTempDir("marker") + "/";
  const struct {
    const char* name;
    std::string folder;
    bool listEmpty;
    bool expected;
  } rows[] = {
      {"list with pictures", folder, false, false},
      {"folder that is not there", folder + "nowhere/", true, false},
      {"no data folder", "", true, false},
      {"empty list", folder, true, true},
      {"marker already there", folder, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TakeFirstStart(row.folder, row.listEmpty), row.expected);
  }
}

}  // namespace
}  // namespace vendaro::testing
