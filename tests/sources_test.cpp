// The sources panel on the simulated machine: what the lists offer, what a
// selection does to the preview, the settings menus and their dialogs seen
// in the picture and the sound, and the devices coming and going.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>
#include <atomic>
#include <memory>

#include "app/captureform.h"
#include "app/previewsession.h"
#include "app/sourceselection.h"
#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/propertymodel.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/systemdevices.h"
#include "capture/videorenderer.h"
#include "settings/inifile.h"
#include "support/installation.h"
#include "support/simulatedwindow.h"
#include "ui/settingsdialogs.h"
#include "ui/sourcesframe.h"

namespace {

using Sources = SimulatedWindow;

TEST_F(Sources, the_lists_offer_every_source_and_each_device_its_formats) {
  Start({"Preview Locked=0"});
  EXPECT_EQ(Items(panel().cboxvideo), (QStringList{"DV Source - Video", "Webcam simulée", "Encodeur MPEG-2 simulé",
                                                   "Carte d'acquisition simulée", "aucun flux vidéo"}));
  EXPECT_EQ(Items(panel().cboxAudio), (QStringList{"DV Source - Audio", "Carte son simulée", "aucun flux audio"}));
  // The native formats come first, by what each device delivers.
  const auto formats = [&](const QString& source) {
    Pick(panel().cboxvideo, source);
    EXPECT_EQ(currentVideo(), source);
    return Items(panel().cbFormatCapture);
  };
  EXPECT_EQ(formats("DV Source - Video").mid(0, 3),
            (QStringList{"dv type 1 natif", "dv type 2 natif", "dv type 2 (recomp)"}));
  EXPECT_EQ(formats("Webcam simulée").mid(0, 2), (QStringList{"avi natif", "dv type 2 (recomp)"}));
  formats("Encodeur MPEG-2 simulé");
  // Known for sure once its stream announces itself.
  EXPECT_TRUE(WaitFor([&] { return Items(panel().cbFormatCapture).value(0) == "flux mpeg2 natif"; }));
  const QStringList mpeg = Items(panel().cbFormatCapture);
  EXPECT_TRUE(mpeg.contains("Wmv") && mpeg.contains("Image/Image") && mpeg.contains("Wav"));
  // The capture format follows: its code, and the next file's extension.
  Pick(panel().cbFormatCapture, "Wav");
  EXPECT_EQ(form_->parameters().CaptureFormat->value, 11);
  EXPECT_TRUE(panel().LabelVideo->text().endsWith(".wav")) << panel().LabelVideo->text().toStdString();
  EXPECT_FALSE(panel().leFramerate->isVisible());
  Pick(panel().cbFormatCapture, "Image/Image");
  EXPECT_TRUE(panel().leFramerate->isVisible());
  EXPECT_TRUE(panel().LabelVideo->text().endsWith("_0.avi"));
  EXPECT_EQ(form_->parameters().WantFormatCapture->value, "Image/Image");
  // The source that takes no part in the format is greyed.
  const QColor shadow = QApplication::palette().color(QPalette::Dark);
  EXPECT_EQ(panel().cboxAudio->palette().color(QPalette::ButtonText), shadow);
  EXPECT_NE(panel().cboxvideo->palette().color(QPalette::ButtonText), shadow);
  Pick(panel().cbFormatCapture, "Wav");
  EXPECT_EQ(panel().cboxvideo->palette().color(QPalette::ButtonText), shadow);
  EXPECT_NE(panel().cboxAudio->palette().color(QPalette::ButtonText), shadow);
}

TEST_F(Sources, devices_unticked_in_the_check_list_are_left_out_and_stay_so) {
  Start({"Sources Exclues=Webcam simulée"});
  EXPECT_FALSE(Items(panel().cboxvideo).contains("Webcam simulée"));
  EXPECT_TRUE(Items(panel().cboxvideo).contains("Encodeur MPEG-2 simulé"));
  // The devices seen are listed ticked; the unticked ones are kept.
  EXPECT_TRUE(selection().checkList().items().at("Caméscope DV simulé"));
  EXPECT_FALSE(selection().checkList().items().at("Webcam simulée"));
  EXPECT_EQ(selection().checkList().Excluded(), "Webcam simulée\r\n");
  form_->close();
  form_.reset();
  Restart();
  EXPECT_FALSE(Items(panel().cboxvideo).contains("Webcam simulée"));
  // Ticked again, it is offered at the next refresh.
  selection().checkList().SetTicked("Webcam simulée", true);
  selection().ActualiserVideoBtnClick();
  EXPECT_TRUE(Items(panel().cboxvideo).contains("Webcam simulée"));
}

TEST_F(Sources, the_active_entry_chosen_again_leaves_the_graph_alone) {
  Start();
  ASSERT_EQ(currentVideo(), "DV Source - Video");
  ASSERT_TRUE(engine_.graph().Running());
  const GstClockTime base = gst_element_get_base_time(GST_ELEMENT(engine_.graph().pipeline()));
  const int elements = engine_.graph().ElementCount();
  Pick(panel().cboxvideo, "DV Source - Video");
  Pick(panel().cboxAudio, "DV Source - Audio");
  EXPECT_TRUE(selection().ActiverVideo("DV Source - Video"));
  // Not stopped and run again: the running time did not start over.
  EXPECT_EQ(gst_element_get_base_time(GST_ELEMENT(engine_.graph().pipeline())), base);
  EXPECT_EQ(engine_.graph().ElementCount(), elements);
  EXPECT_TRUE(engine_.graph().Running());
}

TEST_F(Sources, a_saved_source_that_is_gone_gives_the_first_one) {
  Start({"Source video=Caméra débranchée", "Source Audio=Carte son simulée", "Preview Locked=0"});
  EXPECT_EQ(currentVideo(), "DV Source - Video");
  EXPECT_EQ(currentAudio(), "Carte son simulée");
  EXPECT_EQ(form_->parameters().SourceVideo->value, "DV Source - Video");
  // "No video" is a choice too, and is kept.
  Pick(panel().cboxvideo, "aucun flux vidéo");
  EXPECT_EQ(currentVideo(), "");
  EXPECT_EQ(form_->parameters().SourceVideo->value, "aucun flux vidéo");
  EXPECT_EQ(Items(panel().cbFormatCapture), (QStringList{"Wav", "mp3"}));
}

TEST_F(Sources, without_any_sound_device_there_is_no_sound_format) {
  machine_ = std::make_unique<TSimulatedDeviceProvider>(0);
  machine_->Unplug(TSimulatedDeviceProvider::kSoundCard);
  Start();
  EXPECT_EQ(Items(panel().cboxAudio), QStringList{"aucun flux audio"});
  EXPECT_EQ(currentVideo(), "Webcam simulée");
  const QStringList formats = Items(panel().cbFormatCapture);
  EXPECT_FALSE(formats.contains("Wav"));
  EXPECT_FALSE(formats.contains("mp3"));
  EXPECT_EQ(formats.first(), "avi natif");
}

TEST_F(Sources, a_source_that_fails_is_left_out_for_the_run_and_the_next_one_previews) {
  machine_->AddFailingDevice();
  Start();
  ASSERT_TRUE(Items(panel().cboxvideo).contains("Webcam défaillante"));
  Pick(panel().cboxvideo, "Webcam défaillante");
  EXPECT_EQ(selection().failedSources(), QStringList{"Webcam défaillante"});
  EXPECT_FALSE(Items(panel().cboxvideo).contains("Webcam défaillante"));
  EXPECT_EQ(currentVideo(), "DV Source - Video");
  EXPECT_EQ(panel().cboxvideo->currentText(), "DV Source - Video");
  EXPECT_TRUE(engine_.graph().Running());
  EXPECT_TRUE(form_->statusBar()->currentMessage().contains("Webcam défaillante"));
  // Still left out after a refresh.
  selection().ActualiserVideoBtnClick();
  EXPECT_FALSE(Items(panel().cboxvideo).contains("Webcam défaillante"));
}

TEST_F(Sources, after_a_refresh_the_lists_keep_their_order_and_new_devices_come_last) {
  Start({"Notifier=0"});
  machine_->Unplug(TSimulatedDeviceProvider::kWebcam);
  selection().ActualiserVideoBtnClick();
  EXPECT_EQ(Items(panel().cboxvideo), (QStringList{"DV Source - Video", "Encodeur MPEG-2 simulé",
                                                   "Carte d'acquisition simulée", "aucun flux vidéo"}));
  machine_->Replug(TSimulatedDeviceProvider::kWebcam);
  selection().ActualiserVideoBtnClick();
  EXPECT_EQ(Items(panel().cboxvideo), (QStringList{"DV Source - Video", "Encodeur MPEG-2 simulé",
                                                   "Carte d'acquisition simulée", "Webcam simulée",
                                                   "aucun flux vidéo"}));
  EXPECT_EQ(currentVideo(), "DV Source - Video");
}

TEST_F(Sources, the_previewed_webcam_unplugged_gives_way_to_the_next_source) {
  for (const bool notifier : {true, false}) {
    SCOPED_TRACE(notifier ? "Notifier on" : "Notifier off");
    machine_->Replug(TSimulatedDeviceProvider::kWebcam);
    // The camcorder taken over keeps playing its tape after the first round.
    Start({"Source video=Webcam simulée", notifier ? "Notifier=1" : "Notifier=0", "Stopper camera DV 1 en quittant=0"});
    ASSERT_EQ(currentVideo(), "Webcam simulée");
    ASSERT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() > 3; }));
    int rebuilt = 0;
    QObject::connect(&selection(), &TSourceSelection::sourcesRebuilt, [&rebuilt] { ++rebuilt; });
    const int before = selection().enumerations();
    machine_->Unplug(TSimulatedDeviceProvider::kWebcam);
    ASSERT_TRUE(WaitFor([&] { return rebuilt > 0; }));
    Pump(TDeviceEnumerator::kSettleMilliseconds + 300);
    // One enumeration, whichever way the loss was heard.
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(selection().enumerations(), before + 1);
    EXPECT_FALSE(Items(panel().cboxvideo).contains("Webcam simulée"));
    EXPECT_EQ(currentVideo(), "DV Source - Video");
    EXPECT_TRUE(engine_.graph().Running());
    const std::uint64_t frames = engine_.renderer().framesReceived();
    EXPECT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() > frames + 3; }));
    if (notifier) {
      // Plugged in again: it comes back at the end of the list.
      machine_->Replug(TSimulatedDeviceProvider::kWebcam);
      ASSERT_TRUE(WaitFor([&] { return rebuilt == 2; }));
      EXPECT_EQ(Items(panel().cboxvideo).mid(3), (QStringList{"Webcam simulée", "aucun flux vidéo"}));
    }
    form_->close();
    form_.reset();
  }
}

