// The main window and the order in which the program comes up and goes down:
// creation, first show with the preferences applied, the deferred start-up
// chain on the first turn of the event loop, close with saving, destruction.
#pragma once

#include <QColor>
#include <QImage>
#include <QDateTime>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

#include "actions/abstractaction.h"
#include "actions/actioncontext.h"
#include "actions/commandengine.h"
#include "actions/keys.h"
#include "actions/superaction.h"
#include "control/displayrules.h"
#include "media/formats/compressorentry.h"
#include "settings/orbelinpreferences.h"
#include "settings/parametertable.h"

class QFrame;
class QLabel;
class QStackedWidget;
class QToolBar;
class QDialog;
class QTimer;
class TCaptureJournal;
class TSessionControl;
class TStillGrabber;
class TCpuMeter;
class TExtraireFrame;
class TListeFrame;
class TcamForm;
class TOBAppliMan;
class TErreurFrame;
class TAproposFrame;
class TRaccourcisForm;
class TIncrusterFrame;
class TOptionsFrame;
class QMenu;
class QSettings;
class QSlider;
class QToolButton;
class Tvx_Superposer;
class TavFlux;
namespace graph {
struct GraphEvent;
}
class TScheduleClock;
class TProgrammerFrame;
enum class TAnswer;
class ScreenSaverInhibitor;
class TCaptureEngine;
class TDossiersFrame;
class TFolderNaming;
class TSimulatedDeviceProvider;
class TSourceSelection;
class TSourcesFrame;
class TPreviewSession;
class TVideoWindow;
class TFrameShape;
class Tplaque;

// What the main window needs from outside: where the preferences live, the
// defaults that depend on this user, and how to ask where to save.
struct FormEnvironment {
  PreferenceLocations locations;
  ParameterDefaults defaults;
  TOrbelinPreferences::ModeChooser chooseSaveMode;  // empty: the save dialog
  bool inhibitScreenSaver = true;
  // Called before each step of the start-up chains with the step's name;
  // lets tests make a step fail.
  std::function<void(const QString& step)> beforeStep;
  // The command-line arguments after the program's name, copied before Qt
  // took its own options out; run once after start-up.
  QStringList commandLine;
  // Asks for the command file of "Lancer script"; empty when cancelled. Empty
  // function: a file dialog.
  std::function<QString()> chooseScriptFile;
  // The journal of the files being recorded; empty: the user's own.
  QString journalPath;
  // Asks whether to repair the files a crash left unfinished; empty
  // function: a question box.
  std::function<bool(const QStringList& files)> askRepair;
  // The capture engine the window previews and records with, created by the
  // program's entry; none: no sources and no preview.
  TCaptureEngine* engine = nullptr;
  // The simulated machine offered beside the real devices; none: one of
  // the window's own.
  TSimulatedDeviceProvider* simulatedDevices = nullptr;
  // Runs the devices' settings dialogs; empty: modal.
  std::function<int(QDialog&)> runDialog;
  // Asks the capture's questions (overwrite, folder, lost frames); empty: a
  // warning box.
  std::function<TAnswer(const QString& text, bool withAll)> ask;
  // The time now, for the schedule; empty: the computer's clock.
  std::function<QDateTime()> now;
  // The interval timer's beeps, 0 at the grab and 1 before it; empty: the
  // sound output.
  std::function<void(int beep)> beep;
  // The desktop: a program started with its arguments (none through a
  // shell), a file shown in the file manager, a file or folder opened in
  // its application, a message for information. Empty: the desktop's own.
  std::function<bool(const QString& program, const QStringList& arguments)> startProgram;
  std::function<void(const QString& path)> revealFile;
  std::function<bool(const QString& path)> openDocument;
  std::function<void(const QString& text)> inform;
  // The MPEG-4 encoders and the MP3 encoder as the options find them;
  // empty: the installed ones.
  std::function<std::vector<TCompressorEntry>()> listCompressors;
  std::function<bool()> mp3Available;
  // Where the MP3 bitrate is kept; empty: the user's own settings.
  QString mp3SettingsFile;

  static FormEnvironment ForThisProgram();
};

class TCaptureForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TCaptureForm(FormEnvironment environment, QWidget* parent = nullptr);
  ~TCaptureForm() override;

  // Closes as the user would, without a question nobody is there to answer
  // (a signal): files finished, preferences saved where the user chose.
  void CloseUnattended();

  // While true, device-change notifications are ignored.
  bool startingUp() const { return startupFlag_; }
  bool idleChainDone() const { return idleDone_; }
  TparameterList& parameterList() { return *parameterList_; }
  const TParameters& parameters() const { return parameters_; }
  TOrbelinPreferences& preferences() { return *preferences_; }
  QWidget* videoArea() const;
  QWidget* sidePanels() const;
  bool commandLineDone() const { return commandLineDone_; }
  // The sources and their preview; none when the preview is not started.
  TPreviewSession* previewSession() const { return preview_.get(); }
  TSourceSelection* sourceSelection() const { return selection_.get(); }
  TFolderNaming* folderNaming() const { return folderNaming_.get(); }
  TSourcesFrame* sourcesFrame() const { return sourcesFrame_; }
  TDossiersFrame* dossiersFrame() const { return dossiersFrame_; }
  TSessionControl* sessionControl() const { return control_.get(); }
  TScheduleClock* scheduleClock() const { return schedule_.get(); }
  TProgrammerFrame* programmerFrame() const { return programmerFrame_; }
  TExtraireFrame* extraireFrame() const { return extraireFrame_; }
  TListeFrame* listeFrame() const { return listeFrame_; }
  TStillGrabber* stillGrabber() const { return grabber_.get(); }
  // The image type chosen ("rgExtension"): 0 BMP, 1 JPEG.
  void rgExtensionClick(int index);
  // The gauges read again: processor, then free space.
  void RefreshGauges();
  // The four status panels' texts, as shown.
  QStringList statusTexts() const;
  QColor frameColour() const;
  TVideoWindow* videoWindow() const { return videoWindow_; }

  // The main window's commands in list order, and the persistable commands
  // of the application manager.
  const TActionList& al() const { return al_; }
  const TCustomOBActionList& am() const;
  TOBAppliMan& appliMan() { return *appliMan_; }
  TErreurFrame* erreurFrame() const { return erreurFrame_; }
  TAproposFrame* aproposFrame() const { return aproposFrame_; }
  TActionContext& actionContext() { return actionContext_; }
  TScript& script() { return script_; }
  TRaccourcisForm* raccourcisForm() const { return raccourcis_; }
  // The list keys go to when no main command has them: the application
  // manager's commands unless another is given.
  void SetSecondKeyList(std::function<QAction*(QKeyCombination)> list);

  // Camcorder windows open under the main window until their rectangles are
  // saved.
  QRect DefaultCamcorderRect() const;
  // Camcorder window 1 or 2, and the one that takes the keyboard's camera
  // commands.
  TcamForm* camForm(int number) const { return cams_[number == 2 ? 1 : 0]; }
  TcamForm* keyboardTarget() const { return keyTarget_; }
  TIncrusterFrame* incrusterFrame() const { return incrusterFrame_; }
  QSlider* xslider() const { return xslider_; }
  QSlider* yslider() const { return yslider_; }
  // The overlay is drawn: wanted, and the picture is processed.
  bool overlayActive() const { return overlayActive_; }
  // "Autoriser les effets sur la vidéo" changed.
  void ActiverSuperpositionChanged(bool allowed);
  TOptionsFrame* optionsFrame() const { return optionsFrame_; }
  // The Windows Media profile a capture uses (its row in the version's
  // table); -1 none.
  int SelectedWmvProfileRow() const;
  // The MP3 bitrate chosen in the options, in kbit/s.
  int Mp3Kbps() const;
  // The profile pop-up menu's choice.
  void SelectWmvProfile(int position);
  QMenu* WmvProfileMenu();
  // The preview's display.
  Tplaque* plaque() const { return plaque_.get(); }
  bool fullScreen() const;
  bool reduced() const { return reduced_; }
  TFrameShape* frameShape() const { return shape2_; }
  QSlider* volumeSlider() const { return tb_; }
  QLabel* volumeGauge() const { return volumeGauge_; }
  bool captureFrozenShown() const;
  // The mirrors as applied to the picture.
  bool verticalMirror() const { return mirrorV_; }
  bool horizontalMirror() const { return mirrorH_; }
  bool VideoProcessingAvailable() const;
  void ShowOptionsPage(int page);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void ChargerPrefs1();
  // Sets the toggle to the other state than the saved one and executes it,
  // so that it lands on the saved state.
  void LandOnSaved(const char* toggle, const TBooleanParameter* saved);
  void ChargerPrefs2();
  void AppEventsIdle();
  void FormCloseQuery();
  void FormDestroy();
  void TntFormResize();
  void SauverPrefs();
  // After a refused close: the sources listed and previewed again.
  void RebuildPreview();
  // The files left unfinished by a crash, offered for repair once.
  void OfferRepairs();

  void gpChangeMode(TSavePreferences mode);
  void gpLoadPrefs();
  void gpSavePrefs();

  // Runs the steps in order inside one guard: a step that fails is logged
  // with its name and ends the chain; the rest of it is skipped.
  struct Step {
    const char* name;
    std::function<void()> run;
  };
  bool RunGuarded(const char* chain, std::initializer_list<Step> steps);

  void BuildWidgets();
  void CreateCommands();
  void InstallKeyDispatch();
  void taraccourcisprepare(TCustomSuperAction& action);
  void taraccourcisfalseExecute(QObject* sender);
  void taraccourcisTrueExecute(QObject* sender);
  void CreateApplicationManagerCommands();
  void RunCommandLine();
  void ShowProblem(const QString& text);

  // Command handlers.
  void acQuitterExecute(QObject* sender);
  void saScriptPrepare(TCustomSuperAction& action);
  void saScriptExecute(QObject* sender);
  void acSourcesFrameExecute(QObject* sender);
  void acDossiersFrameExecute(QObject* sender);
  void saSourceVideoPrepare(TCustomSuperAction& action);
  void saSourceVideoExecute(QObject* sender);
  void saSourceAudioPrepare(TCustomSuperAction& action);
  void saSourceAudioExecute(QObject* sender);
  void saFormatCapturePrepare(TCustomSuperAction& action);
  void saFormatCaptureExecute(QObject* sender);
  void BuildSourceSelection();
  void BuildSessionControl();
  void saCapturerBasculeExecute(QObject* sender);
  void acCouperExecute(QObject* sender);
  // The presentation of the session states.
  void AfficherPreview();
  void AfficherCapture();
  void MajStatusTextes();
  void EnableCapture();
  void ShowCapturing(bool capturing, const QColor& frame);
  void EnableOutsideCapture(bool enabled);
  void ShowCamcorderWindows();
  QString SourcesSummary(bool videoCounts, bool audioCounts) const;
  void RepaintStatus();
  void OnStatusTimer();
  void leFramerateExit();
  TAnswer Ask(const QString& text, bool withAll);
  void Inform(const QString& text);
  void SetFrameColour(const QColor& colour);
  // The schedule.
  void BuildSchedule();
  void acProgrammerBasculeExecute(QObject* sender);
  void acProgrammerFrameExecute(QObject* sender);
  bool Programmer();
  bool ProgrammerFin();
  void AnnulerAlarme();
  void lancerEnregistrement();
  void stopperEnregistrement();
  void AfficherProgramme();
  void AfficherCaptureProgrammee();
  void ShowScheduleState(bool scheduled);
  // Stills and the interval timer.
  void BuildGrab();
  void saGrabExecute(QObject* sender);
  void acExtraireFrameExecute(QObject* sender);
  void saIntervalloExecute(QObject* sender);
  void acJpgOptionExecute(QObject* sender);
  void acBmpOptionExecute(QObject* sender);
  void ExtraireFrame1RxSwitch1Click();
  void IntervalOff();
  void HandleNotification(const graph::GraphEvent& event);
  QSize StillAspect() const;
  void ShowStill(const QImage& still);
  void Beep(int which);
  // The camcorder windows and their transport.
  void BuildCamcorders();
  void MakeKeyboardTarget(TcamForm* window);
  void BindCamcorderWindows();
  void RefreshCamcorders();
  void CloseCamcorderWindows();
  void LoadCamcorderWindow(int number);
  void SaveCamcorderWindows();
  void ShowPilot(TavFlux* source, int number);
  void TogglePilot(const TavFlux* source);
  void cam_PlayExecute(QObject* sender);
  void cam_PauseExecute(QObject* sender);
  void cam_StopExecute(QObject* sender);
  void cam_AvanceLentExecute(QObject* sender);
  void cam_ReculeLentExecute(QObject* sender);
  void cam_AvanceRapideExecute(QObject* sender);
  void cam_ReculeRapideExecute(QObject* sender);
  void cam_PlayPauseExecute(QObject* sender);
  void cam_ToggleExecute(QObject* sender);
  void acShowVideoPilotDVExecute(QObject* sender);
  void acShowAudioPilotDVExecute(QObject* sender);
  // The overlay panel, its command, sliders and time shift.
  void BuildIncruster();
  void PlaceSliders();
  Tvx_Superposer* Overlay() const;
  void SendIncrust();
  void IncrustChanged();
  void IncrustTimingChanged();
  void LoadIncruster();
  void ApplyIncrust();
  void taIncrusterfalseExecute(QObject* sender);
  void taIncrusterTrueExecute(QObject* sender);
  void XsliderChange(int value);
  void YsliderChange(int value);
  void acSlidersExecute(QObject* sender);
  void ShowOverlayControls(bool videoPresent);
  void acIncrusterFrameExecute(QObject* sender);
  void tbDecalageClick();
  void taDecalagePrepare(TCustomSuperAction& action);
  void taDecalageExecute(QObject* sender);
  // The options panel.
  void BuildOptions();
  void LoadOptions();
  void SaveOptions();
  void PopulateOptions();
  void acOptionsFrameExecute(QObject* sender);
  void ProfilParDefautClick(bool on);
  void ShowMp3Controls();
  void BindCompressor(int index);
  std::unique_ptr<QSettings> Mp3Settings() const;
  void BitrateChanged(const QString& text);
  void ApplyBitrate(int bitrate);
  void EditEncoder(bool mp3);
  void ShowCompressorVersion();
  void FillWmvProfiles();
  void SelectFavouriteWmvProfile();
  // The preview's display.
  void BuildDisplay();
  TCustomSuperAction* Command(const char* name) const;
  bool HasVideoSource() const;
  void LayOutVideo();
  void SetAspectRatio(int choice);
  void ApplyMirrors();
  void ApplyPreviewLock();
  void AppliquerVolume();
  void SetVolume(int volume);
  void tbChange(int value);
  void FreezePreview(bool frozen);
  void FreezeCapture(bool frozen);
  void ShowCaptureFrozen(bool frozen);
  void ShowPanel(int panel);
  void tafullscreenOnExecute(QObject* sender);
  void tafullscreenOffExecute(QObject* sender);
  void saExitFullScreenExecute(QObject* sender);
  void acReduireExecute(QObject* sender);
  void saRatioNormalExecute(QObject* sender);
  void saRatio4x3Execute(QObject* sender);
  void saRatio16x9Execute(QObject* sender);
  void saRatioNatifExecute(QObject* sender);
  void acVertFlipExecute(QObject* sender);
  void acHorzFlipExecute(QObject* sender);
  void taMuteOnExecute(QObject* sender);
  void taMuteOffExecute(QObject* sender);
  void acIncVolumeExecute(QObject* sender);
  void acDecVolumeExecute(QObject* sender);
  void taFreezepreviewFalseExecute(QObject* sender);
  void taFreezepreviewTrueExecute(QObject* sender);
  void taFreezeCaptureFalseExecute(QObject* sender);
  void taFreezeCaptureTrueExecute(QObject* sender);
  void taLockFalseExecute(QObject* sender);
  void taLockTrueExecute(QObject* sender);
  void acNextPanneauExecute(QObject* sender);
  void acBasculerPanneauExecute(QObject* sender);
  void acHelpExecute(QObject* sender);
  void acAproposExecute(QObject* sender);
  // The session list, its gauges and the companion program.
  void BuildListe();
  void saListeFrameExecute(QObject* sender);
  void acScenologExecute(QObject* sender);
  void acOuvrirDossierVideosExecute(QObject* sender);
  void RefreshCpu();
  void RefreshFreeSpace();
  void ListInfos();
  void ListParentFolder();
  void ListOpen();
  void ListScenolog();
  void ShowInformation(const QString& text);
  bool StartProgram(const QString& program, const QStringList& arguments);
  void RevealFile(const QString& path);
  bool OpenDocument(const QString& path);

  FormEnvironment environment_;
  std::unique_ptr<TOrbelinPreferences> preferences_;
  std::unique_ptr<TparameterList> parameterList_;
  TParameters parameters_;
  QStringList sharedList_;
  std::unique_ptr<ScreenSaverInhibitor> screenSaver_;
  std::unique_ptr<TPreviewSession> preview_;
  std::unique_ptr<TSourceSelection> selection_;
  std::unique_ptr<TFolderNaming> folderNaming_;
  std::unique_ptr<TCaptureJournal> journal_;
  std::unique_ptr<TSessionControl> control_;
  QTimer* statusTimer_ = nullptr;
  std::unique_ptr<TScheduleClock> schedule_;
  QTimer* scheduleTimer_ = nullptr;
  QDateTime scheduledEnd_;
  TProgrammerFrame* programmerFrame_ = nullptr;
  bool intervalloOn_ = false;  // the interval text in red
  QString texteIntervallo_, texteEtat_, texteMiroirH_, texteSources_, texteInfo_;
  bool notifierChoice_ = true;  // the user's "Notifier", kept while a capture turns it off
  TSourcesFrame* sourcesFrame_ = nullptr;
  TExtraireFrame* extraireFrame_ = nullptr;
  TListeFrame* listeFrame_ = nullptr;
  std::unique_ptr<TStillGrabber> grabber_;
  std::unique_ptr<TCpuMeter> cpuMeter_;
  QImage previewStill_;  // the last still, waiting to be drawn
  bool previewPending_ = false;
  bool streamIsWide_ = false;  // the DV picture is 16:9, as its packs say
  TDossiersFrame* dossiersFrame_ = nullptr;
  TVideoWindow* videoWindow_ = nullptr;
  TRaccourcisForm* raccourcis_ = nullptr;
  TKeyDispatch keys_;
  std::function<QAction*(QKeyCombination)> secondKeyList_;
  TcamForm* cams_[2] = {nullptr, nullptr};
  TcamForm* keyTarget_ = nullptr;
  TIncrusterFrame* incrusterFrame_ = nullptr;
  QSlider* xslider_ = nullptr;
  QSlider* yslider_ = nullptr;
  QToolButton* shape1_ = nullptr;
  bool overlayActive_ = false;
  TOptionsFrame* optionsFrame_ = nullptr;
  QMenu* wmvMenu_ = nullptr;
  std::vector<TCompressorEntry> compressors_;  // as the DivX list shows them
  bool optionsLoading_ = false;
  bool divxAvailable_ = false;
  bool mp3Available_ = false;
  QString startupErrors_;

  bool startupFlag_ = false;
  bool sourcesActivated_ = false;
  bool imageByImage_ = false;
  bool windowsMediaAvailable_ = false;
  bool shown_ = false;
  bool idleDone_ = false;
  bool closeHooked_ = true;
  bool unattendedClose_ = false;  // closing for a signal: nothing is asked
  bool commandLineDone_ = false;

  TActionContext actionContext_;
  TActionList al_;
  std::unique_ptr<TOBAppliMan> appliMan_;
  TErreurFrame* erreurFrame_ = nullptr;  // a child of the window
  TAproposFrame* aproposFrame_ = nullptr;  // side panel 8
  TSwitch switch_;
  TOBSwitch obSwitch_;
  TScript script_;

  QToolBar* actionsToolbar_ = nullptr;
  QToolBar* panelsToolbar_ = nullptr;
  QFrame* videoArea_ = nullptr;
  QFrame* videoDisplay_ = nullptr;
  QWidget* buttonRow_ = nullptr;
  QStackedWidget* sidePanels_ = nullptr;
  QList<QLabel*> statusPanels_;

  // The preview's display.
  std::unique_ptr<Tplaque> plaque_;
  TFrameShape* shape2_ = nullptr;
  QSlider* tb_ = nullptr;
  QLabel* volumeLabel_ = nullptr;
  QLabel* volumeGauge_ = nullptr;
  TWindowedLayout windowedLayout_;
  QSize restoredMinimum_;
  bool reduced_ = false;
  bool videoProcessing_ = false;  // what the lock allows
  bool lockApplied_ = false;
  bool mirrorV_ = false;
  bool mirrorH_ = false;
  bool halfSizeShown_ = false;  // the video label shows the half-size picture
};
