// The main window's options panel: its controls loaded from the parameters
// and saved back, the reactions that keep the parameters current, the
// discovery of the MPEG-4 and MP3 encoders, the MP3 bitrate kept in a
// setting of its own, and the Windows Media profile list.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>

#include "app/captureform.h"
#include "app/foldernaming.h"
#include "app/sourceselection.h"
#include "capture/captureengine.h"
#include "capture/mediamodule.h"
#include "capture/wmvprofiles.h"
#include "media/formats/dsfunctions.h"
#include "platform/gstreamer.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/optionsframe.h"
#include "ui/settingsdialogs.h"
#include "ui/sourcesframe.h"

Q_LOGGING_CATEGORY(lcOptions, "tessivo.options")

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

constexpr char kBitrateKey[] = "Bitrate";

// The check boxes and the parameter each one keeps.
struct CheckRow {
  QCheckBox* TOptionsFrame::*box;
  TBooleanParameter* TParameters::*parameter;
};
constexpr CheckRow kChecks[] = {
    {&TOptionsFrame::cbConfirmerVideo, &TParameters::ConfirmerVideo},
    {&TOptionsFrame::cbConfirmerImage, &TParameters::ConfirmerImage},
    {&TOptionsFrame::cbMpeg2Ratio, &TParameters::Mpeg2RatioNormal},
    {&TOptionsFrame::cbScn, &TParameters::Scn},
    {&TOptionsFrame::cbDemiSiDivx, &TParameters::DVDemiSiDivX},
    {&TOptionsFrame::cbDeinterlace, &TParameters::InternalDeinterlacer},
    {&TOptionsFrame::cbFrequenceNative, &TParameters::FrequenceDVNative},
    {&TOptionsFrame::cbGarderFormatDV, &TParameters::GarderFormatDV},
    {&TOptionsFrame::cbDemiTaille, &TParameters::DemiTaille},
    {&TOptionsFrame::cbProfilParDefaut, &TParameters::ProfilParDefaut},
    {&TOptionsFrame::cbNotifier, &TParameters::Notifier},
    {&TOptionsFrame::cbActiverSuperposition, &TParameters::ActiverSuperposition},
    {&TOptionsFrame::cbMp3, &TParameters::WantMp3},
};

}  // namespace

// --- Reactions --------------------------------------------------------------------------

