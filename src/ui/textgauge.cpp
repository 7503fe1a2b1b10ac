#include "ui/textgauge.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "texts.h"

TTextGauge::TTextGauge(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setMinimumSize(48, 48);
}

void TTextGauge::SetMinimum(std::int64_t minimum) {
  minimum_ = minimum;
  update();
}

void TTextGauge::SetMaximum(std::int64_t maximum) {
  maximum_ = maximum;
  update();
}

void TTextGauge::SetValue(std::int64_t value) {
  value_ = value;
  update();
}

double TTextGauge::fraction() const {
  if (maximum_ <= minimum_) return 0;
  return std::clamp(double(value_ - minimum_) / double(maximum_ - minimum_), 0.0, 1.0);
}

QString TTextGauge::text() const {
  if (kind_ == Kind::Remaining) return QString::fromUtf8(texts::kGaugeMegabytes).arg(std::max<std::int64_t>(0, maximum_ - value_));
  return QString::number(std::lround(100 * fraction())) + '%';
}

bool TTextGauge::alerting() const {
  // The free amount is what runs out: an empty or unknown drive is not
  // "low".
  if (kind_ == Kind::Remaining) return maximum_ > 0 && maximum_ - value_ < alert_;
  return value_ > alert_;
}

void TTextGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int side = std::min(width(), height()) - 4;
  const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
  const QColor fill = alerting() ? kAlertColour : palette().color(QPalette::Highlight);
  painter.setPen(palette().color(QPalette::Mid));
  painter.setBrush(palette().color(QPalette::Base));
  painter.drawEllipse(circle);
  painter.setBrush(fill);
  // Clockwise from the top.
  painter.drawPie(circle, 90 * 16, -static_cast<int>(std::lround(fraction() * 360 * 16)));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Qt::AlignCenter, text());
}
