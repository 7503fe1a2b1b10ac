#include "settings/orbelinpreferences.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>

#include "platform/shellutils.h"
#include "texts.h"

Q_DECLARE_LOGGING_CATEGORY(lcPreferences)

TOrbelinPreferences::TOrbelinPreferences(PreferenceLocations locations, ModeChooser chooser)
    : locations_(std::move(locations)),
      chooser_(std::move(chooser)),
      programFolder_(QFileInfo(locations_.exePath).absolutePath() + '/'),
      store_(std::make_unique<TNonePreferencesMan>()) {}

TOrbelinPreferences::~TOrbelinPreferences() = default;

TSavePreferences TOrbelinPreferences::DetectMode() const {
  if (QFileInfo::exists(locations_.iniPath)) return TSavePreferences::spPortable;
  if (!locations_.openRegistry()->allKeys().isEmpty()) return TSavePreferences::spRegistre;
  return TSavePreferences::spNone;
}

std::unique_ptr<TPreferencesMan> TOrbelinPreferences::CreateStore() {
  switch (mode_) {
    case TSavePreferences::spRegistre:
      return std::make_unique<TRegPreferencesMan>(locations_.openRegistry());
    case TSavePreferences::spPortable:
      return std::make_unique<TIniPreferencesMan>(locations_.iniPath);
    case TSavePreferences::spNone:
      break;
  }
  return std::make_unique<TNonePreferencesMan>();
}

bool TOrbelinPreferences::RegistryBelongsToAnotherInstallation() const {
  const QString saved = locations_.openRegistry()->value("ExeName").toString();
  return !saved.isEmpty() &&
         ChoosePreferenceMode({locations_.exePath, QString(), locations_.openRegistry}) != TSavePreferences::spRegistre;
}

void TOrbelinPreferences::ApplyMode(ModeOrigin origin) {
  store_.reset();  // an INI store writes its file as it goes
  store_ = CreateStore();
  if (mode_ == TSavePreferences::spPortable) {
    QString exeName;
    if (store_->ReadString("ExeName", exeName) && !exeName.isEmpty())
      previousProgramFolder_ = QFileInfo(exeName).absolutePath() + '/';
  }
  if (OnChangeMode) OnChangeMode(mode_);
  if (mode_ != TSavePreferences::spPortable) DeleteIniFile();
  if (mode_ != TSavePreferences::spRegistre) {
    if (origin == ModeOrigin::Startup && RegistryBelongsToAnotherInstallation())
      qCInfo(lcPreferences) << "preferences of another installation kept until a mode is chosen";
    else
      DeleteRegistryStore();
  }
}

void TOrbelinPreferences::SetMode(TSavePreferences mode, ModeOrigin origin) {
  if (mode == mode_) return;
  mode_ = mode;
  ApplyMode(origin);
}

void TOrbelinPreferences::DeleteIniFile() const {
  if (QFileInfo::exists(locations_.iniPath) && !shell::DeleteFileForced(locations_.iniPath))
    qCWarning(lcPreferences) << "cannot delete" << locations_.iniPath;
}

void TOrbelinPreferences::DeleteRegistryStore() const {
  const auto registry = locations_.openRegistry();
  if (registry->allKeys().isEmpty() && !QFileInfo::exists(registry->fileName())) return;
  registry->clear();
  registry->sync();
  const QString file = registry->fileName();
  QFile::remove(file);
  // The maker's folder goes too when nothing of ours is left in it.
  QDir().rmdir(QFileInfo(file).absolutePath());
}

void TOrbelinPreferences::ShowHook(const std::function<void()>& ownerShow) {
  QCoreApplication::processEvents();
  mode_ = DetectMode();
  ApplyMode(ModeOrigin::Startup);
  if (ownerShow) ownerShow();
  if (OnLoadPrefs) OnLoadPrefs();
}

void TOrbelinPreferences::WriteSaveStamp() {
  try {
    store_->WriteString("Version", version);
    store_->WriteString(QStringLiteral("Dernière Sauvegarde"),
                        QDateTime::currentDateTime().toString("dd/MM/yyyy hh:mm:ss"));
    store_->WriteString("ExeName", locations_.exePath);
  } catch (const std::exception& error) {
    qCWarning(lcPreferences) << "save stamp not written:" << error.what();
  }
}

bool TOrbelinPreferences::CloseQueryHook(const std::function<void()>& ownerCloseQuery, bool unattended) {
  if (ownerCloseQuery) ownerCloseQuery();
  const QString caption = QString::fromUtf8(texts::kSavePrefsCaption).arg(titre);
  if (mode_ == TSavePreferences::spNone && unattended) return true;
  if (mode_ == TSavePreferences::spNone) {
    const std::optional<TSavePreferences> chosen = chooser_ ? chooser_(caption) : std::nullopt;
    if (!chosen) return false;
    mode_ = *chosen;
    ApplyMode(ModeOrigin::User);
  }
  if (mode_ != TSavePreferences::spNone) {
    WriteSaveStamp();
    if (OnSavePrefs) OnSavePrefs();
  }
  return true;
}

bool TOrbelinPreferences::ReadBool(const QString& name, bool defaultValue) {
  if (mode_ == TSavePreferences::spNone) return defaultValue;
  bool value = defaultValue;
  return store_->ReadBool(name, value) ? value : defaultValue;
}

QString TOrbelinPreferences::ReadString(const QString& name, const QString& defaultValue) {
  if (mode_ == TSavePreferences::spNone) return defaultValue;
  QString value;
  return store_->ReadString(name, value) ? value : defaultValue;
}

QRect TOrbelinPreferences::ReadRect(const QString& name, const QRect& defaultValue) {
  if (mode_ == TSavePreferences::spNone) return defaultValue;
  if (!store_->OpenKey(name, false)) return defaultValue;
  shell::Rect rect;
  const bool found = store_->ReadInteger("Top", rect.top) && store_->ReadInteger("Left", rect.left) &&
                     store_->ReadInteger("Right", rect.right) && store_->ReadInteger("Bottom", rect.bottom);
  store_->CloseKey();
  return found ? rect.ToQRect() : defaultValue;
}

bool TOrbelinPreferences::WriteBool(const QString& name, bool value) {
  return mode_ != TSavePreferences::spNone && store_->WriteBool(name, value);
}

bool TOrbelinPreferences::WriteString(const QString& name, const QString& value) {
  return mode_ != TSavePreferences::spNone && store_->WriteString(name, value);
}

bool TOrbelinPreferences::WriteRect(const QString& name, const QRect& value) {
  if (mode_ == TSavePreferences::spNone || !store_->OpenKey(name, true)) return false;
  const shell::Rect rect = shell::Rect::FromQRect(value);
  const bool written = store_->WriteInteger("Left", rect.left) && store_->WriteInteger("Top", rect.top) &&
                       store_->WriteInteger("Right", rect.right) && store_->WriteInteger("Bottom", rect.bottom);
  store_->CloseKey();
  return written;
}
