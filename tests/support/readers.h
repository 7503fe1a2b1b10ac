// Readers that are not the program's own, to read back what it wrote: the
// system's discoverer and demultiplexers.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>

#include "support/aviwalk.h"

// What the system's discoverer says of a file.
inline QString Discover(const QString& file) {
  QProcess discoverer;
  discoverer.start("gst-discoverer-1.0", {file});
  discoverer.waitForFinished(60000);
  return QString::fromUtf8(discoverer.readAllStandardOutput());
}

// The duration the discoverer gives, in seconds; -1 when it gives none.
inline double DiscoveredSeconds(const QString& report) {
  const QRegularExpressionMatch m = QRegularExpression(R"(Duration: (\d+):(\d\d):(\d\d)\.(\d+))").match(report);
  if (!m.hasMatch()) return -1;
  return m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt() +
         QString("0." + m.captured(4)).toDouble();
}

// What comes out of a pipeline of the system's elements fed with the file,
// e.g. {"avidemux"} or {"mpegpsdemux", "!", "mpegvideoparse"}: the buffers,
// and the span of their presentation times (from the earliest to the end of
// the latest, taken to last `frameSeconds`).
struct Demuxed {
  int buffers = 0;
  double seconds = -1;
  bool startsAtKeyFrame = false;  // the first buffer is not a delta unit
};

inline Demuxed Demux(const QString& path, const QStringList& elements, double frameSeconds = 0) {
  QProcess launch;
  launch.start("gst-launch-1.0", QStringList{"-v", "filesrc", "location=" + path, "!"} + elements +
                                     QStringList{"!", "fakesink", "silent=false"});
  launch.waitForFinished(300000);
  const QString output = QString::fromUtf8(launch.readAllStandardOutput());
  Demuxed out;
  out.buffers = static_cast<int>(output.count("chain"));
  const qsizetype firstChain = output.indexOf("chain");
  out.startsAtKeyFrame = firstChain >= 0 && !output.mid(firstChain, output.indexOf('\n', firstChain) - firstChain)
                                                  .contains("delta-unit");
  double first = 1e9, last = -1;
  const QRegularExpression pts(R"(chain.*pts: (\d+):(\d\d):(\d\d)\.(\d+))");
  for (auto it = pts.globalMatch(output); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    const double t = m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt() +
                     QString("0." + m.captured(4)).toDouble();
    first = std::min(first, t);
    last = std::max(last, t);
  }
  if (last >= 0) out.seconds = last - first + frameSeconds;
  return out;
}

inline int DemuxedBuffers(const QString& path, const QStringList& elements) { return Demux(path, elements).buffers; }

// A recorded part as those readers see it.
struct Part {
  enum class Kind { DvAvi, Avi, Mpeg, Asf, Wav, Mp3 };
  Kind kind = Kind::DvAvi;
  bool readable = false;
  std::uint64_t frames = 0;
  double seconds = -1;      // as the discoverer gives it
  double frameSeconds = 0;  // one frame's duration
  double soundSeconds = 0;  // of the sound stream

  // What the file should last: its longer stream (a source too slow for its
  // frame rate gives fewer pictures than its sound lasts).
  double longerStream() const { return std::max(frames * frameSeconds, soundSeconds); }
  double tolerance() const { return 2.5 * frameSeconds; }
};

inline Part ReadPart(const QString& file, Part::Kind kind) {
  Part part;
  part.kind = kind;
  const QString report = Discover(file);
  part.seconds = DiscoveredSeconds(report);
  if (kind == Part::Kind::Mpeg) {
    // The discoverer only estimates a program stream's duration from its
    // clock: the span of the pictures' own times is taken.
    part.readable = report.contains("MPEG-2 Video");
    part.frameSeconds = 0.04;
    const Demuxed pictures = Demux(file, {"mpegpsdemux", "!", "mpegvideoparse"}, part.frameSeconds);
    part.frames = pictures.buffers;
    part.seconds = pictures.seconds;
    return part;
  }
  if (kind == Part::Kind::Asf) {
    part.frameSeconds = 0.04;
    const Demuxed pictures = Demux(file, {"asfdemux", "name=d", "d.video_0"}, part.frameSeconds);
    part.readable = pictures.buffers > 0 && pictures.startsAtKeyFrame;
    part.frames = pictures.buffers;
    if (report.contains("audio #")) part.soundSeconds = part.seconds;
    return part;
  }
  if (kind == Part::Kind::Wav || kind == Part::Kind::Mp3) {
    // Sound alone, its length as the discoverer gives it.
    part.readable = report.contains(kind == Part::Kind::Wav ? "audio #0: WAV" : "audio #0: MPEG-1 Layer 3") &&
                    !report.contains("video #");
    part.soundSeconds = part.seconds;
    return part;
  }
  const AviContents avi = ReadAvi(file, false);
  // The RIFF walker and the system's demultiplexer find the same frames.
  part.readable = avi.valid && avi.totalFrames > 0 &&
                  report.contains("Digital Video (DV)") == (kind == Part::Kind::DvAvi) &&
                  DemuxedBuffers(file, {"avidemux", "name=d", "d.video_0"}) == static_cast<int>(avi.video.size());
  part.frames = avi.video.size();
  part.frameSeconds = avi.microSecPerFrame / 1e6;
  part.soundSeconds = static_cast<double>(avi.audioBytes) / (avi.audioBytesPerSecond ? avi.audioBytesPerSecond : 48000 * 4);
  return part;
}
