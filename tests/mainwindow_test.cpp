#include <gtest/gtest.h>

#include <QUrl>

#include "app/erreurframe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPixmap>
#include <QStatusBar>
#include <QTemporaryDir>
#include <stdexcept>

#include "app/captureform.h"
#include "ui/camform.h"
#include "app/previewsession.h"
#include "app/sourceselection.h"
#include "ui/dossiersframe.h"
#include "ui/sourcesframe.h"
#include "capture/captureengine.h"
#include "capture/systemdevices.h"
#include "control/capturejournal.h"
#include "media/formats/dvaviwriter.h"
#include "settings/conversions.h"
#include "settings/inifile.h"
#include "support/aviwalk.h"
#include "support/dvframes.h"
#include "support/installation.h"
#include "ui/videowindow.h"

namespace {

// Collects the trace lines while it lives.
class TraceRecorder {
 public:
  TraceRecorder() {
    lines().clear();
    QLoggingCategory::setFilterRules("tessivo.trace.debug=true");
    previous_ = qInstallMessageHandler(&TraceRecorder::Handle);
  }
  ~TraceRecorder() {
    qInstallMessageHandler(previous_);
    QLoggingCategory::setFilterRules("tessivo.trace.debug=false");
  }
  static QStringList& lines() {
    static QStringList recorded;
    return recorded;
  }

 private:
  static void Handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QLatin1String(context.category) == QLatin1String("tessivo.trace")) lines() << message;
  }
  QtMessageHandler previous_ = nullptr;
};

FormEnvironment EnvironmentFor(const Installation& installation, std::optional<TSavePreferences> answer = std::nullopt,
                               int* asked = nullptr) {
  FormEnvironment environment;
  environment.locations = installation.locations();
  environment.defaults = installation.defaults();
  environment.inhibitScreenSaver = false;
  environment.chooseSaveMode = [answer, asked](const QString&) {
    if (asked) ++*asked;
    return answer;
  };
  return environment;
}

// Shows the window and lets the event loop turn until the deferred start-up
// chain has run.
void ShowAndStart(TCaptureForm& form) {
  form.show();
  QElapsedTimer clock;
  clock.start();
  while (!form.idleChainDone() && clock.elapsed() < 5000) QApplication::processEvents();
  ASSERT_TRUE(form.idleChainDone());
}

// The lines between two markers, both included.
QStringList Between(const QStringList& lines, const QString& first, const QString& last) {
  const qsizetype from = lines.indexOf(first);
  const qsizetype to = lines.indexOf(last, from);
  return from < 0 || to < 0 ? QStringList{} : lines.mid(from, to - from + 1);
}

// The environment of a window that previews with the engine.
FormEnvironment WithEngine(const Installation& installation, TCaptureEngine& engine) {
  FormEnvironment environment = EnvironmentFor(installation);
  environment.engine = &engine;
  return environment;
}

}  // namespace

