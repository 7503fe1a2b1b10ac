// The main window's stills: the grab commands, the interval timer's switch,
// countdown and beeps, the image type, and the filters' notifications that
// bring grabbed frames and the DV picture's shape.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QGroupBox>
#include <QPixmap>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "app/captureform.h"
#include "app/foldernaming.h"
#include "app/previewsession.h"
#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "control/sessioncontrol.h"
#include "control/stillgrab.h"
#include "media/filters/filtercontract.h"
#include "media/filters/vx_superposer.h"
#include "media/formats/dsfunctions.h"
#include "platform/graph.h"
#include "platform/shellutils.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/extraireframe.h"
#include "ui/optionsframe.h"
#include "ui/listeframe.h"
#include "ui/sourcesframe.h"
#include "ui/videowindow.h"

namespace {

constexpr int kLastCountdownBeep = 4;  // seconds before the grab that beep
constexpr int kPreviewRefreshMs = 100;

}  // namespace

void TCaptureForm::BuildGrab() {
  connect(extraireFrame_->RxSwitch1, &QToolButton::clicked, this, [this] { ExtraireFrame1RxSwitch1Click(); });
  connect(extraireFrame_->cbBeeps, &QCheckBox::clicked, this, [this](bool on) {
    if (parameters_.Beeps) parameters_.Beeps->value = on;
  });
  connect(extraireFrame_, &TExtraireFrame::destlabelClicked, this, [this] {
    if (TCustomSuperAction* folders = al_.FindByObjectName("acDossiersFrame")) folders->Execute();
  });
  if (videoWindow_) connect(videoWindow_, &TVideoWindow::clicked, this, [this] { saGrabExecute(nullptr); });
  if (!environment_.engine || !environment_.engine->context.dm) return;
  TGrabHooks hooks;
  hooks.imageByImage = [this] { return imageByImage_; };
  hooks.imageGrabbed = [this] {
    if (control_) control_->ImageGrabbed();
  };
  hooks.deinterlace = [this] { return !parameters_.InternalDeinterlacer || parameters_.InternalDeinterlacer->value; };
  hooks.aspect = [this] { return StillAspect(); };
  hooks.showStill = [this](const QImage& still) { ShowStill(still); };
  hooks.nomImage = [this] { return folderNaming_->NomImage(); };
  hooks.nomImageSuivant = [this] { return folderNaming_->NomImageSuivant(); };
  hooks.extension = [this] { return parameters_.ExtensionDesImages ? int(parameters_.ExtensionDesImages->value) : 0; };
  // The slider as it stands: the parameter takes it only at the save.
  hooks.quality = [this] { return optionsFrame_->tbQualite->value(); };
  // Until the options panel exists, "Tous" clears the parameter itself.
  hooks.confirmImage = [this] { return parameters_.ConfirmerImage && parameters_.ConfirmerImage->value; };
  hooks.clearConfirmImage = [this] {
    if (parameters_.ConfirmerImage) parameters_.ConfirmerImage->value = false;
  };
  hooks.ask = [this](const QString& text, bool withAll) { return Ask(text, withAll); };
  hooks.tell = [this](const QString& text) { Inform(text); };
  hooks.toTrash = [](const QString& file) { return shell::DeleteToRecycleBin(file); };
  hooks.panelTexts = [this] {
    return QStringList{sourcesFrame_->cboxvideo->currentText(), sourcesFrame_->cboxAudio->currentText(),
                       sourcesFrame_->cbEntries->isVisible() ? sourcesFrame_->cbEntries->currentText() : QString(),
                       sourcesFrame_->cbFormatCapture->currentText()};
  };
  hooks.listed = [this](const TDataFichier& file) { listeFrame_->Add(file); };
  grabber_ = std::make_unique<TStillGrabber>(environment_.engine->dm().Superposer(), std::move(hooks));
}

void TCaptureForm::saGrabExecute(QObject*) {
  if (!grabber_) return;
  if (sidePanels_->currentIndex() != pnImageExtraction)
    if (TCustomSuperAction* panel = al_.FindByObjectName("acExtraireFrame")) panel->Execute();
  environment_.engine->dm().Superposer().RequestGrab();
  extraireFrame_->Bevel3->hide();
}

void TCaptureForm::acExtraireFrameExecute(QObject*) { ShowPanel(pnImageExtraction); }

