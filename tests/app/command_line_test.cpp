// What `vendaro` makes of its arguments, and the built program's answers to
// --help, --version and a misuse, given without any display.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_environment.h"
#include "vendaro_version.h"

namespace vendaro {
namespace {

using Kind = ProgramRequest::Kind;

TEST(ProgramArguments, EachShapeOfCommandLine) {
  struct Row {
    std::vector<std::string> arguments;
    Kind kind;
    RemoteCommand command = RemoteCommand::Next;
  };
  const Row rows[] = {
      {{}, Kind::Resident},
      {{"next"}, Kind::Command, RemoteCommand::Next},
      {{"previous"}, Kind::Command, RemoteCommand::Previous},
      {{"settings"}, Kind::Command, RemoteCommand::Settings},
      {{"quit"}, Kind::Command, RemoteCommand::Quit},
      {{"--help"}, Kind::Help},
      {{"--version"}, Kind::Version},
      {{"Next"}, Kind::Misuse},
      {{"-h"}, Kind::Misuse},
      {{"--next"}, Kind::Misuse},
      {{""}, Kind::Misuse},
      {{"next", "next"}, Kind::Misuse},
      {{"--help", "next"}, Kind::Misuse},
      {{"quit", "--version"}, Kind::Misuse},
  };
  for (const Row& row : rows) {
    const ProgramRequest request = ParseProgramArguments(row.arguments);
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    EXPECT_EQ(request.kind, row.kind);
    if (row.kind == Kind::Command) {
      EXPECT_EQ(request.command, row.command);
    }
  }
}

TEST(ProgramArguments, UsageNamesEveryCommandAndOption) {
  const std::string usage = ProgramUsage();
  EXPECT_EQ(usage.rfind("Użycie: vendaro [next|previous|settings|quit]\n", 0), 0u) << usage;
  for (const char* word : {"next", "previous", "settings", "quit", "--help", "--version"})
    EXPECT_NE(usage.find("\n  " + std::string(word) + " "), std::string::npos) << word;
}

// The built program, on a platform that would end it at once if it tried to
// reach a display: these answers must come before Qt starts.
testing::CommandRun Vendaro(const std::string& arguments) {
  return testing::RunShellCommand(
      std::string("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '") + VENDARO_BIN_DIR +
      "/vendaro' " + arguments);
}

TEST(ProgramCommandLine, HelpAndVersionNeedNoDisplay) {
  const testing::CommandRun help = Vendaro("--help");
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_EQ(help.out, ProgramUsage());
  EXPECT_EQ(help.err, "");

  const testing::CommandRun version = Vendaro("--version");
  EXPECT_EQ(version.exitCode, 0) << version.err;
  EXPECT_EQ(version.out, "vendaro " VENDARO_VERSION "\n");
  EXPECT_EQ(version.err, "");
}

TEST(ProgramCommandLine, MisuseShowsTheUsageOnStandardErrorAndEndsWith2) {
  for (const char* arguments : {"--bogus", "next previous", "-h", "--version extra"}) {
    const testing::CommandRun run = Vendaro(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_EQ(run.err, ProgramUsage()) << arguments;
  }
}

TEST(ProgramCommandLine, AnAnswerThatCannotBeWrittenIsAFailure) {
  for (const char* arguments : {"--version >/dev/full", "--help >/dev/full"}) {
    const testing::CommandRun run = Vendaro(arguments);
    EXPECT_EQ(run.exitCode, 1) << arguments;
    EXPECT_EQ(run.err.rfind("vendaro: stdout: ", 0), 0u) << run.err;
  }
}

}  // namespace
}  // namespace vendaro
