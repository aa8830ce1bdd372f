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

TEST(AnsweringWait, TheEventLoopRunsWhileTheWorkWaits) {
  // result of the work, whether the program ends during the wait; the
  // application's end last: its event loops stay ended afterwards.
  for (const auto& [result, appEnds] : {std::pair{true, false}, {false, false}, {true, true}}) {
    SCOPED_TRACE(::testing::Message() << "result " << result << ", ends " << appEnds);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    if (appEnds) QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
    const auto work = appEnds ? 1500ms : 300ms;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(RunWhileAnswering([work, r = result] {
                std::this_thread::sleep_for(work);
                return r;
              }),
              result && !appEnds);
    EXPECT_GE(ticks, 3) << "the event loop stood still";
    if (appEnds) {
      EXPECT_LT(clock.elapsed(), 1000) << "the end waited for the work";
      // The work ends on its own; the test does not end before it.
      std::this_thread::sleep_for(1600ms);
    } else {
      EXPECT_GE(clock.elapsed(), 300) << "returned before the work ended";
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
