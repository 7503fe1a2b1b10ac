#include "app/captureform.h"

#include "app/applicationmanager.h"
#include "app/aproposframe.h"
#include "app/erreurframe.h"
#include "app/raccourcisform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLoggingCategory>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/identity.h"
#include "app/layout.h"
#include "app/foldernaming.h"
#include "app/previewsession.h"
#include "app/sourceselection.h"
#include "control/sessioncontrol.h"
#include "capture/captureengine.h"
#include "capture/preview.h"
#include "control/capturejournal.h"
#include "media/formats/avirepair.h"
#include "platform/screensaver.h"
#include "platform/shellutils.h"
#include "platform/trace.h"
#include "settings/conversions.h"
#include "texts.h"
#include "control/schedule.h"
#include "media/filters/vx_superposer.h"
#include "ui/dossiersframe.h"
#include "ui/programmerframe.h"
#include "ui/extraireframe.h"
#include "ui/listeframe.h"
#include "ui/incrusterframe.h"
#include "ui/optionsframe.h"
#include "capture/wmvprofiles.h"
#include "ui/textgauge.h"
#include "control/stillgrab.h"
#include "control/cpuload.h"
#include "ui/saveprefsform.h"
#include "ui/sourcesframe.h"
#include "ui/plaque.h"
#include "ui/videowindow.h"

Q_LOGGING_CATEGORY(lcStartup, "tessivo.startup")

using trace::TraceLine;

namespace {

constexpr int kSidePanelCount = 9;  // sources to about, numbered as "Panneau actif"
constexpr int kStatusPanelCount = 4;
constexpr int kToolbarHeight = 40;
constexpr int kButtonRowHeight = 40;
constexpr int kCamcorderWindowWidth = 568;
constexpr int kCamcorderWindowHeight = 132;

}  // namespace

FormEnvironment FormEnvironment::ForThisProgram() {
  FormEnvironment environment;
  environment.locations = PreferenceLocations::ForThisProgram();
  environment.defaults = ParameterDefaults::ForThisUser(QCoreApplication::applicationDirPath());
  return environment;
}

TCaptureForm::TCaptureForm(FormEnvironment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)) {
  BuildWidgets();
  BuildCamcorders();
  TOrbelinPreferences::ModeChooser chooser = environment_.chooseSaveMode;
  if (!chooser) {
    chooser = [this](const QString& caption) {
      TSavePrefsForm dialog(this);
      return dialog.Ask(caption);
    };
  }
  preferences_ = std::make_unique<TOrbelinPreferences>(environment_.locations, chooser);
  preferences_->OnChangeMode = [this](TSavePreferences mode) { gpChangeMode(mode); };
  preferences_->OnLoadPrefs = [this] { gpLoadPrefs(); };
  preferences_->OnSavePrefs = [this] { gpSavePrefs(); };
  CreateCommands();
  CreateApplicationManagerCommands();
  BuildSessionControl();
  BuildSchedule();
  BuildGrab();
  BuildListe();
  BuildIncruster();
  BuildOptions();
  BuildDisplay();
  FormCreate();
}

TCaptureForm::~TCaptureForm() { FormDestroy(); }

QWidget* TCaptureForm::videoArea() const { return videoArea_; }
QWidget* TCaptureForm::sidePanels() const { return sidePanels_; }

