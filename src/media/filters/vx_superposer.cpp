#include "media/filters/vx_superposer.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/filters/dateformat.h"
#include "media/filters/vx_scenedetect.h"
#include "media/formats/deinter.h"

namespace {

constexpr int kPositionScale = 1000;
constexpr int kAutoFontNumerator = 28;
constexpr int kAutoFontDenominator = 720;
constexpr int kMinimumAutoFontPixels = 16;
constexpr std::int64_t kGrabTimeDivisor = 1000;  // 100 ns to 100 µs
constexpr std::int64_t kUnitsPerSecond = 10000;  // 100 µs units in a second
constexpr double kSecondsPerDay = 86400.0;
const QString kNotAvailable = QStringLiteral("N/A");

double SystemClockDays() { return DaysOf(QDateTime::currentDateTime()); }

int DayOfMonth(double days) { return FormatDateTime("d", days).toInt(); }

// Greatest alpha within `radius` pixels along rows, then along columns: the
// union of the text drawn at every offset of a (2r+1)² square.
void Dilate(std::vector<std::uint8_t>& alpha, int width, int height, int radius) {
  if (radius <= 0) return;
  std::vector<std::uint8_t> row(alpha.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t best = 0;
      for (int dx = std::max(0, x - radius); dx <= std::min(width - 1, x + radius); ++dx)
        best = std::max(best, alpha[static_cast<std::size_t>(y) * width + dx]);
      row[static_cast<std::size_t>(y) * width + x] = best;
    }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t best = 0;
      for (int dy = std::max(0, y - radius); dy <= std::min(height - 1, y + radius); ++dy)
        best = std::max(best, row[static_cast<std::size_t>(dy) * width + x]);
      alpha[static_cast<std::size_t>(y) * width + x] = best;
    }
}

void Render(RenderedLine& line) {
  QFont font(line.fontName);
  font.setPixelSize(std::max(1, line.pixelHeight));
  font.setBold(line.bold);
  font.setItalic(line.italic);
  font.setUnderline(line.underline);
  font.setStrikeOut(line.strikeOut);
  const QFontMetrics metrics(font);
  line.textWidth = metrics.horizontalAdvance(line.text);
  const int b = line.border;
  const int width = line.textWidth + 2 * b + 2;
  const int height = metrics.height() + 2 * b;
  QImage mask(width, height, QImage::Format_Alpha8);
  mask.fill(0);
  {
    QPainter painter(&mask);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(b, b + metrics.ascent()), line.text);
  }
  std::vector<std::uint8_t> text(static_cast<std::size_t>(width) * height), outline;
  for (int y = 0; y < height; ++y)
    std::memcpy(&text[static_cast<std::size_t>(y) * width], mask.constScanLine(y), width);
  outline = text;
  Dilate(outline, width, height, b);
  // The colour is 0xBBGGRR; the outline is always black.
  const unsigned red = line.color & 0xFF, green = (line.color >> 8) & 0xFF, blue = (line.color >> 16) & 0xFF;
  line.image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < height; ++y) {
    auto* out = reinterpret_cast<QRgb*>(line.image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const unsigned t = text[static_cast<std::size_t>(y) * width + x];
      const unsigned o = b > 0 ? outline[static_cast<std::size_t>(y) * width + x] : 0;
      const unsigned alpha = t + o * (255 - t) / 255;
      out[x] = qRgba(red * t / 255, green * t / 255, blue * t / 255, alpha);
    }
  }
}

// Blends a premultiplied line onto the BGR picture, clipped to it.
void Blend(const QImage& line, int left, int top, std::uint8_t* picture, int width, int height, int stride) {
  const int firstRow = std::max(0, -top), lastRow = std::min(line.height(), height - top);
  const int firstColumn = std::max(0, -left), lastColumn = std::min(line.width(), width - left);
  for (int y = firstRow; y < lastRow; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(line.constScanLine(y));
    std::uint8_t* out = picture + static_cast<std::ptrdiff_t>(top + y) * stride + 3 * (left + firstColumn);
    for (int x = firstColumn; x < lastColumn; ++x, out += 3) {
      const QRgb pixel = in[x];
      const unsigned alpha = qAlpha(pixel);
      if (alpha == 0) continue;
      const unsigned keep = 255 - alpha;
      out[0] = static_cast<std::uint8_t>(qBlue(pixel) + (out[0] * keep + 127) / 255);
      out[1] = static_cast<std::uint8_t>(qGreen(pixel) + (out[1] * keep + 127) / 255);
      out[2] = static_cast<std::uint8_t>(qRed(pixel) + (out[2] * keep + 127) / 255);
    }
  }
}

