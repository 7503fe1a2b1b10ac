// The main window.
#pragma once

#include <QMainWindow>

class TCaptureForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TCaptureForm(QWidget* parent = nullptr);
};
