// The about panel: the program's title, who wrote it and what it is built
// on, its pages and its maker's address.
#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

#include "app/linkedit.h"

class TAproposFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TAproposFrame(QWidget* parent = nullptr);

  // Fills the texts, once, when the main window is first shown.
  void InitApropos(const QString& fullTitle, const QString& buildDate);

  QLabel* JvLabel1;
  TLinkEdit* le1;
  TLinkEdit* leHome;
  TLinkEdit* leMail;

  std::function<void(const QByteArray& address)> openAddress;
  // The mail copy of the system report, the body of a mail to the maker.
  std::function<QString()> reportForMail;

 private:
  void Links(TLinkEdit& edit);
  QString fullTitle_;
};