void TCaptureForm::BuildOptions() {
  TOptionsFrame& o = *optionsFrame_;
  // The boxes whose parameter simply follows them ("Demi Taille" waits for
  // the save at exit: it applies from the next start).
  for (const CheckRow& row : kChecks) {
    if (row.box == &TOptionsFrame::cbDemiTaille) continue;
    connect(o.*row.box, &QCheckBox::toggled, this, [this, row](bool on) {
      if (TBooleanParameter* parameter = parameters_.*row.parameter) parameter->value = on;
    });
  }
  connect(o.cbNotifier, &QCheckBox::toggled, this, [this](bool on) {
    notifierChoice_ = on;
    if (selection_) selection_->SetDeviceLostHandler(!on);
  });
  connect(o.cbActiverSuperposition, &QCheckBox::toggled, this, &TCaptureForm::ActiverSuperpositionChanged);
  connect(o.cbProfilParDefaut, &QCheckBox::toggled, this, &TCaptureForm::ProfilParDefautClick);
  connect(o.cbMp3, &QCheckBox::toggled, this, [this] { ShowMp3Controls(); });
  connect(o.rgPrefMode, &QButtonGroup::idClicked, this, [this](int mode) {
    preferences_->SetMode(static_cast<TSavePreferences>(mode), ModeOrigin::User);
  });
  connect(o.rgVersion, &QButtonGroup::idClicked, this, [this] { FillWmvProfiles(); });
  connect(o.cbProfils, &QComboBox::currentIndexChanged, this, [this](int position) {
    if (position < 0) return;
    if (parameters_.ProfilWmvFavori) parameters_.ProfilWmvFavori->value = optionsFrame_->cbProfils->currentText();
    if (parameters_.ProfilWindowsMedia) parameters_.ProfilWindowsMedia->value = optionsFrame_->cbProfils->currentText();
  });
  connect(o.cbDivx, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0 || optionsLoading_) return;
    BindCompressor(index);
    if (parameters_.DivxFavori) parameters_.DivxFavori->value = optionsFrame_->cbDivx->currentText();
  });
  connect(o.btProprietes, &QPushButton::clicked, this, [this] { EditEncoder(false); });
  connect(o.btVersion, &QPushButton::clicked, this, &TCaptureForm::ShowCompressorVersion);
  connect(o.btAvance, &QPushButton::clicked, this, [this] { EditEncoder(true); });
  connect(o.cbBitrate, &QComboBox::currentTextChanged, this, &TCaptureForm::BitrateChanged);
  connect(o.rgRatioDivx, &QButtonGroup::idClicked, this, [this](int index) {
    if (parameters_.RatioDivX) parameters_.RatioDivX->value = static_cast<std::uint8_t>(index);
  });
  connect(o.rgExtension, &QButtonGroup::idClicked, this, &TCaptureForm::rgExtensionClick);
  connect(o.tbQualite, &QSlider::valueChanged, this,
          [this](int value) { optionsFrame_->labQualite->setText(QString::number(value)); });
  connect(o.rgStandard, &QButtonGroup::idClicked, this, [this](int index) {
    if (parameters_.StandardDV) parameters_.StandardDV->value = static_cast<std::uint8_t>(index);
  });
  connect(o.rgFrequence, &QButtonGroup::idClicked, this, [this](int index) {
    if (parameters_.FrequenceDV) parameters_.FrequenceDV->value = static_cast<std::uint8_t>(index + 1);
  });
  connect(o.rgRatioDV, &QButtonGroup::idClicked, this, [this](int index) {
    if (parameters_.RatioDV) parameters_.RatioDV->value = static_cast<std::uint8_t>(index);
  });
  connect(o.leNoDatecode, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (parameters_.NoDatecode) parameters_.NoDatecode->value = text;
  });
  // The profile pop-up menu of the capture format list.
  sourcesFrame_->cbFormatCapture->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(sourcesFrame_->cbFormatCapture, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu* menu = WmvProfileMenu();
    if (!menu->isEmpty()) menu->popup(sourcesFrame_->cbFormatCapture->mapToGlobal(at));
  });
}

void TCaptureForm::acOptionsFrameExecute(QObject*) { ShowPanel(pnOptions); }

void TCaptureForm::ProfilParDefautClick(bool on) {
  if (parameters_.ProfilParDefaut) parameters_.ProfilParDefaut->value = on;
  optionsFrame_->gbProfilsDefaut->setVisible(on);
  optionsFrame_->gbProfils->setVisible(!on);
}

// The MP3 controls offered with the encoder (and, for the DivX capture's
// sound, with a compressor); the note otherwise.
void TCaptureForm::ShowMp3Controls() {
  TOptionsFrame& o = *optionsFrame_;
  const bool both = mp3Available_ && divxAvailable_;
  o.cbMp3->setVisible(both);
  o.cbBitrate->setVisible(both);
  o.btAvance->setVisible(both);
  o.gbMp3->setVisible(mp3Available_ && o.cbMp3->isChecked());
  o.labMp3Note->setVisible(!mp3Available_);
}

// --- Loading and saving -------------------------------------------------------------

