#include "model/settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "model/file_size_limit.h"
#include "model/ini_file.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = testing::MakeTempDir("settings") + "/vendaro.ini"; }
  void PutChanges(const std::string& lines) {
    testing::WriteFileBytes(path_, "[Zmiany]\r\n" + lines);
  }
  std::string Bytes() const { return testing::ReadFileBytes(path_); }

  std::string path_;
};

void ExpectDefaults(const Settings& s) {
  EXPECT_EQ(s.IntervalMinutes, 5);
  EXPECT_FALSE(s.RandomOrder);
  EXPECT_EQ(s.DisplayMode, 0);
  EXPECT_EQ(s.FillColor, kClBackground);
  EXPECT_EQ(s.Alignment, 0);
  EXPECT_EQ(s.GapFill, 0);
  EXPECT_EQ(s.Interpolation, 2);
  EXPECT_EQ(s.Smoothing, 0);
  EXPECT_TRUE(s.ShowChangeWindow);
  EXPECT_EQ(s.ChangeTrigger, 0);
  EXPECT_EQ(s.CurrentPosition, 0);
  EXPECT_TRUE(s.VersionCheck);
}

TEST_F(SettingsTest, MissingFileGivesEveryDefault) {
  ExpectDefaults(LoadSettings(path_));
}

TEST_F(SettingsTest, JunkInEveryKeyGivesEveryDefault) {
  PutChanges(
      "Czas zmian=pięć\r\nZmiana losowa=tak\r\nRozciagniecie=x\r\nKolor=niebieski\r\n"
      "Wyrownanie=\xff\xfe\r\nBraki=1e\r\nInterpolacja=--2\r\nWygladzenie=0x\r\n"
      "Okno informacji=\r\nKiedy zmiana=$\r\nOstatnia pozycja=9999999999\r\n"
      "[Opcje]\r\nWersja=nie\r\n");
  ExpectDefaults(LoadSettings(path_));
}

struct RangeCase {
  const char* line;
  std::function<int(const Settings&)> field;
  int expected;
};

TEST_F(SettingsTest, RangeRulesOfTheSmallFields) {
  const auto interval = [](const Settings& s) { return s.IntervalMinutes; };
  const auto interpolation = [](const Settings& s) { return int(s.Interpolation); };
  const auto smoothing = [](const Settings& s) { return int(s.Smoothing); };
  const auto gapFill = [](const Settings& s) { return int(s.GapFill); };
  const auto alignment = [](const Settings& s) { return int(s.Alignment); };
  const auto mode = [](const Settings& s) { return int(s.DisplayMode); };
  const auto trigger = [](const Settings& s) { return int(s.ChangeTrigger); };
  const auto position = [](const Settings& s) { return s.CurrentPosition; };
  const auto random = [](const Settings& s) { return int(s.RandomOrder); };
  const auto window = [](const Settings& s) { return int(s.ShowChangeWindow); };
  const auto perMonitor = [](const Settings& s) { return int(s.PicturePerMonitor); };
  const RangeCase cases[] = {
      // The interval is taken as read; start-up raises it after the version check.
      {"Czas zmian=0x1E", interval, 30},
      {"Czas zmian=-3", interval, -3},
      {"Czas zmian=100000", interval, 100000},
      {"Interpolacja=3", interpolation, 0},
      {"Interpolacja=258", interpolation, 2},
      {"Interpolacja=-254", interpolation, 2},
      {"Wygladzenie=-1", smoothing, 0},
      {"Wygladzenie=1", smoothing, 1},
      {"Braki=3", gapFill, 0},
      {"Braki=2", gapFill, 2},
      {"Wyrownanie=256", alignment, 0},
      {"Wyrownanie=8", alignment, 8},
      {"Wyrownanie=264", alignment, 8},
      {"Wyrownanie=9", alignment, 0},
      {"Rozciagniecie=4", mode, 4},
      {"Rozciagniecie=5", mode, 0},
      {"Rozciagniecie=128", mode, 0},
      {"Kiedy zmiana=$2", trigger, 2},
      {"Kiedy zmiana=-2", trigger, 0},
      {"Ostatnia pozycja=-5", position, -5},
      {"Ostatnia pozycja=70000", position, 70000},
      {"Zmiana losowa=2", random, 1},
      {"Zmiana losowa=0", random, 0},
      {"Okno informacji=0", window, 0},
      {"Okno informacji=", window, 1},
      {"Tapeta na monitor=1", perMonitor, 1},
      {"Tapeta na monitor=tak", perMonitor, 0},
      {"tapeta NA monitor=-1", perMonitor, 1},
  };
  for (const RangeCase& c : cases) {
    PutChanges(std::string(c.line) + "\r\n");
    EXPECT_EQ(c.field(LoadSettings(path_)), c.expected) << c.line;
  }
}

