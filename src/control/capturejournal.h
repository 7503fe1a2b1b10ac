// The files being recorded, written down as they start and struck off when
// they are finished, so that the files a crash left unfinished are known at
// the next start and can be offered for repair. One line a file, UTF-8, in
// the user's state folder.
#pragma once

#include <QString>
#include <QStringList>

class TCaptureJournal {
 public:
  explicit TCaptureJournal(QString path) : path_(std::move(path)) {}
  // $XDG_STATE_HOME/tessivo/journal (~/.local/state when unset).
  static QString DefaultPath();

  void Add(const QString& file);
  void Remove(const QString& file);
  // The files still written down that exist.
  QStringList Unfinished() const;
  void Clear();
  const QString& path() const { return path_; }

 private:
  QStringList Read() const;
  void Write(const QStringList& files) const;
  QString path_;
};
