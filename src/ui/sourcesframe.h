// The sources panel: the video and audio source lists, the sound card's
// inputs, the capture format, the settings buttons and the refresh button.
// The panel only shows; the main window handles its events.
#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

class TSourcesFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TSourcesFrame(QWidget* parent = nullptr);

  QGroupBox* gbSources = nullptr;
  QToolButton* ActualiserVideoSpeedBtn = nullptr;
  QToolButton* sbScenolog = nullptr;  // the companion program
  QGroupBox* gbVideo = nullptr;
  QComboBox* cboxvideo = nullptr;
  QToolButton* sbVideoSettings = nullptr;
  QLabel* LabVideo = nullptr;
  QToolButton* sbVideoPilotVCR = nullptr;
  QGroupBox* gbAudio = nullptr;
  QComboBox* cboxAudio = nullptr;
  QComboBox* cbEntries = nullptr;
  QToolButton* sbAudioSettings = nullptr;
  QLabel* LabAudio = nullptr;
  QToolButton* sbAudioPilotVCR = nullptr;
  QGroupBox* gbFormatCapture = nullptr;
  QComboBox* cbFormatCapture = nullptr;
  QToolButton* sbFormatCapturesettings = nullptr;
  QLineEdit* leFramerate = nullptr;
  QLabel* LabelVideo = nullptr;  // the next video file; a click shows the folders panel
  QToolButton* sbVideo = nullptr;  // the folder of the videos

 signals:
  void LabelVideoClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
