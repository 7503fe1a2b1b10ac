#include "media/formats/riff.h"

#include <QBuffer>
#include <QtEndian>
#include <algorithm>

namespace riff {
namespace {

constexpr qint64 kFmtMinimumBytes = 16;
constexpr quint16 kFormatPcm = 1;

}  // namespace

std::uint16_t Read16(const void* bytes) { return qFromLittleEndian<quint16>(bytes); }
std::uint32_t Read32(const void* bytes) { return qFromLittleEndian<quint32>(bytes); }

std::array<std::uint8_t, 2> Bytes16(std::uint16_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}

std::array<std::uint8_t, 4> Bytes32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

void Append16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
  const auto field = Bytes16(value);
  bytes.insert(bytes.end(), field.begin(), field.end());
}

void Append32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  const auto field = Bytes32(value);
  bytes.insert(bytes.end(), field.begin(), field.end());
}

void AppendTag(std::vector<std::uint8_t>& bytes, const char (&tag)[5]) { bytes.insert(bytes.end(), tag, tag + 4); }

std::optional<Chunk> ReadChunk(QIODevice& device, qint64 position, qint64 end) {
  if (position < 0 || position + kChunkHeaderBytes > end || !device.seek(position)) return std::nullopt;
  const QByteArray header = device.read(kChunkHeaderBytes);
  if (header.size() < kChunkHeaderBytes) return std::nullopt;
  Chunk chunk;
  chunk.id = header.left(4);
  chunk.position = position;
  chunk.dataSize = Read32(header.constData() + 4);
  const qint64 room = end - chunk.data();
  chunk.truncated = chunk.dataSize > room;
  chunk.total = kChunkHeaderBytes + std::min(chunk.dataSize + (chunk.dataSize & 1), room);
  return chunk;
}

std::optional<sound::PcmClip> ParseWave(const QByteArray& wave) {
  QByteArray bytes = wave;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return std::nullopt;
  const qint64 end = bytes.size();
  if (end < kFormHeaderBytes || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return std::nullopt;
  std::optional<sound::PcmClip> clip;
  for (std::optional<Chunk> chunk = ReadChunk(buffer, kFormHeaderBytes, end); chunk;
       chunk = ReadChunk(buffer, chunk->position + chunk->total, end)) {
    const qint64 available = std::min(chunk->dataSize, end - chunk->data());
    if (chunk->id == "fmt " && available >= kFmtMinimumBytes) {
      const char* fmt = bytes.constData() + chunk->data();
      if (Read16(fmt) != kFormatPcm) return std::nullopt;
      clip.emplace();
      clip->channels = Read16(fmt + 2);
      clip->sampleRate = static_cast<int>(Read32(fmt + 4));
      clip->bitsPerSample = Read16(fmt + 14);
    } else if (chunk->id == "data" && clip) {
      clip->samples = bytes.mid(chunk->data(), available);
      const bool supported = clip->channels >= 1 && clip->channels <= 8 && clip->sampleRate > 0 &&
                             (clip->bitsPerSample == 8 || clip->bitsPerSample == 16);
      return supported ? clip : std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace riff
