// The main window's command table and the commands of the application
// manager. A command is one row: adding one is adding its row and handler.
#include <QAbstractSpinBox>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QGuiApplication>
#include <QComboBox>
#include <QScreen>
#include <QStackedWidget>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>

#include "app/captureform.h"
#include "app/applicationmanager.h"
#include "app/commandicon.h"
#include "app/erreurframe.h"
#include "actions/keys.h"
#include "app/identity.h"
#include "app/sourceselection.h"
#include "app/raccourcisform.h"
#include "settings/conversions.h"
#include "ui/sourcesframe.h"
#include "capture/captureengine.h"
#include "texts.h"
#include "ui/camform.h"

namespace {

enum class Kind { Plain, Toggle };

using Handler = void (TCaptureForm::*)(QObject* sender);
using Prepare = void (TCaptureForm::*)(TCustomSuperAction& action);

struct CommandRow {
  const char* name;
  Kind kind;
  const char* caption;      // toggles: the false-state caption
  const char* trueCaption;  // toggles only
  const char* key;
  const char* secondKey;
  const char* switchName;
  const char* token;
  Prepare prepare;
  Handler execute;      // plain commands; toggles: false-state handler
  Handler trueExecute;  // toggles only
};

constexpr QSize kToolButtonSize(29, 28);
constexpr int kIconPixels = 20;

}  // namespace

