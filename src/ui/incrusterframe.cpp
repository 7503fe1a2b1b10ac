#include "ui/incrusterframe.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "media/filters/dateformat.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr double kSecondsPerDay = 86400.0;
const QDate kDayZero(1899, 12, 30);

// 0xBBGGRR, as the record keeps colours.
QColor ColourOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
std::uint32_t BgrOf(const QColor& colour) {
  return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
         static_cast<std::uint32_t>(colour.blue()) << 16;
}

QToolButton* Toggle(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setCheckable(true);
  return button;
}

QToolButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(Text(caption));
  return button;
}

QComboBox* FreeList(QWidget* parent, const char* name, const QStringList& items) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->addItems(items);
  return list;
}

}  // namespace

TIncrusterFrame::TIncrusterFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("IncrusterFrame");
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  auto* title = new QLabel(Text(texts::kIncrusterTitle), this);
  column->addWidget(title);

  // Font, size and style.
  FontComboBox = new QFontComboBox(this);
  FontComboBox->setObjectName("FontComboBox");
  FontComboBox->setToolTip(Text(texts::kFontHint));
  column->addWidget(FontComboBox);
  auto* styleRow = new QHBoxLayout;
  cbSize = FreeList(this, "cbSize",
                    {Text(texts::kSizeAuto), "8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28",
                     "36", "48", "72"});
  cbSize->setMaximumWidth(70);
  styleRow->addWidget(cbSize);
  tbBold = Toggle(this, "tbBold", "G");
  tbItalic = Toggle(this, "tbItalic", "I");
  tbUnderline = Toggle(this, "tbUnderline", "S");
  for (QToolButton* style : {tbBold, tbItalic, tbUnderline}) styleRow->addWidget(style);
  ColorButton = new QToolButton(this);
  ColorButton->setObjectName("ColorButton");
  ColorButton->setPopupMode(QToolButton::InstantPopup);
  colorMenu = new QMenu(ColorButton);
  colorMenu->addAction(Text(texts::kColourAutomatic), this, [this] { SetColour(ColourOf(TFontRec{}.color)); });
  colorMenu->addSeparator();
  for (const QColor& colour : {QColor(Qt::white), QColor(Qt::black), QColor(Qt::yellow), QColor(Qt::red),
                               QColor(0, 128, 0), QColor(Qt::blue), QColor(Qt::cyan), QColor(Qt::gray)}) {
    QPixmap swatch(16, 16);
    swatch.fill(colour);
    colorMenu->addAction(QIcon(swatch), colour.name(), this, [this, colour] { SetColour(colour); });
  }
  colorMenu->addSeparator();
  colorMenu->addAction(Text(texts::kColourMore), this, [this] {
    const QColor current = ColourOf(record_.font.color);
    std::optional<QColor> chosen;
    if (chooseColour) {
      chosen = chooseColour(current);
    } else {
      const QColor picked = QColorDialog::getColor(current, this);
      if (picked.isValid()) chosen = picked;
    }
    if (chosen) SetColour(*chosen);
  });
  ColorButton->setMenu(colorMenu);
  styleRow->addWidget(ColorButton);
  column->addLayout(styleRow);

  // Alignment and border.
  auto* alignRow = new QHBoxLayout;
  alignGroup = new QButtonGroup(this);
  tbLeftAlign = Toggle(this, "tbLeftAlign", "|<");
  tbCenter = Toggle(this, "tbCenter", "><");
  tbRightAlign = Toggle(this, "tbRightAlign", ">|");
  tbSousTitre = Toggle(this, "tbSousTitre", "_");
  int id = 0;
  for (QToolButton* align : {tbLeftAlign, tbCenter, tbRightAlign, tbSousTitre}) {
    alignGroup->addButton(align, id++);
    alignRow->addWidget(align);
  }
  tbBorder = new QToolButton(this);
  tbBorder->setObjectName("tbBorder");
  tbBorder->setPopupMode(QToolButton::InstantPopup);
  pmBorder = new QMenu(tbBorder);
  pmBorder->setObjectName("pmBorder");
  for (int pixels = 0; pixels <= 5; ++pixels) {
    const QString caption = pixels == 0   ? Text(texts::kBorderNone)
                            : pixels == 1 ? Text(texts::kBorderOne)
                                          : Text(texts::kBorderPixels).arg(pixels);
    pmBorder->addAction(caption, this, [this, pixels] { SetBorder(pixels); });
  }
  tbBorder->setMenu(pmBorder);
  alignRow->addWidget(tbBorder);
  column->addLayout(alignRow);

  // What is shown.
  auto* whatRow = new QGridLayout;
  JvImgBtn5 = Button(this, "JvImgBtn5", texts::kShowReal);
  JvImgBtn1 = Button(this, "JvImgBtn1", texts::kShowDatecode);
  JvImgBtn2 = Button(this, "JvImgBtn2", texts::kShowTimecode);
  JvImgBtn3 = Button(this, "JvImgBtn3", texts::kShowPerso);
  JvImgBtn4 = Button(this, "JvImgBtn4", texts::kShowNothing);
  whatRow->addWidget(JvImgBtn5, 0, 0);
  whatRow->addWidget(JvImgBtn1, 0, 1);
  whatRow->addWidget(JvImgBtn2, 0, 2);
  whatRow->addWidget(JvImgBtn3, 1, 0);
  whatRow->addWidget(JvImgBtn4, 1, 1);
  column->addLayout(whatRow);
  cbDatecode1 = FreeList(this, "cbDatecode1", {"ddddd", "tt", "dddddd", "ddddd tt", "dddddd tt", "d mmm yyyy"});
  cbDatecode2 = FreeList(this, "cbDatecode2", {"tt", "ddddd", "dddddd", "ddddd t", "dddddd tt", "d mmm yyyy"});
  edPerso1 = new QLineEdit(this);
  edPerso1->setObjectName("edPerso1");
  edPerso2 = new QLineEdit(this);
  edPerso2->setObjectName("edPerso2");
  for (QWidget* line : {static_cast<QWidget*>(cbDatecode1), static_cast<QWidget*>(cbDatecode2),
                        static_cast<QWidget*>(edPerso1), static_cast<QWidget*>(edPerso2)})
    column->addWidget(line);

  // When, and for how long.
  gbQuand = new QGroupBox(Text(texts::kWhenGroup), this);
  auto* when = new QVBoxLayout(gbQuand);
  rbPermanent = new QRadioButton(Text(texts::kWhenPermanent), gbQuand);
  rbUnique = new QRadioButton(Text(texts::kWhenOnce), gbQuand);
  rbScene = new QRadioButton(Text(texts::kWhenScene), gbQuand);
  rbJour = new QRadioButton(Text(texts::kWhenDay), gbQuand);
  for (QRadioButton* choice : {rbPermanent, rbUnique, rbScene, rbJour}) when->addWidget(choice);
  rbPermanent->setChecked(true);
  auto* durationRow = new QHBoxLayout;
  durationRow->addWidget(new QLabel(Text(texts::kDurationLabel), gbQuand));
  edDuree = new QLineEdit("5", gbQuand);
  edDuree->setObjectName("edDuree");
  edDuree->setMaximumWidth(50);
  durationRow->addWidget(edDuree);
  when->addLayout(durationRow);
  column->addWidget(gbQuand);

  // The time shift.
  auto* shiftRow = new QHBoxLayout;
  tbDecalage = Toggle(this, "tbDecalage", Text(texts::kDecalageHide));
  tbDecalage->setToolTip(Text(texts::kDecalageHint));
  shiftRow->addWidget(tbDecalage);
  labDecalage = new QLabel(this);
  labDecalage->setObjectName("labDecalage");
  labDecalage->setToolTip(Text(texts::kDecalageLabelHint));
  shiftRow->addWidget(labDecalage, 1);
  column->addLayout(shiftRow);
  PanelDecalage = new QFrame(this);
  PanelDecalage->setObjectName("PanelDecalage");
  PanelDecalage->setFrameShape(QFrame::StyledPanel);
  auto* shift = new QVBoxLayout(PanelDecalage);
  labOldDate = new QLabel(PanelDecalage);
  labOldDate->setObjectName("labOldDate");
  shift->addWidget(labOldDate);
  auto* newDate = new QGroupBox(Text(texts::kNewDateGroup), PanelDecalage);
  auto* dateRow = new QHBoxLayout(newDate);
  DateEdit2 = new QDateEdit(newDate);
  DateEdit2->setObjectName("DateEdit2");
  DateEdit2->setDisplayFormat("dd/MM/yyyy");
  DateEdit2->setCalendarPopup(true);
  dateRow->addWidget(DateEdit2);
  const auto spin = [newDate, dateRow](const char* name, int maximum) {
    auto* field = new QSpinBox(newDate);
    field->setObjectName(name);
    field->setRange(0, maximum);
    dateRow->addWidget(field);
    return field;
  };
  seHeure = spin("seHeure", 23);
  seMinute = spin("seMinute", 59);
  seSeconde = spin("seSeconde", 59);
  shift->addWidget(newDate);
  resetBtn = Button(PanelDecalage, "resetBtn", texts::kDecalageReset);
  resetBtn->setToolTip(Text(texts::kDecalageResetHint));
  shift->addWidget(resetBtn, 0, Qt::AlignRight);
  PanelDecalage->hide();
  column->addWidget(PanelDecalage);
  column->addStretch(1);

  // What each control writes.
  connect(FontComboBox, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
    record_.font.name = font.family();
    Changed();
  });
  connect(cbSize, &QComboBox::currentTextChanged, this, &TIncrusterFrame::SizeEdited);
  for (auto [button, flag] : {std::pair{tbBold, &TFontRec::bold}, std::pair{tbItalic, &TFontRec::italic},
                              std::pair{tbUnderline, &TFontRec::underline}})
    connect(button, &QToolButton::toggled, this, [this, flag](bool down) {
      record_.font.*flag = down;
      Changed();
    });
  connect(alignGroup, &QButtonGroup::idClicked, this, [this](int alignment) {
    record_.alignement = static_cast<std::uint8_t>(alignment);
    if (alignment == alSubtitle && !loading_) emit subtitleChosen();
    Changed();
  });
  connect(JvImgBtn5, &QToolButton::clicked, this, [this] { Choose(wiReel); });
  connect(JvImgBtn1, &QToolButton::clicked, this, [this] { Choose(wiDatecode); });
  connect(JvImgBtn2, &QToolButton::clicked, this, [this] { Choose(wiTimecode); });
  connect(JvImgBtn3, &QToolButton::clicked, this, [this] { Choose(wiPerso); });
  connect(JvImgBtn4, &QToolButton::clicked, this, [this] {
    if (!loading_) emit hideRequested();
  });
  connect(cbDatecode1, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    record_.formatDate1 = text;
    Changed();
  });
  connect(cbDatecode2, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    record_.formatDate2 = text;
    Changed();
  });
  connect(edPerso1, &QLineEdit::textChanged, this, [this](const QString& text) {
    record_.incrust1 = text;
    Changed();
  });
  connect(edPerso2, &QLineEdit::textChanged, this, [this](const QString& text) {
    record_.incrust2 = text;
    Changed();
  });
  for (QRadioButton* choice : {rbPermanent, rbUnique, rbScene, rbJour})
    connect(choice, &QRadioButton::toggled, this, [this](bool on) {
      if (on && !loading_) emit timingChanged();
    });
  connect(edDuree, &QLineEdit::textChanged, this, [this] {
    if (!loading_) emit timingChanged();
  });
  connect(tbDecalage, &QToolButton::clicked, this, [this] {
    // The button shows the editor's state, not the click's.
    tbDecalage->setChecked(decalageOpen());
    emit decalageClicked();
  });
  connect(DateEdit2, &QDateEdit::dateChanged, this, &TIncrusterFrame::DecalageEdited);
  for (QSpinBox* field : {seHeure, seMinute, seSeconde})
    connect(field, &QSpinBox::valueChanged, this, &TIncrusterFrame::DecalageEdited);
  connect(resetBtn, &QToolButton::clicked, this, [this] {
    OpenDecalage(ancienneDate_);
    DecalageEdited();
  });
  for (QWidget* field : {static_cast<QWidget*>(cbDatecode1), static_cast<QWidget*>(cbDatecode2),
                         static_cast<QWidget*>(edPerso1), static_cast<QWidget*>(edPerso2),
                         static_cast<QWidget*>(edDuree)})
    field->installEventFilter(this);
  for (QComboBox* list : {cbDatecode1, cbDatecode2})
    if (list->lineEdit()) list->lineEdit()->installEventFilter(this);
  Load(record_);
}

