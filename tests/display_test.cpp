// The preview's display: the shape and place of the picture, the lock to the
// capture format, the volume steps, and the main window's display commands
// on the simulated machine.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QtEndian>
#include <cmath>
#include <cstdlib>

#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "control/displayrules.h"
#include "media/filters/vx_superposer.h"
#include "media/filters/vx_timestamper.h"
#include "settings/conversions.h"
#include "support/simulatedwindow.h"
#include "ui/optionsframe.h"
#include "ui/plaque.h"
#include "ui/videowindow.h"

namespace {

// --- The rules ---------------------------------------------------------------------------

TEST(DisplayRules, the_shape_comes_from_the_choice_the_stream_and_the_format) {
  TAspectInput dv{arNormal, true, false, {0, 0}, {720, 576}};
  EXPECT_EQ(std::pair(ChooseAspect(dv).a, ChooseAspect(dv).b), std::pair(4, 3));
  dv.streamIsWide = true;
  const TAspect wide = ChooseAspect(dv);
  EXPECT_EQ(std::pair(wide.a, wide.b), std::pair(16, 9));
  EXPECT_TRUE(wide.wide);
  EXPECT_EQ(wide.ratioDivx, 0);
  // Not DV: the format's aspect, else its size, else 4:3.
  TAspectInput webcam{arNormal, false, false, {16, 9}, {640, 480}};
  EXPECT_EQ(ChooseAspect(webcam).a, 16);
  webcam.displayAspect = {0, 3};
  EXPECT_EQ(std::pair(ChooseAspect(webcam).a, ChooseAspect(webcam).b), std::pair(640, 480));
  webcam.nativeSize = {0, 0};
  EXPECT_EQ(std::pair(ChooseAspect(webcam).a, ChooseAspect(webcam).b), std::pair(4, 3));
  // The forced choices, whatever the stream says.
  const TAspect forced = ChooseAspect({ar16x9, true, false, {4, 3}, {720, 576}});
  EXPECT_EQ(std::pair(forced.a, forced.b), std::pair(16, 9));
  EXPECT_EQ(forced.ratioDivx, 2);
  EXPECT_EQ(ChooseAspect({ar4x3, true, true, {16, 9}, {720, 576}}).ratioDivx, 1);
  const TAspect native = ChooseAspect({arNative, true, true, {16, 9}, {720, 576}});
  EXPECT_EQ(std::pair(native.a, native.b), std::pair(720, 576));
  EXPECT_EQ(native.ratioDivx, 3);
  EXPECT_FALSE(native.wide);
  // 14:9 is where the picture counts as wide.
  EXPECT_TRUE(ChooseAspect({arNative, false, false, {}, {14, 9}}).wide);
  EXPECT_FALSE(ChooseAspect({arNative, false, false, {}, {139, 90}}).wide);
}

TEST(DisplayRules, the_picture_is_the_largest_centred_rectangle_with_its_frame_and_sliders_around_it) {
  EXPECT_EQ(LargestCentred(QRect(0, 0, 800, 300), 4, 3), QRect(200, 0, 400, 300));
  EXPECT_EQ(LargestCentred(QRect(10, 20, 400, 900), 4, 3), QRect(10, 320, 400, 300));
  EXPECT_TRUE(LargestCentred(QRect(), 4, 3).isEmpty());
  EXPECT_TRUE(LargestCentred(QRect(0, 0, 100, 100), 0, 3).isEmpty());

  const TWindowedLayout windowed = LayOutWindowed(QRect(16, 16, 465, 366), {16, 9}, 18);
  EXPECT_EQ(windowed.video, QRect(16, 68, 465, 261));
  EXPECT_EQ(windowed.frame, QRect(4, 56, 489, 285));
  EXPECT_EQ(windowed.ySlider, QRect(16 + 465 - 6, 68 - 8, 18, 261 + 16));
  EXPECT_EQ(windowed.xSlider, QRect(16 - 8, 68 + 261 - 6, 465 + 16, 18));
  EXPECT_EQ(windowed.corner, QPoint(windowed.ySlider.left(), windowed.xSlider.top()));

  // Full screen: 12 pixels of the screen left free, the square 12 out.
  const TFullScreenLayout screen = LayOutFullScreen(QRect(0, 0, 1920, 1080), {4, 3});
  EXPECT_EQ(screen.video, QRect(256, 12, 1408, 1056));
  EXPECT_EQ(screen.square, QRect(244, 0, 1432, 1080));
  const TFullScreenLayout wide = LayOutFullScreen(QRect(0, 0, 1280, 1024), {16, 9});
  EXPECT_EQ(wide.video.width(), 1256);
  EXPECT_EQ(wide.video.center().y(), QRect(0, 0, 1280, 1024).center().y());
}

TEST(DisplayRules, locking_the_preview_follows_the_capture_format) {
  using P = TProcessing;
  using R = TRatioAction;
  using S = TSourceRule;
  struct Row {
    int format;
    bool dv;
    P processing;
    R execute;
    bool touches;
    std::array<bool, 4> enabled;
    S sources;
  };
  const std::array<bool, 4> onlyNormal{true, false, false, false};
  const std::array<bool, 4> all{true, true, true, true};
  const Row rows[] = {
      {fcNone, true, P::Unchanged, R::None, false, all, S::None},
      {fcDvType1Native, true, P::Off, R::Normal, true, onlyNormal, S::AudioFromVideoDevice},
      {fcDvType2Native, true, P::Off, R::Normal, true, onlyNormal, S::None},
      {fcMpeg2Native, false, P::Off, R::Normal, true, onlyNormal, S::AudioFromVideoDevice},
      {fcMpeg1Native, false, P::Off, R::Normal, true, onlyNormal, S::AudioFromVideoDevice},
      {fcAviNative, false, P::Off, R::Normal, true, onlyNormal, S::None},
      {fcWmv, true, P::On, R::FourThree, true, {false, true, false, false}, S::None},
      {fcImageByImage, true, P::Off, R::Normal, true, onlyNormal, S::DeselectAudio},
      {fcImageByImage, false, P::On, R::None, false, all, S::DeselectAudio},
      {fcDivx, true, P::On, R::Matching, false, all, S::None},
      {fcDefault, true, P::Unchanged, R::None, false, all, S::None},
      {fcWav, true, P::Off, R::None, false, all, S::DeselectVideo},
      {fcMp3, false, P::Off, R::None, false, all, S::DeselectVideo},
  };
  for (const Row& row : rows) {
    const TLockRule rule = PreviewLockRule({row.format, row.dv, true, QSize(640, 480)});
    SCOPED_TRACE(row.format);
    EXPECT_EQ(rule.processing, row.processing);
    EXPECT_EQ(rule.execute, row.execute);
    EXPECT_EQ(rule.touchesRatios, row.touches);
    if (row.touches) EXPECT_TRUE(std::equal(row.enabled.begin(), row.enabled.end(), rule.enabled));
    EXPECT_EQ(rule.sources, row.sources);
  }
  // The recompressed DV format takes the window's shape.
  const TLockRule narrow = PreviewLockRule({fcDvType2Recompressed, true, true, QSize(640, 480)});
  EXPECT_EQ(narrow.execute, R::FourThree);
  EXPECT_TRUE(narrow.touchesRatios);
  EXPECT_TRUE(std::equal(narrow.enabled, narrow.enabled + 4, std::array{false, true, true, false}.begin()));
  EXPECT_EQ(PreviewLockRule({fcDvType2Recompressed, true, true, QSize(1400, 900)}).execute, R::SixteenNine);
  // Sound alone without a picture: nothing to switch off.
  EXPECT_EQ(PreviewLockRule({fcWav, false, false, QSize()}).processing, P::Unchanged);
}

TEST(DisplayRules, volume_panels_and_option_pages) {
  EXPECT_EQ(StepVolume(9500, 1), 10000);
  EXPECT_EQ(StepVolume(500, -1), 0);
  EXPECT_EQ(StepVolume(5000, 1), 6000);
  EXPECT_EQ(NextPanel(pnAbout), pnSources);
  EXPECT_EQ(NextPanel(pnSources), pnFolders);
  EXPECT_EQ(NextPanel(200), pnSources);
  EXPECT_EQ(OptionsPageForFormat(fcWmv), 1);
  EXPECT_EQ(OptionsPageForFormat(fcDivx), 2);
  EXPECT_EQ(OptionsPageForFormat(fcMp3), 2);
  EXPECT_EQ(OptionsPageForFormat(fcWav), 4);
  EXPECT_EQ(OptionsPageForFormat(fcDvType1Native), 4);
}

// --- The window --------------------------------------------------------------------------

class DisplayWindow : public SimulatedWindow {
 protected:
  TCustomSuperAction& command(const char* name) { return *form_->al().FindByObjectName(name); }
  void Run(const char* name) { command(name).trigger(); }
  Tplaque& plaque() { return *form_->plaque(); }
  TVideoWindow& picture() { return *form_->videoWindow(); }
  int RatioDvShown() { return form_->optionsFrame()->rgRatioDV->checkedId(); }
  double MonitorGainSet() {
    double gain = -1;
    g_object_get(engine_.monitorVolume.get(), "volume", &gain, nullptr);
    return gain;
  }
  // The picture's pixels stay inside its rectangle: around it, only the
  // backdrop's black and the square's colour.
  void ExpectPictureInside(const QImage& shot, const QRect& video, const QRect& square) {
    int outside = 0, inside = 0;
    for (int y = 0; y < shot.height(); y += 3)
      for (int x = 0; x < shot.width(); x += 3) {
        const QColor pixel = shot.pixelColor(x, y);
        const bool dark = pixel.red() < 24 && pixel.green() < 24 && pixel.blue() < 24;
        if (video.contains(x, y))
          inside += dark ? 0 : 1;
        else if (!square.contains(x, y) && !dark)
          ++outside;
      }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, video.width() * video.height() / 9 / 2);
  }
};

