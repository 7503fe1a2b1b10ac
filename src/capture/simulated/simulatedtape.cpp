#include "capture/simulated/simulatedtape.h"

#include <algorithm>
#include <cmath>

using namespace transport;

TSimulatedTape::TSimulatedTape(std::int64_t lengthFrames, Clock clock)
    : clock_(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })),
      length_(std::max<std::int64_t>(1, lengthFrames)),
      last_(clock_()) {}

double TSimulatedTape::SpeedOf(int mode) {
  switch (mode) {
    case kModePlay:
      return 1.0;
    case kModeFastForward:
      return kWindSpeed;
    case kModeRewind:
      return -kWindSpeed;
    case kModePlayFastestForward:
      return kFastestSpeed;
    case kModePlayFastestReverse:
      return -kFastestSpeed;
    case kModePlaySlowestForward:
      return kSlowestSpeed;
    case kModePlaySlowestReverse:
      return -kSlowestSpeed;
    default:
      return 0.0;
  }
}

void TSimulatedTape::Advance() {
  const auto now = clock_();
  const double seconds = std::chrono::duration<double>(now - last_).count();
  last_ = now;
  const double speed = SpeedOf(mode_);
  if (speed == 0.0 || seconds <= 0.0) return;
  const double end = static_cast<double>(length_ - 1);
  position_ += speed * seconds * kFramesPerSecond;
  if (position_ <= 0.0 || position_ >= end) {
    position_ = std::clamp(position_, 0.0, end);
    mode_ = kModeStop;
  }
}

bool TSimulatedTape::SetMode(int mode) {
  const std::lock_guard lock(mutex_);
  Advance();
  switch (mode) {
    case kModePlay:
    case kModeStop:
    case kModeFreeze:
    case kModeFastForward:
    case kModeRewind:
    case kModePlayFastestForward:
    case kModePlayFastestReverse:
    case kModePlaySlowestForward:
    case kModePlaySlowestReverse:
      mode_ = mode;
      return true;
    default:
      return false;  // the tape is write-protected
  }
}

bool TSimulatedTape::Mode(int& mode) {
  mode = this->mode();
  return true;
}

int TSimulatedTape::mode() {
  const std::lock_guard lock(mutex_);
  Advance();
  return mode_;
}

double TSimulatedTape::Position() {
  const std::lock_guard lock(mutex_);
  Advance();
  return position_;
}

bool TSimulatedTape::Timecode(std::uint32_t& bcd) {
  bcd = TimecodeFromFrames(static_cast<std::int64_t>(std::floor(Position())), kFramesPerSecond);
  return true;
}

TSimulatedTape::Frame TSimulatedTape::Current() {
  const std::lock_guard lock(mutex_);
  Advance();
  Frame frame;
  frame.index = static_cast<std::int64_t>(std::floor(position_));
  frame.picture = mode_ != kModeStop && mode_ != kModeFastForward && mode_ != kModeRewind;
  frame.sound = mode_ == kModePlay;
  return frame;
}
