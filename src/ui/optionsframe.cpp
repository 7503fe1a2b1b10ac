#include "ui/optionsframe.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QCheckBox* Check(QWidget* page, const char* name, const char* caption, const char* hint) {
  auto* box = new QCheckBox(Text(caption), page);
  box->setObjectName(name);
  box->setToolTip(Text(hint));
  page->layout()->addWidget(box);
  return box;
}

// A titled group of radio buttons, one per item ("a|b|c").
QButtonGroup* Radios(QWidget* page, const char* name, const QString& title, const char* items, const char* hint,
                     QGroupBox** box = nullptr, bool across = false) {
  auto* group = new QGroupBox(title, page);
  group->setObjectName(QString::fromLatin1(name) + "Box");
  group->setToolTip(Text(hint));
  QBoxLayout* layout = across ? static_cast<QBoxLayout*>(new QHBoxLayout(group)) : new QVBoxLayout(group);
  auto* buttons = new QButtonGroup(group);
  buttons->setObjectName(name);
  int id = 0;
  for (const QString& item : Text(items).split('|')) {
    auto* radio = new QRadioButton(item, group);
    buttons->addButton(radio, id++);
    layout->addWidget(radio);
  }
  page->layout()->addWidget(group);
  if (box) *box = group;
  return buttons;
}

QWidget* Page(QTabWidget* tabs, const char* name, const char* caption) {
  auto* page = new QWidget(tabs);
  page->setObjectName(name);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(4, 4, 4, 4);
  tabs->addTab(page, QString::fromUtf8(caption));
  return page;
}

QPushButton* Push(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* button = new QPushButton(Text(caption), parent);
  button->setObjectName(name);
  button->setToolTip(Text(hint));
  return button;
}

}  // namespace

