#include "ui/camform.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "control/deckcontrol.h"
#include "media/filters/dateformat.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

Tnav_captureframe::Tnav_captureframe(QWidget* parent) : QWidget(parent), bar_(new TTransportBar(this)) {
  setObjectName("nav_captureframe");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  struct Button {
    QAction** action;
    const char* name;
    const char* caption;
    const char* hint;
    const char* key;
    void (TTransportBar::*command)();
  };
  const Button buttons[] = {
      {&cam_ReculeRapide, "cam_ReculeRapide", "<<", texts::kCamFastBackwardHint, "Ctrl+Down", &TTransportBar::FastBackward},
      {&cam_ReculeLent, "cam_ReculeLent", "<", texts::kCamSlowBackwardHint, "Ctrl+Left", &TTransportBar::SlowBackward},
      {&cam_Play, "cam_Play", texts::kCamPlay, texts::kCamPlayHint, "Ctrl+Ins", &TTransportBar::Play},
      {&cam_Pause, "cam_Pause", texts::kCamPause, texts::kCamPauseHint, "Ctrl+Del", &TTransportBar::Pause},
      {&cam_Stop, "cam_Stop", texts::kCamStop, texts::kCamStopHint, "Ctrl+End", &TTransportBar::Stop},
      {&cam_AvanceLent, "cam_AvanceLent", ">", texts::kCamSlowForwardHint, "Ctrl+Right", &TTransportBar::SlowForward},
      {&cam_AvanceRapide, "cam_AvanceRapide", ">>", texts::kCamFastForwardHint, "Ctrl+Up", &TTransportBar::FastForward},
  };
  for (const Button& made : buttons) {
    auto* action = new QAction(Text(made.caption), this);
    action->setObjectName(made.name);
    action->setToolTip(Text(made.hint));
    action->setShortcut(QKeySequence(QString::fromLatin1(made.key)));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, bar_, made.command);
    addAction(action);
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(made.name) + "Btn");
    button->setDefaultAction(action);
    button->setMinimumWidth(44);
    row->addWidget(button);
    *made.action = action;
  }
  cam_PlayPause = new QAction(this);
  cam_PlayPause->setObjectName("cam_PlayPause");
  cam_PlayPause->setShortcut(QKeySequence(Qt::Key_Insert));
  cam_PlayPause->setShortcutContext(Qt::WindowShortcut);
  connect(cam_PlayPause, &QAction::triggered, bar_, &TTransportBar::PlayPause);
  connect(bar_, &TTransportBar::playPauseChanged, this, &Tnav_captureframe::ShowPlayPause);
  addAction(cam_PlayPause);
  ShowPlayPause(false);
}

// Unchecked, the toggle offers to play; checked, to pause.
void Tnav_captureframe::ShowPlayPause(bool checked) {
  cam_PlayPause->setText(Text(checked ? texts::kCamPause : texts::kCamPlay));
  cam_PlayPause->setToolTip(Text(checked ? texts::kCamPlayPauseToPauseHint : texts::kCamPlayPauseToPlayHint));
}

TcamForm::TcamForm(int number, QWidget* parent) : QWidget(parent, Qt::Tool), number_(number) {
  setObjectName(QStringLiteral("camForm%1").arg(number));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 6, 6, 6);
  nav = new Tnav_captureframe(this);
  grid->addWidget(nav, 0, 0, 1, 3);
  TimecodePanel = new QLabel(Text(texts::kCamTimecodeStart), this);
  TimecodePanel->setObjectName("TimecodePanel");
  TimecodePanel->setToolTip(Text(texts::kCamTimecodeHint));
  TimecodePanel->setFrameShape(QFrame::Panel);
  TimecodePanel->setFrameShadow(QFrame::Sunken);
  TimecodePanel->setAlignment(Qt::AlignCenter);
  TimecodePanel->setMinimumWidth(110);
  QFont bigger = TimecodePanel->font();
  bigger.setPointSizeF(bigger.pointSizeF() * 1.4);
  bigger.setBold(true);
  TimecodePanel->setFont(bigger);
  grid->addWidget(TimecodePanel, 1, 0);
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  grid->addWidget(Label1, 1, 1);
  image1 = new QLabel(QStringLiteral("⌨"), this);
  image1->setObjectName("image1");
  image1->setToolTip(Text(texts::kCamKeyboardTargetHint));
  grid->addWidget(image1, 1, 2, Qt::AlignRight);
  cbStopQuittant = new QCheckBox(Text(texts::kCamStopOnExit), this);
  cbStopQuittant->setObjectName("cbStopQuittant");
  cbStopQuittant->setToolTip(Text(texts::kCamStopOnExitHint));
  grid->addWidget(cbStopQuittant, 2, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  connect(&nav->bar(), &TTransportBar::timecodeRead, TimecodePanel, &QLabel::setText);
}

void TcamForm::Refresh(double recordingDays) {
  TTransportBar& bar = nav->bar();
  if (!bar.hasTransport() || !bar.hasTimecodeReader()) return;
  bar.PollTimecode();
  Label1->setText(recordingDays > 0 ? FormatDateTime(Text(texts::kCamDateFormat), recordingDays) : QString());
}

// Closing the window is hiding it: it stays hidden until asked for again.
void TcamForm::closeEvent(QCloseEvent* event) {
  rememberedVisible = false;
  QWidget::closeEvent(event);
}
