// "tessivo_bgrtoi420": the overlaid BGR picture to the 4:2:0 planes the
// Windows Media encoder takes, same size and rate, several times quicker
// than the general converter on this pair of formats.
#pragma once

#include <gst/gst.h>

inline constexpr char kBgrToI420Element[] = "tessivo_bgrtoi420";
// Registers the element in the program's plug-in (tessivoelements.h).
bool RegisterBgrToI420(GstPlugin* plugin);
