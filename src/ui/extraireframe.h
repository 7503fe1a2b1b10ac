// The grab panel: the preview of the last still saved, the interval timer
// (switch, countdown, value, unit, beeps) and the name of the next image.
// The panel only shows; the main window handles its events.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QSpinBox;
class QToolButton;

class TExtraireFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TExtraireFrame(QWidget* parent = nullptr);

  QLabel* Image = nullptr;   // placed by the main window, in the preview area under the title
  QFrame* Bevel3 = nullptr;  // the frame around it
  QGroupBox* gbIntervallo = nullptr;
  QToolButton* RxSwitch1 = nullptr;  // checkable
  QLabel* chronoLab = nullptr;
  QSpinBox* RxSpinEdit7 = nullptr;
  QComboBox* cbUnites = nullptr;
  QCheckBox* cbBeeps = nullptr;
  QGroupBox* gbDestination = nullptr;
  QLabel* destlabel = nullptr;  // a click shows the folders panel

 signals:
  void destlabelClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
