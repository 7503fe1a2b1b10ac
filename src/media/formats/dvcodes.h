// Metadata packs of a standard-definition DV frame: the subcode time code, the
// VAUX recording date and time and source-control (16:9) packs, the DIF
// header's video system and the AAUX audio source pack. Every reader takes the
// frame's length: bytes beyond it are absent, never read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dv {

inline constexpr std::size_t kDifBlockBytes = 80;
inline constexpr std::size_t kDifSequenceBytes = 12000;
inline constexpr int kScannedSequences = 10;
inline constexpr std::size_t kFrameBytes525 = 10 * kDifSequenceBytes;  // 120000
inline constexpr std::size_t kFrameBytes625 = 12 * kDifSequenceBytes;  // 144000
// DIF blocks 0 to 5 of a sequence: header, two subcode blocks, three VAUX
// blocks.
inline constexpr std::size_t kHeaderBlocksBytes = 6 * kDifBlockBytes;  // 480

// Offsets inside a DIF sequence.
inline constexpr std::size_t kDsfByte = 3;          // 0xBF 625/50, 0x3F 525/60
inline constexpr std::size_t kAp3Byte = 7;          // bits 2-0: AP3
inline constexpr std::size_t kTimeCodePack0 = 110;  // subcode block 0, sync block 3
inline constexpr std::size_t kTimeCodePack1 = 190;  // subcode block 1, sync block 3
inline constexpr std::size_t kSourceControlPack = 453;
inline constexpr std::size_t kRecordingDatePack = 458;
inline constexpr std::size_t kRecordingTimePack = 463;
inline constexpr std::size_t kAudioSourcePack = 4323;  // DIF block 54
inline constexpr std::size_t kPackBytes = 5;

inline constexpr std::uint8_t kTimeCodePackId = 0x13;
inline constexpr std::uint8_t kSourceControlPackId = 0x61;
inline constexpr std::uint8_t kRecordingDatePackId = 0x62;
inline constexpr std::uint8_t kRecordingTimePackId = 0x63;
inline constexpr std::uint8_t kAudioSourcePackId = 0x50;
inline constexpr std::uint8_t kDsf625 = 0xBF;
inline constexpr std::uint8_t kDsf525 = 0x3F;

struct TimeCode {
  std::uint8_t hours = 255;  // 255: no time code
  std::uint8_t minutes = 0;
  std::uint8_t seconds = 0;
  std::uint8_t frames = 0;
  bool present() const { return (hours & 0x80) == 0; }
  bool operator==(const TimeCode&) const = default;
};

struct DateTime {
  std::int32_t year = -1;  // -1: no recording date
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  bool present() const { return year != -1; }
  bool operator==(const DateTime&) const = default;
};

enum VideoSystem : std::uint8_t { kSystem625 = 0, kSystem525 = 1, kSystemUnknown = 2 };

TimeCode ReadTimeCode(const std::uint8_t* frame, std::size_t length, int sequence);
DateTime ReadRecordingDateTime(const std::uint8_t* frame, std::size_t length, int sequence);
bool HasSourceControlPack(const std::uint8_t* frame, std::size_t length);
VideoSystem ReadVideoSystem(const std::uint8_t* frame, std::size_t length);
// 48000, 44100, 32000, 0 for another code, -1 without an audio source pack.
int ReadAudioSampleRate(const std::uint8_t* frame, std::size_t length);
// 16, 12, 0 for another code, -1 without an audio source pack.
int ReadAudioQuantization(const std::uint8_t* frame, std::size_t length);
bool IsWideScreen(const std::uint8_t* frame, std::size_t length);
// Marks the sequence 16:9; false (nothing written) when it lies beyond the
// length.
bool SetWideScreen(std::uint8_t* frame, std::size_t length, int sequence);

// Binary-coded decimal: units nibble plus ten times the tens field kept by
// the mask.
inline int Bcd(std::uint8_t value, std::uint8_t tensMask) { return (value & 0x0F) + 10 * ((value & tensMask) >> 4); }

}  // namespace dv

namespace dv {

// Writers of the same packs, for frames made by the program's own tools and
// tests. Each writes only what lies within the length.
inline std::uint8_t ToBcd(int value) { return static_cast<std::uint8_t>((value / 10) << 4 | (value % 10)); }
void WriteTimeCode(std::uint8_t* frame, std::size_t length, int sequence, const TimeCode& code);
void WriteRecordingDateTime(std::uint8_t* frame, std::size_t length, int sequence, const DateTime& dateTime);
// Sample rate 48000, 44100 or 32000; 16 or 12 bits.
void WriteAudioSource(std::uint8_t* frame, std::size_t length, int sampleRate, int bits);
void WriteVideoSystem(std::uint8_t* frame, std::size_t length, VideoSystem system);
// Fills every pack the readers look at, in every sequence, with `value`.
void FillPacks(std::uint8_t* frame, std::size_t length, std::uint8_t value);

}  // namespace dv

namespace dv {

// Sound of a frame: 16-bit stereo at 48 kHz, locked to the picture (1920
// sample pairs a frame at 25 frames a second; 1600 or 1602 at 29.97).
inline constexpr int kAudioRate = 48000;
inline constexpr int kMaxAudioSamples625 = 1944;
inline constexpr int kMaxAudioSamples525 = 1620;
inline constexpr int kMinAudioSamples625 = 1896;
inline constexpr int kMinAudioSamples525 = 1580;

// Writes `samples` sample pairs of interleaved left/right sound into the
// audio DIF blocks of a frame of that system, with the audio source and
// source control packs of every audio block that carries them. False (the
// frame unchanged) when the frame is shorter than its system's size or the
// count does not fit a frame.
bool WriteAudio(std::uint8_t* frame, std::size_t length, VideoSystem system, const std::int16_t* interleaved,
                int samples);
// Reads back what WriteAudio wrote (16-bit sound only): the number of sample
// pairs, or -1 when the frame has no 16-bit sound it can read.
int ReadAudio(const std::uint8_t* frame, std::size_t length, std::int16_t* interleaved, int capacity);

}  // namespace dv
