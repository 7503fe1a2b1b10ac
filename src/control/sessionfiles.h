// The files written during the running session, as the session list shows
// them: each record with its directory entry and the panel's texts when it
// was closed, the four sort orders, the "Infos" text, and the command line
// the companion scene program receives.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// One file of the session.
struct TDataFichier {
  QString fileName;  // full path
  // The directory entry, read when the record is made.
  std::int64_t size = 0;
  QDateTime created, modified, accessed;
  // The panel's texts when the file was closed.
  QString videoSource, audioSource, audioEntry, format;
  std::int64_t framesDropped = -1;  // -1: not known
  std::int64_t framesCaptured = -1;

  QString name() const;
  QString extension() const;
  // Size and times from the file as it is now. Creation is the birth time
  // where the file system keeps one, else the last status change.
  void ReadDirectoryEntry();
};

enum class TSortOrder { Name, Size, Date, Extension };

// Whether a comes before b in that order.
bool SortsBefore(const TDataFichier& a, const TDataFichier& b, TSortOrder order);
// Stable: records that compare equal keep the order they were added in.
void SortFiles(std::vector<TDataFichier>& files, TSortOrder order);

// "3 fichiers triés par ordre alphabétique".
QString CountLabel(std::size_t count, TSortOrder order);

// The lines "Infos" shows, each ending in CR LF, then one CR LF more.
QString InfosText(const TDataFichier& file);

// The listed files that still exist, in list order: one argument each.
QStringList CompanionArguments(const std::vector<TDataFichier>& files);