TEST_F(Sources, the_card_settings_are_seen_in_the_picture) {
  Start({"Source video=Carte d'acquisition simulée"});
  ASSERT_EQ(currentVideo(), "Carte d'acquisition simulée");
  EXPECT_EQ(panel().LabVideo->text(), "YUY2 - 720x576 - 25.00 fps");

  // The inputs menu marks the tuner first; S-Video changes the picture.
  selection().VideoPropBtnClick();
  EXPECT_EQ(currentVideo(), "");  // the settings button takes the preview down
  QMenu* menu = selection().settingsMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Captions(menu), (QStringList{"Format Vidéo...", "Source Vidéo...", "Filtre de Capture Vidéo...",
                                         "Crossbar Vidéo...", "Tuner TV...", "Entrées Vidéo"}));
  QMenu* inputs = menu->findChild<QMenu*>("VideoInputs");
  ASSERT_NE(inputs, nullptr);
  ASSERT_EQ(Captions(inputs), (QStringList{"Video Composite", "Video SVideo", "Video Tuner"}));
  EXPECT_TRUE(inputs->actions()[2]->isChecked());
  inputs->actions()[0]->trigger();
  EXPECT_EQ(currentVideo(), "Carte d'acquisition simulée");
  const QImage composite = FreshFrame();
  selection().VideoPropBtnClick();
  selection().settingsMenu()->findChild<QMenu*>("VideoInputs")->actions()[1]->trigger();
  EXPECT_EQ(form_->parameters().VideoInputSelect->value, 1);
  const QImage sVideo = FreshFrame();
  ASSERT_FALSE(composite.isNull());
  EXPECT_NE(composite.convertToFormat(QImage::Format_RGB32), sVideo.convertToFormat(QImage::Format_RGB32));
  // The chosen input is the one marked next time; the inputs dialog
  // routes another and it is kept.
  selection().VideoPropBtnClick();
  EXPECT_TRUE(selection().settingsMenu()->findChild<QMenu*>("VideoInputs")->actions()[1]->isChecked());
  dialog_ = [](QDialog& dialog) {
    dialog.findChild<QComboBox*>("inputs")->setCurrentIndex(2);
    return int(QDialog::Accepted);
  };
  Entry(selection().settingsMenu(), "Crossbar Vidéo...")->trigger();
  EXPECT_EQ(form_->parameters().VideoInputSelect->value, 2);
  EXPECT_EQ(currentVideo(), "Carte d'acquisition simulée");
  // The TV sound is set from the audio menu.
  dialog_ = [](QDialog& dialog) {
    auto* mode = dialog.findChild<QComboBox*>("audmode");
    mode->setCurrentIndex(0);
    emit mode->activated(0);
    return int(QDialog::Accepted);
  };
  selection().AudiopropBtnClick();
  ASSERT_NE(Entry(selection().settingsMenu(), "TV Audio..."), nullptr);
  EXPECT_NE(Entry(selection().settingsMenu(), "Source Vidéo..."), nullptr);
  Entry(selection().settingsMenu(), "TV Audio...")->trigger();
  EXPECT_EQ(currentAudio(), "DV Source - Audio");

  // More brightness, a brighter picture.
  const double before = MeanLuma(FreshFrame());
  dialog_ = [](QDialog& dialog) {
    auto* brightness = dialog.findChild<QSpinBox*>("Brightness");
    if (brightness) brightness->setValue(60);
    return int(QDialog::Accepted);
  };
  selection().VideoPropBtnClick();
  Entry(selection().settingsMenu(), "Source Vidéo...")->trigger();
  EXPECT_GT(MeanLuma(FreshFrame()), before + 20);

  // NTSC: 720x480 at 29.97 frames a second.
  dialog_ = [](QDialog& dialog) {
    auto* standard = dialog.findChild<QComboBox*>("standard");
    if (standard) {
      standard->setCurrentIndex(2);
      emit standard->activated(2);
    }
    return int(QDialog::Accepted);
  };
  selection().VideoPropBtnClick();
  Entry(selection().settingsMenu(), "Tuner TV...")->trigger();
  EXPECT_EQ(FreshFrame().size(), QSize(720, 480));
  EXPECT_EQ(panel().LabVideo->text(), "YUY2 - 720x480 - 29.97 fps");

  // A smaller size from the format dialog.
  dialog_ = [](QDialog& dialog) {
    auto* formats = dialog.findChild<QComboBox*>("formats");
    if (formats) formats->setCurrentIndex(formats->findText("YUY2 320x240 29.97 img/s"));
    return int(QDialog::Accepted);
  };
  selection().VideoPropBtnClick();
  Entry(selection().settingsMenu(), "Format Vidéo...")->trigger();
  EXPECT_EQ(FreshFrame().size(), QSize(320, 240));
  EXPECT_EQ(panel().LabVideo->text(), "YUY2 - 320x240 - 29.97 fps");
}

