// State shared by every action of the program: the argument of the command
// being executed, whether it may proceed, and the macro recorder.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class TMacroRecorder {
 public:
  bool active() const { return lines_.has_value(); }
  void Start() { lines_ = QStringList(); }
  // Ends the recording and hands its lines over.
  QStringList Stop() {
    QStringList recorded = lines_.value_or(QStringList());
    lines_.reset();
    return recorded;
  }
  void Record(const QString& line) {
    if (lines_) *lines_ << line;
  }
  const QStringList& lines() const {
    static const QStringList none;
    return lines_ ? *lines_ : none;
  }

  // True while an applied action is being recorded, so that the actions it
  // applies in turn are not recorded again.
  bool nesting = false;

 private:
  std::optional<QStringList> lines_;
};

struct TActionContext {
  QStringList arguments;  // entry 0 is the argument of the command being executed
  bool proceed = true;    // a prepare handler clears it to cancel the execution
  TMacroRecorder macro;

  QString argument() const { return arguments.value(0); }
};
