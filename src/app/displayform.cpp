// The main window's preview display: full screen on its backdrop, the
// compact window, the picture's shape and place, the mirrors, the monitoring
// sound, the freezes, the lock to the capture format and the side panels.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

#include "app/captureform.h"
#include "app/identity.h"
#include "app/layout.h"
#include "app/previewsession.h"
#include "app/sourceselection.h"
#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "control/displayrules.h"
#include "control/sessioncontrol.h"
#include "media/filters/vx_superposer.h"
#include "media/filters/vx_timestamper.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/optionsframe.h"
#include "ui/plaque.h"
#include "ui/sourcesframe.h"
#include "ui/videowindow.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr int kRestoredWidth = 700;
constexpr int kRestoredHeight = 459;
constexpr const char* kRatioActions[] = {"saRatioNormal", "saRatio4x3", "saRatio16x9", "saRatioNatif"};
constexpr const char* kPanelActions[] = {"acSourcesFrame",  "acDossiersFrame",  "acProgrammerFrame",
                                         "acExtraireFrame", "acIncrusterFrame", "acOptionsFrame",
                                         "saListeFrame",    "acHelp",           "acApropos"};

// A radio group set as a click would set it.
void SetRadio(QButtonGroup* group, int id) {
  if (!group) return;
  if (QAbstractButton* button = group->button(id)) {
    button->setChecked(true);
    emit group->idClicked(id);
  }
}

void EnableGroup(QButtonGroup* group, bool enabled) {
  if (!group) return;
  for (QAbstractButton* button : group->buttons()) button->setEnabled(enabled);
}

}  // namespace

void TCaptureForm::BuildDisplay() {
  shape2_ = new TFrameShape(videoArea_);
  shape2_->setObjectName("Shape2");
  shape2_->stackUnder(videoDisplay_);
  plaque_ = std::make_unique<Tplaque>(this);
  // The commands answer their keys on the backdrop as on the window.
  plaque_->addActions(actions());

  auto* row = new QHBoxLayout(buttonRow_);
  row->setContentsMargins(0, 0, 0, 0);
  volumeLabel_ = new QLabel(Text(texts::kVolumeLabel), buttonRow_);
  volumeLabel_->setObjectName("volumeLabel");
  tb_ = new QSlider(Qt::Horizontal, buttonRow_);
  tb_->setObjectName("tb");
  tb_->setRange(0, kVolumeMaximum);
  tb_->setSingleStep(100);
  tb_->setPageStep(kVolumeStep);
  tb_->setFixedWidth(160);
  tb_->setFocusPolicy(Qt::NoFocus);
  volumeGauge_ = new QLabel(buttonRow_);
  volumeGauge_->setObjectName("volumeGauge");
  volumeGauge_->setMinimumWidth(40);
  row->addWidget(volumeLabel_);
  row->addWidget(tb_);
  row->addWidget(volumeGauge_);
  connect(tb_, &QSlider::valueChanged, this, &TCaptureForm::tbChange);

  // The shown panel's command is checked.
  connect(sidePanels_, &QStackedWidget::currentChanged, this, [this](int shown) {
    for (int panel = 0; panel < static_cast<int>(std::size(kPanelActions)); ++panel)
      if (TCustomSuperAction* action = al_.FindByObjectName(kPanelActions[panel])) action->SetChecked(panel == shown);
  });
  if (TCustomSuperAction* flip = al_.FindByObjectName("acHorzFlip")) flip->setToolTip(Text(texts::kCommandHorzFlipHint));
  for (const char* name : {"taFreezepreview", "taFreezeCapture"})
    if (auto* toggle = qobject_cast<TtoggleAction*>(al_.FindByObjectName(name))) {
      const bool preview = std::string_view(name) == "taFreezepreview";
      toggle->FalseHint = Text(preview ? texts::kCommandFreezePreviewHint : texts::kCommandFreezeCaptureHint);
      toggle->TrueHint = Text(preview ? texts::kCommandResumePreviewHint : texts::kCommandFreezeCaptureHint);
      toggle->SetChecked(false);
    }
}

