#include "ui/sourcesframe.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QToolButton* Button(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const char* hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(parent->style()->standardIcon(icon));
  if (hint) button->setToolTip(Text(hint));
  button->setAutoRaise(true);
  return button;
}

QComboBox* List(QWidget* parent, const char* name, const char* hint) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setToolTip(Text(hint));
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(12);
  return list;
}

}  // namespace

TSourcesFrame::TSourcesFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("SourcesFrame");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  gbSources = new QGroupBox(Text(texts::kSourcesTitle), this);
  gbSources->setObjectName("gbSources");
  outer->addWidget(gbSources);
  outer->addStretch();
  auto* sources = new QVBoxLayout(gbSources);

  ActualiserVideoSpeedBtn =
      Button(gbSources, "ActualiserVideoSpeedBtn", QStyle::SP_BrowserReload, texts::kSourcesRefreshHint);
  sources->addWidget(ActualiserVideoSpeedBtn, 0, Qt::AlignRight);

  gbVideo = new QGroupBox(Text(texts::kSourcesVideoTitle), gbSources);
  gbVideo->setObjectName("gbVideo");
  auto* video = new QGridLayout(gbVideo);
  cboxvideo = List(gbVideo, "cboxvideo", texts::kSourcesVideoListHint);
  sbVideoSettings = Button(gbVideo, "sbVideoSettings", QStyle::SP_FileDialogDetailedView, texts::kSourcesVideoSettingsHint);
  sbVideoPilotVCR = Button(gbVideo, "sbVideoPilotVCR", QStyle::SP_MediaPlay, nullptr);
  sbVideoPilotVCR->hide();
  LabVideo = new QLabel(gbVideo);
  LabVideo->setObjectName("LabVideo");
  video->addWidget(cboxvideo, 0, 0);
  video->addWidget(sbVideoSettings, 0, 1);
  video->addWidget(sbVideoPilotVCR, 0, 2);
  video->addWidget(LabVideo, 1, 0, 1, 3);
  video->setColumnStretch(0, 1);
  sources->addWidget(gbVideo);

  gbAudio = new QGroupBox(Text(texts::kSourcesAudioTitle), gbSources);
  gbAudio->setObjectName("gbAudio");
  auto* audio = new QGridLayout(gbAudio);
  cboxAudio = List(gbAudio, "cboxAudio", texts::kSourcesAudioListHint);
  sbAudioSettings = Button(gbAudio, "sbAudioSettings", QStyle::SP_FileDialogDetailedView, texts::kSourcesAudioSettingsHint);
  sbAudioPilotVCR = Button(gbAudio, "sbAudioPilotVCR", QStyle::SP_MediaPlay, nullptr);
  sbAudioPilotVCR->hide();
  cbEntries = List(gbAudio, "cbEntries", texts::kSourcesEntriesHint);
  cbEntries->hide();
  LabAudio = new QLabel(gbAudio);
  LabAudio->setObjectName("LabAudio");
  audio->addWidget(cboxAudio, 0, 0);
  audio->addWidget(sbAudioSettings, 0, 1);
  audio->addWidget(sbAudioPilotVCR, 0, 2);
  audio->addWidget(cbEntries, 1, 0, 1, 3);
  audio->addWidget(LabAudio, 2, 0, 1, 3);
  audio->setColumnStretch(0, 1);
  sources->addWidget(gbAudio);

  gbFormatCapture = new QGroupBox(Text(texts::kSourcesFormatTitle), gbSources);
  gbFormatCapture->setObjectName("gbFormatCapture");
  auto* format = new QGridLayout(gbFormatCapture);
  cbFormatCapture = List(gbFormatCapture, "cbFormatCapture", texts::kSourcesFormatHint);
  sbFormatCapturesettings =
      Button(gbFormatCapture, "sbFormatCapturesettings", QStyle::SP_FileDialogDetailedView, nullptr);
  leFramerate = new QLineEdit(gbFormatCapture);
  leFramerate->setObjectName("leFramerate");
  leFramerate->setPlaceholderText(Text(texts::kSourcesFramerate));
  leFramerate->setToolTip(Text(texts::kSourcesFramerate));
  leFramerate->hide();
  LabelVideo = new QLabel(gbFormatCapture);
  LabelVideo->setObjectName("LabelVideo");
  LabelVideo->setCursor(Qt::PointingHandCursor);
  LabelVideo->installEventFilter(this);
  sbVideo = Button(gbFormatCapture, "sbVideo", QStyle::SP_DirOpenIcon, nullptr);
  format->addWidget(cbFormatCapture, 0, 0);
  format->addWidget(sbFormatCapturesettings, 0, 1);
  format->addWidget(leFramerate, 1, 0, 1, 2);
  format->addWidget(LabelVideo, 2, 0);
  format->addWidget(sbVideo, 2, 1);
  format->setColumnStretch(0, 1);
  sources->addWidget(gbFormatCapture);
}

bool TSourcesFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LabelVideo && event->type() == QEvent::MouseButtonRelease) emit LabelVideoClicked();
  return QWidget::eventFilter(watched, event);
}
