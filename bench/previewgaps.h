// The longest wait between two preview pictures, overall and since a mark,
// read at the renderer's input: what a user sees as a freeze.
#pragma once

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>

#include "platform/gstreamer.h"

// When each preview picture arrived; the longest wait between two, overall
// and since the last Mark().
class PreviewGaps {
 public:
  using Clock = std::chrono::steady_clock;

  explicit PreviewGaps(GstElement* renderer) {
    const gst::PadObjectPtr pad(gst_element_get_static_pad(renderer, "sink"));
    probe_ = gst::PadProbe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, [this](GstPad*, GstPadProbeInfo*) {
      const std::lock_guard lock(mutex_);
      const Clock::time_point now = Clock::now();
      if (last_) {
        const double gap = std::chrono::duration<double, std::milli>(now - *last_).count();
        longest_ = std::max(longest_, gap);
        sinceMark_ = std::max(sinceMark_, gap);
      }
      last_ = now;
      return GST_PAD_PROBE_OK;
    });
  }
  void Mark() {
    const std::lock_guard lock(mutex_);
    sinceMark_ = 0;
  }
  double sinceMark() const {
    const std::lock_guard lock(mutex_);
    return sinceMark_;
  }
  double longest() const {
    const std::lock_guard lock(mutex_);
    return longest_;
  }

 private:
  mutable std::mutex mutex_;
  std::optional<Clock::time_point> last_;
  double longest_ = 0, sinceMark_ = 0;
  gst::PadProbe probe_;
};

