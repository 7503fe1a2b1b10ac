// The schedule panel: the computer's clock, the start and end of a
// scheduled capture, the button that sets the end to the start, and the
// schedule button. The panel only shows; the main window handles its events.
#pragma once

#include <QDateTime>
#include <QWidget>

class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

class TProgrammerFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TProgrammerFrame(QWidget* parent = nullptr);

  QLabel* RxClock2 = nullptr;
  QGroupBox* gbDebut = nullptr;
  QDateEdit* DateEdit1 = nullptr;
  QSpinBox* RxSpinEdit1 = nullptr;
  QSpinBox* RxSpinEdit2 = nullptr;
  QSpinBox* RxSpinEdit3 = nullptr;
  QGroupBox* gbFin = nullptr;
  QDateEdit* DateEdit2 = nullptr;
  QSpinBox* RxSpinEdit4 = nullptr;
  QSpinBox* RxSpinEdit5 = nullptr;
  QSpinBox* RxSpinEdit6 = nullptr;
  QPushButton* NowBtn = nullptr;
  QToolButton* ProgBtn = nullptr;

  // The moments the fields give.
  QDateTime Start() const;
  QDateTime End() const;
  void SetStart(const QDateTime& at);
  void SetEnd(const QDateTime& at);
};
