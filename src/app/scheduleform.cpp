// The main window's side of the schedule: the panel, "Prog" / "Stop Prog",
// the clock's two alarms and the fields that move them.
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "app/captureform.h"
#include "app/foldernaming.h"
#include "app/identity.h"
#include "control/schedule.h"
#include "control/sessioncontrol.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/programmerframe.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr int kClockTickMs = 450;

}  // namespace

void TCaptureForm::BuildSchedule() {
  schedule_ = std::make_unique<TScheduleClock>(environment_.now ? environment_.now
                                                                : [] { return QDateTime::currentDateTime(); });
  schedule_->onStart = [this] { lancerEnregistrement(); };
  schedule_->onEnd = [this] { stopperEnregistrement(); };
  scheduleTimer_ = new QTimer(this);
  scheduleTimer_->setInterval(kClockTickMs);
  connect(scheduleTimer_, &QTimer::timeout, this, [this] {
    programmerFrame_->RxClock2->setText(schedule_->Now().time().toString("HH:mm:ss"));
    schedule_->Tick();
  });
  scheduleTimer_->start();
  TProgrammerFrame& panel = *programmerFrame_;
  if (TCustomSuperAction* prog = al_.FindByObjectName("acProgrammerBascule")) panel.ProgBtn->setDefaultAction(prog);
  // The fields move an armed alarm: the start ones while scheduled, the end
  // ones while a scheduled capture runs. Dates count as much as times.
  const auto startChanged = [this] {
    if (!control_ || control_->EtatSession != esProgramme) return;
    schedule_->Move(programmerFrame_->Start());
    texteInfo_ = Text(texts::kStatusStartsAt).arg(TScheduleClock::TimeText(schedule_->at()));
    RepaintStatus();
  };
  const auto endChanged = [this] {
    scheduledEnd_ = programmerFrame_->End();
    if (!control_ || control_->EtatSession != esCaptureProgrammee) return;
    schedule_->Move(scheduledEnd_);
    texteEtat_ = Text(texts::kStatusCaptureUntil).arg(TScheduleClock::TimeText(schedule_->at()));
    texteMiroirH_.clear();
    RepaintStatus();
  };
  for (QSpinBox* spin : {panel.RxSpinEdit1, panel.RxSpinEdit2, panel.RxSpinEdit3})
    connect(spin, &QSpinBox::valueChanged, this, startChanged);
  connect(panel.DateEdit1, &QDateEdit::dateChanged, this, startChanged);
  for (QSpinBox* spin : {panel.RxSpinEdit4, panel.RxSpinEdit5, panel.RxSpinEdit6})
    connect(spin, &QSpinBox::valueChanged, this, endChanged);
  connect(panel.DateEdit2, &QDateEdit::dateChanged, this, endChanged);
  connect(panel.NowBtn, &QPushButton::clicked, this, [this] { programmerFrame_->SetEnd(programmerFrame_->Start()); });
}

// The panel shown: a schedule from the next minute, for 30 minutes, unless
// one is under way.
void TCaptureForm::acProgrammerFrameExecute(QObject*) {
  if (control_ && control_->EtatSession != esProgramme && control_->EtatSession != esCaptureProgrammee) {
    QDateTime start = schedule_->Now().addSecs(60);
    start.setTime(QTime(start.time().hour(), start.time().minute(), 0));
    programmerFrame_->SetStart(start);
    programmerFrame_->SetEnd(start.addSecs(30 * 60));
  }
  ShowPanel(pnSchedule);
}

void TCaptureForm::Inform(const QString& text) {
  if (environment_.ask) {
    environment_.ask(text, false);
    return;
  }
  QMessageBox::critical(this, identity::kProductName, text);
}