TCustomSuperAction* TCaptureForm::Command(const char* name) const { return al_.FindByObjectName(name); }

bool TCaptureForm::fullScreen() const { return plaque_ && plaque_->isVisible(); }

bool TCaptureForm::HasVideoSource() const {
  return environment_.engine && environment_.engine->context.CurrentVideoSource;
}

// --- Full screen and the compact window -------------------------------------------------

void TCaptureForm::tafullscreenOnExecute(QObject*) {
  Command("tafullscreen")->SetChecked(true);
  if (parameters_.FullscreenOn) parameters_.FullscreenOn->value = true;
  if (!HasVideoSource() || !videoWindow_) return;
  const QScreen* shown = screen();
  const QRect whole = shown ? shown->geometry() : QRect(0, 0, 1024, 768);
  plaque_->setGeometry(whole);
  plaque_->showFullScreen();
  videoWindow_->setParent(plaque_.get());
  videoWindow_->show();
  LayOutVideo();
  plaque_->activateWindow();
}

void TCaptureForm::tafullscreenOffExecute(QObject*) {
  Command("tafullscreen")->SetChecked(false);
  if (parameters_.FullscreenOn) parameters_.FullscreenOn->value = false;
  if (videoWindow_ && videoWindow_->parentWidget() != videoDisplay_) {
    videoWindow_->setParent(videoDisplay_);
    videoWindow_->show();
  }
  if (plaque_->isVisible()) {
    plaque_->hide();
    activateWindow();
  }
  LayOutVideo();
}

void TCaptureForm::saExitFullScreenExecute(QObject*) {
  if (TCustomSuperAction* full = Command("tafullscreen"); full->IsChecked()) full->Execute();
}

void TCaptureForm::acReduireExecute(QObject*) {
  TCustomSuperAction* reduce = Command("acReduire");
  reduce->SetChecked(!reduce->IsChecked());
  reduced_ = reduce->IsChecked();
  if (parameters_.ReducedOn) parameters_.ReducedOn->value = reduced_;
  if (reduced_) {
    // The picture's area alone, at the window's top left.
    restoredMinimum_ = minimumSize();
    setMinimumSize(0, 0);
    statusBar()->hide();
    videoArea_->move(0, 0);
    videoArea_->raise();
    resize(videoArea_->size());
    reduce->setText(Text(texts::kCommandRestore));
    setWindowTitle(sourcesFrame_->cboxvideo->currentText());
  } else {
    setMinimumSize(restoredMinimum_);
    statusBar()->show();
    reduce->setText(Text(texts::kCommandReduce));
    setWindowTitle(identity::MainWindowCaption());
    resize(kRestoredWidth, kRestoredHeight);
    TntFormResize();
  }
  LayOutVideo();
}

// --- The picture's shape and place --------------------------------------------------------

void TCaptureForm::SetAspectRatio(int choice) {
  if (parameters_.AspectRatio) parameters_.AspectRatio->value = static_cast<std::uint8_t>(choice);
  LayOutVideo();
}

void TCaptureForm::saRatioNormalExecute(QObject*) { SetAspectRatio(arNormal); }
void TCaptureForm::saRatio4x3Execute(QObject*) { SetAspectRatio(ar4x3); }
void TCaptureForm::saRatio16x9Execute(QObject*) { SetAspectRatio(ar16x9); }
void TCaptureForm::saRatioNatifExecute(QObject*) { SetAspectRatio(arNative); }

