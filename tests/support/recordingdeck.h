// A tape deck for the tests: it keeps every mode it is sent and answers
// from a mode and a time code the test sets; it can take its time, have no
// time-code reader, answer nothing, or say it is a camera.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/transport.h"

class RecordingDeck : public IDeckTransport {
 public:
  bool SetMode(int mode) override {
    Delay();
    const std::lock_guard lock(mutex_);
    sent_.push_back(mode);
    mode_ = mode;
    return true;
  }
  bool Mode(int& mode) override {
    Delay();
    const std::lock_guard lock(mutex_);
    mode = mode_;
    return answers_;
  }
  bool HasTimecodeReader() const override { return reader_; }
  bool Timecode(std::uint32_t& bcd) override {
    Delay();
    ++reads_;
    bcd = code_;
    return answers_;
  }
  transport::DeviceType Type() const override { return type_; }

  std::vector<int> sent() const {
    const std::lock_guard lock(mutex_);
    return sent_;
  }
  void setMode(int mode) {
    const std::lock_guard lock(mutex_);
    mode_ = mode;
  }
  std::atomic<std::uint32_t> code_{0};
  std::atomic<bool> answers_{true};
  std::atomic<bool> reader_{true};
  std::atomic<int> delayMs_{0};
  std::atomic<int> reads_{0};
  transport::DeviceType type_ = transport::DeviceType::Vcr;

 private:
  void Delay() const {
    if (delayMs_) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_.load()));
  }
  mutable std::mutex mutex_;
  std::vector<int> sent_;
  int mode_ = transport::kModeStop;
};
