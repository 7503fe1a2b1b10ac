// The main window's overlay: its panel, the on/off command, the position
// sliders over the video, the time-shift editor's opening, and the overlay
// filter told of every change.
#include <QEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include "app/captureform.h"
#include "app/layout.h"
#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "media/filters/dateformat.h"
#include "media/filters/vx_scenedetect.h"
#include "media/filters/vx_superposer.h"
#include "platform/trace.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/incrusterframe.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr int kXsliderMaximum = 970;
constexpr int kYsliderMaximum = 930;

}  // namespace

void TCaptureForm::BuildIncruster() {
  connect(incrusterFrame_, &TIncrusterFrame::changed, this, &TCaptureForm::IncrustChanged);
  connect(incrusterFrame_, &TIncrusterFrame::timingChanged, this, &TCaptureForm::IncrustTimingChanged);
  connect(incrusterFrame_, &TIncrusterFrame::shown, this, [this] {
    if (TCustomSuperAction* overlay = al_.FindByObjectName("taIncruster"); overlay && !overlay->IsChecked())
      overlay->Execute();
  });
  connect(incrusterFrame_, &TIncrusterFrame::hideRequested, this, [this] {
    if (TCustomSuperAction* overlay = al_.FindByObjectName("taIncruster"); overlay && overlay->IsChecked())
      overlay->Execute();
  });
  connect(incrusterFrame_, &TIncrusterFrame::subtitleChosen, this, [this] {
    const QSignalBlocker quiet(xslider_);
    xslider_->setValue(500);
    TincrustRec record = incrusterFrame_->record();
    record.xPos = 500;
    incrusterFrame_->Load(record);
  });
  connect(incrusterFrame_, &TIncrusterFrame::decalageClicked, this, &TCaptureForm::tbDecalageClick);

  xslider_ = new QSlider(Qt::Horizontal, videoArea_);
  xslider_->setObjectName("Xslider");
  xslider_->setRange(0, kXsliderMaximum);
  xslider_->setValue(900);
  yslider_ = new QSlider(Qt::Vertical, videoArea_);
  yslider_->setObjectName("Yslider");
  yslider_->setRange(0, kYsliderMaximum);
  yslider_->setValue(100);
  for (QSlider* slider : {xslider_, yslider_}) {
    slider->setAutoFillBackground(true);
    slider->hide();
  }
  connect(xslider_, &QSlider::valueChanged, this, &TCaptureForm::XsliderChange);
  connect(yslider_, &QSlider::valueChanged, this, &TCaptureForm::YsliderChange);
  shape1_ = new QToolButton(videoArea_);
  shape1_->setObjectName("Shape1");
  shape1_->setToolTip(Text(texts::kSlidersCornerHint));
  shape1_->setAutoRaise(true);
  shape1_->setFixedSize(kOverlaySliderThickness, kOverlaySliderThickness);
  connect(shape1_, &QToolButton::clicked, this, [this] {
    if (TCustomSuperAction* sliders = al_.FindByObjectName("acSliders"); sliders && sliders->isEnabled())
      sliders->Execute();
  });
}

// Along the picture's bottom and right edges, the corner square where they
// meet; before the picture is placed, along the video area's.
void TCaptureForm::PlaceSliders() {
  if (!xslider_) return;
  if (windowedLayout_.video.isEmpty()) {
    const QRect area = videoArea_->rect();
    const int t = kOverlaySliderThickness;
    windowedLayout_.xSlider = QRect(0, area.height() - t, area.width() - t, t);
    windowedLayout_.ySlider = QRect(area.width() - t, 0, t, area.height() - t);
    windowedLayout_.corner = QPoint(area.width() - t, area.height() - t);
  }
  xslider_->setGeometry(windowedLayout_.xSlider);
  yslider_->setGeometry(windowedLayout_.ySlider);
  shape1_->move(windowedLayout_.corner);
  for (QWidget* part : {static_cast<QWidget*>(xslider_), static_cast<QWidget*>(yslider_),
                        static_cast<QWidget*>(shape1_)})
    part->raise();
}

Tvx_Superposer* TCaptureForm::Overlay() const {
  if (!environment_.engine || !environment_.engine->context.dm) return nullptr;
  return &environment_.engine->context.dm->Superposer();
}

// The panel's record kept in the parameters and, once the sources are
// there, in the filter.
void TCaptureForm::SendIncrust() {
  if (parameters_.IncrustRec) parameters_.IncrustRec->value = incrusterFrame_->record();
  if (Tvx_Superposer* overlay = Overlay(); overlay && sourcesActivated_) overlay->setincrust(incrusterFrame_->record());
}

void TCaptureForm::IncrustChanged() { SendIncrust(); }

void TCaptureForm::IncrustTimingChanged() {
  if (parameters_.WhenIncrust) parameters_.WhenIncrust->value = static_cast<std::uint8_t>(incrusterFrame_->when());
  if (parameters_.DureeIncruster) parameters_.DureeIncruster->value = incrusterFrame_->duree();
  if (Tvx_Superposer* overlay = Overlay(); overlay && sourcesActivated_ && parameters_.WhenIncrust)
    overlay->whenincrust(parameters_.WhenIncrust->value, incrusterFrame_->duree());
}

// The panel and the sliders from the stored record; nothing is sent.
void TCaptureForm::LoadIncruster() {
  if (!parameters_.IncrustRec) return;
  const TincrustRec& record = parameters_.IncrustRec->value;
  incrusterFrame_->Load(record);
  const QSignalBlocker quietX(xslider_), quietY(yslider_);
  xslider_->setValue(record.xPos);
  yslider_->setValue(kYsliderMaximum - record.yPos);
}