void TCaptureForm::LoadOptions() {
  TOptionsFrame& o = *optionsFrame_;
  optionsLoading_ = true;
  for (const CheckRow& row : kChecks)
    if (const TBooleanParameter* parameter = parameters_.*row.parameter) {
      const QSignalBlocker quiet(o.*row.box);
      (o.*row.box)->setChecked(parameter->value);
    }
  if (parameters_.QualiteJpeg) {
    o.tbQualite->setValue(std::clamp<int>(parameters_.QualiteJpeg->value, 1, 100));
    o.labQualite->setText(QString::number(o.tbQualite->value()));
  }
  const int extension = parameters_.ExtensionDesImages ? std::clamp<int>(parameters_.ExtensionDesImages->value, 0, 1) : 0;
  TOptionsFrame::Select(o.rgExtension, extension);
  o.gbQualite->setVisible(extension == 1);
  if (parameters_.NoDatecode) {
    const QSignalBlocker quiet(o.leNoDatecode);
    o.leNoDatecode->setText(parameters_.NoDatecode->value);
  }
  const auto radio = [](QButtonGroup* group, int value) { TOptionsFrame::Select(group, value); };
  if (parameters_.StandardDV) radio(o.rgStandard, parameters_.StandardDV->value);
  // "FrequenceDV" counts from 1; anything else is 44.1 kHz.
  if (parameters_.FrequenceDV) {
    const int frequency = parameters_.FrequenceDV->value;
    radio(o.rgFrequence, frequency >= 1 && frequency <= 3 ? frequency - 1 : 1);
  }
  if (parameters_.RatioDV) radio(o.rgRatioDV, parameters_.RatioDV->value);
  if (parameters_.RatioDivX) radio(o.rgRatioDivx, parameters_.RatioDivX->value);
  if (parameters_.ProfileWmv) radio(o.rgProfilDefaut, parameters_.ProfileWmv->value);
  if (parameters_.VersionWmv) radio(o.rgVersion, std::clamp<int>(parameters_.VersionWmv->value, 0, 2));
  ProfilParDefautClick(o.cbProfilParDefaut->isChecked());
  ActiverSuperpositionChanged(o.cbActiverSuperposition->isChecked());
  notifierChoice_ = o.cbNotifier->isChecked();
  optionsLoading_ = false;
  TOptionsFrame::Select(o.rgPrefMode, static_cast<int>(parameterList_->mode()));
}

void TCaptureForm::SaveOptions() {
  TOptionsFrame& o = *optionsFrame_;
  for (const CheckRow& row : kChecks)
    if (TBooleanParameter* parameter = parameters_.*row.parameter) parameter->value = (o.*row.box)->isChecked();
  const auto position = [](const QButtonGroup* group, int fallback) {
    const int selected = TOptionsFrame::Selected(group);
    return static_cast<std::uint8_t>(selected < 0 ? fallback : selected);
  };
  if (parameters_.QualiteJpeg) parameters_.QualiteJpeg->value = o.tbQualite->value();
  if (parameters_.StandardDV) parameters_.StandardDV->value = position(o.rgStandard, 0);
  if (parameters_.FrequenceDV) parameters_.FrequenceDV->value = position(o.rgFrequence, 1) + 1;
  if (parameters_.RatioDV) parameters_.RatioDV->value = position(o.rgRatioDV, 0);
  if (parameters_.RatioDivX) parameters_.RatioDivX->value = position(o.rgRatioDivx, 0);
  if (parameters_.ProfileWmv) parameters_.ProfileWmv->value = position(o.rgProfilDefaut, 1);
  if (parameters_.VersionWmv) parameters_.VersionWmv->value = position(o.rgVersion, 2);
  if (parameters_.NoDatecode) parameters_.NoDatecode->value = o.leNoDatecode->text();
}

// --- Discovery ------------------------------------------------------------------------

