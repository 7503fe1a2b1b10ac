// A disk that fills up under a writer, for the tests of what a recording
// does when its writes fail.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/gstreamer.h"

// The disk under the writer stops taking data after some bytes: what comes
// next fails as a write does, and the writer says so.
class FailingDisk {
 public:
  FailingDisk(GstElement* writer, std::size_t bytes) {
    const gst::PadObjectPtr pad(gst_element_get_static_pad(writer, "sink"));
    probe_ = gst::PadProbe(
        pad.get(), GST_PAD_PROBE_TYPE_BUFFER,
        [writer, bytes, taken = std::size_t{0}, said = false](GstPad*, GstPadProbeInfo* info) mutable {
          taken += gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info));
          if (taken <= bytes) return GST_PAD_PROBE_OK;
          if (!std::exchange(said, true)) {
            const gst::ErrorPtr error(
                g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NO_SPACE_LEFT, "No space left on device"));
            gst_element_post_message(writer, gst_message_new_error(GST_OBJECT(writer), error.get(), nullptr));
          }
          gst_mini_object_unref(GST_MINI_OBJECT(GST_PAD_PROBE_INFO_DATA(info)));
          GST_PAD_PROBE_INFO_DATA(info) = nullptr;
          GST_PAD_PROBE_INFO_FLOW_RETURN(info) = GST_FLOW_ERROR;
          return GST_PAD_PROBE_HANDLED;
        });
  }

 private:
  gst::PadProbe probe_;
};
