#include "ui/programmerframe.h"

#include <QDateEdit>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QSpinBox* Spin(QWidget* parent, const char* name, int maximum, const char* hint) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(0, maximum);
  spin->setToolTip(Text(hint));
  spin->setWrapping(true);
  return spin;
}

QDateEdit* Date(QWidget* parent, const char* name, const char* hint) {
  auto* date = new QDateEdit(parent);
  date->setObjectName(QString::fromLatin1(name));
  date->setCalendarPopup(true);
  date->setDisplayFormat("dd/MM/yyyy");
  date->setToolTip(Text(hint));
  return date;
}

// A group: the date on the first row, hours, minutes and seconds below.
QGroupBox* Moment(QWidget* parent, const char* title, QDateEdit* date, QSpinBox* hours, QSpinBox* minutes,
                  QSpinBox* seconds) {
  auto* box = new QGroupBox(Text(title), parent);
  auto* grid = new QGridLayout(box);
  date->setParent(box);
  grid->addWidget(date, 0, 0, 1, 3);
  int column = 0;
  for (QSpinBox* spin : {hours, minutes, seconds}) {
    spin->setParent(box);
    grid->addWidget(spin, 1, column++);
  }
  return box;
}

QDateTime At(const QDateEdit* date, const QSpinBox* h, const QSpinBox* m, const QSpinBox* s) {
  return QDateTime(date->date(), QTime(h->value(), m->value(), s->value()));
}

}  // namespace

TProgrammerFrame::TProgrammerFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("ProgrammerFrame");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  auto* title = new QGroupBox(Text(texts::kScheduleTitle), this);
  outer->addWidget(title);
  outer->addStretch();
  auto* column = new QVBoxLayout(title);
  RxClock2 = new QLabel(title);
  RxClock2->setObjectName("RxClock2");
  RxClock2->setToolTip(Text(texts::kScheduleClockHint));
  QFont clock = RxClock2->font();
  clock.setBold(true);
  clock.setPointSize(clock.pointSize() + 6);
  RxClock2->setFont(clock);
  RxClock2->setAlignment(Qt::AlignCenter);
  column->addWidget(RxClock2);

  DateEdit1 = Date(this, "DateEdit1", texts::kScheduleStartDateHint);
  RxSpinEdit1 = Spin(this, "RxSpinEdit1", 23, texts::kScheduleStartHoursHint);
  RxSpinEdit2 = Spin(this, "RxSpinEdit2", 59, texts::kScheduleStartMinutesHint);
  RxSpinEdit3 = Spin(this, "RxSpinEdit3", 59, texts::kScheduleStartSecondsHint);
  gbDebut = Moment(title, texts::kScheduleStart, DateEdit1, RxSpinEdit1, RxSpinEdit2, RxSpinEdit3);
  gbDebut->setObjectName("gbDebut");
  column->addWidget(gbDebut);

  DateEdit2 = Date(this, "DateEdit2", texts::kScheduleEndDateHint);
  RxSpinEdit4 = Spin(this, "RxSpinEdit4", 23, texts::kScheduleEndHoursHint);
  RxSpinEdit5 = Spin(this, "RxSpinEdit5", 59, texts::kScheduleEndMinutesHint);
  RxSpinEdit6 = Spin(this, "RxSpinEdit6", 59, texts::kScheduleEndSecondsHint);
  gbFin = Moment(title, texts::kScheduleEnd, DateEdit2, RxSpinEdit4, RxSpinEdit5, RxSpinEdit6);
  gbFin->setObjectName("gbFin");
  column->addWidget(gbFin);

  auto* buttons = new QHBoxLayout;
  NowBtn = new QPushButton("=", title);
  NowBtn->setObjectName("NowBtn");
  NowBtn->setToolTip(Text(texts::kScheduleNowHint));
  ProgBtn = new QToolButton(title);
  ProgBtn->setObjectName("ProgBtn");
  ProgBtn->setToolButtonStyle(Qt::ToolButtonTextOnly);
  buttons->addWidget(NowBtn);
  buttons->addStretch();
  buttons->addWidget(ProgBtn);
  column->addLayout(buttons);
}

QDateTime TProgrammerFrame::Start() const { return At(DateEdit1, RxSpinEdit1, RxSpinEdit2, RxSpinEdit3); }
QDateTime TProgrammerFrame::End() const { return At(DateEdit2, RxSpinEdit4, RxSpinEdit5, RxSpinEdit6); }

void TProgrammerFrame::SetStart(const QDateTime& at) {
  DateEdit1->setDate(at.date());
  RxSpinEdit1->setValue(at.time().hour());
  RxSpinEdit2->setValue(at.time().minute());
  RxSpinEdit3->setValue(at.time().second());
}

void TProgrammerFrame::SetEnd(const QDateTime& at) {
  DateEdit2->setDate(at.date());
  RxSpinEdit4->setValue(at.time().hour());
  RxSpinEdit5->setValue(at.time().minute());
  RxSpinEdit6->setValue(at.time().second());
}
