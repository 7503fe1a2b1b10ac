#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <limits>

#include "platform/shellutils.h"
#include "support/tempfolder.h"

using shell::Rect;

TEST(ShellUtils, two_digits_keeps_the_last_two_characters) {
  EXPECT_EQ(shell::TwoDigits(5), "05");
  EXPECT_EQ(shell::TwoDigits(0), "00");
  EXPECT_EQ(shell::TwoDigits(123), "23");
  EXPECT_EQ(shell::TwoDigits(2026), "26");
}

TEST(ShellUtils, fit_size_shrinks_the_side_that_is_too_long) {
  int width = 720, height = 576;
  shell::FitSizeToRatio(width, height, 4, 3);  // 720*3 < 576*4: height shrinks
  EXPECT_EQ(width, 720);
  EXPECT_EQ(height, 540);

  width = 1000, height = 576;
  shell::FitSizeToRatio(width, height, 16, 9);  // 576*16/9 = 1024 > 1000: height shrinks, truncated
  EXPECT_EQ(width, 1000);
  EXPECT_EQ(height, 562);

  width = 1920, height = 1000;
  shell::FitSizeToRatio(width, height, 4, 3);
  EXPECT_EQ(width, 1333);
  EXPECT_EQ(height, 1000);

  width = 640, height = 480;
  shell::FitSizeToRatio(width, height, 4, 3);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);

  shell::FitSizeToRatio(width, height, 0, 3);  // no ratio: nothing to divide by
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
}

TEST(ShellUtils, fit_rect_centres_the_largest_rectangle_of_the_ratio) {
  // Too wide: full height, centred horizontally.
  EXPECT_EQ(shell::FitRectToRatio(4, 3, {0, 0, 1000, 300}), (Rect{300, 0, 700, 300}));
  // Too tall: full width, centred vertically; odd margins round toward zero.
  EXPECT_EQ(shell::FitRectToRatio(16, 9, {10, 20, 330, 421}), (Rect{10, 130, 330, 310}));
  // Offset source keeps its origin in the arithmetic.
  EXPECT_EQ(shell::FitRectToRatio(1, 1, {100, 50, 300, 150}), (Rect{150, 50, 250, 150}));
  // A ratio with a zero or negative term is the empty rectangle at the corner.
  EXPECT_EQ(shell::FitRectToRatio(0, 9, {5, 7, 200, 100}), (Rect{5, 7, 5, 7}));
  EXPECT_EQ(shell::FitRectToRatio(4, -3, {5, 7, 200, 100}), (Rect{5, 7, 5, 7}));
  // Products past 32 bits do not overflow.
  EXPECT_EQ(shell::FitRectToRatio(16, 9, {0, 0, 300000000, 168750000}), (Rect{0, 0, 300000000, 168750000}));
}

TEST(ShellUtils, integer_text_is_trimmed_and_anything_else_is_zero) {
  EXPECT_EQ(shell::StrToIntOrZero(" 42 "), 42);
  EXPECT_EQ(shell::StrToIntOrZero("-17"), -17);
  EXPECT_EQ(shell::StrToIntOrZero("+8"), 8);
  EXPECT_EQ(shell::StrToIntOrZero("2147483647"), std::numeric_limits<int>::max());
  EXPECT_EQ(shell::StrToIntOrZero("2147483648"), 0);
  EXPECT_EQ(shell::StrToIntOrZero("12abc"), 0);
  EXPECT_EQ(shell::StrToIntOrZero("1 2"), 0);
  EXPECT_EQ(shell::StrToIntOrZero(""), 0);
  EXPECT_EQ(shell::StrToIntOrZero("-"), 0);
  EXPECT_FALSE(shell::ParseInteger("abc").has_value());
  EXPECT_EQ(shell::ParseInteger("0"), 0);
}

