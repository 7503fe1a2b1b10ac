// 24-bit pictures (blue, green, red) to planar 4:2:0 YUV, as the encoders
// take them: ITU-R BT.601 in studio range (Y 16–235, U and V 16–240), the
// chroma of each sample the average of a 2×2 block. An interlaced picture
// takes its chroma from rows of the same field.
#pragma once

#include <cstdint>

#include "media/formats/deinter.h"

struct TI420Planes {
  std::uint8_t* y = nullptr;
  std::uint8_t* u = nullptr;
  std::uint8_t* v = nullptr;
  int yStride = 0, uStride = 0, vStride = 0;
};

// `planes` must hold the picture's size: chroma planes of (width + 1) / 2 by
// (height + 1) / 2. An odd last column or row repeats its neighbour.
void BgrToI420(const TImageView& picture, const TI420Planes& planes, bool interlaced);