TOptionsFrame::TOptionsFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("OptionsFrame");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* box = new QGroupBox(Text(texts::kOptionsTitle), this);
  outer->addWidget(box);
  auto* inside = new QVBoxLayout(box);
  PageControl = new QTabWidget(box);
  PageControl->setObjectName("PageControl");
  inside->addWidget(PageControl);

  tsPref = Page(PageControl, "tsPref", "Pref");
  cbConfirmerVideo = Check(tsPref, "cbConfirmerVideo", texts::kOptConfirmVideo, texts::kOptConfirmVideoHint);
  cbConfirmerImage = Check(tsPref, "cbConfirmerImage", texts::kOptConfirmImage, texts::kOptConfirmImageHint);
  cbNotifier = Check(tsPref, "cbNotifier", texts::kOptNotifier, texts::kOptNotifierHint);
  cbActiverSuperposition =
      Check(tsPref, "cbActiverSuperposition", texts::kOptEffects, texts::kOptEffectsHint);
  rgPrefMode = Radios(tsPref, "rgPrefMode", Text(texts::kOptPrefMode), texts::kOptPrefModes, texts::kOptPrefModeHint,
                      &gbPrefMode);
  cbMpeg2Ratio = Check(tsPref, "cbMpeg2Ratio", texts::kOptMpeg2Ratio, texts::kOptMpeg2RatioHint);
  static_cast<QVBoxLayout*>(tsPref->layout())->addStretch(1);

  tsWmv = Page(PageControl, "tsWmv", "Wmv");
  gbProfils = new QGroupBox(Text(texts::kOptWmvGroup), tsWmv);
  gbProfils->setObjectName("gbProfils");
  gbProfils->setToolTip(Text(texts::kOptWmvHint));
  auto* profiles = new QVBoxLayout(gbProfils);
  cbProfils = new QComboBox(gbProfils);
  cbProfils->setObjectName("cbProfils");
  profiles->addWidget(cbProfils);
  auto* versionRow = new QHBoxLayout;
  versionRow->addWidget(new QLabel(Text(texts::kOptWmvVersionLabel).replace("\r\n", "\n"), gbProfils));
  rgVersion = new QButtonGroup(gbProfils);
  rgVersion->setObjectName("rgVersion");
  int id = 0;
  for (const char* version : {"4", "7", "8"}) {
    auto* radio = new QRadioButton(QString::fromLatin1(version), gbProfils);
    rgVersion->addButton(radio, id++);
    versionRow->addWidget(radio);
  }
  profiles->addLayout(versionRow);
  tsWmv->layout()->addWidget(gbProfils);
  rgProfilDefaut = Radios(tsWmv, "rgProfilDefaut", Text(texts::kOptWmvDefaults), texts::kOptWmvDefaultItems,
                          texts::kOptWmvDefaultsHint, &gbProfilsDefaut);
  cbProfilParDefaut = Check(tsWmv, "cbProfilParDefaut", texts::kOptWmvPreset, texts::kOptWmvPresetHint);
  static_cast<QVBoxLayout*>(tsWmv->layout())->addStretch(1);

  tsDivx = Page(PageControl, "tsDivx", "DivX");
  auto* divx = new QGroupBox(Text(texts::kOptDivxGroup), tsDivx);
  auto* divxColumn = new QVBoxLayout(divx);
  cbDivx = new QComboBox(divx);
  cbDivx->setObjectName("cbDivx");
  cbDivx->setToolTip(Text(texts::kOptDivxListHint));
  divxColumn->addWidget(cbDivx);
  auto* divxButtons = new QHBoxLayout;
  btProprietes = Push(divx, "btProprietes", texts::kOptDivxProperties, texts::kOptDivxPropertiesHint);
  btVersion = Push(divx, "btVersion", texts::kOptDivxVersion, texts::kOptDivxVersionHint);
  divxButtons->addWidget(btProprietes);
  divxButtons->addWidget(btVersion);
  divxColumn->addLayout(divxButtons);
  tsDivx->layout()->addWidget(divx);
  cbDemiTaille = Check(tsDivx, "cbDemiTaille", texts::kOptDivxHalf, texts::kOptDivxHalfHint);
  rgRatioDivx = Radios(tsDivx, "rgRatioDivx", QString(), texts::kOptDivxRatioItems, texts::kOptDivxRatioHint, nullptr, true);
  cbMp3 = Check(tsDivx, "cbMp3", texts::kOptMp3, texts::kOptMp3Hint);
  gbMp3 = new QGroupBox(Text(texts::kOptMp3Group), tsDivx);
  gbMp3->setObjectName("gbMp3");
  auto* mp3Row = new QHBoxLayout(gbMp3);
  mp3Row->addWidget(new QLabel(Text(texts::kOptBitrateLabel), gbMp3));
  cbBitrate = new QComboBox(gbMp3);
  cbBitrate->setObjectName("cbBitrate");
  cbBitrate->setEditable(true);
  cbBitrate->setInsertPolicy(QComboBox::NoInsert);
  cbBitrate->addItems(Text(texts::kOptBitrates).split('|'));
  cbBitrate->setToolTip(Text(texts::kOptBitrateHint));
  mp3Row->addWidget(cbBitrate);
  tsDivx->layout()->addWidget(gbMp3);
  btAvance = Push(tsDivx, "btAvance", texts::kOptMp3Advanced, texts::kOptMp3AdvancedHint);
  tsDivx->layout()->addWidget(btAvance);
  labMp3Note = new QLabel(Text(texts::kOptMp3NoteLine1) + '\n' + Text(texts::kOptMp3NoteLine2), tsDivx);
  labMp3Note->setObjectName("labMp3Note");
  labMp3Note->setWordWrap(true);
  tsDivx->layout()->addWidget(labMp3Note);
  static_cast<QVBoxLayout*>(tsDivx->layout())->addStretch(1);

  tsImages = Page(PageControl, "tsImages", "Images");
  rgExtension = Radios(tsImages, "rgExtension", QString(), texts::kOptImageTypes, texts::kOptImageTypeHint, nullptr, true);
  gbQualite = new QGroupBox(Text(texts::kOptJpegGroup), tsImages);
  gbQualite->setObjectName("gbQualite");
  gbQualite->setToolTip(Text(texts::kOptJpegHint));
  auto* quality = new QHBoxLayout(gbQualite);
  labQualite = new QLabel("50", gbQualite);
  labQualite->setObjectName("labQualite");
  tbQualite = new QSlider(Qt::Horizontal, gbQualite);
  tbQualite->setObjectName("tbQualite");
  tbQualite->setRange(1, 100);
  tbQualite->setValue(50);
  quality->addWidget(labQualite);
  quality->addWidget(tbQualite, 1);
  tsImages->layout()->addWidget(gbQualite);
  cbDeinterlace = Check(tsImages, "cbDeinterlace", texts::kOptDeinterlace, texts::kOptDeinterlaceHint);
  static_cast<QVBoxLayout*>(tsImages->layout())->addStretch(1);

  tsDV = Page(PageControl, "tsDV", "DV");
  rgStandard = Radios(tsDV, "rgStandard", Text(texts::kOptDvStandard), texts::kOptDvStandards, texts::kOptDvStandardHint,
                      nullptr, true);
  rgFrequence = Radios(tsDV, "rgFrequence", Text(texts::kOptDvFrequency), texts::kOptDvFrequencies,
                       texts::kOptDvFrequencyHint);
  cbFrequenceNative = Check(tsDV, "cbFrequenceNative", texts::kOptDvNative, texts::kOptDvNativeHint);
  cbScn = Check(tsDV, "cbScn", texts::kOptScn, texts::kOptScnHint);
  auto* noDate = new QLabel(Text(texts::kOptNoDatecode), tsDV);
  tsDV->layout()->addWidget(noDate);
  leNoDatecode = new QLineEdit(tsDV);
  leNoDatecode->setObjectName("leNoDatecode");
  leNoDatecode->setToolTip(Text(texts::kOptNoDatecodeHint));
  tsDV->layout()->addWidget(leNoDatecode);
  rgRatioDV = Radios(tsDV, "rgRatioDV", Text(texts::kOptDvRatio), texts::kOptDvRatios, texts::kOptDvRatioHint, nullptr, true);
  cbGarderFormatDV = Check(tsDV, "cbGarderFormatDV", texts::kOptKeepDv, texts::kOptKeepDvHint);
  cbDemiSiDivx = Check(tsDV, "cbDemiSiDivx", texts::kOptDvHalf, texts::kOptDvHalfHint);
  static_cast<QVBoxLayout*>(tsDV->layout())->addStretch(1);
}

int TOptionsFrame::Selected(const QButtonGroup* group) { return group->checkedId(); }

void TOptionsFrame::Select(QButtonGroup* group, int index) {
  if (QAbstractButton* button = group->button(index)) button->setChecked(true);
}
