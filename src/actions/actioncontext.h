// State shared by every action of the program: the argument of the command
// being executed, whether it may proceed, and the macro recorder.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

// The recording of a macro. Its lines go where the recording's owner says
// (the script window's editor, whose text is the macro), or are kept here
// when it names no place.
class TMacroRecorder {
 public:
  bool active() const { return active_; }
  void Start(std::function<void(const QString& line)> append = {}) {
    active_ = true;
    append_ = std::move(append);
    lines_.clear();
  }
  // Ends the recording and hands over the lines kept here.
  QStringList Stop() {
    active_ = false;
    append_ = nullptr;
    return std::exchange(lines_, {});
  }
  void Record(const QString& line) {
    if (!active_) return;
    if (append_)
      append_(line);
    else
      lines_ << line;
  }
  const QStringList& lines() const { return lines_; }

  // True while an applied action is being recorded, so that the actions it
  // applies in turn are not recorded again.
  bool nesting = false;

 private:
  bool active_ = false;
  std::function<void(const QString& line)> append_;
  QStringList lines_;
};

struct TActionContext {
  QStringList arguments;  // entry 0 is the argument of the command being executed
  bool proceed = true;    // a prepare handler clears it to cancel the execution
  TMacroRecorder macro;

  QString argument() const { return arguments.value(0); }
};
