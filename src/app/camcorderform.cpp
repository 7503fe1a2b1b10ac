// The main window's camcorder windows: which source each follows, which one
// takes the keyboard's camera commands, their refresh from the status timer,
// their pilot buttons, and the stop sent to the decks at exit.
#include <QCheckBox>
#include <QLabel>
#include <QLoggingCategory>
#include <QToolButton>

#include "app/captureform.h"
#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/devicesettings.h"
#include "control/deckcontrol.h"
#include "media/filters/vx_scenedetect.h"
#include "platform/trace.h"
#include "ui/camform.h"
#include "ui/sourcesframe.h"

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

namespace {

// How long the exit waits for a deck told to stop.
constexpr std::chrono::milliseconds kStopOnExitWait{1500};

std::shared_ptr<IDeckTransport> DeckOf(const TavFlux* source) {
  if (!source || !source->Active || !source->HasTransport || !source->Device) return nullptr;
  IDeviceSettings* settings = source->Device->settings();
  return settings ? settings->Transport() : nullptr;
}

// A deck that only moves to the other window keeps running.
void Unbind(TcamForm& window, bool deckLetGo) {
  TTransportBar& bar = window.nav->bar();
  if (!bar.hasTransport()) return;
  if (deckLetGo && window.cbStopQuittant->isChecked()) bar.Stop();
  bar.Bind(nullptr);
  window.hide();
}

}  // namespace

void TCaptureForm::BuildCamcorders() {
  for (int number = 1; number <= 2; ++number) {
    auto* window = new TcamForm(number, this);
    window->resize(DefaultCamcorderRect().size());
    window->image1->hide();
    cams_[number - 1] = window;
  }
  MakeKeyboardTarget(cams_[0]);
  connect(sourcesFrame_->sbVideoPilotVCR, &QToolButton::clicked, this, [this] { acShowVideoPilotDVExecute(nullptr); });
  connect(sourcesFrame_->sbAudioPilotVCR, &QToolButton::clicked, this, [this] { acShowAudioPilotDVExecute(nullptr); });
}

void TCaptureForm::MakeKeyboardTarget(TcamForm* window) {
  if (!window || window == keyTarget_) return;
  if (keyTarget_) keyTarget_->image1->hide();
  window->image1->show();
  keyTarget_ = window;
}

// Window 1 follows the video source's tape, window 2 the audio source's,
// unless that is the same device: both sources then share window 1. A
// window whose tape went away is stopped when asked to, unbound and hidden;
// the keyboard then goes to the other window.
void TCaptureForm::BindCamcorderWindows() {
  if (!environment_.engine) return;
  const TCaptureContext& context = environment_.engine->context;
  TavFlux* video = context.CurrentVideoSource;
  TavFlux* audio = context.CurrentAudioSource;
  const bool shared = video && audio && video->Device == audio->Device;
  const std::shared_ptr<IDeckTransport> wanted[2] = {DeckOf(video), shared ? nullptr : DeckOf(audio)};
  TavFlux* followed[2] = {video, audio};
  for (int i = 0; i < 2; ++i) {
    TcamForm& window = *cams_[i];
    TTransportBar& bar = window.nav->bar();
    if (bar.deck() != wanted[i]) {
      Unbind(window, bar.deck() != wanted[0] && bar.deck() != wanted[1]);
      if (wanted[i]) {
        bar.Bind(wanted[i]);
        window.setWindowTitle(followed[i]->Device->Name);
      }
    }
    if (wanted[i]) followed[i]->TransportWindow = i + 1;
  }
  if (shared && DeckOf(audio)) audio->TransportWindow = 1;
  TcamForm* other = keyTarget_ == cams_[0] ? cams_[1] : cams_[0];
  if (!keyTarget_->nav->bar().hasTransport() && other->nav->bar().hasTransport()) MakeKeyboardTarget(other);
}

// Each pilot button is there for a deck; its window shows as the user left
// it. A camera that is not a deck has its window hidden.
void TCaptureForm::ShowPilot(TavFlux* source, int number) {
  QToolButton* pilot = number == 1 ? sourcesFrame_->sbVideoPilotVCR : sourcesFrame_->sbAudioPilotVCR;
  const bool transport = source && source->HasTransport && source->TransportWindow;
  const bool offered = transport && source->IsVcr;
  pilot->setVisible(offered);
  if (!transport) return;
  TcamForm* window = camForm(source->TransportWindow);
  window->setVisible(offered && window->rememberedVisible);
}

void TCaptureForm::ShowCamcorderWindows() {
  if (!environment_.engine) return;
  BindCamcorderWindows();
  const TCaptureContext& context = environment_.engine->context;
  ShowPilot(context.CurrentVideoSource, 1);
  ShowPilot(context.CurrentAudioSource, 2);
  for (TcamForm* window : cams_)
    if (!window->nav->bar().hasTransport()) window->hide();
}

