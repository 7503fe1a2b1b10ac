// TVX_Resizer scales 24-bit (BGR) pictures to a size derived from the input
// size, an aspect mode and the half-height rule, in front of the MPEG-4
// encoder. It averages the area each output pixel covers; when the size does
// not change it copies the picture.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "media/filters/filtercontract.h"

struct OutputSize {
  int width = 0;
  int height = 0;
  bool operator==(const OutputSize&) const = default;
};

// Mode 0 keeps the source's picture aspect X:Y (when known), 1 gives 4:3,
// 2 gives 16:9, 3 keeps the source's pixels (halved when taller than 288
// lines with the half-height rule); any other mode keeps the input size.
OutputSize ResizerOutputSize(int width, int height, int mode, bool demiTaille, int aspectX, int aspectY);

// Averages the source area under each destination pixel (BGR, strides
// honoured). The column spans are kept between calls.
class AreaScaler {
 public:
  void Scale(const std::uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride, std::uint8_t* target,
             int targetWidth, int targetHeight, int targetStride);

 private:
  void Prepare(int sourceWidth, int targetWidth);
  std::vector<int> firstColumn_, lastColumn_;  // per output column, end exclusive
  std::vector<std::uint32_t> rowSums_;
  int preparedSource_ = -1, preparedTarget_ = -1;
  bool narrow_ = false;  // no pixel covers more than two source columns
};

class TVX_Resizer : public TTransformFilter {
 public:
  TVX_Resizer() = default;

  FilterResult CheckInputType(const TMediaType& type) override;
  std::optional<TMediaType> OutputType(const TMediaType& input) override;
  std::size_t OutputSize(const TMediaType& output, std::size_t inputSize) const override;
  FilterResult Transform(const TMediaSample& input, TMediaSample& output) override;

  void SetResizeMode(int mode) {
    mode_.store(mode, std::memory_order_relaxed);
    configured_.store(true, std::memory_order_relaxed);
  }
  int mode() const { return mode_.load(std::memory_order_relaxed); }
  bool configured() const { return configured_.load(std::memory_order_relaxed); }
  // Set by the graph builder from the source and the preferences.
  std::atomic<int> aspectX{0}, aspectY{0};
  std::atomic<bool> demiTaille{true};

 private:
  std::atomic<bool> configured_{false};
  std::atomic<int> mode_{0};
  AreaScaler scaler_;  // streaming thread only
};
