// A reader of AVI files for the tests, independent of the writer: walks the
// RIFF chunks (OpenDML "AVIX" extensions included) and collects the chunks of
// the "movi" lists by stream.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

struct AviContents {
  bool valid = false;
  std::uint32_t totalFrames = 0;  // from the main header
  std::uint32_t microSecPerFrame = 0;
  std::vector<QByteArray> video;  // stream 00 chunks ("00dc", "00db")
  std::int64_t audioBytes = 0;    // stream 01 chunks ("01wb")
  std::uint32_t audioBytesPerSecond = 0;  // from the sound's format block
  QByteArray lastStreamType;              // of the latest stream header, while walking
  QByteArray audio;               // their bytes, when the video is kept too
  int riffCount = 0;
  bool hasSuperIndex = false;   // an "indx" chunk
  bool hasLegacyIndex = false;  // an "idx1" chunk
};

inline std::uint32_t Le32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

inline void WalkChunks(QFile& file, qint64 from, qint64 to, AviContents& out, bool keepVideo, int depth) {
  qint64 at = from;
  while (at + 8 <= to) {
    file.seek(at);
    const QByteArray head = file.read(8);
    if (head.size() < 8) return;
    const QByteArray id = head.left(4);
    const qint64 size = Le32(head.constData() + 4);
    const qint64 body = at + 8;
    if (body + size > to + 1) return;  // cut short
    if (id == "LIST" || id == "RIFF") {
      if (id == "RIFF") ++out.riffCount;
      if (depth < 4) WalkChunks(file, body + 4, body + size, out, keepVideo, depth + 1);
    } else if (id == "avih" && size >= 20) {
      file.seek(body);
      const QByteArray header = file.read(20);
      out.microSecPerFrame = Le32(header.constData());
      out.totalFrames = Le32(header.constData() + 16);
    } else if (id == "strh" && size >= 4) {
      file.seek(body);
      out.lastStreamType = file.read(4);
    } else if (id == "strf" && size >= 12 && out.lastStreamType == "auds") {
      file.seek(body);
      out.audioBytesPerSecond = Le32(file.read(12).constData() + 8);
    } else if (id == "indx") {
      out.hasSuperIndex = true;
    } else if (id == "idx1") {
      out.hasLegacyIndex = true;
    } else if (id.startsWith("00d")) {
      out.video.push_back(keepVideo ? (file.seek(body), file.read(size)) : QByteArray());
    } else if (id == "01wb") {
      out.audioBytes += size;
      if (keepVideo) out.audio += (file.seek(body), file.read(size));
    }
    at = body + size + (size & 1);
  }
}

inline AviContents ReadAvi(const QString& path, bool keepVideo = true) {
  AviContents out;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return out;
  WalkChunks(file, 0, file.size(), out, keepVideo, 0);
  out.valid = out.riffCount > 0;
  return out;
}
