#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include "app/captureform.h"
#include "support/installation.h"

namespace {

FormEnvironment PortableEnvironment(const Installation& installation, const QStringList& commandLine) {
  installation.writeIni("");
  FormEnvironment environment;
  environment.locations = installation.locations();
  environment.defaults = installation.defaults();
  environment.inhibitScreenSaver = false;
  environment.commandLine = commandLine;
  return environment;
}

// Runs the event loop until the window has closed or the time is up.
bool WaitUntilClosed(TCaptureForm& form, int milliseconds = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (form.isVisible() && clock.elapsed() < milliseconds) QApplication::processEvents();
  return !form.isVisible();
}

bool WaitForCommandLine(TCaptureForm& form) {
  QElapsedTimer clock;
  clock.start();
  while (!form.commandLineDone() && clock.elapsed() < 5000) QApplication::processEvents();
  return form.commandLineDone();
}

}  // namespace

TEST(CommandLine, quit_action_and_quit_word_close_through_the_normal_path) {
  for (const QString& command : {QString("/q"), QString("quit"), QString("+Q")}) {
    SCOPED_TRACE(command.toStdString());
    Installation installation;
    TCaptureForm form(PortableEnvironment(installation, {command}));
    form.show();
    EXPECT_TRUE(WaitUntilClosed(form));
    // The normal close saved the preferences.
    EXPECT_TRUE(installation.iniLines().contains("Volume=5000"));
  }
}

TEST(CommandLine, unknown_commands_leave_the_program_running) {
  Installation installation;
  TCaptureForm form(PortableEnvironment(installation, {"/inconnu", "-platform", "fichier.avi", "+=3"}));
  form.show();
  ASSERT_TRUE(WaitForCommandLine(form));
  EXPECT_TRUE(form.isVisible());
  form.close();
}

TEST(CommandLine, the_main_window_bounds_come_back_from_the_preferences) {
  Installation installation;
  {
    TCaptureForm form(PortableEnvironment(installation, {}));
    form.show();
    ASSERT_TRUE(WaitForCommandLine(form));
    form.setGeometry(QRect(30, 40, 900, 650));
    form.close();
  }
  const QStringList lines = installation.iniLines();
  EXPECT_TRUE(lines.contains("[FormSave]"));
  FormEnvironment environment;
  environment.locations = installation.locations();
  environment.defaults = installation.defaults();
  environment.inhibitScreenSaver = false;
  TCaptureForm again(environment);
  again.show();
  ASSERT_TRUE(WaitForCommandLine(again));
  EXPECT_EQ(again.geometry().size(), QSize(900, 650));
  again.close();
}

TEST(LancerScript, cancelling_the_file_choice_runs_nothing_and_a_file_runs_its_commands) {
  Installation installation;
  FormEnvironment environment = PortableEnvironment(installation, {});
  QString chosen;
  environment.chooseScriptFile = [&] { return chosen; };
  TCaptureForm form(environment);
  form.show();
  ASSERT_TRUE(WaitForCommandLine(form));
  TCustomSuperAction* script = form.al().FindByObjectName("saScript");
  ASSERT_NE(script, nullptr);

  script->Execute();  // cancelled
  EXPECT_TRUE(form.isVisible());

  installation.folder().write("sans-effet.txt", "/inconnu\r\n");
  chosen = installation.folder().file("sans-effet.txt");
  script->Execute();
  EXPECT_TRUE(form.isVisible());

  installation.folder().write("quitter.txt", "\xEF\xBB\xBF  quit\r\n");
  chosen = installation.folder().file("quitter.txt");
  script->Execute();
  EXPECT_TRUE(WaitUntilClosed(form));
}

TEST(CommandLine, tessivo_quit_starts_and_ends_with_status_zero) {
  // A portable copy of the program, so the run writes beside it only.
  Installation installation;
  const QString program = installation.folder().file("tessivo-copie");
  ASSERT_TRUE(QFile::copy(TESSIVO_BINARY, program));
  QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
  installation.folder().write("Tessivo.ini", "");

  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  process.setProcessEnvironment(environment);
  process.start(program, {"quit"});
  ASSERT_TRUE(process.waitForFinished(30000)) << process.readAllStandardError().toStdString();
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

  const QStringList lines = installation.iniLines();
  const qsizetype header = lines.indexOf(kParameterSection);
  ASSERT_GE(header, 0);
  EXPECT_EQ(lines[header + 1], "Signature=Tessivo 6.1.3 fr de Orbelin");
  EXPECT_EQ(lines[header + 3], "ExeName=" + program);
  EXPECT_EQ(lines.last(), "Freeze Capture=0");
}

TEST(CommandLine, a_signal_on_a_first_run_closes_without_a_question_and_writes_nothing) {
  // No preferences chosen yet: an ordinary close would ask where to save.
  Installation installation;
  const QString program = installation.folder().file("tessivo-copie");
  ASSERT_TRUE(QFile::copy(TESSIVO_BINARY, program));
  QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("TESSIVO_SIMULATED_DEVICES", "1");
  environment.insert("QT_LOGGING_RULES", "tessivo.*=true");
  process.setProcessEnvironment(environment);
  process.start(program, {});
  ASSERT_TRUE(process.waitForStarted());
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 3000) process.waitForFinished(100);
  ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
  process.terminate();  // SIGTERM
  ASSERT_TRUE(process.waitForFinished(30000)) << process.readAllStandardError().right(6000).toStdString();
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_FALSE(QFile::exists(installation.iniPath()));
  EXPECT_FALSE(Installation::registryExists());
}