TEST_F(Sources, every_settings_entry_ends_with_the_preview_back_even_when_cancelled) {
  Start();
  // A cancelled dialog.
  dialog_ = [](QDialog&) { return int(QDialog::Rejected); };
  selection().VideoPropBtnClick();
  Entry(selection().settingsMenu(), "Filtre de Capture Vidéo...")->trigger();
  EXPECT_EQ(currentVideo(), "DV Source - Video");
  EXPECT_TRUE(engine_.graph().Running());
  // A menu left without a choice leaves the preview off until a source is
  // chosen again.
  selection().VideoPropBtnClick();
  selection().settingsMenu()->close();
  Pump(100);
  EXPECT_EQ(currentVideo(), "");
  Pick(panel().cboxvideo, "DV Source - Video");
  EXPECT_EQ(currentVideo(), "DV Source - Video");
  // A camcorder has no inputs: no crossbar entries at all.
  selection().VideoPropBtnClick();
  const QStringList captions = Captions(selection().settingsMenu());
  EXPECT_FALSE(captions.contains("Seconde Crossbar..."));
  EXPECT_FALSE(captions.contains("Crossbar Vidéo..."));
  selection().ActiverVideo("DV Source - Video");
  // Nothing to set up: the menu says so.
  Pick(panel().cboxvideo, "aucun flux vidéo");
  Pick(panel().cboxAudio, "aucun flux audio");
  selection().AudiopropBtnClick();
  EXPECT_EQ(Captions(selection().settingsMenu()), QStringList{"[aucune page de réglages]"});
}

