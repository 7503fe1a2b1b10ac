// Pixel routines for grabbed stills and mirrored previews, on 24-bit pictures
// (blue, green, red) whose rows are top-down, `stride` bytes apart: the row 0
// is the top row the viewer sees.
#pragma once

#include <cstdint>
#include <vector>

struct TImageView {
  std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next, padding included
  int bytesPerPixel = 3;
  std::uint8_t* row(int y) const { return data + static_cast<std::ptrdiff_t>(y) * stride; }
};

// Left becomes right, in place.
void MirrorHorizontal(const TImageView& image);

// Keeps the even rows and, in the odd rows, replaces the pixels that show
// combing (and have a combed horizontal neighbour) by the average of the
// pixels above and below. The masks are kept between calls.
class TDeinterlacer {
 public:
  // `destination` must have the source's size; a source that is not 24-bit is
  // only copied.
  void Deinterlace(const TImageView& source, const TImageView& destination);

 private:
  std::vector<std::uint8_t> combMask_;
  std::vector<std::uint8_t> fillMask_;
};
