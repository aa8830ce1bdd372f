// The rules of the settings windows, without any window.
#include <gtest/gtest.h>

#include <QCollator>
#include <algorithm>
#include <filesystem>

#include "model/wallpaper_entry.h"
#include "support/test_environment.h"
#include "ui/dialog_folder.h"
#include "ui/list_commands.h"
#include "ui/option_rules.h"

namespace vendaro {
namespace {

TEST(MinuteUnit, FollowsPolishPluralForms) {
  const struct {
    int minutes;
    const char* unit;
  } cases[] = {{1, "minutę"}, {4, "minuty"}, {12, "minut"}, {22, "minuty"}, {6000, "minut"}};
  for (const auto& c : cases) EXPECT_EQ(MinuteUnitText(c.minutes), c.unit) << c.minutes;
}

TEST(RemainingTime, TextByTriggerAndCounter) {
  const std::string prefix = "Do kolejnej zmiany pozostało : ";
  const DateTime today = DateFromYmd(2026, 3, 10);
  const struct {
    const char* name;
    bool empty;
    int trigger;
    std::int32_t interval;
    std::int64_t elapsed;
    DateTime now;
    std::string text;
  } cases[] = {
      {"just after a change", false, 0, 5, 1, today, prefix + "4 m 59 s"},
      {"hours minutes seconds", false, 0, 65, 175, today, prefix + "1 h 2 m 5 s"},
      {"whole hour", false, 0, 60, 0, today, prefix + "1 h "},
      {"overdue", false, 0, 1, 61, today, prefix},
      {"counter read as low 32 bits", false, 0, 1, (std::int64_t{1} << 32) + 30, today,
       prefix + "30 s"},
      {"daily: until midnight", false, 1, 5, 1, today + 0.75, prefix + "6 h "},
      {"per start", false, 2, 5, 1, today, prefix},
      {"empty main list", true, 0, 5, 1, today, "Do kolejnej zmiany pozostało :"},
      {"empty list, daily", true, 1, 5, 1, today, "Do kolejnej zmiany pozostało :"},
  };
  for (const auto& c : cases) {
    RemainingTimeInput input{c.empty, c.trigger, c.interval, c.elapsed, today, c.now};
    EXPECT_EQ(RemainingTimeText(input), c.text) << c.name;
  }
}

TEST(RowColor, StripesAndHighlight) {
  const ColorValue white = Rgb(255, 255, 255);
  EXPECT_EQ(RowColor(false, 0, white), Rgb(249, 249, 249));
  EXPECT_EQ(RowColor(false, 1, white), white);
  EXPECT_EQ(RowColor(true, 0, white), Rgb(209, 228, 249));
  EXPECT_EQ(RowColor(true, 1, white), Rgb(215, 234, 255));
  // A part below 6 wraps.
  EXPECT_EQ(RowColor(false, 2, Rgb(0, 3, 255)), Rgb(250, 253, 249));
}

TEST(ColorPanel, GapFillRules) {
  ColorValue chosen = Rgb(255, 0, 0);
  ColorPanelState state = ColorPanelForGapFill(1, chosen);
  EXPECT_TRUE(state.visible);
  EXPECT_TRUE(state.handCursor);
  EXPECT_EQ(state.color, Rgb(255, 0, 0));

  state = ColorPanelForGapFill(2, chosen);
  EXPECT_FALSE(state.visible);
  EXPECT_EQ(chosen, Rgb(255, 0, 0)) << "copying edges keeps the chosen colour";

  state = ColorPanelForGapFill(0, chosen);
  EXPECT_TRUE(state.visible);
  EXPECT_FALSE(state.handCursor);
  EXPECT_EQ(state.color, kClBackground);
  EXPECT_EQ(chosen, kClBackground) << "the desktop colour replaces the chosen one";

  state = ColorPanelForGapFill(1, chosen);
  EXPECT_EQ(state.color, kClBackground) << "until a new colour is chosen";
}

struct MoveCase {
  const char* name;
  bool up;
  std::vector<bool> selected;
  int current;
  std::string order;
  std::vector<bool> selectedAfter;
  bool changed;
};

std::string Order(const EntryList& list) {
  std::string text;
  for (const auto& entry : list) text += entry.path;
  return text;
}

EntryList Named(const std::string& names) {
  EntryList list;
  for (char name : names) list.push_back(MakeEntry(std::string(1, name), 1, 1));
  return list;
}

TEST(MoveSelected, SelectionRules) {
  const MoveCase cases[] = {
      {"B and C up", true, {0, 1, 1, 0}, 2, "BCAD", {1, 1, 0, 0}, true},
      {"A and C up: blocked", true, {1, 0, 1, 0}, 0, "ABCD", {1, 0, 1, 0}, false},
      {"nothing selected", true, {0, 0, 0, 0}, 1, "ABCD", {0, 0, 0, 0}, false},
      {"B and D up", true, {0, 1, 0, 1}, 3, "BADC", {1, 0, 1, 0}, true},
      {"B and C down", false, {0, 1, 1, 0}, 1, "ADBC", {0, 0, 1, 1}, true},
      {"last selected blocks down", false, {1, 0, 0, 1}, 0, "ABCD", {1, 0, 0, 1}, false},
  };
  for (const auto& c : cases) {
    EntryList list = Named("ABCD");
    ListSelection selection{c.selected, c.current};
    const bool changed = c.up ? MoveSelectedUp(list, selection) : MoveSelectedDown(list, selection);
    EXPECT_EQ(changed, c.changed) << c.name;
    EXPECT_EQ(Order(list), c.order) << c.name;
    EXPECT_EQ(selection.selected, c.selectedAfter) << c.name;
  }
}

TEST(MoveSelected, CurrentRowFollowsItsEntry) {
  EntryList list = Named("ABCD");
  ListSelection selection{{false, true, true, false}, 2};
  MoveSelectedUp(list, selection);
  EXPECT_EQ(list[static_cast<std::size_t>(selection.current)].path, "C");
}

TEST(SortEntries, WholeEntryCaseInsensitive) {
  EntryList list = {MakeEntry("/B/a.jpg", 1, 1), MakeEntry("/a/z.jpg", 1, 1),
                    MakeEntry("/A/y.jpg", 1, 1)};
  SortEntries(list);
  EXPECT_EQ(list[0].path, "/A/y.jpg");
  EXPECT_EQ(list[1].path, "/a/z.jpg");
  EXPECT_EQ(list[2].path, "/B/a.jpg");
}

TEST(SortEntries, ALargeListSortsAsOneStableSort) {
  // Large enough to be sorted in parts; names equal but for case, and so
  // equal to the sort, lie far apart and must keep their order.
  EntryList list;
  for (int i = 0; i < 42000; ++i) {
    const std::string name = std::to_string((i * 7919) % 14000);
    list.push_back(
        MakeEntry("/p/" + (i % 2 ? name : "N" + name) + (i % 3 ? ".jpg" : ".JPG"), 1, 1));
  }
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::vector<std::pair<QCollatorSortKey, std::size_t>> keys;
  for (std::size_t i = 0; i < list.size(); ++i)
    keys.emplace_back(collator.sortKey(QString::fromStdString(EntryText(list[i])).toCaseFolded()),
                      i);
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
  EntryList expected;
  for (const auto& key : keys) expected.push_back(list[key.second]);
  SortEntries(list);
  EXPECT_EQ(list, expected);
}

TEST(ScanFolder, OnlyPicturesDirectlyInsideInNameOrderCountingTheRest) {
  const std::string folder = testing::MakeTempDir("scan") + "/";
  // Created out of order: the file system's order is not the names', nor
  // is the order of their bytes (B before a).
  for (const char* name : {"B.png", "notes.txt", "a.jpg", "c.JPEG", "broken.jpg", "clip.mp4"}) {
    testing::WriteFileBytes(folder + name, "x");
  }
  std::filesystem::create_directory(folder + "sub.jpg");
  testing::WriteFileBytes(folder + "sub.jpg/inner.jpg", "x");
  const PictureProbe probe = [](const std::string& path) -> Result<PictureSize> {
    if (path.ends_with("broken.jpg")) return Status::Error("not a picture");
    return PictureSize{4, 3};
  };

  EntryList list = {MakeEntry("/z/already.png", 1, 1)};
  FolderScan left;
  AddDroppedItem(folder.substr(0, folder.size() - 1), list, probe, left);
  std::vector<std::string> names;
  for (const auto& entry : list) names.push_back(FileNamePart(entry.path));
  EXPECT_EQ(names, (std::vector<std::string>{"already.png", "a.jpg", "B.png", "c.JPEG"}));
  EXPECT_EQ(list.back().width, 4);
  EXPECT_EQ(left.unsupported, 2u);
  EXPECT_EQ(left.unreadable, 1u);
}

TEST(LeftOutMessage, CountsWithPolishPluralForms) {
  const struct {
    FolderScan left;
    const char* text;
  } cases[] = {
      {{0, 0}, ""},
      {{1, 0}, "Pominięto 1 plik: nieobsługiwany format"},
      {{22, 0}, "Pominięto 22 pliki: nieobsługiwany format"},
      {{0, 3}, "Pominięto 3 pliki: nie udało się odczytać obrazu"},
      {{5, 1},
       "Pominięto 5 plików: nieobsługiwany format\n"
       "Pominięto 1 plik: nie udało się odczytać obrazu"},
  };
  for (const auto& c : cases) EXPECT_EQ(LeftOutMessage(c.left), c.text) << c.text;
}

TEST(DialogFolder, PicturesFirstThenTheFolderLastUsedWhileItExists) {
  namespace fs = std::filesystem;
  const std::string root = testing::MakeTempDir("dialogs");
  const std::string pictures = root + "/Obrazy", trip = root + "/Obrazy/Wakacje";
  const std::string lists = root + "/listy";
  fs::create_directories(trip);
  fs::create_directories(lists);
  const std::string home = qEnvironmentVariable("HOME").toStdString() + "/";
  const struct {
    const char* name;
    std::string pictures;
    void (*use)(DialogFolder& folder, const std::string& root);
    std::string start;
  } rows[] = {
      {"nothing used yet", pictures, [](DialogFolder&, const std::string&) {}, pictures + "/"},
      {"no Pictures folder", root + "/Pictures", [](DialogFolder&, const std::string&) {}, home},
      {"a folder added", pictures,
       [](DialogFolder& f, const std::string& r) { f.UsedFolder(r + "/Obrazy/Wakacje"); },
       trip + "/"},
      {"a list saved after it", pictures,
       [](DialogFolder& f, const std::string& r) {
         f.UsedFolder(r + "/Obrazy/Wakacje");
         f.UsedFile(r + "/listy/moja.vdl");
       },
       lists + "/"},
      {"the last folder since removed", pictures,
       [](DialogFolder& f, const std::string& r) { f.UsedFolder(r + "/gone"); }, pictures + "/"},
  };
  for (const auto& row : rows) {
    DialogFolder folder(row.pictures);
    row.use(folder, root);
    EXPECT_EQ(folder.Start(), row.start) << row.name;
  }
}

}  // namespace
}  // namespace vendaro