void TCaptureForm::CreateCommands() {
  // The order is the order in which names and keys are resolved.
  static const CommandRow rows[] = {
      {"saGrab", Kind::Plain, texts::kCommandGrab, nullptr, "F5", "Ctrl+G", "g", "grab", nullptr,
       &TCaptureForm::saGrabExecute, nullptr},
      {"tafullscreen", Kind::Toggle, texts::kCommandFullScreenOn, texts::kCommandFullScreenOff, "Alt+Return", "", "fs", "full_screen", nullptr,
       &TCaptureForm::tafullscreenOnExecute, &TCaptureForm::tafullscreenOffExecute},
      {"acOptionsFrame", Kind::Plain, texts::kCommandOptionsFrame, nullptr, "F10", "Alt+O", "of", "options_frame", nullptr,
       &TCaptureForm::acOptionsFrameExecute, nullptr},
      {"acDossiersFrame", Kind::Plain, texts::kCommandDossiersFrame, nullptr, "Alt+D", "", "df", "directories_frame", nullptr,
       &TCaptureForm::acDossiersFrameExecute, nullptr},
      {"acProgrammerFrame", Kind::Plain, texts::kCommandScheduleFrame, nullptr, "Alt+P", "", "pf", "program_frame", nullptr,
       &TCaptureForm::acProgrammerFrameExecute, nullptr},
      {"acExtraireFrame", Kind::Plain, texts::kCommandExtraireFrame, nullptr, "Alt+G", "", "gf", "grab_frame", nullptr,
       &TCaptureForm::acExtraireFrameExecute, nullptr},
      {"acIncrusterFrame", Kind::Plain, texts::kCommandIncrusterFrame, nullptr, "Alt+I", "", "if", "inlay_frame", nullptr,
       &TCaptureForm::acIncrusterFrameExecute, nullptr},
      {"acQuitter", Kind::Plain, texts::kCommandQuit, nullptr, "Alt+F4", "Ctrl+Q", "q", "quit", nullptr,
       &TCaptureForm::acQuitterExecute, nullptr},
      {"acApropos", Kind::Plain, texts::kCommandAboutFrame, nullptr, "Alt+A", "", "af", "about_frame", nullptr,
       &TCaptureForm::acAproposExecute, nullptr},
      {"acCouper", Kind::Plain, texts::kCommandCut, nullptr, "F7", "Ctrl+X", "k", "cut", nullptr,
       &TCaptureForm::acCouperExecute, nullptr},
      {"acProgrammerBascule", Kind::Plain, texts::kCommandProg, nullptr, "Ctrl+P", "", "p", "program", nullptr,
       &TCaptureForm::acProgrammerBasculeExecute, nullptr},
      {"acJpgOption", Kind::Plain, texts::kCommandJpgOption, nullptr, "Ctrl+J", "", "j", "jpeg", nullptr,
       &TCaptureForm::acJpgOptionExecute, nullptr},
      {"acBmpOption", Kind::Plain, texts::kCommandBmpOption, nullptr, "Ctrl+B", "", "b", "bmp", nullptr,
       &TCaptureForm::acBmpOptionExecute, nullptr},
      {"acBasculerPanneau", Kind::Plain, texts::kCommandSwitchPanels, nullptr, "Alt+W", "", "w", "Switch", nullptr,
       &TCaptureForm::acBasculerPanneauExecute, nullptr},
      {"acNextPanneau", Kind::Plain, texts::kCommandNextPanel, nullptr, "F6", "Alt+N", "nf", "next_frame", nullptr,
       &TCaptureForm::acNextPanneauExecute, nullptr},
      {"acHelp", Kind::Plain, texts::kCommandHelpFrame, nullptr, "F1", "Alt+H", "hf", "help_frame", nullptr,
       &TCaptureForm::acHelpExecute, nullptr},
      {"acReduire", Kind::Plain, texts::kCommandReduce, nullptr, "Alt+Backspace", "", "r", "reduce", nullptr,
       &TCaptureForm::acReduireExecute, nullptr},
      {"acSourcesFrame", Kind::Plain, texts::kCommandSourcesFrame, nullptr, "F2", "Alt+S", "sf", "sources_frame", nullptr,
       &TCaptureForm::acSourcesFrameExecute, nullptr},
      {"cam_PlayPause", Kind::Toggle, texts::kCommandCamPlayPause, texts::kCommandCamPlayPause, "Ins", "", "x", "play", nullptr,
       &TCaptureForm::cam_PlayPauseExecute, &TCaptureForm::cam_PlayPauseExecute},
      {"cam_Stop", Kind::Plain, texts::kCommandCamStop, nullptr, "Ctrl+End", "", "s", "stop", nullptr,
       &TCaptureForm::cam_StopExecute, nullptr},
      {"cam_AvanceLent", Kind::Plain, texts::kCommandCamSlowForward, nullptr, "Ctrl+Right", "", "as", "advance_slow", nullptr,
       &TCaptureForm::cam_AvanceLentExecute, nullptr},
      {"cam_AvanceRapide", Kind::Plain, texts::kCommandCamFastForward, nullptr, "Ctrl+Down", "", "ff", "fast_forward", nullptr,
       &TCaptureForm::cam_AvanceRapideExecute, nullptr},
      {"cam_ReculeLent", Kind::Plain, texts::kCommandCamSlowBackward, nullptr, "Ctrl+Left", "", "bs", "back_slow", nullptr,
       &TCaptureForm::cam_ReculeLentExecute, nullptr},
      {"cam_ReculeRapide", Kind::Plain, texts::kCommandCamFastBackward, nullptr, "Ctrl+Up", "", "bf", "back_fast", nullptr,
       &TCaptureForm::cam_ReculeRapideExecute, nullptr},
      {"saCapturerBascule", Kind::Plain, texts::kCommandCapture, nullptr, "Ctrl+Space", "", "c", "capture", nullptr,
       &TCaptureForm::saCapturerBasculeExecute, nullptr},
      {"acShowVideoPilotDV", Kind::Plain, "", nullptr, "", "", "pv", "pilot_video", nullptr,
       &TCaptureForm::acShowVideoPilotDVExecute, nullptr},
      {"acVertFlip", Kind::Plain, texts::kCommandVertFlip, nullptr, "F4", "", "vf", "vertical_flip", nullptr,
       &TCaptureForm::acVertFlipExecute, nullptr},
      {"acScenolog", Kind::Plain, texts::kCommandScenolog, nullptr, "F8", "", "sc", "scenolog", nullptr,
       &TCaptureForm::acScenologExecute, nullptr},
      {"acOuvrirDossierVideos", Kind::Plain, texts::kCommandOpenVideos, nullptr, "Alt+V", "", "v", "open_folder", nullptr,
       &TCaptureForm::acOuvrirDossierVideosExecute, nullptr},
      {"acIncVolume", Kind::Plain, texts::kCommandIncVolume, nullptr, "Num++", "", "iv", "inc_volume", nullptr,
       &TCaptureForm::acIncVolumeExecute, nullptr},
      {"acDecVolume", Kind::Plain, texts::kCommandDecVolume, nullptr, "Num+-", "", "dv", "dec_volume", nullptr,
       &TCaptureForm::acDecVolumeExecute, nullptr},
      {"acSliders", Kind::Plain, texts::kCommandSliders, nullptr, "Alt+Y", "", "ss", "sliders", nullptr,
       &TCaptureForm::acSlidersExecute, nullptr},
      {"acHorzFlip", Kind::Plain, texts::kCommandHorzFlip, nullptr, "Shift+F4", "", "zf", "horizontal_flip", nullptr,
       &TCaptureForm::acHorzFlipExecute, nullptr},
      {"acShowAudioPilotDV", Kind::Plain, "", nullptr, "", "", "pa", "pilot_audio", nullptr,
       &TCaptureForm::acShowAudioPilotDVExecute, nullptr},
      {"cam_Toggle", Kind::Plain, texts::kCommandCamToggle, nullptr, "Ctrl+Home", "", "ct", "cameras_toggle", nullptr,
       &TCaptureForm::cam_ToggleExecute, nullptr},
      {"saExitFullScreen", Kind::Plain, texts::kCommandExitFullScreen, nullptr, "Esc", "", "ef", "exit_fullscreen", nullptr,
       &TCaptureForm::saExitFullScreenExecute, nullptr},
      {"taraccourcis", Kind::Toggle, texts::kCommandShortcutsShow, texts::kCommandShortcutsHide, "F11", "", "o", "shortcuts", &TCaptureForm::taraccourcisprepare,
       &TCaptureForm::taraccourcisfalseExecute, &TCaptureForm::taraccourcisTrueExecute},
      {"taDecalage", Kind::Toggle, "", "", "", "", "dh", "decalage", &TCaptureForm::taDecalagePrepare,
       &TCaptureForm::taDecalageExecute, &TCaptureForm::taDecalageExecute},
      {"taFreezepreview", Kind::Toggle, texts::kCommandFreezePreview, texts::kCommandResumePreview, "F3", "", "fp", "freeze_preview", nullptr,
       &TCaptureForm::taFreezepreviewFalseExecute, &TCaptureForm::taFreezepreviewTrueExecute},
      {"taFreezeCapture", Kind::Toggle, texts::kCommandFreezeCapture, texts::kCommandResumeCapture, "Space", "", "fc", "freeze_capture", nullptr,
       &TCaptureForm::taFreezeCaptureFalseExecute, &TCaptureForm::taFreezeCaptureTrueExecute},
      {"taIncruster", Kind::Toggle, texts::kCommandIncrusterOn, texts::kCommandIncrusterOff, "F12", "", "i", "inlay", nullptr,
       &TCaptureForm::taIncrusterfalseExecute, &TCaptureForm::taIncrusterTrueExecute},
      {"taLock", Kind::Toggle, texts::kCommandLock, texts::kCommandUnlock, "F9", "", "l", "lock", nullptr,
       &TCaptureForm::taLockFalseExecute, &TCaptureForm::taLockTrueExecute},
      {"saListeFrame", Kind::Plain, texts::kCommandListeFrame, nullptr, "Alt+L", "", "lf", "liste_frame", nullptr,
       &TCaptureForm::saListeFrameExecute, nullptr},
      {"taMute", Kind::Toggle, texts::kCommandMute, texts::kCommandUnmute, "Ctrl+M", "", "m", "mute", nullptr,
       &TCaptureForm::taMuteOnExecute, &TCaptureForm::taMuteOffExecute},
      {"saRatioNormal", Kind::Plain, texts::kCommandRatioNormal, nullptr, "Alt+F8", "", "rn", "ratio_normal", nullptr,
       &TCaptureForm::saRatioNormalExecute, nullptr},
      {"saRatioNatif", Kind::Plain, texts::kCommandRatioNative, nullptr, "Alt+F7", "", "rf", "ratio_natif", nullptr,
       &TCaptureForm::saRatioNatifExecute, nullptr},
      {"saRatio16x9", Kind::Plain, texts::kCommandRatio16x9, nullptr, "Alt+F6", "", "rw", "ratio_16x9", nullptr,
       &TCaptureForm::saRatio16x9Execute, nullptr},
      {"saRatio4x3", Kind::Plain, texts::kCommandRatio4x3, nullptr, "Alt+F5", "", "rs", "ratio_4x3", nullptr,
       &TCaptureForm::saRatio4x3Execute, nullptr},
      {"cam_Play", Kind::Plain, texts::kCommandCamPlay, nullptr, "Ctrl+Ins", "", "cp", "camera_play", nullptr,
       &TCaptureForm::cam_PlayExecute, nullptr},
      {"cam_Pause", Kind::Plain, texts::kCommandCamPause, nullptr, "Ctrl+Del", "", "co", "camera_pause", nullptr,
       &TCaptureForm::cam_PauseExecute, nullptr},
      {"saIntervallo", Kind::Plain, texts::kCommandIntervallo, nullptr, "Pause", "", "it", "intervalometer", nullptr,
       &TCaptureForm::saIntervalloExecute, nullptr},
      {"saScript", Kind::Plain, texts::kCommandScript, nullptr, "", "", "", "", &TCaptureForm::saScriptPrepare,
       &TCaptureForm::saScriptExecute, nullptr},
      {"saSourceVideo", Kind::Plain, texts::kCommandSourceVideo, nullptr, "", "", "sv", "source_video", &TCaptureForm::saSourceVideoPrepare,
       &TCaptureForm::saSourceVideoExecute, nullptr},
      {"saSourceAudio", Kind::Plain, texts::kCommandSourceAudio, nullptr, "", "", "sa", "source_audio", &TCaptureForm::saSourceAudioPrepare,
       &TCaptureForm::saSourceAudioExecute, nullptr},
      {"saFormatCapture", Kind::Plain, texts::kCommandFormatCapture, nullptr, "", "", "fc", "format_capture", &TCaptureForm::saFormatCapturePrepare,
       &TCaptureForm::saFormatCaptureExecute, nullptr},
  };
  for (const CommandRow& row : rows) {
    TCustomSuperAction* action = nullptr;
    if (row.kind == Kind::Plain) {
      auto* plain = new TSuperAction(actionContext_, this);
      plain->Onexecute = [this, handler = row.execute](QObject* sender) { (this->*handler)(sender); };
      plain->setText(QString::fromUtf8(row.caption));
      action = plain;
    } else {
      auto* toggle = new TtoggleAction(actionContext_, this);
      toggle->FalseCaption = QString::fromUtf8(row.caption);
      toggle->TrueCaption = QString::fromUtf8(row.trueCaption);
      toggle->OnfalseExecute = [this, handler = row.execute](QObject* sender) { (this->*handler)(sender); };
      toggle->OnTrueExecute = [this, handler = row.trueExecute](QObject* sender) { (this->*handler)(sender); };
      toggle->SetChecked(false);
      action = toggle;
    }
    action->setObjectName(row.name);
    action->setSwitch(QString::fromUtf8(row.switchName));
    action->setToken(QString::fromUtf8(row.token));
    if (row.prepare)
      action->Onprepare = [this, prepare = row.prepare](TCustomSuperAction& self) { (this->*prepare)(self); };
    QList<QKeySequence> keys;
    for (const char* key : {row.key, row.secondKey})
      if (*key) keys << QKeySequence(QString::fromLatin1(key));
    // The keys are only kept here: the window's own dispatch runs them
    // (KeyPressed), never Qt's shortcut map, which runs neither of two
    // commands sharing a key.
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    addAction(action);
    al_.Add(action);
  }
  for (const auto& [name, hint] : {std::pair{"saGrab", texts::kCommandGrabHint},
                                   std::pair{"acScenolog", texts::kCommandScenologHint},
                                   std::pair{"acOuvrirDossierVideos", texts::kCommandOpenVideosFirstHint}})
    al_.FindByObjectName(name)->setToolTip(QString::fromUtf8(hint));
  // The tool bars show each command's image, its caption as the hint.
  for (QToolBar* bar : {panelsToolbar_, actionsToolbar_}) {
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(kIconPixels, kIconPixels));
  }
  const auto place = [](QToolBar* bar, TCustomSuperAction* command) {
    if (command->icon().isNull()) command->setIcon(CommandIcon(command->objectName()));
    bar->addAction(command);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(command))) button->setFixedSize(kToolButtonSize);
  };
  for (const char* name :
       {"acSourcesFrame", "acDossiersFrame", "acProgrammerFrame", "acExtraireFrame", "acIncrusterFrame", "acOptionsFrame",
        "saListeFrame", "acHelp", "acApropos"})
    place(panelsToolbar_, al_.FindByObjectName(name));
  // The capture buttons first, then the display's commands.
  for (const char* name : {"saCapturerBascule", "acCouper", "acProgrammerBascule", "", "tafullscreen", "taMute",
                           "taFreezepreview", "taFreezeCapture", "", "taLock", "taIncruster", "acVertFlip",
                           "acHorzFlip", "", "saScript", "taraccourcis", "acQuitter"}) {
    if (*name)
      place(actionsToolbar_, al_.FindByObjectName(name));
    else
      actionsToolbar_->addSeparator();
  }
  raccourcis_ = new TRaccourcisForm(this);
  raccourcis_->FormCreate(identity::FullTitle());
  raccourcis_->OnCloseBox = [this] { Command("taraccourcis")->Execute(); };
  raccourcis_->OnUnusedKey = [this](QKeyEvent* event) { return keys_.Dispatch(PressedKey(*event)); };
  InstallKeyDispatch();
  const auto graphBusy = [engine = environment_.engine] { return engine && engine->changing(); };
  switch_.actionlist = &al_;
  switch_.OnQuit = [this] { close(); };
  switch_.GraphBusy = graphBusy;
  script_.actionlist = &al_;
  script_.OnQuit = [this] { close(); };
  script_.GraphBusy = graphBusy;
}

