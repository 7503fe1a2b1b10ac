#include "ui/plaque.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

TFrameShape::TFrameShape(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TFrameShape::SetColour(const QColor& colour) {
  if (colour == colour_) return;
  colour_ = colour;
  update();
}

void TFrameShape::SetHatched(bool hatched) {
  if (hatched == hatched_) return;
  hatched_ = hatched;
  update();
}

void TFrameShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (hatched_) {
    // The lines in the colour over what is behind.
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rect(), QBrush(colour_, Qt::DiagCrossPattern));
  } else {
    painter.fillRect(rect(), colour_);
  }
}

Tplaque::Tplaque(QWidget* keyTarget)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), keyTarget_(keyTarget), square_(new TFrameShape(this)) {
  setObjectName("Tplaque");
  square_->setObjectName("Shape1");
  setAutoFillBackground(true);
  SetFrozen(false);
}

void Tplaque::SetFrozen(bool frozen) {
  QPalette shade = palette();
  shade.setColor(QPalette::Window, frozen ? QApplication::palette().color(QPalette::Window) : QColor(Qt::black));
  setPalette(shade);
}

void Tplaque::keyPressEvent(QKeyEvent* event) {
  if (keyTarget_) QApplication::sendEvent(keyTarget_, event);
}

void Tplaque::keyReleaseEvent(QKeyEvent* event) {
  if (keyTarget_) QApplication::sendEvent(keyTarget_, event);
}
