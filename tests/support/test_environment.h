#pragma once

#include <string>

namespace vendaro::testing {

// Points HOME and every XDG folder at a fresh private directory so that no
// test can reach the real home, desktop or autostart folders.  Called by the
// test mains before anything else runs; returns the sandbox root.
std::string IsolateEnvironment();

// The sandbox root made by IsolateEnvironment().
const std::string& SandboxRoot();

// Removes the sandbox made by IsolateEnvironment, unless
// VENDARO_KEEP_TEST_FILES is set (to look at what a test wrote).
void RemoveSandbox();

// A new empty directory inside the sandbox, for one test.
std::string MakeTempDir(const std::string& prefix = "t");

// Whole-file helpers for tests.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// What a command run through the shell did: its exit status (-1 when it did
// not exit) and what it wrote on standard output and standard error.
struct CommandRun {
  int exitCode;
  std::string out, err;
};
CommandRun RunShellCommand(const std::string& commandLine);

}  // namespace vendaro::testing
