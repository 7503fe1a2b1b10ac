#include "support/installation.h"

#include <QFile>

#include "settings/inifile.h"

Installation::Installation() {
  folder_.write("tessivo", "program");
  registry().clear();
}

Installation::~Installation() {
  QSettings settings = registry();
  settings.clear();
  settings.sync();
  QFile::remove(settings.fileName());
}

bool Installation::registryExists() { return !registry().allKeys().isEmpty(); }

QStringList Installation::iniLines() const { return IniFile::Decode(folder_.read("Tessivo.ini")); }
