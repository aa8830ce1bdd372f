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

struct PipeEnds {
  int read = -1, write = -1;
};
PipeEnds MakePipe() {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  return {fds[0], fds[1]};
}

TEST(SessionGuard, MendsOnlyWhatEndedWithoutTheRelease) {
  struct Row {
    const char* name;
    std::string sent;  // before the program's end closes the pipe
    bool mendWorks;
    GuardOutcome outcome;
    bool mended;
  };
  const Row rows[] = {
      {"released", "r", true, GuardOutcome::Released, false},
      {"ended abruptly", "", true, GuardOutcome::Mended, true},
      {"ended abruptly, the desktop out of reach", "", false, GuardOutcome::NotMended, true},
      {"other bytes are no release", "xyz", true, GuardOutcome::Mended, true},
      {"released among other bytes", "xrz", true, GuardOutcome::Released, false},
  };
  for (const Row& row : rows) {
    const PipeEnds pipe = MakePipe();
    ASSERT_EQ(write(pipe.write, row.sent.data(), row.sent.size()),
              static_cast<ssize_t>(row.sent.size()));
    close(pipe.write);
    bool mended = false;
    const GuardOutcome outcome = AwaitProgramEnd(pipe.read, [&] {
      mended = true;
      return row.mendWorks ? Status::Ok() : Status::Error("no bus");
    });
    close(pipe.read);
    EXPECT_EQ(outcome, row.outcome) << row.name;
    EXPECT_EQ(mended, row.mended) << row.name;
  }
}

TEST(SessionGuard, AKilledProgramIsNoticed) {
  const PipeEnds pipe = MakePipe();
  const pid_t program = fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    close(pipe.read);
    pause();
    _exit(0);
  }
  close(pipe.write);
  kill(program, SIGKILL);
  bool mended = false;
  EXPECT_EQ(AwaitProgramEnd(pipe.read,
                            [&] {
                              mended = true;
                              return Status::Ok();
                            }),
            GuardOutcome::Mended);
  EXPECT_TRUE(mended);
  close(pipe.read);
  waitpid(program, nullptr, 0);
}

// A stand-in guard that writes down what came through its standard input
// once that ends: with the write end leaked anywhere it would never end.
std::string StandInGuard(const std::string& folder) {
  const std::string script = folder + "/guard.sh";
  testing::WriteFileBytes(script, "#!/bin/sh\ncat > \"$0.got\" && touch \"$0.ended\"\n");
  chmod(script.c_str(), 0755);
  return script;
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 500 && !FileExists(path); ++i) usleep(10000);
  return FileExists(path);
}

TEST(SessionGuard, TheGuardHearsTheReleaseOrTheEnd) {
  for (const bool release : {true, false}) {
    const std::string folder = MakeTempDir("guard");
    const std::string script = StandInGuard(folder);
    {
      SessionGuard guard;
      ASSERT_TRUE(guard.Start(script));
      if (release) guard.Release();
    }
    ASSERT_TRUE(WaitForFile(script + ".ended")) << "release " << release;
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
  struct Row {
    const char* name;
    Holder holder;
    bool mended;
  };
  const Row rows[] = {
      {"nobody holds the lock", Holder::Nobody, true},
      {"the ended program, not reaped yet", Holder::TheEndedProgram, true},
      {"another copy runs", Holder::AnotherCopy, false},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string folder = MakeTempDir("guard-state");
    const std::string name = "guarded-" + std::to_string(n++);
    // Unreadable: mending removes it, so its absence tells that it ran.
    testing::WriteFileBytes(JournalPath(folder), "garbage\n");
    pid_t ended = EndedHolder("unrelated-" + name);
    std::unique_ptr<InstanceLock> other;
    if (row.holder == Holder::TheEndedProgram) {
      waitpid(ended, nullptr, 0);
      ended = EndedHolder(name);
    } else if (row.holder == Holder::AnotherCopy) {
      other = std::make_unique<InstanceLock>(name);
      ASSERT_TRUE(other->TryAcquire());
    }
    (void)MendAfterAbruptEnd(folder, name);
    EXPECT_EQ(!FileExists(JournalPath(folder)), row.mended) << row.name;
    waitpid(ended, nullptr, 0);
  }
}

}  // namespace
}  // namespace vendaro
