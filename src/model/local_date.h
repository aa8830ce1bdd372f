#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace vendaro {

// A point in local time as whole and fractional days since 30 December 1899
// (the classic TDateTime).  A date is the value at local midnight.
using DateTime = double;

DateTime DateFromYmd(int year, int month, int day);

// The local date (at midnight) of a moment.
DateTime LocalDateOf(std::chrono::system_clock::time_point moment);

// The local date and time of a moment (fractional days).
DateTime LocalDateTimeOf(std::chrono::system_clock::time_point moment);

// Absolute difference in days.
double DaySpan(DateTime a, DateTime b);

// The user's short date format (LC_TIME's D_FMT); reading uses the same
// format, and text that does not match gives nothing.
std::string FormatShortDate(DateTime date);
std::optional<DateTime> ParseShortDate(std::string_view text);

}  // namespace vendaro
