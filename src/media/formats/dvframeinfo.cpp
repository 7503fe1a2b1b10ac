#include "media/formats/dvframeinfo.h"

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

constexpr std::int64_t kDaysFrom1899To1970 = 25569;

}  // namespace

std::optional<double> DateTimeToDays(const dv::DateTime& t) {
  if (!t.present() || t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
      t.hour > 23 || t.minute > 59 || t.second > 59)
    return std::nullopt;
  const double days = static_cast<double>(DaysFromCivil(t.year, t.month, t.day) + kDaysFrom1899To1970);
  return days + (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
}
