#include "settings/preferencestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <cstring>

#include "platform/shellutils.h"

Q_LOGGING_CATEGORY(lcPreferences, "tessivo.preferences")

namespace {

constexpr int kDoubleBytes = 8;

QString ComparablePath(const QString& path) {
  if (path.isEmpty()) return {};
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QByteArray DoubleToBytes(double value) {
  QByteArray bytes(kDoubleBytes, Qt::Uninitialized);
  std::memcpy(bytes.data(), &value, kDoubleBytes);  // little-endian, like the registry's binary values
  return bytes;
}

}  // namespace

PreferenceReadError::PreferenceReadError(const QString& name)
    : std::runtime_error(QStringLiteral("Invalid data type for '%1'").arg(name).toStdString()) {}

PreferenceLocations PreferenceLocations::ForProgram(const QString& exePath) {
  PreferenceLocations locations;
  locations.exePath = exePath;
  locations.iniPath = QFileInfo(exePath).absolutePath() + '/' + kIniFileName;
  locations.openRegistry = [] {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Orbelin", "Tessivo");
  };
  return locations;
}

PreferenceLocations PreferenceLocations::ForThisProgram() {
  return ForProgram(QCoreApplication::applicationFilePath());
}

TSavePreferences ChoosePreferenceMode(const PreferenceLocations& locations) {
  if (QFileInfo::exists(locations.iniPath)) return TSavePreferences::spPortable;
  const auto registry = locations.openRegistry();
  // Saved as "ExeName"; older stores may spell it "Exename".
  QVariant saved = registry->value("ExeName");
  if (!saved.isValid()) saved = registry->value("Exename");
  const QString savedPath = saved.typeId() == QMetaType::QString ? saved.toString() : QString();
  if (!savedPath.isEmpty() && ComparablePath(savedPath) == ComparablePath(locations.exePath))
    return TSavePreferences::spRegistre;
  return TSavePreferences::spNone;
}

// --- Reader ---------------------------------------------------------------

TReadPreferences::TReadPreferences(const QString& keyPath, TSavePreferences mode, const PreferenceLocations& locations)
    : sectionHeader_('[' + keyPath + ']'), mode_(mode) {
  if (mode_ == TSavePreferences::spRegistre) {
    registry_ = locations.openRegistry();
  } else if (mode_ == TSavePreferences::spPortable) {
    if (ini_.Load(locations.iniPath) == IniFile::LoadResult::Unreadable)
      qCWarning(lcPreferences) << "cannot read" << locations.iniPath << "- default preferences used";
  }
}

TReadPreferences::~TReadPreferences() = default;

std::optional<QString> TReadPreferences::IniValue(const QString& name) const {
  QString fullName;
  for (const QString& group : groups_) fullName += group + '\\';
  return ini_.Lookup(sectionHeader_, fullName + name);
}

std::optional<int> TReadPreferences::ReadInteger(const QString& name) const {
  if (mode_ == TSavePreferences::spPortable) {
    const auto text = IniValue(name);
    if (!text) return std::nullopt;
    return shell::StrToIntOrZero(*text);
  }
  if (!registry_ || !registry_->contains(name)) return std::nullopt;
  const QVariant value = registry_->value(name);
  const auto number = shell::ParseInteger(value.toString());
  if (!number || value.typeId() == QMetaType::QByteArray) throw PreferenceReadError(name);
  return *number;
}

std::optional<double> TReadPreferences::ReadReal(const QString& name) const {
  if (mode_ == TSavePreferences::spPortable) {
    const auto text = IniValue(name);
    if (!text) return std::nullopt;
    return shell::StrToFloatOrZero(*text);
  }
  if (!registry_ || !registry_->contains(name)) return std::nullopt;
  const QVariant value = registry_->value(name);
  if (value.typeId() == QMetaType::QByteArray) {
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() != kDoubleBytes) throw PreferenceReadError(name);
    double number = 0.0;
    std::memcpy(&number, bytes.constData(), kDoubleBytes);
    return number;
  }
  // A number typed in by hand in the settings file.
  const auto number = shell::ParseReal(value.toString());
  if (!number) throw PreferenceReadError(name);
  return *number;
}