void TCaptureForm::BuildWidgets() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  setMinimumSize(kMinimumWindowWidth, kMinimumWindowHeight);

  actionsToolbar_ = new QToolBar(central);
  actionsToolbar_->setObjectName("actionsToolbar");
  panelsToolbar_ = new QToolBar(central);
  panelsToolbar_->setObjectName("panelsToolbar");

  videoArea_ = new QFrame(central);
  videoArea_->setObjectName("videoArea");
  videoArea_->setFrameShape(QFrame::StyledPanel);
  videoArea_->setAutoFillBackground(true);
  QPalette areaPalette = videoArea_->palette();
  areaPalette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
  videoArea_->setPalette(areaPalette);

  // The inner panel the picture is fitted in; the frame shows around it.
  videoDisplay_ = new QFrame(videoArea_);
  videoDisplay_->setObjectName("videoDisplay");
  if (environment_.engine) {
    preview_ = std::make_unique<TPreviewSession>(*environment_.engine, environment_.simulatedDevices);
    connect(preview_.get(), &TPreviewSession::problem, this, &TCaptureForm::ShowProblem);
    videoWindow_ = new TVideoWindow(environment_.engine->renderer(), videoDisplay_);
    videoWindow_->setObjectName("videoWindow");
  }

  buttonRow_ = new QWidget(central);
  buttonRow_->setObjectName("buttonRow");

  sidePanels_ = new QStackedWidget(central);
  sidePanels_->setObjectName("sidePanels");
  sidePanels_->setFrameShape(QFrame::StyledPanel);
  sourcesFrame_ = new TSourcesFrame(sidePanels_);
  dossiersFrame_ = new TDossiersFrame(sidePanels_);
  sidePanels_->addWidget(sourcesFrame_);
  sidePanels_->addWidget(dossiersFrame_);
  programmerFrame_ = new TProgrammerFrame(sidePanels_);
  sidePanels_->addWidget(programmerFrame_);
  extraireFrame_ = new TExtraireFrame(sidePanels_);
  listeFrame_ = new TListeFrame(sidePanels_);
  incrusterFrame_ = new TIncrusterFrame(sidePanels_);
  optionsFrame_ = new TOptionsFrame(sidePanels_);
  for (int panel = pnSchedule + 1; panel < kSidePanelCount; ++panel) {
    if (panel == pnImageExtraction)
      sidePanels_->addWidget(extraireFrame_);
    else if (panel == pnOverlay)
      sidePanels_->addWidget(incrusterFrame_);
    else if (panel == pnOptions)
      sidePanels_->addWidget(optionsFrame_);
    else if (panel == pnCapturedFiles)
      sidePanels_->addWidget(listeFrame_);
    else if (panel == pnAbout)
      sidePanels_->addWidget(aproposFrame_ = new TAproposFrame(sidePanels_));
    else
      sidePanels_->addWidget(new QWidget(sidePanels_));
  }
  BuildSourceSelection();

  for (int i = 0; i < kStatusPanelCount; ++i) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("statusPanel%1").arg(i));
    // Each text centred; names are shown as they are, never as mark-up.
    panel->setAlignment(Qt::AlignCenter);
    panel->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(panel);
    statusPanels_ << panel;
  }
  statusBar()->setSizeGripEnabled(false);
  resize(kMinimumWindowWidth, kMinimumWindowHeight);
}

