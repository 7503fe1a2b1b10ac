#include "media/filters/dvavisink.h"

#include <gst/base/gstbasesink.h>

#include <string>

#include "media/filters/elementshell.h"
#include "media/formats/dvaviwriter.h"

namespace {

// The sink's state: where it writes and the writer. Properties are set from
// the application thread while stopped; the rest runs on the streaming
// thread.
class TDvAviSinkState {
 public:
  explicit TDvAviSinkState(GstElement* element) : element_(element) {
    gst_base_sink_set_sync(GST_BASE_SINK(element), FALSE);
    gst_base_sink_set_async_enabled(GST_BASE_SINK(element), FALSE);
  }

  std::string location;

  bool Start() {
    if (location.empty()) {
      GST_ELEMENT_ERROR(element_, RESOURCE, NOT_FOUND, ("No file to write to."), (nullptr));
      return false;
    }
    if (writer_.Open(location)) return true;
    GST_ELEMENT_ERROR(element_, RESOURCE, OPEN_WRITE, ("Cannot create \"%s\".", location.c_str()),
                      ("%s", writer_.error().c_str()));
    return false;
  }

  bool Finish() {
    if (!writer_.isOpen() || writer_.Close()) return true;
    GST_ELEMENT_ERROR(element_, RESOURCE, WRITE, ("Cannot finish \"%s\".", location.c_str()),
                      ("%s", writer_.error().c_str()));
    return false;
  }

  GstFlowReturn Render(GstBuffer* buffer) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_FLOW_ERROR;
    const bool written = writer_.WriteFrame(map.data, map.size);
    gst_buffer_unmap(buffer, &map);
    if (written) return GST_FLOW_OK;
    GST_ELEMENT_ERROR(element_, RESOURCE, WRITE, ("Cannot write to \"%s\".", location.c_str()),
                      ("%s", writer_.error().c_str()));
    return GST_FLOW_ERROR;
  }

 private:
  GstElement* element_;
  TDvAviWriter writer_;
};

using Shell = ElementShell<GstBaseSink, GstBaseSinkClass, TDvAviSinkState>;

enum { kPropLocation = 1 };

GstStaticPadTemplate kSinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv,systemstream=true"));

gboolean Event(GstBaseSink* sink, GstEvent* event) {
  // The file is finished as the end of the stream arrives.
  if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) Shell::Of(sink).Finish();
  return GST_BASE_SINK_CLASS(g_type_class_peek(GST_TYPE_BASE_SINK))->event(sink, event);
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  if (id != kPropLocation) {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
    return;
  }
  const char* location = g_value_get_string(value);
  Shell::Of(object).location = location ? location : "";
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  if (id == kPropLocation)
    g_value_set_string(value, Shell::Of(object).location.c_str());
  else
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void ClassInit(gpointer klass) {
  auto* object = G_OBJECT_CLASS(klass);
  object->set_property = SetProperty;
  object->get_property = GetProperty;
  g_object_class_install_property(
      object, kPropLocation,
      g_param_spec_string("location", "Location", "The file to write", nullptr,
                          static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kSinkTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo type-1 DV AVI writer", "Sink/File",
                                        "Writes interleaved DV frames into a type-1 DV AVI (OpenDML)", "Orbelin");
  auto* base = GST_BASE_SINK_CLASS(klass);
  base->start = [](GstBaseSink* sink) -> gboolean { return Shell::Of(sink).Start(); };
  base->stop = [](GstBaseSink* sink) -> gboolean { return Shell::Of(sink).Finish(); };
  base->render = [](GstBaseSink* sink, GstBuffer* buffer) { return Shell::Of(sink).Render(buffer); };
  base->event = Event;
}

}  // namespace

bool RegisterDvAviSink(GstPlugin* plugin) {
  return gst_element_register(plugin, kDvAviSinkElement, GST_RANK_NONE,
                              Shell::Type(GST_TYPE_BASE_SINK, "TessivoDvAviSink", ClassInit));
}
