// Commands given as text: the command-line arguments and the lines of a
// command file. Each names an action by its switch or token, with a prefix
// saying what to do with a two-state action and an optional argument.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class TActionList;
class TCustomSuperAction;

// What a command does with a two-state action: "+" sets, "-" clears, "/"
// toggles (or simply runs a plain action); without a prefix the action runs
// without a change of state.
enum class CommandKind : std::uint8_t { Set = 0, Clear = 1, Toggle = 2, Token = 3 };

struct ParsedCommand {
  CommandKind kind = CommandKind::Token;
  QString name;  // lower-cased
  QString argument;
  bool operator==(const ParsedCommand&) const = default;
};

// One command-line argument: "+name=argument", "-name", "/name", or "quit";
// without a prefix the whole argument is the argument of an unnamed command.
ParsedCommand ParseCommandLineArgument(const QString& argument);

// One command-file line (already trimmed and not empty): the same prefixes;
// without one the line starts with the name. The name ends at "=" or a blank;
// the argument is the first word after it, or the text between double quotes.
ParsedCommand ParseScriptLine(const QString& line);

struct TActionEx {
  QPointer<TCustomSuperAction> action;
  CommandKind kind = CommandKind::Token;
  QString argument;
};

// Queues commands against an action list and runs them in order, letting the
// window process its events between two commands.
class TCustomScript {
 public:
  virtual ~TCustomScript() = default;

  const TActionList* actionlist = nullptr;
  TCustomSuperAction* DefaultAction = nullptr;
  // Called after the queue has run when one command was "quit".
  std::function<void()> OnQuit;
  // True while the media graph is being changed. The queue does not let the
  // window process events then (a queued command would change a half-built
  // graph), and a queue run from inside such a change is put off.
  std::function<bool()> GraphBusy;

  bool Executing() const { return executing_; }
  void Stop() { stop_ = true; }
  bool quitRequested() const { return quit_; }
  const QList<TActionEx>& queue() const { return queue_; }

  // Resolves the name and queues the command; "quit" only asks to quit at the
  // end, and a name that reaches no action queues nothing.
  void Queue(const ParsedCommand& command, bool fromScript);
  void RunQueue();

 protected:
  QList<TActionEx> queue_;
  bool executing_ = false;
  bool stop_ = false;
  bool quit_ = false;
  // Lets a put-off run know whether the script still exists.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// A command file, "Lancer script".
class TScript : public TCustomScript {
 public:
  // A missing or unreadable file does nothing. Answers whether it ran.
  bool RunFile(const QString& path);
};

// The command line, run once when the program has started.
class TSwitch : public TCustomScript {
 public:
  std::function<void()> OnNoCommandLine;
  // The arguments after the program's name.
  void RunArguments(const QStringList& arguments);
};