void TCaptureForm::BuildSourceSelection() {
  const auto showPanel = [this](int panel) {
    if (IsPanelNumber(panel)) sidePanels_->setCurrentIndex(panel);
  };
  TFolderHooks folderHooks;
  folderHooks.showPanel = [this, showPanel](int panel) {
    if (TCustomSuperAction* action = al_.FindByObjectName(panel == pnSources ? "acSourcesFrame" : "acDossiersFrame");
        action && (panel == pnSources || panel == pnFolders))
      action->Execute();
    else
      showPanel(panel);
  };
  folderHooks.openFolder = [this](const QString& folder) { OpenDocument(folder); };
  folderHooks.videoGauge = [this](std::int64_t totalMB) { listeFrame_->tgVideo->SetMaximum(totalMB); };
  folderHooks.imageGauge = [this](std::int64_t totalMB, std::int64_t usedMB) {
    listeFrame_->tgImage->SetMaximum(totalMB);
    listeFrame_->tgImage->SetValue(usedMB);
  };
  folderHooks.imageShown = [this](const QString& text, const QString& path) {
    extraireFrame_->destlabel->setText(text);
    extraireFrame_->destlabel->setToolTip(path);
  };
  folderHooks.MajStatusTextes = [this] { MajStatusTextes(); };
  folderHooks.tell = [this](const QString& text) { ShowProblem(text); };
  folderHooks.inform = [this](const QString& text) { ShowInformation(text); };
  folderNaming_ = std::make_unique<TFolderNaming>(*dossiersFrame_, *sourcesFrame_, parameters_, folderHooks);
  if (!preview_) return;
  TSelectionHooks hooks;
  hooks.tell = [this](const QString& text) { ShowProblem(text); };
  hooks.formatChanged = [this](int code) { folderNaming_->SetCaptureFormat(code); };
  hooks.showOptionsPage = [this](int page) { ShowOptionsPage(page); };
  hooks.ApplyPreviewLock = [this] { ApplyPreviewLock(); };
  hooks.layoutVideoArea = [this] { LayOutVideo(); };
  hooks.enableFreezeCapture = [this](bool enabled) { Command("taFreezeCapture")->setEnabled(enabled); };
  hooks.runDialog = environment_.runDialog;
  hooks.capturing = [this] { return control_ && control_->capturing(); };
  hooks.ArreterCapture = [this] {
    if (control_ && control_->capturing()) {
      control_->ArreterCapture();
      AfficherPreview();
    }
  };
  hooks.CloreFichier = [this] {
    if (control_) control_->CloreFichier();
  };
  hooks.MajStatusTextes = [this] { MajStatusTextes(); };
  // The presence of each source: what can be done with it shown or not.
  const auto video = [this](bool present) {
    sourcesFrame_->sbVideoSettings->setVisible(present);
    sourcesFrame_->LabVideo->setVisible(present);
    // No picture, no stills: the interval timer stops with its source.
    if (TCustomSuperAction* grab = al_.FindByObjectName("saGrab")) grab->setEnabled(present);
    if (!present && extraireFrame_->RxSwitch1->isChecked()) {
      extraireFrame_->RxSwitch1->setChecked(false);
      ExtraireFrame1RxSwitch1Click();
    }
    extraireFrame_->RxSwitch1->setEnabled(present);
    streamIsWide_ = false;
    // Without a picture, the sound alone can still pause.
    if (!present) Command("taFreezeCapture")->setEnabled(true);
    ShowOverlayControls(present);
    ApplyIncrust();
    EnableCapture();
  };
  const auto audio = [this](bool present) {
    sourcesFrame_->sbAudioSettings->setVisible(present);
    sourcesFrame_->LabAudio->setVisible(present);
    EnableCapture();
  };
  hooks.SourceVideoPresente = [video] { video(true); };
  hooks.SourceVideoAbsente = [video] { video(false); };
  hooks.SourceAudioPresente = [audio] { audio(true); };
  hooks.SourceAudioAbsente = [audio] { audio(false); };
  hooks.AfficherPreview = [this] {
    if (!control_ || !control_->capturing()) AfficherPreview();
  };
  selection_ = std::make_unique<TSourceSelection>(*preview_, *sourcesFrame_, parameters_, std::move(hooks));
  selection_->SetStartingUp([this] { return startupFlag_; });
}

bool TCaptureForm::RunGuarded(const char* chain, std::initializer_list<Step> steps) {
  const Step* current = nullptr;
  try {
    for (const Step& step : steps) {
      current = &step;
      if (environment_.beforeStep) environment_.beforeStep(QString::fromLatin1(step.name));
      step.run();
    }
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcStartup) << chain << "stopped at" << current->name << ":" << error.what();
  } catch (...) {
    qCWarning(lcStartup) << chain << "stopped at" << current->name;
  }
  return false;
}

// --- Creation -------------------------------------------------------------

void TCaptureForm::FormCreate() {
  trace::TraceOpen(shell::PersonalFolder() + "/tessivo.txt");
  TraceLine(identity::VersionTraceLine());
  TraceLine("Enter FormCreate");
  preferences_->titre = identity::kProductName;
  preferences_->version = identity::PreferenceVersionText();
  parameterList_ = std::make_unique<TparameterList>(identity::PreferenceSignature(), environment_.locations);
  sharedList_.clear();
  startupFlag_ = true;
  // The volume and interval-grab keys, and the captured-file list, are set up
  // by their actions and panel when those exist.
  TraceLine("Exit FormCreate");
}

