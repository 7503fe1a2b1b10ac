#include "support/tempfolder.h"

#include <QFile>

void TempFolder::write(const QString& name, const QByteArray& bytes) const {
  QFile out(file(name));
  if (out.open(QIODevice::WriteOnly)) out.write(bytes);
}

QByteArray TempFolder::read(const QString& name) const {
  QFile in(file(name));
  return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}
