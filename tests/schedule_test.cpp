// Scheduled captures on a clock the test turns: the alarms are moments, the
// dates count, a tick missed still fires, and what is refused is said.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QSpinBox>

#include "control/schedule.h"
#include "control/sessioncontrol.h"
#include "support/simulatedwindow.h"
#include "ui/programmerframe.h"

namespace {

const QDate kToday(2026, 12, 9);

QDateTime At(int dayOffset, int hour, int minute, int second = 0) {
  return QDateTime(kToday.addDays(dayOffset), QTime(hour, minute, second));
}

class Schedule : public SimulatedWindow {
 protected:
  void SetUp() override {
    now_ = At(0, 9, 0);
    const QString folder = installation_.folder().file("videos");
    ASSERT_TRUE(QDir().mkpath(folder));
    Start({"Video Directory=" + folder + "/", "Video Date=0", "Capture Format=2"});
  }
  TSessionControl& control() { return *form_->sessionControl(); }
  TProgrammerFrame& panel() { return *form_->programmerFrame(); }
  void Plan(const QDateTime& start, const QDateTime& end) {
    panel().SetStart(start);
    panel().SetEnd(end);
  }
  void Prog() { form_->al().FindByObjectName("acProgrammerBascule")->trigger(); }
  // The clock moves to that moment and ticks.
  void TurnTo(const QDateTime& moment) {
    now_ = moment;
    form_->scheduleClock()->Tick();
  }
};

TEST_F(Schedule, from_23_00_today_to_01_00_tomorrow) {
  now_ = At(0, 22, 59, 50);
  Plan(At(0, 23, 0), At(1, 1, 0));
  Prog();
  ASSERT_EQ(control().EtatSession, esProgramme);
  EXPECT_EQ(form_->frameColour(), QColor(Qt::yellow));
  EXPECT_EQ(form_->statusTexts()[3], "début à 23:00:00");
  EXPECT_EQ(form_->al().FindByObjectName("acProgrammerBascule")->text(), "Stop Prog");
  TurnTo(At(0, 22, 59, 59));
  EXPECT_EQ(control().EtatSession, esProgramme);
  TurnTo(At(0, 23, 0));
  ASSERT_EQ(control().EtatSession, esCaptureProgrammee);
  EXPECT_EQ(form_->frameColour(), QColor(Qt::magenta));
  EXPECT_EQ(form_->statusTexts()[1], "capture jusqu'à 01:00:00");
  Pump(1000);
  TurnTo(At(1, 0, 59, 59));
  EXPECT_EQ(control().EtatSession, esCaptureProgrammee);
  TurnTo(At(1, 1, 0));
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_EQ(control().files().size(), 1u);
  EXPECT_TRUE(questions_.isEmpty());
}

TEST_F(Schedule, the_dates_count_a_start_tomorrow_waits_and_an_end_tomorrow_lasts) {
  // Set today at 09:00 for tomorrow 10:00: today's 10:00 passes by.
  Plan(At(1, 10, 0), At(1, 11, 0));
  Prog();
  TurnTo(At(0, 10, 0));
  EXPECT_EQ(control().EtatSession, esProgramme);
  Prog();  // "Stop Prog"
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_FALSE(form_->scheduleClock()->armed());
  // 10:00 today to 12:00 tomorrow: 26 hours, not 2.
  Plan(At(0, 10, 0), At(1, 12, 0));
  Prog();
  TurnTo(At(0, 10, 0));
  ASSERT_EQ(control().EtatSession, esCaptureProgrammee);
  TurnTo(At(0, 12, 0, 30));
  EXPECT_EQ(control().EtatSession, esCaptureProgrammee);
  TurnTo(At(1, 12, 0));
  EXPECT_EQ(control().EtatSession, esPreview);
}

TEST_F(Schedule, a_missed_tick_still_fires_and_a_start_after_its_end_starts_nothing) {
  Plan(At(0, 10, 0), At(0, 11, 0));
  Prog();
  // Asleep over the start: it starts at the next tick.
  TurnTo(At(0, 10, 5));
  EXPECT_EQ(control().EtatSession, esCaptureProgrammee);
  TurnTo(At(0, 11, 20));
  EXPECT_EQ(control().EtatSession, esPreview);
  // Asleep over the whole of it: nothing is recorded.
  const std::size_t files = control().files().size();
  Plan(At(0, 13, 0), At(0, 14, 0));
  Prog();
  TurnTo(At(0, 14, 30));
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_EQ(control().files().size(), files);
  EXPECT_FALSE(form_->scheduleClock()->armed());
}

TEST_F(Schedule, past_starts_ask_past_ends_are_refused) {
  // The start passed a moment ago: asked, and started at once.
  now_ = At(0, 10, 0, 5);
  Plan(At(0, 10, 0), At(0, 11, 0));
  Prog();
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0],
            "On ne peut pas programmer le début d'une capture pour une date déjà dépassée\r\nVoulez-vous capturer "
            "immédiatement?");
  EXPECT_EQ(control().EtatSession, esCaptureProgrammee);
  EXPECT_EQ(form_->scheduleClock()->at(), At(0, 11, 0));
  Prog();  // "Stop Prog": the capture goes on without an end
  EXPECT_EQ(control().EtatSession, esCapture);
  form_->al().FindByObjectName("saCapturerBascule")->trigger();
  EXPECT_EQ(control().EtatSession, esPreview);
  // The end passed: refused, nothing armed.
  questions_.clear();
  Plan(At(0, 8, 0), At(0, 9, 30));
  now_ = At(0, 9, 45);
  Prog();
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0], "On ne peut pas programmer la fin d'une capture pour une date déjà dépassée");
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_FALSE(form_->scheduleClock()->armed());
  // An end before its start: refused too.
  Plan(At(0, 12, 0), At(0, 11, 0));
  Prog();
  EXPECT_EQ(questions_.value(1), "On ne peut pas programmer la fin d'une capture avant son début");
  EXPECT_EQ(control().EtatSession, esPreview);
}

