// Arbitrary bytes as an AVI file: the RIFF walk must end, stay within the
// file, and only ever point at a place where scale and rate fit.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "media/formats/fpsunit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QBuffer buffer;
  buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  if (!buffer.open(QIODevice::ReadOnly)) return 0;
  const AviWalkResult walk = FindVideoStreamHeader(buffer);
  if (walk.scaleOffset && (*walk.scaleOffset < 0 || *walk.scaleOffset + 8 > static_cast<qint64>(size))) std::abort();
  if (walk.scaleOffset && !walk.riff) std::abort();
  return 0;
}