void TCaptureForm::LayOutVideo() {
  if (!videoWindow_) return;
  const QRect panel = videoDisplay_->geometry();  // in the video area
  const TVideoSource* video = environment_.engine->context.CurrentVideoSource;
  if (!video) {
    // No picture: the panel's black, framed.
    if (videoWindow_->parentWidget() == videoDisplay_) videoWindow_->setGeometry(QRect(QPoint(), panel.size()));
    shape2_->setGeometry(panel.adjusted(-kFrameMargin, -kFrameMargin, kFrameMargin, kFrameMargin));
    videoWindow_->SetFill(false);
    return;
  }
  const TCaptureContext& context = environment_.engine->context;
  TAspectInput input;
  input.aspectRatio = parameters_.AspectRatio ? parameters_.AspectRatio->value : arNormal;
  input.hasSceneFilter = video->SceneDetector != nullptr;
  input.streamIsWide = streamIsWide_;
  input.displayAspect = QSize(context.AspectX, context.AspectY);
  input.nativeSize = QSize(context.SrcWidth, context.SrcHeight);
  const TAspect aspect = ChooseAspect(input);
  SetRadio(optionsFrame_->rgRatioDivx, aspect.ratioDivx);
  if (fullScreen()) {
    const TFullScreenLayout layout = LayOutFullScreen(QRect(QPoint(), plaque_->size()), aspect);
    videoWindow_->setGeometry(layout.video);
    plaque_->square()->setGeometry(layout.square);
    plaque_->square()->lower();
  } else {
    const TWindowedLayout layout = LayOutWindowed(panel, aspect, kOverlaySliderThickness);
    if (videoWindow_->parentWidget() == videoDisplay_) videoWindow_->setGeometry(layout.video.translated(-panel.topLeft()));
    shape2_->setGeometry(layout.frame);
    windowedLayout_ = layout;
    PlaceSliders();
  }
  videoWindow_->SetFill(true);
  SetRadio(optionsFrame_->rgRatioDV, aspect.wide ? 1 : 0);
  if (parameters_.WideScreen && parameters_.WideScreen->value != aspect.wide) {
    parameters_.WideScreen->value = aspect.wide;
    if (control_ && control_->EtatSession == esPreview) MajStatusTextes();
  }
}

// --- Mirrors and the lock to the capture format ------------------------------------------

bool TCaptureForm::VideoProcessingAvailable() const {
  if (!HasVideoSource()) return false;
  const bool locked = parameters_.PreviewLocked && parameters_.PreviewLocked->value && lockApplied_;
  return !locked || videoProcessing_;
}

void TCaptureForm::ApplyMirrors() {
  const bool processing = VideoProcessingAvailable();
  mirrorV_ = parameters_.WantVertFlip && parameters_.WantVertFlip->value && processing;
  mirrorH_ = parameters_.WantHorzFlip && parameters_.WantHorzFlip->value && processing;
  if (Tvx_Superposer* overlay = Overlay()) {
    overlay->SetFlip(mirrorV_);
    overlay->SetMirror(mirrorH_);
  }
  if (!control_ || !control_->capturing()) MajStatusTextes();
}

void TCaptureForm::acVertFlipExecute(QObject*) {
  TCustomSuperAction* flip = Command("acVertFlip");
  flip->SetChecked(!flip->IsChecked());
  if (parameters_.WantVertFlip) parameters_.WantVertFlip->value = flip->IsChecked();
  ApplyMirrors();
}

void TCaptureForm::acHorzFlipExecute(QObject*) {
  TCustomSuperAction* flip = Command("acHorzFlip");
  flip->SetChecked(!flip->IsChecked());
  if (parameters_.WantHorzFlip) parameters_.WantHorzFlip->value = flip->IsChecked();
  ApplyMirrors();
}

void TCaptureForm::taLockFalseExecute(QObject*) {
  if (parameters_.PreviewLocked) parameters_.PreviewLocked->value = true;
  Command("taLock")->SetChecked(true);
  ApplyPreviewLock();
}

void TCaptureForm::taLockTrueExecute(QObject*) {
  if (parameters_.PreviewLocked) parameters_.PreviewLocked->value = false;
  Command("taLock")->SetChecked(false);
  ApplyPreviewLock();
}