TEST_F(Sources, the_sound_card_input_changes_the_tone_and_is_kept_for_the_next_start) {
  Start({"Source Audio=Carte son simulée", "Preview Locked=0"});
  ASSERT_EQ(currentAudio(), "Carte son simulée");
  ASSERT_TRUE(panel().cbEntries->isVisible());
  EXPECT_EQ(Items(panel().cbEntries), (QStringList{"Line In", "Mic"}));
  EXPECT_EQ(panel().cbEntries->currentText(), "Line In");
  EXPECT_NEAR(ToneHertz(), kSimulatedLineHertz, 15);
  Pick(panel().cbEntries, "Mic");
  EXPECT_EQ(form_->parameters().SoundCardEntry->value, "Mic");
  EXPECT_NEAR(ToneHertz(), kSimulatedMicHertz, 15);
  // The camcorder's sound has no inputs to choose.
  Pick(panel().cboxAudio, "DV Source - Audio");
  EXPECT_FALSE(panel().cbEntries->isVisible());
  Pick(panel().cboxAudio, "Carte son simulée");
  form_->close();
  form_.reset();
  Restart();
  EXPECT_EQ(currentAudio(), "Carte son simulée");
  EXPECT_EQ(panel().cbEntries->currentText(), "Mic");
  EXPECT_EQ(form_->parameters().SoundCardEntry->value, "Mic");
}

