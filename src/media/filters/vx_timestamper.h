// Tvx_TimeStamper gates a branch of any media type: while frozen it drops
// every sample; it can also strip the samples' times.
#pragma once

#include <atomic>

#include "media/filters/filtercontract.h"

class Tvx_TimeStamper : public TTransInPlaceFilter {
 public:
  Tvx_TimeStamper() : TTransInPlaceFilter(false) {}

  FilterResult CheckInputType(const TMediaType&) override { return FilterResult::Deliver; }
  FilterResult Transform(TMediaSample& sample) override;

  void SetDropAll(bool drop) { dropAll_.store(drop, std::memory_order_relaxed); }
  void SetStripTimes() { stripTimes_.store(true, std::memory_order_relaxed); }
  void SetPassThrough() { stripTimes_.store(false, std::memory_order_relaxed); }
  bool dropAll() const { return dropAll_.load(std::memory_order_relaxed); }
  bool stripTimes() const { return stripTimes_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> dropAll_{false};
  std::atomic<bool> stripTimes_{false};
};
