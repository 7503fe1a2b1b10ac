#include "ui/settingsdialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "capture/crossbar.h"
#include "capture/devicesettings.h"
#include "capture/propertymodel.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

// The dialog's body and, below it, the buttons it closes with.
QVBoxLayout* Frame(QDialog& dialog, const QString& title, QDialogButtonBox::StandardButtons buttons) {
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* box = new QDialogButtonBox(buttons, &dialog);
  box->setObjectName("buttons");
  QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addStretch();
  layout->addWidget(box);
  return layout;
}

void Insert(QVBoxLayout* layout, QWidget* widget) { layout->insertWidget(layout->count() - 2, widget); }
void Insert(QVBoxLayout* layout, QLayout* inner) { layout->insertLayout(layout->count() - 2, inner); }

}  // namespace

// --- Format -------------------------------------------------------------------------

TFormatDialog::TFormatDialog(const QString& device, std::vector<TFormatChoice> choices, int current, QWidget* parent)
    : QDialog(parent), choices_(std::move(choices)) {
  QVBoxLayout* layout =
      Frame(*this, Text(texts::kDialogFormatTitle).arg(device), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* form = new QFormLayout;
  list_ = new QComboBox(this);
  list_->setObjectName("formats");
  list_->addItem(Text(texts::kDialogFormatDevice));
  for (const TFormatChoice& choice : choices_) list_->addItem(choice.Text());
  list_->setCurrentIndex(current >= 0 && current < static_cast<int>(choices_.size()) ? current + 1 : 0);
  form->addRow(Text(texts::kDialogFormatKind), list_);
  Insert(layout, form);
}

int TFormatDialog::chosen() const { return list_->currentIndex() - 1; }

// --- Picture controls -----------------------------------------------------------------

TControlsDialog::TControlsDialog(const QString& device, IVideoControls& controls, QWidget* parent)
    : QDialog(parent), controls_(controls) {
  QVBoxLayout* layout = Frame(*this, Text(texts::kDialogControlsTitle).arg(device), QDialogButtonBox::Close);
  auto* reset = new QPushButton(Text(texts::kDialogControlsReset), this);
  reset->setObjectName("reset");
  connect(reset, &QPushButton::clicked, this, &TControlsDialog::Reset);
  body_ = new QWidget(this);
  Insert(layout, body_);
  Insert(layout, reset);
  Build();
}

void TControlsDialog::Build() {
  auto* form = new QFormLayout(body_);
  const std::vector<TVideoControl> list = controls_.Controls();
  if (list.empty()) form->addRow(new QLabel(Text(texts::kDialogControlsNone), body_));
  for (const TVideoControl& control : list) {
    const QString name = QString::fromStdString(control.name);
    std::int64_t value = control.defaultValue;
    controls_.Value(control.id, value);
    const auto apply = [this, id = control.id, name](std::int64_t wanted) {
      if (!controls_.SetValue(id, wanted) && refused) refused(name);
    };
    QWidget* editor = nullptr;
    switch (control.type) {
      case TVideoControl::Type::Integer: {
        auto* row = new QWidget(body_);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto* slider = new QSlider(Qt::Horizontal, row);
        auto* spin = new QSpinBox(row);
        const int low = int(std::max<std::int64_t>(control.minimum, std::numeric_limits<int>::min()));
        const int high = int(std::min<std::int64_t>(control.maximum, std::numeric_limits<int>::max()));
        for (auto* range : {static_cast<QAbstractSlider*>(slider)}) range->setRange(low, high);
        spin->setRange(low, high);
        slider->setSingleStep(int(control.step));
        spin->setSingleStep(int(control.step));
        slider->setValue(int(value));
        spin->setValue(int(value));
        spin->setObjectName(name);
        connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
        connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
        connect(spin, &QSpinBox::valueChanged, this, [apply](int wanted) { apply(wanted); });
        line->addWidget(slider, 1);
        line->addWidget(spin);
        editor = row;
        break;
      }
      case TVideoControl::Type::Boolean: {
        auto* box = new QCheckBox(body_);
        box->setObjectName(name);
        box->setChecked(value != 0);
        connect(box, &QCheckBox::toggled, this, [apply](bool on) { apply(on ? 1 : 0); });
        editor = box;
        break;
      }
      case TVideoControl::Type::Menu: {
        auto* box = new QComboBox(body_);
        box->setObjectName(name);
        for (const auto& [item, caption] : control.menu) {
          box->addItem(QString::fromStdString(caption), QVariant::fromValue<qlonglong>(item));
          if (item == value) box->setCurrentIndex(box->count() - 1);
        }
        connect(box, &QComboBox::activated, this, [apply, box](int index) { apply(box->itemData(index).toLongLong()); });
        editor = box;
        break;
      }
      case TVideoControl::Type::Button: {
        auto* button = new QPushButton(name, body_);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [apply] { apply(1); });
        editor = button;
        break;
      }
    }
    editor->setEnabled(!control.readOnly);
    form->addRow(name, editor);
  }
}

