// Devices for a machine without capture hardware: a DV camcorder (a tape of
// PAL DV frames with a time code and a recording date that advance with the
// tape and jump to a new scene every 20 seconds, with a two-tone sound, and a
// transport that plays, pauses, winds and searches it), a webcam (a
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
#include <map>
#include <functional>
#include <memory>

#include "capture/capturesources.h"

inline constexpr int kSimulatedSceneSeconds = 20;
// The sound card's tones on its two inputs.
inline constexpr int kSimulatedLineHertz = 660;
inline constexpr int kSimulatedMicHertz = 440;

struct TSimulatedCard;
class TSimulatedTape;
class IDeckTransport;
struct TSimulatedSoundCard;

class TSimulatedDeviceProvider : public TDeviceProvider {
 public:
  explicit TSimulatedDeviceProvider(int camcorders = 1);
  ~TSimulatedDeviceProvider() override;
  std::vector<TDeviceMoniker> Devices() override;

  // The camcorder's source: a bin whose output is whole interleaved DV
  // frames (video/x-dv, systemstream=true), paced at 25 frames a second;
  // with a tape, the frames are the tape's where it is.
  static gst::ElementPtr MakeCamcorder(int number, std::shared_ptr<TSimulatedTape> tape = {});
  // The tape in camcorder `number`, kept for as long as the provider lives.
  std::shared_ptr<TSimulatedTape> Tape(int number);
  // Camcorder `number` answers its transport commands through `deck`
  // instead of its tape's (a deck that answers slowly, or not at all); the
  // pictures still come from the tape. Applies to the next listing.
  void ReplaceTransport(int number, std::shared_ptr<IDeckTransport> deck);

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
  std::map<int, std::shared_ptr<TSimulatedTape>> tapes_;
  std::map<int, std::shared_ptr<IDeckTransport>> decks_;
};
