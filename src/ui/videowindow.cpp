#include "ui/videowindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <cmath>

#include "capture/videorenderer.h"

QRect FitPicture(const QSize& picture, double pixelAspect, const QRect& area) {
  if (picture.isEmpty() || area.isEmpty() || pixelAspect <= 0) return area;
  const double shape = picture.width() * pixelAspect / picture.height();
  int width = area.width();
  int height = static_cast<int>(std::lround(width / shape));
  if (height > area.height()) {
    height = area.height();
    width = static_cast<int>(std::lround(height * shape));
  }
  return {area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2, width, height};
}

TVideoWindow::TVideoWindow(TVideoRenderer& renderer, QWidget* parent) : QWidget(parent), renderer_(renderer) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Posted from the streaming thread; the window repaints on its own thread.
  renderer_.SetFrameReady(
      [this] { QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection); });
}

TVideoWindow::~TVideoWindow() { renderer_.SetFrameReady(nullptr); }

void TVideoWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage frame = renderer_.LatestFrame();
  if (frame.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  const QRect picture = fill_ ? rect() : FitPicture(frame.size(), renderer_.PixelAspect(), rect());
  // Only the borders are black: the picture is written once.
  const QRegion borders = QRegion(rect()).subtracted(picture);
  for (const QRect& border : borders) painter.fillRect(border, Qt::black);
  // Shrinking is filtered. Enlarging is not: filtering a PAL picture up to a
  // full screen takes 4 to 5 ms of processor time a frame, against about 1
  // without, and lines repeated this way look as a monitor shows them.
  const bool enlarging = picture.width() > frame.width() || picture.height() > frame.height();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, !enlarging);
  painter.drawImage(picture, frame);
  ++framesShown_;
}

void TVideoWindow::SetFill(bool fill) {
  if (fill == fill_) return;
  fill_ = fill;
  update();
}

void TVideoWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit clicked();
  QWidget::mousePressEvent(event);
}
