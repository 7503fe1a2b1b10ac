#include "media/formats/dvcodes.h"

#include <cstring>
#include <initializer_list>

namespace dv {
namespace {

// The byte at an offset of a sequence, or nothing beyond the frame.
bool ByteAt(const std::uint8_t* frame, std::size_t length, int sequence, std::size_t offset, std::uint8_t& value) {
  const std::size_t position = static_cast<std::size_t>(sequence) * kDifSequenceBytes + offset;
  if (sequence < 0 || position >= length) return false;
  value = frame[position];
  return true;
}

// A whole pack (id and four data bytes) of a sequence, or nothing when any of
// it lies beyond the frame.
bool PackAt(const std::uint8_t* frame, std::size_t length, int sequence, std::size_t offset,
            const std::uint8_t*& pack) {
  const std::size_t position = static_cast<std::size_t>(sequence) * kDifSequenceBytes + offset;
  if (sequence < 0 || position + kPackBytes > length) return false;
  pack = frame + position;
  return true;
}

}  // namespace

TimeCode ReadTimeCode(const std::uint8_t* frame, std::size_t length, int sequence) {
  const std::uint8_t* pack = nullptr;
  std::uint8_t secondId = 0;
  if (!PackAt(frame, length, sequence, kTimeCodePack0, pack) ||
      !ByteAt(frame, length, sequence, kTimeCodePack1, secondId) || pack[0] != kTimeCodePackId ||
      secondId != kTimeCodePackId)
    return {};
  TimeCode code;
  code.frames = static_cast<std::uint8_t>(Bcd(pack[1], 0x30));
  code.seconds = static_cast<std::uint8_t>(Bcd(pack[2], 0x70));
  code.minutes = static_cast<std::uint8_t>(Bcd(pack[3], 0x70));
  code.hours = static_cast<std::uint8_t>(Bcd(pack[4], 0x30));
  return code;
}

DateTime ReadRecordingDateTime(const std::uint8_t* frame, std::size_t length, int sequence) {
  const std::uint8_t* date = nullptr;
  const std::uint8_t* time = nullptr;
  if (!PackAt(frame, length, sequence, kRecordingDatePack, date) ||
      !PackAt(frame, length, sequence, kRecordingTimePack, time))
    return {};
  // An id of 0 is taken as the pack: an all-zero pack is then rejected by the
  // calendar check of the caller.
  if ((date[0] != kRecordingDatePackId && date[0] != 0) || (time[0] != kRecordingTimePackId && time[0] != 0)) return {};
  DateTime result;
  result.day = static_cast<std::uint8_t>(Bcd(date[2], 0x30));
  result.month = static_cast<std::uint8_t>(Bcd(date[3], 0x10));
  const int year = Bcd(date[4], 0xF0);
  result.year = year < 40 ? 2000 + year : 1900 + year;
  result.second = static_cast<std::uint8_t>(Bcd(time[2], 0x70));
  result.minute = static_cast<std::uint8_t>(Bcd(time[3], 0x70));
  result.hour = static_cast<std::uint8_t>(Bcd(time[4], 0x30));
  return result;
}

bool HasSourceControlPack(const std::uint8_t* frame, std::size_t length) {
  std::uint8_t id = 0;
  return ByteAt(frame, length, 0, kSourceControlPack, id) && id == kSourceControlPackId;
}

VideoSystem ReadVideoSystem(const std::uint8_t* frame, std::size_t length) {
  std::uint8_t dsf = 0;
  if (!ByteAt(frame, length, 0, kDsfByte, dsf)) return kSystemUnknown;
  if (dsf == kDsf625) return kSystem625;
  if (dsf == kDsf525) return kSystem525;
  return kSystemUnknown;
}

namespace {
// The fourth data byte of the audio source pack, or nothing without the pack.
bool AudioFormatByte(const std::uint8_t* frame, std::size_t length, std::uint8_t& value) {
  const std::uint8_t* pack = nullptr;
  if (!PackAt(frame, length, 0, kAudioSourcePack, pack) || pack[0] != kAudioSourcePackId) return false;
  value = pack[4];
  return true;
}
}  // namespace

int ReadAudioSampleRate(const std::uint8_t* frame, std::size_t length) {
  std::uint8_t format = 0;
  if (!AudioFormatByte(frame, length, format)) return -1;
  switch ((format >> 3) & 7) {
    case 0:
      return 48000;
    case 1:
      return 44100;
    case 2:
      return 32000;
    default:
      return 0;
  }
}

int ReadAudioQuantization(const std::uint8_t* frame, std::size_t length) {
  std::uint8_t format = 0;
  if (!AudioFormatByte(frame, length, format)) return -1;
  switch (format & 7) {
    case 0:
      return 16;
    case 1:
      return 12;
    default:
      return 0;
  }
}

bool IsWideScreen(const std::uint8_t* frame, std::size_t length) {
  for (int sequence = 0; sequence < kScannedSequences; ++sequence) {
    const std::uint8_t* pack = nullptr;
    std::uint8_t ap3 = 0;
    if (!PackAt(frame, length, sequence, kSourceControlPack, pack)) return false;
    if (pack[0] != kSourceControlPackId) continue;
    if (!ByteAt(frame, length, sequence, kAp3Byte, ap3)) return false;
    const int display = pack[2] & 7;
    return display == 2 || ((ap3 & 7) == 0 && display == 7);
  }
  return false;
}

bool SetWideScreen(std::uint8_t* frame, std::size_t length, int sequence) {
  const std::size_t base = static_cast<std::size_t>(sequence) * kDifSequenceBytes;
  if (sequence < 0 || base + kSourceControlPack + kPackBytes > length) return false;
  frame[base + kSourceControlPack] = kSourceControlPackId;
  frame[base + kSourceControlPack + 2] = (frame[base + kAp3Byte] & 7) != 0 ? 2 : 7;
  return true;
}

}  // namespace dv

