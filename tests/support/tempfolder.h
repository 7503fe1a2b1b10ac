#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "support/qtprinters.h"

// A private folder for one test, removed afterwards.
class TempFolder {
 public:
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }
  void write(const QString& name, const QByteArray& bytes) const;
  QByteArray read(const QString& name) const;

 private:
  QTemporaryDir dir_;
};
