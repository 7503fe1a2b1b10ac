// Capturing from the main window as a user does: "Capturer", "Couper",
// "Stop Capture", with the questions asked before writing, the files listed,
// the scene files, the presentation of each state, and what happens when a
// start fails or the source goes away.
#include <gtest/gtest.h>

#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QStatusBar>
#include <QtEndian>
#include <QTest>

#include "capture/systemdevices.h"
#include "app/foldernaming.h"
#include "capture/capturegraphs.h"
#include "capture/mediamodule.h"
#include "control/sessioncontrol.h"
#include "settings/conversions.h"
#include "media/filters/vx_wavedest.h"
#include "media/formats/fpsunit.h"
#include "support/aviwalk.h"
#include "support/failingdisk.h"
#include "support/readers.h"
#include "support/simulatedwindow.h"
#include "ui/dossiersframe.h"
#include "ui/programmerframe.h"
#include "ui/videowindow.h"

namespace {

class CaptureWindow : public SimulatedWindow {
 protected:
  void StartIn(const QStringList& more = {}) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    // The first of two same keys is the one read.
    QStringList parameters = more;
    parameters << "Video Directory=" + folder() + "/" << "Video Date=0" << "scn=1";
    Start(parameters);
  }
  QString folder() const { return installation_.folder().file("videos"); }
  QString file(const QString& name) const { return folder() + "/" + name; }
  TSessionControl& control() { return *form_->sessionControl(); }
  void Run(const char* command) {
    TCustomSuperAction* action = form_->al().FindByObjectName(QString::fromLatin1(command));
    ASSERT_NE(action, nullptr);
    action->trigger();
  }
  // Records for that long, looking at the window meanwhile.
  void Record(int milliseconds) { Pump(milliseconds); }
};

struct Format {
  const char* name;
  int code;
  Part::Kind kind;
};

class CaptureFormats : public CaptureWindow, public ::testing::WithParamInterface<Format> {};

TEST_P(CaptureFormats, capture_cut_and_stop_give_two_whole_files_listed_in_order) {
  StartIn({QStringLiteral("Capture Format=%1").arg(GetParam().code)});
  ASSERT_EQ(panel().cbFormatCapture->currentText(), GetParam().name);
  const QColor previewFrame = form_->frameColour();
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture) << form_->statusBar()->currentMessage().toStdString();
  EXPECT_EQ(form_->frameColour(), QColor(Qt::red));
  // As drawn: red around the picture, just outside it.
  const QWidget& picture = *form_->videoWindow();
  const QPoint outside = picture.mapTo(form_->videoArea(), QPoint(-4, picture.height() / 2));
  EXPECT_EQ(QColor(form_->videoArea()->grab().toImage().pixel(outside)), QColor(Qt::red));
  EXPECT_TRUE(form_->statusTexts()[1].startsWith("Vid: DV  - Aud: DV =>")) << form_->statusTexts()[1].toStdString();
  EXPECT_FALSE(panel().gbVideo->isEnabled());
  EXPECT_EQ(form_->al().FindByObjectName("saCapturerBascule")->text(), "Stop Capture");
  EXPECT_TRUE(form_->al().FindByObjectName("acCouper")->isEnabled());
  EXPECT_FALSE(form_->parameters().Notifier->value);  // device changes wait for the stop
  Record(3000);
  EXPECT_TRUE(form_->statusTexts()[2].startsWith("durée 0:00 :0")) << form_->statusTexts()[2].toStdString();
  EXPECT_TRUE(form_->statusTexts()[3].contains("frames perdues / ")) << form_->statusTexts()[3].toStdString();
  Run("acCouper");
  EXPECT_EQ(control().EtatSession, esCapture);
  ASSERT_EQ(control().files().size(), 1u);  // the first part, listed once finished
  Record(3000);
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_EQ(form_->frameColour(), previewFrame);
  EXPECT_EQ(form_->al().FindByObjectName("saCapturerBascule")->text(), "Capturer");
  EXPECT_TRUE(form_->statusTexts()[1].startsWith("Prévisualisation"));
  EXPECT_TRUE(form_->parameters().Notifier->value);
  EXPECT_TRUE(engine_.graph().Running());
  EXPECT_TRUE(questions_.isEmpty());

  // Two parts named by the counter, each whole, with its scene file.
  const std::vector<TDataFichier>& records = control().files();
  ASSERT_EQ(records.size(), 2u);
  std::uint64_t written = 0;
  for (int part = 0; part < 2; ++part) {
    SCOPED_TRACE(part);
    const QString name = file(QStringLiteral("Video_%1.avi").arg(part));
    EXPECT_EQ(records[part].fileName, name);
    EXPECT_EQ(records[part].videoSource, "DV Source - Video");
    EXPECT_EQ(records[part].audioSource, "DV Source - Audio");
    EXPECT_EQ(records[part].format, GetParam().name);
    const Part read = ReadPart(name, GetParam().kind);
    EXPECT_TRUE(read.readable);
    EXPECT_NEAR(double(read.frames), 75, 20);
    // Type 1 carries its sound inside the DV frames; the others beside them.
    if (GetParam().code != fcDvType1Native) {
      EXPECT_GT(read.soundSeconds, 2.0);
    }
    EXPECT_TRUE(QFile::exists(file(QStringLiteral("Video_%1.scn").arg(part))));
    EXPECT_GE(records[part].framesCaptured, 0);
    written += read.frames;
    EXPECT_NEAR(double(read.frames), double(records[part].framesCaptured), 6);
  }
  EXPECT_NEAR(double(written), double(records[0].framesCaptured + records[1].framesCaptured), 8);
  // The next file takes the next number.
  EXPECT_EQ(panel().LabelVideo->text(), "Video_2.avi");
}

