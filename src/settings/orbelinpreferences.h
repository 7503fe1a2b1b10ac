// The preferences component of the main window: decides at show time where
// preferences are kept, offers components a nested key/value store for their
// own state, asks where to save at exit when nothing is chosen, and deletes
// the stores that the chosen mode does not use.
#pragma once

#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "settings/preferencesman.h"
#include "settings/preferencestore.h"

class QWidget;

// Who changed the mode. At start-up a store saved by another installation of
// the program is left alone; once the user has picked a mode, the stores that
// mode does not use are deleted.
enum class ModeOrigin { Startup, User };

class TOrbelinPreferences {
 public:
  // Asks where to save; nothing when the user closed the question unanswered.
  using ModeChooser = std::function<std::optional<TSavePreferences>(const QString& caption)>;

  TOrbelinPreferences(PreferenceLocations locations, ModeChooser chooser);
  ~TOrbelinPreferences();

  QString titre = QStringLiteral("Tessivo");
  QString version;
  std::function<void(TSavePreferences)> OnChangeMode;
  std::function<void()> OnLoadPrefs;
  std::function<void()> OnSavePrefs;

  TSavePreferences mode() const { return mode_; }
  TPreferencesMan& store() { return *store_; }
  const QString& previousProgramFolder() const { return previousProgramFolder_; }

  TSavePreferences DetectMode() const;
  void ApplyMode(ModeOrigin origin);
  void SetMode(TSavePreferences mode, ModeOrigin origin = ModeOrigin::User);

  // Run around the owner's own show and close steps. The close hook answers
  // whether the window may close: false when the save question was closed
  // without a choice (nothing is then written or deleted). A close nobody
  // watches (a signal, the session ending) asks nothing: the preferences are
  // saved where the user chose, and nowhere while no choice was made.
  void ShowHook(const std::function<void()>& ownerShow);
  bool CloseQueryHook(const std::function<void()>& ownerCloseQuery, bool unattended = false);

  // Values of components (actions) stored under their own name. In mode
  // "none" reads give the default and writes answer false at once.
  bool ReadBool(const QString& name, bool defaultValue);
  QString ReadString(const QString& name, const QString& defaultValue);
  QRect ReadRect(const QString& name, const QRect& defaultValue);
  bool WriteBool(const QString& name, bool value);
  bool WriteString(const QString& name, const QString& value);
  bool WriteRect(const QString& name, const QRect& value);

 private:
  std::unique_ptr<TPreferencesMan> CreateStore();
  void WriteSaveStamp();
  void DeleteIniFile() const;
  void DeleteRegistryStore() const;
  bool RegistryBelongsToAnotherInstallation() const;

  PreferenceLocations locations_;
  ModeChooser chooser_;
  QString programFolder_;
  QString previousProgramFolder_;
  std::unique_ptr<TPreferencesMan> store_;
  TSavePreferences mode_ = TSavePreferences::spNone;
};
