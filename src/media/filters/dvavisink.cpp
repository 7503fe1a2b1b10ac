#include "media/filters/dvavisink.h"

#include <gst/base/gstbasesink.h>

#include <string>

#include "media/formats/dvaviwriter.h"

namespace {

struct DvAviSink {
  GstBaseSink parent;
  TDvAviWriter* writer;
  gchar* location;
};

struct DvAviSinkClass {
  GstBaseSinkClass parent;
};

enum { kPropLocation = 1 };

DvAviSink* Self(gpointer object) { return reinterpret_cast<DvAviSink*>(object); }

GstStaticPadTemplate kSinkTemplate =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-dv,systemstream=true"));

gboolean Finish(DvAviSink* self) {
  if (!self->writer->isOpen()) return TRUE;
  if (self->writer->Close()) return TRUE;
  GST_ELEMENT_ERROR(self, RESOURCE, WRITE, ("Le fichier « %s » n'a pas pu être terminé.", self->location),
                    ("%s", self->writer->error().c_str()));
  return FALSE;
}

gboolean Start(GstBaseSink* sink) {
  DvAviSink* self = Self(sink);
  if (!self->location) {
    GST_ELEMENT_ERROR(self, RESOURCE, NOT_FOUND, ("Aucun fichier indiqué."), (nullptr));
    return FALSE;
  }
  if (self->writer->Open(self->location)) return TRUE;
  GST_ELEMENT_ERROR(self, RESOURCE, OPEN_WRITE, ("Impossible de créer « %s ».", self->location),
                    ("%s", self->writer->error().c_str()));
  return FALSE;
}

gboolean StopWriting(GstBaseSink* sink) { return Finish(Self(sink)); }

GstFlowReturn Render(GstBaseSink* sink, GstBuffer* buffer) {
  DvAviSink* self = Self(sink);
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_FLOW_ERROR;
  const bool written = self->writer->WriteFrame(map.data, map.size);
  gst_buffer_unmap(buffer, &map);
  if (written) return GST_FLOW_OK;
  GST_ELEMENT_ERROR(self, RESOURCE, WRITE, ("Erreur d'écriture dans « %s ».", self->location),
                    ("%s", self->writer->error().c_str()));
  return GST_FLOW_ERROR;
}

gboolean Event(GstBaseSink* sink, GstEvent* event) {
  // The file is finished as the end of the stream arrives.
  if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) Finish(Self(sink));
  return GST_BASE_SINK_CLASS(g_type_class_peek(GST_TYPE_BASE_SINK))->event(sink, event);
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  if (id != kPropLocation) {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
    return;
  }
  g_free(Self(object)->location);
  Self(object)->location = g_value_dup_string(value);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  if (id == kPropLocation)
    g_value_set_string(value, Self(object)->location);
  else
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void Finalize(GObject* object) {
  delete Self(object)->writer;
  g_free(Self(object)->location);
  G_OBJECT_CLASS(g_type_class_peek(GST_TYPE_BASE_SINK))->finalize(object);
}

void InstanceInit(GTypeInstance* instance, gpointer) {
  Self(instance)->writer = new TDvAviWriter();
  Self(instance)->location = nullptr;
  gst_base_sink_set_sync(GST_BASE_SINK(instance), FALSE);
  gst_base_sink_set_async_enabled(GST_BASE_SINK(instance), FALSE);
}

void ClassInit(gpointer klass, gpointer) {
  auto* object = G_OBJECT_CLASS(klass);
  object->set_property = SetProperty;
  object->get_property = GetProperty;
  object->finalize = Finalize;
  g_object_class_install_property(
      object, kPropLocation,
      g_param_spec_string("location", "Location", "The file to write", nullptr,
                          static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kSinkTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo type-1 DV AVI writer", "Sink/File",
                                        "Writes interleaved DV frames into a type-1 DV AVI (OpenDML)", "Orbelin");
  auto* base = GST_BASE_SINK_CLASS(klass);
  base->start = Start;
  base->stop = StopWriting;
  base->render = Render;
  base->event = Event;
}

GType DvAviSinkType() {
  static GType type = [] {
    const GTypeInfo info = {sizeof(DvAviSinkClass), nullptr, nullptr,      ClassInit, nullptr, nullptr,
                            sizeof(DvAviSink),      0,       InstanceInit, nullptr};
    return g_type_register_static(GST_TYPE_BASE_SINK, "TessivoDvAviSink", &info, GTypeFlags(0));
  }();
  return type;
}

}  // namespace

bool RegisterDvAviSink(GstPlugin* plugin) {
  return gst_element_register(plugin, kDvAviSinkElement, GST_RANK_NONE, DvAviSinkType());
}