INSTANTIATE_TEST_SUITE_P(Formats, CaptureFormats,
                         ::testing::Values(Format{"dv type 1 natif", fcDvType1Native, Part::Kind::DvAvi},
                                           Format{"dv type 2 (recomp)", fcDvType2Recompressed, Part::Kind::DvAvi}),
                         [](const ::testing::TestParamInfo<Format>& info) { return std::to_string(info.param.code); });

// The encoded and sound-only formats from the same window: each part whole,
// in its own kind of file, the picture left out of the sound files.
struct EncodedFormat {
  const char* name;
  int code;
  const char* extension;
  Part::Kind kind;
};

class EncodedFormats : public CaptureWindow, public ::testing::WithParamInterface<EncodedFormat> {};

TEST_P(EncodedFormats, capture_cut_and_stop_give_two_whole_files) {
  const EncodedFormat& format = GetParam();
  StartIn({QStringLiteral("Capture Format=%1").arg(format.code)});
  ASSERT_EQ(panel().cbFormatCapture->currentText(), format.name);
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture) << form_->statusBar()->currentMessage().toStdString();
  Record(3000);
  Run("acCouper");
  EXPECT_EQ(control().EtatSession, esCapture);
  Record(3000);
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_TRUE(engine_.graph().Running());
  EXPECT_TRUE(questions_.isEmpty());

  const bool soundOnly = format.kind == Part::Kind::Wav || format.kind == Part::Kind::Mp3;
  const std::vector<TDataFichier>& records = control().files();
  ASSERT_EQ(records.size(), 2u);
  double total = 0;
  for (int part = 0; part < 2; ++part) {
    SCOPED_TRACE(part);
    const QString name = file(QStringLiteral("Video_%1.%2").arg(part).arg(format.extension));
    EXPECT_EQ(records[part].fileName, name);
    EXPECT_EQ(records[part].format, format.name);
    const Part read = ReadPart(name, format.kind);
    EXPECT_TRUE(read.readable) << Discover(name).toStdString();
    EXPECT_NEAR(read.seconds, 3.0, 1.0);
    EXPECT_NEAR(read.soundSeconds, read.seconds, 0.3);
    // A sound file has no scenes to list, even from the camcorder.
    EXPECT_EQ(QFile::exists(file(QStringLiteral("Video_%1.scn").arg(part))), !soundOnly);
    if (soundOnly) {
      EXPECT_EQ(read.frames, 0u);
    } else {
      EXPECT_NEAR(read.frames * read.frameSeconds, read.seconds, 0.3);
    }
    total += read.seconds;
  }
  // The cut loses nothing: the two parts last what was recorded.
  EXPECT_NEAR(total, 6.0, 1.2);
}

