#pragma once

#include <ctime>
#include <string>

namespace vendaro {

// The broken-down local time of a moment, in the user's time zone.
std::tm LocalTime(std::time_t moment);

// The user's short date format (LC_TIME) as strftime directives, for example
// "%d.%m.%Y".
std::string ShortDateFormat();

// Reads `text` with strftime-style directives into `tm`; true only when the
// whole text matched.
bool ParseTime(const std::string& text, const std::string& format, std::tm& tm);

}  // namespace vendaro
