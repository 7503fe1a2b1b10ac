#include "app/entry.h"

#include <QApplication>
#include <QMessageBox>

#include "app/captureform.h"
#include "app/identity.h"
#include "app/versiongate.h"
#include "platform/gstreamer.h"

namespace {

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

  gst::EnsureInitialised();
  if (!PassVersionGate(CheckMediaFramework(), AskToContinue)) return 1;

  TCaptureForm mainWindow;
  mainWindow.show();
  return application.exec();
}
