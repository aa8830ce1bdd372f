#include "system/report.h"

#include <cstdio>

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

}  // namespace vendaro
