#include "platform/soundoutput.h"

#include <gst/app/gstappsrc.h>

#include <QLoggingCategory>

#include "platform/gstreamer.h"

Q_LOGGING_CATEGORY(lcSound, "tessivo.sound")

namespace sound {

bool PlayClip(const PcmClip& clip, std::chrono::milliseconds timeout) {
  gst::EnsureInitialised();
  gst::ErrorOut error;
  const auto pipeline = gst::ElementPtr::Sink(gst_parse_launch(
      "appsrc name=src format=time ! audioconvert ! audioresample ! autoaudiosink name=out", error.out()));
  if (error) {
    qCWarning(lcSound) << "no sound output:" << error.message().c_str();
    return false;
  }
  gst::ElementPtr source(gst_bin_get_by_name(GST_BIN(pipeline.get()), "src"));
  const char* format = clip.bitsPerSample == 8 ? "U8" : "S16LE";
  gst::CapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, format, "rate", G_TYPE_INT,
                                        clip.sampleRate, "channels", G_TYPE_INT, clip.channels, "layout", G_TYPE_STRING,
                                        "interleaved", nullptr));
  gst_app_src_set_caps(GST_APP_SRC(source.get()), caps.get());

  GstBuffer* buffer = gst_buffer_new_memdup(clip.samples.constData(), clip.samples.size());
  const int bytesPerFrame = clip.channels * clip.bitsPerSample / 8;
  GST_BUFFER_PTS(buffer) = 0;
  GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(clip.samples.size() / bytesPerFrame, GST_SECOND, clip.sampleRate);
  gst_app_src_push_buffer(GST_APP_SRC(source.get()), buffer);
  gst_app_src_end_of_stream(GST_APP_SRC(source.get()));

  if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    qCInfo(lcSound) << "sound output unavailable, beep not played";
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return false;
  }
  gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
  const GstClockTime wait = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
  const gst::MessagePtr message(
      gst_bus_timed_pop_filtered(bus.get(), wait, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
  bool played = false;
  if (message) {
    played = GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS;
    if (!played) qCInfo(lcSound) << "sound output failed, beep not played";
  } else {
    qCInfo(lcSound) << "beep did not finish in time";
  }
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  return played;
}

}  // namespace sound
