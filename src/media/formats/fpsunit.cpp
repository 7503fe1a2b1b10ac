#include "media/formats/fpsunit.h"

#include "media/formats/riff.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kScaleOffsetInStreamHeader = 20;  // fccType, fccHandler, dwFlags, priority+language, dwInitialFrames
constexpr int kMaximumDepth = 16;                  // real files nest four deep; this bounds a hostile one
constexpr double kMaximumFramesPerSecond = 1000.0;
constexpr quint32 kMicrosecondsPerSecond = 1000000;

class Walker {
 public:
  explicit Walker(QIODevice& file) : file_(file), size_(file.size()) {}

  AviWalkResult Run() {
    for (std::optional<riff::Chunk> chunk = riff::ReadChunk(file_, 0, size_); chunk && chunk->id == "RIFF";
         chunk = riff::ReadChunk(file_, chunk->position + chunk->total, size_)) {
      result_.riff = true;  // only RIFF chunks at the top
      Walk(*chunk, 0);
    }
    return result_;
  }

 private:
  void Walk(const riff::Chunk& chunk, int depth) {
    result_.truncated = result_.truncated || chunk.truncated;
    if (chunk.total == riff::kChunkHeaderBytes) return;
    if (chunk.id == "RIFF" || chunk.id == "LIST") {
      if (chunk.total < riff::kFormHeaderBytes || !file_.seek(chunk.data())) return;
      const QByteArray form = file_.read(4);
      if (form == "movi" || depth >= kMaximumDepth) return;
      const qint64 end = chunk.position + chunk.total;
      for (std::optional<riff::Chunk> sub = riff::ReadChunk(file_, chunk.data() + 4, end); sub;
           sub = riff::ReadChunk(file_, sub->position + sub->total, end))
        Walk(*sub, depth + 1);
    } else if (chunk.id == "strh" && chunk.total >= riff::kChunkHeaderBytes + kScaleOffsetInStreamHeader + 8 &&
               file_.seek(chunk.data())) {
      const QByteArray type = file_.read(4);
      if (type == "vids" || type == "iavs") result_.scaleOffset = chunk.data() + kScaleOffsetInStreamHeader;
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