void TIncrusterFrame::Changed() {
  if (loading_) return;
  EnableDecalage();
  emit changed();
}

void TIncrusterFrame::EnableDecalage() {
  tbDecalage->setEnabled(record_.whatIncrust == wiDatecode || record_.whatIncrust == wiReel);
}

// "auto", a size above 0, or something else that leaves the size as it is.
void TIncrusterFrame::SizeEdited(const QString& text) {
  if (text == Text(texts::kSizeAuto)) {
    record_.autoFontSize = true;
  } else {
    record_.autoFontSize = false;
    bool whole = false;
    const int size = text.toInt(&whole);
    if (whole && size > 0) record_.font.size = size;
  }
  Changed();
}

void TIncrusterFrame::SetColour(const QColor& colour) {
  record_.font.color = BgrOf(colour);
  ShowColour();
  Changed();
}

void TIncrusterFrame::ShowColour() {
  QPixmap swatch(24, 16);
  swatch.fill(ColourOf(record_.font.color));
  ColorButton->setIcon(QIcon(swatch));
}

void TIncrusterFrame::SetBorder(int pixels) {
  record_.borderSize = pixels;
  tbBorder->setText(pixels > 0 ? QString::number(pixels) : QString());
  Changed();
}

void TIncrusterFrame::Choose(std::uint8_t what) {
  record_.whatIncrust = what;
  Changed();
  if (!loading_) emit shown();
}