INSTANTIATE_TEST_SUITE_P(Formats, EncodedFormats,
                         ::testing::Values(EncodedFormat{"Wmv", fcWmv, "wmv", Part::Kind::Asf},
                                           EncodedFormat{"divx", fcDivx, "avi", Part::Kind::Avi},
                                           EncodedFormat{"Wav", fcWav, "wav", Part::Kind::Wav},
                                           EncodedFormat{"mp3", fcMp3, "mp3", Part::Kind::Mp3}),
                         [](const ::testing::TestParamInfo<EncodedFormat>& info) { return info.param.extension; });

// Muting the preview silences what is heard, never what is recorded.
TEST_F(CaptureWindow, a_muted_preview_records_its_sound_all_the_same) {
  StartIn({QStringLiteral("Capture Format=%1").arg(fcWav), "Mute On=1"});
  ASSERT_EQ(form_->al().FindByObjectName("taMute")->text(), "Remettre le son");
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture);
  Record(2000);
  Run("saCapturerBascule");
  QFile wav(file("Video_0.wav"));
  ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
  const QByteArray bytes = wav.readAll().mid(46);
  ASSERT_GT(bytes.size(), 48000 * 4);
  double energy = 0;
  const qsizetype samples = bytes.size() / 2;
  for (qsizetype i = 0; i < samples; ++i) {
    const double sample = qFromLittleEndian<qint16>(bytes.constData() + 2 * i) / 32768.0;
    energy += sample * sample;
  }
  EXPECT_GT(std::sqrt(energy / double(samples)), 0.01);  // the camcorder's tone, not silence
}

// A WAV file cannot pass 4 GiB: near its limit (made small here) the
// capture goes on in the next file by itself, nothing of the sound lost.
TEST_F(CaptureWindow, a_wav_file_near_its_size_limit_goes_on_in_the_next_one) {
  StartIn({QStringLiteral("Capture Format=%1").arg(fcWav)});
  constexpr std::uint64_t kFirstPartBytes = 48000 * 4 * 3 / 2;  // a second and a half
  engine_.dm().WaveDest().fileLimit = 46 + Tvx_WaveDest::kCutMargin + kFirstPartBytes;
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture) << form_->statusBar()->currentMessage().toStdString();
  Record(4500);
  EXPECT_EQ(control().files().size(), 1u);  // the first part, finished and listed
  Run("saCapturerBascule");
  ASSERT_EQ(control().files().size(), 2u);
  EXPECT_TRUE(questions_.isEmpty());
  const Part first = ReadPart(file("Video_0.wav"), Part::Kind::Wav);
  const Part second = ReadPart(file("Video_1.wav"), Part::Kind::Wav);
  EXPECT_TRUE(first.readable);
  EXPECT_TRUE(second.readable);
  EXPECT_LE(QFileInfo(file("Video_0.wav")).size(), qint64(46 + Tvx_WaveDest::kCutMargin + kFirstPartBytes));
  EXPECT_NEAR(first.soundSeconds, 1.7, 0.3);  // and what came while the cut was made
  EXPECT_NEAR(first.soundSeconds + second.soundSeconds, 4.5, 0.8);
}

TEST_F(CaptureWindow, the_questions_before_writing_and_the_all_answer) {
  StartIn({"Capture Format=1"});
  QFile existing(file("Video_0.avi"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("ancien");
  existing.close();
  // No: nothing starts.
  ask_ = [](const QString&, bool) { return TAnswer::No; };
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esPreview);
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0], "Le fichier " + file("Video_0.avi") +
                               " existe déjà. Voulez-vous l'écraser?\r\nSi vous cliquez sur \"Tous\", alors plus "
                               "aucune confirmation ne sera demandée");
  // All: no more questions, not even for a missing folder.
  ask_ = [](const QString&, bool) { return TAnswer::All; };
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esCapture);
  EXPECT_FALSE(form_->parameters().ConfirmerVideo->value);
  // Pressed again at once: the second press stops.
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esPreview);
  ASSERT_EQ(control().files().size(), 1u);
  EXPECT_NE(QFileInfo(file("Video_0.avi")).size(), 6);  // the old file went to the trash
  form_->dossiersFrame()->VideoDirEdit->setText(folder() + "/nouveau/dossier/");
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esCapture);
  Run("saCapturerBascule");
  EXPECT_EQ(questions_.size(), 2);
  EXPECT_TRUE(QFile::exists(folder() + "/nouveau/dossier/Video_1.avi"));
}

