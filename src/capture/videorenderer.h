// The end of the preview picture: an appsink taking BGR frames, keeping only
// the latest one for the window that shows it. The streaming thread never
// waits for the window: a frame not yet shown is replaced by the next.
#pragma once

#include <QImage>
#include <atomic>
#include <functional>
#include <mutex>

#include "platform/gstreamer.h"
#include "platform/noncopyable.h"

class TVideoRenderer : NonCopyable {
 public:
  TVideoRenderer();
  ~TVideoRenderer();

  GstElement* element() const { return sink_.get(); }

  // The latest frame (a null image before the first one).
  QImage LatestFrame() const;
  // Width over height of a pixel of the latest frame (16/15 for PAL DV).
  double PixelAspect() const;
  std::uint64_t framesReceived() const { return received_.load(); }
  // Called on the streaming thread when a frame arrives and the previous one
  // was taken: the window posts itself a repaint. The call is made under the
  // renderer's lock, so once SetFrameReady returns the old callback is done.
  void SetFrameReady(std::function<void()> callback);
  // Frees the latest frame (the window was hidden).
  void Clear();

 private:
  static GstFlowReturn OnSample(GstElement* sink, gpointer self);
  gst::ElementPtr sink_;
  mutable std::mutex lock_;
  QImage latest_;
  QImage spare_;  // the last frame but one, when nobody holds it
  bool shuffle_ = false;  // the processor shuffles bytes (SSSE3)
  double pixelAspect_ = 1.0;
  std::function<void()> frameReady_;
  mutable std::atomic<bool> pending_{false};
  std::atomic<std::uint64_t> received_{0};
};
