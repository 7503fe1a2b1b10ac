// The devices' settings menus of the sources panel: built again at each
// opening from what the current devices offer, each entry followed by the
// re-activation of the sources and the preview, whatever the dialog did.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDialog>
#include <QLoggingCategory>
#include <QMenu>
#include <QToolButton>

#include "app/previewsession.h"
#include "app/sourceselection.h"
#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/crossbar.h"
#include "capture/devicesettings.h"
#include "capture/formatchoices.h"
#include "capture/v4l2crossbar.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/settingsdialogs.h"
#include "ui/sourcesframe.h"

Q_DECLARE_LOGGING_CATEGORY(lcSelection)

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

TCaptureDevice* DeviceOf(const TavFlux* source) { return source ? source->Device : nullptr; }

IDeviceSettings* SettingsOf(const TavFlux* source) {
  return source && source->Device ? source->Device->settings() : nullptr;
}

// What the device offers now (its standard may have changed it), else what
// it was listed with.
std::vector<TFormatChoice> ChoicesOf(TCaptureDevice* device) {
  if (!device || device->Kind != dkVideo) return {};
  if (GstElement* source = device->SourceFilter())
    if (const gst::PadObjectPtr output{gst_element_get_static_pad(source, "src")}) {
      const gst::CapsPtr offered(gst_pad_query_caps(output.get(), nullptr));
      if (std::vector<TFormatChoice> choices = FormatChoicesOf(offered.get()); !choices.empty()) return choices;
    }
  return FormatChoicesOf(device->caps());
}

}  // namespace

int TSourceSelection::RunDialog(QDialog& dialog) {
  return hooks_.runDialog ? hooks_.runDialog(dialog) : dialog.exec();
}

// The settings buttons close the file being written, take the source down
// (its device stays) and open its menu under the button.
void TSourceSelection::VideoPropBtnClick() {
  Call(hooks_.CloreFichier);
  settingsVideo_ = preview_.engine().context.CurrentVideoSource;
  preview_.DeactivateVideo(false);
  PopUp(VideoSettingsMenuPopup(), *frame_.sbVideoSettings);
}

void TSourceSelection::AudiopropBtnClick() {
  Call(hooks_.CloreFichier);
  settingsAudio_ = preview_.engine().context.CurrentAudioSource;
  preview_.DeactivateAudio(false);
  PopUp(AudioSettingsMenuPopup(), *frame_.sbAudioSettings);
}

void TSourceSelection::PopUp(QMenu* menu, const QWidget& under) {
  if (menu) menu->popup(under.mapToGlobal(QPoint(0, under.height())));
}

QMenu* TSourceSelection::VideoSettingsMenuPopup() { return BuildMenu(MenuSide::Video); }
QMenu* TSourceSelection::AudioSettingsMenuPopup() { return BuildMenu(MenuSide::Audio); }

TVideoSource* TSourceSelection::SettingsVideo() const {
  TVideoSource* current = preview_.engine().context.CurrentVideoSource;
  return current ? current : settingsVideo_;
}

TAudioSource* TSourceSelection::SettingsAudio() const {
  TAudioSource* current = preview_.engine().context.CurrentAudioSource;
  return current ? current : settingsAudio_;
}

QMenu* TSourceSelection::BuildMenu(MenuSide side) {
  // Every item of the last menu goes with it.
  if (menu_) menu_->deleteLater();
  menu_ = new QMenu(&frame_);
  menu_->setObjectName(side == MenuSide::Video ? "VideoSettingsMenu" : "AudioSettingsMenu");
  if (side == MenuSide::Video) {
    AddVideoEntries(*menu_, true);
  } else {
    AddVideoEntries(*menu_, false);
    AddAudioEntries(*menu_);
  }
  if (menu_->actions().isEmpty()) menu_->addAction(Text(texts::kMenuNoPages))->setObjectName("none");
  return menu_;
}

void TSourceSelection::AddEntry(QMenu& menu, MenuSide side, const char* caption, std::function<void()> action) {
  QAction* entry = menu.addAction(Text(caption));
  // The follow-up runs whatever the dialog did, even when it failed.
  connect(entry, &QAction::triggered, this, [this, side, action = std::move(action)] {
    try {
      action();
    } catch (const std::exception& error) {
      qCWarning(lcSelection) << "settings dialog:" << error.what();
    }
    AfterSettings(side);
  });
}