TEST_F(Schedule, the_fields_move_an_armed_alarm) {
  Plan(At(0, 10, 0), At(0, 11, 0));
  Prog();
  panel().RxSpinEdit2->setValue(15);
  EXPECT_EQ(form_->scheduleClock()->at(), At(0, 10, 15));
  EXPECT_EQ(form_->statusTexts()[3], "début à 10:15:00");
  panel().DateEdit1->setDate(kToday.addDays(1));
  EXPECT_EQ(form_->scheduleClock()->at(), At(1, 10, 15));
  TurnTo(At(0, 10, 15));
  EXPECT_EQ(control().EtatSession, esProgramme);
  Prog();
  // A capture started by hand gets an end from "Prog"; the end fields move it.
  form_->al().FindByObjectName("saCapturerBascule")->trigger();
  ASSERT_EQ(control().EtatSession, esCapture);
  panel().SetEnd(At(0, 11, 0));
  Prog();
  ASSERT_EQ(control().EtatSession, esCaptureProgrammee);
  panel().RxSpinEdit4->setValue(12);
  EXPECT_EQ(form_->scheduleClock()->at(), At(0, 12, 0));
  EXPECT_EQ(form_->statusTexts()[1], "capture jusqu'à 12:00:00");
  // "=" sets the end to the start.
  panel().NowBtn->click();
  EXPECT_EQ(panel().End(), panel().Start());
  form_->al().FindByObjectName("saCapturerBascule")->trigger();
  EXPECT_EQ(control().EtatSession, esPreview);
  EXPECT_FALSE(form_->scheduleClock()->armed());
}

TEST_F(Schedule, an_alarm_that_comes_in_the_wrong_state_does_nothing) {
  // A start alarm while previewing, an end alarm while capturing by hand.
  form_->scheduleClock()->Arm(At(0, 9, 30), TAlarmTarget::Start);
  TurnTo(At(0, 9, 30));
  EXPECT_EQ(control().EtatSession, esPreview);
  form_->al().FindByObjectName("saCapturerBascule")->trigger();
  ASSERT_EQ(control().EtatSession, esCapture);
  form_->scheduleClock()->Arm(At(0, 9, 40), TAlarmTarget::End);
  TurnTo(At(0, 9, 40));
  EXPECT_EQ(control().EtatSession, esCapture);
  form_->al().FindByObjectName("saCapturerBascule")->trigger();
  EXPECT_EQ(control().EtatSession, esPreview);
}

TEST_F(Schedule, the_panel_offers_the_next_minute_for_half_an_hour) {
  now_ = At(0, 9, 41, 27);
  form_->al().FindByObjectName("acProgrammerFrame")->trigger();
  EXPECT_EQ(panel().Start(), At(0, 9, 42));
  EXPECT_EQ(panel().End(), At(0, 10, 12));
  now_ = At(0, 23, 59, 30);
  form_->al().FindByObjectName("acProgrammerFrame")->trigger();
  EXPECT_EQ(panel().Start(), At(1, 0, 0));
}

}  // namespace