TEST(ShellUtils, real_text_takes_either_decimal_separator) {
  EXPECT_DOUBLE_EQ(shell::StrToFloatOrZero("18,5"), 18.5);
  EXPECT_DOUBLE_EQ(shell::StrToFloatOrZero(" 18.5 "), 18.5);
  EXPECT_DOUBLE_EQ(shell::StrToFloatOrZero("-0,25"), -0.25);
  EXPECT_DOUBLE_EQ(shell::StrToFloatOrZero("1E3"), 1000.0);
  EXPECT_DOUBLE_EQ(shell::StrToFloatOrZero("1e-3"), 0.001);
  EXPECT_EQ(shell::StrToFloatOrZero("1,5,0"), 0.0);
  EXPECT_EQ(shell::StrToFloatOrZero("inf"), 0.0);
  EXPECT_EQ(shell::StrToFloatOrZero("nan"), 0.0);
  EXPECT_EQ(shell::StrToFloatOrZero("dix"), 0.0);
}

TEST(ShellUtils, reals_are_written_with_a_point_whatever_the_locale) {
  // CTest runs this under a French locale, whose separator is a comma.
  ASSERT_EQ(QLocale::system().decimalPoint(), QStringLiteral(",")) << "the test needs LC_ALL=fr_FR.UTF-8";
  const double values[] = {18.0, 29.97, 1.0 / 3.0, -1234.5e-7, 1e300, 0.0};
  for (double value : values) {
    const QString text = shell::FloatToText(value);
    EXPECT_FALSE(text.contains(',')) << text.toStdString();
    EXPECT_EQ(shell::StrToFloatOrZero(text), value) << text.toStdString();
  }
  // Files written by hand, or by an older version, may use a comma.
  EXPECT_EQ(shell::StrToFloatOrZero("29,97"), 29.97);
}

TEST(ShellUtils, user_folders_fall_back_to_existing_folders) {
  // The test home is empty: no Documents, Pictures or Videos folders.
  EXPECT_EQ(shell::PersonalFolder(), QDir::cleanPath(QDir::homePath()));
  EXPECT_EQ(shell::PicturesFolder(), shell::PersonalFolder());
  EXPECT_EQ(shell::VideosFolder(), shell::PersonalFolder());

  const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  ASSERT_TRUE(QDir().mkpath(videos));
  EXPECT_EQ(shell::VideosFolder(), QDir::cleanPath(videos));
  EXPECT_EQ(shell::PicturesFolder(), shell::PersonalFolder());
  QDir(videos).removeRecursively();
}

TEST(ShellUtils, deletions_answer_whether_the_file_is_gone) {
  TempFolder folder;
  folder.write("ReadOnly.AVI", "data");
  QFile::setPermissions(folder.file("ReadOnly.AVI"), QFileDevice::ReadOwner);
  EXPECT_TRUE(shell::DeleteFileForced(folder.file("ReadOnly.AVI")));
  EXPECT_FALSE(QFile::exists(folder.file("ReadOnly.AVI")));
  EXPECT_FALSE(shell::DeleteFileForced(folder.file("ReadOnly.AVI")));

  // The trash gets the file under its own name, capitals included.
  folder.write("Capture 01.AVI", "data");
  EXPECT_TRUE(shell::DeleteToRecycleBin(folder.file("Capture 01.AVI")));
  EXPECT_FALSE(QFile::exists(folder.file("Capture 01.AVI")));
  const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files";
  EXPECT_TRUE(QFile::exists(trash + "/Capture 01.AVI"));
  EXPECT_FALSE(shell::DeleteToRecycleBin(folder.file("absent.avi")));
}

TEST(ShellUtils, companion_path_comes_from_its_own_settings) {
  EXPECT_EQ(shell::CompanionExePath(), "");
  {
    QSettings companion(QSettings::NativeFormat, QSettings::UserScope, "Orbelin", "Scenolog");
    companion.setValue("Exename", "/opt/Scenolog/scenolog");
  }
  EXPECT_EQ(shell::CompanionExePath(), "/opt/Scenolog/scenolog");
  QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orbelin", "Scenolog").clear();
}

TEST(ShellUtils, system_version_names_the_kernel) { EXPECT_FALSE(shell::CurrentSystemVersion().kernel.isEmpty()); }