// --- Show -----------------------------------------------------------------

void TCaptureForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  preferences_->ShowHook([this] { FormShow(); });
  // The deferred chain runs once, on the first turn of the event loop after
  // the window is on screen.
  QTimer::singleShot(0, this, &TCaptureForm::AppEventsIdle);
}

void TCaptureForm::FormShow() {
  TraceLine("Enter FormShow");
  videoDisplay_->show();
  setWindowTitle(identity::MainWindowCaption());
  aproposFrame_->InitApropos(identity::FullTitle(), identity::BuildDateText());
  ChargerPrefs1();
  AnnulerAlarme();
  AfficherPreview();
  RefreshGauges();
  if (TCustomSuperAction* folder = al_.FindByObjectName("acOuvrirDossierVideos"))
    folder->setToolTip(QString::fromUtf8(texts::kCommandOpenVideosHint));
  TraceLine("Exit FormShow");
}

namespace {

// A step whose panel or object is built by later work: it runs, does nothing
// and traces nothing.
const auto kNotBuiltYet = [] {};

}  // namespace

void TCaptureForm::LandOnSaved(const char* toggle, const TBooleanParameter* saved) {
  TCustomSuperAction* action = Command(toggle);
  action->SetChecked(!(saved && saved->value));
  action->Execute();
}

void TCaptureForm::ChargerPrefs1() {
  TraceLine("Enter ChargerPrefs1");
  RunGuarded("ChargerPrefs1", {
                                  {"loadfromregistry",
                                   [this] {
                                     parameters_ = BuildParameterTable(*parameterList_, environment_.defaults);
                                     TraceLine("loadfromregistry passed");
                                   }},
                                  {"layout",
                                   [this] {
                                     TntFormResize();
                                     const int panel = parameters_.PanneauActif->value;
                                     if (IsPanelNumber(panel)) sidePanels_->setCurrentIndex(panel);
                                     if (parameters_.Volume) {
                                       parameters_.Volume->value = std::clamp(parameters_.Volume->value, 0, kVolumeMaximum);
                                       SetVolume(parameters_.Volume->value);
                                     }
                                   }},
                                  {"Fullscreen",
                                   [this] {
                                     if (parameters_.FullscreenOn && parameters_.FullscreenOn->value)
                                       Command("tafullscreen")->Execute();
                                     TraceLine("Fullscreen passed");
                                   }},
                                  {"ReducedOn",
                                   [this] {
                                     if (parameters_.ReducedOn && parameters_.ReducedOn->value) Command("acReduire")->Execute();
                                     TraceLine("ReducedOn passed");
                                   }},
                                  {"MuteOn",
                                   [this] {
                                     if (parameters_.MuteOn && parameters_.MuteOn->value) Command("taMute")->Execute();
                                     TraceLine("MuteOn passed");
                                   }},
                                  {"cam1", [this] { LoadCamcorderWindow(1); }},
                                  {"cam2", [this] { LoadCamcorderWindow(2); }},
                                  {"DossiersFrame",
                                   [this] {
                                     folderNaming_->Start(QDateTime::currentDateTime());
                                     TraceLine("DossiersFrame passed");
                                   }},
                                  {"SourcesFrame",
                                   [this] {
                                     if (parameters_.Framerate)
                                       sourcesFrame_->leFramerate->setText(
                                           shell::FloatToText(parameters_.Framerate->value));
                                     TraceLine("SourcesFrame passed");
                                   }},
                                  {"SetIncrust",
                                   [this] {
                                     LoadIncruster();
                                     TraceLine("SetIncrust passed");
                                   }},
                                  {"Superposer.setincrust",
                                   [this] {
                                     if (Tvx_Superposer* overlay = Overlay(); overlay && parameters_.IncrustRec)
                                       overlay->setincrust(parameters_.IncrustRec->value);
                                     TraceLine("Superposer.setincrust passed");
                                   }},
                                  {"Superposer.whenincrust",
                                   [this] {
                                     if (!parameters_.WhenIncrust || !parameters_.DureeIncruster) return;
                                     incrusterFrame_->LoadTiming(parameters_.WhenIncrust->value,
                                                                 parameters_.DureeIncruster->value);
                                     if (Tvx_Superposer* overlay = Overlay())
                                       overlay->whenincrust(parameters_.WhenIncrust->value,
                                                            parameters_.DureeIncruster->value);
                                     TraceLine("Superposer.whenincrust passed");
                                   }},
                                  {"Optionsframe",
                                   [this] {
                                     LoadOptions();
                                     // The preference-mode selector follows the mode the
                                     // parameters were loaded with.
                                     preferences_->SetMode(parameterList_->mode(), ModeOrigin::Startup);
                                     TraceLine("Optionsframe passed");
                                   }},
                                  {"Extraireframe",
                                   [this] {
                                     // Hand-edited values come to the nearest valid ones.
                                     if (parameters_.ValeurIntervallometre)
                                       extraireFrame_->RxSpinEdit7->setValue(parameters_.ValeurIntervallometre->value);
                                     if (parameters_.UnitesIntervallometre)
                                       extraireFrame_->cbUnites->setCurrentIndex(
                                           std::clamp<int>(parameters_.UnitesIntervallometre->value, 0, 3));
                                     if (parameters_.Beeps) extraireFrame_->cbBeeps->setChecked(parameters_.Beeps->value);
                                     TraceLine("Extraireframe passed");
                                     raccourcis_->SetSortParameter(parameters_.RaccourcisSort);
                                     raccourcis_->ChargerCommandes(&al_);
                                   }},
                                  // Each freeze set to the other state and executed, so
                                  // that it lands on the saved one.
                                  {"FreezePreview",
                                   [this] {
                                     LandOnSaved("taFreezepreview", parameters_.FreezePreview);
                                     TraceLine("FreezePreview passed");
                                   }},
                                  {"FreezeCapture",
                                   [this] {
                                     LandOnSaved("taFreezeCapture", parameters_.FreezeCapture);
                                     TraceLine("FreezeCapture passed");
                                   }},
                                  {"Exit ChargerPrefs1", [] { TraceLine("Exit ChargerPrefs1"); }},
                              });
}