QString ExpandTemplate(QString text, const QString& date, const QString& timeCode, const QString& clock) {
  text.replace(QStringLiteral("%D"), date, Qt::CaseInsensitive);
  text.replace(QStringLiteral("%T"), timeCode, Qt::CaseInsensitive);
  text.replace(QStringLiteral("%R"), clock, Qt::CaseInsensitive);
  return text;
}

}  // namespace

bool RenderedLine::SameStyle(const RenderedLine& other) const {
  return text == other.text && fontName == other.fontName && pixelHeight == other.pixelHeight && color == other.color &&
         border == other.border && bold == other.bold && italic == other.italic && underline == other.underline &&
         strikeOut == other.strikeOut;
}

Tvx_Superposer::Tvx_Superposer() : clock(SystemClockDays) {
  settings_.record.font = TFontRec{QStringLiteral("Arial"), 21, 0xFFFFFF, true};
}

FilterResult Tvx_Superposer::CheckInputType(const TMediaType& type) {
  return type.major == MediaMajor::Video && type.subtype == MediaSubtype::Rgb24 ? FilterResult::Deliver
                                                                                : FilterResult::Refuse;
}

void Tvx_Superposer::InputTypeSet(const TMediaType& type) {
  // The duration asked for before the rate was known is turned into frames
  // now; whenincrust reads the rate under the same lock.
  std::lock_guard lock(settingsMutex_);
  type_ = type;
  UpdateDurationFrames();
}

void Tvx_Superposer::StartStreaming() {
  countdown_.store(durationFrames_.load() - 1);
  nextGrabTime_.store(0);
  lastSecondsShown_ = -1;
}

void Tvx_Superposer::UpdateDurationFrames() {
  if (durationSeconds_.load() < 0 || type_.frameRateNumerator <= 0 || type_.frameRateDenominator <= 0) return;
  const double frameDuration = 1e7 * type_.frameRateDenominator / type_.frameRateNumerator;
  durationFrames_.store(static_cast<int>(std::lround(durationSeconds_.load() * 1e7 / frameDuration)));
}

void Tvx_Superposer::setincrust(const TincrustRec& record) {
  std::lock_guard lock(settingsMutex_);
  settings_.record = record;
  settings_.record.xPos = std::clamp(record.xPos, 0, kPositionScale);
  settings_.record.yPos = std::clamp(record.yPos, 0, kPositionScale);
}

void Tvx_Superposer::whenincrust(int when, int seconds) {
  {
    std::lock_guard lock(settingsMutex_);
    settings_.when = when;
    durationSeconds_.store(seconds);
    UpdateDurationFrames();
  }
  if (when == 0) countdown_.store(durationFrames_.load() - 1);
}

void Tvx_Superposer::SetIncrustEnabled(bool enabled) {
  {
    std::lock_guard lock(settingsMutex_);
    settings_.enabled = enabled;
  }
  countdown_.store(durationFrames_.load() - 1);
}

void Tvx_Superposer::StartIntervalGrab(std::int64_t interval) {
  interval_.store(interval);
  nextGrabTime_.store(0);
  intervalActive_.store(true, std::memory_order_release);
}

QString Tvx_Superposer::line1() const {
  std::lock_guard lock(linesMutex_);
  return lines_[0];
}

QString Tvx_Superposer::line2() const {
  std::lock_guard lock(linesMutex_);
  return lines_[1];
}

int Tvx_Superposer::fontPixelHeight() const {
  std::lock_guard lock(settingsMutex_);
  const TFontRec& font = settings_.record.font;
  if (settings_.record.autoFontSize)
    return std::max(kMinimumAutoFontPixels, type_.width * kAutoFontNumerator / kAutoFontDenominator);
  return static_cast<int>(std::lround(font.size * 96.0 / 72.0));  // points on a 96 dpi screen
}

void Tvx_Superposer::CopyPicture(const TMediaSample& input, TMediaSample& output, bool upsideDown) const {
  const int height = type_.height;
  const int stride = type_.stride;
  if (height <= 0 || stride <= 0 || input.size < static_cast<std::size_t>(stride) * height ||
      output.size < static_cast<std::size_t>(stride) * height) {
    std::memcpy(output.data, input.data, std::min(input.size, output.size));
    return;
  }
  if (!upsideDown) {
    std::memcpy(output.data, input.data, static_cast<std::size_t>(stride) * height);
    return;
  }
  for (int y = 0; y < height; ++y)
    std::memcpy(output.data + static_cast<std::ptrdiff_t>(y) * stride,
                input.data + static_cast<std::ptrdiff_t>(height - 1 - y) * stride, stride);
}

