// One picture of a pipeline description into the preview's renderer, the
// way the preview gives it: for tests and benchmarks of what the window
// shows.
#pragma once

#include "capture/videorenderer.h"
#include "platform/gstreamer.h"

// `description` ends with an element named "last", whose output goes to the
// renderer. True once the renderer holds a picture.
inline bool FeedRenderer(TVideoRenderer& renderer, const char* description) {
  const auto pipeline = gst::ElementPtr::Sink(gst_parse_launch(description, nullptr));
  if (!pipeline) return false;
  GstElement* sink = renderer.element();
  gst_bin_add(GST_BIN(pipeline.get()), GST_ELEMENT(gst_object_ref(sink)));
  const gst::ElementPtr last(gst_bin_get_by_name(GST_BIN(pipeline.get()), "last"));
  const bool linked = last && gst_element_link(last.get(), sink);
  g_object_set(sink, "sync", FALSE, nullptr);
  if (linked) gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  const gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
  const gst::MessagePtr done(gst_bus_timed_pop_filtered(
      bus.get(), linked ? 10 * GST_SECOND : 0, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  gst_bin_remove(GST_BIN(pipeline.get()), sink);
  return linked && !renderer.LatestFrame().isNull();
}