TEST_F(DisplayWindow, full_screen_moves_the_picture_onto_the_backdrop_and_back) {
  Start({"Preview Locked=0"});
  ASSERT_TRUE(WaitFor([&] { return picture().framesShown() > 3; }));
  // The camcorder's stream is recorded as it comes: no pause in it.
  EXPECT_FALSE(command("taFreezeCapture").isEnabled());
  const QRect windowed = picture().geometry();
  Run("tafullscreen");
  ASSERT_TRUE(WaitFor([&] { return plaque().isVisible(); }));
  EXPECT_EQ(command("tafullscreen").text(), "Enlever le plein écran");
  EXPECT_EQ(picture().parentWidget(), &plaque());
  const TFullScreenLayout expected = LayOutFullScreen(QRect(QPoint(), plaque().size()), {4, 3});
  EXPECT_EQ(picture().geometry(), expected.video);
  EXPECT_EQ(plaque().square()->geometry(), expected.square);
  // The keys still reach the window's commands.
  const int frames = picture().framesShown();
  ASSERT_TRUE(WaitFor([&] { return picture().framesShown() > frames + 3; }));
  ExpectPictureInside(plaque().grab().toImage(), expected.video, expected.square);
  Run("saExitFullScreen");
  EXPECT_FALSE(plaque().isVisible());
  EXPECT_FALSE(command("tafullscreen").IsChecked());
  EXPECT_EQ(picture().parentWidget(), form_->findChild<QWidget*>("videoDisplay"));
  EXPECT_EQ(picture().geometry(), windowed);
  // Left when the program closes, and kept for the next start.
  Run("tafullscreen");
  form_->close();
  EXPECT_FALSE(plaque().isVisible());
  EXPECT_TRUE(form_->parameters().FullscreenOn->value);
}