void TControlsDialog::Reset() {
  for (const TVideoControl& control : controls_.Controls())
    if (!control.readOnly && control.type != TVideoControl::Type::Button) controls_.SetValue(control.id, control.defaultValue);
  delete body_->layout();
  qDeleteAll(body_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
  Build();
}

// --- Any element's properties -----------------------------------------------------------

TPropertyEditor::TPropertyEditor(const QString& title, GObject* object, QWidget* parent)
    : QDialog(parent), object_(object ? g_object_ref(object) : nullptr, &g_object_unref) {
  QVBoxLayout* layout = Frame(*this, Text(texts::kDialogPropertiesTitle).arg(title), QDialogButtonBox::Close);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  auto* body = new QWidget(scroll);
  form_ = new QFormLayout(body);
  scroll->setWidget(body);
  Insert(layout, scroll);
  resize(460, 420);
  using Kind = TPropertyInfo::Kind;
  for (const TPropertyInfo& info : PropertiesOf(Object())) {
    const QString name = info.name;
    const auto set = [this, name](const QString& text) { SetPropertyText(Object(), name, text); };
    QWidget* editor = nullptr;
    switch (info.kind) {
      case Kind::Boolean: {
        auto* box = new QCheckBox(body);
        connect(box, &QCheckBox::toggled, this, [set](bool on) { set(on ? "true" : "false"); });
        editor = box;
        break;
      }
      case Kind::Integer:
        if (info.minimum >= std::numeric_limits<int>::min() && info.maximum <= std::numeric_limits<int>::max()) {
          auto* spin = new QSpinBox(body);
          spin->setRange(int(info.minimum), int(info.maximum));
          connect(spin, &QSpinBox::valueChanged, this, [set](int value) { set(QString::number(value)); });
          editor = spin;
          break;
        }
        [[fallthrough]];  // 64-bit ranges: typed as text
      case Kind::Flags:
      case Kind::Other:
      case Kind::Text: {
        auto* line = new QLineEdit(body);
        connect(line, &QLineEdit::editingFinished, this, [this, line, set, name] {
          set(line->text());
          line->setText(PropertyText(Object(), name));
        });
        editor = line;
        break;
      }
      case Kind::Real: {
        auto* spin = new QDoubleSpinBox(body);
        spin->setDecimals(3);
        spin->setRange(std::max(info.minimum, -1e12), std::min(info.maximum, 1e12));
        connect(spin, &QDoubleSpinBox::valueChanged, this, [set](double value) { set(QString::number(value, 'g', 15)); });
        editor = spin;
        break;
      }
      case Kind::Choice: {
        auto* box = new QComboBox(body);
        box->addItems(info.choices);
        connect(box, &QComboBox::activated, this, [set, box](int index) { set(box->itemText(index)); });
        editor = box;
        break;
      }
    }
    editor->setObjectName(name);
    editor->setToolTip(info.blurb);
    editor->setEnabled(info.writable);
    form_->addRow(info.nick.isEmpty() ? name : info.nick, editor);
  }
  Reload();
}

void TPropertyEditor::Reload() {
  for (const TPropertyInfo& info : PropertiesOf(Object())) {
    QWidget* editor = findChild<QWidget*>(info.name);
    if (!editor) continue;
    const QString text = PropertyText(Object(), info.name);
    const QSignalBlocker quiet(editor);
    if (auto* box = qobject_cast<QCheckBox*>(editor))
      box->setChecked(text == "true");
    else if (auto* spin = qobject_cast<QSpinBox*>(editor))
      spin->setValue(text.toInt());
    else if (auto* real = qobject_cast<QDoubleSpinBox*>(editor))
      real->setValue(text.toDouble());
    else if (auto* list = qobject_cast<QComboBox*>(editor))
      list->setCurrentIndex(list->findText(text));
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
      line->setText(text);
  }
}

// --- Inputs, tuner, TV sound -----------------------------------------------------------------

TCrossbarDialog::TCrossbarDialog(const QString& device, TCrossbar& crossbar, QWidget* parent)
    : QDialog(parent), crossbar_(crossbar) {
  QVBoxLayout* layout =
      Frame(*this, Text(texts::kDialogCrossbarTitle).arg(device), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* form = new QFormLayout;
  list_ = new QComboBox(this);
  list_->setObjectName("inputs");
  for (int route = 0; route < crossbar_.GetInputCount(); ++route) list_->addItem(crossbar_.GetInputName(route).value_or(QString()));
  list_->setCurrentIndex(crossbar_.GetInputIndex());
  form->addRow(Text(texts::kDialogCrossbarInput), list_);
  Insert(layout, form);
}

bool TCrossbarDialog::Apply() { return crossbar_.SetInputIndex(list_->currentIndex()); }

TTunerDialog::TTunerDialog(const QString& device, ITvTuner& tuner, QWidget* parent) : QDialog(parent) {
  QVBoxLayout* layout = Frame(*this, Text(texts::kDialogTunerTitle).arg(device), QDialogButtonBox::Close);
  auto* form = new QFormLayout;
  auto* standards = new QComboBox(this);
  standards->setObjectName("standard");
  for (const std::string& name : tuner.Standards()) standards->addItem(QString::fromStdString(name));
  standards->setCurrentIndex(tuner.Standard());
  connect(standards, &QComboBox::activated, this, [&tuner](int index) { tuner.SetStandard(index); });
  form->addRow(Text(texts::kDialogTunerStandard), standards);
  std::uint32_t frequency = 0;
  if (tuner.Frequency(frequency)) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName("frequency");
    spin->setRange(44000, 958000);
    spin->setSingleStep(250);
    spin->setValue(int(frequency));
    auto* signal = new QProgressBar(this);
    signal->setObjectName("signal");
    signal->setRange(0, 100);
    signal->setValue(std::max(0, tuner.Signal()));
    connect(spin, &QSpinBox::editingFinished, this, [&tuner, spin, signal] {
      tuner.SetFrequency(std::uint32_t(spin->value()));
      signal->setValue(std::max(0, tuner.Signal()));
    });
    form->addRow(Text(texts::kDialogTunerFrequency), spin);
    form->addRow(Text(texts::kDialogTunerSignal), signal);
  }
  Insert(layout, form);
}

TTvAudioDialog::TTvAudioDialog(const QString& device, ITvTuner& tuner, QWidget* parent) : QDialog(parent) {
  QVBoxLayout* layout = Frame(*this, Text(texts::kDialogTvAudioTitle).arg(device), QDialogButtonBox::Close);
  auto* form = new QFormLayout;
  auto* modes = new QComboBox(this);
  modes->setObjectName("audmode");
  for (const std::string& name : tuner.AudioModes()) modes->addItem(QString::fromStdString(name));
  modes->setCurrentIndex(tuner.AudioMode());
  connect(modes, &QComboBox::activated, this, [&tuner](int index) { tuner.SetAudioMode(index); });
  form->addRow(Text(texts::kDialogTvAudioMode), modes);
  Insert(layout, form);
}
