// The main window's side of the capture session: its commands, the
// presentation of each state, the status bar and its timer.
#include <QComboBox>
#include <QSpinBox>
#include <QToolButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "app/captureform.h"
#include "app/foldernaming.h"
#include "app/identity.h"
#include "app/previewsession.h"
#include "app/sourceselection.h"
#include "ui/programmerframe.h"
#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/preview.h"
#include "control/capturejournal.h"
#include "control/sessioncontrol.h"
#include "media/formats/dsfunctions.h"
#include "platform/shellutils.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/extraireframe.h"
#include "ui/listeframe.h"
#include "ui/plaque.h"
#include "ui/sourcesframe.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr int kStatusTimerMs = 300;
const QColor kPreviewFrame(0x20, 0x20, 0x20);

}  // namespace

void TCaptureForm::BuildSessionControl() {
  if (!environment_.engine) return;
  journal_ = std::make_unique<TCaptureJournal>(environment_.journalPath.isEmpty() ? TCaptureJournal::DefaultPath()
                                                                                  : environment_.journalPath);
  TSessionHooks hooks;
  hooks.nomVideo = [this] { return folderNaming_->NomVideo(); };
  hooks.nomVideoSuivant = [this] { return folderNaming_->NomVideoSuivant(); };
  hooks.captureFormat = [this] { return parameters_.CaptureFormat ? int(parameters_.CaptureFormat->value) : 0; };
  hooks.panelTexts = [this] {
    return QStringList{sourcesFrame_->cboxvideo->currentText(), sourcesFrame_->cboxAudio->currentText(),
                       sourcesFrame_->cbEntries->isVisible() ? sourcesFrame_->cbEntries->currentText() : QString(),
                       sourcesFrame_->cbFormatCapture->currentText()};
  };
  hooks.settings = [this] {
    TCaptureSettings settings;
    if (parameters_.GarderFormatDV) settings.keepDvFormat = parameters_.GarderFormatDV->value;
    if (parameters_.FrequenceDVNative) settings.nativeDvRate = parameters_.FrequenceDVNative->value;
    if (parameters_.FrequenceDV) settings.dvRate = parameters_.FrequenceDV->value;
    if (parameters_.StandardDV) settings.dvStandard = parameters_.StandardDV->value;
    if (parameters_.RatioDV) settings.ratioDv = parameters_.RatioDV->value;
    if (parameters_.RatioDivX) settings.ratioDivx = parameters_.RatioDivX->value;
    if (parameters_.DemiTaille) settings.demiTaille = parameters_.DemiTaille->value;
    if (parameters_.DVDemiSiDivX) settings.dvHalfForDivx = parameters_.DVDemiSiDivX->value;
    if (parameters_.WantMp3) settings.wantMp3 = parameters_.WantMp3->value;
    settings.mp3Kbps = Mp3Kbps();
    settings.wmvVersion = parameters_.VersionWmv ? parameters_.VersionWmv->value : 2;
    settings.wmvProfile = SelectedWmvProfileRow();
    return settings;
  };
  // Until the options panel exists, "Tous" clears the parameter itself.
  hooks.confirmVideo = [this] { return parameters_.ConfirmerVideo && parameters_.ConfirmerVideo->value; };
  hooks.clearConfirmVideo = [this] {
    if (parameters_.ConfirmerVideo) parameters_.ConfirmerVideo->value = false;
  };
  hooks.scn = [this] { return parameters_.Scn && parameters_.Scn->value; };
  hooks.notifierChoice = [this] { return notifierChoice_; };
  hooks.setNotifier = [this](bool on) {
    if (parameters_.Notifier) parameters_.Notifier->value = on;
    if (selection_) selection_->SetDeviceLostHandler(!on);
  };
  hooks.ask = [this](const QString& text, bool withAll) { return Ask(text, withAll); };
  hooks.tell = [this](const QString& text) { ShowProblem(text); };
  hooks.appliquerVolume = [this] { AppliquerVolume(); };
  hooks.modeImageImage = [this](bool on) {
    imageByImage_ = on;
    folderNaming_->SetImageByImage(on);
  };
  hooks.toTrash = [](const QString& file) { return shell::DeleteToRecycleBin(file); };
  hooks.framerate = [this] { return parameters_.Framerate ? parameters_.Framerate->value : 18.0; };
  // The capture files join the stills in the session list.
  hooks.listed = [this](const TDataFichier& file) { listeFrame_->Add(file); };
  control_ = std::make_unique<TSessionControl>(*environment_.engine, journal_.get(), std::move(hooks));
  if (preview_) {
    preview_->beforeEvent = [this](const graph::GraphEvent& event) {
      // The session takes the notices that are its own (a WAV file that is
      // nearly full goes on in the next one); the window the others.
      const bool session = control_->HandleEvent(event);
      if (event.notification && !session) {
        HandleNotification(event);
        return true;
      }
      if (!session) return false;
      // The capture ended (a failure, or a cut that could not be made).
      if (!control_->capturing()) AfficherPreview();
      return true;
    };
  }
  statusTimer_ = new QTimer(this);
  statusTimer_->setInterval(kStatusTimerMs);
  connect(statusTimer_, &QTimer::timeout, this, &TCaptureForm::OnStatusTimer);
  statusTimer_->start();
  connect(sourcesFrame_->leFramerate, &QLineEdit::editingFinished, this, &TCaptureForm::leFramerateExit);
}

