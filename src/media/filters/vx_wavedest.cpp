#include "media/filters/vx_wavedest.h"

#include <cstring>

#include "media/formats/riff.h"

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint32_t kHeadBytesBesidesFormat = 28;  // RIFF, size, WAVE, fmt , size, data, size

}  // namespace

std::vector<std::uint8_t> WaveFormatBlock(const TMediaType& type) {
  const auto blockAlign = static_cast<std::uint16_t>(type.channels * type.bitsPerSample / 8);
  std::vector<std::uint8_t> block;
  riff::Append16(block, kFormatPcm);
  riff::Append16(block, static_cast<std::uint16_t>(type.channels));
  riff::Append32(block, static_cast<std::uint32_t>(type.sampleRate));
  riff::Append32(block, static_cast<std::uint32_t>(type.sampleRate) * blockAlign);
  riff::Append16(block, blockAlign);
  riff::Append16(block, static_cast<std::uint16_t>(type.bitsPerSample));
  riff::Append16(block, 0);  // cbSize
  return block;
}

std::vector<std::uint8_t> WaveHeader(const std::vector<std::uint8_t>& formatBlock, std::uint32_t dataSize) {
  const auto headerSize = static_cast<std::uint32_t>(formatBlock.size()) + kHeadBytesBesidesFormat;
  std::vector<std::uint8_t> head;
  head.reserve(headerSize);
  riff::AppendTag(head, "RIFF");
  riff::Append32(head, headerSize + dataSize - 8);
  riff::AppendTag(head, "WAVE");
  riff::AppendTag(head, "fmt ");
  riff::Append32(head, static_cast<std::uint32_t>(formatBlock.size()));
  head.insert(head.end(), formatBlock.begin(), formatBlock.end());
  riff::AppendTag(head, "data");
  riff::Append32(head, dataSize);
  return head;
}

FilterResult Tvx_WaveDest::CheckInputType(const TMediaType& type) {
  const bool pcm = type.major == MediaMajor::Audio && type.subtype == MediaSubtype::Pcm && type.channels > 0 &&
                   type.sampleRate > 0 && type.bitsPerSample > 0 && type.bitsPerSample % 8 == 0;
  return pcm ? FilterResult::Deliver : FilterResult::Refuse;
}

std::optional<TMediaType> Tvx_WaveDest::OutputType(const TMediaType&) {
  TMediaType stream;
  stream.major = MediaMajor::Stream;
  return stream;
}

void Tvx_WaveDest::InputTypeSet(const TMediaType& type) {
  formatBlock_ = WaveFormatBlock(type);
  headerSize_ = static_cast<std::uint32_t>(formatBlock_.size()) + kHeadBytesBesidesFormat;
}

void Tvx_WaveDest::StartStreaming() {
  // Caps come after the start: the size of the last format stands until then.
  headerSize_ = static_cast<std::uint32_t>(formatBlock_.size()) + kHeadBytesBesidesFormat;
  dataSize_ = 0;
  dataSizeBeforeSample_ = 0;
  fullAnnounced_ = false;
}

FilterResult Tvx_WaveDest::Transform(const TMediaSample& input, TMediaSample& output) {
  const std::size_t length = std::min(input.size, output.size);
  const std::uint64_t position = std::uint64_t{dataSize_} + headerSize_;
  dataSizeBeforeSample_ = dataSize_;
  if (position + length > fileLimit) return FilterResult::Drop;  // never a size field that wrapped
  if (!fullAnnounced_ && position + length + kCutMargin > fileLimit) {
    fullAnnounced_ = true;
    Post(kNotifyWaveFileFull, 0, 0);
  }
  std::memcpy(output.data, input.data, length);
  output.size = length;
  output.mediaStart = static_cast<std::int64_t>(position);
  output.mediaStop = static_cast<std::int64_t>(position + length);
  dataSize_ += static_cast<std::uint32_t>(length);
  return FilterResult::Deliver;
}

void Tvx_WaveDest::ReceiveFinished(bool delivered) {
  if (!delivered) dataSize_ = dataSizeBeforeSample_;
}
