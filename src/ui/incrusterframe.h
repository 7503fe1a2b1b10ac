// The overlay panel: the font, size, style and colour of the text, its
// alignment and border, what is shown (recording date, time code, own text,
// the clock), the date formats and own lines, when and how long it shows,
// and the time-shift editor. The panel edits its copy of the overlay record
// and says what changed; the main window stores it and tells the filter.
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>
#include <optional>

#include "settings/incrustrec.h"

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QFontComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QSpinBox;
class QToolButton;

class TIncrusterFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TIncrusterFrame(QWidget* parent = nullptr);

  // The controls set from a record, nothing said.
  void Load(const TincrustRec& record);
  const TincrustRec& record() const { return record_; }
  // The "when" radio buttons and the duration field, nothing said.
  void LoadTiming(int when, int seconds);
  int when() const;
  // "Durée (en secondes)" as a whole number; 0 when it is not one.
  int duree() const;

  // The time-shift editor opened on the date the shift starts from (days
  // since 1899-12-30, whole seconds), or closed.
  void OpenDecalage(double ancienneDate);
  void CloseDecalage();
  bool decalageOpen() const;
  double ancienneDate() const { return ancienneDate_; }
  // The shift's text: "%d jours %.2dh %.2dm %.2ds", or "%d heures" for
  // whole hours.
  static QString DecalageText(double days);
  // A date and time as days since 1899-12-30 with the milliseconds dropped.
  static double WholeSeconds(double days);

  QFontComboBox* FontComboBox = nullptr;
  QComboBox* cbSize = nullptr;
  QToolButton* tbBold = nullptr;
  QToolButton* tbItalic = nullptr;
  QToolButton* tbUnderline = nullptr;
  QToolButton* ColorButton = nullptr;
  QMenu* colorMenu = nullptr;
  QToolButton* tbLeftAlign = nullptr;
  QToolButton* tbCenter = nullptr;
  QToolButton* tbRightAlign = nullptr;
  QToolButton* tbSousTitre = nullptr;
  QButtonGroup* alignGroup = nullptr;
  QToolButton* tbBorder = nullptr;
  QMenu* pmBorder = nullptr;
  QToolButton* JvImgBtn5 = nullptr;  // "Réel"
  QToolButton* JvImgBtn1 = nullptr;  // "Datecode"
  QToolButton* JvImgBtn2 = nullptr;  // "Timecode"
  QToolButton* JvImgBtn3 = nullptr;  // "Perso"
  QToolButton* JvImgBtn4 = nullptr;  // "Néant"
  QComboBox* cbDatecode1 = nullptr;
  QComboBox* cbDatecode2 = nullptr;
  QLineEdit* edPerso1 = nullptr;
  QLineEdit* edPerso2 = nullptr;
  QGroupBox* gbQuand = nullptr;
  QRadioButton* rbPermanent = nullptr;
  QRadioButton* rbUnique = nullptr;
  QRadioButton* rbScene = nullptr;
  QRadioButton* rbJour = nullptr;
  QLineEdit* edDuree = nullptr;
  QToolButton* tbDecalage = nullptr;
  QFrame* PanelDecalage = nullptr;
  QLabel* labOldDate = nullptr;
  QDateEdit* DateEdit2 = nullptr;
  QSpinBox* seHeure = nullptr;
  QSpinBox* seMinute = nullptr;
  QSpinBox* seSeconde = nullptr;
  QToolButton* resetBtn = nullptr;
  QLabel* labDecalage = nullptr;

  // Asks for a colour beyond the menu's; empty function: the colour dialog.
  std::function<std::optional<QColor>(const QColor& current)> chooseColour;

 signals:
  // A field of the record changed (the record is up to date).
  void changed();
  // The "when" or the duration changed.
  void timingChanged();
  // One of "Réel", "Datecode", "Timecode", "Perso": the record says what;
  // the overlay should be on.
  void shown();
  // "Néant": the overlay should be off.
  void hideRequested();
  // The subtitle alignment was chosen.
  void subtitleChosen();
  void decalageClicked();
  // A text field took or left the focus.
  void typing(bool typing);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Changed();
  void SizeEdited(const QString& text);
  void SetColour(const QColor& colour);
  void ShowColour();
  void SetBorder(int pixels);
  void Choose(std::uint8_t what);
  void DecalageEdited();
  void EnableDecalage();

  TincrustRec record_;
  bool loading_ = false;
  double ancienneDate_ = 0.0;
};