// --- Deferred start-up ----------------------------------------------------

void TCaptureForm::ChargerPrefs2() {
  TraceLine("Enter ChergerPrefs2");
  RunGuarded("ChargerPrefs2", {
                                  {"optionsframe.populate",
                                   [this] {
                                     PopulateOptions();
                                     TraceLine("optionsframe.populate passed");
                                   }},
                                  {"sourcesexclues",
                                   [this] {
                                     if (selection_ && parameters_.SourcesExclues)
                                       selection_->checkList().Load(parameters_.SourcesExclues->value);
                                   }},
                                  {"wmvprofiles",
                                   [this] {
                                     FillWmvProfiles();
                                     SelectFavouriteWmvProfile();
                                   }},
                                  {"Exit ChargerPrefs2", [] { TraceLine("Exit ChargerPrefs2 OK"); }},
                              });
}

void TCaptureForm::AppEventsIdle() {
  if (idleDone_) return;
  idleDone_ = true;
  TraceLine("Enter AppEventsIdle");
  RunGuarded("AppEventsIdle",
             {
                 {"populatecrossbar", kNotBuiltYet},
                 {"profilemanager", [this] { windowsMediaAvailable_ = WindowsMediaAvailable(); }},
                 {"startuperrors", [this] { startupErrors_.clear(); }},
                 {"ChargerPrefs2", [this] { ChargerPrefs2(); }},
                 {"pluginaddtolist",
                  [this] {
                    if (preview_ && parameters_.PluginsDir) preview_->plugins().PluginAddToList(parameters_.PluginsDir->value);
                    TraceLine("pluginaddtolist passed");
                  }},
                 {"ChargerDrivers",
                  [this] {
                    if (!selection_) return;
                    if (selection_->ChargerDrivers())
                      TraceLine("ChargerDrivers passed");
                    else
                      startupErrors_ += QString::fromUtf8(texts::kCannotLoadVideoSources) + '\n';
                  }},
                 {"sourcesactivated",
                  [this] {
                    sourcesActivated_ = true;
                    if (selection_) selection_->SetDeferredStart(true);
                  }},
                 {"activervideo",
                  [this] {
                    if (!selection_ || !parameters_.SourceVideo) return;
                    selection_->ActiverVideo(parameters_.SourceVideo->value);
                    TraceLine("activervideo passed");
                  }},
                 {"activeraudio",
                  [this] {
                    if (!selection_ || !parameters_.SourceAudio) return;
                    selection_->ActiverAudio(parameters_.SourceAudio->value);
                    TraceLine("activeraudio passed");
                  }},
                 {"activerformatcapture",
                  [this] {
                    if (!selection_ || !parameters_.CaptureFormat) return;
                    selection_->ActiverFormatCapture(parameters_.CaptureFormat->value);
                    TraceLine("activerformatcapture passed");
                  }},
                 {"play",
                  [this] {
                    if (!selection_) return;
                    selection_->SetDeferredStart(false);
                    TCaptureEngine& engine = preview_->engine();
                    AppliquerVolume();
                    if (parameters_.Mpeg2RatioNormal) engine.mpeg2RatioNormal = parameters_.Mpeg2RatioNormal->value;
                    if (!engine.previewHasSound) ShowProblem(QString::fromUtf8(texts::kNoSoundOutput));
                    selection_->Play();
                    TraceLine("play passed");
                  }},
                 {"flip",
                  [this] {
                    // Each mirror cleared, then its command sets and applies it again.
                    if (parameters_.WantVertFlip && parameters_.WantVertFlip->value) {
                      parameters_.WantVertFlip->value = false;
                      Command("acVertFlip")->Execute();
                    }
                    if (parameters_.WantHorzFlip && parameters_.WantHorzFlip->value) {
                      parameters_.WantHorzFlip->value = false;
                      Command("acHorzFlip")->Execute();
                    }
                    TraceLine("flip passed");
                  }},
                 {"incruster.execute",
                  [this] {
                    if (parameters_.WantIncrust && parameters_.WantIncrust->value)
                      if (TCustomSuperAction* overlay = al_.FindByObjectName("taIncruster")) overlay->Execute();
                    TraceLine("incruster.execute passed");
                  }},
                 {"images", kNotBuiltYet},
                 {"setsystem", kNotBuiltYet},
                 {"notifier",
                  [this] {
                    // "Notifier" off: the graph's device-lost event is
                    // followed; on: the device changes.
                    notifierChoice_ = !parameters_.Notifier || parameters_.Notifier->value;
                    if (selection_) selection_->SetDeviceLostHandler(!notifierChoice_);
                  }},
                 {"lock",
                  [this] {
                    if (TCustomSuperAction* capture = Command("saCapturerBascule"); capture && capture->isEnabled())
                      for (QToolButton* button : actionsToolbar_->findChildren<QToolButton*>())
                        if (button->defaultAction() == capture) button->setFocus();
                    if (parameters_.PreviewLocked && parameters_.PreviewLocked->value)
                      Command("taLock")->Execute();
                    else
                      ApplyPreviewLock();
                  }},
                 {"erreur",
                  [this] {
                    // Shown in the status bar until the error panel exists.
                    if (!startupErrors_.isEmpty()) {
                      ShowProblem(startupErrors_.trimmed());
                      erreurFrame_->AfficherErreur(startupErrors_.trimmed(), true);
                    }
                    TraceLine("erreur passed");
                  }},
             });
  // Always, whatever failed above.
  if (environment_.inhibitScreenSaver) {
    screenSaver_ = std::make_unique<ScreenSaverInhibitor>();
    screenSaver_->Inhibit(identity::kProductName, QStringLiteral("Capture vidéo"));
  }
  imageByImage_ = false;
  startupFlag_ = false;
  TraceLine("Exit AppEventsIdle");
  OfferRepairs();
  // The command line runs once, when the start-up is over.
  QTimer::singleShot(0, this, &TCaptureForm::RunCommandLine);
}