TEST_F(SettingsTest, ColourKeyReadsNamesNumbersAndFallsBack) {
  const std::pair<const char*, ColorValue> cases[] = {
      {"Kolor=CLRED", Rgb(255, 0, 0)},       {"Kolor=$00FFEAD7", Rgb(215, 234, 255)},
      {"Kolor=clbackground", kClBackground}, {"Kolor=255", Rgb(255, 0, 0)},
      {"Kolor=zielony", kClBackground},      {"Kolor=", kClBackground},
  };
  for (const auto& [line, expected] : cases) {
    PutChanges(std::string(line) + "\r\n");
    EXPECT_EQ(LoadSettings(path_).FillColor, expected) << line;
  }
}

ChangeStamp Stamp() {
  return {DateFromYmd(2026, 12, 8), 4321, "0f3c-boot"};
}

TEST_F(SettingsTest, SaveAllOptionsWritesEveryKeyInOrder) {
  Options v;
  v.IntervalMinutes = 30;
  v.RandomOrder = true;
  v.DisplayMode = 3;
  v.VersionCheck = false;
  v.FillColor = Rgb(215, 234, 255);
  v.Alignment = 8;
  v.GapFill = 1;
  v.Interpolation = 0;
  v.Smoothing = 1;
  v.ShowChangeWindow = false;
  v.ChangeTrigger = 1;
  v.PicturePerMonitor = true;
  ASSERT_TRUE(SaveAllOptions(path_, v, Stamp()).ok());
  const std::string options =
      "[Zmiany]\r\nCzas zmian=30\r\nZmiana losowa=1\r\nRozciagniecie=3\r\nKolor=$00FFEAD7\r\n"
      "Wyrownanie=8\r\nBraki=1\r\nInterpolacja=0\r\nWygladzenie=1\r\nOkno informacji=0\r\n";
  const std::string version = "\r\n[Opcje]\r\nWersja=0\r\n";
  EXPECT_EQ(Bytes(), options + "Kiedy zmiana=1\r\nTapeta na monitor=1\r\nInfo Zmiany=12/08/26\r\n" +
                         version);

  const Settings loaded = LoadSettings(path_);
  EXPECT_EQ(loaded.IntervalMinutes, 30);
  EXPECT_TRUE(loaded.RandomOrder);
  EXPECT_EQ(loaded.DisplayMode, 3);
  EXPECT_EQ(loaded.FillColor, Rgb(215, 234, 255));
  EXPECT_EQ(loaded.Alignment, 8);
  EXPECT_EQ(loaded.GapFill, 1);
  EXPECT_EQ(loaded.Interpolation, 0);
  EXPECT_EQ(loaded.Smoothing, 1);
  EXPECT_FALSE(loaded.ShowChangeWindow);
  EXPECT_EQ(loaded.ChangeTrigger, 1);
  EXPECT_TRUE(loaded.PicturePerMonitor);
  EXPECT_FALSE(loaded.VersionCheck);
  EXPECT_FALSE(ReadVersionFlag(path_));
  EXPECT_EQ(IniFile(path_).ReadDate("Zmiany", "Info Zmiany", 0), DateFromYmd(2026, 12, 8));

  // Switching to the once-per-start trigger replaces the date in place.
  v.ChangeTrigger = 2;
  ASSERT_TRUE(SaveAllOptions(path_, v, Stamp()).ok());
  EXPECT_EQ(Bytes(), options +
                         "Kiedy zmiana=2\r\nTapeta na monitor=1\r\nInfo Zmiany=4321\r\n"
                         "Start systemu=0f3c-boot\r\n" +
                         version);
  // A change's position, written one key at a time, keeps every option.
  ASSERT_TRUE(SavePosition(path_, 7, v.ChangeTrigger, Stamp()).ok());
  EXPECT_TRUE(LoadSettings(path_).PicturePerMonitor);
}

