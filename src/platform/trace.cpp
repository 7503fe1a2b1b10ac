#include "platform/trace.h"

Q_LOGGING_CATEGORY(lcTrace, "tessivo.trace", QtWarningMsg)

namespace trace {
namespace {
QString& StoredPath() {
  static QString path;
  return path;
}
}  // namespace

void TraceOpen(const QString& path) {
  StoredPath() = path;
  qCDebug(lcTrace).noquote() << "trace" << path;
}

QString TracePath() { return StoredPath(); }

void TraceLine(const QString& line) { qCDebug(lcTrace).noquote() << line; }

void TraceMark() { qCDebug(lcTrace).noquote() << "--"; }

void TraceMark(const QString& operation) { qCDebug(lcTrace).noquote() << "--" << operation; }

void TraceMark(const QString& operation, int value) { qCDebug(lcTrace).noquote() << "--" << operation << value; }

}  // namespace trace
