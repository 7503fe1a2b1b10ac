// "tessivo_dvaudioembed": writes the sound into the DV frames that pass.
// Pads "video_sink" (whole DV frames), "audio_sink" (16-bit stereo at 48 kHz)
// and "src" (the frames, with their sound). Each frame takes the samples of
// its duration (1920 pairs at 25 frames/s; 1600 or 1602 at 29.97); when the
// sound lags the frame gets silence, and sound piling up beyond two seconds
// is let go, so the pictures never wait for it.
#pragma once

#include <gst/gst.h>

inline constexpr char kDvAudioEmbedElement[] = "tessivo_dvaudioembed";
// Registers the element in the program's plug-in (tessivoelements.h).
bool RegisterDvAudioEmbed(GstPlugin* plugin);

// Sample pairs carried by frame n of a system: 1920 at 25 frames/s; at 29.97
// frames/s 8008 pairs over five frames, 1600 on the first and 1602 on the
// four others.
int DvSamplesForFrame(bool pal, unsigned long long frame);
