#include "media/filters/vx_controlunit.h"

FilterResult Tvx_ControlFilter::Transform(TMediaSample& sample) {
  // One permission lets one sample through, however often it was given.
  if (!pass.exchange(false, std::memory_order_acq_rel)) return FilterResult::Drop;
  if (restamp_.load(std::memory_order_relaxed)) {
    sample.start = nextStart_;
    sample.stop = nextStart_ + frameStep.load(std::memory_order_relaxed);
    nextStart_ = *sample.stop;
  }
  if (forceSyncPoint.load(std::memory_order_relaxed)) sample.syncPoint = true;
  if (forceDiscontinuity.load(std::memory_order_relaxed)) sample.discontinuity = true;
  return FilterResult::Deliver;
}

void Tvx_ControlFilter::Stop() { pass.store(true, std::memory_order_release); }

void Tvx_ControlFilter::EndOfStreamDelivered() {
  if (onStopped) onStopped();
}
