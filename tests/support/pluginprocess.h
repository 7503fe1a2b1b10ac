#pragma once

#include <QProcessEnvironment>
#include <QString>

// The environment of a GStreamer tool (gst-launch-1.0, gst-inspect-1.0) that
// must find the plug-in file built beside the tests, with a registry of its
// own. In a sanitizer build the plug-in needs the sanitizer runtimes, which
// the tools do not carry: they are preloaded.
QProcessEnvironment PluginProcessEnvironment(const QString& registryFile);
