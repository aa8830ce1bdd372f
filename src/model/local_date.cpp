#include "model/local_date.h"

#include <cmath>
#include <ctime>

#include "system/local_time.h"

namespace vendaro {
namespace {

// Days from 1970-01-01 to a civil date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Ymd {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

Ymd CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

// 30 December 1899 is day 0.
constexpr std::int64_t kUnixEpochSerial = 25569;

std::tm LocalTm(std::chrono::system_clock::time_point moment) {
  return LocalTime(std::chrono::system_clock::to_time_t(moment));
}

}  // namespace

DateTime DateFromYmd(int year, int month, int day) {
  return static_cast<DateTime>(DaysFromCivil(year, unsigned(month), unsigned(day)) +
                               kUnixEpochSerial);
}

DateTime LocalDateOf(std::chrono::system_clock::time_point moment) {
  const std::tm tm = LocalTm(moment);
  return DateFromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

DateTime LocalDateTimeOf(std::chrono::system_clock::time_point moment) {
  const std::tm tm = LocalTm(moment);
  const auto sinceEpoch = moment.time_since_epoch();
  const auto fraction = sinceEpoch - std::chrono::floor<std::chrono::seconds>(sinceEpoch);
  const double seconds = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec +
                         std::chrono::duration<double>(fraction).count();
  return DateFromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + seconds / 86400.0;
}

double DaySpan(DateTime a, DateTime b) {
  return std::fabs(a - b);
}

std::string FormatShortDate(DateTime date) {
  const std::int64_t days = static_cast<std::int64_t>(std::floor(date)) - kUnixEpochSerial;
  const Ymd ymd = CivilFromDays(days);
  std::tm tm{};
  tm.tm_year = static_cast<int>(ymd.year - 1900);
  tm.tm_mon = static_cast<int>(ymd.month) - 1;
  tm.tm_mday = static_cast<int>(ymd.day);
  tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  tm.tm_yday = static_cast<int>(days - DaysFromCivil(ymd.year, 1, 1));
  char text[128];
  const std::size_t n = std::strftime(text, sizeof text, ShortDateFormat().c_str(), &tm);
  return std::string(text, n);
}

std::optional<DateTime> ParseShortDate(std::string_view text) {
  std::tm tm{};
  tm.tm_mday = 1;
  if (!ParseTime(std::string(text), ShortDateFormat(), tm)) return std::nullopt;
  const int year = tm.tm_year + 1900;
  const int month = tm.tm_mon + 1;
  if (month < 1 || month > 12 || tm.tm_mday < 1) return std::nullopt;
  const DateTime date = DateFromYmd(year, month, tm.tm_mday);
  // strptime takes 31 February; a real date survives the round trip.
  const Ymd back = CivilFromDays(static_cast<std::int64_t>(date) - kUnixEpochSerial);
  if (back.month != unsigned(month) || back.day != unsigned(tm.tm_mday)) return std::nullopt;
  return date;
}

}  // namespace vendaro
