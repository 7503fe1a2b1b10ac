// Tvx_ControlFilter lets one sample through per permission (`pass`, set by
// the application, cleared here after one sample) and can re-stamp the
// samples it lets through with an evenly spaced clock: the frame-by-frame
// recording. Any media type.
#pragma once

#include <atomic>
#include <functional>

#include "media/filters/filtercontract.h"

class Tvx_ControlFilter : public TTransInPlaceFilter {
 public:
  Tvx_ControlFilter() : TTransInPlaceFilter(false) {}

  FilterResult CheckInputType(const TMediaType&) override { return FilterResult::Deliver; }
  FilterResult Transform(TMediaSample& sample) override;
  // The graph stops: the next sample may pass again.
  void Stop() override;
  // The file downstream has received the end of the stream: it is complete.
  void EndOfStreamDelivered() override;

  void SetRestamp(bool restamp) { restamp_.store(restamp, std::memory_order_relaxed); }

  std::atomic<bool> pass{true};
  std::atomic<ReferenceTime> frameStep{1};
  std::atomic<bool> forceSyncPoint{false};
  std::atomic<bool> forceDiscontinuity{false};
  // A file behind the gate is complete. Set before the graph runs; called on
  // the streaming thread when the end of the stream passes, and by a cut on
  // the thread that cuts.
  std::function<void()> onStopped;

  ReferenceTime nextStart() const { return nextStart_; }

 private:
  std::atomic<bool> restamp_{false};
  ReferenceTime nextStart_ = 0;  // keeps counting across captures
};
