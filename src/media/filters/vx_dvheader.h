// Tvx_DVheader sits after a DV encoder that re-encodes the overlaid picture
// and gives each new frame back the camcorder's subcode and VAUX blocks
// (time code, recording date), taken from the scene detector's history slot
// that the overlay filter matched to this frame; it can also mark every frame
// 16:9. It accepts DV only and changes the frame in place.
#pragma once

#include <atomic>

#include "media/filters/filtercontract.h"

class Tvx_SceneDetect;

class Tvx_DVheader : public TTransInPlaceFilter {
 public:
  Tvx_DVheader() : TTransInPlaceFilter(true) {}

  FilterResult CheckInputType(const TMediaType& type) override;
  FilterResult Transform(TMediaSample& sample) override;

  void SetWideMode(std::uint8_t mode) { wideMode_.store(mode, std::memory_order_relaxed); }
  std::atomic<Tvx_SceneDetect*> sceneDetector{nullptr};

 private:
  std::atomic<std::uint8_t> wideMode_{0};
};