TEST_F(DisplayWindow, full_screen_without_a_video_source_only_checks_the_command) {
  Start({"Source video=aucun flux vidéo", "Fullscreen On=1", "Volume=20000", "Panneau actif=12"});
  EXPECT_TRUE(command("tafullscreen").IsChecked());
  EXPECT_FALSE(plaque().isVisible());
  EXPECT_FALSE(command("tafullscreen").isEnabled());  // and, the sources listed, it waits for a picture
  // Hand-edited values out of range: the loudest volume, the first panel.
  EXPECT_EQ(form_->volumeSlider()->value(), 10000);
  EXPECT_EQ(form_->parameters().Volume->value, 10000);
  EXPECT_EQ(static_cast<QStackedWidget*>(form_->sidePanels())->currentIndex(), pnSources);
}

TEST_F(DisplayWindow, a_camcorder_turning_to_16_9_lays_the_picture_out_again) {
  qputenv("TESSIVO_SIMULATED_WIDE_FROM", "2");
  machine_ = std::make_unique<TSimulatedDeviceProvider>(1);
  Start({"Preview Locked=0"});
  qunsetenv("TESSIVO_SIMULATED_WIDE_FROM");
  const auto shape = [&] { return double(picture().width()) / picture().height(); };
  ASSERT_TRUE(WaitFor([&] { return picture().framesShown() > 3; }));
  EXPECT_NEAR(shape(), 4.0 / 3, 0.02);
  EXPECT_FALSE(form_->parameters().WideScreen->value);
  ASSERT_TRUE(WaitFor([&] { return std::abs(shape() - 16.0 / 9) < 0.02; }));
  EXPECT_TRUE(form_->parameters().WideScreen->value);
  EXPECT_EQ(RatioDvShown(), 1);
  EXPECT_TRUE(form_->statusTexts()[1].contains(" 16x9"));
  // Full screen follows the same shape.
  Run("tafullscreen");
  const TFullScreenLayout expected = LayOutFullScreen(QRect(QPoint(), plaque().size()), {16, 9});
  EXPECT_EQ(picture().geometry(), expected.video);
  const int frames = picture().framesShown();
  ASSERT_TRUE(WaitFor([&] { return picture().framesShown() > frames + 3; }));
  ExpectPictureInside(plaque().grab().toImage(), expected.video, expected.square);
  // A chosen shape wins over the stream's.
  Run("saRatio4x3");
  EXPECT_EQ(form_->parameters().AspectRatio->value, 1);
  EXPECT_NEAR(double(picture().width()) / picture().height(), 4.0 / 3, 0.02);
  EXPECT_EQ(form_->optionsFrame()->rgRatioDivx->checkedId(), 1);
}

