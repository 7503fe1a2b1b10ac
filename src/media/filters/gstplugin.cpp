// The own elements as a plug-in file, for any GStreamer pipeline:
//   GST_PLUGIN_PATH=<folder> gst-launch-1.0 ... ! vx_scenedetect ! ...
#include <gst/gst.h>

#include "media/filters/tessivoelements.h"

#define PACKAGE "tessivo"

#include <QGuiApplication>

// The overlay draws its text with Qt, which needs an application object; a
// pipeline outside Tessivo gets one on the offscreen platform.
static void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "gst-tessivo";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  (void)application;
}

static gboolean PluginInit(GstPlugin* plugin) {
  EnsureQtApplication();
  return RegisterTessivoElements(plugin);
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, tessivo, "Tessivo's own filters", PluginInit, "6.1.3",
                  "Proprietary", "tessivo", "https://tessivo.invalid")