TEST_F(Sources, the_selection_commands_take_their_argument_or_the_list_text) {
  Start();
  TActionList& commands = const_cast<TActionList&>(form_->al());
  TCustomSuperAction* video = commands.FindByName("sv");
  TCustomSuperAction* audio = commands.FindByName("source_audio");
  TCustomSuperAction* format = commands.FindByName("format_capture");
  ASSERT_TRUE(video && audio && format);
  form_->actionContext().arguments = QStringList{"Webcam simulée"};
  video->ExecuteHandler()(nullptr);
  EXPECT_EQ(currentVideo(), "Webcam simulée");
  form_->actionContext().arguments = QStringList{"Carte son simulée"};
  audio->ExecuteHandler()(nullptr);
  EXPECT_EQ(currentAudio(), "Carte son simulée");
  form_->actionContext().arguments = QStringList{"Wmv"};
  format->ExecuteHandler()(nullptr);
  EXPECT_EQ(panel().cbFormatCapture->currentText(), "Wmv");
  EXPECT_EQ(form_->parameters().CaptureFormat->value, 7);
  // From the user interface, the text shown.
  panel().cboxvideo->setCurrentIndex(panel().cboxvideo->findText("DV Source - Video"));
  video->Execute();
  EXPECT_EQ(currentVideo(), "DV Source - Video");
}

}  // namespace

TEST(PropertyEditor, sets_and_reads_back_every_kind_of_property) {
  gst::EnsureInitialised();
  struct Case {
    const char* factory;
    const char* property;
    const char* text;
  };
  // A boolean, integers of each width, a real, a text, an enumeration and a
  // flag set, on three elements.
  const Case cases[] = {
      {"videotestsrc", "is-live", "true"},     {"videotestsrc", "pattern", "ball"},
      {"videotestsrc", "kx", "7"},             {"videotestsrc", "timestamp-offset", "123456789"},
      {"videotestsrc", "foreground-color", "4278190335"}, {"textoverlay", "text", "Mariage 2026"},
      {"textoverlay", "xpos", "0.25"},         {"textoverlay", "halignment", "right"},
      {"playbin", "flags", "video+audio"},     {"playbin", "volume", "0.5"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.factory) + "." + test.property);
    const gst::ElementPtr element = gst::ElementPtr::Sink(gst_element_factory_make(test.factory, nullptr));
    ASSERT_TRUE(element);
    TPropertyEditor editor(test.factory, G_OBJECT(element.get()));
    QWidget* field = editor.findChild<QWidget*>(test.property);
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->isEnabled());
    // Set as the user would, in the field of its kind.
    const QString text = QString::fromUtf8(test.text);
    if (auto* box = qobject_cast<QCheckBox*>(field))
      box->setChecked(text == "true");
    else if (auto* spin = qobject_cast<QSpinBox*>(field))
      spin->setValue(text.toInt());
    else if (auto* real = qobject_cast<QDoubleSpinBox*>(field))
      real->setValue(text.toDouble());
    else if (auto* list = qobject_cast<QComboBox*>(field)) {
      list->setCurrentIndex(list->findText(text));
      emit list->activated(list->currentIndex());
    } else if (auto* line = qobject_cast<QLineEdit*>(field)) {
      line->setText(text);
      emit line->editingFinished();
    }
    EXPECT_EQ(PropertyText(G_OBJECT(element.get()), test.property), text);
  }
  // Read-only properties are shown, not editable; refused text changes
  // nothing.
  const gst::ElementPtr playbin = gst::ElementPtr::Sink(gst_element_factory_make("playbin", nullptr));
  TPropertyEditor editor("playbin", G_OBJECT(playbin.get()));
  ASSERT_NE(editor.findChild<QWidget*>("n-video"), nullptr);
  EXPECT_FALSE(editor.findChild<QWidget*>("n-video")->isEnabled());
  EXPECT_FALSE(SetPropertyText(G_OBJECT(playbin.get()), "volume", "vingt"));
  EXPECT_FALSE(SetPropertyText(G_OBJECT(playbin.get()), "n-video", "2"));
}
