// An element that cuts a DV byte stream into whole frames and writes a
// camcorder's packs into each: time code, and a recording date and time that
// advance with the frame, jumping to a new scene every 20 seconds, and the
// camcorder's sound. Given a tape, each frame shows the tape's position
// and follows its transport. The simulated camcorder is built on it.
#pragma once

#include <gst/gst.h>

#include <memory>

class TSimulatedTape;

// Registers "tessivo_dvframer" in-process; safe to call again.
bool RegisterDvFramer();
inline constexpr char kDvFramerElement[] = "tessivo_dvframer";
// The tape the framer follows; set before its first frame.
void SetFramerTape(GstElement* framer, std::shared_ptr<TSimulatedTape> tape);
// The pictures are marked 16:9 from that second of the stream on; below 0,
// never (the default). Set before the first frame.
void SetFramerWideFrom(GstElement* framer, int second);
