#pragma once

#include <string>

#include "system/status.h"

namespace vendaro {

// Tells the user of a problem where no window shows it: on standard error,
// as "<program>: <message>".  Nothing for a Status that is ok.
void ReportOnTerminal(const Status& status);
void ReportOnTerminal(const std::string& message);

}  // namespace vendaro
