#include "media/filters/dateformat.h"

#include <QDateTime>
#include <cmath>
#include <cstdint>

namespace {

const char* const kDayNames[] = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
const char* const kDayShortNames[] = {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."};
const char* const kMonthNames[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                   "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
const char* const kMonthShortNames[] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                        "juil.", "août",  "sept.", "oct.", "nov.", "déc."};

struct Parts {
  std::int64_t year;
  int month, day, weekday, hour, minute, second;
};

Parts Split(double days) {
  // Whole seconds, rounded, so that 10:00:00 is never shown as 09:59:59.
  const auto total = static_cast<std::int64_t>(std::llround(days * 86400.0));
  std::int64_t day = total >= 0 ? total / 86400 : (total - 86399) / 86400;
  const auto second = static_cast<int>(total - day * 86400);
  const std::int64_t weekday = ((day + 6) % 7 + 7) % 7;  // 1899-12-30 was a Saturday
  // Civil date from days since 1970-01-01.
  std::int64_t z = day - 25569 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const int dayOfMonth = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2),
          month,
          dayOfMonth,
          static_cast<int>(weekday),
          second / 3600,
          second / 60 % 60,
          second % 60};
}

QString Two(int value) { return QString::number(value).rightJustified(2, '0'); }

qsizetype RunLength(const QString& format, qsizetype at) {
  const QChar c = format[at].toLower();
  qsizetype end = at;
  while (end < format.size() && format[end].toLower() == c) ++end;
  return end - at;
}

}  // namespace

QString FormatDateTime(const QString& format, double days) {
  const Parts p = Split(days);
  const QString shortDate = Two(p.day) + '/' + Two(p.month) + '/' + QString::number(p.year).rightJustified(4, '0');
  QString text;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i].toLower();
    if (format[i] == '"' || format[i] == '\'') {
      const qsizetype close = format.indexOf(format[i], i + 1);
      const qsizetype end = close < 0 ? format.size() : close;
      text += format.mid(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    const qsizetype run = RunLength(format, i);
    if (c == 'd') {
      if (run >= 6)
        text += QString::fromUtf8(kDayNames[p.weekday]) + ' ' + QString::number(p.day) + ' ' +
                QString::fromUtf8(kMonthNames[p.month - 1]) + ' ' + QString::number(p.year);
      else if (run == 5)
        text += shortDate;
      else if (run == 4)
        text += QString::fromUtf8(kDayNames[p.weekday]);
      else if (run == 3)
        text += QString::fromUtf8(kDayShortNames[p.weekday]);
      else
        text += run == 2 ? Two(p.day) : QString::number(p.day);
    } else if (c == 'm') {
      if (run >= 4)
        text += QString::fromUtf8(kMonthNames[p.month - 1]);
      else if (run == 3)
        text += QString::fromUtf8(kMonthShortNames[p.month - 1]);
      else
        text += run == 2 ? Two(p.month) : QString::number(p.month);
    } else if (c == 'y') {
      text += run >= 3 ? QString::number(p.year).rightJustified(4, '0') : Two(static_cast<int>(p.year % 100));
    } else if (c == 'h') {
      text += run >= 2 ? Two(p.hour) : QString::number(p.hour);
    } else if (c == 'n') {
      text += run >= 2 ? Two(p.minute) : QString::number(p.minute);
    } else if (c == 's') {
      text += run >= 2 ? Two(p.second) : QString::number(p.second);
    } else if (c == 't') {
      text += Two(p.hour) + ':' + Two(p.minute);
      if (run >= 2) text += ':' + Two(p.second);
    } else {
      text += format.mid(i, run);
    }
    i += run;
  }
  return text;
}

double DaysOf(const QDateTime& at) {
  const QDate epoch(1899, 12, 30);
  return static_cast<double>(epoch.daysTo(at.date())) + at.time().msecsSinceStartOfDay() / 86400000.0;
}
