#include "actions/commandengine.h"

#include <QTimer>

#include <QCoreApplication>
#include <QFile>

#include "actions/superaction.h"
#include "settings/inifile.h"

namespace {

bool KindFromPrefix(QChar prefix, CommandKind& kind) {
  if (prefix == '+')
    kind = CommandKind::Set;
  else if (prefix == '-')
    kind = CommandKind::Clear;
  else if (prefix == '/')
    kind = CommandKind::Toggle;
  else
    return false;
  return true;
}

// The first word of the text, or what stands between double quotes when it
// starts with one.
QString FirstWord(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.startsWith('"')) {
    const qsizetype close = trimmed.indexOf('"', 1);
    return close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
  }
  qsizetype end = 0;
  while (end < trimmed.size() && !trimmed[end].isSpace()) ++end;
  return trimmed.left(end);
}

}  // namespace

ParsedCommand ParseCommandLineArgument(const QString& argument) {
  ParsedCommand command;
  if (argument.isEmpty() || !KindFromPrefix(argument[0], command.kind)) {
    command.kind = CommandKind::Token;
    // The bare word "quit" is the one command given without a prefix.
    if (argument.compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0)
      command.name = "quit";
    else
      command.argument = argument;
    return command;
  }
  const QString rest = argument.mid(1);
  const qsizetype equals = rest.indexOf('=');
  command.name = (equals < 0 ? rest : rest.left(equals)).toLower();
  command.argument = equals < 0 ? QString() : rest.mid(equals + 1);
  return command;
}

ParsedCommand ParseScriptLine(const QString& line) {
  ParsedCommand command;
  qsizetype start = 0;
  if (!line.isEmpty() && KindFromPrefix(line[0], command.kind))
    start = 1;
  else
    command.kind = CommandKind::Token;
  qsizetype end = start;
  while (end < line.size() && line[end] != '=' && !line[end].isSpace()) ++end;
  command.name = line.mid(start, end - start).toLower();
  command.argument = end < line.size() ? FirstWord(line.mid(end + 1)) : QString();
  return command;
}

void TCustomScript::Queue(const ParsedCommand& command, bool fromScript) {
  if (command.name == QLatin1String("quit")) {
    quit_ = true;
    return;
  }
  TCustomSuperAction* action =
      command.name.isEmpty() ? DefaultAction : (actionlist ? actionlist->FindByName(command.name) : nullptr);
  if (!action) return;
  CommandKind kind = command.kind;
  // "full_screen true" in a command file means "+fs".
  if (fromScript && kind == CommandKind::Token && qobject_cast<TtoggleAction*>(action)) {
    const QString word = command.argument.toLower();
    if (word == QLatin1String("false"))
      kind = CommandKind::Clear;
    else if (word == QLatin1String("true"))
      kind = CommandKind::Set;
    else if (word == QLatin1String("toggle"))
      kind = CommandKind::Toggle;
  }
  queue_ << TActionEx{action, kind, command.argument};
}

void TCustomScript::RunQueue() {
  const auto busy = [this] { return GraphBusy && GraphBusy(); };
  if (executing_) return;  // the running queue takes the new commands in turn
  if (busy()) {
    QTimer::singleShot(50, [this, alive = std::weak_ptr<int>(alive_)] {
      if (!alive.expired()) RunQueue();
    });
    return;
  }
  stop_ = false;
  executing_ = true;
  for (qsizetype i = 0; i < queue_.size() && !stop_; ++i) {
    const TActionEx command = queue_[i];
    TCustomSuperAction* action = command.action;
    if (!action) continue;  // gone while the queue ran
    TActionContext& context = action->context();
    context.proceed = true;
    if (!busy()) QCoreApplication::processEvents();
    if (!command.action || !action->isEnabled()) continue;
    context.arguments = QStringList{command.argument};
    switch (command.kind) {
      case CommandKind::Set:
        action->SetChecked(false);
        break;
      case CommandKind::Clear:
        action->SetChecked(true);
        break;
      case CommandKind::Toggle:
        action->SetChecked(action->IsChecked());
        break;
      case CommandKind::Token:
        break;
    }
    if (const auto handler = action->ExecuteHandler()) handler(nullptr);
    if (command.action && action->AutoCheck) action->SetChecked(!action->IsChecked());
    if (!busy()) QCoreApplication::processEvents();
  }
  queue_.clear();
  executing_ = false;
  if (quit_) {
    quit_ = false;
    if (OnQuit) OnQuit();
  }
}

bool TScript::RunFile(const QString& path) {
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return false;
  for (const QString& line : IniFile::Decode(file.readAll())) {
    const QString trimmed = line.trimmed();
    if (!trimmed.isEmpty()) Queue(ParseScriptLine(trimmed), true);
  }
  RunQueue();
  return true;
}

void TSwitch::RunArguments(const QStringList& arguments) {
  for (const QString& argument : arguments) Queue(ParseCommandLineArgument(argument), false);
  if (queue_.isEmpty() && !quit_) {
    if (OnNoCommandLine) OnNoCommandLine();
    return;
  }
  RunQueue();
}