TEST_F(SettingsTest, SavePositionStampsByTrigger) {
  const struct {
    int trigger;
    std::string bootId;
    const char* expected;
  } cases[] = {
      {0, "b", "[Zmiany]\r\nOstatnia pozycja=-1\r\n"},
      {1, "b", "[Zmiany]\r\nOstatnia pozycja=-1\r\nInfo Zmiany=12/08/26\r\n"},
      {2, "b", "[Zmiany]\r\nOstatnia pozycja=-1\r\nInfo Zmiany=4321\r\nStart systemu=b\r\n"},
      {2, "", "[Zmiany]\r\nOstatnia pozycja=-1\r\nInfo Zmiany=4321\r\n"},
  };
  for (const auto& c : cases) {
    std::remove(path_.c_str());
    ChangeStamp stamp = Stamp();
    stamp.bootId = c.bootId;
    ASSERT_TRUE(SavePosition(path_, -1, c.trigger, stamp).ok());
    EXPECT_EQ(Bytes(), c.expected) << c.trigger;
  }
}

TEST_F(SettingsTest, RefusedWriteStopsTheRunAndKeepsEarlierKeys) {
  Status status;
  {
    const testing::FileSizeLimit limit(90);
    status = SaveAllOptions(path_, Options{}, Stamp());
  }
  EXPECT_EQ(status.message(), "Unable to write to " + path_);
  // Exactly the keys that fitted, in the order of the run.
  EXPECT_EQ(Bytes(),
            "[Zmiany]\r\nCzas zmian=5\r\nZmiana losowa=0\r\nRozciagniecie=0\r\n"
            "\r\n[Opcje]\r\nWersja=1\r\n");
}

// The later options read back as saved, and a key this version does not
// know survives the rewrite.  A file that never had them gets none: the
// exact bytes above show that.
TEST_F(SettingsTest, LaterOptionsReadBackAndForeignKeysStay) {
  // The [Zmiany] lines before the save; no repeats, history, way of announcing.
  const std::tuple<const char*, bool, bool, int> rows[] = {
      {"Obcy klucz=7\r\n", true, true, 1},
      {"Bez powtorzen=1\r\nHistoria zmian=1\r\nSposob informacji=1\r\nObcy klucz=7\r\n", false,
       false, 0},
  };
  for (const auto& [before, noRepeats, history, notice] : rows) {
    SCOPED_TRACE(before);
    PutChanges(before);
    Options v;
    v.NoRepeats = noRepeats;
    v.WalkHistory = history;
    v.Notice = notice;
    ASSERT_TRUE(SaveAllOptions(path_, v, Stamp()).ok());
    EXPECT_NE(Bytes().find("Obcy klucz=7\r\n"), std::string::npos);
    const Settings loaded = LoadSettings(path_);
    EXPECT_EQ(loaded.NoRepeats, noRepeats);
    EXPECT_EQ(loaded.WalkHistory, history);
    EXPECT_EQ(int(loaded.Notice), notice);
  }
}

}  // namespace
}  // namespace vendaro
