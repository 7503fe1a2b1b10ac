// Date and time texts as a French desktop shows them, from the overlay's
// format texts: "ddddd" short date (14/07/2024), "dddddd" long date (dimanche
// 14 juillet 2024), "t" short time (10:05), "tt" long time (10:05:09), and the
// parts d, dd, ddd, dddd, m, mm, mmm, mmmm, yy, yyyy, h, hh, n, nn, s, ss;
// text between quotes is kept as it is.
#pragma once

#include <QString>

class QDateTime;

// `days` counts days since 1899-12-30, the time of day as the fraction.
QString FormatDateTime(const QString& format, double days);

// The local date and time as days since 1899-12-30.
double DaysOf(const QDateTime& at);
