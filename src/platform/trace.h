// The trace of start-up, shut-down and source activation. Lines go to the
// logging category "tessivo.trace", which is off unless enabled, for example
// with QT_LOGGING_RULES="tessivo.trace=true".
#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

namespace trace {

// Where a trace file would go; kept for the system report and the log's first
// line. Nothing is written to it.
void TraceOpen(const QString& path);
QString TracePath();

void TraceLine(const QString& line);

// Marks the start of a traced operation, and the end of the run after the main
// window is destroyed.
void TraceMark();
void TraceMark(const QString& operation);
void TraceMark(const QString& operation, int value);

}  // namespace trace
