// The error panel: what went wrong at start-up, in the window's place, with
// a mail to the maker and the project's site; its button ends the program
// after a fatal error, otherwise gives the window back its size.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "app/linkedit.h"

class TErreurFrame : public QWidget {
  Q_OBJECT

 public:
  explicit TErreurFrame(QWidget& window);

  void AfficherErreur(const QString& text, bool fatal);
  void FermerErreurBtnClick();

  bool fatal() const { return fatal_; }
  const QString& errorText() const { return text_; }

  QLabel* JvLabel1;
  TLinkEdit* LinkEdit1;
  QPushButton* FermerErreurBtn;

  // The desktop: the program asked to end; an address opened.
  std::function<void()> terminate;
  std::function<void(const QByteArray& address)> openAddress;
  // The mail copy of the system report, appended to an error's mail.
  std::function<QString()> reportForMail;
  QString fullTitle;

 private:
  QWidget& window_;
  bool fatal_ = false;
  QString text_;
  QSize windowSize_;
};
