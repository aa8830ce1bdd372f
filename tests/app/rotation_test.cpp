#include <set>

#include "app/change_scheduler.h"
#include "scheduler_fixture.h"

namespace vendaro::testing {
namespace {

using Ticks = std::vector<int>;

class HistoryTest : public SchedulerTest {
 protected:
  // The program started again on the state `before` left: it reads the
  // history and the round back from their files and puts the current picture
  // up.
  std::unique_ptr<ChangeScheduler> Restarted() { return Restarted(scheduler_); }
  std::unique_ptr<ChangeScheduler> Restarted(const ChangeScheduler& before) {
    auto again = std::make_unique<ChangeScheduler>(
        SchedulerClock{[this] { return now_; }, [this] { return bootMs_; },
                       [this] { return bootId_; }},
        random_, Hooks());
    ChangeScheduler& s = *again;
    s.state() = before.state();
    s.items().Nastpnatapeta1.onClick = [&s] { s.Next(); };
    s.items().Poprzedniatapeta1.onClick = [&s] { s.Previous(); };
    s.ApplyCurrentEntry();
    return again;
  }
};

// Presses a run of commands: 'n' Next, 'p' Previous.
void Press(ChangeScheduler& scheduler, const std::string& keys) {
  for (char key : keys) {
    (key == 'n' ? scheduler.items().Nastpnatapeta1 : scheduler.items().Poprzedniatapeta1).Click();
  }
}

TEST_F(HistoryTest, HistoryWalksBackAndForwardBeforeTakingNewPictures) {
  struct Row {
    bool history;
    std::string keys;
    Ticks composed;  // after the first picture, 0, is on screen
  };
  const Row rows[] = {
      {false, "nnnpp", {1, 2, 3, 2, 2}},  // one step back, then the same again
      {true, "nnnpppnnnn", {1, 2, 3, 2, 1, 0, 1, 2, 3, 4}},
      {true, "pp", {0, 0}},
      {true, "nnppnp", {1, 2, 1, 0, 1, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    std::remove((tempFolder_ + kHistoryFileName).c_str());
    MakeList(6);
    settings_.WalkHistory = row.history;
    const auto fresh = Restarted();
    composed_.clear();
    Press(*fresh, row.keys);
    EXPECT_EQ(Composed(), row.composed);
    EXPECT_EQ(FileExists(tempFolder_ + kHistoryFileName), row.history);
  }
}

// The history holds paths: a list edited between the steps still leads
// back to the pictures that were shown, and one taken out is passed over.
TEST_F(HistoryTest, HistoryFollowsPathsThroughAnEditedList) {
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

// Without repeats each round shows every picture once and no change shows
// the picture already up; walking the history takes nothing from the round.
TEST_F(HistoryTest, RandomRoundsStayWholeThroughAWalkBack) {
  const int count = 6;
  MakeList(count);
  settings_.RandomOrder = settings_.NoRepeats = settings_.WalkHistory = true;
  Press(scheduler_, "nnnpp" + std::string(2 + 3 * count - 3, 'n'));
  Ticks shown = Composed();
  ASSERT_EQ(shown.size(), 4u + 3 * count);
  EXPECT_EQ(Ticks(shown.begin() + 3, shown.begin() + 7),
            (Ticks{shown[1], shown[0], shown[1], shown[2]}));
  shown.erase(shown.begin() + 3, shown.begin() + 7);  // the walk's own steps
  for (std::size_t round = 0; round < 3; ++round) {
    const auto from = shown.begin() + static_cast<std::ptrdiff_t>(round) * count;
    EXPECT_EQ(std::set<int>(from, from + count).size(), static_cast<std::size_t>(count));
  }
  for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i], shown[i - 1]) << i;
}

// A restart after every change, the generator seeded afresh each time as a
// start seeds it: without repeats every round still shows each picture once
// and no change shows the picture already up; without the option nothing
// is written to the state folder.
TEST_F(HistoryTest, RoundsWithoutRepeatsSurviveARestartAfterEveryChange) {
  const int count = 5;
  const int rounds = 8;
  for (const bool noRepeats : {true, false}) {
    SCOPED_TRACE(noRepeats ? "without repeats" : "plain random");
    std::remove((tempFolder_ + kRoundFileName).c_str());
    MakeList(count);
    settings_.RandomOrder = true;
    settings_.NoRepeats = noRepeats;
    std::unique_ptr<ChangeScheduler> running = Restarted();
    Ticks shown;
    for (std::uint32_t change = 0; change < count * rounds; ++change) {
      random_.Randomize(0x9E3779B9u * (change + 1));
      running = Restarted(*running);
      composed_.clear();
      Press(*running, "n");
      ASSERT_EQ(composed_.size(), 1u);
      shown.push_back(Composed().back());
    }
    EXPECT_EQ(FileExists(tempFolder_ + kRoundFileName), noRepeats);
    if (!noRepeats) continue;
    for (int round = 0; round < rounds; ++round) {
      const auto from = shown.begin() + round * count;
      EXPECT_EQ(std::set<int>(from, from + count).size(), static_cast<std::size_t>(count))
          << "round " << round;
    }
    for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i], shown[i - 1]) << i;
  }
}

// A hundred steps back and forward over a random order, with a restart
// half way back: each step lands on the picture shown at that point.
TEST_F(HistoryTest, HundredStepsBackAndForwardLandWhereTheyShould) {
  MakeList(150);
  settings_.WalkHistory = true;
  settings_.RandomOrder = true;
  random_ = PlatformRandom(2026);
  scheduler_.ApplyCurrentEntry();
  Press(scheduler_, std::string(130, 'n'));
  // Consecutive repeats of a random pick are one step of the history.
  Ticks shown;
  for (int picture : Composed()) {
    if (shown.empty() || shown.back() != picture) shown.push_back(picture);
  }
  const Ticks newest(shown.end() - static_cast<std::ptrdiff_t>(ChangeHistory::kLimit), shown.end());

  composed_.clear();
  Press(scheduler_, std::string(50, 'p'));
  const auto restarted = Restarted();
  Press(*restarted, std::string(50, 'p'));
  Ticks back = Composed();
  back.erase(back.begin() + 50);  // the restart's own composition
  ASSERT_EQ(back.size(), 100u);
  EXPECT_EQ(Ticks(back.begin(), back.begin() + 99), Ticks(newest.rbegin() + 1, newest.rend()));
  EXPECT_EQ(back.back(), newest.front()) << "nothing older: the oldest stays";

  composed_.clear();
  Press(*restarted, std::string(99, 'n'));
  EXPECT_EQ(Composed(), Ticks(newest.begin() + 1, newest.end()));
}

// What the next change will show is drawn ahead of it: the position told
// beforehand must be the one Next then takes, in every order.
TEST_F(HistoryTest, TheNextPositionIsKnownBeforeNextTakesIt) {
  struct Row {
    const char* order;
    bool random, noRepeats, history;
    int perChange;
    std::string before;  // pressed first
    int unknown;         // presses the position cannot be told for
  };
  const Row rows[] = {
      {"list order", false, false, false, 1, "", 0},
      {"two monitors", false, false, false, 2, "", 0},
      {"random", true, false, false, 1, "", 0},
      {"rounds without repeats: each new round is dealt by Next", true, true, false, 1, "", 4},
      {"history walked back", true, false, true, 1, "nnnnpp", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.order);
    std::remove((tempFolder_ + kHistoryFileName).c_str());
    MakeList(7);
    settings_.RandomOrder = row.random;
    settings_.NoRepeats = row.noRepeats;
    settings_.WalkHistory = row.history;
    picturesPerChange_ = row.perChange;
    random_ = PlatformRandom(77);
    const auto fresh = Restarted();
    Press(*fresh, row.before);
    int unknown = 0;
    for (int i = 0; i < 24; ++i) {
      const std::optional<std::int32_t> told = fresh->PeekNext();
      Press(*fresh, "n");
      if (told)
        EXPECT_EQ(*told, fresh->state().settings.CurrentPosition) << i;
      else
        ++unknown;
    }
    EXPECT_EQ(unknown, row.unknown);
  }
  picturesPerChange_ = 1;
}

}  // namespace
}  // namespace vendaro::testing
