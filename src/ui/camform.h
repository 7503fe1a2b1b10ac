// A camcorder's small window: its transport bar, the time code under the
// heads, the recording date of the frame shown, "Stop en quittant", and the
// mark of the window that takes the keyboard's camera commands.
#pragma once

#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QToolButton;
class TTransportBar;

// The seven buttons, left to right, and the play/pause toggle, each an
// action with its hint and its shortcut inside the window.
class Tnav_captureframe : public QWidget {
  Q_OBJECT
 public:
  explicit Tnav_captureframe(QWidget* parent = nullptr);
  TTransportBar& bar() const { return *bar_; }

  QAction* cam_ReculeRapide = nullptr;
  QAction* cam_ReculeLent = nullptr;
  QAction* cam_Play = nullptr;
  QAction* cam_Pause = nullptr;
  QAction* cam_Stop = nullptr;
  QAction* cam_AvanceLent = nullptr;
  QAction* cam_AvanceRapide = nullptr;
  QAction* cam_PlayPause = nullptr;  // "Play" / "Pause"

 private:
  void ShowPlayPause(bool checked);
  TTransportBar* bar_;
};

class TcamForm : public QWidget {
  Q_OBJECT
 public:
  // `number` is 1 or 2.
  TcamForm(int number, QWidget* parent = nullptr);
  int number() const { return number_; }

  Tnav_captureframe* nav = nullptr;
  QLabel* Label1 = nullptr;         // recording date of the frame shown
  QLabel* TimecodePanel = nullptr;  // "0:00:00:00"
  QCheckBox* cbStopQuittant = nullptr;
  QLabel* image1 = nullptr;  // shown on the window that takes the keyboard
  // Whether the user wants the window shown when its camcorder is there.
  bool rememberedVisible = true;

  // The status timer's refresh: the time code asked for, and the
  // recording date of the current frame when there is one (`days` since
  // 1899-12-30, 0 or below: none).
  void Refresh(double recordingDays);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int number_;
};
