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
    const char* named = nullptr;  // the argument a misuse names
  };
  const Row rows[] = {
      {{}, Kind::Resident},
      {{"next"}, Kind::Command, RemoteCommand::Next},
      {{"previous"}, Kind::Command, RemoteCommand::Previous},
      {{"settings"}, Kind::Command, RemoteCommand::Settings},
      {{"quit"}, Kind::Command, RemoteCommand::Quit},
      {{"--help"}, Kind::Help},
      {{"--version"}, Kind::Version},
      {{"Next"}, Kind::Misuse, {}, "Next"},
      {{"-h"}, Kind::Misuse, {}, "-h"},
      {{"--next"}, Kind::Misuse, {}, "--next"},
      {{""}, Kind::Misuse, {}, ""},
      {{"next", "next"}, Kind::Misuse, {}, "next"},
      {{"--help", "next"}, Kind::Misuse, {}, "next"},
      {{"quit", "--version"}, Kind::Misuse, {}, "--version"},
  };
  for (const Row& row : rows) {
    const ProgramRequest request = ParseProgramArguments(row.arguments);
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    EXPECT_EQ(request.kind, row.kind);
    if (row.kind == Kind::Command) {
      EXPECT_EQ(request.command, row.command);
    }
    if (row.named != nullptr) {
      EXPECT_NE(request.problem.find(std::string("„") + row.named + "”"), std::string::npos)
          << request.problem;
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

TEST(ProgramCommandLine, MisuseNamesTheArgumentShowsTheUsageAndEndsWith2) {
  const struct {
    const char* arguments;
    const char* named;
  } rows[] = {{"bogus", "bogus"},
              {"next previous", "previous"},
              {"-h", "-h"},
              {"--version extra", "extra"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments);
    const testing::CommandRun run = Vendaro(row.arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    const std::string firstLine = run.err.substr(0, run.err.find('\n'));
    EXPECT_NE(firstLine.find(std::string("„") + row.named + "”"), std::string::npos) << firstLine;
    EXPECT_EQ(run.err.substr(firstLine.size() + 1), ProgramUsage());
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
