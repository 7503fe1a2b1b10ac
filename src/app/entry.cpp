#include "app/entry.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTranslator>

#include "app/captureform.h"
#include "app/identity.h"
#include "app/versiongate.h"
#include "platform/gstreamer.h"

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

int RunTessivo(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(identity::kProductName);
  QApplication::setOrganizationName(identity::kMaker);
  QApplication::setApplicationVersion(identity::Version());
  InstallFrenchTranslation(application);

  gst::EnsureInitialised();
  if (!PassVersionGate(CheckMediaFramework(), AskToContinue)) return 1;

  TCaptureForm mainWindow(FormEnvironment::ForThisProgram());
  mainWindow.show();
  return application.exec();
}
