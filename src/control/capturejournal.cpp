#include "control/capturejournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcJournal, "tessivo.journal")

QString TCaptureJournal::DefaultPath() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
  return state + QStringLiteral("/tessivo/journal");
}

QStringList TCaptureJournal::Read() const {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void TCaptureJournal::Write(const QStringList& files) const {
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly) || file.write((files.join('\n') + '\n').toUtf8()) < 0 || !file.commit())
    qCWarning(lcJournal) << "the journal of recordings cannot be written:" << path_;
}

void TCaptureJournal::Add(const QString& file) {
  QStringList files = Read();
  const QString absolute = QFileInfo(file).absoluteFilePath();
  if (files.contains(absolute)) return;
  files << absolute;
  Write(files);
}

void TCaptureJournal::Remove(const QString& file) {
  QStringList files = Read();
  if (files.removeAll(QFileInfo(file).absoluteFilePath()) > 0) Write(files);
}

QStringList TCaptureJournal::Unfinished() const {
  QStringList existing;
  for (const QString& file : Read())
    if (QFileInfo::exists(file)) existing << file;
  return existing;
}

void TCaptureJournal::Clear() { QFile::remove(path_); }