TEST_F(CaptureWindow, a_missing_folder_is_created_only_when_the_user_says_so) {
  StartIn({"Capture Format=1", "Video Directory=" + installation_.folder().file("absent/sous") + "/"});
  ask_ = [](const QString&, bool) { return TAnswer::No; };
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esPreview);
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0], "Le dossier " + installation_.folder().file("absent/sous") +
                               " n'existe pas.\r\nVoulez-vous le créer?");
  EXPECT_FALSE(QDir(installation_.folder().file("absent")).exists());
  ask_ = nullptr;  // yes
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esCapture);
  Run("saCapturerBascule");
  EXPECT_TRUE(QFile::exists(installation_.folder().file("absent/sous/Video_0.avi")));
}

TEST_F(CaptureWindow, a_start_that_fails_says_why_and_leaves_the_preview_running) {
  StartIn({"Capture Format=2"});
  const int previewElements = engine_.graph().ElementCount();
  // A name too long for the file system: the file sink cannot open it.
  form_->dossiersFrame()->VideoRacineEdit->setText(QString(300, 'a'));
  emit form_->dossiersFrame()->VideoRacineEdit->editingFinished();
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_TRUE(form_->statusBar()->currentMessage().startsWith("La capture ne démarre pas"))
      << form_->statusBar()->currentMessage().toStdString();
  EXPECT_EQ(engine_.graph().ElementCount(), previewElements);
  EXPECT_TRUE(engine_.graph().Running());
  EXPECT_TRUE(form_->parameters().Notifier->value);
  EXPECT_EQ(form_->al().FindByObjectName("saCapturerBascule")->text(), "Capturer");
  // A valid name next time works.
  form_->dossiersFrame()->VideoRacineEdit->setText("Video");
  emit form_->dossiersFrame()->VideoRacineEdit->editingFinished();
  Run("saCapturerBascule");
  EXPECT_EQ(control().EtatSession, esCapture);
  Record(1000);
  Run("saCapturerBascule");
  ASSERT_EQ(control().files().size(), 1u);
  EXPECT_TRUE(ReadPart(control().files()[0].fileName, Part::Kind::DvAvi).readable);
}

TEST_F(CaptureWindow, the_camcorder_unplugged_while_capturing_leaves_a_finished_file) {
  StartIn({"Capture Format=2"});
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture);
  // A device change during the capture is not followed.
  const int enumerations = selection().enumerations();
  emit form_->previewSession()->enumerator().devicesChanged();
  EXPECT_EQ(selection().enumerations(), enumerations);
  Record(2000);
  machine_->Unplug("simulated:camcorder:1");
  ASSERT_TRUE(WaitFor([&] { return control().EtatSession == esPreview; }));
  ASSERT_TRUE(WaitFor([&] { return currentVideo() == "Webcam simulée"; }));
  EXPECT_TRUE(form_->parameters().Notifier->value);
  EXPECT_FALSE(selection().deviceLostHandler());
  ASSERT_EQ(control().files().size(), 1u);
  const Part read = ReadPart(control().files()[0].fileName, Part::Kind::DvAvi);
  EXPECT_TRUE(read.readable);
  EXPECT_GE(read.frames, 20u);
  EXPECT_FALSE(Items(panel().cboxvideo).contains("DV Source - Video"));
}

