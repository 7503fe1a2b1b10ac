#include "settings/preferencesman.h"

#include <QLoggingCategory>
#include <QSettings>
#include <cstring>

#include "platform/shellutils.h"

Q_DECLARE_LOGGING_CATEGORY(lcPreferences)

namespace {

constexpr int kDwordBytes = 4;
constexpr int kDoubleBytes = 8;

// The bytes of a stored value as the registry would hand them over: a string
// as UTF-16 with its terminating NUL.
QByteArray ValueBytes(const QVariant& value) {
  if (value.typeId() == QMetaType::QByteArray) return value.toByteArray();
  const QString text = value.toString();
  QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  bytes.append(2, '\0');
  return bytes;
}

template <typename T>
T FirstBytes(const QByteArray& bytes) {
  T result{};
  std::memcpy(&result, bytes.constData(), std::min<size_t>(sizeof(T), bytes.size()));
  return result;
}

bool IsSectionHeader(const QString& line) { return line.startsWith('[') && line.endsWith(']'); }

QString HeaderOf(const QString& path) { return '[' + path + ']'; }

QString ParentPath(const QString& path, QChar separator) {
  const qsizetype last = path.lastIndexOf(separator);
  return last < 0 ? QString() : path.left(last);
}

}  // namespace

// --- Settings store -------------------------------------------------------

