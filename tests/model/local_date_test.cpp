#include "model/local_date.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <optional>

namespace vendaro {
namespace {

using std::chrono::sys_days;

TEST(DateFromYmd, CountsDaysFromTheClassicEpoch) {
  const struct {
    int y, m, d;
    double serial;
  } cases[] = {
      {1899, 12, 30, 0},   {1899, 12, 29, -1},   {1900, 1, 1, 2},     {1900, 3, 1, 61},
      {2000, 1, 1, 36526}, {2000, 2, 29, 36585}, {1970, 1, 1, 25569}, {2026, 12, 8, 46364},
  };
  for (const auto& c : cases) EXPECT_EQ(DateFromYmd(c.y, c.m, c.d), c.serial) << c.y << c.m << c.d;
}

// Sets TZ for one test and puts the old value back.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST(LocalDate, FollowsTheLocalTimeZone) {
  const auto moment = sys_days{std::chrono::year{2026} / 12 / 8} + std::chrono::minutes(30);
  {
    const ScopedTimeZone zone("EAST-14");  // UTC+14: 14:30 the same day
    EXPECT_EQ(LocalDateOf(moment), DateFromYmd(2026, 12, 8));
    EXPECT_DOUBLE_EQ(LocalDateTimeOf(moment), DateFromYmd(2026, 12, 8) + 14.5 / 24);
  }
  {
    const ScopedTimeZone zone("WEST+10");  // UTC-10: 14:30 the day before
    EXPECT_EQ(LocalDateOf(moment), DateFromYmd(2026, 12, 7));
    EXPECT_DOUBLE_EQ(LocalDateTimeOf(moment), DateFromYmd(2026, 12, 7) + 14.5 / 24);
  }
  EXPECT_DOUBLE_EQ(DaySpan(DateFromYmd(2026, 12, 7), DateFromYmd(2026, 12, 9) + 0.25), 2.25);
}

class ScopedTimeLocale {
 public:
  explicit ScopedTimeLocale(const char* name) : saved_(std::setlocale(LC_TIME, nullptr)) {
    active_ = std::setlocale(LC_TIME, name) != nullptr;
  }
  ~ScopedTimeLocale() { std::setlocale(LC_TIME, saved_.c_str()); }
  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

void ExpectRoundTrips(int firstYear, int lastYear) {
  for (int year = firstYear; year <= lastYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day : {1, 9, 28}) {
        const DateTime date = DateFromYmd(year, month, day);
        EXPECT_EQ(ParseShortDate(FormatShortDate(date)), date) << FormatShortDate(date);
      }
    }
  }
}

TEST(ShortDate, CLocaleUsesMonthDayTwoDigitYear) {
  const ScopedTimeLocale locale("C.UTF-8");
  ASSERT_TRUE(locale.active());
  EXPECT_EQ(FormatShortDate(DateFromYmd(2026, 12, 8)), "12/08/26");
  EXPECT_EQ(FormatShortDate(DateFromYmd(2026, 12, 8) + 0.99), "12/08/26");
  EXPECT_EQ(ParseShortDate("02/29/24"), DateFromYmd(2024, 2, 29));
  for (const char* bad :
       {"02/30/26", "13/01/26", "00/10/26", "2026-12-08", "", "12/08/26 x", "12/08", "jutro"}) {
    EXPECT_EQ(ParseShortDate(bad), std::nullopt) << bad;
  }
  ExpectRoundTrips(1970, 2068);
}

TEST(ShortDate, RoundTripsInAnotherInstalledLocale) {
  for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "de_DE.UTF-8", "en_GB.UTF-8"}) {
    const ScopedTimeLocale locale(name);
    if (!locale.active()) continue;
    ExpectRoundTrips(1990, 2060);
    const std::string text = FormatShortDate(DateFromYmd(2026, 12, 8));
    EXPECT_NE(text.find("08"), std::string::npos) << text;
    return;
  }
  GTEST_SKIP() << "no second locale installed";
}

}  // namespace
}  // namespace vendaro
