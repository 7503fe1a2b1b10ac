// A tape deck's transport as the program drives it: a mode sent, the mode
// read back, the time code under the heads. The mode values are the
// published external-device values the transport commands are defined with;
// each back end (AV/C on IEEE 1394, the simulated tape) maps them to its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace transport {

inline constexpr int kModePlay = 4296;
inline constexpr int kModeStop = 4297;
inline constexpr int kModeFreeze = 4298;
inline constexpr int kModeFastForward = 4300;
inline constexpr int kModeRewind = 4301;
inline constexpr int kModeRecord = 4302;
inline constexpr int kModePlayFastestForward = 5029;
inline constexpr int kModePlaySlowestForward = 5030;
inline constexpr int kModePlayFastestReverse = 5031;
inline constexpr int kModePlaySlowestReverse = 5032;

// What the device says it is.
enum class DeviceType { Unknown = 0, Vcr = 4104, Camera = 4996 };

// The time code's packed BCD digits 0xHHMMSSFF as "H:MM:SS:FF": the hours
// without a leading zero.
std::string TimecodeText(std::uint32_t bcd);
// "HH:MM:SS:FF" (or with ';' or '.' between) to packed BCD; none when the
// text is not a time code.
std::optional<std::uint32_t> TimecodeFromText(const std::string& text);
// A frame count at a whole frame rate to packed BCD, and back.
std::uint32_t TimecodeFromFrames(std::int64_t frames, int framesPerSecond);

}  // namespace transport

// One deck. Calls may block for as long as the deck takes to answer: they
// are made off the window thread, one at a time.
class IDeckTransport {
 public:
  virtual ~IDeckTransport() = default;
  virtual bool SetMode(int mode) = 0;
  // False when the deck did not answer.
  virtual bool Mode(int& mode) = 0;
  virtual bool HasTimecodeReader() const { return true; }
  virtual bool Timecode(std::uint32_t& bcd) = 0;
  // Known without asking the deck again.
  virtual transport::DeviceType Type() const = 0;
};