TAnswer TCaptureForm::Ask(const QString& text, bool withAll) {
  if (environment_.ask) return environment_.ask(text, withAll);
  QMessageBox box(QMessageBox::Warning, identity::kProductName, text, QMessageBox::Yes | QMessageBox::No, this);
  QPushButton* all = withAll ? box.addButton(Text(texts::kAnswerAll), QMessageBox::AcceptRole) : nullptr;
  const int answer = box.exec();
  if (all && box.clickedButton() == all) return TAnswer::All;
  return answer == QMessageBox::Yes ? TAnswer::Yes : TAnswer::No;
}

// --- Commands -------------------------------------------------------------------------

void TCaptureForm::saCapturerBasculeExecute(QObject*) {
  if (!control_) return;
  switch (control_->EtatSession) {
    case esPreview:
      if (control_->PreparerCapture()) AfficherCapture();
      break;
    case esProgramme:
      // Started now, with its end kept.
      if (control_->PreparerCapture()) {
        AfficherCaptureProgrammee();
        ProgrammerFin();
        AfficherCaptureProgrammee();
      } else {
        AfficherPreview();
        AnnulerAlarme();
      }
      break;
    case esCapture:
    case esCaptureProgrammee: {
      const bool scheduled = control_->EtatSession == esCaptureProgrammee;
      if (!control_->ArreterCapture()) control_->AbandonnerCapture();
      AfficherPreview();
      if (scheduled) AnnulerAlarme();
      break;
    }
  }
}

void TCaptureForm::acCouperExecute(QObject*) {
  if (!control_ || !control_->capturing()) return;
  if (!control_->Couper()) AfficherPreview();
}

// --- Presentation ---------------------------------------------------------------------

void TCaptureForm::SetFrameColour(const QColor& colour) {
  shape2_->SetColour(colour);
  // The backdrop's square is black while the preview is shown.
  plaque_->square()->SetColour(colour == kPreviewFrame ? QColor(Qt::black) : colour);
  QPalette palette = videoArea_->palette();
  palette.setColor(QPalette::Window, colour);
  for (QWidget* slider : {static_cast<QWidget*>(xslider()), static_cast<QWidget*>(yslider())})
    if (slider) slider->setPalette(palette);
}

QColor TCaptureForm::frameColour() const { return shape2_->colour(); }

