#include "media/filters/vx_dvheader.h"

#include <cstring>

#include "media/filters/vx_scenedetect.h"
#include "media/formats/dvcodes.h"

FilterResult Tvx_DVheader::CheckInputType(const TMediaType& type) {
  if (type.major == MediaMajor::Interleaved) return FilterResult::Deliver;
  if (type.major == MediaMajor::Video && type.subtype == MediaSubtype::Dvsd) return FilterResult::Deliver;
  return FilterResult::Refuse;
}

FilterResult Tvx_DVheader::Transform(TMediaSample& sample) {
  if (!sample.data) return FilterResult::Deliver;
  // Only the source's own blocks of the same run and the same video system:
  // a slot of an earlier capture or of another system would put a wrong date
  // or a wrong header into the file. Block 0 (the DIF header that says what
  // the frame is) always stays the encoder's.
  const Tvx_SceneDetect* detector = sceneDetector.load(std::memory_order_acquire);
  const int index = detector ? detector->readIndex.load(std::memory_order_acquire) : 0;
  const bool copy = detector && detector->SlotWrittenThisRun(index) &&
                    detector->slot(index).info.videoSystem == dv::ReadVideoSystem(sample.data, sample.size);
  const bool wide = wideMode_.load(std::memory_order_relaxed) == 1;
  for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
    const std::size_t base = static_cast<std::size_t>(sequence) * dv::kDifSequenceBytes;
    if (base + dv::kHeaderBlocksBytes > sample.size) break;
    if (copy) {
      const std::uint8_t* stored = detector->slot(index).headers.data() + sequence * dv::kHeaderBlocksBytes;
      std::memcpy(sample.data + base + dv::kDifBlockBytes, stored + dv::kDifBlockBytes,
                  dv::kHeaderBlocksBytes - dv::kDifBlockBytes);
    }
    if (wide) dv::SetWideScreen(sample.data, sample.size, sequence);
  }
  return FilterResult::Deliver;
}