void TCaptureForm::ApplyPreviewLock() {
  if (!environment_.engine || !selection_) return;
  const TCaptureContext& context = environment_.engine->context;
  const TVideoSource* video = context.CurrentVideoSource;
  const bool locked = parameters_.PreviewLocked && parameters_.PreviewLocked->value;
  lockApplied_ = true;
  if (locked) {
    TLockInput input;
    input.format = parameters_.CaptureFormat ? parameters_.CaptureFormat->value : 0;
    input.hasSceneFilter = video && video->SceneDetector;
    input.hasVideoSource = video != nullptr;
    input.videoWindow = videoWindow_ ? videoWindow_->size() : QSize();
    const TLockRule rule = PreviewLockRule(input);
    if (rule.processing != TProcessing::Unchanged) videoProcessing_ = rule.processing == TProcessing::On;
    if (rule.touchesRatios)
      for (int i = 0; i < 4; ++i) Command(kRatioActions[i])->setEnabled(rule.enabled[i]);
    switch (rule.execute) {
      case TRatioAction::Normal: SetAspectRatio(arNormal); break;
      case TRatioAction::FourThree: SetAspectRatio(ar4x3); break;
      case TRatioAction::SixteenNine: SetAspectRatio(ar16x9); break;
      case TRatioAction::Matching: SetAspectRatio(parameters_.AspectRatio ? parameters_.AspectRatio->value : 0); break;
      case TRatioAction::None: break;
    }
    switch (rule.sources) {
      case TSourceRule::AudioFromVideoDevice: {
        const TAudioSource* audio = context.CurrentAudioSource;
        if (!video || !audio || audio->Device == video->Device) break;
        for (const QString& name : preview_->AudioSourceNames())
          if (const TAudioSource* candidate = preview_->AudioSource(name); candidate && candidate->Device == video->Device) {
            selection_->ActiverAudio(name);
            break;
          }
        break;
      }
      case TSourceRule::DeselectAudio:
        if (context.CurrentAudioSource) selection_->ActiverAudio(Text(texts::kNoAudioStream));
        break;
      case TSourceRule::DeselectVideo:
        if (video) selection_->ActiverVideo(Text(texts::kNoVideoStream));
        break;
      case TSourceRule::None:
        break;
    }
    EnableGroup(optionsFrame_->rgRatioDV, false);
    EnableGroup(optionsFrame_->rgRatioDivx, false);
  } else {
    videoProcessing_ = context.CurrentVideoSource != nullptr;
    EnableGroup(optionsFrame_->rgRatioDV, true);
    EnableGroup(optionsFrame_->rgRatioDivx, true);
    for (const char* name : kRatioActions) Command(name)->setEnabled(true);
    if (parameters_.WantAudioSource) {
      const QString wanted = parameters_.WantAudioSource->value;
      const TAudioSource* audio = context.CurrentAudioSource;
      if (!wanted.isEmpty() && (audio ? audio->Name : Text(texts::kNoAudioStream)) != wanted)
        selection_->ActiverAudio(wanted);
    }
  }
  ApplyIncrust();
  ApplyMirrors();
  const bool offered = VideoProcessingAvailable();
  for (const char* name : {"taIncruster", "acVertFlip", "acHorzFlip"}) Command(name)->setEnabled(offered);
}

// --- The monitoring sound ---------------------------------------------------------------

void TCaptureForm::AppliquerVolume() {
  if (!environment_.engine || !parameters_.Volume) return;
  const bool mute = parameters_.MuteOn && parameters_.MuteOn->value;
  SetMonitorVolume(*environment_.engine, mute ? 0 : parameters_.Volume->value);
}

void TCaptureForm::tbChange(int value) {
  if (parameters_.Volume) parameters_.Volume->value = value;
  volumeGauge_->setText(QString::asprintf("%d %%", value / 100));
  AppliquerVolume();
}

void TCaptureForm::SetVolume(int volume) {
  volume = std::clamp(volume, 0, kVolumeMaximum);
  if (tb_->value() == volume)
    tbChange(volume);
  else
    tb_->setValue(volume);
}

