// The simulated camcorder's tape: where its heads are, how fast it moves in
// each transport mode, and what leaves the deck there (a picture while it
// plays, pauses or searches; nothing while it is stopped or winding; sound
// only at normal play). The tape runs on its own clock, as a deck does,
// whether anyone reads its frames or not, and stops at either end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

#include "capture/transport.h"

class TSimulatedTape : public IDeckTransport {
 public:
  static constexpr int kFramesPerSecond = 25;
  static constexpr std::int64_t kDefaultLength = std::int64_t{3} * 3600 * kFramesPerSecond;  // three hours
  static constexpr double kWindSpeed = 20.0;
  static constexpr double kFastestSpeed = 10.0;
  static constexpr double kSlowestSpeed = 0.1;

  // The time now; empty: the steady clock.
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  explicit TSimulatedTape(std::int64_t lengthFrames = kDefaultLength, Clock clock = {});

  bool SetMode(int mode) override;
  bool Mode(int& mode) override;
  bool Timecode(std::uint32_t& bcd) override;
  transport::DeviceType Type() const override { return transport::DeviceType::Vcr; }

  // The frame under the heads now and what the deck gives of it.
  struct Frame {
    std::int64_t index = 0;
    bool picture = false;
    bool sound = false;
  };
  Frame Current();
  double Position();
  int mode();

 private:
  void Advance();  // the position brought to now; the caller holds the lock
  static double SpeedOf(int mode);

  std::mutex mutex_;
  Clock clock_;
  std::int64_t length_;
  double position_ = 0.0;
  int mode_ = transport::kModePlay;
  std::chrono::steady_clock::time_point last_;
};