void TCaptureForm::OfferRepairs() {
  TCaptureJournal journal(environment_.journalPath.isEmpty() ? TCaptureJournal::DefaultPath()
                                                             : environment_.journalPath);
  const QStringList files = journal.Unfinished();
  journal.Clear();
  if (files.isEmpty()) return;
  const bool repair =
      environment_.askRepair
          ? environment_.askRepair(files)
          : QMessageBox::question(this, identity::kProductName,
                                  QString::fromUtf8(texts::kRepairQuestion).arg(files.join('\n'))) == QMessageBox::Yes;
  if (!repair) return;
  QStringList repaired, problems;
  for (const QString& file : files) {
    const TAviRepair result = RepairAvi(file);
    if (result.repaired)
      repaired << QFileInfo(file).fileName();
    else
      problems << QString::fromUtf8(texts::kRepairFailed).arg(file, result.error);
  }
  if (!repaired.isEmpty()) problems.prepend(QString::fromUtf8(texts::kRepairDone).arg(repaired.join(", ")));
  ShowProblem(problems.join(' '));
}

void TCaptureForm::RunCommandLine() {
  if (commandLineDone_) return;
  commandLineDone_ = true;
  obSwitch_.RunArguments(environment_.commandLine);
  switch_.RunArguments(environment_.commandLine);
}

