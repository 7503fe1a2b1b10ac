// Tvx_Superposer works on the decoded picture (BGR, top-down rows, any
// stride) of the preview and capture graphs. Per frame it turns and mirrors
// the picture as asked, draws two lines of text (the camcorder's recording
// date, its time code, the clock, or the user's templates) with a black
// outline according to the timing rule, and grabs frames into a ring of 20
// pictures for the main window. With a scene detector it matches each frame
// to the detector's history by time and tells the DV header filter which
// slot belongs to the frame.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "media/filters/filtercontract.h"
#include "settings/incrustrec.h"

class Tvx_SceneDetect;
struct DvFrameInfo;

// A line of text with its outline, drawn once and blended on every frame
// until its text or style changes.
struct RenderedLine {
  QString text;
  QString fontName;
  int pixelHeight = 0;
  std::uint32_t color = 0;
  int border = 0;
  bool bold = false, italic = false, underline = false, strikeOut = false;
  QImage image;  // premultiplied ARGB, the text at (border, border)
  int textWidth = 0;
  bool SameStyle(const RenderedLine& other) const;
};

class Tvx_Superposer : public TTransformFilter {
 public:
  static constexpr int kGrabSlots = 20;
  static constexpr int kDefaultDurationFrames = 125;

  Tvx_Superposer();

  FilterResult CheckInputType(const TMediaType& type) override;
  void InputTypeSet(const TMediaType& type) override;
  void StartStreaming() override;
  FilterResult Transform(const TMediaSample& input, TMediaSample& output) override;

  // Settings, from the application thread.
  void setincrust(const TincrustRec& record);
  TincrustRec incrust() const {
    std::lock_guard lock(settingsMutex_);
    return settings_.record;
  }
  bool incrustEnabled() const {
    std::lock_guard lock(settingsMutex_);
    return settings_.enabled;
  }
  void whenincrust(int when, int seconds);
  void SetIncrustEnabled(bool enabled);
  void SetFlip(bool flip) { flip_.store(flip, std::memory_order_relaxed); }
  void SetMirror(bool mirror) { mirror_.store(mirror, std::memory_order_relaxed); }
  bool flip() const { return flip_.load(std::memory_order_relaxed); }
  bool mirror() const { return mirror_.load(std::memory_order_relaxed); }
  void RequestGrab() { grabRequested_.store(true, std::memory_order_release); }
  // Interval in 100 µs units.
  void StartIntervalGrab(std::int64_t interval);
  void StopIntervalGrab() { intervalActive_.store(false, std::memory_order_release); }

  std::atomic<Tvx_SceneDetect*> sceneDetector{nullptr};
  std::atomic<bool> sourceUpsideDown{false};
  std::atomic<bool> activerSuperposition{true};  // the "Activer Superposition" preference
  // The clock shown in mode 3, days since 1899-12-30; tests set their own.
  std::function<double()> clock;

  // The grab ring: the main window reads a full slot, then releases it.
  bool SlotFull(int slot) const { return grabFull_[slot].load(std::memory_order_acquire); }
  const QImage& GrabbedPicture(int slot) const { return grabs_[slot]; }
  void ReleaseGrabSlot(int slot) { grabFull_[slot].store(false, std::memory_order_release); }
  // Grabs lost because their slot was still full.
  std::uint64_t lostGrabs() const { return lostGrabs_.load(std::memory_order_relaxed); }

  // What was drawn on the last frame, for tests and the settings panel.
  QString line1() const;
  QString line2() const;
  int durationFrames() const { return durationFrames_.load(); }
  int fontPixelHeight() const;

 private:
  struct Settings {
    TincrustRec record;
    bool enabled = false;
    int when = 0;
  };
  void CopyPicture(const TMediaSample& input, TMediaSample& output, bool upsideDown) const;
  const DvFrameInfo* MatchDetectorSlot(ReferenceTime start);
  bool TextDue(const Settings& settings, int when);
  void UpdateDurationFrames();
  void BuildLines(const Settings& settings, const DvFrameInfo* frame);
  void DrawLines(const Settings& settings, std::uint8_t* picture, int stride);
  void Grab(const std::uint8_t* picture, int stride, const TMediaSample& input);
  void CopyToSlot(const std::uint8_t* picture, int stride);

  mutable std::mutex settingsMutex_;  // the record's texts are set from the application thread
  Settings settings_;
  std::atomic<int> durationSeconds_{-1};  // -1: never set, the frames stay as they are
  std::atomic<int> durationFrames_{kDefaultDurationFrames};
  std::atomic<int> countdown_{kDefaultDurationFrames - 1};
  std::atomic<bool> flip_{false}, mirror_{false};
  std::atomic<bool> grabRequested_{false}, intervalActive_{false};
  std::atomic<std::int64_t> interval_{0};

  // Streaming thread.
  TMediaType type_;
  double tapeDate_ = 0, previousTapeDate_ = 0, displayDate_ = 0, previousDisplayDate_ = 0;
  std::atomic<std::int64_t> nextGrabTime_{0};  // reset from the application thread
  std::int64_t lastSecondsShown_ = -1;
  int grabIndex_ = 0;
  std::array<QImage, kGrabSlots> grabs_;
  std::array<std::atomic<bool>, kGrabSlots> grabFull_{};
  std::atomic<std::uint64_t> lostGrabs_{0};
  RenderedLine rendered_[2];
  mutable std::mutex linesMutex_;  // the texts are read from the application thread
  QString lines_[2];
};
