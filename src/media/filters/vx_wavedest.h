// Tvx_WaveDest turns uncompressed sound into the bytes of a RIFF/WAVE file for
// a file sink: the head (with the input's format block), then the samples as
// they come, each stamped with its byte position in the file; the head is
// written again over the start of the file at the end, with the final sizes.
// It never lets the file pass 4 GiB: near the limit it asks for the next file.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "media/filters/filtercontract.h"

// The WAVEFORMATEX of a PCM type: 18 bytes.
std::vector<std::uint8_t> WaveFormatBlock(const TMediaType& type);
// The file head for a format block and a count of audio bytes.
std::vector<std::uint8_t> WaveHeader(const std::vector<std::uint8_t>& formatBlock, std::uint32_t dataSize);

class Tvx_WaveDest : public TTransformFilter {
 public:
  static constexpr std::uint64_t kFileLimit = 0xFFFFFFFFull;
  // Room kept before the limit for the capture to move to the next file.
  static constexpr std::uint64_t kCutMargin = 16ull * 1024 * 1024;

  FilterResult CheckInputType(const TMediaType& type) override;
  std::optional<TMediaType> OutputType(const TMediaType& input) override;
  // The head's size is known once the format is: samples are placed after it.
  void InputTypeSet(const TMediaType& type) override;
  void StartStreaming() override;
  FilterResult Transform(const TMediaSample& input, TMediaSample& output) override;
  void ReceiveFinished(bool delivered) override;
  std::vector<std::uint8_t> LeadingBytes() override { return WaveHeader(formatBlock_, 0); }
  std::vector<std::uint8_t> FinalBytes() override { return WaveHeader(formatBlock_, dataSize_); }

  std::uint32_t dataSize() const { return dataSize_; }
  std::uint32_t headerSize() const { return headerSize_; }
  // Tests shrink it to reach "4 GiB" quickly.
  std::uint64_t fileLimit = kFileLimit;

 private:
  std::vector<std::uint8_t> formatBlock_;
  std::uint32_t headerSize_ = 0;
  std::uint32_t dataSize_ = 0;
  std::uint32_t dataSizeBeforeSample_ = 0;
  bool fullAnnounced_ = false;
};