namespace dv {
namespace {
void WriteBytes(std::uint8_t* frame, std::size_t length, int sequence, std::size_t offset,
                std::initializer_list<std::uint8_t> bytes) {
  std::size_t position = static_cast<std::size_t>(sequence) * kDifSequenceBytes + offset;
  for (std::uint8_t byte : bytes) {
    if (position < length) frame[position] = byte;
    ++position;
  }
}
}  // namespace

void WriteTimeCode(std::uint8_t* frame, std::size_t length, int sequence, const TimeCode& code) {
  WriteBytes(frame, length, sequence, kTimeCodePack0,
             {kTimeCodePackId, ToBcd(code.frames), ToBcd(code.seconds), ToBcd(code.minutes), ToBcd(code.hours)});
  WriteBytes(frame, length, sequence, kTimeCodePack1,
             {kTimeCodePackId, ToBcd(code.frames), ToBcd(code.seconds), ToBcd(code.minutes), ToBcd(code.hours)});
}

void WriteRecordingDateTime(std::uint8_t* frame, std::size_t length, int sequence, const DateTime& t) {
  WriteBytes(frame, length, sequence, kRecordingDatePack,
             {kRecordingDatePackId, 0xFF, ToBcd(t.day), ToBcd(t.month), ToBcd(t.year % 100)});
  WriteBytes(frame, length, sequence, kRecordingTimePack,
             {kRecordingTimePackId, 0xFF, ToBcd(t.second), ToBcd(t.minute), ToBcd(t.hour)});
}

void WriteAudioSource(std::uint8_t* frame, std::size_t length, int sampleRate, int bits) {
  const int rateCode = sampleRate == 48000 ? 0 : sampleRate == 44100 ? 1 : 2;
  const int bitsCode = bits == 16 ? 0 : 1;
  WriteBytes(frame, length, 0, kAudioSourcePack,
             {kAudioSourcePackId, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(rateCode << 3 | bitsCode)});
}

void WriteVideoSystem(std::uint8_t* frame, std::size_t length, VideoSystem system) {
  WriteBytes(frame, length, 0, kDsfByte, {system == kSystem625 ? kDsf625 : kDsf525});
}

void FillPacks(std::uint8_t* frame, std::size_t length, std::uint8_t value) {
  for (int sequence = 0; sequence < kScannedSequences; ++sequence) {
    for (std::size_t offset :
         {kTimeCodePack0, kTimeCodePack1, kSourceControlPack, kRecordingDatePack, kRecordingTimePack})
      WriteBytes(frame, length, sequence, offset, {value, value, value, value, value});
  }
  WriteBytes(frame, length, 0, kAudioSourcePack, {value, value, value, value, value});
}

}  // namespace dv

