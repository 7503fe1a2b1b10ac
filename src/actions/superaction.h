// The main window's commands: plain actions and two-state (toggle) actions,
// each with a command-line switch and a script token, executed from the user
// interface, the command line or a command file.
#pragma once

#include <QAction>
#include <QList>
#include <functional>

#include "actions/actioncontext.h"

class TCustomSuperAction : public QAction {
  Q_OBJECT

 public:
  using Handler = std::function<void(QObject* sender)>;

  TCustomSuperAction(TActionContext& context, QObject* parent = nullptr);

  // Stored lower-cased: names from the command line and scripts are compared
  // in lower case.
  QString Switch() const { return switch_; }
  void setSwitch(const QString& name) { switch_ = name.toLower(); }
  QString Token() const { return token_; }
  void setToken(const QString& name) { token_ = name.toLower(); }

  int imageIndex() const { return imageIndex_; }
  void setImageIndex(int index);
  std::function<void(int index)> OnImageChanged;

  bool AutoCheck = false;
  std::function<void(TCustomSuperAction& action)> Onprepare;

  bool IsChecked() const { return checked_; }
  virtual void SetChecked(bool value) { checked_ = value; }

  // The handler that runs when the action executes now; empty when none.
  virtual Handler ExecuteHandler() const = 0;

  // Execution from the user interface (menu, button, key): prepare, then
  // perform when the prepare handler did not cancel.
  void Execute();

  TActionContext& context() const { return context_; }

 private:
  TActionContext& context_;
  QString switch_;
  QString token_;
  int imageIndex_ = -1;
  bool checked_ = false;
};

class TSuperAction : public TCustomSuperAction {
  Q_OBJECT

 public:
  using TCustomSuperAction::TCustomSuperAction;
  Handler Onexecute;
  Handler ExecuteHandler() const override { return Onexecute; }
};

// Shows the caption, hint and image of its state, and runs the handler of its
// state: executing a toggle whose state is S runs the S handler.
class TtoggleAction : public TCustomSuperAction {
  Q_OBJECT

 public:
  using TCustomSuperAction::TCustomSuperAction;

  QString TrueCaption, FalseCaption;
  QString TrueHint, FalseHint;
  int TrueImageIndex = -1, FalseImageIndex = -1;
  Handler OnTrueExecute, OnfalseExecute;

  // Shows the state and installs its handler as the one that executes.
  void SetChecked(bool value) override;
  Handler ExecuteHandler() const override { return installed_; }

 private:
  Handler installed_;
};

// An ordered list of commands: a name or key reaches the first command that
// carries it.
class TActionList {
 public:
  void Add(TCustomSuperAction* action) { actions_ << action; }
  const QList<TCustomSuperAction*>& actions() const { return actions_; }
  // The first command whose switch or token is the (lower-cased) name.
  TCustomSuperAction* FindByName(const QString& name) const;
  TCustomSuperAction* FindByObjectName(const QString& name) const;

 private:
  QList<TCustomSuperAction*> actions_;
};
