#include <set>

#include "app/change_scheduler.h"
#include "scheduler_fixture.h"

namespace vendaro::testing {
namespace {

using Ticks = std::vector<int>;

// Presses a run of commands: 'n' Next, 'p' Previous.
void Press(ChangeScheduler& scheduler, const std::string& keys) {
  for (char key : keys) {
    (key == 'n' ? scheduler.items().Nastpnatapeta1 : scheduler.items().Poprzedniatapeta1).Click();
  }
}

TEST_F(SchedulerTest, HistoryWalksBackAndForwardBeforeTakingNewPictures) {
  struct Row {
    const char* what;
    bool history;
    std::string keys;
    Ticks composed;  // after the first picture, 0, is on screen
  };
  const Row rows[] = {
      {"off: one step back, then the same again", false, "nnnpp", {1, 2, 3, 2, 2}},
      {"on: back through all, then forward", true, "nnnpppnnnn", {1, 2, 3, 2, 1, 0, 1, 2, 3, 4}},
      {"on: nothing before the first picture", true, "pp", {0, 0}},
      {"on: a new picture after going back", true, "nnppnp", {1, 2, 1, 0, 1, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::remove((tempFolder_ + kHistoryFileName).c_str());
    ChangeScheduler fresh(SchedulerClock{[this] { return now_; }, [this] { return bootMs_; },
                                         [this] { return bootId_; }},
                          random_, Hooks());
    fresh.state().dataFolder = folder_;
    fresh.state().tempFolder = folder_;
    for (int i = 0; i < 6; ++i) {
      const std::string path = folder_ + "p" + std::to_string(i) + ".jpg";
      WriteFileBytes(path, "x");
      fresh.state().list.push_back(MakeEntry(path, 10, 10));
    }
    fresh.state().settings.WalkHistory = row.history;
    fresh.items().Nastpnatapeta1.onClick = [&fresh] { fresh.Next(); };
    fresh.items().Poprzedniatapeta1.onClick = [&fresh] { fresh.Previous(); };
    fresh.ApplyCurrentEntry();
    composed_.clear();
    Press(fresh, row.keys);
    EXPECT_EQ(Composed(), row.composed);
  }
}

// The history holds paths: a list edited between the steps still leads
// back to the pictures that were shown, and one taken out is passed over.
TEST_F(SchedulerTest, HistoryFollowsPathsThroughAnEditedList) {
  MakeList(5);
  settings_.WalkHistory = true;
  scheduler_.ApplyCurrentEntry();
  Press(scheduler_, "nn");  // 0, 1, 2 shown
  list_.erase(list_.begin() + 1);
  list_.insert(list_.begin(), list_.back());  // p4 now first, everything else one down
  composed_.clear();
  Press(scheduler_, "p");
  EXPECT_EQ(Composed(), (Ticks{0}));  // p1 is out of the list
  EXPECT_EQ(list_[static_cast<std::size_t>(settings_.CurrentPosition)].path, folder_ + "p0.jpg");
}

TEST_F(SchedulerTest, HistorySurvivesARestartAndItsFileNeedsTheOption) {
  MakeList(4);
  settings_.WalkHistory = true;
  scheduler_.ApplyCurrentEntry();
  Press(scheduler_, "nnn");
  ChangeScheduler restarted(SchedulerClock{[this] { return now_; }, [this] { return bootMs_; },
                                           [this] { return bootId_; }},
                            random_, Hooks());
  restarted.state() = scheduler_.state();
  restarted.items().Poprzedniatapeta1.onClick = [&restarted] { restarted.Previous(); };
  composed_.clear();
  restarted.ApplyCurrentEntry();
  Press(restarted, "ppp");
  EXPECT_EQ(Composed(), (Ticks{3, 2, 1, 0}));

  std::remove((tempFolder_ + kHistoryFileName).c_str());
  settings_.WalkHistory = false;
  Press(scheduler_, "nnpn");
  EXPECT_FALSE(FileExists(tempFolder_ + kHistoryFileName));
}

TEST_F(SchedulerTest, RandomOrderWithoutRepeatsShowsEveryPictureOnceARound) {
  const int count = 7;
  MakeList(count);
  settings_.RandomOrder = true;
  settings_.NoRepeats = true;
  const std::string keys(3 * count, 'n');
  Press(scheduler_, keys);
  const Ticks shown = Composed();
  ASSERT_EQ(shown.size(), keys.size());
  for (std::size_t round = 0; round < 3; ++round) {
    const auto from = shown.begin() + static_cast<std::ptrdiff_t>(round) * count;
    EXPECT_EQ(std::set<int>(from, from + count).size(), static_cast<std::size_t>(count));
  }
  for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i], shown[i - 1]) << i;
}

// Walking the history forward takes nothing from the round: after going
// back and forward again the round still shows each picture once.
TEST_F(SchedulerTest, WalkingTheHistoryLeavesTheRoundWhole) {
  const int count = 6;
  MakeList(count);
  settings_.RandomOrder = true;
  settings_.NoRepeats = true;
  settings_.WalkHistory = true;
  Press(scheduler_, "nnnppnnnnn");
  const Ticks shown = Composed();
  ASSERT_EQ(shown.size(), 10u);
  EXPECT_EQ((Ticks{shown[3], shown[4], shown[5], shown[6]}),
            (Ticks{shown[1], shown[0], shown[1], shown[2]}));
  const Ticks picks{shown[0], shown[1], shown[2], shown[7], shown[8], shown[9]};
  EXPECT_EQ(std::set<int>(picks.begin(), picks.end()).size(), static_cast<std::size_t>(count));
}

// A hundred steps back and forward over a random order, with a restart
// half way back: each step lands on the picture shown at that point.
TEST_F(SchedulerTest, HundredStepsBackAndForwardLandWhereTheyShould) {
  MakeList(150);
  settings_.WalkHistory = true;
  settings_.RandomOrder = true;
  random_ = PlatformRandom(2026);
  scheduler_.ApplyCurrentEntry();
  Press(scheduler_, std::string(130, 'n'));
  const Ticks all = Composed();
  // Consecutive repeats of a random pick are one step of the history.
  Ticks shown;
  for (int picture : all) {
    if (shown.empty() || shown.back() != picture) shown.push_back(picture);
  }
  const Ticks newest(shown.end() - static_cast<std::ptrdiff_t>(ChangeHistory::kLimit), shown.end());

  composed_.clear();
  Press(scheduler_, std::string(50, 'p'));
  ChangeScheduler restarted(SchedulerClock{[this] { return now_; }, [this] { return bootMs_; },
                                           [this] { return bootId_; }},
                            random_, Hooks());
  restarted.state() = scheduler_.state();
  restarted.items().Nastpnatapeta1.onClick = [&restarted] { restarted.Next(); };
  restarted.items().Poprzedniatapeta1.onClick = [&restarted] { restarted.Previous(); };
  restarted.ApplyCurrentEntry();
  Press(restarted, std::string(50, 'p'));
  Ticks back = Composed();
  back.erase(back.begin() + 50);  // the restart's own composition
  const Ticks expectedBack(newest.rbegin() + 1, newest.rend());
  ASSERT_EQ(back.size(), 100u);
  EXPECT_EQ(Ticks(back.begin(), back.begin() + 99), expectedBack);
  EXPECT_EQ(back.back(), newest.front()) << "nothing older: the oldest stays";

  composed_.clear();
  Press(restarted, std::string(99, 'n'));
  EXPECT_EQ(Composed(), Ticks(newest.begin() + 1, newest.end()));
}

}  // namespace
}  // namespace vendaro::testing