bool TCaptureForm::Programmer() {
  const QString name = folderNaming_->NomVideo();
  const bool confirm = parameters_.ConfirmerVideo && parameters_.ConfirmerVideo->value;
  if (confirm && QFileInfo::exists(name) && Ask(Text(texts::kScheduleOverwrite).arg(name), false) != TAnswer::Yes)
    return false;
  const QString folder = QFileInfo(name).path();
  if (confirm && !QDir(folder).exists() &&
      Ask(Text(texts::kCaptureCreateFolder).arg(folder), false) != TAnswer::Yes)
    return false;
  QDir().mkpath(folder);
  const QDateTime start = programmerFrame_->Start(), end = programmerFrame_->End();
  scheduledEnd_ = end;
  switch (TScheduleCheck::Of(start, end, schedule_->Now())) {
    case TScheduleCheck::Verdict::EndPassed:
      Inform(Text(texts::kScheduleEndPassed));
      return false;
    case TScheduleCheck::Verdict::EndNotAfterStart:
      Inform(Text(texts::kScheduleEndBeforeStart));
      return false;
    case TScheduleCheck::Verdict::StartPassed:
      if (Ask(Text(texts::kScheduleStartPassed), false) == TAnswer::Yes) {
        control_->EtatSession = esProgramme;
        lancerEnregistrement();
      }
      return false;
    case TScheduleCheck::Verdict::Arm:
      schedule_->Arm(start, TAlarmTarget::Start);
      return true;
  }
  return false;
}

bool TCaptureForm::ProgrammerFin() {
  // An end date before today: the capture goes on without an end.
  if (schedule_->Now().date() > programmerFrame_->DateEdit2->date()) return false;
  scheduledEnd_ = programmerFrame_->End();
  schedule_->Arm(scheduledEnd_, TAlarmTarget::End);
  return true;
}

void TCaptureForm::AnnulerAlarme() { schedule_->Cancel(); }

void TCaptureForm::lancerEnregistrement() {
  if (!control_ || control_->EtatSession != esProgramme) return;
  // Its end already passed (the machine slept through it): nothing starts.
  if (scheduledEnd_.isValid() && schedule_->Now() >= scheduledEnd_) {
    AnnulerAlarme();
    AfficherPreview();
    return;
  }
  if (control_->PreparerCapture() && ProgrammerFin()) {
    AfficherCaptureProgrammee();
  } else {
    AnnulerAlarme();
    if (control_->capturing() || control_->session().recording()) control_->ArreterCapture();
    AfficherPreview();
  }
}

void TCaptureForm::stopperEnregistrement() {
  if (!control_ || control_->EtatSession != esCaptureProgrammee) return;
  AnnulerAlarme();
  control_->ArreterCapture();
  AfficherPreview();
}

void TCaptureForm::acProgrammerBasculeExecute(QObject*) {
  if (!control_) return;
  switch (control_->EtatSession) {
    case esPreview:
      if (Programmer()) AfficherProgramme();
      break;
    case esCapture:
      if (ProgrammerFin()) AfficherCaptureProgrammee();
      break;
    case esProgramme:
      AnnulerAlarme();
      AfficherPreview();
      break;
    case esCaptureProgrammee:
      AnnulerAlarme();
      AfficherCapture();
      break;
  }
}

void TCaptureForm::ShowScheduleState(bool scheduled) {
  if (TCustomSuperAction* prog = al_.FindByObjectName("acProgrammerBascule")) {
    prog->setText(Text(scheduled ? texts::kCommandStopProg : texts::kCommandProg));
    prog->setToolTip(Text(scheduled ? texts::kCommandStopProgHint : texts::kCommandProgHint));
  }
}

void TCaptureForm::AfficherProgramme() {
  control_->EtatSession = esProgramme;
  SetFrameColour(Qt::yellow);
  ShowScheduleState(true);
  if (TCustomSuperAction* cut = al_.FindByObjectName("acCouper")) cut->setEnabled(false);
  texteEtat_ = Text(texts::kStatusScheduled);
  if (parameters_.MuteOn && parameters_.MuteOn->value) texteEtat_ += " mute";
  if (const TCustomSuperAction* overlay = al_.FindByObjectName("taIncruster"); overlay && overlay->IsChecked())
    texteEtat_ += " in";
  texteEtat_ += parameters_.WideScreen && parameters_.WideScreen->value ? " 16x9" : " 4x3";
  if (verticalMirror()) texteEtat_ += " v";
  texteMiroirH_ = horizontalMirror() ? " h" : "";
  texteInfo_ = Text(texts::kStatusStartsAt).arg(TScheduleClock::TimeText(schedule_->at()));
  RepaintStatus();
}

void TCaptureForm::AfficherCaptureProgrammee() {
  AfficherCapture();
  control_->EtatSession = esCaptureProgrammee;
  SetFrameColour(Qt::magenta);
  ShowScheduleState(true);
  texteEtat_ = Text(texts::kStatusCaptureUntil).arg(TScheduleClock::TimeText(schedule_->at()));
  texteMiroirH_.clear();
  RepaintStatus();
}
