// The preview picture in the main window: the latest frame of the video
// renderer, scaled to the window with its shape kept, on black.
#pragma once

#include <QWidget>

class TVideoRenderer;

class TVideoWindow : public QWidget {
  Q_OBJECT
 public:
  TVideoWindow(TVideoRenderer& renderer, QWidget* parent = nullptr);
  ~TVideoWindow() override;
  // Frames painted since the window was made.
  int framesShown() const { return framesShown_; }
  // Filled: the picture takes the whole window, whose shape the layout
  // chose; otherwise it keeps its own shape inside it.
  void SetFill(bool fill);

 signals:
  // A left click: the user grabs a still.
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TVideoRenderer& renderer_;
  int framesShown_ = 0;
  bool fill_ = false;
};

// Where a picture of that size and pixel shape goes in the area: as large as
// fits, centred.
QRect FitPicture(const QSize& picture, double pixelAspect, const QRect& area);
