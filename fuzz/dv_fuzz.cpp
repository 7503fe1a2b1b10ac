// Arbitrary bytes as DV frames: every pack reader, the wide-screen writer and
// the scene detector must stay within the buffer, whatever its length.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/filters/vx_scenedetect.h"
#include "media/formats/dvcodes.h"

namespace {

// Short inputs are spread over a frame-sized buffer so that the packs far
// into the frame are reached too; the first byte chooses the length.
std::vector<std::uint8_t> FrameFrom(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  static const std::size_t lengths[] = {0, 1, 4, 115, 191, 458, 468, 4328, 12000, 119999, 120000, 144000};
  const std::size_t length = lengths[data[0] % (sizeof lengths / sizeof lengths[0])];
  std::vector<std::uint8_t> frame(length);
  // The input repeated: its bytes land in every sequence's packs.
  for (std::size_t at = 0; size > 1 && at < length; at += size - 1)
    std::memcpy(frame.data() + at, data + 1, std::min(size - 1, length - at));
  return frame;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Tvx_SceneDetect detector;
  static int calls = 0;
  std::vector<std::uint8_t> frame = FrameFrom(data, size);
  const std::uint8_t* bytes = frame.data();
  const std::size_t length = frame.size();
  for (int sequence = -1; sequence <= dv::kScannedSequences + 2; ++sequence) {
    const dv::TimeCode code = dv::ReadTimeCode(bytes, length, sequence);
    // A tens field of three bits and a units nibble: never above 85.
    if (code.present() && (code.minutes > 85 || code.seconds > 85 || code.hours > 45 || code.frames > 45)) std::abort();
    dv::ReadRecordingDateTime(bytes, length, sequence);
  }
  dv::HasSourceControlPack(bytes, length);
  dv::ReadVideoSystem(bytes, length);
  dv::ReadAudioSampleRate(bytes, length);
  dv::ReadAudioQuantization(bytes, length);
  // Marking sequence 0 makes the frame read back as 16:9.
  if (!frame.empty() && dv::SetWideScreen(frame.data(), length, 0) && !dv::IsWideScreen(frame.data(), length))
    std::abort();
  TMediaSample sample;
  sample.data = frame.data();
  sample.size = length;
  detector.Transform(sample);
  const int newest = detector.writeIndex.load();
  if (newest < 0 || newest >= Tvx_SceneDetect::kHistorySize) std::abort();
  if (++calls % 1000 == 0) detector.Stop();
  return 0;
}
