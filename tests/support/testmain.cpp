// Runs the tests inside a Qt application whose home, configuration and data
// folders are private and empty, so no test reads or writes the user's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
  qputenv("XDG_CACHE_HOME", (home.path() + "/.cache").toUtf8());
  qputenv("XDG_STATE_HOME", (home.path() + "/.local/state").toUtf8());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