void TCaptureForm::CreateApplicationManagerCommands() {
  appliMan_ = std::make_unique<TOBAppliMan>(*this, actionContext_, identity::FullTitle());
  appliMan_->camcorderWindow = [this](int number) -> QWidget* { return camForm(number); };
  appliMan_->defaultCamcorderRect = [this] { return DefaultCamcorderRect(); };
  // Their keys reach them through the key dispatch only, after the main
  // list's.
  for (TCustomAbstractAction* action : appliMan_->list().actions()) {
    action->setShortcutContext(Qt::WidgetShortcut);
    addAction(action);
  }
  obSwitch_.Attach(appliMan_->list());
  erreurFrame_ = new TErreurFrame(*this);
  erreurFrame_->fullTitle = identity::FullTitle();
}

void TCaptureForm::acQuitterExecute(QObject*) { close(); }

// --- Keys -----------------------------------------------------------------

void TCaptureForm::InstallKeyDispatch() {
  keys_.main = &al_;
  keys_.second = [this](QKeyCombination key) {
    if (secondKeyList_) return secondKeyList_(key);
    QList<QAction*> actions;
    for (TCustomAbstractAction* action : appliMan_->list().actions()) actions << action;
    return FirstWithKey(actions, key);
  };
  qApp->installEventFilter(this);
}

