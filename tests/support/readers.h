// Readers that are not the program's own, to read back what it wrote: the
// system's discoverer and demultiplexers.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// What the system's discoverer says of a file.
inline QString Discover(const QString& file) {
  QProcess discoverer;
  discoverer.start("gst-discoverer-1.0", {file});
  discoverer.waitForFinished(60000);
  return QString::fromUtf8(discoverer.readAllStandardOutput());
}

// The duration the discoverer gives, in seconds; -1 when it gives none.
inline double DiscoveredSeconds(const QString& report) {
  const QRegularExpressionMatch m =
      QRegularExpression(R"(Duration: (\d+):(\d\d):(\d\d)\.(\d+))").match(report);
  if (!m.hasMatch()) return -1;
  return m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt() +
         QString("0." + m.captured(4)).toDouble();
}

// Buffers that come out of a pipeline of the system's elements fed with the
// file, e.g. {"avidemux"} or {"mpegpsdemux", "!", "mpegvideoparse"}.
inline int DemuxedBuffers(const QString& path, const QStringList& elements) {
  QProcess launch;
  launch.start("gst-launch-1.0",
               QStringList{"-v", "filesrc", "location=" + path, "!"} + elements + QStringList{"!", "fakesink", "silent=false"});
  launch.waitForFinished(300000);
  return static_cast<int>(QString::fromUtf8(launch.readAllStandardOutput()).count("chain"));
}
