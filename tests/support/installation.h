#pragma once

#include <QSettings>
#include <QStringList>

#include "settings/parametertable.h"
#include "support/tempfolder.h"

// One installation of the program in a private folder: the program file, its
// INI file, and the per-user store (in the test run's private configuration
// folder, emptied before and after).
class Installation {
 public:
  Installation();
  ~Installation();

  QString exePath() const { return folder_.file("tessivo"); }
  PreferenceLocations locations() const { return PreferenceLocations::ForProgram(exePath()); }
  ParameterDefaults defaults() const { return {folder_.path(), "/home/u/Vidéos", "/home/u/Images", ""}; }
  static QSettings registry() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orbelin", "Tessivo"); }
  static bool registryExists();
  const TempFolder& folder() const { return folder_; }
  QString iniPath() const { return folder_.file("Tessivo.ini"); }
  void writeIni(const QByteArray& bytes) const { folder_.write("Tessivo.ini", bytes); }
  QStringList iniLines() const;

 private:
  TempFolder folder_;
};

inline const QString kParameterSection = "[\\Software\\Orbelin\\Tessivo]";