void TIncrusterFrame::Load(const TincrustRec& record) {
  loading_ = true;
  record_ = record;
  if (record.alignement <= alRight) {
    alignGroup->button(record.alignement)->setChecked(true);
  } else {
    // None of the three: the group lets all go up.
    alignGroup->setExclusive(false);
    for (QAbstractButton* button : alignGroup->buttons()) button->setChecked(false);
    alignGroup->setExclusive(true);
  }
  edPerso1->setText(record.incrust1);
  edPerso2->setText(record.incrust2);
  cbDatecode1->setCurrentText(record.formatDate1);
  cbDatecode2->setCurrentText(record.formatDate2);
  const QStringList families = QFontDatabase::families();
  FontComboBox->setCurrentFont(QFont(families.contains(record.font.name) || families.isEmpty()
                                         ? record.font.name
                                         : FontComboBox->itemText(0)));
  cbSize->setCurrentText(record.autoFontSize ? Text(texts::kSizeAuto) : QString::number(record.font.size));
  tbBold->setChecked(record.font.bold);
  tbItalic->setChecked(record.font.italic);
  tbUnderline->setChecked(record.font.underline);
  ShowColour();
  tbBorder->setText(record.borderSize > 0 ? QString::number(record.borderSize) : QString());
  labDecalage->setText(record.decalageHoraire != 0 ? DecalageText(record.decalageHoraire) : QString());
  EnableDecalage();
  // The controls' own echoes leave the record as it was given.
  record_ = record;
  loading_ = false;
}

