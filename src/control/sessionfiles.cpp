#include "control/sessionfiles.h"

#include <QFileInfo>
#include <algorithm>

#include "media/filters/dateformat.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

const char* OrderName(TSortOrder order) {
  switch (order) {
    case TSortOrder::Name:
      return texts::kSortNameText;
    case TSortOrder::Size:
      return texts::kSortSizeText;
    case TSortOrder::Date:
      return texts::kSortDateText;
    case TSortOrder::Extension:
      return texts::kSortExtensionText;
  }
  return texts::kSortNameText;
}

QString Line(const char* label, const QString& value) { return Text(label) + value + "\r\n"; }

}  // namespace

QString TDataFichier::name() const { return QFileInfo(fileName).fileName(); }

QString TDataFichier::extension() const { return QFileInfo(fileName).suffix(); }

void TDataFichier::ReadDirectoryEntry() {
  const QFileInfo entry(fileName);
  if (!entry.exists()) return;
  size = entry.size();
  created = entry.birthTime().isValid() ? entry.birthTime() : entry.metadataChangeTime();
  modified = entry.lastModified();
  accessed = entry.lastRead();
}

bool SortsBefore(const TDataFichier& a, const TDataFichier& b, TSortOrder order) {
  switch (order) {
    case TSortOrder::Name:
      // Names as a person reads them: case folded, accents kept.
      return a.name().toCaseFolded() < b.name().toCaseFolded();
    case TSortOrder::Size:
      return a.size < b.size;
    case TSortOrder::Date:
      return a.modified < b.modified;
    case TSortOrder::Extension:
      return a.extension().toCaseFolded() < b.extension().toCaseFolded();
  }
  return false;
}

void SortFiles(std::vector<TDataFichier>& files, TSortOrder order) {
  std::stable_sort(files.begin(), files.end(),
                   [order](const TDataFichier& a, const TDataFichier& b) { return SortsBefore(a, b, order); });
}

QString CountLabel(std::size_t count, TSortOrder order) {
  return QString::number(count) + Text(texts::kListeSorted) + Text(OrderName(order));
}

QString InfosText(const TDataFichier& file) {
  const auto when = [](const QDateTime& at) {
    return at.isValid() ? FormatDateTime(QStringLiteral("ddddd tt"), DaysOf(at)) : QString();
  };
  QString text = Line(texts::kInfosCaptureDate, when(file.created)) + Line(texts::kInfosCaptureEnd, when(file.modified)) +
                 Line(texts::kInfosSize, QString::number(file.size)) + "\r\n";
  if (file.framesDropped < 0 && file.framesCaptured < 0) {
    text += Text(texts::kInfosNoFrames) + "\r\n";
  } else {
    if (file.framesCaptured >= 0) text += Line(texts::kInfosCaptured, QString::number(file.framesCaptured));
    if (file.framesDropped >= 0) text += Line(texts::kInfosDropped, QString::number(file.framesDropped));
  }
  text += "\r\n";
  text += Line(texts::kInfosVideo, file.videoSource) + Line(texts::kInfosAudio, file.audioSource) +
          Line(texts::kInfosEntry, file.audioEntry) + Line(texts::kInfosFormat, file.format);
  return text + "\r\n";
}

QStringList CompanionArguments(const std::vector<TDataFichier>& files) {
  QStringList arguments;
  for (const TDataFichier& file : files)
    if (QFileInfo::exists(file.fileName)) arguments << file.fileName;
  return arguments;
}
