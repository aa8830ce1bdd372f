// A long wait (pkexec and polkit's password dialog) keeps the program's
// event loop going: windows repaint, the tray answers.
#include "platform/session/answering_wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <thread>

namespace vendaro {
namespace {

using namespace std::chrono_literals;

std::function<bool()> Sleeping(std::chrono::milliseconds time, bool result) {
  return [time, result] {
    std::this_thread::sleep_for(time);
    return result;
  };
}

TEST(AnsweringWait, TheEventLoopRunsWhileTheWorkWaits) {
  struct Row {
    const char* name;
    bool result;
    bool appEnds;  // the program ends during the wait
    bool expected;
  };
  // The application's end last: its event loops stay ended afterwards.
  const Row rows[] = {
      {"the work succeeds", true, false, true},
      {"the work fails", false, false, false},
      {"the program ends meanwhile", true, true, false},
  };
  for (const Row& row : rows) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    if (row.appEnds) QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
    QElapsedTimer clock;
    clock.start();
    const bool result = RunWhileAnswering(Sleeping(row.appEnds ? 1500ms : 300ms, row.result));
    const qint64 took = clock.elapsed();
    EXPECT_EQ(result, row.expected) << row.name;
    EXPECT_GE(ticks, 3) << row.name << ": the event loop stood still";
    if (row.appEnds) {
      EXPECT_LT(took, 1000) << row.name << ": the end waited for the work";
      // The work ends on its own; the test does not end before it.
      std::this_thread::sleep_for(1600ms);
    } else {
      EXPECT_GE(took, 300) << row.name << ": returned before the work ended";
    }
  }
}

TEST(AnsweringWait, OffTheApplicationsThreadTheWorkRunsInPlace) {
  std::thread::id caller, worker;
  std::thread([&] {
    caller = std::this_thread::get_id();
    EXPECT_TRUE(RunWhileAnswering([&] {
      worker = std::this_thread::get_id();
      return true;
    }));
  }).join();
  EXPECT_EQ(caller, worker);
}

}  // namespace
}  // namespace vendaro
