#include "media/filters/vx_resizer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kHalfHeightLimit = 288;

int RowBytes(int width) { return (width * 3 + 3) & ~3; }

}  // namespace

OutputSize ResizerOutputSize(int width, int height, int mode, bool demiTaille, int aspectX, int aspectY) {
  int w = width, h = height;
  switch (mode) {
    case 0:
      if (demiTaille && h > kHalfHeightLimit) h = kHalfHeightLimit;
      if (aspectX > 0 && aspectY > 0) {
        if (aspectX * h < aspectY * w)
          w = aspectX * h / aspectY;
        else
          h = aspectY * w / aspectX;
      }
      break;
    case 1:
      if (demiTaille && h > kHalfHeightLimit) h = kHalfHeightLimit;
      if (4 * h < 3 * w)
        w = 4 * h / 3;
      else
        h = 3 * w / 4;
      if (h % 2) h -= 3, w -= 4;
      break;
    case 2:
      if (demiTaille && h > kHalfHeightLimit) h = kHalfHeightLimit;
      if (16 * h < 9 * w)
        w = 16 * h / 9;
      else
        h = 9 * w / 16;
      if (h % 2) h -= 9, w -= 16;
      break;
    case 3:
      if (demiTaille) {
        if (h > kHalfHeightLimit) w /= 2, h /= 2;
        if (h % 2) h -= 1;
      }
      break;
    default:
      break;
  }
  return {w, h};
}

void AreaScaler::Prepare(int sourceWidth, int targetWidth) {
  if (sourceWidth == preparedSource_ && targetWidth == preparedTarget_) return;
  firstColumn_.resize(targetWidth);
  lastColumn_.resize(targetWidth);
  narrow_ = true;
  for (int x = 0; x < targetWidth; ++x) {
    const int first = static_cast<int>(static_cast<std::int64_t>(x) * sourceWidth / targetWidth);
    const int last = static_cast<int>(static_cast<std::int64_t>(x + 1) * sourceWidth / targetWidth);
    firstColumn_[x] = std::min(first, sourceWidth - 1);
    lastColumn_[x] = std::max(last, firstColumn_[x] + 1);
    narrow_ = narrow_ && lastColumn_[x] - firstColumn_[x] <= 2;
  }
  rowSums_.resize(static_cast<std::size_t>(sourceWidth) * 3);
  preparedSource_ = sourceWidth;
  preparedTarget_ = targetWidth;
}

void AreaScaler::Scale(const std::uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride,
                       std::uint8_t* target, int targetWidth, int targetHeight, int targetStride) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return;
  Prepare(sourceWidth, targetWidth);
  const std::size_t sumCount = static_cast<std::size_t>(sourceWidth) * 3;
  std::uint32_t* sums = rowSums_.data();
  for (int y = 0; y < targetHeight; ++y) {
    // The source rows under this output row, summed column by column.
    const int firstRow =
        std::min(static_cast<int>(static_cast<std::int64_t>(y) * sourceHeight / targetHeight), sourceHeight - 1);
    const int lastRow =
        std::max(static_cast<int>(static_cast<std::int64_t>(y + 1) * sourceHeight / targetHeight), firstRow + 1);
    const std::uint8_t* first = source + static_cast<std::ptrdiff_t>(firstRow) * sourceStride;
    for (std::size_t i = 0; i < sumCount; ++i) sums[i] = first[i];
    for (int row = firstRow + 1; row < lastRow; ++row) {
      const std::uint8_t* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
      for (std::size_t i = 0; i < sumCount; ++i) sums[i] += in[i];
    }
    const std::uint32_t rows = static_cast<std::uint32_t>(lastRow - firstRow);
    std::uint8_t* out = target + static_cast<std::ptrdiff_t>(y) * targetStride;
    if (narrow_) {
      // One or two columns per pixel: a one-column span counts its column
      // twice, so every pixel divides by the same count.
      const std::uint32_t count = rows * 2;
      const std::uint32_t reciprocal = ((1u << 22) + count / 2) / count;
      for (int x = 0; x < targetWidth; ++x) {
        const std::uint32_t* a = sums + 3 * firstColumn_[x];
        const std::uint32_t* b = sums + 3 * (lastColumn_[x] - 1);
        for (int c = 0; c < 3; ++c)
          out[3 * x + c] = static_cast<std::uint8_t>(((a[c] + b[c]) * reciprocal + (1u << 21)) >> 22);
      }
      continue;
    }
    for (int x = 0; x < targetWidth; ++x) {
      std::uint32_t blue = 0, green = 0, red = 0;
      for (int column = firstColumn_[x]; column < lastColumn_[x]; ++column) {
        blue += sums[3 * column];
        green += sums[3 * column + 1];
        red += sums[3 * column + 2];
      }
      const std::uint32_t count = rows * static_cast<std::uint32_t>(lastColumn_[x] - firstColumn_[x]);
      out[3 * x] = static_cast<std::uint8_t>((blue + count / 2) / count);
      out[3 * x + 1] = static_cast<std::uint8_t>((green + count / 2) / count);
      out[3 * x + 2] = static_cast<std::uint8_t>((red + count / 2) / count);
    }
  }
}

FilterResult TVX_Resizer::CheckInputType(const TMediaType& type) {
  return type.major == MediaMajor::Video && type.subtype == MediaSubtype::Rgb24 ? FilterResult::Deliver
                                                                                : FilterResult::Refuse;
}

std::optional<TMediaType> TVX_Resizer::OutputType(const TMediaType& input) {
  TMediaType output = input;
  if (!configured()) return output;
  const ::OutputSize size =
      ResizerOutputSize(input.width, input.height, mode(), demiTaille.load(), aspectX.load(), aspectY.load());
  if (size.width <= 0 || size.height <= 0) return std::nullopt;
  output.width = size.width;
  output.height = size.height;
  output.stride = RowBytes(size.width);
  return output;
}

std::size_t TVX_Resizer::OutputSize(const TMediaType& output, std::size_t inputSize) const {
  if (output.width <= 0 || output.height <= 0) return inputSize;
  return static_cast<std::size_t>(RowBytes(output.width)) * output.height;
}

FilterResult TVX_Resizer::Transform(const TMediaSample& input, TMediaSample& output) {
  const TMediaType* in = input.type;
  const TMediaType* out = output.type;
  if (!in || !out || !input.data || !output.data) return FilterResult::Drop;
  const bool active = in->width != out->width || in->height != out->height;
  if (!active) {
    const std::size_t bytes = std::min(input.size, output.size);
    std::memcpy(output.data, input.data, bytes);
    output.size = bytes;
    return FilterResult::Deliver;
  }
  const int inStride = in->stride > 0 ? in->stride : RowBytes(in->width);
  const int outStride = out->stride > 0 ? out->stride : RowBytes(out->width);
  if (input.size < static_cast<std::size_t>(inStride) * (in->height - 1) + static_cast<std::size_t>(in->width) * 3 ||
      output.size < static_cast<std::size_t>(outStride) * out->height)
    return FilterResult::Drop;  // a buffer smaller than its picture is not drawn from
  scaler_.Scale(input.data, in->width, in->height, inStride, output.data, out->width, out->height, outStride);
  output.size = static_cast<std::size_t>(outStride) * out->height;
  return FilterResult::Deliver;
}
