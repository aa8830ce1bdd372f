#pragma once

// What the arguments of `vendaro` ask for.  Decided before any part of Qt
// starts, so that --help and --version work without a display.

#include <string>
#include <vector>

#include "app/remote_control.h"

namespace vendaro {

struct ProgramRequest {
  enum class Kind { Resident, Command, Help, Version, Misuse };
  Kind kind = Kind::Resident;
  RemoteCommand command = RemoteCommand::Next;  // what to send, for Kind::Command
  std::string problem;  // for Kind::Misuse: what was wrong, naming the argument
};

// No argument starts the resident program; one argument is a command for
// the running copy, --help or --version; anything else is a misuse.
ProgramRequest ParseProgramArguments(const std::vector<std::string>& arguments);

// The usage text: on standard output for --help, on standard error after a
// misuse.  Its first line is the one-line usage the program always gave.
const char* ProgramUsage();

// What goes to standard error after a misuse: the problem, then the usage.
std::string MisuseText(const ProgramRequest& request);

}  // namespace vendaro
