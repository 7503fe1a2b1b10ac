// Stills, the session list and the companion program from the main window,
// on the simulated camcorder: "Grab!", the interval timer at full speed,
// the list's menu, the gauges, and the companion started on the files.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QStackedWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>
#include <QTest>

#include "capture/mediamodule.h"
#include "control/stillgrab.h"
#include "media/filters/vx_superposer.h"
#include "settings/conversions.h"
#include "support/simulatedwindow.h"
#include "ui/extraireframe.h"
#include "ui/listeframe.h"
#include "ui/textgauge.h"
#include "ui/videowindow.h"

namespace {

class GrabWindow : public SimulatedWindow {
 protected:
  void StartIn(QStringList more = {}) {
    ASSERT_TRUE(QDir().mkpath(images()));
    more << "Image Directory=" + images() + "/" << "Video Directory=" + installation_.folder().path() + "/";
    Start(more);
  }
  QString images() const { return installation_.folder().file("images"); }
  QStringList Stills(const QString& pattern) const { return QDir(images()).entryList({pattern}, QDir::Files); }
  void Run(const char* command) {
    TCustomSuperAction* action = form_->al().FindByObjectName(QString::fromLatin1(command));
    ASSERT_NE(action, nullptr);
    action->trigger();
  }
  TExtraireFrame& grab() { return *form_->extraireFrame(); }
  TListeFrame& list() { return *form_->listeFrame(); }
  Tvx_Superposer& overlay() { return engine_.dm().Superposer(); }
  TDataFichier Listed(const QString& path) {
    TDataFichier file;
    file.fileName = path;
    file.ReadDirectoryEntry();
    return file;
  }
};

TEST_F(GrabWindow, grab_writes_the_first_bmp_shows_its_preview_and_lists_it) {
  StartIn();
  ASSERT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() > 5; }));
  EXPECT_EQ(grab().destlabel->text(), "Image_00000.bmp");
  QTest::keyClick(form_.get(), Qt::Key_F5);
  ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(images() + "/Image_00000.bmp"); }));
  EXPECT_EQ(qobject_cast<QStackedWidget*>(form_->sidePanels())->currentIndex(), int(pnImageExtraction));
  const QImage saved(images() + "/Image_00000.bmp");
  // The camcorder's 4:3 PAL picture, in square pixels.
  EXPECT_EQ(saved.size(), QSize(720, 540));
  EXPECT_TRUE(WaitFor([&] { return !grab().Image->pixmap().isNull(); }));
  EXPECT_EQ(grab().Image->geometry(), TStillGrabber::PreviewBounds(saved.size()));
  EXPECT_TRUE(grab().Bevel3->isVisibleTo(&grab()));
  EXPECT_EQ(grab().destlabel->text(), "Image_00001.bmp");
  ASSERT_EQ(list().files().size(), 1u);
  EXPECT_EQ(list().files()[0].framesCaptured, 1);
  EXPECT_EQ(list().labselect->text(), QString::fromUtf8("1 fichiers triés par ordre alphabétique"));
  // A click on the picture grabs too.
  QTest::mouseClick(form_->videoWindow(), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(images() + "/Image_00001.bmp"); }));
}

TEST_F(GrabWindow, an_interval_of_one_frame_writes_every_frame_as_a_jpeg_none_lost) {
  StartIn({"Extension des images=1", "Valeur Intervallomètre=1", "Unités Intervallomètre=1"});
  ASSERT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() > 5; }));
  EXPECT_EQ(grab().RxSpinEdit7->value(), 1);
  EXPECT_EQ(grab().cbUnites->currentText(), "frames");
  Run("saIntervallo");
  EXPECT_TRUE(grab().RxSwitch1->isChecked());
  EXPECT_FALSE(grab().RxSpinEdit7->isEnabled());
  EXPECT_EQ(form_->statusTexts()[0], "JPG - toutes les 1 frames");
  QElapsedTimer clock;
  clock.start();
  Pump(10000);
  Run("saIntervallo");
  const double seconds = clock.elapsed() / 1000.0;
  ASSERT_TRUE(WaitFor([&] { return form_->stillGrabber()->waiting() == 0; }));
  Pump(300);
  EXPECT_EQ(form_->statusTexts()[0], "JPG - Intervallo OFF");
  EXPECT_TRUE(grab().RxSpinEdit7->isEnabled());
  const QStringList stills = Stills("*.jpg");
  // The camcorder gives 25 frames a second; every one was kept.
  EXPECT_GE(stills.size(), int(seconds * 25) - 25) << seconds << " s";
  EXPECT_LE(stills.size(), int(seconds * 25) + 5);
  EXPECT_EQ(overlay().lostGrabs(), 0u);
  EXPECT_EQ(list().files().size(), std::size_t(stills.size()));
  EXPECT_TRUE(stills.contains("Image_00000.jpg"));
  EXPECT_TRUE(stills.contains(QString("Image_%1.jpg").arg(stills.size() - 1, 5, 10, QChar('0'))));
  EXPECT_FALSE(QImage(images() + "/" + stills.back()).isNull());
}

