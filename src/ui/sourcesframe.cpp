#include "ui/sourcesframe.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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
  sbScenolog = Button(gbSources, "sbScenolog", QStyle::SP_MediaPlay, texts::kCommandScenologHint);
  {
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(sbScenolog);
    buttons->addWidget(ActualiserVideoSpeedBtn);
    sources->addLayout(buttons);
  }

  // A source's group: its list and settings button, the camcorder button,
  // a row for more, and the format label.
  struct Group {
    QGroupBox* box;
    QComboBox* list;
    QToolButton* settings;
    QToolButton* pilot;
    QLabel* label;
  };
  const auto group = [&](const char* title, const char* side, const char* listName, const char* listHint,
                         const char* settingsHint, QWidget* extra) {
    auto* box = new QGroupBox(Text(title), gbSources);
    box->setObjectName(QStringLiteral("gb%1").arg(QLatin1String(side)));
    auto* grid = new QGridLayout(box);
    Group made{box, List(box, listName, listHint),
               Button(box, QStringLiteral("sb%1Settings").arg(QLatin1String(side)).toLatin1().constData(),
                      QStyle::SP_FileDialogDetailedView, settingsHint),
               Button(box, QStringLiteral("sb%1PilotVCR").arg(QLatin1String(side)).toLatin1().constData(),
                      QStyle::SP_MediaPlay, nullptr),
               new QLabel(box)};
    made.pilot->hide();
    made.label->setObjectName(QStringLiteral("Lab%1").arg(QLatin1String(side)));
    grid->addWidget(made.list, 0, 0);
    grid->addWidget(made.settings, 0, 1);
    grid->addWidget(made.pilot, 0, 2);
    if (extra) {
      extra->setParent(box);
      grid->addWidget(extra, 1, 0, 1, 3);
    }
    grid->addWidget(made.label, 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    sources->addWidget(box);
    return made;
  };
  const Group video = group(texts::kSourcesVideoTitle, "Video", "cboxvideo", texts::kSourcesVideoListHint,
                            texts::kSourcesVideoSettingsHint, nullptr);
  gbVideo = video.box, cboxvideo = video.list, sbVideoSettings = video.settings, sbVideoPilotVCR = video.pilot;
  LabVideo = video.label;
  cbEntries = List(this, "cbEntries", texts::kSourcesEntriesHint);
  cbEntries->hide();
  const Group audio = group(texts::kSourcesAudioTitle, "Audio", "cboxAudio", texts::kSourcesAudioListHint,
                            texts::kSourcesAudioSettingsHint, cbEntries);
  gbAudio = audio.box, cboxAudio = audio.list, sbAudioSettings = audio.settings, sbAudioPilotVCR = audio.pilot;
  LabAudio = audio.label;

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