// The status timer's turn: the video source's window, then the audio
// source's when it has one of its own.
void TCaptureForm::RefreshCamcorders() {
  if (!environment_.engine) return;
  BindCamcorderWindows();
  const TCaptureContext& context = environment_.engine->context;
  const TavFlux* video = context.CurrentVideoSource;
  const TavFlux* audio = context.CurrentAudioSource;
  const auto refresh = [this](const TavFlux* source) {
    if (!source || !source->HasTransport || !source->TransportWindow) return;
    const Tvx_SceneDetect* detector = source->SceneDetector;
    const double date = detector && detector->currentHasDate() ? detector->currentRecordingDate() : 0.0;
    camForm(source->TransportWindow)->Refresh(date);
  };
  refresh(video);
  if (audio && (!video || audio->TransportWindow != video->TransportWindow)) refresh(audio);
}

// At exit: the decks whose window asks for it are stopped, each waited for
// a moment at most.
void TCaptureForm::CloseCamcorderWindows() {
  for (TcamForm* window : cams_) {
    if (!window) continue;
    TTransportBar& bar = window->nav->bar();
    if (bar.hasTransport() && window->cbStopQuittant->isChecked() && !bar.StopAndWait(kStopOnExitWait))
      qCWarning(lcStartup) << "camcorder" << window->number() << "did not confirm its stop";
    bar.Bind(nullptr);
    window->hide();
  }
}

// "Stop en quittant" and whether the window is wanted, from the parameters
// of window 1 (the video source's) or 2 (the audio source's).
void TCaptureForm::LoadCamcorderWindow(int number) {
  TcamForm* window = camForm(number);
  const bool first = number == 1;
  if (const TBooleanParameter* stop = first ? parameters_.StopperCameraDV1EnQuittant : parameters_.StopperCameraDV2EnQuittant)
    window->cbStopQuittant->setChecked(stop->value);
  if (const TBooleanParameter* show = first ? parameters_.ShowVideoPilotDV : parameters_.ShowAudioPilotDV)
    window->rememberedVisible = show->value;
  trace::TraceLine(QStringLiteral("cam%1 passed").arg(number));
}

void TCaptureForm::SaveCamcorderWindows() {
  for (TcamForm* window : cams_) {
    const bool first = window->number() == 1;
    if (TBooleanParameter* stop = first ? parameters_.StopperCameraDV1EnQuittant : parameters_.StopperCameraDV2EnQuittant)
      stop->value = window->cbStopQuittant->isChecked();
    if (TBooleanParameter* show = first ? parameters_.ShowVideoPilotDV : parameters_.ShowAudioPilotDV)
      show->value = window->rememberedVisible;
  }
}

// --- Commands ---------------------------------------------------------------------------

void TCaptureForm::cam_PlayExecute(QObject*) { keyTarget_->nav->bar().Play(); }
void TCaptureForm::cam_PauseExecute(QObject*) { keyTarget_->nav->bar().Pause(); }
void TCaptureForm::cam_StopExecute(QObject*) { keyTarget_->nav->bar().Stop(); }
void TCaptureForm::cam_AvanceLentExecute(QObject*) { keyTarget_->nav->bar().SlowForward(); }
void TCaptureForm::cam_ReculeLentExecute(QObject*) { keyTarget_->nav->bar().SlowBackward(); }
void TCaptureForm::cam_AvanceRapideExecute(QObject*) { keyTarget_->nav->bar().FastForward(); }
void TCaptureForm::cam_ReculeRapideExecute(QObject*) { keyTarget_->nav->bar().FastBackward(); }
void TCaptureForm::cam_PlayPauseExecute(QObject*) { keyTarget_->nav->bar().PlayPause(); }

void TCaptureForm::cam_ToggleExecute(QObject*) {
  TcamForm* other = keyTarget_ == cams_[0] ? cams_[1] : cams_[0];
  if (other->isVisible()) MakeKeyboardTarget(other);
}

// The pilot's window shown or hidden, as the user wants it from now on;
// only for a deck.
void TCaptureForm::TogglePilot(const TavFlux* source) {
  if (!source || !source->HasTransport || !source->IsVcr || !source->TransportWindow) return;
  TcamForm* window = camForm(source->TransportWindow);
  window->rememberedVisible = !window->isVisible();
  window->setVisible(window->rememberedVisible);
}

void TCaptureForm::acShowVideoPilotDVExecute(QObject*) {
  if (environment_.engine) TogglePilot(environment_.engine->context.CurrentVideoSource);
}

void TCaptureForm::acShowAudioPilotDVExecute(QObject*) {
  if (environment_.engine) TogglePilot(environment_.engine->context.CurrentAudioSource);
}