const DvFrameInfo* Tvx_Superposer::MatchDetectorSlot(ReferenceTime start) {
  Tvx_SceneDetect* detector = sceneDetector.load(std::memory_order_acquire);
  if (!detector) return nullptr;
  const int newest = detector->writeIndex.load(std::memory_order_acquire);
  int chosen = (newest + 1) % Tvx_SceneDetect::kHistorySize;
  for (int back = 0; back < Tvx_SceneDetect::kHistorySize; ++back) {
    const int index = (newest - back + Tvx_SceneDetect::kHistorySize) % Tvx_SceneDetect::kHistorySize;
    if (detector->slot(index).startTime <= start) {
      chosen = index;
      break;
    }
  }
  detector->readIndex.store(chosen, std::memory_order_release);
  return &detector->slot(chosen).info;
}

bool Tvx_Superposer::TextDue(const Settings& settings, int when) {
  if (!settings.enabled) return false;
  if (when == 0) return true;
  int countdown = countdown_.load();
  if (countdown > 0) --countdown;
  const int rearm = durationFrames_.load() - 1;
  constexpr double kSceneJumpDays = 2.0 / kSecondsPerDay;
  if (when == 2 && tapeDate_ > 0 && (tapeDate_ - previousTapeDate_ > kSceneJumpDays || tapeDate_ < previousTapeDate_))
    countdown = rearm;
  if (when == 3 && displayDate_ > 0 &&
      (DayOfMonth(displayDate_) != DayOfMonth(previousDisplayDate_) ||
       std::fabs(displayDate_ - previousDisplayDate_) > 1.0))
    countdown = rearm;
  countdown_.store(countdown);
  return countdown > 0;
}

void Tvx_Superposer::BuildLines(const Settings& settings, const DvFrameInfo* frame) {
  const TincrustRec& r = settings.record;
  const auto formatted = [](const QString& format, double days) {
    return format.isEmpty() ? QString() : FormatDateTime(format, days);
  };
  const bool hasDate = frame && frame->hasDate;
  const QString date1 = hasDate ? formatted(r.formatDate1, tapeDate_ + r.decalageHoraire) : kNotAvailable;
  const QString date2 = hasDate ? formatted(r.formatDate2, tapeDate_ + r.decalageHoraire) : kNotAvailable;
  const QString timeCode = frame && frame->hasTimeCode
                               ? QString::asprintf("%d:%.2d:%.2d:%.2d", frame->timeCode.hours, frame->timeCode.minutes,
                                                   frame->timeCode.seconds, frame->timeCode.frames)
                               : kNotAvailable;
  const double now = r.whatIncrust == wiPerso || r.whatIncrust == wiReel ? clock() + r.decalageHoraire : 0.0;
  const QString clock1 = formatted(r.formatDate1, now), clock2 = formatted(r.formatDate2, now);
  std::lock_guard lock(linesMutex_);
  switch (r.whatIncrust) {
    case wiDatecode:
      lines_[0] = date1, lines_[1] = date2;
      break;
    case wiTimecode:
      lines_[0].clear(), lines_[1] = timeCode;
      break;
    case wiPerso:
      lines_[0] = ExpandTemplate(r.incrust1, date1, timeCode, clock1);
      lines_[1] = ExpandTemplate(r.incrust2, date2, timeCode, clock2);
      break;
    case wiReel:
      lines_[0] = clock1, lines_[1] = clock2;
      break;
    case 4:
      lines_[0].clear(), lines_[1].clear();
      break;
    default:
      break;  // the lines of the previous frame stay
  }
}

void Tvx_Superposer::DrawLines(const Settings& settings, std::uint8_t* picture, int stride) {
  const TincrustRec& r = settings.record;
  const int width = type_.width, height = type_.height;
  const int pixelHeight = r.autoFontSize
                              ? std::max(kMinimumAutoFontPixels, width * kAutoFontNumerator / kAutoFontDenominator)
                              : static_cast<int>(std::lround(r.font.size * 96.0 / 72.0));
  const int x = width * r.xPos / kPositionScale;
  const int y = height * r.yPos / kPositionScale;
  QString texts[2];
  {
    std::lock_guard lock(linesMutex_);
    texts[0] = lines_[0];
    texts[1] = lines_[1];
  }
  for (int k = 0; k < 2; ++k) {
    if (texts[k].isEmpty()) continue;
    RenderedLine wanted;
    wanted.text = texts[k];
    wanted.fontName = r.font.name;
    wanted.pixelHeight = pixelHeight;
    wanted.color = r.font.color;
    wanted.border = std::clamp(r.borderSize, 0, 5);
    wanted.bold = r.font.bold, wanted.italic = r.font.italic;
    wanted.underline = r.font.underline, wanted.strikeOut = r.font.strikeOut;
    RenderedLine& line = rendered_[k];
    if (!line.SameStyle(wanted) || line.image.isNull()) {
      line = wanted;
      Render(line);
    }
    const int top = k == 0 ? y - pixelHeight : y;
    int left = x;
    switch (r.alignement) {
      case alCenter:
        left = x - line.textWidth / 2;
        break;
      case alRight:
        left = x - line.textWidth;
        break;
      case alSubtitle:
        left = (width - line.textWidth) / 2;
        break;
      default:
        break;
    }
    Blend(line.image, left - line.border, top - line.border, picture, width, height, stride);
  }
}

