// Short sounds on the default sound output.
#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <optional>

namespace sound {

// Uncompressed sound: its format and its samples (riff::ParseWave reads
// one from a WAVE file).
struct PcmClip {
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  QByteArray samples;
};

// Plays the clip to its end and returns then, or after the timeout. Without a
// sound output it returns false at once and plays nothing.
bool PlayClip(const PcmClip& clip, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

}  // namespace sound
