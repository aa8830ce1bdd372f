// The guard mends the journal only when the resident program ended without
// giving the wallpaper back itself, and never under another running copy.
#include "platform/session/session_guard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/desktop/restore_journal.h"
#include "platform/session/instance_lock.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::FileExists;
using testing::MakeTempDir;

TEST(SessionGuard, MendsOnlyWhatEndedWithoutTheRelease) {
  struct Row {
    std::string sent;  // before the program's end closes the pipe
    bool mendWorks;
    GuardOutcome outcome;
  };
  const Row rows[] = {
      {"r", true, GuardOutcome::Released},   {"", true, GuardOutcome::Mended},
      {"", false, GuardOutcome::NotMended},  // the desktop out of reach
      {"xyz", true, GuardOutcome::Mended},   // other bytes are no release
      {"xrz", true, GuardOutcome::Released},
  };
  for (const Row& row : rows) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], row.sent.data(), row.sent.size()), std::ssize(row.sent));
    close(fds[1]);
    bool mended = false;
    const GuardOutcome outcome = AwaitProgramEnd(fds[0], [&] {
      mended = true;
      return row.mendWorks ? Status::Ok() : Status::Error("no bus");
    });
    close(fds[0]);
    EXPECT_EQ(outcome, row.outcome) << &row - rows;
    EXPECT_EQ(mended, row.outcome != GuardOutcome::Released) << &row - rows;
  }
}

// A stand-in guard that writes down what came through its standard input
// once that ends: with the write end leaked anywhere it would never end.
TEST(SessionGuard, TheGuardHearsTheReleaseOrTheEnd) {
  for (const bool release : {true, false}) {
    const std::string script = MakeTempDir("guard") + "/guard.sh";
    testing::WriteFileBytes(script, "#!/bin/sh\ncat > \"$0.got\" && touch \"$0.ended\"\n");
    chmod(script.c_str(), 0755);
    {
      SessionGuard guard;
      ASSERT_TRUE(guard.Start(script));
      if (release) guard.Release();
    }
    for (int i = 0; i < 500 && !FileExists(script + ".ended"); ++i) usleep(10000);
    ASSERT_TRUE(FileExists(script + ".ended")) << "release " << release;
    EXPECT_EQ(testing::ReadFileBytes(script + ".got").empty(), !release) << "release " << release;
  }
}

// A copy that took the instance lock and ended without giving it up, not
// reaped yet (a zombie still looks alive to the lock): its pid.
pid_t EndedHolder(const std::string& name) {
  const pid_t child = fork();
  if (child == 0) {
    InstanceLock lock(name);
    _exit(lock.TryAcquire() ? 0 : 1);
  }
  // Ended, but left unreaped on purpose.
  for (int i = 0; i < 500 && kill(child, 0) == 0; ++i) {
    if (FileExists(InstanceLock(name).path())) break;
    usleep(10000);
  }
  usleep(100000);
  return child;
}

TEST(SessionGuard, MendsOnlyWhenNoOtherCopyRuns) {
  enum class Holder { Nobody, TheEndedProgram, AnotherCopy };
  for (const Holder holder : {Holder::Nobody, Holder::TheEndedProgram, Holder::AnotherCopy}) {
    const std::string folder = MakeTempDir("guard-state");
    const std::string name = "guarded-" + std::to_string(static_cast<int>(holder));
    // Unreadable: mending removes it, so its absence tells that it ran.
    testing::WriteFileBytes(JournalPath(folder), "garbage\n");
    // Otherwise an ended copy holds another lock, which is no concern here.
    const pid_t ended = EndedHolder(holder == Holder::TheEndedProgram ? name : "unrelated-" + name);
    InstanceLock other(name);
    ASSERT_TRUE(holder != Holder::AnotherCopy || other.TryAcquire());
    (void)MendAfterAbruptEnd(folder, name);
    EXPECT_EQ(!FileExists(JournalPath(folder)), holder != Holder::AnotherCopy)
        << static_cast<int>(holder);
    waitpid(ended, nullptr, 0);
  }
}

}  // namespace
}  // namespace vendaro