void TCaptureForm::SetSecondKeyList(std::function<QAction*(QKeyCombination)> list) {
  secondKeyList_ = std::move(list);
}

// Every key pressed in the main window (or sent on to it by the full-screen
// backdrop) is looked for in the command lists before any widget sees it,
// except what a focused text field types or edits.
bool TCaptureForm::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::KeyPress, override = event->type() == QEvent::ShortcutOverride;
  if ((!press && !override) || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this)
    return QMainWindow::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const QKeyCombination pressed = PressedKey(*key);
  const QWidget* focus = QApplication::focusWidget();
  const bool textField = focus && (qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QTextEdit*>(focus) ||
                                   qobject_cast<const QPlainTextEdit*>(focus) ||
                                   qobject_cast<const QAbstractSpinBox*>(focus));
  if (textField && TextFieldKeepsKey(pressed, key->text())) return QMainWindow::eventFilter(watched, event);
  if (!keys_.Target(pressed)) return QMainWindow::eventFilter(watched, event);
  event->accept();
  if (press) keys_.Dispatch(pressed);  // a held key repeats, as the volume's should
  return true;
}

void TCaptureForm::taraccourcisprepare(TCustomSuperAction& action) { action.SetChecked(raccourcis_->isVisible()); }

void TCaptureForm::taraccourcisfalseExecute(QObject*) {
  Command("taraccourcis")->SetChecked(true);
  if (raccourcis_->x() < 0) raccourcis_->move(0, raccourcis_->y());
  raccourcis_->show();
  raccourcis_->raise();
  raccourcis_->activateWindow();
}

