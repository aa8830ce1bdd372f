#include "system/bounded_child.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "support/test_environment.h"
#include "system/files.h"

namespace vendaro::testing {
namespace {

using namespace std::chrono_literals;
using Outcome = BoundedChild::Outcome;

// An answer is a line.
std::size_t LineLength(std::string_view received) {
  const std::size_t end = received.find('\n');
  return end == std::string_view::npos ? 0 : end + 1;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(BoundedChild, EachWayAnExchangeEnds) {
  struct Row {
    const char* script;
    std::chrono::milliseconds limit;
    Outcome outcome;
    const char* answer;
    double atMostSeconds;
  };
  const Row rows[] = {
      {"read line; echo \"got $line\"", 10s, Outcome::Answered, "got ask\n", 10},
      // Half an answer, then the end: not an answer.
      {"read line; printf partial; exit 0", 10s, Outcome::Died, "", 10},
      {"read line; kill -SEGV $$", 10s, Outcome::Died, "", 10},
      // Silent past the wall clock: killed there, not waited for.
      {"read line; sleep 30", 300ms, Outcome::TimedOut, "", 5},
      // Spinning past its CPU time: the system ends it.
      {"ulimit -S -t 1; read line; while :; do :; done", 20s, Outcome::OverCpu, "", 15},
      // Never reading its request: ours is small, the socket takes it.
      {"sleep 30", 300ms, Outcome::TimedOut, "", 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.script);
    BoundedChild child;
    ASSERT_TRUE(child.Start("/bin/sh", {"-c", row.script}));
    const auto start = std::chrono::steady_clock::now();
    std::string answer = "stale";
    EXPECT_EQ(child.Exchange("ask\n", LineLength, answer, row.limit), row.outcome);
    EXPECT_LT(SecondsSince(start), row.atMostSeconds);
    if (row.outcome == Outcome::Answered) {
      EXPECT_EQ(answer, row.answer);
      EXPECT_TRUE(child.running());
    } else {
      EXPECT_FALSE(child.running());
      // A stopped helper takes no more requests until started again.
      EXPECT_EQ(child.Exchange("ask\n", LineLength, answer, 1s), Outcome::NotStarted);
    }
  }
}

TEST(BoundedChild, OneHelperAnswersManyRequests) {
  BoundedChild child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "while read line; do echo \"$line$line\"; done"}));
  for (const std::string word : {"a", "bc", "def"}) {
    std::string answer;
    ASSERT_EQ(child.Exchange(word + "\n", LineLength, answer, 10s), Outcome::Answered);
    EXPECT_EQ(answer, word + word + "\n");
  }
}

TEST(BoundedChild, CancelFromAnotherThreadEndsTheWaitAtOnce) {
  BoundedChild child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "read line; sleep 60"}));
  std::thread canceller([&child] {
    std::this_thread::sleep_for(200ms);
    child.Cancel();
  });
  const auto start = std::chrono::steady_clock::now();
  std::string answer;
  EXPECT_EQ(child.Exchange("ask\n", LineLength, answer, 60s), Outcome::TimedOut);
  EXPECT_LT(SecondsSince(start), 10);
  canceller.join();
}

TEST(BoundedChild, AProgramThatCannotRunIsToldAtStart) {
  BoundedChild child;
  const Status started = child.Start("/nonexistent/helper", {});
  ASSERT_FALSE(started);
  EXPECT_NE(started.message().find("/nonexistent/helper"), std::string::npos);
  EXPECT_FALSE(child.running());
  std::string answer;
  EXPECT_EQ(child.Exchange("ask\n", LineLength, answer, 10s), Outcome::NotStarted);
}

// The limits a helper sets itself, tried in a child of the test.
TEST(LimitTime, EndsASpinningOrASleepingProcess) {
  struct Row {
    const char* what;
    bool spins;
    int signal;
  };
  for (const Row& row : {Row{"spins", true, SIGXCPU}, Row{"sleeps", false, SIGALRM}}) {
    SCOPED_TRACE(row.what);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      LimitTime(1, row.spins ? 60 : 1);
      volatile unsigned long spins = 0;
      for (;;) {
        if (row.spins)
          spins = spins + 1;
        else
          ::pause();
      }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), row.signal);
  }
}

TEST(LimitAddressSpace, RefusesALargeAllocationWhereItApplies) {
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    LimitAddressSpace(std::uint64_t{64} << 20);
    void* block = std::malloc(std::size_t{256} << 20);
    ::_exit(block ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  // The sanitizers reserve terabytes of address space: there it stays open.
  EXPECT_EQ(WEXITSTATUS(status), AddressSpaceLimited() ? 0 : 1);
}

// Nothing but a regular file is read: a FIFO with no writer would block.
TEST(ReadWholeFile, RefusesWhatIsNotARegularFileAtOnce) {
  const std::string dir = MakeTempDir("not-files") + "/";
  ASSERT_EQ(::mkfifo((dir + "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir + "folder");
  WriteFileBytes(dir + "file", "abc");
  struct Row {
    std::string path;
    int error;
    const char* bytes;
  };
  const Row rows[] = {
      {dir + "fifo", kNotARegularFile, ""}, {dir + "folder", kNotARegularFile, ""},
      {"/dev/zero", kNotARegularFile, ""},  {dir + "file", 0, "abc"},
      {dir + "missing", ENOENT, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const auto start = std::chrono::steady_clock::now();
    const FileBytes read = ReadWholeFile(row.path, 1 << 20);
    EXPECT_LT(SecondsSince(start), 5);
    EXPECT_EQ(read.error, row.error);
    EXPECT_EQ(read.bytes, row.bytes);
  }
  EXPECT_FALSE(ErrorText(kNotARegularFile).empty());
}

}  // namespace
}  // namespace vendaro::testing
