#include "control/filenames.h"

#include "settings/conversions.h"

namespace {

// The last `digits` characters of the number written after that many zeros.
QString Padded(qint64 number, int digits) { return (QString(digits, '0') + QString::number(number)).right(digits); }

// Folder, "/", root and "_", then the date stamp when asked for.
QString Stem(const TNamePattern& pattern) {
  QString name = pattern.folder;
  if (!name.endsWith('/')) name += '/';
  name += pattern.root + '_';
  if (pattern.withDate) {
    const QDate day = pattern.dateNoms.date();
    const QTime time = pattern.dateNoms.time();
    name += Padded(day.day(), 2) + Padded(day.month(), 2) + Padded(day.year(), 2) + '_' + Padded(time.hour(), 2) +
            Padded(time.minute(), 2) + Padded(time.second(), 2) + '_';
  }
  return name;
}

const char* VideoExtension(int captureFormat) {
  switch (captureFormat) {
    case fcMpeg2Native:
    case fcMpeg1Native:
      return ".mpg";
    case fcWmv:
      return ".wmv";
    case fcWav:
      return ".wav";
    case fcMp3:
      return ".mp3";
    default:
      return ".avi";
  }
}

}  // namespace

QString VideoFileName(const TNamePattern& pattern, std::int32_t counter, int captureFormat) {
  return Stem(pattern) + QString::number(counter) + VideoExtension(captureFormat);
}

QString ImageFileName(const TNamePattern& pattern, std::int32_t counter, int imageExtension) {
  const char* extension = imageExtension == 0 ? ".bmp" : imageExtension == 1 ? ".jpg" : "";
  return Stem(pattern) + Padded(counter, 5) + extension;
}

QString WithVideoExtension(const QString& path, int captureFormat) {
  const qsizetype dot = path.lastIndexOf('.');
  const qsizetype slash = path.lastIndexOf('/');
  const QString stem = dot > slash ? path.left(dot) : path;
  return stem + VideoExtension(captureFormat);
}

QString FileNamePart(const QString& path) { return path.mid(path.lastIndexOf('/') + 1); }
