#include "media/filters/bgrtoi420element.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#include "media/filters/elementshell.h"
#include "media/formats/bgrtoi420.h"

namespace {

GstStaticPadTemplate kSinkTemplate = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(GST_VIDEO_CAPS_MAKE("BGR")));
GstStaticPadTemplate kSrcTemplate = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS(GST_VIDEO_CAPS_MAKE("I420")));

// The element keeps nothing of its own between frames.
class TBgrToI420State {
 public:
  explicit TBgrToI420State(GstElement*) {}
};

using Shell = ElementShell<GstVideoFilter, GstVideoFilterClass, TBgrToI420State>;

// The other side's caps: the same size, rate and interlacing in the other
// format; the colour description is the converter's own.
GstCaps* TransformCaps(GstBaseTransform*, GstPadDirection direction, GstCaps* caps, GstCaps* filter) {
  GstCaps* result = gst_caps_new_empty();
  const char* format = direction == GST_PAD_SINK ? "I420" : "BGR";
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
    GstStructure* s = gst_structure_copy(gst_caps_get_structure(caps, i));
    gst_structure_set(s, "format", G_TYPE_STRING, format, nullptr);
    gst_structure_remove_fields(s, "colorimetry", "chroma-site", nullptr);
    result = gst_caps_merge_structure(result, s);
  }
  if (filter) {
    GstCaps* narrowed = gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(result);
    result = narrowed;
  }
  return result;
}

GstFlowReturn TransformFrame(GstVideoFilter*, GstVideoFrame* in, GstVideoFrame* out) {
  const int width = GST_VIDEO_FRAME_WIDTH(in), height = GST_VIDEO_FRAME_HEIGHT(in);
  if (width != GST_VIDEO_FRAME_WIDTH(out) || height != GST_VIDEO_FRAME_HEIGHT(out)) return GST_FLOW_NOT_NEGOTIATED;
  const TImageView picture{static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(in, 0)), width, height,
                           GST_VIDEO_FRAME_PLANE_STRIDE(in, 0), 3};
  const TI420Planes planes{static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(out, 0)),
                           static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(out, 1)),
                           static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(out, 2)),
                           GST_VIDEO_FRAME_PLANE_STRIDE(out, 0), GST_VIDEO_FRAME_PLANE_STRIDE(out, 1),
                           GST_VIDEO_FRAME_PLANE_STRIDE(out, 2)};
  BgrToI420(picture, planes, GST_VIDEO_INFO_IS_INTERLACED(&in->info));
  return GST_FLOW_OK;
}

void ClassInit(gpointer klass) {
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kSinkTemplate);
  gst_element_class_add_static_pad_template(element, &kSrcTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo BGR to I420", "Filter/Converter/Video",
                                        "Converts 24-bit BGR pictures to planar 4:2:0 (BT.601, studio range)",
                                        "Orbelin");
  auto* transform = GST_BASE_TRANSFORM_CLASS(klass);
  transform->transform_caps = TransformCaps;
  transform->passthrough_on_same_caps = FALSE;
  GST_VIDEO_FILTER_CLASS(klass)->transform_frame = TransformFrame;
}

}  // namespace

bool RegisterBgrToI420(GstPlugin* plugin) {
  return gst_element_register(plugin, kBgrToI420Element, GST_RANK_NONE,
                              Shell::Type(GST_TYPE_VIDEO_FILTER, "TessivoBgrToI420", ClassInit));
}
