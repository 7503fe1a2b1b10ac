// The RIFF byte layout, written once: little-endian fields, chunk headers read
// from a file or a buffer, and the WAVE files the program plays. The AVI and
// WAV writers and the AVI and WAVE readers all go through here.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/soundoutput.h"

namespace riff {

inline constexpr qint64 kChunkHeaderBytes = 8;
inline constexpr qint64 kFormHeaderBytes = 12;  // "RIFF" or "LIST", size, form type

// Little-endian fields.
std::uint16_t Read16(const void* bytes);
std::uint32_t Read32(const void* bytes);
std::array<std::uint8_t, 2> Bytes16(std::uint16_t value);
std::array<std::uint8_t, 4> Bytes32(std::uint32_t value);
void Append16(std::vector<std::uint8_t>& bytes, std::uint16_t value);
void Append32(std::vector<std::uint8_t>& bytes, std::uint32_t value);
void AppendTag(std::vector<std::uint8_t>& bytes, const char (&tag)[5]);

// A chunk as a reader finds it. `total` is what the chunk takes in the file
// (header, data and pad byte), cut to what the file holds.
struct Chunk {
  QByteArray id;
  qint64 position = 0;  // of its header
  qint64 dataSize = 0;  // as the header says
  qint64 total = 0;
  // The data runs past the end. A last chunk that lacks only its pad byte
  // is whole.
  bool truncated = false;
  qint64 data() const { return position + kChunkHeaderBytes; }
};

// The chunk whose header starts at `position`, within `end` (the file's
// size, or the end of the list that holds it); none when no header fits.
std::optional<Chunk> ReadChunk(QIODevice& device, qint64 position, qint64 end);

// An uncompressed PCM WAVE file held in memory. A data chunk that claims
// more bytes than the file has is cut to what is there.
std::optional<sound::PcmClip> ParseWave(const QByteArray& wave);

}  // namespace riff
