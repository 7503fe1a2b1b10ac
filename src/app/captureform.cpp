#include "app/captureform.h"

#include "app/identity.h"

namespace {
constexpr int kMinimumWidth = 800;
constexpr int kMinimumHeight = 600;
}  // namespace

TCaptureForm::TCaptureForm(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(identity::MainWindowCaption());
  setCentralWidget(new QWidget(this));
  resize(kMinimumWidth, kMinimumHeight);
}