void Tvx_Superposer::CopyToSlot(const std::uint8_t* picture, int stride) {
  grabIndex_ = (grabIndex_ + 1) % kGrabSlots;
  if (grabFull_[grabIndex_].load(std::memory_order_acquire)) {  // still being read: this grab is lost
    lostGrabs_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  QImage& slot = grabs_[grabIndex_];
  // A free slot takes the picture's size: the window reads only full ones.
  if (slot.width() != type_.width || slot.height() != type_.height)
    slot = QImage(std::max(1, type_.width), std::max(1, type_.height), QImage::Format_BGR888);
  const int rowBytes = std::min<int>(slot.bytesPerLine(), 3 * type_.width);
  for (int row = 0; row < std::min(slot.height(), type_.height); ++row)
    std::memcpy(slot.scanLine(row), picture + static_cast<std::ptrdiff_t>(row) * stride, rowBytes);
  grabRequested_.store(false, std::memory_order_relaxed);
  grabFull_[grabIndex_].store(true, std::memory_order_release);
  Post(kNotifyGrabbedFrame, 0, grabIndex_);
}

void Tvx_Superposer::Grab(const std::uint8_t* picture, int stride, const TMediaSample& input) {
  if (intervalActive_.load(std::memory_order_acquire)) {
    const std::int64_t t = input.start.value_or(0) / kGrabTimeDivisor;
    const std::int64_t interval = interval_.load();
    std::int64_t seen = nextGrabTime_.load();
    if (seen <= t) {
      std::int64_t next = seen + interval;
      if (next <= t) next = t + interval;
      // A restart asked for meanwhile wins.
      nextGrabTime_.compare_exchange_strong(seen, next);
      CopyToSlot(picture, stride);
    } else {
      const std::int64_t seconds = (seen - t) / kUnitsPerSecond;
      if (seconds != lastSecondsShown_) {
        lastSecondsShown_ = seconds;
        Post(kNotifyIntervalCountdown, static_cast<std::intptr_t>(seconds), 0);
      }
    }
  }
  if (grabRequested_.exchange(false, std::memory_order_acq_rel)) CopyToSlot(picture, stride);
}

FilterResult Tvx_Superposer::Transform(const TMediaSample& input, TMediaSample& output) {
  if (!input.data || !output.data) return FilterResult::Drop;
  const int stride = type_.stride > 0 ? type_.stride : 3 * type_.width;
  const bool framed =
      type_.width > 0 && type_.height > 0 && output.size >= static_cast<std::size_t>(stride) * type_.height;
  if (!activerSuperposition.load(std::memory_order_relaxed) || !framed) {
    CopyPicture(input, output, sourceUpsideDown.load(std::memory_order_relaxed) && framed);
    if (framed) Grab(output.data, stride, input);
    return FilterResult::Deliver;
  }
  CopyPicture(input, output, flip_.load(std::memory_order_relaxed) != sourceUpsideDown.load(std::memory_order_relaxed));
  if (mirror_.load(std::memory_order_relaxed)) MirrorHorizontal({output.data, type_.width, type_.height, stride, 3});

  Settings settings;
  {
    std::lock_guard lock(settingsMutex_);
    settings = settings_;
  }
  const int when = settings.when >= 0 && settings.when <= 3 ? settings.when : 1;
  previousDisplayDate_ = displayDate_;
  displayDate_ = settings.record.whatIncrust == wiReel ? clock() : 0.0;
  const DvFrameInfo* frame = nullptr;
  if (sceneDetector.load(std::memory_order_acquire)) {
    previousTapeDate_ = tapeDate_;
    frame = MatchDetectorSlot(input.start.value_or(0));
    tapeDate_ = frame->recordingDate;
    if (settings.record.whatIncrust == wiDatecode) displayDate_ = tapeDate_;
  }
  if (TextDue(settings, when)) {
    BuildLines(settings, frame);
    DrawLines(settings, output.data, stride);
  }
  Grab(output.data, stride, input);
  return FilterResult::Deliver;
}