TEST_F(CaptureWindow, a_time_lapse_file_gets_its_rate_or_goes_when_empty) {
  StartIn({"Capture Format=8", "Framerate=12.5"});
  ASSERT_EQ(panel().cbFormatCapture->currentText(), "Image/Image");
  // Three stills grabbed: three frames, played at 12.5 a second.
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture);
  EXPECT_EQ(form_->dossiersFrame()->LabelImage->text(), "Capture Image/Image dans Vidéo");
  for (int still = 0; still < 3; ++still) {
    control().ImageGrabbed();
    Pump(300);
  }
  EXPECT_EQ(control().CompteImages(), 3);
  Run("saCapturerBascule");
  const AviContents avi = ReadAvi(file("Video_0.avi"), false);
  EXPECT_TRUE(avi.valid);
  EXPECT_EQ(avi.video.size(), 3u);
  // The video stream header's scale and rate: 80 ms a frame.
  const AviWalkResult header = FindVideoStreamHeader(file("Video_0.avi"));
  ASSERT_TRUE(header.scaleOffset);
  QFile written(file("Video_0.avi"));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly) && written.seek(*header.scaleOffset));
  const QByteArray fields = written.read(8);
  EXPECT_EQ(qFromLittleEndian<quint32>(fields.constData()), 80000u);
  EXPECT_EQ(qFromLittleEndian<quint32>(fields.constData() + 4), 1000000u);
  EXPECT_NE(form_->dossiersFrame()->LabelImage->text(), "Capture Image/Image dans Vidéo");
  // None grabbed: no file is left.
  Run("saCapturerBascule");
  Pump(500);
  Run("saCapturerBascule");
  EXPECT_FALSE(QFile::exists(file("Video_1.avi")));
  EXPECT_EQ(control().files().size(), 2u);
}

TEST_F(CaptureWindow, frames_lost_before_a_cut_bring_the_scene_file_question) {
  StartIn({"Capture Format=2"});
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture);
  Record(500);
  // Twelve frames lost inside the device, before they leave it.
  const gst::PadObjectPtr ghost(gst_element_get_static_pad(engine_.context.VideoSourceFilter.get(), "src"));
  ASSERT_TRUE(ghost && GST_IS_GHOST_PAD(ghost.get()));
  const gst::PadObjectPtr output(gst_ghost_pad_get_target(GST_GHOST_PAD(ghost.get())));
  ASSERT_TRUE(output);
  auto toDrop = std::make_shared<std::atomic<int>>(12);
  gst::PadProbe loss(output.get(), GST_PAD_PROBE_TYPE_BUFFER, [toDrop](GstPad*, GstPadProbeInfo*) {
    return toDrop->fetch_sub(1) > 0 ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
  });
  ASSERT_TRUE(WaitFor([&] { return toDrop->load() < 0; }));
  Record(300);
  loss.Remove();
  ask_ = [](const QString&, bool) { return TAnswer::Yes; };
  Run("acCouper");
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0], QString("12 frames ont été perdues pendant la capture.\r\nLe fichier .scn créé en temps réel "
                                   "n'est probablement pas correct.\r\nIl est recommandé de le détruire et d'en "
                                   "recréer un avec Scenolog\r\n\r\nVoulez-vous détruire le fichier %1?")
                               .arg(file("Video_0.scn")));
  // Yes: that scene file goes; the next part has its own, and the capture
  // goes on.
  EXPECT_FALSE(QFile::exists(file("Video_0.scn")));
  EXPECT_TRUE(QFile::exists(file("Video_1.scn")));
  EXPECT_EQ(control().EtatSession, esCapture);
  ASSERT_EQ(control().files().size(), 1u);
  EXPECT_EQ(control().files()[0].framesDropped, 12);
  Record(500);
  Run("saCapturerBascule");
  // The second part lost nothing: no question.
  EXPECT_EQ(questions_.size(), 1);
  EXPECT_EQ(control().files()[1].framesDropped, 0);
}

TEST_F(CaptureWindow, a_full_disk_ends_the_capture_as_a_stop_does) {
  StartIn({"Capture Format=2"});
  EXPECT_TRUE(form_->statusTexts()[3].endsWith(" mo libres sur " + TFolderNaming::DriveOf(folder())))
      << form_->statusTexts()[3].toStdString();
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture);
  const FailingDisk disk(CurrentCaptureBranch(engine_)->sink.get(), 3'000'000);
  ASSERT_TRUE(WaitFor([&] { return control().EtatSession == esPreview; }, 15000));
  EXPECT_TRUE(form_->statusBar()->currentMessage().startsWith("Écriture impossible dans « " + file("Video_0.avi")))
      << form_->statusBar()->currentMessage().toStdString();
  EXPECT_EQ(form_->frameColour(), QColor(0x20, 0x20, 0x20));
  EXPECT_EQ(form_->al().FindByObjectName("saCapturerBascule")->text(), "Capturer");
  EXPECT_TRUE(form_->parameters().Notifier->value);
  ASSERT_EQ(control().files().size(), 1u);
  EXPECT_EQ(panel().LabelVideo->text(), "Video_1.avi");
  EXPECT_TRUE(engine_.graph().Running());
}

