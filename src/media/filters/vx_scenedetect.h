// Tvx_SceneDetect sits right after a DV camcorder source, on the interleaved
// DV stream. It accepts DV only, never changes the picture, and numbers the
// frames (media times). For each whole frame it decodes the metadata packs,
// finds scene boundaries from jumps in the recording date, reports each
// finished scene to a callback, announces 16:9 changes to the main window and
// keeps the header blocks of the last 100 frames for the overlay and DV
// header filters.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "media/filters/filtercontract.h"
#include "media/formats/dvcodes.h"
#include "media/formats/dvframeinfo.h"

class Tvx_SceneDetect : public TTransInPlaceFilter {
 public:
  static constexpr int kHistorySize = 100;
  static constexpr std::size_t kHeaderBytes = dv::kScannedSequences * dv::kHeaderBlocksBytes;  // 4800
  static constexpr long long kDateJumpSeconds = 2;
  static constexpr std::uint32_t kFrameGap = 12;

  struct HistorySlot {
    DvFrameInfo info;
    std::array<std::uint8_t, kHeaderBytes> headers{};  // DIF blocks 0-5 of sequences 0-9
    ReferenceTime startTime = 0;
    // The streaming run that wrote the slot: a slot from an earlier run must
    // not be taken for this one.
    std::atomic<std::uint32_t> run{0};
  };

  using SceneCallback = std::function<void(const DvFrameInfo& sceneStart, const DvFrameInfo& current)>;

  Tvx_SceneDetect();

  FilterResult CheckInputType(const TMediaType& type) override;
  FilterResult Transform(TMediaSample& sample) override;
  // Closes the last scene through the callback, then starts afresh.
  void Stop() override;

  void SetSceneCallback(SceneCallback callback);

  // Read from other threads while streaming.
  double currentRecordingDate() const { return currentDate_.load(std::memory_order_relaxed); }
  bool currentHasDate() const { return currentHasDate_.load(std::memory_order_relaxed); }
  std::uint8_t currentVideoSystem() const { return currentSystem_.load(std::memory_order_relaxed); }
  // Makes the next frame announce its 16:9 state again.
  void AnnounceWideScreenAgain() { announceAgain_.store(true, std::memory_order_relaxed); }

  // The history ring: `writeIndex` is the newest slot; the overlay filter sets
  // `readIndex` for the DV header filter.
  const HistorySlot& slot(int index) const { return history_[static_cast<std::size_t>(index) % kHistorySize]; }
  std::atomic<int> writeIndex{0};
  std::atomic<int> readIndex{0};
  std::uint32_t run() const { return run_.load(std::memory_order_relaxed); }
  bool SlotWrittenThisRun(int index) const { return slot(index).run.load(std::memory_order_acquire) == run(); }

  // The records, for the streaming thread and tests.
  const DvFrameInfo& current() const { return current_; }
  const DvFrameInfo& previous() const { return previous_; }
  const DvFrameInfo& sceneStart() const { return sceneStart_; }
  // The next frame announces its 16:9 state again. Called while the graph
  // is stopped.
  void ForgetWide() { previous_.isWide = false; }

 private:
  void Reset();
  void Decode(const std::uint8_t* frame, std::size_t length);
  void DecideScene();
  void CallScene();
  void Store(const std::uint8_t* frame, std::size_t length, ReferenceTime start);

  DvFrameInfo current_, previous_, sceneStart_;
  double lastDate_ = 0.0;
  bool haveLastDate_ = false;
  bool firstFrame_ = true;
  std::array<HistorySlot, kHistorySize> history_;
  std::atomic<std::uint32_t> run_{1};

  std::mutex callbackMutex_;  // the callback is swapped from the application thread
  SceneCallback sceneCallback_;

  std::atomic<double> currentDate_{0.0};
  std::atomic<bool> currentHasDate_{false};
  std::atomic<std::uint8_t> currentSystem_{dv::kSystemUnknown};
  std::atomic<bool> announceAgain_{false};
};