TRegPreferencesMan::TRegPreferencesMan(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

TRegPreferencesMan::~TRegPreferencesMan() {
  CloseKey();
  settings_->sync();
}

bool TRegPreferencesMan::GetValueNames(QStringList& names) {
  names << settings_->childKeys();
  return true;
}

bool TRegPreferencesMan::GetKeyNames(QStringList& names) {
  names << settings_->childGroups();
  return true;
}

bool TRegPreferencesMan::OpenKey(const QString& name, bool mayCreate) {
  if (name.isEmpty() || name.contains('/')) return false;
  if (!mayCreate && !settings_->childGroups().contains(name)) return false;
  settings_->beginGroup(name);
  path_ = path_.isEmpty() ? name : path_ + '/' + name;
  return true;
}

void TRegPreferencesMan::CloseKey() {
  if (path_.isEmpty()) return;
  settings_->endGroup();
  path_ = ParentPath(path_, '/');
}

bool TRegPreferencesMan::WriteString(const QString& name, const QString& value) {
  settings_->setValue(name, value);
  return true;
}

bool TRegPreferencesMan::ReadString(const QString& name, QString& value) {
  if (!settings_->contains(name)) return false;
  const QVariant stored = settings_->value(name);
  if (stored.typeId() == QMetaType::QByteArray) {
    const QByteArray bytes = stored.toByteArray();
    QString text(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    if (text.endsWith(QChar(0))) text.chop(1);
    value = text;
  } else {
    value = stored.toString();
  }
  return true;
}

bool TRegPreferencesMan::DeleteValue(const QString& name) {
  if (!settings_->contains(name)) return false;
  settings_->remove(name);
  return true;
}

bool TRegPreferencesMan::WriteBool(const QString& name, bool value) { return WriteInteger(name, value ? 1 : 0); }

bool TRegPreferencesMan::ReadBool(const QString& name, bool& value) {
  int number = 0;
  if (!ReadInteger(name, number)) return false;
  if (number == 0) value = false;
  if (number == 1) value = true;
  return true;  // another number is found but leaves the value as it was
}

bool TRegPreferencesMan::WriteInteger(const QString& name, int value) {
  settings_->setValue(name, value);
  return true;
}

bool TRegPreferencesMan::ReadInteger(const QString& name, int& value) {
  if (!settings_->contains(name)) return false;
  const QVariant stored = settings_->value(name);
  // Integers come back from the settings file as their text; anything else is
  // read as its first four bytes, as the registry does without a type check.
  if (const auto number = shell::ParseInteger(stored.toString()); number && stored.typeId() != QMetaType::QByteArray)
    value = *number;
  else
    value = FirstBytes<std::int32_t>(ValueBytes(stored));
  return true;
}

bool TRegPreferencesMan::WriteFloat(const QString& name, double value) {
  QByteArray bytes(kDoubleBytes, Qt::Uninitialized);
  std::memcpy(bytes.data(), &value, kDoubleBytes);
  settings_->setValue(name, bytes);
  return true;
}

bool TRegPreferencesMan::ReadFloat(const QString& name, double& value) {
  if (!settings_->contains(name)) return false;
  const QVariant stored = settings_->value(name);
  if (stored.typeId() != QMetaType::QByteArray) {
    if (const auto number = shell::ParseReal(stored.toString())) {
      value = *number;
      return true;
    }
  }
  value = FirstBytes<double>(ValueBytes(stored));
  return true;
}

// --- INI store ------------------------------------------------------------

TIniPreferencesMan::TIniPreferencesMan(QString path) : filePath_(std::move(path)) {
  IniFile file;
  switch (file.Load(filePath_)) {
    case IniFile::LoadResult::Loaded:
      lines_ = file.lines();
      break;
    case IniFile::LoadResult::Unreadable:
      fileUnreadable_ = true;
      qCWarning(lcPreferences) << "cannot read" << filePath_ << "- it is left as it is and not saved";
      [[fallthrough]];
    case IniFile::LoadResult::Missing:
      lines_ = {"[]"};
      break;
  }
  OpenPath(QString());
}

TIniPreferencesMan::~TIniPreferencesMan() { Save(); }

bool TIniPreferencesMan::OpenPath(const QString& path) {
  const QString header = HeaderOf(path);
  header_ = -1;
  for (qsizetype i = 0; i < lines_.size() && header_ < 0; ++i)
    if (lines_[i].compare(header, Qt::CaseInsensitive) == 0) header_ = i;
  if (header_ < 0) {
    lines_ << QString() << header;
    header_ = lines_.size() - 1;
  }
  path_ = path;
  return header_ >= 0 && header_ < lines_.size();
}

bool TIniPreferencesMan::OpenKey(const QString& name, bool /*mayCreate*/) {
  return OpenPath(path_.isEmpty() ? name : path_ + '\\' + name);
}

void TIniPreferencesMan::CloseKey() { OpenPath(ParentPath(path_, '\\')); }

qsizetype TIniPreferencesMan::SectionEnd() const {
  qsizetype end = header_ + 1;
  while (end < lines_.size() && !IsSectionHeader(lines_[end])) ++end;
  return end;
}

qsizetype TIniPreferencesMan::FindValue(const QString& name) const {
  const qsizetype end = SectionEnd();
  for (qsizetype i = header_ + 1; i < end; ++i) {
    const qsizetype equals = lines_[i].indexOf('=');
    if (equals >= 0 && QStringView(lines_[i]).left(equals).compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

bool TIniPreferencesMan::GetValueNames(QStringList& names) {
  const qsizetype end = SectionEnd();
  for (qsizetype i = header_ + 1; i < end; ++i) {
    const qsizetype equals = lines_[i].indexOf('=');
    if (equals >= 0) names << lines_[i].left(equals);
  }
  return true;
}

bool TIniPreferencesMan::GetKeyNames(QStringList& names) {
  // Below the root every section is a key; below a key, the sections whose
  // path continues it.
  // The file also holds the parameters' own section ("[\\Software\\...]"):
  // only this store's sections, whose paths are relative, are its keys.
  const QString prefix = path_.isEmpty() ? QStringLiteral("[") : '[' + path_ + '\\';
  for (const QString& line : lines_) {
    if (!line.startsWith(prefix, Qt::CaseInsensitive) || !line.endsWith(']') || line.size() <= prefix.size() + 1)
      continue;
    const QString name = line.mid(prefix.size(), line.size() - prefix.size() - 1);
    if (!name.startsWith('\\')) names << name;
  }
  return true;
}

bool TIniPreferencesMan::WriteString(const QString& name, const QString& value) {
  const QString line = name + '=' + value;
  const qsizetype found = FindValue(name);
  if (found >= 0)
    lines_[found] = line;
  else
    lines_.insert(SectionEnd(), line);
  return true;
}

bool TIniPreferencesMan::ReadString(const QString& name, QString& value) {
  const qsizetype found = FindValue(name);
  if (found < 0) return false;
  value = lines_[found].mid(lines_[found].indexOf('=') + 1);
  return true;
}

bool TIniPreferencesMan::DeleteValue(const QString& name) {
  const qsizetype found = FindValue(name);
  if (found < 0) return false;
  lines_.removeAt(found);
  return true;
}

bool TIniPreferencesMan::WriteBool(const QString& name, bool value) {
  return WriteString(name, value ? QStringLiteral("True") : QStringLiteral("False"));
}

bool TIniPreferencesMan::ReadBool(const QString& name, bool& value) {
  QString text;
  if (!ReadString(name, text)) return false;
  if (text == QLatin1String("True"))
    value = true;
  else if (text == QLatin1String("False"))
    value = false;
  else
    return false;
  return true;
}

bool TIniPreferencesMan::WriteInteger(const QString& name, int value) {
  return WriteString(name, QString::number(value));
}

bool TIniPreferencesMan::ReadInteger(const QString& name, int& value) {
  QString text;
  if (!ReadString(name, text)) return false;
  value = shell::StrToIntOrZero(text);
  return true;
}

bool TIniPreferencesMan::WriteFloat(const QString& name, double value) {
  return WriteString(name, shell::FloatToText(value));
}

bool TIniPreferencesMan::ReadFloat(const QString& name, double& value) {
  QString text;
  const bool found = ReadString(name, text);
  value = found ? shell::StrToFloatOrZero(text) : 0.0;
  return found;
}

bool TIniPreferencesMan::Save() {
  if (fileUnreadable_) return false;
  IniFile onDisk;
  const IniFile::LoadResult state = onDisk.Load(filePath_);
  if (state == IniFile::LoadResult::Unreadable) return false;
  IniFile merged;
  merged.setLines(MergeIniSections(lines_, onDisk.lines(), QStringLiteral("[%1]").arg(kPreferenceKeyPath)));
  const bool saved = merged.Save(filePath_);
  if (!saved) qCWarning(lcPreferences) << "cannot write" << filePath_;
  return saved;
}

QStringList MergeIniSections(const QStringList& store, const QStringList& file, const QString& ownedHeader) {
  // The owned section as the file has it: its header and its lines up to the
  // next header.
  QStringList ownedFromFile;
  for (qsizetype i = 0; i < file.size(); ++i) {
    if (file[i].trimmed() != ownedHeader) continue;
    ownedFromFile << file[i];
    for (qsizetype j = i + 1; j < file.size() && !IsSectionHeader(file[j].trimmed()); ++j) ownedFromFile << file[j];
    break;
  }
  if (ownedFromFile.isEmpty()) return store;

  QStringList merged;
  bool replaced = false;
  for (qsizetype i = 0; i < store.size(); ++i) {
    if (store[i].trimmed() == ownedHeader && !replaced) {
      merged << ownedFromFile;
      replaced = true;
      while (i + 1 < store.size() && !IsSectionHeader(store[i + 1].trimmed())) ++i;
      continue;
    }
    merged << store[i];
  }
  if (!replaced) merged << ownedFromFile;
  return merged;
}