TEST(MainWindow, comes_up_and_goes_down_in_order) {
  Installation installation;
  installation.writeIni("");
  TraceRecorder recorder;
  TCaptureEngine engine;
  {
    TCaptureForm form(WithEngine(installation, engine));
    EXPECT_TRUE(form.startingUp());
    ShowAndStart(form);
    EXPECT_FALSE(form.startingUp());
    EXPECT_EQ(form.windowTitle(), "Tessivo 6.1.3 fr de Orbelin");
    // The steps did their work: sources listed, the first ones previewed.
    ASSERT_NE(form.previewSession(), nullptr);
    EXPECT_FALSE(form.previewSession()->VideoSourceNames().isEmpty());
    EXPECT_EQ(form.previewSession()->CurrentVideoName(), "DV Source - Video");
    EXPECT_TRUE(engine.graph().Running());
    form.close();
    // The close released the sources and stopped the graph before saving,
    // and kept the sources chosen.
    EXPECT_EQ(engine.context.CurrentVideoSource, nullptr);
    EXPECT_EQ(engine.context.CurrentAudioSource, nullptr);
    EXPECT_FALSE(engine.graph().Running());
    EXPECT_EQ(engine.graph().ElementCount(), 0);
    EXPECT_EQ(form.parameters().SourceVideo->value, "DV Source - Video");
  }
  const QStringList& lines = TraceRecorder::lines();
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[1], "Version 6.1.3.54 du 20/4/2022");
  // Steps whose work is not built yet trace nothing.
  EXPECT_EQ(Between(lines, "Enter FormCreate", "Exit FormShow"),
            (QStringList{"Enter FormCreate", "Exit FormCreate", "Enter FormShow", "Enter ChargerPrefs1",
                         "loadfromregistry passed", "Fullscreen passed", "ReducedOn passed", "MuteOn passed",
                         "cam1 passed", "cam2 passed", "DossiersFrame passed", "SourcesFrame passed",
                         "SetIncrust passed", "Superposer.setincrust passed", "Superposer.whenincrust passed",
                         "Optionsframe passed", "Extraireframe passed", "FreezePreview passed",
                         "FreezeCapture passed", "Exit ChargerPrefs1", "Exit FormShow"}));
  EXPECT_EQ(Between(lines, "Enter AppEventsIdle", "Exit AppEventsIdle"),
            (QStringList{"Enter AppEventsIdle", "Enter ChergerPrefs2", "optionsframe.populate passed",
                         "Exit ChargerPrefs2 OK", "pluginaddtolist passed", "ChargerDrivers passed", "activervideo passed", "activeraudio passed",
                         "activerformatcapture passed", "play passed", "flip passed", "incruster.execute passed",
                         "erreur passed",
                         "Exit AppEventsIdle"}));
  EXPECT_EQ(Between(lines, "Enter FormCloseQuery", "Exit FormDestroy"),
            (QStringList{"Enter FormCloseQuery", "Exit FormCloseQuery", "Enter FormDestroy", "Exit FormDestroy"}));
  EXPECT_LT(lines.indexOf("Exit FormShow"), lines.indexOf("Enter AppEventsIdle"));
}

TEST(MainWindow, a_failing_step_ends_its_chain_but_not_the_always_run_tail) {
  Installation installation;
  installation.writeIni("");
  TraceRecorder recorder;
  TCaptureEngine engine;
  FormEnvironment environment = EnvironmentFor(installation);
  environment.engine = &engine;
  environment.beforeStep = [](const QString& step) {
    if (step == "Optionsframe" || step == "activervideo") throw std::runtime_error("panne simulée");
  };
  TCaptureForm form(environment);
  ShowAndStart(form);
  const QStringList& lines = TraceRecorder::lines();
  EXPECT_TRUE(lines.contains("loadfromregistry passed"));
  EXPECT_FALSE(lines.contains("Optionsframe passed"));
  EXPECT_FALSE(lines.contains("Exit ChargerPrefs1"));
  EXPECT_TRUE(lines.contains("Exit FormShow"));  // the show step goes on
  EXPECT_TRUE(lines.contains("ChargerDrivers passed"));
  EXPECT_FALSE(lines.contains("activervideo passed"));
  EXPECT_FALSE(lines.contains("play passed"));
  EXPECT_EQ(form.previewSession()->CurrentVideoName(), "");  // nothing after the failure ran
  EXPECT_TRUE(lines.contains("Exit AppEventsIdle"));         // the tail always runs
  EXPECT_FALSE(form.startingUp());
  form.close();
}

TEST(MainWindow, devices_that_cannot_be_listed_are_reported_and_the_start_goes_on) {
  Installation installation;
  installation.writeIni("");
  TraceRecorder recorder;
  TCaptureEngine engine;
  TCaptureForm form(WithEngine(installation, engine));
  form.previewSession()->enumerator().SetListingFails(true);
  ShowAndStart(form);
  const QStringList& lines = TraceRecorder::lines();
  EXPECT_FALSE(lines.contains("ChargerDrivers passed"));
  EXPECT_EQ(form.statusBar()->currentMessage(), "impossible de charger les sources vidéo.");
  EXPECT_TRUE(lines.contains("Exit AppEventsIdle"));
  EXPECT_FALSE(form.startingUp());
  // The error panel says it, as a fatal error: its button ends the program.
  TErreurFrame& panel = *form.erreurFrame();
  EXPECT_TRUE(panel.isVisible());
  EXPECT_TRUE(panel.fatal());
  EXPECT_EQ(panel.JvLabel1->text(), "Orbelin est désolé:");
  EXPECT_TRUE(panel.LinkEdit1->toPlainText().startsWith(
      "Tessivo a rencontré une erreur fatale sur votre système:\n\nimpossible de charger les sources vidéo.\n"))
      << panel.LinkEdit1->toPlainText().toStdString();
  EXPECT_EQ(panel.pos(), QPoint(0, 0));
  int ended = 0;
  panel.terminate = [&] { ++ended; };
  panel.FermerErreurBtn->click();
  EXPECT_EQ(ended, 1);
  form.close();
}

