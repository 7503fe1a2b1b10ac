// "tessivo_dvavisink": a sink writing the interleaved DV frames it receives
// into a type-1 DV AVI (OpenDML past 1 GiB). Property "location"; the file
// is complete once the end of the stream has reached it.
#pragma once

#include <gst/gst.h>

inline constexpr char kDvAviSinkElement[] = "tessivo_dvavisink";
// Registers the element in the program's plug-in (tessivoelements.h).
bool RegisterDvAviSink(GstPlugin* plugin);