namespace dv {
namespace {

// Where sample n of a channel lies: the sound is shuffled over the DIF
// sequences of the channel's half of the frame (the left channel in the
// first half), the nine audio blocks of each, and the 36 sample slots of
// each block.
struct AudioSlot {
  int sequence;
  int block;
  int byte;
};

AudioSlot SlotOf(VideoSystem system, int channel, int n) {
  const int sequences = system == kSystem625 ? 6 : 5;
  const int perBlockRow = system == kSystem625 ? 18 : 15;  // samples before the block index moves on
  const int perSlot = 3 * perBlockRow;                     // samples before the byte position moves on
  return {channel * sequences + (n / 3 + 2 * (n % 3)) % sequences, 3 * (n % 3) + (n % perSlot) / perBlockRow,
          8 + 2 * (n / perSlot)};
}

std::size_t AudioBlockOffset(int sequence, int block) {
  // After the six header blocks, one audio block heads every sixteen.
  return static_cast<std::size_t>(sequence) * kDifSequenceBytes + kHeaderBlocksBytes +
         static_cast<std::size_t>(block) * 16 * kDifBlockBytes;
}

}  // namespace

bool WriteAudio(std::uint8_t* frame, std::size_t length, VideoSystem system, const std::int16_t* interleaved,
                int samples) {
  const bool pal = system == kSystem625;
  if (system == kSystemUnknown || length < (pal ? kFrameBytes625 : kFrameBytes525)) return false;
  const int minimum = pal ? kMinAudioSamples625 : kMinAudioSamples525;
  if (samples < minimum || samples > (pal ? kMaxAudioSamples625 : kMaxAudioSamples525)) return false;
  const int sequences = pal ? 12 : 10;
  for (int sequence = 0; sequence < sequences; ++sequence) {
    for (int block = 0; block < 9; ++block) {
      std::uint8_t* pack = frame + AudioBlockOffset(sequence, block) + 3;
      // The source pack sits in block 3 of even sequences and block 0 of odd
      // ones, the source control pack right after it.
      const int sourceBlock = sequence % 2 == 0 ? 3 : 0;
      if (block == sourceBlock) {
        const std::uint8_t packBytes[kPackBytes] = {kAudioSourcePackId,
                                                    static_cast<std::uint8_t>(0xC0 | (samples - minimum)), 0x00,
                                                    static_cast<std::uint8_t>(0xC0 | (pal ? 0x20 : 0x00)), 0x80};
        std::memcpy(pack, packBytes, kPackBytes);
      } else if (block == sourceBlock + 1) {
        const std::uint8_t packBytes[kPackBytes] = {0x51, 0x03, 0xCF, 0xA0, 0xFF};
        std::memcpy(pack, packBytes, kPackBytes);
      } else {
        std::memset(pack, 0xFF, kPackBytes);
      }
      // Slots beyond the samples of this frame stay silent.
      std::memset(frame + AudioBlockOffset(sequence, block) + 8, 0, 72);
    }
  }
  for (int channel = 0; channel < 2; ++channel) {
    for (int n = 0; n < samples; ++n) {
      const AudioSlot slot = SlotOf(system, channel, n);
      const auto value = static_cast<std::uint16_t>(interleaved[2 * n + channel]);
      std::uint8_t* at = frame + AudioBlockOffset(slot.sequence, slot.block) + slot.byte;
      at[0] = static_cast<std::uint8_t>(value >> 8);  // big-endian on tape
      at[1] = static_cast<std::uint8_t>(value & 0xFF);
    }
  }
  return true;
}

int ReadAudio(const std::uint8_t* frame, std::size_t length, std::int16_t* interleaved, int capacity) {
  const VideoSystem system = ReadVideoSystem(frame, length);
  const bool pal = system == kSystem625;
  if (system == kSystemUnknown || length < (pal ? kFrameBytes625 : kFrameBytes525)) return -1;
  if (ReadAudioQuantization(frame, length) != 16) return -1;
  const int samples = (pal ? kMinAudioSamples625 : kMinAudioSamples525) + (frame[kAudioSourcePack + 1] & 0x3F);
  if (samples > capacity) return -1;
  for (int channel = 0; channel < 2; ++channel) {
    for (int n = 0; n < samples; ++n) {
      const AudioSlot slot = SlotOf(system, channel, n);
      const std::uint8_t* at = frame + AudioBlockOffset(slot.sequence, slot.block) + slot.byte;
      interleaved[2 * n + channel] = static_cast<std::int16_t>(at[0] << 8 | at[1]);
    }
  }
  return samples;
}

}  // namespace dv
