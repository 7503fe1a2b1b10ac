// Shell utilities used across the program: user folders, file deletion and
// revealing, opening documents, number conversion and aspect-ratio fitting.
// None of them throws: conversions give 0, look-ups fall back, deletions
// answer false.
#pragma once

#include <QRect>
#include <QString>
#include <optional>

class QWidget;

namespace shell {

// User folders, each without a trailing separator. A folder that is not
// configured or does not exist falls back as a user expects: pictures and
// videos to the documents folder, the documents folder to the home folder.
QString PersonalFolder();
QString PicturesFolder();
QString VideosFolder();

// Path of the companion scene program, as its own settings record it; empty
// when it was never installed.
QString CompanionExePath();

// Operating system and kernel, for the system report.
struct SystemVersion {
  QString product;  // empty when unknown
  QString kernel;
};
SystemVersion CurrentSystemVersion();

// Shows the file selected in the desktop's file manager, or opens its folder
// when no file manager answers on the session bus.
void RevealInExplorer(const QString& path);

// Opens a file or an address with its associated program. A trailing "©"
// (the mark-up texts put one after links) is removed first.
bool OpenDocument(const QString& pathOrAddress);

// Makes the file writable, then deletes it. True when it is gone.
bool DeleteFileForced(const QString& path);

// Moves the file to the desktop's trash. The path is used exactly as given.
bool DeleteToRecycleBin(const QString& path);

// Trimmed text to a signed 32-bit integer (an optional sign, then decimal
// digits); nothing when it is not one.
std::optional<int> ParseInteger(const QString& text);

// Trimmed text to a finite real number; "." and "," are both taken as the
// decimal separator, so a value written under one locale reads back under
// another.
std::optional<double> ParseReal(const QString& text);

// The same, with 0 when the text is not a number.
int StrToIntOrZero(const QString& text);

double StrToFloatOrZero(const QString& text);

// Shortest decimal text that reads back as exactly the same double, always
// with "." (ParseReal reads "." and ",").
QString FloatToText(double value);

// Shrinks width or height so that width:height becomes a:b (integer
// arithmetic, truncating). Nothing changes when a or b is not positive.
void FitSizeToRatio(int& width, int& height, int a, int b);

// A rectangle by its four edges, right and bottom exclusive: the form the
// preferences, the macros and the picture code all use.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Rect&) const = default;
  static Rect FromQRect(const QRect& rect) { return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1}; }
  QRect ToQRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
};

// The largest rectangle of ratio a:b centred in the source; the empty
// rectangle at the source's top-left corner when a or b is not positive.
Rect FitRectToRatio(int a, int b, const Rect& source);

// The last two characters of "00" followed by the number: 7 gives "07".
QString TwoDigits(int value);

}  // namespace shell
