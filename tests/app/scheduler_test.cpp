#include "app/change_scheduler.h"
#include "model/local_date.h"
#include "scheduler_fixture.h"

namespace vendaro::testing {
namespace {

using Ticks = std::vector<int>;

TEST_F(SchedulerTest, IntervalTriggerCountsFromTheLastChange) {
  struct Row {
    int interval;
    bool startWithCommand;  // the count starts at 1 after a command, 0 after the timer
    int ticks;
    Ticks expected;
  };
  const Row rows[] = {
      {1, true, 180, {59, 119, 179}},
      {2, true, 240, {119, 239}},
      {1, false, 120, {60, 120}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.interval);
    MakeList(3);
    settings_.IntervalMinutes = row.interval;
    settings_.ElapsedSeconds = row.startWithCommand ? 1 : 0;
    composed_.clear();
    EXPECT_EQ(TickAndRecord(row.ticks), row.expected);
  }
}

TEST_F(SchedulerTest, NextAndPreviousMovePosition) {
  struct Row {
    int count;
    int position;
    int previous;
    bool next;  // false: Previous
    Ticks composed;
    int stored;
  };
  const Row rows[] = {
      {3, 2, -1, true, {0}, 0},  // wrap-around
      {3, 0, -1, true, {1}, 1},
      {3, -4, -1, true, {0}, 0},  // +1 is still negative: unsigned compare resets
      {3, 9, -1, true, {0}, 0},   // beyond the list
      {3, 1, -1, false, {0}, 0},  // Previous as the first command: the first entry
      {1, 0, -1, true, {0}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.count << " " << row.position << " " << row.next);
    MakeList(row.count);
    composed_.clear();
    settings_.CurrentPosition = row.position;
    settings_.PreviousPosition = row.previous;
    MenuItem& item =
        row.next ? scheduler_.items().Nastpnatapeta1 : scheduler_.items().Poprzedniatapeta1;
    item.Click();
    EXPECT_EQ(Composed(), row.composed);
    EXPECT_EQ(settings_.CurrentPosition, row.stored);
    EXPECT_EQ(Ini().ReadInteger(ini::kChanges, ini::kPosition, -99), row.stored);
    EXPECT_EQ(settings_.ElapsedSeconds, 1);
  }
}

TEST_F(SchedulerTest, PreviousTwiceComposesTheSamePictureAgain) {
  MakeList(4);
  settings_.CurrentPosition = 1;
  TrayItems& items = scheduler_.items();
  items.Nastpnatapeta1.Click();
  items.Nastpnatapeta1.Click();
  items.Poprzedniatapeta1.Click();
  items.Poprzedniatapeta1.Click();
  EXPECT_EQ(Composed(), (Ticks{2, 3, 2, 2}));
}

TEST_F(SchedulerTest, VanishedPicturesAreDroppedInOnePass) {
  struct Row {
    int count;
    std::vector<int> missing;
    int position;
    Ticks composed;
    std::size_t left;
  };
  const Row rows[] = {
      {4, {1}, 1, {2}, 3},           // the next entry takes the index
      {3, {2}, 2, {0}, 2},           // the last one gone: the first is shown
      {4, {0, 1}, 0, {2}, 2},        // two in a row, one pass
      {2, {0, 1}, 0, {}, 0},         // nothing left: the balloon
      {7, {0, 2, 5}, 2, {4}, 4},     // gone ones mixed in: the index stays
      {6, {0, 2, 3, 5}, 3, {1}, 2},  // now past the end: the first is shown
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.position);
    MakeList(row.count, row.missing);
    composed_.clear();
    balloons_.clear();
    settings_.CurrentPosition = row.position;
    scheduler_.ApplyCurrentEntry();
    EXPECT_EQ(Composed(), row.composed);
    EXPECT_EQ(list_.size(), row.left);
    EXPECT_EQ(balloons_.size(), row.left == 0 ? 1u : 0u);
  }
}

// With a picture per monitor a change shows several pictures of the list:
// Next in list order moves past all of them, Previous back to where the last
// change began; a random pick is one draw whatever the count.
TEST_F(SchedulerTest, NextMovesOnByThePicturesOfAChange) {
  struct Row {
    const char* name;
    int count;
    int position;
    int perChange;
    bool random;
    Ticks composed;  // three Next, then Previous
  };
  const Row rows[] = {
      {"two monitors", 7, 0, 2, false, {2, 4, 6, 4}},
      {"wrapping past the end", 5, 3, 2, false, {0, 2, 4, 2}},
      {"more monitors than pictures", 2, 0, 3, false, {1, 0, 1, 0}},
      {"as many monitors as pictures", 3, 1, 3, false, {1, 1, 1, 1}},
      {"a position outside the list starts it", 4, 9, 2, false, {0, 2, 0, 2}},
      {"zero or less counts as one", 4, 0, 0, false, {1, 2, 3, 2}},
      {"random order draws once", 5, 0, 2, true, {1, 1, 0, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MakeList(row.count);
    composed_.clear();
    random_.Randomize(12345);
    settings_.RandomOrder = row.random;
    settings_.CurrentPosition = row.position;
    picturesPerChange_ = row.perChange;
    for (int i = 0; i < 3; ++i) scheduler_.items().Nastpnatapeta1.Click();
    scheduler_.items().Poprzedniatapeta1.Click();
    EXPECT_EQ(Composed(), row.composed);
    EXPECT_EQ(Ini().ReadInteger(ini::kChanges, ini::kPosition, -99), row.composed.back());
  }
}

TEST_F(SchedulerTest, RandomOrderFollowsThePlatformGenerator) {
  struct Row {
    std::uint32_t seed;
    int count;
    Ticks expected;  // from seed = seed * 134775813 + 1, pick = (seed * count) >> 32
  };
  const Row rows[] = {
      {12345, 5, {1, 1, 0, 2, 3, 1, 2, 0, 0, 4}},
      {0, 3, {0, 0, 2, 0, 0, 2, 0, 0, 1, 1}},
      {7, 1, {0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seed);
    MakeList(row.count);
    composed_.clear();
    settings_.RandomOrder = true;
    random_.Randomize(row.seed);
    for (std::size_t i = 0; i < row.expected.size(); ++i) scheduler_.items().Nastpnatapeta1.Click();
    EXPECT_EQ(Composed(), row.expected);
  }
}

TEST_F(SchedulerTest, DailyTriggerChangesOncePerCalendarDay) {
  MakeList(3);
  settings_.ChangeTrigger = 1;
  now_ = At(2026, 3, 14, 23, 59, 58);
  settings_.LastChangeDate = LocalDateOf(now_);
  EXPECT_EQ(TickAndRecord(1), Ticks{});
  now_ = At(2026, 3, 15, 0, 0, 1);
  EXPECT_EQ(TickAndRecord(3), Ticks{1});
  EXPECT_EQ(settings_.LastChangeDate, LocalDateOf(now_));
  EXPECT_EQ(Ini().ReadDate(ini::kChanges, ini::kChangeInfo, 0), LocalDateOf(now_));
  // A clock set back counts as another day too.
  now_ = At(2026, 3, 10, 9, 0, 0);
  EXPECT_EQ(TickAndRecord(2), Ticks{1});
}

TEST_F(SchedulerTest, DailyTriggerAtStart) {
  struct Row {
    const char* name;
    int daysAgo;  // -1: no "Info Zmiany"
    Ticks composed;
  };
  const Row rows[] = {{"same day", 0, {1}}, {"a later day", 1, {2}}, {"missing", -1, {1}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MakeList(3);
    composed_.clear();
    std::remove((dataFolder_ + kSettingsFileName).c_str());
    settings_.ChangeTrigger = 1;
    settings_.CurrentPosition = 1;
    if (row.daysAgo >= 0) {
      IniFile ini = Ini();
      ASSERT_TRUE(ini.WriteDate(ini::kChanges, ini::kChangeInfo, LocalDateOf(now_) - row.daysAgo));
    }
    scheduler_.StartUpDecision();
    EXPECT_EQ(Composed(), row.composed);
  }
}

TEST_F(SchedulerTest, SessionTriggerAtStart) {
  struct Row {
    const char* name;
    int storedSeconds;  // -1: no "Info Zmiany"
    const char* storedBoot;
    std::uint64_t nowMs;
    const char* currentBoot;
    bool next;
  };
  const Row rows[] = {
      {"nothing stored: the same start", -1, "", 5'000, "", false},
      {"stored second still ahead: a restart", 100, "", 50'000, "", true},
      {"stored second passed: the same start", 100, "", 500'000, "", false},
      {"late start after a restart: boot id decides", 100, "A", 500'000, "B", true},
      {"same boot id", 100, "A", 50'000, "A", false},
      {"no id now: the comparison decides", 100, "A", 50'000, "", true},
      {"no id stored: the comparison decides", 100, "", 500'000, "B", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MakeList(3);
    composed_.clear();
    std::remove((dataFolder_ + kSettingsFileName).c_str());
    settings_.ChangeTrigger = 2;
    settings_.CurrentPosition = 0;
    IniFile ini = Ini();
    if (row.storedSeconds >= 0) {
      ASSERT_TRUE(ini.WriteInteger(ini::kChanges, ini::kChangeInfo, row.storedSeconds));
    }
    if (*row.storedBoot) {
      ASSERT_TRUE(ini.WriteString(ini::kChanges, ini::kBootId, row.storedBoot));
    }
    bootMs_ = row.nowMs;
    bootId_ = row.currentBoot;
    scheduler_.StartUpDecision();
    EXPECT_EQ(Composed(), row.next ? Ticks{1} : Ticks{0});
  }
}

TEST_F(SchedulerTest, SessionTriggerStampsSecondAndBootIdentity) {
  MakeList(2);
  settings_.ChangeTrigger = 2;
  bootMs_ = 123'456;
  bootId_ = "boot-1";
  scheduler_.items().Nastpnatapeta1.Click();
  EXPECT_EQ(Ini().ReadInteger(ini::kChanges, ini::kChangeInfo, -1), 123);
  EXPECT_EQ(Ini().ReadString(ini::kChanges, ini::kBootId, ""), "boot-1");
  // The session trigger writes no timer ticks.
  EXPECT_EQ(TickAndRecord(5000), Ticks{});
}

TEST_F(SchedulerTest, NothingStartsInsideAChange) {
  MakeList(3);
  int nested = 0;
  duringCompose_ = [this, &nested] {
    if (nested++) return;
    settings_.ElapsedSeconds = 59;
    scheduler_.Tick();  // the limit is reached inside the change
    scheduler_.items().Nastpnatapeta1.Click();
    scheduler_.items().Poprzedniatapeta1.Click();
    scheduler_.items().Ustawienia1.Click();
  };
  bool settingsOpened = false;
  scheduler_.items().Ustawienia1.onClick = [&] { settingsOpened = true; };
  scheduler_.items().Nastpnatapeta1.Click();
  EXPECT_EQ(Composed(), Ticks{1});
  EXPECT_FALSE(settingsOpened);
  EXPECT_EQ(itemsDuringCompose_, std::make_pair(false, false));
  // The tick still restarts the count although its click did nothing.
  EXPECT_EQ(settings_.ElapsedSeconds, 0);
  EXPECT_TRUE(scheduler_.items().Nastpnatapeta1.enabled);
  EXPECT_TRUE(scheduler_.items().Ustawienia1.enabled);
}

TEST_F(SchedulerTest, ApplyPressedInsideAChangeFollowsIt) {
  MakeList(3);
  int nested = 0;
  duringCompose_ = [this, &nested] {
    if (nested++) return;
    settings_.CurrentPosition = 2;  // what Apply leaves in the form's fields
    scheduler_.ApplyCurrentEntry();
  };
  scheduler_.ApplyCurrentEntry();
  EXPECT_EQ(Composed(), (Ticks{0, 2}));
  EXPECT_FALSE(scheduler_.changing());
}

TEST_F(SchedulerTest, SettingsItemStaysDisabledWhileTheWindowIsOpen) {
  MakeList(2);
  settingsOpen_ = true;
  scheduler_.items().Ustawienia1.enabled = false;
  scheduler_.items().Nastpnatapeta1.Click();
  EXPECT_TRUE(scheduler_.items().Nastpnatapeta1.enabled);
  EXPECT_FALSE(scheduler_.items().Ustawienia1.enabled);
}

TEST_F(SchedulerTest, FailedCompositionRestoresItemsAndTellsOnce) {
  struct Row {
    const char* name;
    bool throws;
  };
  for (const Row& row : {Row{"error result", false}, Row{"exception", true}}) {
    SCOPED_TRACE(row.name);
    MakeList(2);
    errors_.clear();
    settings_.ShowChangeWindow = true;
    composeResult_ = row.throws ? Status::Ok() : Status::Error("Cannot create file");
    duringCompose_ = [&row] {
      if (row.throws) throw std::runtime_error("Cannot create file");
    };
    scheduler_.items().Nastpnatapeta1.Click();
    EXPECT_EQ(errors_, std::vector<std::string>{"Cannot create file"});
    EXPECT_FALSE(shown_);
    EXPECT_FALSE(scheduler_.changing());
    EXPECT_TRUE(scheduler_.items().Nastpnatapeta1.enabled);
    EXPECT_TRUE(scheduler_.items().Ustawienia1.enabled);
  }
}

TEST_F(SchedulerTest, EmptyListShowsTheBalloonOnceAndRests) {
  list_.clear();
  settings_.IntervalMinutes = 0;  // as Apply leaves it after emptying the list
  settings_.CurrentPosition = 5;
  scheduler_.StartUpDecision();
  EXPECT_EQ(balloons_, std::vector<std::string>{kEmptyListBalloon});
  EXPECT_EQ(settings_.CurrentPosition, 0);
  EXPECT_EQ(settings_.PreviousPosition, 0);
  EXPECT_EQ(TickAndRecord(120), Ticks{});
  EXPECT_EQ(balloons_.size(), 1u);
  scheduler_.MenuOpening();
  EXPECT_FALSE(scheduler_.items().Nastpnatapeta1.visible);
  EXPECT_FALSE(scheduler_.items().Poprzedniatapeta1.visible);
  EXPECT_TRUE(scheduler_.items().Ustawienia1.visible);
}

TEST_F(SchedulerTest, NotificationNamesTheEntryAndGoesAway) {
  MakeList(2);
  settings_.ShowChangeWindow = true;
  scheduler_.ApplyCurrentEntry();
  ASSERT_EQ(notifications_.size(), 1u);
  EXPECT_EQ(notifications_[0], list_[0]);
  EXPECT_FALSE(shown_);
  settings_.ShowChangeWindow = false;
  scheduler_.ApplyCurrentEntry();
  EXPECT_EQ(notifications_.size(), 1u);
}

TEST_F(SchedulerTest, StaleIndexedBitmapsAreRemoved) {
  MakeList(3);
  settings_.CurrentPosition = 1;
  for (const char* name : {"0wall.bmp", "1wall.bmp", "2wall.bmp", "3wall.bmp"})
    WriteFileBytes(tempFolder_ + name, "b");
  scheduler_.ApplyCurrentEntry();
  EXPECT_FALSE(FileExists(tempFolder_ + "0wall.bmp"));
  EXPECT_TRUE(FileExists(tempFolder_ + "1wall.bmp"));  // the current index
  EXPECT_FALSE(FileExists(tempFolder_ + "2wall.bmp"));
  EXPECT_TRUE(FileExists(tempFolder_ + "3wall.bmp"));  // beyond the list
}

}  // namespace
}  // namespace vendaro::testing