void TCaptureForm::AfficherPreview() {
  if (control_) control_->EtatSession = esPreview;
  // The camcorder decoded whole again after a half-size recording.
  if (std::exchange(halfSizeShown_, false) && selection_) selection_->ShowPictureSize(false);
  ShowCapturing(false, kPreviewFrame);
  if (TCustomSuperAction* capture = al_.FindByObjectName("saCapturerBascule")) capture->SetChecked(false);
  EnableCapture();
  ShowCamcorderWindows();
  MajStatusTextes();
}

// What capturing changes: the frame, the capture command's caption and hint,
// "Couper", the source lists and the schedule's start.
void TCaptureForm::ShowCapturing(bool capturing, const QColor& frame) {
  SetFrameColour(frame);
  ShowScheduleState(false);
  programmerFrame_->gbDebut->setVisible(!capturing);
  programmerFrame_->NowBtn->setVisible(!capturing);
  if (TCustomSuperAction* capture = al_.FindByObjectName("saCapturerBascule")) {
    capture->setText(Text(capturing ? texts::kCommandStopCapture : texts::kCommandCapture));
    capture->setToolTip(Text(capturing ? texts::kCommandStopCaptureHint : texts::kCommandCaptureHint));
  }
  if (TCustomSuperAction* cut = al_.FindByObjectName("acCouper")) cut->setEnabled(capturing);
  if (TCustomSuperAction* lock = al_.FindByObjectName("taLock")) lock->setEnabled(!capturing);
  for (QWidget* group : {static_cast<QWidget*>(sourcesFrame_->gbVideo), static_cast<QWidget*>(sourcesFrame_->gbAudio),
                         static_cast<QWidget*>(sourcesFrame_->gbFormatCapture),
                         static_cast<QWidget*>(sourcesFrame_->ActualiserVideoSpeedBtn)})
    group->setEnabled(!capturing);
  EnableOutsideCapture(!capturing);
}

// The preview lock, the Windows Media profile group and the video-file
// group are built by later work; they follow the capture state here.
void TCaptureForm::EnableOutsideCapture(bool /*enabled*/) {}

// The sources summary: "Vid: DV  - Aud: DV =>natif"; the format decides
// which sources take part. Empty without a source.
QString TCaptureForm::SourcesSummary(bool videoCounts, bool audioCounts) const {
  const TCaptureContext& context = environment_.engine->context;
  QString summary;
  if (context.CurrentVideoSource && videoCounts)
    summary = "Vid: " + sourcesFrame_->cboxvideo->currentText().left(3).toUpper();
  if (context.CurrentAudioSource && audioCounts)
    summary += (summary.isEmpty() ? "" : " - ") + QStringLiteral("Aud: ") + sourcesFrame_->cboxAudio->currentText().left(3);
  const int format = parameters_.CaptureFormat ? parameters_.CaptureFormat->value : 0;
  if (!summary.isEmpty()) summary += "=>" + FormatCaptureShortName(static_cast<std::uint8_t>(format));
  return summary;
}

// "Capturer" can be pressed when there is something to capture.
void TCaptureForm::EnableCapture() {
  TCustomSuperAction* capture = al_.FindByObjectName("saCapturerBascule");
  if (!capture || (control_ && control_->EtatSession != esPreview)) return;
  const TCaptureContext* context = environment_.engine ? &environment_.engine->context : nullptr;
  capture->setEnabled(context && (context->CurrentVideoSource || context->CurrentAudioSource));
}

void TCaptureForm::AfficherCapture() {
  if (control_) control_->EtatSession = esCapture;
  ShowCapturing(true, Qt::red);
  if (selection_ && environment_.engine->context.DvHalfRes) {
    selection_->ShowPictureSize(true);
    halfSizeShown_ = true;
  }
  // A capture frozen beforehand starts frozen.
  if (const TCustomSuperAction* freeze = al_.FindByObjectName("taFreezeCapture"); freeze && freeze->IsChecked())
    SetCaptureFrozen(*environment_.engine, true);
  const int format = parameters_.CaptureFormat ? parameters_.CaptureFormat->value : 0;
  texteEtat_ = SourcesSummary(format != fcWav && format != fcMp3, format != fcImageByImage);
  texteMiroirH_.clear();
  RepaintStatus();
}

