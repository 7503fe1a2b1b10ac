#include "control/stillgrab.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>
#include <cmath>

#include "control/sessioncontrol.h"
#include "media/filters/vx_superposer.h"
#include "media/formats/stillwriter.h"
#include "platform/shellutils.h"
#include "texts.h"

Q_LOGGING_CATEGORY(lcStills, "tessivo.stills")

namespace {

constexpr std::int64_t kUnitsPerSecond = 10000;  // 100 µs
constexpr double kDefaultFps = 25.0;
constexpr int kPreviewBoxWidth = 192, kPreviewBoxHeight = 144, kPreviewLeft = 32, kPreviewBottom = 163;

// Frees the overlay's slot when the still has been taken from it, whatever
// happens next.
class SlotRelease {
 public:
  SlotRelease(Tvx_Superposer& overlay, int slot) : overlay_(overlay), slot_(slot) {}
  ~SlotRelease() { Release(); }
  SlotRelease(const SlotRelease&) = delete;
  SlotRelease& operator=(const SlotRelease&) = delete;
  void Release() {
    if (slot_ >= 0) overlay_.ReleaseGrabSlot(slot_);
    slot_ = -1;
  }

 private:
  Tvx_Superposer& overlay_;
  int slot_;
};

TImageView ViewOf(QImage& image) {
  return {image.bits(), image.width(), image.height(), static_cast<int>(image.bytesPerLine()), 3};
}

TImageView ViewOf(const QImage& image) {
  // The source is only read.
  return {const_cast<std::uint8_t*>(image.constBits()), image.width(), image.height(),
          static_cast<int>(image.bytesPerLine()), 3};
}

}  // namespace

TStillGrabber::TStillGrabber(Tvx_Superposer& overlay, TGrabHooks hooks) : overlay_(overlay), hooks_(std::move(hooks)) {}

TStillGrabber::~TStillGrabber() {
  for (const int slot : waiting_) overlay_.ReleaseGrabSlot(slot);
}

std::int64_t TStillGrabber::UnitFactor(int unit, double fps) {
  switch (std::clamp(unit, 0, 3)) {
    case 0:
      return kUnitsPerSecond;
    case 1: {
      const double rate = fps > 0 ? fps : kDefaultFps;
      return std::max<std::int64_t>(1, std::llround(double(kUnitsPerSecond) / rate));
    }
    case 2:
      return 60 * kUnitsPerSecond;
    default:
      return 3600 * kUnitsPerSecond;
  }
}

std::int64_t TStillGrabber::IntervalUnits(int unit, std::int64_t value, double fps) {
  return UnitFactor(unit, fps) * std::clamp<std::int64_t>(value, 0, kMaximumIntervalValue);
}

QSize TStillGrabber::StillSize(const QSize& grabbed, int a, int b) {
  int width = grabbed.width(), height = grabbed.height();
  shell::FitSizeToRatio(width, height, a, b);
  return {std::max(1, width), std::max(1, height)};
}

QRect TStillGrabber::PreviewBounds(const QSize& still) {
  const std::int64_t w = std::max(1, still.width()), h = std::max(1, still.height());
  int width = kPreviewBoxWidth, height = kPreviewBoxHeight;
  if (w * kPreviewBoxHeight < h * kPreviewBoxWidth)
    width = static_cast<int>(w * kPreviewBoxHeight / h);
  else
    height = static_cast<int>(h * kPreviewBoxWidth / w);
  return {kPreviewLeft + (kPreviewBoxWidth - width) / 2, kPreviewBottom - height, width, height};
}

void TStillGrabber::FrameReady(int slot) {
  if (slot < 0 || slot >= Tvx_Superposer::kGrabSlots) return;
  waiting_.push_back(slot);
  if (processing_) return;  // a question about an earlier still is open
  processing_ = true;
  while (!waiting_.empty()) {
    const int next = waiting_.front();
    waiting_.pop_front();
    Process(next);
  }
  processing_ = false;
}

void TStillGrabber::Process(int slot) {
  SlotRelease release(overlay_, slot);
  try {
    if (!overlay_.SlotFull(slot)) return;
    if (hooks_.imageByImage && hooks_.imageByImage()) {
      if (hooks_.imageGrabbed) hooks_.imageGrabbed();
      return;
    }
    MakeStill(slot);
    release.Release();
    if (hooks_.showStill) hooks_.showStill(still_);
    Save();
  } catch (const std::exception& error) {
    qCWarning(lcStills) << "still of slot" << slot << "lost:" << error.what();
  } catch (...) {
    qCWarning(lcStills) << "still of slot" << slot << "lost";
  }
}

void TStillGrabber::MakeStill(int slot) {
  const QImage& picture = overlay_.GrabbedPicture(slot);
  if (grabbed_.size() != picture.size() || grabbed_.format() != QImage::Format_BGR888)
    grabbed_ = QImage(picture.size(), QImage::Format_BGR888);
  if (hooks_.deinterlace && hooks_.deinterlace())
    deinterlacer_.Deinterlace(ViewOf(picture), ViewOf(grabbed_));
  else
    grabbed_ = picture.copy();
  const QSize ratio = hooks_.aspect ? hooks_.aspect() : QSize();
  const QSize size = StillSize(grabbed_.size(), ratio.width(), ratio.height());
  still_ = size == grabbed_.size() ? grabbed_.copy()
                                   : grabbed_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void TStillGrabber::Save() {
  const QString name = hooks_.nomImage();
  if (name.isEmpty()) return;
  if (hooks_.confirmImage() && QFileInfo::exists(name)) {
    const TAnswer answer =
        hooks_.ask(QString::fromUtf8(texts::kImageExists).arg(QFileInfo(name).fileName()), true);
    if (answer == TAnswer::No) return;
    if (answer == TAnswer::All) hooks_.clearConfirmImage();
  }
  // A missing folder is made, as for the videos.
  QDir().mkpath(QFileInfo(name).absolutePath());
  if (QFileInfo::exists(name)) hooks_.toTrash(name);
  const TStillType type = hooks_.extension() >= 1 ? TStillType::Jpeg : TStillType::Bmp;
  if (const QString reason = WriteStill(still_, type, hooks_.quality(), name); !reason.isEmpty()) {
    qCWarning(lcStills) << "still not written" << name << reason;
    if (!failureTold_) {
      failureTold_ = true;
      hooks_.tell(QString::fromUtf8(texts::kImageNotSaved).arg(name, reason));
    }
    return;
  }
  failureTold_ = false;
  TDataFichier record;
  record.fileName = name;
  record.ReadDirectoryEntry();
  const QStringList panel = hooks_.panelTexts ? hooks_.panelTexts() : QStringList();
  record.videoSource = panel.value(0);
  record.audioSource = panel.value(1);
  record.audioEntry = panel.value(2);
  record.format = panel.value(3);
  record.framesCaptured = 1;
  record.framesDropped = -1;
  if (hooks_.listed) hooks_.listed(record);
  hooks_.nomImageSuivant();
}
