// The crossbar of a V4L2 capture card: one level, its video inputs and its
// sound inputs switched to the card's one picture output and one sound
// output. Each video input's audio set names the sound that goes with it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/crossbar.h"

struct TV4l2Input {
  std::string name;
  bool tuner = false;
  std::uint32_t audioset = 0;  // bit k: sound input k goes with it
};

struct TV4l2Audio {
  std::string name;
};

// What the card answers; the device node or a test's fake.
class IV4l2Inputs {
 public:
  virtual ~IV4l2Inputs() = default;
  virtual std::vector<TV4l2Input> VideoInputs() const = 0;
  virtual std::vector<TV4l2Audio> AudioInputs() const = 0;
  virtual bool SelectVideo(int index) = 0;
  virtual bool SelectAudio(int index) = 0;
};

// VIDIOC_ENUMINPUT / ENUMAUDIO / S_INPUT / S_AUDIO on an open device node;
// the descriptor stays its caller's.
std::unique_ptr<IV4l2Inputs> V4l2DeviceInputs(int fd);

// The physical type of a video input: 1 for a tuner, else by its name
// (Composite 2, S-Video 3, RGB 4, Component 5, SCART 14), else 9.
long V4l2PhysicalType(const TV4l2Input& input);

class TV4l2Crossbar : public ICrossbar {
 public:
  // Outputs: 0 the picture, 1 the sound. Inputs: the video inputs, then the
  // sound inputs.
  explicit TV4l2Crossbar(IV4l2Inputs& card);

  int OutputCount() const override { return 2; }
  int InputCount() const override { return static_cast<int>(video_.size() + audio_.size()); }
  long PhysicalType(bool input, int index) const override;
  int RelatedPin(bool input, int index) const override;
  bool CanRoute(int output, int input) const override;
  bool Route(int output, int input) override;
  std::optional<TCrossbarOutput> Upstream(int) const override { return std::nullopt; }

 private:
  bool IsVideo(int input) const { return input >= 0 && input < static_cast<int>(video_.size()); }
  bool IsAudio(int input) const { return input >= static_cast<int>(video_.size()) && input < InputCount(); }
  IV4l2Inputs& card_;
  std::vector<TV4l2Input> video_;
  std::vector<TV4l2Audio> audio_;
};
