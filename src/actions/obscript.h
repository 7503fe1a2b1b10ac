// The program's script component: the script engine with the functions,
// constants and types the program gives every script, the persistable
// commands of the lists attached to it, and the messages of the last
// compilation or run.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "actions/abstractaction.h"
#include "actions/scriptengine.h"

// A script file's text: UTF-8 (with or without its mark), UTF-16 with its
// mark, else Latin-1.
QString ScriptTextFromBytes(const QByteArray& bytes);

class TOBScript {
 public:
  // What the program's functions need from the desktop; a script run
  // without a window (tessivo-script) prints instead of showing.
  struct Desktop {
    std::function<void(const QString& text)> showMessage;  // modal: returns once closed
    std::function<void()> processMessages;
    std::function<bool(const QString& path)> toTrash;
  };

  explicit TOBScript(Desktop desktop);

  // The output of the last compilation or run, one message a line.
  QStringList Messages;
  // Raised at the end of the program's own registration.
  std::function<void(script::TScriptEngine&)> OnCompile;
  // The script's text, compiled by CompileScript.
  QString Script;

  // Lists whose persistable commands scripts may call by their script name,
  // registered after everything else at every compilation.
  // Answers the attachment's number, for Detach.
  int Attach(std::function<QList<ScriptProcedure>()> commands);
  void Detach(int attachment);

  // The names of the routines the program and the attached lists give
  // scripts, for the editor to show them.
  QStringList RoutineNames() const;

  bool CompileScript();
  bool RunScript();
  bool compiled() const { return compiled_; }
  bool running() const { return engine_.running(); }
  // Stops the running script at its next statement.
  void Stop() { engine_.Abort({}); }

  script::TScriptEngine& engine() { return engine_; }

 private:
  bool RefuseWhileRunning();
  void Register(script::TScriptEngine& engine);
  void RegisterFunctions(script::TScriptEngine& engine);

  Desktop desktop_;
  script::TScriptEngine engine_;
  bool compiled_ = false;
  std::vector<std::pair<int, std::function<QList<ScriptProcedure>()>>> attached_;
  int lastAttachment_ = 0;
  // The search of findfirst and findnext: its folder, with "/", and the
  // names still to give.
  QString searchFolder_;
  QStringList searchNames_;
};
