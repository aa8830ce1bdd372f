// The current picture composed again after the monitors changed.
#include "scheduler_fixture.h"

namespace vendaro::testing {
namespace {

using Ticks = std::vector<int>;

TEST_F(SchedulerTest, ComposingAgainLeavesListTimerAndStoredPositionAlone) {
  MakeList(3);
  settings_.ShowChangeWindow = true;
  settings_.CurrentPosition = 1;
  settings_.PreviousPosition = 2;
  settings_.ElapsedSeconds = 42;
  scheduler_.ComposeAgain(nullptr);
  EXPECT_EQ(Composed(), Ticks{1});
  EXPECT_TRUE(notifications_.empty());
  EXPECT_EQ(settings_.CurrentPosition, 1);
  EXPECT_EQ(settings_.PreviousPosition, 2);
  EXPECT_EQ(settings_.ElapsedSeconds, 42);
  EXPECT_FALSE(FileExists(dataFolder_ + kSettingsFileName)) << "Ostatnia pozycja is not written";
  EXPECT_EQ(itemsDuringCompose_, std::make_pair(false, false));
  EXPECT_TRUE(scheduler_.items().Nastpnatapeta1.enabled);
}

TEST_F(SchedulerTest, NothingToComposeAgain) {
  struct Row {
    const char* name;
    int count;
    std::vector<int> missing;
    int position;
  };
  const Row rows[] = {
      {"empty list", 0, {}, 0},
      {"the current picture is gone: no other one takes its place", 3, {1}, 1},
      {"a position past the list", 2, {}, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MakeList(row.count, row.missing);
    settings_.CurrentPosition = row.position;
    scheduler_.ComposeAgain(nullptr);
    EXPECT_TRUE(composed_.empty());
    EXPECT_TRUE(balloons_.empty());
    EXPECT_EQ(static_cast<std::size_t>(list_.size()), static_cast<std::size_t>(row.count));
    EXPECT_EQ(settings_.CurrentPosition, row.position);
  }
}

TEST_F(SchedulerTest, ComposingAgainInsideAChangeWaitsAndAsksAgain) {
  MakeList(3);
  int asked = 0;
  bool needed = true;
  int nested = 0;
  duringCompose_ = [&] {
    if (nested++) return;
    const int before = asked;
    scheduler_.ComposeAgain([&] {
      ++asked;
      return needed;
    });
    EXPECT_EQ(asked, before) << "not inside the change";
  };
  scheduler_.items().Nastpnatapeta1.Click();
  EXPECT_EQ(Composed(), (Ticks{1, 1}));
  EXPECT_EQ(asked, 1);

  // The change composed for the new monitors already: nothing more.
  composed_.clear();
  nested = 0;
  needed = false;
  scheduler_.items().Nastpnatapeta1.Click();
  EXPECT_EQ(Composed(), Ticks{2});
  EXPECT_EQ(asked, 2);
}

TEST_F(SchedulerTest, ApplyPressedWhileComposingAgainFollowsIt) {
  MakeList(3);
  int nested = 0;
  duringCompose_ = [this, &nested] {
    if (nested++) return;
    settings_.CurrentPosition = 2;
    scheduler_.ApplyCurrentEntry();
  };
  scheduler_.ComposeAgain(nullptr);
  EXPECT_EQ(Composed(), (Ticks{0, 2}));
  EXPECT_FALSE(scheduler_.changing());
}

TEST_F(SchedulerTest, AFailedCompositionAgainIsTold) {
  MakeList(2);
  composeResult_ = Status::Error("the desktop refused");
  scheduler_.ComposeAgain(nullptr);
  EXPECT_EQ(errors_, std::vector<std::string>{"the desktop refused"});
  EXPECT_FALSE(scheduler_.changing());
}

}  // namespace
}  // namespace vendaro::testing