void TCaptureForm::MajStatusTextes() {
  const bool jpeg = parameters_.ExtensionDesImages && parameters_.ExtensionDesImages->value != 0;
  texteIntervallo_ = QString(jpeg ? "JPG - " : "BMP - ");
  intervalloOn_ = extraireFrame_->RxSwitch1->isChecked();
  if (intervalloOn_)
    texteIntervallo_ += Text(texts::kStatusInterval)
                            .arg(extraireFrame_->RxSpinEdit7->value())
                            .arg(extraireFrame_->cbUnites->currentText());
  else
    texteIntervallo_ += Text(texts::kStatusIntervalOff);
  texteEtat_ = Text(texts::kStatusPreview);
  if (parameters_.MuteOn && parameters_.MuteOn->value) texteEtat_ += " mute";
  if (overlayActive_) texteEtat_ += " in";
  texteEtat_ += parameters_.WideScreen && parameters_.WideScreen->value ? " 16x9" : " 4x3";
  if (verticalMirror()) texteEtat_ += " v";
  texteMiroirH_ = horizontalMirror() ? " h" : "";
  if (environment_.engine)
    if (const QString sources = SourcesSummary(true, true); !sources.isEmpty()) texteSources_ = sources;
  if (folderNaming_ && !folderNaming_->NomVideo().isEmpty()) {
    const QString drive = TFolderNaming::DriveOf(folderNaming_->NomVideo());
    // The mount point as it is: Linux paths are case-sensitive.
    texteInfo_ = Text(texts::kStatusFreeSpace).arg(DiskFreeMB(drive)).arg(drive);
  }
  RepaintStatus();
}

void TCaptureForm::RepaintStatus() {
  if (statusPanels_.size() < 4) return;
  statusPanels_[0]->setText(texteIntervallo_);
  statusPanels_[0]->setStyleSheet(intervalloOn_ ? "color: red" : "color: black");
  // The state in black, the horizontal mirror's mark in red after it.
  statusPanels_[1]->setTextFormat(Qt::RichText);
  statusPanels_[1]->setText(texteMiroirH_.isEmpty() ? texteEtat_.toHtmlEscaped()
                                                    : texteEtat_.toHtmlEscaped() + "<span style='color:red'>&nbsp;" +
                                                          texteMiroirH_.toHtmlEscaped() + "</span>");
  statusPanels_[2]->setText(texteSources_);
  statusPanels_[3]->setText(texteInfo_);
}

QStringList TCaptureForm::statusTexts() const {
  return {texteIntervallo_, texteEtat_ + texteMiroirH_, texteSources_, texteInfo_};
}

void TCaptureForm::OnStatusTimer() {
  RefreshCamcorders();
  if (!control_ || !control_->capturing()) return;
  texteSources_ = TSessionControl::DurationText(control_->DebutCapture().secsTo(QDateTime::currentDateTime()));
  const int format = parameters_.CaptureFormat ? parameters_.CaptureFormat->value : 0;
  if (format == fcWav)
    texteInfo_ = Text(texts::kStatusAudioWav);
  else if (format == fcMp3)
    texteInfo_ = Text(texts::kStatusAudioMp3);
  else if (const auto counts = control_->DroppedFrames())
    texteInfo_ = Text(texts::kStatusLostFrames).arg(counts->first).arg(counts->first + counts->second);
  else
    texteInfo_.clear();
  RepaintStatus();
}

// "Images/seconde": a decimal number, 0 < value <= 1000.
void TCaptureForm::leFramerateExit() {
  if (!parameters_.Framerate) return;
  const std::optional<double> value = shell::ParseReal(sourcesFrame_->leFramerate->text());
  if (value && *value > 0 && *value <= 1000) {
    parameters_.Framerate->value = *value;
    return;
  }
  ShowProblem(Text(texts::kFramerateInvalid));
  sourcesFrame_->leFramerate->setText(Text(texts::kFramerateDefault));
  parameters_.Framerate->value = 18.0;
}
