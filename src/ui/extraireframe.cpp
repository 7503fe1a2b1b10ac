#include "ui/extraireframe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr int kPreviewAreaHeight = 170;  // the preview box ends at 163

}  // namespace

TExtraireFrame::TExtraireFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("ExtraireFrame");
  auto* outer = new QVBoxLayout(this);
  auto* title = new QLabel(Text(texts::kExtraireTitle), this);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  outer->addWidget(title);

  // The preview sits at fixed coordinates under the title, above the
  // groups.
  auto* previewArea = new QWidget(this);
  previewArea->setFixedHeight(kPreviewAreaHeight);
  outer->addWidget(previewArea);
  Bevel3 = new QFrame(previewArea);
  Bevel3->setObjectName("Bevel3");
  Bevel3->setFrameShape(QFrame::Box);
  Bevel3->setToolTip(Text(texts::kGrabPreviewHint));
  Bevel3->hide();
  Image = new QLabel(previewArea);
  Image->setObjectName("Image");
  Image->setScaledContents(true);
  Image->setToolTip(Text(texts::kGrabPreviewHint));

  gbIntervallo = new QGroupBox(Text(texts::kIntervalloGroup), this);
  gbIntervallo->setObjectName("gbIntervallo");
  gbIntervallo->setToolTip(Text(texts::kIntervalloGroupHint));
  auto* grid = new QGridLayout(gbIntervallo);
  RxSwitch1 = new QToolButton(gbIntervallo);
  RxSwitch1->setObjectName("RxSwitch1");
  RxSwitch1->setCheckable(true);
  RxSwitch1->setText("OFF");
  RxSwitch1->setToolTip(Text(texts::kIntervalloSwitchHint));
  connect(RxSwitch1, &QToolButton::toggled, RxSwitch1, [this](bool on) { RxSwitch1->setText(on ? "ON" : "OFF"); });
  chronoLab = new QLabel(gbIntervallo);
  chronoLab->setObjectName("chronoLab");
  chronoLab->setToolTip(Text(texts::kChronoHint));
  chronoLab->setStyleSheet("color: red; font-weight: bold");
  chronoLab->hide();
  RxSpinEdit7 = new QSpinBox(gbIntervallo);
  RxSpinEdit7->setObjectName("RxSpinEdit7");
  RxSpinEdit7->setRange(0, 999999);
  RxSpinEdit7->setValue(10);
  RxSpinEdit7->setToolTip(Text(texts::kIntervalValueHint));
  cbUnites = new QComboBox(gbIntervallo);
  cbUnites->setObjectName("cbUnites");
  cbUnites->addItems(Text(texts::kIntervalUnits).split('|'));
  cbUnites->setToolTip(Text(texts::kIntervalUnitHint));
  cbBeeps = new QCheckBox(Text(texts::kBeeps), gbIntervallo);
  cbBeeps->setObjectName("cbBeeps");
  cbBeeps->setToolTip(Text(texts::kBeepsHint));
  grid->addWidget(RxSwitch1, 0, 0);
  grid->addWidget(chronoLab, 0, 1);
  grid->addWidget(RxSpinEdit7, 1, 0);
  grid->addWidget(cbUnites, 1, 1);
  grid->addWidget(cbBeeps, 2, 0, 1, 2);
  outer->addWidget(gbIntervallo);

  gbDestination = new QGroupBox(Text(texts::kNextImageGroup), this);
  auto* destination = new QVBoxLayout(gbDestination);
  destlabel = new QLabel(gbDestination);
  destlabel->setObjectName("destlabel");
  destlabel->setTextFormat(Qt::PlainText);
  destlabel->setCursor(Qt::PointingHandCursor);
  destlabel->installEventFilter(this);
  destination->addWidget(destlabel);
  outer->addWidget(gbDestination);
  outer->addStretch(1);
}

bool TExtraireFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == destlabel && event->type() == QEvent::MouseButtonRelease) emit destlabelClicked();
  return QWidget::eventFilter(watched, event);
}