TEST(MainWindow, a_problem_that_is_not_fatal_gives_the_window_its_size_back_and_mails_the_error) {
  Installation installation;
  installation.writeIni("");
  TCaptureEngine engine;
  TCaptureForm form(WithEngine(installation, engine));
  ShowAndStart(form);
  const QSize before = form.size();
  TErreurFrame& panel = *form.erreurFrame();
  panel.AfficherErreur("a&b?c#d%e+f é <b>", false);
  EXPECT_TRUE(panel.LinkEdit1->toPlainText().startsWith("Tessivo a diagnostiqué des problèmes potentiels"));
  EXPECT_TRUE(panel.LinkEdit1->toPlainText().contains("a&b?c#d%e+f é ‹b>"));  // shown, not read as mark-up
  QList<QByteArray> opened;
  panel.openAddress = [&](const QByteArray& address) { opened << address; };
  panel.LinkEdit1->OnMailClick("contact@tessivo.example.org");
  ASSERT_EQ(opened.size(), 1);
  const QByteArray body = opened[0].mid(opened[0].indexOf("&body=") + 6);
  EXPECT_TRUE(QUrl::fromPercentEncoding(body).startsWith("L'erreur suivante s'est produite:\r\na&b?c#d%e+f é <b>\r\n\r\n"));
  int ended = 0;
  panel.terminate = [&] { ++ended; };
  panel.FermerErreurBtn->click();
  EXPECT_EQ(ended, 0);
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(form.size(), before);
  form.close();
}

TEST(MainWindow, device_changes_are_followed_after_start_up_while_notifier_is_on) {
  for (const bool notifier : {true, false}) {
    Installation installation;
    installation.writeIni(IniFile::Encode({kParameterSection, notifier ? "Notifier=1" : "Notifier=0"}));
    TCaptureEngine engine;
    TCaptureForm form(WithEngine(installation, engine));
    int rebuilt = 0;
    QObject::connect(form.sourceSelection(), &TSourceSelection::sourcesRebuilt, [&rebuilt] { ++rebuilt; });
    emit form.previewSession()->enumerator().devicesChanged();  // while starting up: ignored
    EXPECT_EQ(rebuilt, 0);
    ShowAndStart(form);
    emit form.previewSession()->enumerator().devicesChanged();
    EXPECT_EQ(rebuilt, notifier ? 1 : 0) << notifier;
    form.close();
  }
}

TEST(MainWindow, files_a_crash_left_unfinished_are_offered_for_repair_at_start) {
  Installation installation;
  installation.writeIni("");
  QTemporaryDir dir;
  // What a killed type-1 writer leaves: zeros where the headers go, then
  // its frames.
  const QString file = dir.filePath("interrompu.avi");
  QByteArray damaged(static_cast<qsizetype>(TDvAviWriter::kFirstMoviOffset), '\0');
  damaged += QByteArray("LIST\0\0\0\0movi", 12);
  const std::vector<std::uint8_t> frame = MakeDvFrame({});
  for (int i = 0; i < 30; ++i)
    damaged += QByteArray("00dc") + QByteArray("\x80\x32\x02\0", 4) +
               QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()));
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(damaged);
  out.close();
  TCaptureJournal journal(dir.filePath("journal"));
  journal.Add(file);
  journal.Add(dir.filePath("disparu.avi"));  // gone since: not offered

  QStringList offered;
  FormEnvironment environment = EnvironmentFor(installation);
  environment.journalPath = journal.path();
  environment.askRepair = [&offered](const QStringList& files) {
    offered = files;
    return true;
  };
  TCaptureForm form(environment);
  ShowAndStart(form);
  EXPECT_EQ(offered, QStringList{file});
  EXPECT_EQ(form.statusBar()->currentMessage(), "Fichiers réparés : interrompu.avi.");
  const AviContents avi = ReadAvi(file, false);
  EXPECT_TRUE(avi.valid);
  EXPECT_EQ(avi.video.size(), 30u);
  EXPECT_TRUE(journal.Unfinished().isEmpty());  // offered once
  form.close();
}

