// Asks at exit, when no preference mode is chosen yet, where to keep the
// preferences: the settings store, the portable INI file, or nowhere.
#pragma once

#include <QDialog>
#include <optional>

#include "settings/preferencestore.h"

class TSavePrefsForm : public QDialog {
  Q_OBJECT

 public:
  explicit TSavePrefsForm(QWidget* parent = nullptr);

  // Shows the dialog modally. Nothing when it was closed without a choice.
  std::optional<TSavePreferences> Ask(const QString& caption);

  // The message's small mark-up ("<br>", "<i>", "<size N>") as rich text.
  static QString MarkupToHtml(const QString& markup);

 private:
  void Choose(TSavePreferences mode);

  TSavePreferences mode_ = TSavePreferences::spNone;
  bool chosen_ = false;
};
