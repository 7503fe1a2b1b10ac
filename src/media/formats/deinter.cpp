#include "media/formats/deinter.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kCombThreshold = 2000;
}  // namespace

void MirrorHorizontal(const TImageView& image) {
  if (image.bytesPerPixel != 3) return;
  for (int y = 0; y < image.height; ++y) {
    std::uint8_t* row = image.row(y);
    for (int i = 0, j = image.width - 1; i < image.width / 2; ++i, --j)
      std::swap_ranges(row + 3 * i, row + 3 * i + 3, row + 3 * j);
  }
}

void TDeinterlacer::Deinterlace(const TImageView& source, const TImageView& destination) {
  const int width = source.width;
  const int height = source.height;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * source.bytesPerPixel;
  for (int y = 0; y < height; ++y) std::memcpy(destination.row(y), source.row(y), rowBytes);
  if (source.bytesPerPixel != 3 || width <= 0 || height <= 0) return;

  // Only odd rows above the last can be combed: the even rows of the masks
  // are never read, so they are neither cleared nor computed.
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  combMask_.resize(pixels);
  fillMask_.resize(pixels);

  for (int r = 1; r < height - 1; r += 2) {
    const std::uint8_t* above = source.row(r - 1);
    const std::uint8_t* middle = source.row(r);
    const std::uint8_t* below = source.row(r + 1);
    std::uint8_t* comb = &combMask_[static_cast<std::size_t>(r) * width];
    for (int i = 0; i < width; ++i) {
      const int p = 3 * i;
      const int blue = (above[p] - middle[p]) * (below[p] - middle[p]);
      const int green = (above[p + 1] - middle[p + 1]) * (below[p + 1] - middle[p + 1]);
      const int red = (above[p + 2] - middle[p + 2]) * (below[p + 2] - middle[p + 2]);
      comb[i] = 3 * red + 6 * green + blue > kCombThreshold;
    }
  }

  for (int r = 1; r < height - 1; r += 2) {
    const std::uint8_t* comb = &combMask_[static_cast<std::size_t>(r) * width];
    std::uint8_t* fill = &fillMask_[static_cast<std::size_t>(r) * width];
    for (int i = 0; i < width; ++i) fill[i] = comb[i] && ((i > 0 && comb[i - 1]) || (i < width - 1 && comb[i + 1]));
  }

  for (int r = 1; r < height - 1; r += 2) {
    const std::uint8_t* above = source.row(r - 1);
    const std::uint8_t* below = source.row(r + 1);
    std::uint8_t* out = destination.row(r);
    const std::uint8_t* fill = &fillMask_[static_cast<std::size_t>(r) * width];
    for (int i = 0; i < width; ++i) {
      if (!fill[i]) continue;
      for (int c = 3 * i; c < 3 * i + 3; ++c) out[c] = static_cast<std::uint8_t>((above[c] + below[c]) / 2);
    }
  }
}
