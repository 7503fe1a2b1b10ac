// The coloured rectangle that frames the picture, and the black backdrop
// the picture moves onto in full screen.
#pragma once

#include <QColor>
#include <QWidget>

// Solid in the session's colour; cross-hatched in it while the capture is
// frozen.
class TFrameShape : public QWidget {
  Q_OBJECT
 public:
  explicit TFrameShape(QWidget* parent = nullptr);
  void SetColour(const QColor& colour);
  QColor colour() const { return colour_; }
  void SetHatched(bool hatched);
  bool hatched() const { return hatched_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_;
  bool hatched_ = false;
};

// A borderless black window over a whole screen, with one coloured square
// framing the picture. The keys typed on it go to the window it stands in
// for.
class Tplaque : public QWidget {
  Q_OBJECT
 public:
  explicit Tplaque(QWidget* keyTarget);
  TFrameShape* square() const { return square_; }
  // Frozen capture: the backdrop takes the dialogs' colour; else black.
  void SetFrozen(bool frozen);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  QWidget* keyTarget_;
  TFrameShape* square_;
};
