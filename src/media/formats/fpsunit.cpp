#include "media/formats/fpsunit.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kChunkHeaderBytes = 8;
constexpr qint64 kScaleOffsetInStreamHeader = 20;  // fccType, fccHandler, dwFlags, priority+language, dwInitialFrames
constexpr int kMaximumDepth = 16;                  // real files nest four deep; this bounds a hostile one
constexpr double kMaximumFramesPerSecond = 1000.0;
constexpr quint32 kMicrosecondsPerSecond = 1000000;

class Walker {
 public:
  explicit Walker(QIODevice& file) : file_(file), size_(file.size()) {}

  AviWalkResult Run() {
    qint64 position = 0;
    bool first = true;
    while (position + kChunkHeaderBytes <= size_) {
      QByteArray id;
      qint64 total = 0;
      if (!Header(position, id, total)) break;
      if (id != "RIFF") break;  // only RIFF chunks at the top
      if (first) result_.riff = true;
      first = false;
      Walk(position, 0);
      position += total;
    }
    return result_;
  }

 private:
  // Reads a chunk header; the total length is cut to what the file holds.
  bool Header(qint64 position, QByteArray& id, qint64& total) {
    if (!file_.seek(position)) return false;
    const QByteArray header = file_.read(kChunkHeaderBytes);
    if (header.size() < kChunkHeaderBytes) return false;
    id = header.left(4);
    const qint64 data = qFromLittleEndian<quint32>(header.constData() + 4);
    qint64 size = data + (data & 1);
    const qint64 room = size_ - position - kChunkHeaderBytes;
    // A last chunk that lacks only its pad byte is whole.
    if (data > room) result_.truncated = true;
    size = std::min(size, room);
    total = kChunkHeaderBytes + size;
    return true;
  }

  void Walk(qint64 position, int depth) {
    QByteArray id;
    qint64 total = 0;
    if (!Header(position, id, total) || total == kChunkHeaderBytes) return;
    const qint64 data = position + kChunkHeaderBytes;
    if (id == "RIFF" || id == "LIST") {
      if (total < kChunkHeaderBytes + 4 || !file_.seek(data)) return;
      const QByteArray form = file_.read(4);
      if (form == "movi" || depth >= kMaximumDepth) return;
      qint64 sub = data + 4;
      const qint64 end = position + total;
      while (end - sub > 7) {
        QByteArray subId;
        qint64 subTotal = 0;
        if (!Header(sub, subId, subTotal) || subTotal > end - sub) break;
        Walk(sub, depth + 1);
        sub += subTotal;
      }
    } else if (id == "strh" && total >= kChunkHeaderBytes + kScaleOffsetInStreamHeader + 8 && file_.seek(data)) {
      const QByteArray type = file_.read(4);
      if (type == "vids" || type == "iavs") result_.scaleOffset = data + kScaleOffsetInStreamHeader;
    }
  }

  QIODevice& file_;
  qint64 size_;
  AviWalkResult result_;
};

}  // namespace

AviWalkResult FindVideoStreamHeader(QIODevice& file) { return Walker(file).Run(); }

AviWalkResult FindVideoStreamHeader(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return FindVideoStreamHeader(file);
}

FrameRateResult SetAviFrameRate(const QString& path, double framesPerSecond) {
  if (!(framesPerSecond > 0.0 && framesPerSecond <= kMaximumFramesPerSecond)) return FrameRateResult::RateRefused;
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return FrameRateResult::CannotOpen;
  const AviWalkResult walk = FindVideoStreamHeader(file);
  if (!walk.riff) return FrameRateResult::NotRiff;
  if (walk.truncated) return FrameRateResult::Truncated;
  if (!walk.scaleOffset) return FrameRateResult::NoVideoStream;
  // The frame period is a 32-bit field: a rate whose period does not fit it
  // is refused, not wrapped.
  const double period = std::round(kMicrosecondsPerSecond / framesPerSecond);
  if (!(period >= 1.0 && period <= static_cast<double>(std::numeric_limits<quint32>::max())))
    return FrameRateResult::RateRefused;
  const auto microsecondsPerFrame = static_cast<quint32>(period);
  char fields[8];
  qToLittleEndian(microsecondsPerFrame, fields);
  qToLittleEndian(kMicrosecondsPerSecond, fields + 4);
  if (!file.seek(*walk.scaleOffset) || file.write(fields, sizeof fields) != sizeof fields || !file.flush())
    return FrameRateResult::WriteFailed;
  return FrameRateResult::Rewritten;
}