TEST_F(CaptureWindow, nothing_to_capture_without_a_source) {
  StartIn();
  EXPECT_TRUE(form_->al().FindByObjectName("saCapturerBascule")->isEnabled());
  Pick(panel().cboxvideo, "aucun flux vidéo");
  EXPECT_TRUE(form_->al().FindByObjectName("saCapturerBascule")->isEnabled());  // the sound is left
  EXPECT_FALSE(panel().sbVideoSettings->isVisible());
  Pick(panel().cboxAudio, "aucun flux audio");
  EXPECT_FALSE(form_->al().FindByObjectName("saCapturerBascule")->isEnabled());
  EXPECT_FALSE(panel().sbAudioSettings->isVisible());
  Pick(panel().cboxvideo, "DV Source - Video");
  EXPECT_TRUE(form_->al().FindByObjectName("saCapturerBascule")->isEnabled());
  EXPECT_TRUE(panel().sbVideoSettings->isVisible());
}

TEST_F(CaptureWindow, the_frame_rate_field_takes_only_a_sensible_rate) {
  Start();
  QLineEdit* field = panel().leFramerate;
  field->setText("25,5");
  emit field->editingFinished();
  EXPECT_DOUBLE_EQ(form_->parameters().Framerate->value, 25.5);
  for (const char* wrong : {"0", "1001", "vingt", "-3"}) {
    SCOPED_TRACE(wrong);
    field->setText(wrong);
    emit field->editingFinished();
    EXPECT_EQ(field->text(), "18,0");
    EXPECT_DOUBLE_EQ(form_->parameters().Framerate->value, 18.0);
    EXPECT_EQ(form_->statusBar()->currentMessage(),
              "La valeur de \"images/seconde\" n'est pas correcte\r\nEntrez une valeur décimale - avec virgule comme "
              "séparateur");
  }
  field->setText("1000");
  emit field->editingFinished();
  EXPECT_DOUBLE_EQ(form_->parameters().Framerate->value, 1000.0);
}

TEST_F(CaptureWindow, closing_while_capturing_finishes_the_file_first) {
  StartIn({"Capture Format=1"});
  Run("saCapturerBascule");
  ASSERT_EQ(control().EtatSession, esCapture);
  Record(1000);
  const QString name = file("Video_0.avi");
  form_->close();
  form_.reset();
  const Part read = ReadPart(name, Part::Kind::DvAvi);
  EXPECT_TRUE(read.readable);
  EXPECT_GE(read.frames, 10u);
}

TEST_F(CaptureWindow, the_keyboard_drives_it_even_from_a_text_field) {
  StartIn({"Capture Format=2"});
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  QLineEdit* field = panel().leFramerate;
  field->show();
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Space, Qt::ControlModifier);
  ASSERT_EQ(control().EtatSession, esCapture);
  Record(500);
  QTest::keyClick(field, Qt::Key_F7);
  EXPECT_EQ(control().files().size(), 1u);
  form_->programmerFrame()->SetEnd(QDateTime::currentDateTime().addSecs(3600));
  QTest::keyClick(field, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(control().EtatSession, esCaptureProgrammee);
  QTest::keyClick(field, Qt::Key_Space, Qt::ControlModifier);
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_EQ(control().files().size(), 2u);
}

TEST(CaptureDuration, counts_the_total_hours) {
  EXPECT_EQ(TSessionControl::DurationText(0), "durée 0:00 :00");
  EXPECT_EQ(TSessionControl::DurationText(3 * 60 + 7), "durée 0:03 :07");
  EXPECT_EQ(TSessionControl::DurationText(25 * 3600), "durée 25:00 :00");
}

}  // namespace