TEST(MainWindow, first_run_uses_defaults_and_asks_where_to_save) {
  Installation installation;
  int asked = 0;
  TCaptureEngine engine;
  FormEnvironment environment = EnvironmentFor(installation, std::nullopt, &asked);
  environment.engine = &engine;
  TCaptureForm form(environment);
  ShowAndStart(form);
  EXPECT_EQ(form.parameterList().mode(), TSavePreferences::spNone);
  EXPECT_EQ(form.preferences().mode(), TSavePreferences::spNone);
  EXPECT_EQ(form.parameters().Volume->value, 5000);
  // The default format is not one a source offers: the first one offered
  // is taken.
  EXPECT_EQ(form.parameters().CaptureFormat->value, fcDvType1Native);

  // Closing the question unanswered keeps the window, with its preview
  // rebuilt, and asks again next time.
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.previewSession()->CurrentVideoName(), "DV Source - Video");
  EXPECT_TRUE(engine.graph().Running());
  EXPECT_FALSE(form.close());
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(QFile::exists(installation.iniPath()));
}

TEST(MainWindow, portable_mode_keeps_changes_and_the_components_sections_across_a_restart) {
  Installation installation;
  installation.writeIni("");
  const QRect camcorder(QPoint(5, 6), QPoint(572, 137));
  {
    TCaptureForm form(EnvironmentFor(installation));
    ShowAndStart(form);
    ASSERT_EQ(form.parameterList().mode(), TSavePreferences::spPortable);
    form.parameters().Volume->value = 1234;
    form.dossiersFrame()->VideoRacineEdit->setText("Mariage");
    form.camForm(1)->setGeometry(camcorder);
    EXPECT_TRUE(form.close());
  }
  TCaptureForm again(EnvironmentFor(installation));
  ShowAndStart(again);
  EXPECT_EQ(again.parameters().Volume->value, 1234);
  EXPECT_EQ(again.parameters().VideoRacine->value, "Mariage");
  EXPECT_EQ(again.preferences().ReadRect("raCam1", {}), camcorder);
  EXPECT_EQ(again.camForm(1)->geometry(), camcorder);
  again.close();
}

TEST(MainWindow, an_empty_ini_file_is_filled_with_every_key_and_its_default) {
  Installation installation;
  installation.writeIni("");
  {
    TCaptureForm form(EnvironmentFor(installation));
    ShowAndStart(form);
    EXPECT_TRUE(form.close());
  }
  const QStringList lines = installation.iniLines();
  const qsizetype header = lines.indexOf(kParameterSection);
  ASSERT_GE(header, 0);
  EXPECT_EQ(lines[header + 1], "Signature=Tessivo 6.1.3 fr de Orbelin");
  EXPECT_TRUE(lines[header + 2].startsWith("DerniereSauvegarde="));
  EXPECT_EQ(lines[header + 3], "ExeName=" + installation.exePath());
  EXPECT_EQ(lines[header + 4], "Volume=5000");
  EXPECT_TRUE(lines.contains("Framerate=18"));
  EXPECT_TRUE(lines.contains("No Datecode=N/A"));
  EXPECT_TRUE(lines.contains("Video Input Select=-1"));
  EXPECT_EQ(lines.indexOf("Freeze Capture=0"), lines.indexOf("Freeze Preview=0") + 1);
  // The component's root section is there too.
  EXPECT_TRUE(lines.contains("[]"));
  EXPECT_TRUE(lines.contains("Version=Tessivo 6.1.3 fr de Orbelin"));
}

