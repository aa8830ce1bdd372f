#pragma once

#include <string>
#include <string_view>

#include "system/status.h"

namespace vendaro {

// Tells the user of a problem where no window shows it: on standard error,
// as "<program>: <message>".  Nothing for a Status that is ok.
void ReportOnTerminal(const Status& status);
void ReportOnTerminal(const std::string& message);

// Writes `text` on standard output and flushes it.  When it does not get
// there (a full disk, a closed descriptor) the reason goes to standard error
// and the answer is false: a command whose whole work is printing must not
// then end as if it had succeeded.
bool WriteStandardOutput(std::string_view text);

}  // namespace vendaro