void TCaptureForm::PopulateOptions() {
  TOptionsFrame& o = *optionsFrame_;
  optionsLoading_ = true;
  compressors_.clear();
  std::vector<TCompressorEntry> installed =
      environment_.listCompressors ? environment_.listCompressors() : std::vector<TCompressorEntry>{};
  if (!environment_.listCompressors) ListMpeg4Compressors(installed);
  QStringList names;
  for (const TCompressorEntry& entry : installed) names << entry.name;
  const TCompressorChoice choice = FilterCompressorNames(names);
  for (const QString& kept : choice.kept)
    for (const TCompressorEntry& entry : installed)
      if (entry.name == kept) {
        compressors_.push_back(entry);
        break;
      }
  divxAvailable_ = !compressors_.empty();
  {
    const QSignalBlocker quiet(o.cbDivx);
    o.cbDivx->clear();
    o.cbDivx->addItems(choice.kept);
  }
  if (divxAvailable_) {
    const int favourite = parameters_.DivxFavori ? o.cbDivx->findText(parameters_.DivxFavori->value) : -1;
    const int index = favourite >= 0 ? favourite : choice.defaultIndex;
    const QSignalBlocker quiet(o.cbDivx);
    o.cbDivx->setCurrentIndex(index);
    BindCompressor(index);
  }
  o.PageControl->setTabVisible(o.PageControl->indexOf(o.tsDivx), divxAvailable_);

  mp3Available_ = environment_.mp3Available ? environment_.mp3Available() : gst::FactoryExists("lamemp3enc");
  if (mp3Available_ && environment_.engine && environment_.engine->context.dm) {
    TFilterSlot& mp3 = environment_.engine->context.dm->mp3;
    if (mp3.empty() && mp3.Load("lamemp3enc")) gst_util_set_object_arg(G_OBJECT(mp3.get()), "target", "bitrate");
  }
  ShowMp3Controls();
  if (mp3Available_) {
    const std::unique_ptr<QSettings> settings = Mp3Settings();
    bool whole = false;
    const int bitrate = settings->value(kBitrateKey).toInt(&whole);
    // A stored rate the list does not offer leaves the list as it is.
    if (whole && o.cbBitrate->findText(QString::number(bitrate)) >= 0) {
      const QSignalBlocker quiet(o.cbBitrate);
      o.cbBitrate->setCurrentText(QString::number(bitrate));
      ApplyBitrate(bitrate);
    }
  }
  optionsLoading_ = false;
}

// The DivX slot holds a new encoder of the compressor chosen.
void TCaptureForm::BindCompressor(int index) {
  if (index < 0 || index >= int(compressors_.size()) || !environment_.engine || !environment_.engine->context.dm) return;
  Tdm& dm = *environment_.engine->context.dm;
  dm.fg.RemoveFilter(dm.divx.get());
  if (!dm.divx.Load(compressors_[index].factory))
    qCWarning(lcOptions) << "the compressor" << compressors_[index].name << "cannot be made";
  dm.divxFourCC = compressors_[index].fourcc;
}

std::unique_ptr<QSettings> TCaptureForm::Mp3Settings() const {
  if (!environment_.mp3SettingsFile.isEmpty())
    return std::make_unique<QSettings>(environment_.mp3SettingsFile, QSettings::IniFormat);
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Orbelin", "Tessivo MP3");
}

void TCaptureForm::BitrateChanged(const QString& text) {
  if (optionsLoading_) return;
  bool whole = false;
  const int bitrate = text.toInt(&whole);
  if (!whole) {
    optionsFrame_->cbBitrate->setCurrentText(Text(texts::kOptBitrateDefault));
    return;
  }
  const std::unique_ptr<QSettings> settings = Mp3Settings();
  settings->setValue(kBitrateKey, bitrate);
  settings->sync();
  if (settings->status() != QSettings::NoError) qCWarning(lcOptions) << "the MP3 bitrate could not be kept";
  ApplyBitrate(bitrate);
}

void TCaptureForm::ApplyBitrate(int bitrate) {
  if (!environment_.engine || !environment_.engine->context.dm) return;
  if (GstElement* mp3 = environment_.engine->context.dm->mp3.get()) g_object_set(mp3, "bitrate", bitrate, nullptr);
}

// "Propriétés" and "Avancé": the encoder's own settings.
void TCaptureForm::EditEncoder(bool mp3) {
  if (!environment_.engine || !environment_.engine->context.dm) return;
  Tdm& dm = *environment_.engine->context.dm;
  GstElement* encoder = mp3 ? dm.mp3.get() : dm.divx.get();
  if (!encoder) return;
  TPropertyEditor dialog(QString::fromUtf8(GST_OBJECT_NAME(encoder)), G_OBJECT(encoder), this);
  if (environment_.runDialog)
    environment_.runDialog(dialog);
  else
    dialog.exec();
}