TEST_F(GrabWindow, the_countdown_shows_the_seconds_and_beeps_only_when_asked) {
  StartIn({"Valeur Intervallomètre=2", "Unités Intervallomètre=0", "Beeps=0", "Confirmer Image=0"});
  ASSERT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() > 5; }));
  Run("saIntervallo");
  ASSERT_TRUE(WaitFor([&] { return grab().chronoLab->text() == "1"; }));
  EXPECT_FALSE(grab().chronoLab->isHidden());
  ASSERT_TRUE(WaitFor([&] { return grab().chronoLab->text() == "0"; }));
  EXPECT_TRUE(beeps_.isEmpty());
  // "Bips" is followed at each click.
  grab().cbBeeps->click();
  EXPECT_TRUE(form_->parameters().Beeps->value);
  ASSERT_TRUE(WaitFor([&] { return beeps_.contains(0) && beeps_.contains(1); }));
  Run("saIntervallo");
  EXPECT_TRUE(grab().chronoLab->isHidden());
  EXPECT_GE(Stills("*.bmp").size(), 2);
}

TEST_F(GrabWindow, without_a_picture_there_is_no_grab_and_the_interval_timer_stops) {
  StartIn();
  ASSERT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() > 5; }));
  Run("saIntervallo");
  ASSERT_TRUE(grab().RxSwitch1->isChecked());
  Pick(panel().cboxvideo, QString::fromUtf8("aucun flux vidéo"));
  EXPECT_FALSE(grab().RxSwitch1->isChecked());
  EXPECT_FALSE(grab().RxSwitch1->isEnabled());
  EXPECT_FALSE(form_->al().FindByObjectName("saGrab")->isEnabled());
  EXPECT_TRUE(form_->statusTexts()[0].endsWith("Intervallo OFF"));
}

// The window with the desktop's services recorded.
class DesktopWindow : public GrabWindow {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(images()));
    QStringList lines{kParameterSection};
    lines << "Image Directory=" + images() + "/" << "Video Directory=" + installation_.folder().path() + "/"
          << "Scenolog=" + QString::fromUtf8(TESSIVO_ARGSDUMP);
    installation_.writeIni(IniFile::Encode(lines));
  }
  void Up(bool recordPrograms) {
    adjust_ = [this, recordPrograms](FormEnvironment& environment) {
      environment.inform = [this](const QString& text) { informed_ << text; };
      environment.revealFile = [this](const QString& path) { revealed_ << path; };
      environment.openDocument = [this](const QString& path) {
        opened_ << path;
        return true;
      };
      if (recordPrograms)
        environment.startProgram = [this](const QString& program, const QStringList& arguments) {
          started_ << QStringList{program} + arguments;
          return true;
        };
    };
    Restart();
  }
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = images() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  // What the companion received, once it has written it.
  QStringList Received(const QString& out) {
    if (!WaitFor([&] { return QFileInfo::exists(out); }, 10000)) return {"<not started>"};
    QFile file(out);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList arguments;
    for (const QByteArray& argument : file.readAll().split('\0')) arguments << QString::fromUtf8(argument);
    arguments.removeLast();  // after the last NUL
    return arguments;
  }

  QStringList informed_, revealed_, opened_;
  QList<QStringList> started_;
};