std::optional<bool> TReadPreferences::ReadBoolean(const QString& name) const {
  if (mode_ == TSavePreferences::spPortable) {
    const auto text = IniValue(name);
    if (!text) return std::nullopt;
    return text->trimmed() != QLatin1String("0");
  }
  if (!registry_ || !registry_->contains(name)) return std::nullopt;
  const QVariant value = registry_->value(name);
  const QString text = value.toString().trimmed();
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  const auto number = shell::ParseInteger(text);
  if (value.typeId() == QMetaType::QByteArray || !number) throw PreferenceReadError(name);
  return *number != 0;
}

std::optional<QString> TReadPreferences::ReadString(const QString& name) const {
  if (mode_ == TSavePreferences::spPortable) return IniValue(name);
  if (!registry_ || !registry_->contains(name)) return std::nullopt;
  const QVariant value = registry_->value(name);
  if (value.typeId() != QMetaType::QString) throw PreferenceReadError(name);
  return value.toString();
}

bool TReadPreferences::GroupExists(const QString& group) const {
  if (mode_ == TSavePreferences::spRegistre) return registry_ && registry_->childGroups().contains(group);
  return mode_ == TSavePreferences::spPortable;
}

void TReadPreferences::BeginGroup(const QString& group) {
  groups_ << group;
  if (registry_) registry_->beginGroup(group);
}

void TReadPreferences::EndGroup() {
  if (groups_.isEmpty()) return;
  groups_.removeLast();
  if (registry_) registry_->endGroup();
}

// --- Writer ---------------------------------------------------------------

TWritePreferences::TWritePreferences(const QString& keyPath, TSavePreferences mode,
                                     const PreferenceLocations& locations)
    : sectionHeader_('[' + keyPath + ']'), mode_(mode), iniPath_(locations.iniPath) {
  if (mode_ == TSavePreferences::spRegistre) {
    registry_ = locations.openRegistry();
  } else if (mode_ == TSavePreferences::spPortable) {
    if (ini_.Load(iniPath_) == IniFile::LoadResult::Unreadable) {
      iniWritable_ = false;
      qCWarning(lcPreferences) << "cannot read" << iniPath_ << "- it is left as it is and not saved";
    }
  }
}

TWritePreferences::~TWritePreferences() { Close(); }

QString TWritePreferences::IniName(const QString& name) const {
  QString fullName;
  for (const QString& group : groups_) fullName += group + '\\';
  return fullName + name;
}

void TWritePreferences::WriteInteger(const QString& name, int value) {
  if (mode_ == TSavePreferences::spPortable)
    ini_.Write(sectionHeader_, IniName(name), QString::number(value));
  else if (registry_)
    registry_->setValue(name, value);
}

void TWritePreferences::WriteReal(const QString& name, double value) {
  if (mode_ == TSavePreferences::spPortable)
    ini_.Write(sectionHeader_, IniName(name), shell::FloatToText(value));
  else if (registry_)
    registry_->setValue(name, DoubleToBytes(value));
}

void TWritePreferences::WriteBoolean(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TWritePreferences::WriteString(const QString& name, const QString& value) {
  if (mode_ == TSavePreferences::spPortable)
    ini_.Write(sectionHeader_, IniName(name), value);
  else if (registry_)
    registry_->setValue(name, value);
}

void TWritePreferences::BeginGroup(const QString& group) {
  groups_ << group;
  if (registry_) registry_->beginGroup(group);
}

void TWritePreferences::EndGroup() {
  if (groups_.isEmpty()) return;
  groups_.removeLast();
  if (registry_) registry_->endGroup();
}

bool TWritePreferences::Close() {
  if (closed_) return true;
  closed_ = true;
  if (mode_ == TSavePreferences::spPortable) {
    if (!iniWritable_) return false;
    const bool saved = ini_.Save(iniPath_);
    if (!saved) qCWarning(lcPreferences) << "cannot write" << iniPath_;
    return saved;
  }
  if (registry_) {
    registry_->sync();
    const bool saved = registry_->status() == QSettings::NoError;
    if (!saved) qCWarning(lcPreferences) << "cannot write" << registry_->fileName();
    return saved;
  }
  return true;
}