TEST_F(DisplayWindow, the_lock_follows_the_capture_format_and_unlocking_frees_it_again) {
  Start({"Source video=Webcam simulée", "Preview Locked=1"});
  ASSERT_TRUE(command("taLock").IsChecked());
  Pick(panel().cbFormatCapture, "Wmv");
  EXPECT_EQ(form_->parameters().AspectRatio->value, 1);
  EXPECT_TRUE(command("saRatio4x3").isEnabled());
  for (const char* name : {"saRatioNormal", "saRatio16x9", "saRatioNatif"}) EXPECT_FALSE(command(name).isEnabled()) << name;
  EXPECT_TRUE(command("taIncruster").isEnabled());
  EXPECT_FALSE(form_->optionsFrame()->rgRatioDV->buttons().first()->isEnabled());
  Run("taLock");
  EXPECT_FALSE(form_->parameters().PreviewLocked->value);
  EXPECT_EQ(command("taLock").text(), "Preview conforme");
  for (const char* name : {"saRatioNormal", "saRatio4x3", "saRatio16x9", "saRatioNatif"})
    EXPECT_TRUE(command(name).isEnabled()) << name;
  EXPECT_TRUE(form_->optionsFrame()->rgRatioDV->buttons().first()->isEnabled());

  // A native format: the picture as recorded, so no effects on it.
  Run("taLock");
  Pick(panel().cbFormatCapture, "avi natif");
  EXPECT_FALSE(command("taIncruster").isEnabled());
  EXPECT_FALSE(command("acVertFlip").isEnabled());
  EXPECT_EQ(form_->parameters().AspectRatio->value, 0);

  // Sound alone: the picture goes.
  Pick(panel().cbFormatCapture, "Wav");
  EXPECT_EQ(currentVideo(), "");
  EXPECT_EQ(panel().cboxvideo->currentText(), "aucun flux vidéo");
}

TEST_F(DisplayWindow, the_lock_takes_the_camcorders_own_sound_for_native_dv) {
  Start({"Preview Locked=0"});
  Pick(panel().cboxAudio, "Carte son simulée");
  ASSERT_EQ(currentAudio(), "Carte son simulée");
  Pick(panel().cbFormatCapture, "dv type 1 natif");
  EXPECT_EQ(currentAudio(), "Carte son simulée");
  Run("taLock");
  EXPECT_EQ(currentAudio(), "DV Source - Audio");
  // Unlocked, the sound chosen before comes back.
  Run("taLock");
  EXPECT_EQ(currentAudio(), "Carte son simulée");
}

