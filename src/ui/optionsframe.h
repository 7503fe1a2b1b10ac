// The options panel: five tabs of encoding and behaviour settings ("Pref",
// "Wmv", "DivX", "Images", "DV") and the preference-mode selector. The
// panel only shows; the main window loads it, reacts to it and saves it.
#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;

class TOptionsFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TOptionsFrame(QWidget* parent = nullptr);

  QTabWidget* PageControl = nullptr;
  QWidget* tsPref = nullptr;
  QWidget* tsWmv = nullptr;
  QWidget* tsDivx = nullptr;
  QWidget* tsImages = nullptr;
  QWidget* tsDV = nullptr;

  // Pref.
  QCheckBox* cbConfirmerVideo = nullptr;
  QCheckBox* cbConfirmerImage = nullptr;
  QCheckBox* cbNotifier = nullptr;
  QCheckBox* cbActiverSuperposition = nullptr;
  QGroupBox* gbPrefMode = nullptr;
  QButtonGroup* rgPrefMode = nullptr;  // 0 registry, 1 portable, 2 none
  QCheckBox* cbMpeg2Ratio = nullptr;
  // Wmv.
  QGroupBox* gbProfils = nullptr;
  QComboBox* cbProfils = nullptr;
  QButtonGroup* rgVersion = nullptr;  // "4", "7", "8"
  QGroupBox* gbProfilsDefaut = nullptr;
  QButtonGroup* rgProfilDefaut = nullptr;  // High, Medium, Low, Internet
  QCheckBox* cbProfilParDefaut = nullptr;
  // DivX.
  QComboBox* cbDivx = nullptr;
  QPushButton* btProprietes = nullptr;
  QPushButton* btVersion = nullptr;
  QCheckBox* cbDemiTaille = nullptr;
  QButtonGroup* rgRatioDivx = nullptr;
  QCheckBox* cbMp3 = nullptr;
  QGroupBox* gbMp3 = nullptr;
  QComboBox* cbBitrate = nullptr;
  QPushButton* btAvance = nullptr;
  QLabel* labMp3Note = nullptr;
  // Images.
  QButtonGroup* rgExtension = nullptr;  // bmp, jpeg
  QGroupBox* gbQualite = nullptr;
  QLabel* labQualite = nullptr;
  QSlider* tbQualite = nullptr;
  QCheckBox* cbDeinterlace = nullptr;
  // DV.
  QButtonGroup* rgStandard = nullptr;
  QButtonGroup* rgFrequence = nullptr;
  QCheckBox* cbFrequenceNative = nullptr;
  QCheckBox* cbScn = nullptr;
  QLineEdit* leNoDatecode = nullptr;
  QButtonGroup* rgRatioDV = nullptr;
  QCheckBox* cbGarderFormatDV = nullptr;
  QCheckBox* cbDemiSiDivx = nullptr;

  // The selected entry of a group; -1 none.
  static int Selected(const QButtonGroup* group);
  static void Select(QButtonGroup* group, int index);
};
