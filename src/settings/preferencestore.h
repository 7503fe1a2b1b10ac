// Where the preferences live and how one load or one save reaches them:
// mode 0 the per-user settings store, mode 1 the portable "Tessivo.ini" beside
// the program, mode 2 nowhere (every read gives the default, writes vanish).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "settings/inifile.h"

class QSettings;

enum class TSavePreferences : std::uint8_t { spRegistre = 0, spPortable = 1, spNone = 2 };

inline constexpr char kPreferenceKeyPath[] = "\\Software\\Orbelin\\Tessivo";
inline constexpr char kIniFileName[] = "Tessivo.ini";
// Stored in place of an empty string, so that an empty value can be told from
// a missing one.
inline constexpr char16_t kEmptyStringMarker[] = u"#@vide§#";

// The files and stores of this installation. Tests point them elsewhere.
struct PreferenceLocations {
  QString exePath;  // full path of the running program
  QString iniPath;  // "Tessivo.ini" in the program's folder
  std::function<std::unique_ptr<QSettings>()> openRegistry;

  static PreferenceLocations ForThisProgram();
  static PreferenceLocations ForProgram(const QString& exePath);
};

// A stored value of a kind that the parameter cannot hold; the parameter then
// takes its default.
class PreferenceReadError : public std::runtime_error {
 public:
  explicit PreferenceReadError(const QString& name);
};

// Mode 1 when the INI file exists; else mode 0 when the per-user store was
// last saved by this very program file (paths compared exactly, after links
// are resolved); else mode 2.
TSavePreferences ChoosePreferenceMode(const PreferenceLocations& locations);

// One load. Names are looked up in the current group: in the settings store a
// group is a sub-key, in the INI file a name prefix ("IncrustRec\FontRec\...").
class TReadPreferences {
 public:
  TReadPreferences(const QString& keyPath, TSavePreferences mode, const PreferenceLocations& locations);
  ~TReadPreferences();

  TSavePreferences mode() const { return mode_; }

  // Each answers nothing when the value is absent. The INI store converts
  // present text as it can (a number that is not one reads as 0); the
  // settings store raises PreferenceReadError for a value of the wrong kind.
  std::optional<int> ReadInteger(const QString& name) const;
  std::optional<double> ReadReal(const QString& name) const;
  std::optional<bool> ReadBoolean(const QString& name) const;
  std::optional<QString> ReadString(const QString& name) const;

  bool GroupExists(const QString& group) const;
  void BeginGroup(const QString& group);
  void EndGroup();

 private:
  std::optional<QString> IniValue(const QString& name) const;

  QString sectionHeader_;
  TSavePreferences mode_;
  std::unique_ptr<QSettings> registry_;
  IniFile ini_;
  QStringList groups_;
};

// One save. Nothing reaches the store before Close (or destruction): the INI
// file is written whole, through a temporary file; an INI file that exists
// but could not be read is never written over.
class TWritePreferences {
 public:
  TWritePreferences(const QString& keyPath, TSavePreferences mode, const PreferenceLocations& locations);
  ~TWritePreferences();

  void WriteInteger(const QString& name, int value);
  void WriteReal(const QString& name, double value);
  void WriteBoolean(const QString& name, bool value);
  void WriteString(const QString& name, const QString& value);

  void BeginGroup(const QString& group);
  void EndGroup();

  // Writes the store out; false when it could not be written.
  bool Close();

 private:
  QString IniName(const QString& name) const;

  QString sectionHeader_;
  TSavePreferences mode_;
  QString iniPath_;
  std::unique_ptr<QSettings> registry_;
  IniFile ini_;
  bool iniWritable_ = true;
  bool closed_ = false;
  QStringList groups_;
};