void TCaptureForm::ApplyIncrust() {
  overlayActive_ = parameters_.WantIncrust && parameters_.WantIncrust->value && VideoProcessingAvailable();
  if (Tvx_Superposer* overlay = Overlay()) {
    if (overlayActive_) overlay->setincrust(incrusterFrame_->record());
    overlay->SetIncrustEnabled(overlayActive_);
  }
  MajStatusTextes();
}

void TCaptureForm::taIncrusterfalseExecute(QObject*) {
  if (parameters_.WantIncrust) parameters_.WantIncrust->value = true;
  if (TCustomSuperAction* overlay = al_.FindByObjectName("taIncruster")) overlay->SetChecked(true);
  ApplyIncrust();
}

void TCaptureForm::taIncrusterTrueExecute(QObject*) {
  if (parameters_.WantIncrust) parameters_.WantIncrust->value = false;
  if (TCustomSuperAction* overlay = al_.FindByObjectName("taIncruster")) overlay->SetChecked(false);
  ApplyIncrust();
}

void TCaptureForm::XsliderChange(int value) {
  TincrustRec record = incrusterFrame_->record();
  if (record.alignement == alSubtitle) record.alignement = alCenter;
  record.xPos = value;
  incrusterFrame_->Load(record);
  SendIncrust();
}

void TCaptureForm::YsliderChange(int value) {
  TincrustRec record = incrusterFrame_->record();
  record.yPos = kYsliderMaximum - value;
  incrusterFrame_->Load(record);
  SendIncrust();
}

void TCaptureForm::acSlidersExecute(QObject*) {
  const bool show = xslider_->isHidden();
  xslider_->setVisible(show);
  yslider_->setVisible(show);
  PlaceSliders();
  if (TCustomSuperAction* sliders = al_.FindByObjectName("acSliders"))
    sliders->setText(Text(show ? texts::kSlidersHide : texts::kSlidersShow));
  if (TCustomSuperAction* overlay = al_.FindByObjectName("taIncruster"); show && overlay && !overlay->IsChecked())
    overlay->Execute();
}

// No picture, no overlay to place or switch.
void TCaptureForm::ShowOverlayControls(bool videoPresent) {
  if (!videoPresent) {
    xslider_->hide();
    yslider_->hide();
  }
  shape1_->setVisible(videoPresent);
  for (const char* name : {"acSliders", "tafullscreen"})
    if (TCustomSuperAction* action = al_.FindByObjectName(name)) action->setEnabled(videoPresent);
  // The picture's effects only where the format lets it be processed.
  const bool processed = videoPresent && VideoProcessingAvailable();
  for (const char* name : {"taIncruster", "acVertFlip", "acHorzFlip"})
    if (TCustomSuperAction* action = al_.FindByObjectName(name)) action->setEnabled(processed);
}

void TCaptureForm::acIncrusterFrameExecute(QObject*) { ShowPanel(pnOverlay); }

// --- The time shift ---------------------------------------------------------------------

// The editor opens on the frame's recording date, or the clock's time; it
// needs a date to start from.
void TCaptureForm::tbDecalageClick() {
  if (incrusterFrame_->decalageOpen()) {
    incrusterFrame_->CloseDecalage();
    return;
  }
  double ancienne = incrusterFrame_->ancienneDate();
  const std::uint8_t what = incrusterFrame_->record().whatIncrust;
  if (what == wiDatecode) {
    const TVideoSource* video = environment_.engine ? environment_.engine->context.CurrentVideoSource : nullptr;
    const Tvx_SceneDetect* detector = video ? video->SceneDetector : nullptr;
    if (!detector || !detector->currentHasDate() || detector->currentRecordingDate() <= 0) {
      incrusterFrame_->CloseDecalage();
      return;
    }
    ancienne = TIncrusterFrame::WholeSeconds(detector->currentRecordingDate());
  } else if (what == wiReel) {
    const QDateTime now = environment_.now ? environment_.now() : QDateTime::currentDateTime();
    ancienne = TIncrusterFrame::WholeSeconds(DaysOf(now));
  }
  incrusterFrame_->OpenDecalage(ancienne);
}

// Its state first follows the editor, then it opens or closes it. It has
// no caption until it has run once.
void TCaptureForm::taDecalagePrepare(TCustomSuperAction& action) { action.SetChecked(incrusterFrame_->decalageOpen()); }

void TCaptureForm::taDecalageExecute(QObject*) {
  tbDecalageClick();
  if (auto* toggle = qobject_cast<TtoggleAction*>(al_.FindByObjectName("taDecalage"))) {
    toggle->FalseCaption = Text(texts::kDecalageShow);
    toggle->TrueCaption = Text(texts::kDecalageHide);
    toggle->SetChecked(incrusterFrame_->decalageOpen());
  }
}

// "Autoriser les effets sur la vidéo": the overlay and the mirrors are
// offered only while the filter may change the picture.
void TCaptureForm::ActiverSuperpositionChanged(bool allowed) {
  if (parameters_.ActiverSuperposition) parameters_.ActiverSuperposition->value = allowed;
  if (Tvx_Superposer* overlay = Overlay()) overlay->activerSuperposition = allowed;
  for (const char* name : {"taIncruster", "acVertFlip", "acHorzFlip"})
    if (TCustomSuperAction* action = al_.FindByObjectName(name)) action->setVisible(allowed);
}
