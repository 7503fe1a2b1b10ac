#include "app/entry.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTranslator>

#include "app/captureform.h"
#include "app/identity.h"
#include "app/versiongate.h"
#include "capture/captureengine.h"
#include "media/filters/tessivoelements.h"
#include "platform/gstreamer.h"
#include "platform/signalwatcher.h"

namespace {

// The program speaks French: Qt's own dialogs and buttons ("Oui", "Non",
// "Annuler") too.
void InstallFrenchTranslation(QApplication& application) {
  auto* translator = new QTranslator(&application);
  if (translator->load(QLocale(QLocale::French), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);
  else
    qInfo() << "Qt's French translation is not installed; standard buttons stay in English";
}

bool AskToContinue(const QString& warning) {
  return QMessageBox::warning(nullptr, identity::kProductName, warning, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

QStringList CommandLineArguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

int RunTessivo(int argc, char** argv) {
  // Qt takes its own options ("-platform", "-style") out of argv: the
  // commands are copied first.
  const QStringList commands = CommandLineArguments(argc, argv);
  QApplication application(argc, argv);
  QApplication::setApplicationName(identity::kProductName);
  QApplication::setOrganizationName(identity::kMaker);
  QApplication::setApplicationVersion(identity::Version());
  InstallFrenchTranslation(application);

  gst::EnsureInitialised();
  RegisterTessivoPlugin();
  if (!PassVersionGate(CheckMediaFramework(), AskToContinue)) return 1;

  // The media module of the run, handed to the window that uses it; it goes
  // after the window, whose close finishes what it records.
  TCaptureEngine engine;
  FormEnvironment environment = FormEnvironment::ForThisProgram();
  environment.commandLine = commands;
  environment.engine = &engine;
  // A signal closes the window as the user would, asking nothing: files
  // finished, preferences saved. The signals are taken before the window is
  // built, so that one sent while it is being built waits for it.
  TSignalWatcher watcher;
  TCaptureForm mainWindow(environment);
  QObject::connect(&watcher, &TSignalWatcher::received, &mainWindow, [&mainWindow] { mainWindow.CloseUnattended(); });
  mainWindow.show();
  return application.exec();
}