// The video source's dialogs; the audio menu has the first ones too.
void TSourceSelection::AddVideoEntries(QMenu& menu, bool fullSet) {
  TVideoSource* video = SettingsVideo();
  TCaptureDevice* device = DeviceOf(video);
  if (!device) return;
  const MenuSide side = fullSet ? MenuSide::Video : MenuSide::Audio;
  const QString name = video->Name;
  if (std::vector<TFormatChoice> choices = ChoicesOf(device); !choices.empty())
    AddEntry(menu, side, texts::kMenuVideoFormat, [this, device, name, choices] {
      int current = -1;
      if (device->chosenFormat)
        for (std::size_t i = 0; i < choices.size(); ++i)
          if (gst_caps_is_equal(CapsOfChoice(choices[i]).get(), device->chosenFormat.get())) current = int(i);
      TFormatDialog dialog(name, choices, current, frame_.window());
      if (RunDialog(dialog) != QDialog::Accepted) return;
      const int chosen = dialog.chosen();
      device->chosenFormat = chosen < 0 ? gst::CapsPtr() : CapsOfChoice(choices[chosen]);
    });
  IDeviceSettings* settings = SettingsOf(video);
  if (IVideoControls* controls = settings ? settings->PictureControls() : nullptr)
    AddEntry(menu, side, texts::kMenuVideoSource, [this, controls, name] {
      TControlsDialog dialog(name, *controls, frame_.window());
      dialog.refused = [this](const QString& control) {
        if (hooks_.tell) hooks_.tell(Text(texts::kSettingsRefused).arg(control));
      };
      RunDialog(dialog);
    });
  if (!fullSet) return;
  if (GstElement* element = device->SourceFilter())
    AddEntry(menu, side, texts::kMenuVideoFilter, [this, element, name] {
      TPropertyEditor dialog(name, G_OBJECT(element), frame_.window());
      RunDialog(dialog);
    });
  if (IV4l2Inputs* inputs = settings ? settings->Inputs() : nullptr) {
    cardCrossbar_ = std::make_unique<TV4l2Crossbar>(*inputs);
    crossbar_ = std::make_unique<TCrossbar>(TCrossbarOutput{cardCrossbar_.get(), 0});
    if (crossbar_->GetInputCount() > 0)
      AddEntry(menu, side, texts::kMenuCrossbar, [this, name] {
        TCrossbarDialog dialog(name, *crossbar_, frame_.window());
        if (RunDialog(dialog) == QDialog::Accepted && !dialog.Apply() && hooks_.tell)
          hooks_.tell(Text(texts::kSettingsRefused).arg(dialog.list()->currentText()));
        parameters_.VideoInputSelect->value = crossbar_->GetInputIndex();
      });
  }
  if (ITvTuner* tuner = settings ? settings->Tuner() : nullptr)
    AddEntry(menu, side, texts::kMenuTvTuner, [this, tuner, name] {
      TTunerDialog dialog(name, *tuner, frame_.window());
      RunDialog(dialog);
    });
  if (crossbar_ && crossbar_->GetInputCount() > 0) AddInputsSubmenu(menu);
}

void TSourceSelection::AddAudioEntries(QMenu& menu) {
  TAudioSource* audio = SettingsAudio();
  if (TCaptureDevice* device = DeviceOf(audio))
    if (GstElement* element = device->SourceFilter())
      AddEntry(menu, MenuSide::Audio, texts::kMenuAudioFilter, [this, element, name = audio->Name] {
        TPropertyEditor dialog(name, G_OBJECT(element), frame_.window());
        RunDialog(dialog);
      });
  // The TV sound is the card's tuner's.
  TVideoSource* video = SettingsVideo();
  IDeviceSettings* settings = SettingsOf(video);
  if (ITvTuner* tuner = settings ? settings->Tuner() : nullptr; tuner && !tuner->AudioModes().empty())
    AddEntry(menu, MenuSide::Audio, texts::kMenuTvAudio, [this, tuner, name = video->Name] {
      TTvAudioDialog dialog(name, *tuner, frame_.window());
      RunDialog(dialog);
    });
}

// One item per route; the route in force is marked and routed: the one the
// user chose last, else the first from a tuner, else the first.
void TSourceSelection::AddInputsSubmenu(QMenu& menu) {
  menu.addSeparator();
  QMenu* inputs = menu.addMenu(Text(texts::kMenuVideoInputs));
  inputs->setObjectName("VideoInputs");
  auto* group = new QActionGroup(inputs);
  const int chosen = parameters_.VideoInputSelect->value;
  const int marked = chosen >= 0 && chosen < crossbar_->GetInputCount() ? chosen : crossbar_->TunerOrFirstRoute();
  crossbar_->SetInputIndex(marked);
  for (int route = 0; route < crossbar_->GetInputCount(); ++route) {
    QAction* item = inputs->addAction(crossbar_->GetInputName(route).value_or(QString()));
    item->setCheckable(true);
    item->setActionGroup(group);
    item->setChecked(route == marked);
    connect(item, &QAction::triggered, this, [this, item, route] {
      parameters_.VideoInputSelect->value = route;
      item->setChecked(crossbar_->SetInputIndex(route));
      AfterSettings(MenuSide::Video);
    });
  }
}

void TSourceSelection::AfterSettings(MenuSide side) {
  deferredStart_ = true;
  if (side == MenuSide::Video)
    ActiverVideo(frame_.cboxvideo->currentText());
  else
    ActiverAudio(frame_.cboxAudio->currentText());
  ActiverFormatCapture(ShownFormatCode());
  deferredStart_ = false;
  preview_.Play();
}

// The card's input the user chose, routed when its source is activated.
void TSourceSelection::RouteChosenInput(TVideoSource& source) {
  IDeviceSettings* settings = source.Device->settings();
  IV4l2Inputs* inputs = settings ? settings->Inputs() : nullptr;
  const int chosen = parameters_.VideoInputSelect ? parameters_.VideoInputSelect->value : -1;
  if (!inputs || chosen < 0) return;
  TV4l2Crossbar card(*inputs);
  TCrossbar crossbar(TCrossbarOutput{&card, 0});
  if (chosen < crossbar.GetInputCount()) crossbar.SetInputIndex(chosen);
}