void TCaptureForm::saIntervalloExecute(QObject*) {
  if (!extraireFrame_->RxSwitch1->isEnabled()) return;
  extraireFrame_->RxSwitch1->setChecked(!extraireFrame_->RxSwitch1->isChecked());
  ExtraireFrame1RxSwitch1Click();
}

void TCaptureForm::ExtraireFrame1RxSwitch1Click() {
  extraireFrame_->chronoLab->hide();
  const bool on = extraireFrame_->RxSwitch1->isChecked();
  if (grabber_) {
    Tvx_Superposer& overlay = environment_.engine->dm().Superposer();
    if (on) {
      const double fps = environment_.engine->context.Fps;
      overlay.StartIntervalGrab(TStillGrabber::IntervalUnits(extraireFrame_->cbUnites->currentIndex(),
                                                             extraireFrame_->RxSpinEdit7->value(), fps));
      extraireFrame_->chronoLab->clear();
      extraireFrame_->chronoLab->show();
    } else {
      overlay.StopIntervalGrab();
    }
  }
  extraireFrame_->RxSpinEdit7->setEnabled(!on);
  extraireFrame_->cbUnites->setEnabled(!on);
  MajStatusTextes();
}

void TCaptureForm::acJpgOptionExecute(QObject*) { rgExtensionClick(1); }
void TCaptureForm::acBmpOptionExecute(QObject*) { rgExtensionClick(0); }

void TCaptureForm::rgExtensionClick(int index) {
  folderNaming_->SetImageExtension(index);
  if (parameters_.ExtensionDesImages) parameters_.ExtensionDesImages->value = index;
  TOptionsFrame::Select(optionsFrame_->rgExtension, index);
  optionsFrame_->gbQualite->setVisible(index == 1);
  MajStatusTextes();
}

// The shape a still takes, as the display shows the picture.
QSize TCaptureForm::StillAspect() const {
  const TCaptureContext& context = environment_.engine->context;
  switch (parameters_.AspectRatio ? int(parameters_.AspectRatio->value) : 0) {
    case 1:
      return {4, 3};
    case 2:
      return {16, 9};
    case 3:
      return {context.SrcWidth, context.SrcHeight};
    default:
      if (context.CurrentVideoSource && context.CurrentVideoSource->SceneDetector)
        return streamIsWide_ ? QSize(16, 9) : QSize(4, 3);
      return {context.AspectX, context.AspectY};
  }
}

// The preview follows the stills at most ten times a second: at full speed
// the interval timer saves 25 a second, and drawing each would take the
// time the saving needs.
void TCaptureForm::ShowStill(const QImage& still) {
  const QRect bounds = TStillGrabber::PreviewBounds(still.size());
  extraireFrame_->Image->setGeometry(bounds);
  extraireFrame_->Bevel3->setGeometry(bounds.adjusted(-1, -1, 1, 1));
  extraireFrame_->Bevel3->show();
  const bool first = previewStill_.isNull();
  previewStill_ = still;
  if (previewPending_) return;
  previewPending_ = true;
  QTimer::singleShot(first ? 0 : kPreviewRefreshMs, this, [this] {
    previewPending_ = false;
    const QSize size = extraireFrame_->Image->size();
    extraireFrame_->Image->setPixmap(
        QPixmap::fromImage(previewStill_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    extraireFrame_->Image->raise();
  });
}

void TCaptureForm::Beep(int which) {
  if (environment_.beep) {
    environment_.beep(which);
    return;
  }
  which == 0 ? PlayBeep0() : PlayBeep1();
}

void TCaptureForm::HandleNotification(const graph::GraphEvent& event) {
  switch (event.notification) {
    case kNotifyGrabbedFrame:
      if (grabber_) grabber_->FrameReady(static_cast<int>(event.second));
      break;
    case kNotifyIntervalCountdown:
      extraireFrame_->chronoLab->setText(QString::number(event.first));
      if (parameters_.Beeps && parameters_.Beeps->value && event.first >= 0 && event.first <= kLastCountdownBeep)
        Beep(event.first == 0 ? 0 : 1);
      break;
    case kNotifyWideScreen: {
      const TVideoSource* video = environment_.engine->context.CurrentVideoSource;
      if ((!video || video->SceneDetector) && event.first == 1) streamIsWide_ = event.second == 1;
      LayOutVideo();
      break;
    }
    default:
      break;
  }
}
