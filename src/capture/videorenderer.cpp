#include "capture/videorenderer.h"

#include <gst/video/video.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <utility>

TVideoRenderer::TVideoRenderer() {
  gst::EnsureInitialised();
#if defined(__x86_64__) || defined(__i386__)
  shuffle_ = __builtin_cpu_supports("ssse3");
#endif
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

// 24-bit BGR pixels to 32-bit ones (B, G, R, 255 in memory: QImage's RGB32),
// sixteen bytes at a time where the processor can shuffle them.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("ssse3"))) void ExpandRowShuffled(const uchar* in, quint32* out, int pixels) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
  int x = 0;
  // Sixteen bytes read for twelve used: the last pixels go the plain way.
  for (; x + 6 <= pixels; x += 4) {
    const __m128i bgr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_shuffle_epi8(bgr, order), opaque));
  }
  for (; x < pixels; ++x) out[x] = 0xff000000u | in[3 * x] | in[3 * x + 1] << 8 | quint32{in[3 * x + 2]} << 16;
}
#endif

void ExpandRow(const uchar* in, quint32* out, int pixels, bool shuffle) {
#if defined(__x86_64__) || defined(__i386__)
  if (shuffle) return ExpandRowShuffled(in, out, pixels);
#endif
  for (int x = 0; x < pixels; ++x) out[x] = 0xff000000u | in[3 * x] | in[3 * x + 1] << 8 | quint32{in[3 * x + 2]} << 16;
}

}  // namespace

GstFlowReturn TVideoRenderer::OnSample(GstElement* sink, gpointer data) {
  auto* self = static_cast<TVideoRenderer*>(data);
  GstSample* sample = nullptr;
  g_signal_emit_by_name(sink, "pull-sample", &sample);
  if (!sample) return GST_FLOW_EOS;
  GstVideoInfo info;
  GstVideoFrame frame;
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
      !gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
    gst_sample_unref(sample);
    return GST_FLOW_OK;
  }
  // Copied into 32-bit pixels, which the window scales at half the cost of
  // 24-bit ones; the copy costs a tenth of a millisecond.
  const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
  // The image the window let go of is written again, not a new one made.
  QImage image;
  {
    const std::lock_guard guard(self->lock_);
    image = std::exchange(self->spare_, QImage());
  }
  if (image.size() != QSize(width, height) || !image.isDetached()) image = QImage(width, height, QImage::Format_RGB32);
  if (!image.isNull()) {
    const auto* in = static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    for (int y = 0; y < height; ++y)
      ExpandRow(in + static_cast<std::ptrdiff_t>(y) * stride, reinterpret_cast<quint32*>(image.scanLine(y)), width,
                self->shuffle_);
  }
  gst_video_frame_unmap(&frame);
  gst_sample_unref(sample);
  const double pixelAspect = GST_VIDEO_INFO_PAR_D(&info) > 0
                                 ? static_cast<double>(GST_VIDEO_INFO_PAR_N(&info)) / GST_VIDEO_INFO_PAR_D(&info)
                                 : 1.0;
  QImage previous;
  {
    const std::lock_guard guard(self->lock_);
    previous = std::exchange(self->latest_, std::move(image));
    if (previous.isDetached()) self->spare_ = std::move(previous);
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