// --- Close ----------------------------------------------------------------

void TCaptureForm::CloseUnattended() {
  unattendedClose_ = true;
  close();
}

void TCaptureForm::closeEvent(QCloseEvent* event) {
  if (!closeHooked_) {
    event->accept();
    return;
  }
  if (!preferences_->CloseQueryHook([this] { FormCloseQuery(); }, unattendedClose_)) {
    // The save question was closed unanswered: the program goes on with
    // its preview rebuilt.
    event->ignore();
    RebuildPreview();
    return;
  }
  closeHooked_ = false;
  event->accept();
}

void TCaptureForm::FormCloseQuery() {
  TraceLine("Enter FormCloseQuery");
  // F2: full screen left; it is kept as it was for the next start.
  if (TCustomSuperAction* full = Command("tafullscreen"); full && full->IsChecked()) {
    full->Execute();
    if (parameters_.FullscreenOn) parameters_.FullscreenOn->value = true;
  }
  // F3: a capture under way is stopped with its files finished.
  if (control_ && control_->capturing()) {
    control_->ArreterCapture();
    AfficherPreview();
  }
  CloseCamcorderWindows();  // F6, before the sources let their decks go
  if (selection_) selection_->ClearSources();  // F4, F5 and F7: video, audio, the graph, the lists
  TraceLine("Exit FormCloseQuery");
}

void TCaptureForm::gpChangeMode(TSavePreferences mode) {
  if (parameterList_) parameterList_->setMode(mode);
}

void TCaptureForm::gpLoadPrefs() { appliMan_->list().LoadFromPrefs(*preferences_); }

void TCaptureForm::gpSavePrefs() {
  SauverPrefs();
  appliMan_->list().SaveToPrefs(*preferences_);
}

void TCaptureForm::RebuildPreview() {
  if (selection_) selection_->ActualiserVideoBtnClick();
}