void TIncrusterFrame::LoadTiming(int when, int seconds) {
  loading_ = true;
  QRadioButton* choices[] = {rbPermanent, rbUnique, rbScene, rbJour};
  choices[std::clamp(when, 0, 3)]->setChecked(true);
  edDuree->setText(QString::number(seconds));
  loading_ = false;
}

int TIncrusterFrame::when() const {
  if (rbUnique->isChecked()) return 1;
  if (rbScene->isChecked()) return 2;
  if (rbJour->isChecked()) return 3;
  return 0;
}

int TIncrusterFrame::duree() const {
  bool whole = false;
  const int seconds = edDuree->text().trimmed().toInt(&whole);
  return whole ? seconds : 0;
}

// --- The time shift ---------------------------------------------------------------------

double TIncrusterFrame::WholeSeconds(double days) {
  const double day = std::floor(days);
  const double seconds = std::floor((days - day) * kSecondsPerDay + 1e-6);
  return day + seconds / kSecondsPerDay;
}

QString TIncrusterFrame::DecalageText(double days) {
  const long long s = std::llround(days * kSecondsPerDay);
  const long long wholeDays = s / 86400, minutes = (s / 60) % 60, seconds = s % 60;
  if (wholeDays != 0 || minutes != 0 || seconds != 0)
    return QString::asprintf(texts::kDecalageDaysFormat, int(wholeDays), int((s / 3600) % 24), int(minutes),
                             int(seconds));
  return QString::asprintf(texts::kDecalageHoursFormat, int((s / 3600) % 24));
}

void TIncrusterFrame::OpenDecalage(double ancienneDate) {
  ancienneDate_ = ancienneDate;
  const double day = std::floor(ancienneDate);
  const long long seconds = std::llround((ancienneDate - day) * kSecondsPerDay);
  loading_ = true;
  DateEdit2->setDate(kDayZero.addDays(static_cast<qint64>(day)));
  seHeure->setValue(int(seconds / 3600));
  seMinute->setValue(int(seconds / 60 % 60));
  seSeconde->setValue(int(seconds % 60));
  loading_ = false;
  labOldDate->setText(Text(texts::kOldDate) + FormatDateTime("ddddd tt", ancienneDate));
  tbDecalage->setChecked(true);
  PanelDecalage->show();
  PanelDecalage->raise();
}

void TIncrusterFrame::CloseDecalage() {
  tbDecalage->setChecked(false);
  PanelDecalage->hide();
}

bool TIncrusterFrame::decalageOpen() const { return !PanelDecalage->isHidden(); }

void TIncrusterFrame::DecalageEdited() {
  if (loading_) return;
  const double nouvelle = static_cast<double>(kDayZero.daysTo(DateEdit2->date())) + seHeure->value() / 24.0 +
                          seMinute->value() / 1440.0 + seSeconde->value() / kSecondsPerDay;
  const double shift = nouvelle - ancienneDate_;
  const bool none = std::llround(shift * kSecondsPerDay) == 0;
  labDecalage->setText(none ? QString() : DecalageText(shift));
  record_.decalageHoraire = none ? 0.0 : shift;
  Changed();
}

// The fields where "+", "-" and the space bar are typed.
bool TIncrusterFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) emit typing(true);
  if (event->type() == QEvent::FocusOut) emit typing(false);
  return QWidget::eventFilter(watched, event);
}
