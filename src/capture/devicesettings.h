// What a capture device lets the user set beyond its picture format: its
// inputs (a capture card's crossbar), its picture controls, its tuner and TV
// sound, a sound card's inputs, a deck's tape transport. A V4L2 device
// answers them with ioctls on its node, the sound server with its source's
// ports, a camcorder with AV/C commands, a simulated device with its own
// state; the settings dialogs and the source selection only see these
// interfaces.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IV4l2Inputs;
class IDeckTransport;

// One picture control (brightness, contrast...), as VIDIOC_QUERY_EXT_CTRL
// describes it.
struct TVideoControl {
  enum class Type { Integer, Boolean, Menu, Button } type = Type::Integer;
  std::uint32_t id = 0;
  std::string name;
  std::int64_t minimum = 0, maximum = 0, step = 1, defaultValue = 0;
  std::vector<std::pair<std::int64_t, std::string>> menu;  // value, caption
  bool readOnly = false;
};

class IVideoControls {
 public:
  virtual ~IVideoControls() = default;
  virtual std::vector<TVideoControl> Controls() const = 0;
  virtual bool Value(std::uint32_t id, std::int64_t& value) const = 0;
  virtual bool SetValue(std::uint32_t id, std::int64_t value) = 0;
};

// A TV tuner and the video standard of the card's inputs.
class ITvTuner {
 public:
  virtual ~ITvTuner() = default;
  virtual std::vector<std::string> Standards() const = 0;  // "PAL", "SECAM", "NTSC"...
  virtual int Standard() const = 0;                        // index in Standards(), -1 unknown
  virtual bool SetStandard(int index) = 0;
  // In kHz; false when the card has no tuner.
  virtual bool Frequency(std::uint32_t& kiloHertz) const = 0;
  virtual bool SetFrequency(std::uint32_t kiloHertz) = 0;
  // 0 to 100; -1 unknown.
  virtual int Signal() const = 0;
  // The TV sound modes ("Mono", "Stéréo"...) and the current one.
  virtual std::vector<std::string> AudioModes() const = 0;
  virtual int AudioMode() const = 0;
  virtual bool SetAudioMode(int index) = 0;
};

// The inputs of a sound card ("Line In", "Mic"): one is enabled at a time.
class ISoundPorts {
 public:
  virtual ~ISoundPorts() = default;
  virtual std::vector<std::string> Ports() const = 0;
  virtual std::string ActivePort() const = 0;
  virtual bool SetActivePort(const std::string& port) = 0;
};

// Whatever of the above a device has; each answer lives as long as this
// object.
class IDeviceSettings {
 public:
  virtual ~IDeviceSettings() = default;
  virtual IV4l2Inputs* Inputs() { return nullptr; }
  virtual IVideoControls* PictureControls() { return nullptr; }
  virtual ITvTuner* Tuner() { return nullptr; }
  virtual ISoundPorts* SoundPorts() { return nullptr; }
  // A camcorder or deck whose tape can be driven; shared with whoever
  // drives it, which may outlive the device.
  virtual std::shared_ptr<IDeckTransport> Transport() { return {}; }
};

// A camcorder's settings: its tape transport alone.
class TDeckSettings : public IDeviceSettings {
 public:
  explicit TDeckSettings(std::shared_ptr<IDeckTransport> transport) : transport_(std::move(transport)) {}
  std::shared_ptr<IDeckTransport> Transport() override { return transport_; }

 private:
  std::shared_ptr<IDeckTransport> transport_;
};

// The settings of a V4L2 node, opened on each use of the object (the node
// accepts several openers); none when it cannot be opened.
std::shared_ptr<IDeviceSettings> V4l2DeviceSettings(const std::string& devicePath);
// The ports of a sound server's source, by its name; none without a sound
// server.
std::shared_ptr<IDeviceSettings> PulseSourceSettings(const std::string& sourceName);
// The capture switches of an ALSA card, by its number (no sound server).
std::shared_ptr<IDeviceSettings> AlsaCardSettings(int card);