void TCaptureForm::SauverPrefs() {
  if (!parameterList_ || parameterList_->mode() == TSavePreferences::spNone || !parameters_.FreezeCapture) return;
  try {
    parameters_.PanneauActif->value = static_cast<std::uint8_t>(sidePanels_->currentIndex());
    // The sources shown, also when the close has released them.
    if (const QString video = sourcesFrame_->cboxvideo->currentText(); !video.isEmpty() && parameters_.SourceVideo)
      parameters_.SourceVideo->value = video;
    if (const QString audio = sourcesFrame_->cboxAudio->currentText(); !audio.isEmpty() && parameters_.SourceAudio)
      parameters_.SourceAudio->value = audio;
    if (parameters_.Framerate) {
      const std::optional<double> rate = shell::ParseReal(sourcesFrame_->leFramerate->text());
      parameters_.Framerate->value = rate ? *rate : 18.0;
    }
    folderNaming_->CopyToParameters();
    SaveCamcorderWindows();
    SaveOptions();
    if (parameters_.ValeurIntervallometre)
      parameters_.ValeurIntervallometre->value = extraireFrame_->RxSpinEdit7->value();
    if (parameters_.UnitesIntervallometre)
      parameters_.UnitesIntervallometre->value = extraireFrame_->cbUnites->currentIndex();
    if (selection_ && parameters_.SourcesExclues) parameters_.SourcesExclues->value = selection_->checkList().Excluded();
  } catch (...) {
    qCWarning(lcStartup) << "SauverPrefs: the window state was not all copied";
  }
  if (!SaveParameters(*parameterList_)) qCWarning(lcStartup) << "preferences could not be written";
}

// --- Destruction ----------------------------------------------------------

void TCaptureForm::ShowProblem(const QString& text) {
  qCWarning(lcStartup) << text;
  statusBar()->showMessage(text, 10000);
}

void TCaptureForm::FormDestroy() {
  TraceLine("Enter FormDestroy");
  // The window goes before the renderer it shows.
  delete std::exchange(videoWindow_, nullptr);
  if (preview_) preview_->beforeEvent = nullptr;
  schedule_.reset();
  grabber_.reset();
  control_.reset();
  selection_.reset();
  preview_.reset();
  if (screenSaver_) screenSaver_->Release();
  sharedList_.clear();
  if (raccourcis_) raccourcis_->SetSortParameter(nullptr);
  parameters_ = {};
  parameterList_.reset();
  TraceLine("Exit FormDestroy");
  trace::TraceMark();
}

// --- Layout ---------------------------------------------------------------

void TCaptureForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  TntFormResize();
}

void TCaptureForm::TntFormResize() {
  // The compact window is the picture's area alone.
  if (reduced_) {
    videoArea_->setGeometry(QRect(QPoint(0, 0), centralWidget()->size()));
    videoDisplay_->setGeometry(
        videoArea_->rect().adjusted(kVideoDisplayMargin, kVideoDisplayMargin, -kVideoDisplayMargin, -kVideoDisplayMargin));
    LayOutVideo();
    return;
  }
  MainLayoutInput input;
  input.width = centralWidget()->width();
  input.height = height();
  input.ecranGauche = parameters_.EcranGauche ? parameters_.EcranGauche->value : true;
  input.actionsToolbarWidth = actionsToolbar_->sizeHint().width();
  input.panelsToolbarWidth = panelsToolbar_->sizeHint().width();
  input.toolbarHeight = kToolbarHeight;
  input.buttonRowWidth = buttonRow_->sizeHint().isValid() ? buttonRow_->sizeHint().width() : 0;
  input.buttonRowHeight = kButtonRowHeight;
  input.statusBarHeight = statusBar()->sizeHint().height();
  const MainLayout layout = ComputeMainLayout(input);

  actionsToolbar_->setGeometry(layout.actionsToolbar);
  panelsToolbar_->setGeometry(layout.panelsToolbar);
  videoArea_->setGeometry(layout.videoArea);
  videoDisplay_->setGeometry(layout.videoDisplay.translated(-layout.videoArea.topLeft()));
  buttonRow_->setGeometry(layout.buttonRow);
  sidePanels_->setGeometry(layout.sidePanels);
  for (QLabel* panel : statusPanels_) panel->setFixedWidth(std::max(0, layout.statusPanelWidth));
  LayOutVideo();
}

QRect TCaptureForm::DefaultCamcorderRect() const {
  const QRect frame = frameGeometry();
  return QRect(frame.left(), frame.top() + frame.height(), kCamcorderWindowWidth, kCamcorderWindowHeight);
}

const TCustomOBActionList& TCaptureForm::am() const { return appliMan_->list(); }