TEST_F(DisplayWindow, mirrors_volume_and_mute_change_what_is_seen_and_heard_not_what_is_recorded) {
  Start({"Preview Locked=0", "Mute On=0", "Volume=9500"});
  Tvx_Superposer& overlay = engine_.dm().Superposer();
  Run("acVertFlip");
  EXPECT_TRUE(form_->verticalMirror());
  EXPECT_TRUE(overlay.flip());
  EXPECT_TRUE(form_->statusTexts()[1].endsWith(" v")) << form_->statusTexts()[1].toStdString();
  Run("acHorzFlip");
  EXPECT_TRUE(overlay.mirror());
  EXPECT_TRUE(form_->statusTexts()[1].endsWith(" v h")) << form_->statusTexts()[1].toStdString();
  EXPECT_TRUE(form_->parameters().WantHorzFlip->value);
  Run("acVertFlip");
  EXPECT_FALSE(overlay.flip());
  EXPECT_FALSE(form_->parameters().WantVertFlip->value);

  Run("acIncVolume");
  EXPECT_EQ(form_->parameters().Volume->value, 10000);
  EXPECT_EQ(form_->volumeSlider()->value(), 10000);
  EXPECT_EQ(form_->volumeGauge()->text(), "100 %");
  EXPECT_NEAR(MonitorGainSet(), 1.0, 0.001);
  form_->volumeSlider()->setValue(5000);
  EXPECT_NEAR(MonitorGainSet(), 0.421, 0.001);
  form_->volumeSlider()->setValue(500);
  Run("acDecVolume");
  EXPECT_EQ(form_->parameters().Volume->value, 0);
  EXPECT_EQ(MonitorGainSet(), 0.0);
  form_->volumeSlider()->setValue(5000);
  Run("taMute");
  EXPECT_EQ(MonitorGainSet(), 0.0);
  EXPECT_EQ(command("taMute").text(), "Remettre le son");
  EXPECT_TRUE(form_->statusTexts()[1].contains(" mute"));
  Run("taMute");
  EXPECT_NEAR(MonitorGainSet(), 0.421, 0.001);
  // Kept for the next start, the mirror applied again then.
  form_->close();
  form_.reset();
  Restart();
  EXPECT_TRUE(engine_.dm().Superposer().mirror());
  EXPECT_EQ(form_->volumeSlider()->value(), 5000);
}

TEST_F(DisplayWindow, freezing_the_preview_stops_its_pictures_and_a_saved_freeze_comes_back) {
  Start({"Freeze Preview=1"});
  EXPECT_TRUE(command("taFreezepreview").IsChecked());
  EXPECT_EQ(command("taFreezepreview").text(), "Relancer la preview");
  EXPECT_EQ(command("taFreezepreview").toolTip(), "Cliquer pour réactiver la preview.");
  Pump(500);
  const std::uint64_t frozen = engine_.renderer().framesReceived();
  Pump(600);
  EXPECT_LE(engine_.renderer().framesReceived(), frozen + 1);
  Run("taFreezepreview");
  EXPECT_FALSE(form_->parameters().FreezePreview->value);
  EXPECT_EQ(command("taFreezepreview").text(), "Geler la preview");
  EXPECT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() > frozen + 5; }));
}

TEST_F(DisplayWindow, panels_follow_one_another_and_the_format_settings_open_their_options_page) {
  Start({"Panneau actif=8"});
  QStackedWidget& panels = *static_cast<QStackedWidget*>(form_->sidePanels());
  EXPECT_EQ(panels.currentIndex(), pnAbout);
  Run("acNextPanneau");
  EXPECT_EQ(panels.currentIndex(), pnSources);
  EXPECT_TRUE(command("acSourcesFrame").IsChecked());
  EXPECT_FALSE(command("acApropos").IsChecked());
  Run("acNextPanneau");
  EXPECT_EQ(form_->parameters().PanneauActif->value, pnFolders);
  const auto page = [&](const QString& format) {
    Pick(panel().cbFormatCapture, format);
    panel().sbFormatCapturesettings->click();
    EXPECT_EQ(panels.currentIndex(), pnOptions);
    return form_->optionsFrame()->PageControl->currentIndex();
  };
  EXPECT_EQ(page("Wmv"), 1);
  EXPECT_EQ(page("mp3"), 2);
  EXPECT_EQ(page("Wav"), 4);
  // The panels change side; the picture goes with its area.
  const int left = form_->videoArea()->x();
  Run("acBasculerPanneau");
  EXPECT_GT(form_->videoArea()->x(), left);
  EXPECT_FALSE(form_->parameters().EcranGauche->value);
}

TEST_F(DisplayWindow, the_compact_window_is_the_picture_alone_until_restored) {
  Start();
  const QString title = form_->windowTitle();
  Run("acReduire");
  EXPECT_TRUE(form_->reduced());
  EXPECT_EQ(command("acReduire").text(), "Restaurer");
  EXPECT_EQ(form_->windowTitle(), "DV Source - Video");
  EXPECT_EQ(form_->videoArea()->pos(), QPoint(0, 0));
  EXPECT_TRUE(WaitFor([&] { return form_->centralWidget()->size() == form_->videoArea()->size(); }));
  // The picture still fits its frame.
  EXPECT_TRUE(form_->videoArea()->rect().contains(form_->frameShape()->geometry()));
  Run("acReduire");
  EXPECT_FALSE(form_->reduced());
  EXPECT_EQ(command("acReduire").text(), "Réduire");
  EXPECT_EQ(form_->windowTitle(), title);
  EXPECT_GT(form_->videoArea()->y(), 0);
  EXPECT_TRUE(form_->parameters().ReducedOn->value == false);
}

