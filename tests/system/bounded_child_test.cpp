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
      {"while read line; do echo \"got $line\"; done", 10s, Outcome::Answered, "got ask\n", 10},
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
      // One helper answers request after request.
      EXPECT_EQ(child.Exchange("more\n", LineLength, answer, 10s), Outcome::Answered);
      EXPECT_EQ(answer, "got more\n");
    } else {
      EXPECT_FALSE(child.running());
      // A stopped helper takes no more requests until started again.
      EXPECT_EQ(child.Exchange("ask\n", LineLength, answer, 1s), Outcome::NotStarted);
    }
  }
}

// A child that is runnable at the wall clock (on a busy machine it waits for
// a processor, here it spins until told) is given the limit again, not
// taken for one that hangs; its CPU limit bounds it.
TEST(BoundedChild, ARunnableChildIsGivenTheLimitAgain) {
  const std::string told = MakeTempDir("runnable") + "/go";
  BoundedChild child;
  ASSERT_TRUE(child.Start("/bin/sh",
                          {"-c", "read line; while [ ! -e " + told + " ]; do :; done; echo done"}));
  std::thread later([&told] {
    std::this_thread::sleep_for(1s);
    WriteFileBytes(told, "");
  });
  std::string answer;
  EXPECT_EQ(child.Exchange("ask\n", LineLength, answer, 400ms), Outcome::Answered);
  EXPECT_EQ(answer, "done\n");
  later.join();
}

// The limits a helper sets itself, tried in a child of the test; how the
// child ends is a signal's number negated or its exit code.
TEST(HelperLimits, EndAProcessThatSpinsSleepsOrAsksForTooMuchMemory) {
  const struct {
    const char* what;
    void (*child)();
    int ends;
  } rows[] = {
      {"spins",
       [] {
         LimitTime(1, 60);
         volatile unsigned long spins = 0;
         for (;;) spins = spins + 1;
       },
       -SIGXCPU},
      {"sleeps",
       [] {
         LimitTime(1, 1);
         for (;;) ::pause();
       },
       -SIGALRM},
      // The sanitizers reserve terabytes of address space: there it stays open.
      {"allocates",
       [] {
         LimitAddressSpace(std::uint64_t{64} << 20);
         ::_exit(std::malloc(std::size_t{256} << 20) ? 1 : 0);
       },
       AddressSpaceLimited() ? 0 : 1},
  };
  for (const auto& row : rows) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      row.child();
      ::_exit(99);  // a limit that did not end it
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status), row.ends) << row.what;
  }
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
}

}  // namespace
}  // namespace vendaro::testing
