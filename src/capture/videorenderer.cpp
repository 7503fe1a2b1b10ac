#include "capture/videorenderer.h"

#include <gst/video/video.h>

#include <utility>

TVideoRenderer::TVideoRenderer() {
  gst::EnsureInitialised();
  sink_ = gst::ElementPtr::Sink(gst_element_factory_make("appsink", nullptr));
  const gst::CapsPtr caps(gst_caps_from_string("video/x-raw,format=BGR"));
  // Frames come without times from the preview buffer: shown as they come.
  // The graph runs without waiting for a first picture (a slow source).
  g_object_set(sink_.get(), "caps", caps.get(), "emit-signals", TRUE, "sync", FALSE, "async", FALSE, "max-buffers", 1,
               "drop", TRUE, "enable-last-sample", FALSE, nullptr);
  g_signal_connect(sink_.get(), "new-sample", G_CALLBACK(&TVideoRenderer::OnSample), this);
}

TVideoRenderer::~TVideoRenderer() {
  g_signal_handlers_disconnect_by_data(sink_.get(), this);
  gst_element_set_state(sink_.get(), GST_STATE_NULL);
}

namespace {

// A mapped frame kept alive by the image that shows it.
struct MappedFrame {
  GstSample* sample;
  GstVideoFrame frame;
};

void ReleaseFrame(void* data) {
  auto* mapped = static_cast<MappedFrame*>(data);
  gst_video_frame_unmap(&mapped->frame);
  gst_sample_unref(mapped->sample);
  delete mapped;
}

}  // namespace

GstFlowReturn TVideoRenderer::OnSample(GstElement* sink, gpointer data) {
  auto* self = static_cast<TVideoRenderer*>(data);
  GstSample* sample = nullptr;
  g_signal_emit_by_name(sink, "pull-sample", &sample);
  if (!sample) return GST_FLOW_EOS;
  GstVideoInfo info;
  auto* mapped = new MappedFrame{sample, {}};
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
      !gst_video_frame_map(&mapped->frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
    gst_sample_unref(sample);
    delete mapped;
    return GST_FLOW_OK;
  }
  // No copy: the image holds the mapped buffer until it is replaced.
  QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped->frame, 0)),
               GST_VIDEO_FRAME_WIDTH(&mapped->frame), GST_VIDEO_FRAME_HEIGHT(&mapped->frame),
               GST_VIDEO_FRAME_PLANE_STRIDE(&mapped->frame, 0), QImage::Format_BGR888, &ReleaseFrame, mapped);
  const double pixelAspect = GST_VIDEO_INFO_PAR_D(&info) > 0
                                 ? static_cast<double>(GST_VIDEO_INFO_PAR_N(&info)) / GST_VIDEO_INFO_PAR_D(&info)
                                 : 1.0;
  QImage previous;
  {
    const std::lock_guard guard(self->lock_);
    previous = std::exchange(self->latest_, std::move(image));
    self->pixelAspect_ = pixelAspect > 0 ? pixelAspect : 1.0;
    self->received_.fetch_add(1);
    if (!self->pending_.exchange(true) && self->frameReady_) self->frameReady_();
  }
  return GST_FLOW_OK;
}

QImage TVideoRenderer::LatestFrame() const {
  const std::lock_guard guard(lock_);
  pending_ = false;
  return latest_;
}

double TVideoRenderer::PixelAspect() const {
  const std::lock_guard guard(lock_);
  return pixelAspect_;
}

void TVideoRenderer::SetFrameReady(std::function<void()> callback) {
  const std::lock_guard guard(lock_);
  frameReady_ = std::move(callback);
}

void TVideoRenderer::Clear() {
  const std::lock_guard guard(lock_);
  latest_ = QImage();
}