TEST_F(DesktopWindow, infos_parent_folder_open_sort_and_the_folder_command) {
  Up(true);
  // Empty list: "Infos" says nothing, the folder command opens the videos'.
  list().miInfos->trigger();
  EXPECT_TRUE(informed_.isEmpty());
  EXPECT_FALSE(list().fl->isEnabled());
  Run("acOuvrirDossierVideos");
  EXPECT_EQ(opened_, QStringList{installation_.folder().path() + "/"});
  opened_.clear();

  const QString small = Write("b_small.jpg", "12");
  const QString large = Write("a_large.bmp", QByteArray(5000, 'x'));
  TDataFichier still = Listed(small);
  still.framesCaptured = 1;
  list().Add(still);
  list().Add(Listed(large));
  EXPECT_TRUE(list().fl->isEnabled());
  EXPECT_EQ(list().labselect->text(), QString::fromUtf8("2 fichiers triés par ordre alphabétique"));
  // The last in the order shown: alphabetical, then by size.
  Run("acOuvrirDossierVideos");
  EXPECT_EQ(revealed_, QStringList{small});
  list().miTriTaille->trigger();
  EXPECT_EQ(list().labselect->text(), QString::fromUtf8("2 fichiers triés selon la taille du fichier"));
  Run("acOuvrirDossierVideos");
  EXPECT_EQ(revealed_.last(), large);

  list().fl->setCurrentRow(0);  // the small still, by size
  list().miInfos->trigger();
  ASSERT_EQ(informed_.size(), 1);
  EXPECT_TRUE(informed_[0].contains(QString::fromUtf8("Frames capturées: 1\r\n")));
  EXPECT_TRUE(informed_[0].contains(QString::fromUtf8("Taille du fichier: 2\r\n")));
  list().miDossierParent->trigger();
  EXPECT_EQ(revealed_.last(), small);
  list().fl->selectAll();
  list().miOuvrir->trigger();
  EXPECT_EQ(opened_, QStringList({small, large}));
  emit list().fl->itemDoubleClicked(list().fl->item(1));
  EXPECT_EQ(opened_.last(), large);
  // "Ouvrir dans Scenolog" with the one file.
  list().fl->setCurrentRow(1);
  list().miScenolog->trigger();
  ASSERT_EQ(started_.size(), 1);
  EXPECT_EQ(started_[0], QStringList({QString::fromUtf8(TESSIVO_ARGSDUMP), large}));
}

TEST_F(DesktopWindow, the_companion_gets_the_files_still_there_with_every_character_intact) {
  const QString out = installation_.folder().file("arguments");
  qputenv("TESSIVO_ARGS_FILE", out.toUtf8());
  Up(false);
  // An empty list starts nothing.
  Run("acScenolog");
  Pump(500);
  EXPECT_FALSE(QFileInfo::exists(out));
  const QString gone = Write("premier.avi", "1");
  const QString odd = Write(QString::fromUtf8("clip \"du\" 9 déc; $(rm -rf x) `id` 'a'.avi"), "2");
  const QString third = Write("troisième clip.avi", "3");
  for (const QString& file : {gone, odd, third}) list().Add(Listed(file));
  QFile::remove(gone);
  Run("acScenolog");
  // In list order (alphabetical): the quoted clip, then the third.
  EXPECT_EQ(Received(out), QStringList({odd, third}));
  EXPECT_TRUE(informed_.isEmpty());
  qunsetenv("TESSIVO_ARGS_FILE");
}

TEST_F(DesktopWindow, a_missing_companion_is_said_and_nothing_starts) {
  Up(true);
  form_->parameters().Scenolog->value = installation_.folder().file("absent/scenolog");
  list().Add(Listed(Write("clip.avi", "1")));
  Run("acScenolog");
  ASSERT_EQ(informed_.size(), 1);
  EXPECT_EQ(informed_[0], QString::fromUtf8("Scenolog de Orbelin n'a pas été trouvé sur cet ordinateur\r\nS'il est "
                                            "présent, indiquez son nom dans le panneau des dossiers (ALT+D)."));
  list().fl->setCurrentRow(0);
  list().miScenolog->trigger();  // quietly nothing
  EXPECT_EQ(informed_.size(), 1);
  EXPECT_TRUE(started_.isEmpty());
}

TEST_F(DesktopWindow, the_gauges_show_the_drives_and_the_busiest_processor) {
  Up(true);
  Run("saListeFrame");
  EXPECT_EQ(qobject_cast<QStackedWidget*>(form_->sidePanels())->currentIndex(), int(pnCapturedFiles));
  const TTextGauge& video = *list().tgVideo;
  EXPECT_GT(video.maximum(), 0);
  EXPECT_GT(video.value(), 0);
  EXPECT_EQ(video.text(), QString("%1 Mo").arg(video.maximum() - video.value()));
  EXPECT_EQ(list().tgImage->maximum(), video.maximum());  // the same drive here
  EXPECT_GE(list().tgCPU->value(), 0);
  EXPECT_LE(list().tgCPU->value(), 100);
}

}  // namespace