// "version": the factory and its plug-in, as GStreamer knows them.
void TCaptureForm::ShowCompressorVersion() {
  const int index = optionsFrame_->cbDivx->currentIndex();
  if (index < 0 || index >= int(compressors_.size())) return;
  const gst::FactoryPtr factory(gst_element_factory_find(compressors_[index].factory.c_str()));
  if (!factory) return;
  const gst::GObjectPtr<GstPlugin> plugin(gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory.get())));
  const auto text = [](const char* value) { return QString::fromUtf8(value ? value : ""); };
  QString about = text(gst_element_factory_get_metadata(factory.get(), GST_ELEMENT_METADATA_LONGNAME)) + " (" +
                  QString::fromStdString(compressors_[index].factory) + ")";
  if (plugin.get())
    about += "\n" + text(gst_plugin_get_name(plugin.get())) + " " + text(gst_plugin_get_version(plugin.get())) + "\n" +
             text(gst_plugin_get_license(plugin.get())) + " - " + text(gst_plugin_get_origin(plugin.get()));
  ShowInformation(about);
}

// --- Windows Media profiles ---------------------------------------------------------

void TCaptureForm::FillWmvProfiles() {
  TOptionsFrame& o = *optionsFrame_;
  const QSignalBlocker quiet(o.cbProfils);
  o.cbProfils->clear();
  if (!windowsMediaAvailable_) return;
  const int version = std::max(0, TOptionsFrame::Selected(o.rgVersion));
  if (parameters_.VersionWmv) parameters_.VersionWmv->value = version;
  for (const TWmvProfile& profile : WmvProfiles(version)) o.cbProfils->addItem(profile.name);
  o.cbProfils->setCurrentIndex(0);
}

void TCaptureForm::SelectFavouriteWmvProfile() {
  TOptionsFrame& o = *optionsFrame_;
  const int favourite = parameters_.ProfilWmvFavori ? o.cbProfils->findText(parameters_.ProfilWmvFavori->value) : -1;
  const QSignalBlocker quiet(o.cbProfils);
  o.cbProfils->setCurrentIndex(favourite >= 0 ? favourite : (o.cbProfils->count() ? 0 : -1));
}

int TCaptureForm::SelectedWmvProfileRow() const {
  if (!windowsMediaAvailable_) return -1;
  const TOptionsFrame& o = *optionsFrame_;
  return SelectedWmvProfile(std::max(0, TOptionsFrame::Selected(o.rgVersion)), o.cbProfilParDefaut->isChecked(),
                            std::max(0, TOptionsFrame::Selected(o.rgProfilDefaut)), o.cbProfils->currentIndex());
}

int TCaptureForm::Mp3Kbps() const {
  bool whole = false;
  const int kbps = optionsFrame_->cbBitrate->currentText().toInt(&whole);
  return whole && kbps > 0 ? kbps : 128;
}

void TCaptureForm::SelectWmvProfile(int position) {
  if (position >= 0 && position < optionsFrame_->cbProfils->count()) optionsFrame_->cbProfils->setCurrentIndex(position);
}

QMenu* TCaptureForm::WmvProfileMenu() {
  if (!wmvMenu_) wmvMenu_ = new QMenu(this);
  wmvMenu_->clear();
  for (int position = 0; position < optionsFrame_->cbProfils->count(); ++position) {
    QAction* item = wmvMenu_->addAction(optionsFrame_->cbProfils->itemText(position));
    item->setCheckable(true);
    item->setChecked(position == optionsFrame_->cbProfils->currentIndex());
    connect(item, &QAction::triggered, this, [this, position] { SelectWmvProfile(position); });
  }
  return wmvMenu_;
}
