// The script engine: a small Pascal (integers from Byte to Int64, Boolean,
// Char, strings, enumerations, sets, records, static arrays; procedures and
// functions with value, const and var parameters; the usual statements)
// compiled to a checked tree and run by walking it, on the caller's thread.
//
// Compiling and running are separate: a compiled program lives until the
// next compilation. Before every compilation the host registers what scripts
// may use (functions with their Pascal declaration, constants, types) in
// the registration step. Messages are French, one per line, with the line
// and column: "[Erreur] (12:5) ...".
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace script {

struct Type;

// A run-time value. Types are known when compiling, so a value carries no
// tag: integers, booleans, characters and enumerations use `i`, strings `s`,
// sets `set` (ordinals 0 to 255), records and arrays `items`. A var
// parameter's slot refers to its argument through `ref`.
struct Value {
  std::int64_t i = 0;
  QString s;
  std::array<std::uint64_t, 4> set{};
  std::vector<Value> items;
  Value* ref = nullptr;

  static Value Int(std::int64_t v) {
    Value value;
    value.i = v;
    return value;
  }
  static Value Bool(bool v) { return Int(v ? 1 : 0); }
  static Value Str(const QString& text) {
    Value value;
    value.s = text;
    return value;
  }
};

// A host function: the arguments in the order of its declaration; a
// procedure's answer is ignored. It may throw script::RuntimeError.
using HostCall = std::function<Value(std::vector<Value>& arguments)>;

// What a host function throws to end the run with an error.
struct RuntimeError {
  QString message;
};

class Compiled;
class Parser;

class TScriptEngine {
 public:
  TScriptEngine();
  ~TScriptEngine();
  TScriptEngine(const TScriptEngine&) = delete;
  TScriptEngine& operator=(const TScriptEngine&) = delete;

  // Run before every compilation, to register what scripts may use.
  std::function<void(TScriptEngine&)> onRegister;

  // Registration, only from onRegister. Each answers false, and adds an
  // error message, when the text is not valid.
  // "function f(a:widestring;b:Integer):Boolean;" or "procedure p;"
  bool AddFunction(const QString& declaration, HostCall call);
  // A procedure whose arguments come as variants (QString, bool, qlonglong):
  // the commands' procedures.
  bool AddProcedure(const QString& declaration, std::function<void(const QVariantList&)> call);
  // A constant of a named type (Integer, LongInt, Int64, Boolean, string...).
  bool AddConstant(const QString& name, const QString& typeName, const Value& value);
  // "name" = "(a, b, c)", "record x,y: Longint; end;", "set of T", "Word"...
  bool AddType(const QString& name, const QString& definition);
  // A type scripts can name but not use (the graphics classes).
  bool AddOpaqueType(const QString& name);

  // Compiles the text; the messages of the compilation (hints and errors)
  // are added to `messages`. True when it compiled.
  bool Compile(const QString& text, QStringList& messages);
  bool compiled() const { return static_cast<bool>(program_); }
  // Runs the compiled program; false with the error's description when it
  // failed (also when nothing is compiled).
  bool Run(QString* error);
  // The running script stops at its next statement with a run-time error:
  // the reason, or "stopped by the user" when none is given.
  void Abort(const QString& reason);
  bool running() const { return running_; }

 private:
  std::unique_ptr<Compiled> program_;
  // While registering: the compilation's parser and its messages.
  Parser* registering_ = nullptr;
  QStringList* messages_ = nullptr;
  bool running_ = false;
  std::atomic<bool> stopRequested_{false};  // set by Abort, from any thread
  QString abortReason_;                     // GUI thread only
};

}  // namespace script
