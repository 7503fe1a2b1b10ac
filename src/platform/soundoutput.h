// Short sounds on the default sound output.
#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <optional>

namespace sound {

// What a PCM WAVE file holds: its format and where its samples are.
struct PcmClip {
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  QByteArray samples;
};

// Reads an uncompressed PCM WAVE file held in memory. A data chunk that claims
// more bytes than the file has is cut to what is there.
std::optional<PcmClip> ParseWave(const QByteArray& wave);

// Plays the clip to its end and returns then, or after the timeout. Without a
// sound output it returns false at once and plays nothing.
bool PlayClip(const PcmClip& clip, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

}  // namespace sound
