// What the capture benchmarks share: the simulated camcorder previewed on an
// engine, and the longest wait between two preview pictures, overall and
// since a mark, read at the renderer's input (what a user sees as a freeze).
#pragma once

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>

#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "platform/gstreamer.h"

// The simulated camcorder's picture and sound previewed; the sources live as
// long as this object.
class CamcorderPreview {
 public:
  explicit CamcorderPreview(TCaptureEngine& engine) : engine_(engine) {
    list_.Refresh(TSimulatedDeviceProvider(1).Devices(), [](TDeviceKind k) { return k == dkDV; });
    video_ = VideoSourcesOf(list_);
    audio_ = AudioSourcesOf(list_);
    ok_ = !video_.empty() && !audio_.empty() && ActivateVideoSource(engine, *video_.front()) &&
          ActivateAudioSource(engine, *audio_.front());
  }
  // The sources go before the engine does: none stays current in it.
  ~CamcorderPreview() {
    Stop(engine_);
    if (engine_.context.CurrentVideoSource) DeactivateVideoSource(engine_, *engine_.context.CurrentVideoSource, true);
    if (engine_.context.CurrentAudioSource) DeactivateAudioSource(engine_, *engine_.context.CurrentAudioSource, true);
  }
  CamcorderPreview(const CamcorderPreview&) = delete;
  CamcorderPreview& operator=(const CamcorderPreview&) = delete;
  bool ok() const { return ok_; }

 private:
  TCaptureEngine& engine_;
  TCaptureDeviceList list_;
  std::vector<std::unique_ptr<TVideoSource>> video_;
  std::vector<std::unique_ptr<TAudioSource>> audio_;
  bool ok_ = false;
};

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

