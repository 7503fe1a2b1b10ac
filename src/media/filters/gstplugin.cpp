// The own elements as a plug-in file, for any GStreamer pipeline:
//   GST_PLUGIN_PATH=<folder> gst-launch-1.0 ... ! vx_scenedetect ! ...
#include <gst/gst.h>

#include "media/filters/tessivoelements.h"

#define PACKAGE "tessivo"

static gboolean PluginInit(GstPlugin* plugin) { return RegisterTessivoElements(plugin); }

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, tessivo, "Tessivo's own filters", PluginInit, "6.1.3",
                  "Proprietary", "tessivo", "https://tessivo.invalid")