void TCaptureForm::acIncVolumeExecute(QObject*) {
  SetVolume(StepVolume(parameters_.Volume ? parameters_.Volume->value : 0, 1));
}

void TCaptureForm::acDecVolumeExecute(QObject*) {
  SetVolume(StepVolume(parameters_.Volume ? parameters_.Volume->value : 0, -1));
}

void TCaptureForm::taMuteOnExecute(QObject*) {
  if (parameters_.MuteOn) parameters_.MuteOn->value = true;
  Command("taMute")->SetChecked(true);
  AppliquerVolume();
  if (!control_ || !control_->capturing()) MajStatusTextes();
}

void TCaptureForm::taMuteOffExecute(QObject*) {
  if (parameters_.MuteOn) parameters_.MuteOn->value = false;
  Command("taMute")->SetChecked(false);
  AppliquerVolume();
  if (!control_ || !control_->capturing()) MajStatusTextes();
}

// --- Freezes ------------------------------------------------------------------------------

void TCaptureForm::FreezePreview(bool frozen) {
  if (environment_.engine && environment_.engine->context.dm) {
    Tdm& dm = environment_.engine->dm();
    dm.Stamper(dm.previewVideoControl).SetDropAll(frozen);
    dm.Stamper(dm.previewAudioControl).SetDropAll(frozen);
  }
  if (parameters_.FreezePreview) parameters_.FreezePreview->value = frozen;
  Command("taFreezepreview")->SetChecked(frozen);
}

void TCaptureForm::taFreezepreviewFalseExecute(QObject*) { FreezePreview(true); }
void TCaptureForm::taFreezepreviewTrueExecute(QObject*) { FreezePreview(false); }

void TCaptureForm::FreezeCapture(bool frozen) {
  if (environment_.engine) SetCaptureFrozen(*environment_.engine, frozen);
  if (parameters_.FreezeCapture) parameters_.FreezeCapture->value = frozen;
  Command("taFreezeCapture")->SetChecked(frozen);
  ShowCaptureFrozen(frozen);
}

// Cross-hatched while frozen, solid in the state's colour otherwise.
void TCaptureForm::ShowCaptureFrozen(bool frozen) {
  shape2_->SetHatched(frozen);
  plaque_->square()->SetHatched(frozen);
  plaque_->SetFrozen(frozen);
}

bool TCaptureForm::captureFrozenShown() const { return shape2_ && shape2_->hatched(); }

void TCaptureForm::taFreezeCaptureFalseExecute(QObject*) { FreezeCapture(true); }
void TCaptureForm::taFreezeCaptureTrueExecute(QObject*) { FreezeCapture(false); }

// --- The side panels ----------------------------------------------------------------------

void TCaptureForm::ShowPanel(int panel) {
  if (!IsPanelNumber(panel)) return;
  sidePanels_->setCurrentIndex(panel);
  if (parameters_.PanneauActif) parameters_.PanneauActif->value = static_cast<std::uint8_t>(panel);
}

void TCaptureForm::acNextPanneauExecute(QObject*) {
  // The next panel's own command, with its preparation.
  const int next = NextPanel(sidePanels_->currentIndex());
  if (TCustomSuperAction* action = Command(kPanelActions[next]))
    action->Execute();
  else
    ShowPanel(next);
}

void TCaptureForm::acBasculerPanneauExecute(QObject*) {
  if (parameters_.EcranGauche) parameters_.EcranGauche->value = !parameters_.EcranGauche->value;
  if (!reduced_) TntFormResize();
}

void TCaptureForm::acHelpExecute(QObject*) { ShowPanel(pnHelp); }
void TCaptureForm::acAproposExecute(QObject*) { ShowPanel(pnAbout); }

void TCaptureForm::ShowOptionsPage(int page) {
  ShowPanel(pnOptions);
  if (optionsFrame_->PageControl && page >= 0 && page < optionsFrame_->PageControl->count())
    optionsFrame_->PageControl->setCurrentIndex(page);
}
