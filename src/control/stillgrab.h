// Stills grabbed from the overlay filter's ring: each frame ready is turned
// into the still (de-interlaced, fitted to the display aspect), shown, and
// saved under the next image name; during a time-lapse capture it lets one
// frame into the file instead. The interval timer's units and the preview's
// place on the grab panel are worked out here too. Window thread only.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>

#include "control/sessionfiles.h"
#include "media/formats/deinter.h"

class Tvx_Superposer;
enum class TAnswer;

struct TGrabHooks {
  // The time-lapse capture takes the frames: one lets a frame in.
  std::function<bool()> imageByImage;
  std::function<void()> imageGrabbed;
  std::function<bool()> deinterlace;  // "Internal Deinterlacer"
  // The shape the still takes, a:b; 0:0 keeps the grabbed size.
  std::function<QSize()> aspect;
  std::function<void(const QImage& still)> showStill;
  // The next image's name, and the name after it (advancing the counter).
  std::function<QString()> nomImage;
  std::function<QString()> nomImageSuivant;
  std::function<int()> extension;  // "Extension des images": 0 BMP, 1 JPEG
  std::function<int()> quality;    // "Qualité jpeg"
  std::function<bool()> confirmImage;
  std::function<void()> clearConfirmImage;
  std::function<TAnswer(const QString& text, bool withAll)> ask;
  std::function<void(const QString& text)> tell;
  std::function<bool(const QString& file)> toTrash;
  std::function<QStringList()> panelTexts;
  std::function<void(const TDataFichier& file)> listed;
};

class TStillGrabber {
 public:
  TStillGrabber(Tvx_Superposer& overlay, TGrabHooks hooks);
  ~TStillGrabber();
  TStillGrabber(const TStillGrabber&) = delete;
  TStillGrabber& operator=(const TStillGrabber&) = delete;

  // The overlay filled this slot. Frames that arrive while a question about
  // an earlier one is open wait, their slots held, and follow it in order.
  void FrameReady(int slot);

  const QImage& still() const { return still_; }
  int waiting() const { return static_cast<int>(waiting_.size()); }
  // A save failed and the user was told: later failures are only logged
  // until one succeeds.
  bool failureTold() const { return failureTold_; }

  // 100 µs units per interval unit (secondes, frames, minutes, heures);
  // frames follow the frame rate, 25 frames/s when it is not known.
  static std::int64_t UnitFactor(int unit, double fps);
  // The whole interval; the unit comes to the nearest valid one and the
  // value to 0..999999.
  static std::int64_t IntervalUnits(int unit, std::int64_t value, double fps);
  // The grabbed size shrunk on one side to a:b; unchanged without a ratio.
  static QSize StillSize(const QSize& grabbed, int a, int b);
  // Where the preview of a still of that size goes on the grab panel.
  static QRect PreviewBounds(const QSize& still);

  static constexpr int kMaximumIntervalValue = 999999;

 private:
  void Process(int slot);
  void MakeStill(int slot);
  void Save();

  Tvx_Superposer& overlay_;
  TGrabHooks hooks_;
  TDeinterlacer deinterlacer_;
  QImage grabbed_, still_;
  std::deque<int> waiting_;
  bool processing_ = false;
  bool failureTold_ = false;
};
