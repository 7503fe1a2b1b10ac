// The command help window: a page per list of persistable commands; for the
// command chosen, its name and key, hint, script declaration, command-line
// syntax and comments. A double-click runs it.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QWidget>
#include <functional>

#include "actions/abstractaction.h"

class THelpForm : public QWidget {
  Q_OBJECT

 public:
  enum class Sort { Name, Key, Switch };

  explicit THelpForm(QWidget* parent = nullptr);

  void AddPage(const QString& title, const TCustomOBActionList& list);
  void SetSort(Sort sort);
  // The command chosen on the visible page, shown again (after a page
  // change, or when the window is activated).
  void ShowSelected();

  QTabWidget* pages;
  QLabel* leName;
  QLabel* leHint;
  QPlainTextEdit* leSyntaxe;
  QLabel* leSwitch;
  QLabel* leCommentaire;
  QListWidget* Page(int index) const;

  // Closing the window (the application manager unchecks its command).
  std::function<void()> onClosed;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Fill(QListWidget* page);
  TCustomAbstractAction* Selected() const;

  std::vector<std::pair<QListWidget*, const TCustomOBActionList*>> lists_;
  Sort sort_ = Sort::Name;
};
