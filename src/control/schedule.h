// The schedule clock: one alarm at an absolute date and time, starting or
// ending a capture. It fires at the first tick at or after its moment, so a
// tick missed (a machine asleep, a busy window) still fires late rather than
// a day later; the dates of the schedule panel count.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <utility>

enum class TAlarmTarget { None, Start, End };

class TScheduleClock {
 public:
  explicit TScheduleClock(std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); })
      : now_(std::move(now)) {}

  // lancerEnregistrement and stopperEnregistrement.
  std::function<void()> onStart, onEnd;

  void Arm(const QDateTime& at, TAlarmTarget target) {
    at_ = at;
    target_ = target;
  }
  // Moves an armed alarm (the panel's fields changed).
  void Move(const QDateTime& at) {
    if (target_ != TAlarmTarget::None) at_ = at;
  }
  void Cancel() { target_ = TAlarmTarget::None; }
  bool armed() const { return target_ != TAlarmTarget::None; }
  TAlarmTarget target() const { return target_; }
  const QDateTime& at() const { return at_; }
  QDateTime Now() const { return now_(); }

  // Called every 450 ms by the window's timer (and by tests); firing
  // disarms the alarm before its target runs.
  void Tick() {
    if (target_ == TAlarmTarget::None || now_() < at_) return;
    const TAlarmTarget fired = std::exchange(target_, TAlarmTarget::None);
    const auto& run = fired == TAlarmTarget::Start ? onStart : onEnd;
    if (run) run();
  }

  static QString TimeText(const QDateTime& at) { return at.time().toString("HH:mm:ss"); }

 private:
  std::function<QDateTime()> now_;
  QDateTime at_;
  TAlarmTarget target_ = TAlarmTarget::None;
};

// The checks made when a capture is scheduled, from the panel's start and
// end and the time now.
struct TScheduleCheck {
  enum class Verdict { Arm, EndPassed, EndNotAfterStart, StartPassed };
  static Verdict Of(const QDateTime& start, const QDateTime& end, const QDateTime& now) {
    if (now > end) return Verdict::EndPassed;
    if (end <= start) return Verdict::EndNotAfterStart;
    if (now > start) return Verdict::StartPassed;
    return Verdict::Arm;
  }
};