TEST(MainWindow, camcorder_windows_open_below_the_main_window) {
  Installation installation;
  TCaptureForm form(EnvironmentFor(installation));
  form.move(40, 30);
  const QRect frame = form.frameGeometry();
  EXPECT_EQ(form.DefaultCamcorderRect(), QRect(frame.left(), frame.bottom() + 1, 568, 132));
}

namespace {

bool IsDark(QRgb pixel) { return qRed(pixel) < 0x40 && qGreen(pixel) < 0x40 && qBlue(pixel) < 0x40; }

// Looks at the window as drawn: the video area is dark all over, the side
// panels are light but for their text, so neither covers the other.
void ExpectVideoAndPanelsApart(TCaptureForm& form) {
  const QRect video = form.videoArea()->geometry();
  const QRect panels = form.sidePanels()->geometry();
  EXPECT_FALSE(video.intersects(panels)) << "video " << video.x() << "+" << video.width() << ", panels " << panels.x()
                                         << "+" << panels.width();
  const QImage shot = form.centralWidget()->grab().toImage();
  const QRect inside = video.adjusted(3, 3, -3, -3);
  int lightInVideo = 0, darkInPanels = 0, panelSamples = 0;
  for (int y = inside.top(); y <= inside.bottom(); y += 4)
    for (int x = inside.left(); x <= inside.right(); x += 4) lightInVideo += !IsDark(shot.pixel(x, y));
  for (int y = panels.top(); y <= panels.bottom(); y += 4)
    for (int x = panels.left(); x <= panels.right(); x += 4, ++panelSamples) darkInPanels += IsDark(shot.pixel(x, y));
  EXPECT_EQ(lightInVideo, 0);
  EXPECT_LT(darkInPanels, panelSamples / 20);
  EXPECT_LE(panels.right(), form.centralWidget()->width());
  EXPECT_GE(video.left(), 0);
}

}  // namespace

TEST(MainWindow, video_area_and_side_panels_never_overlap) {
  Installation installation;
  installation.writeIni(IniFile::Encode({kParameterSection, "EcranGauche=0"}));
  TCaptureForm right(EnvironmentFor(installation));
  ShowAndStart(right);
  for (const QSize size : {QSize(800, 600), QSize(1280, 800), QSize(1920, 1080)}) {
    SCOPED_TRACE(size.width());
    right.resize(size);
    QApplication::processEvents();
    ExpectVideoAndPanelsApart(right);
    EXPECT_EQ(right.sidePanels()->x(), 0);
  }
  right.close();

  Installation leftInstallation;
  leftInstallation.writeIni("");
  TCaptureForm left(EnvironmentFor(leftInstallation));
  ShowAndStart(left);
  for (const QSize size : {QSize(800, 600), QSize(1280, 800)}) {
    SCOPED_TRACE(size.width());
    left.resize(size);
    QApplication::processEvents();
    ExpectVideoAndPanelsApart(left);
    EXPECT_EQ(left.videoArea()->x(), 8);
    EXPECT_EQ(left.videoArea()->width(), left.centralWidget()->width() - 303);
  }
  left.close();
}

TEST(MainWindow, starts_the_preview_of_the_saved_sources_or_the_first_ones) {
  Installation installation;
  installation.writeIni(IniFile::Encode({kParameterSection, "Source video=Webcam simulée", "Source Audio=Inconnue"}));
  FormEnvironment environment = EnvironmentFor(installation);
  TCaptureEngine engine;
  environment.engine = &engine;
  TCaptureForm form(environment);
  ShowAndStart(form);
  ASSERT_NE(form.previewSession(), nullptr);
  EXPECT_EQ(form.previewSession()->CurrentVideoName(), "Webcam simulée");
  // The saved audio source is gone: the first one is taken.
  EXPECT_EQ(form.previewSession()->CurrentAudioName(), "DV Source - Audio");
  ASSERT_NE(form.videoWindow(), nullptr);
  QElapsedTimer clock;
  clock.start();
  while (form.videoWindow()->framesShown() < 5 && clock.elapsed() < 5000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_GE(form.videoWindow()->framesShown(), 5);
  form.close();
}
