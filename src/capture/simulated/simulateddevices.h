// Devices for a machine without capture hardware: a DV camcorder (live PAL DV
// frames with a time code and a recording date that follows the clock and
// jumps to a new scene every 20 seconds, with a two-tone sound), a webcam (a
// moving test pattern, 640x480 at 30 frames a second), an MPEG-2 device (a
// program stream at 352x288, the size the encoder keeps up with here), a
// capture card (Composite, S-Video and Tuner inputs, PAL, SECAM or NTSC, with
// picture controls) and a sound card (a tone on its "Line In" port, another
// on "Mic"). They are offered when no real device is found, or always with
// TESSIVO_SIMULATED_DEVICES set (its number is how many camcorders).
//
// The provider is the simulated machine: its devices keep their settings for
// as long as it lives, and they can be unplugged and plugged in again.
#pragma once

#include <QSet>
#include <functional>
#include <memory>

#include "capture/capturesources.h"

inline constexpr int kSimulatedSceneSeconds = 20;
// The sound card's tones on its two inputs.
inline constexpr int kSimulatedLineHertz = 660;
inline constexpr int kSimulatedMicHertz = 440;

struct TSimulatedCard;
struct TSimulatedSoundCard;

class TSimulatedDeviceProvider : public TDeviceProvider {
 public:
  explicit TSimulatedDeviceProvider(int camcorders = 1);
  ~TSimulatedDeviceProvider() override;
  std::vector<TDeviceMoniker> Devices() override;

  // The camcorder's source: a bin whose output is whole interleaved DV
  // frames (video/x-dv, systemstream=true), paced at 25 frames a second.
  static gst::ElementPtr MakeCamcorder(int number);

  // How many simulated camcorders the environment asks for; 0 when it asks
  // for none (the variable is unset).
  static int RequestedCamcorders();

  // Unplugging takes the device out of the listing; a source of it that is
  // running reports the loss (a resource error from its element), as a
  // device pulled out does. Both tell `onChange`.
  void Unplug(const QString& identity);
  void Replug(const QString& identity);
  // Adds a webcam whose source can never be made, as a device that is
  // listed but cannot be opened.
  void AddFailingDevice();
  std::function<void(const QString& identity, bool added)> onChange;

  static constexpr char kWebcam[] = "simulated:webcam";
  static constexpr char kCard[] = "simulated:card";
  static constexpr char kSoundCard[] = "simulated:soundcard";
  static constexpr char kFailing[] = "simulated:failing";

 private:
  struct Live;

  int camcorders_;
  bool failing_ = false;
  QSet<QString> unplugged_;
  std::shared_ptr<TSimulatedCard> card_;
  std::shared_ptr<TSimulatedSoundCard> soundCard_;
  std::shared_ptr<Live> live_;
};
