#include "system/report.h"

#include <cerrno>
#include <cstdio>

#include "system/files.h"
#include "system/process.h"

namespace vendaro {

void ReportOnTerminal(const Status& status) {
  if (!status) ReportOnTerminal(status.message());
}

void ReportOnTerminal(const std::string& message) {
  const std::string path = ExecutablePath();
  const std::string program = path.substr(path.rfind('/') + 1);
  std::fprintf(stderr, "%s: %s\n", program.empty() ? "vendaro" : program.c_str(), message.c_str());
}

bool WriteStandardOutput(std::string_view text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (std::fflush(stdout) == 0 && written) return true;
  ReportOnTerminal("stdout: " + ErrorText(errno));
  return false;
}

}  // namespace vendaro