class DisplayCapture : public DisplayWindow {
 protected:
  QString folder() const { return installation_.folder().file("videos"); }
  void StartIn(QStringList more) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    more << "Video Directory=" + folder() + "/" << "Video Date=0";
    Start(more);
  }
  QString Recorded(const char* suffix) const {
    const QStringList files = QDir(folder()).entryList({QString("*") + suffix}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : folder() + "/" + files.first();
  }
};

TEST_F(DisplayCapture, a_frozen_capture_shows_a_hatched_frame_and_resumes_in_its_colour) {
  StartIn({QStringLiteral("Capture Format=%1").arg(fcAviNative), "Source video=Webcam simulée"});
  EXPECT_TRUE(command("taFreezeCapture").isEnabled());
  Run("saCapturerBascule");
  ASSERT_EQ(form_->sessionControl()->EtatSession, esCapture);
  EXPECT_FALSE(command("taLock").isEnabled());
  Pump(500);
  Run("taFreezeCapture");
  EXPECT_TRUE(form_->captureFrozenShown());
  EXPECT_TRUE(plaque().square()->hatched());
  EXPECT_EQ(command("taFreezeCapture").text(), "Relancer la capture");
  EXPECT_TRUE(engine_.dm().Stamper(engine_.dm().captureVideoControl).dropAll());
  // As drawn: lines of the capture's red over the background.
  const QImage frame = form_->frameShape()->grab().toImage();
  int red = 0, other = 0;
  for (int x = 0; x < frame.width(); ++x) (QColor(frame.pixel(x, 3)) == QColor(Qt::red) ? red : other)++;
  EXPECT_GT(red, 0);
  EXPECT_GT(other, 0);
  Pump(500);
  Run("taFreezeCapture");
  EXPECT_FALSE(form_->captureFrozenShown());
  EXPECT_FALSE(engine_.dm().Stamper(engine_.dm().captureVideoControl).dropAll());
  EXPECT_EQ(form_->frameColour(), QColor(Qt::red));
  EXPECT_EQ(QColor(form_->frameShape()->grab().toImage().pixel(3, 3)), QColor(Qt::red));
  Pump(300);
  Run("saCapturerBascule");
  EXPECT_EQ(form_->sessionControl()->EtatSession, esPreview);
  EXPECT_TRUE(command("taLock").isEnabled());
}

TEST_F(DisplayCapture, a_muted_preview_records_its_sound_all_the_same) {
  StartIn({QStringLiteral("Capture Format=%1").arg(fcWav), "Mute On=1", "Preview Locked=0"});
  ASSERT_TRUE(command("taMute").IsChecked());
  Run("saCapturerBascule");
  ASSERT_EQ(form_->sessionControl()->EtatSession, esCapture);
  Pump(1500);
  Run("saCapturerBascule");
  const QString wav = Recorded(".wav");
  ASSERT_FALSE(wav.isEmpty());
  QFile file(wav);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_GT(bytes.size(), 44 + 48000);
  int loudest = 0;
  for (qsizetype at = 44; at + 1 < bytes.size(); at += 2)
    loudest = std::max(loudest, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + at))));
  EXPECT_GT(loudest, 1000);
}

TEST_F(DisplayCapture, the_sources_label_shows_the_half_size_picture_while_a_divx_capture_runs) {
  StartIn({QStringLiteral("Capture Format=%1").arg(fcDivx), "DV demi si DivX=1", "Preview Locked=0"});
  if (form_->sourcesFrame()->cbFormatCapture->currentText() != "divx") GTEST_SKIP() << "no MPEG-4 encoder here";
  ASSERT_TRUE(WaitFor([&] { return panel().LabVideo->text().contains("720x576"); })) << panel().LabVideo->text().toStdString();
  Run("saCapturerBascule");
  ASSERT_EQ(form_->sessionControl()->EtatSession, esCapture);
  EXPECT_TRUE(WaitFor([&] { return panel().LabVideo->text().contains("360x288"); })) << panel().LabVideo->text().toStdString();
  Pump(500);
  Run("saCapturerBascule");
  EXPECT_TRUE(WaitFor([&] { return panel().LabVideo->text().contains("720x576"); })) << panel().LabVideo->text().toStdString();
}

}  // namespace
