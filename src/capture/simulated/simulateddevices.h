// Devices for a machine without capture hardware: a DV camcorder (live PAL DV
// frames with a time code and a recording date that follows the clock and
// jumps to a new scene every 20 seconds, with a two-tone sound), a webcam (a
// moving test pattern, 640x480 at 30 frames a second), an MPEG-2 device (a program stream at 352x288, the size
// the encoder keeps up with here) and a
// sound card (a tone, 48 kHz stereo). They are offered when no real device is
// found, or always with TESSIVO_SIMULATED_DEVICES set (its number is how many
// camcorders).
#pragma once

#include "capture/capturesources.h"

inline constexpr int kSimulatedSceneSeconds = 20;

class TSimulatedDeviceProvider : public TDeviceProvider {
 public:
  explicit TSimulatedDeviceProvider(int camcorders = 1) : camcorders_(camcorders) {}
  std::vector<TDeviceMoniker> Devices() override;

  // The camcorder's source: a bin whose output is whole interleaved DV
  // frames (video/x-dv, systemstream=true), paced at 25 frames a second.
  static gst::ElementPtr MakeCamcorder(int number);

  // How many simulated camcorders the environment asks for; 0 when it asks
  // for none (the variable is unset).
  static int RequestedCamcorders();

 private:
  int camcorders_;
};
