// An element that cuts a DV byte stream (the DV muxer's output) into whole
// frames and writes a camcorder's packs into each: time code, and a recording
// date and time that follow the clock, jumping to a new scene every
// `scene-seconds`. The simulated camcorder is built on it.
#pragma once

#include <gst/gst.h>

// Registers "tessivo_dvframer" in-process; safe to call again.
bool RegisterDvFramer();
inline constexpr char kDvFramerElement[] = "tessivo_dvframer";
