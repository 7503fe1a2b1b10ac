// The nested key/value stores in which components keep their own state
// (actions, window rectangles, the save stamp): one per preference mode.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "settings/preferencestore.h"

class QSettings;

class TPreferencesMan {
 public:
  virtual ~TPreferencesMan() = default;

  virtual bool GetValueNames(QStringList& names) = 0;
  virtual bool GetKeyNames(QStringList& names) = 0;
  // Makes the named key below the current one current.
  virtual bool OpenKey(const QString& name, bool mayCreate) = 0;
  // Makes the parent of the current key current.
  virtual void CloseKey() = 0;
  virtual bool WriteString(const QString& name, const QString& value) = 0;
  virtual bool ReadString(const QString& name, QString& value) = 0;
  virtual bool DeleteValue(const QString& name) = 0;
  virtual bool WriteBool(const QString& name, bool value) = 0;
  virtual bool ReadBool(const QString& name, bool& value) = 0;
  virtual bool WriteInteger(const QString& name, int value) = 0;
  virtual bool ReadInteger(const QString& name, int& value) = 0;
  virtual bool WriteFloat(const QString& name, double value) = 0;
  virtual bool ReadFloat(const QString& name, double& value) = 0;
};

// Keeps nothing: keys open, writes succeed without effect, reads find nothing.
class TNonePreferencesMan final : public TPreferencesMan {
 public:
  bool GetValueNames(QStringList&) override { return false; }
  bool GetKeyNames(QStringList&) override { return false; }
  bool OpenKey(const QString&, bool) override { return true; }
  void CloseKey() override {}
  bool WriteString(const QString&, const QString&) override { return true; }
  bool ReadString(const QString&, QString&) override { return false; }
  bool DeleteValue(const QString&) override { return false; }
  bool WriteBool(const QString&, bool) override { return true; }
  bool ReadBool(const QString&, bool&) override { return false; }
  bool WriteInteger(const QString&, int) override { return true; }
  bool ReadInteger(const QString&, int&) override { return false; }
  bool WriteFloat(const QString&, double) override { return true; }
  bool ReadFloat(const QString&, double&) override { return false; }
};

// The per-user settings store; sub-keys are groups.
class TRegPreferencesMan final : public TPreferencesMan {
 public:
  explicit TRegPreferencesMan(std::unique_ptr<QSettings> settings);
  ~TRegPreferencesMan() override;

  bool GetValueNames(QStringList& names) override;
  bool GetKeyNames(QStringList& names) override;
  bool OpenKey(const QString& name, bool mayCreate) override;
  void CloseKey() override;
  bool WriteString(const QString& name, const QString& value) override;
  bool ReadString(const QString& name, QString& value) override;
  bool DeleteValue(const QString& name) override;
  bool WriteBool(const QString& name, bool value) override;
  bool ReadBool(const QString& name, bool& value) override;
  bool WriteInteger(const QString& name, int value) override;
  bool ReadInteger(const QString& name, int& value) override;
  bool WriteFloat(const QString& name, double value) override;
  bool ReadFloat(const QString& name, double& value) override;

  const QString& currentPath() const { return path_; }

 private:
  std::unique_ptr<QSettings> settings_;
  QString path_;  // relative to the root, levels joined with "/"
};

// The portable INI file. Sections are keys: "[]" is the root, "[a\b]" the key
// b below a. Names are compared without regard to case. When the store is
// saved, the parameter section is taken from the file as it is then, so that
// the parameters saved during the run are kept: each writer owns its sections.
class TIniPreferencesMan final : public TPreferencesMan {
 public:
  explicit TIniPreferencesMan(QString path);
  ~TIniPreferencesMan() override;

  bool GetValueNames(QStringList& names) override;
  bool GetKeyNames(QStringList& names) override;
  bool OpenKey(const QString& name, bool mayCreate) override;
  void CloseKey() override;
  bool WriteString(const QString& name, const QString& value) override;
  bool ReadString(const QString& name, QString& value) override;
  bool DeleteValue(const QString& name) override;
  bool WriteBool(const QString& name, bool value) override;
  bool ReadBool(const QString& name, bool& value) override;
  bool WriteInteger(const QString& name, int value) override;
  bool ReadInteger(const QString& name, int& value) override;
  bool WriteFloat(const QString& name, double value) override;
  bool ReadFloat(const QString& name, double& value) override;

  // Writes the store's sections, with the parameter section as the file has
  // it now. False when the file could not be written.
  bool Save();

  const QStringList& lines() const { return lines_; }
  const QString& currentPath() const { return path_; }

 private:
  bool OpenPath(const QString& path);
  qsizetype SectionEnd() const;  // index after the current section's last line
  qsizetype FindValue(const QString& name) const;

  QString filePath_;
  QStringList lines_;
  QString path_;
  qsizetype header_ = -1;
  bool fileUnreadable_ = false;
};

// Merges two versions of the INI file's lines: every section as `store` has
// it, except the section `ownedHeader`, taken from `file` when it has one.
QStringList MergeIniSections(const QStringList& store, const QStringList& file, const QString& ownedHeader);