void TCaptureForm::taraccourcisTrueExecute(QObject*) {
  raccourcis_->hide();
  Command("taraccourcis")->SetChecked(false);
}

void TCaptureForm::saScriptPrepare(TCustomSuperAction&) {
  const QString path =
      environment_.chooseScriptFile
          ? environment_.chooseScriptFile()
          : QFileDialog::getOpenFileName(this, QString(), QString(), QString::fromUtf8(texts::kScriptFileFilter));
  if (path.isEmpty()) {
    actionContext_.proceed = false;
    return;
  }
  actionContext_.arguments = QStringList{path};
}

void TCaptureForm::saScriptExecute(QObject*) { script_.RunFile(actionContext_.argument()); }

// The selection commands take the text shown in their list; from the
// command line or a script, the text given.
void TCaptureForm::saSourceVideoPrepare(TCustomSuperAction&) {
  actionContext_.arguments = QStringList{sourcesFrame_->cboxvideo->currentText()};
}

void TCaptureForm::saSourceVideoExecute(QObject*) {
  if (selection_) selection_->ActiverVideo(actionContext_.argument());
  ApplyPreviewLock();
}

void TCaptureForm::saSourceAudioPrepare(TCustomSuperAction&) {
  actionContext_.arguments = QStringList{sourcesFrame_->cboxAudio->currentText()};
}

void TCaptureForm::saSourceAudioExecute(QObject*) {
  if (selection_) selection_->ActiverAudio(actionContext_.argument());
  ApplyPreviewLock();
}

void TCaptureForm::saFormatCapturePrepare(TCustomSuperAction&) {
  actionContext_.arguments = QStringList{sourcesFrame_->cbFormatCapture->currentText()};
}

void TCaptureForm::saFormatCaptureExecute(QObject*) {
  if (selection_) selection_->ActiverFormatCapture(FormatCaptureFromName(actionContext_.argument()));
  ApplyPreviewLock();
}

void TCaptureForm::acSourcesFrameExecute(QObject*) { ShowPanel(pnSources); }
void TCaptureForm::acDossiersFrameExecute(QObject*) { ShowPanel(pnFolders); }
