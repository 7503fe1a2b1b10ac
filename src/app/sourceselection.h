// What the sources panel does: the source lists kept in step with the
// devices, the selection and activation of the video source, the audio
// source and the capture format, the settings menus of the devices, and the
// re-selection after a refresh, a change of devices or a lost device.
#pragma once

#include <QObject>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

#include "settings/parametertable.h"

class QComboBox;
class QDialog;
class TCaptureDevice;
class TCrossbar;
class TPreviewSession;
class TSourcesFrame;
class TVideoSource;
class TAudioSource;
class TV4l2Crossbar;

// What the selection calls on the rest of the main window. Every call may
// be left empty.
struct TSelectionHooks {
  // Presentation of the sources present or absent, and of the preview.
  std::function<void()> SourceVideoAbsente, SourceVideoPresente, SourceAudioAbsente, SourceAudioPresente,
      AfficherPreview, MajStatusTextes;
  // The capture under way, and how it is stopped (before a new video source).
  std::function<bool()> capturing;
  std::function<void()> ArreterCapture;
  // Closes the capture file, if one is open (before a settings menu).
  std::function<void()> CloreFichier;
  // The preview lock applied after a change of lists.
  std::function<void()> ApplyPreviewLock;
  // The capture format changed: the next file takes its extension.
  std::function<void(int code)> formatChanged;
  // The options panel shown on that page.
  std::function<void(int page)> showOptionsPage;
  // The help panel's system report, rebuilt after a refresh.
  std::function<void()> rebuildSystemReport;
  // The video area laid out for the stream's aspect, the capture-freeze
  // button enabled or not, the overlay's timing given again.
  std::function<void()> layoutVideoArea;
  std::function<void(bool enabled)> enableFreezeCapture;
  // Something the user must know.
  std::function<void(const QString& text)> tell;
  // Runs a settings dialog; empty: modal, as usual.
  std::function<int(QDialog& dialog)> runDialog;
};

// The help panel's source check list: a driver name ticked is offered, an
// unticked one is left out. The unticked names are kept in "Sources
// Exclues", one per line.
class TSourceCheckList {
 public:
  void Load(const QString& excluded);
  QString Excluded() const;
  // A name not yet listed is added ticked; answers whether it is ticked.
  bool Admit(const QString& driverName);
  void SetTicked(const QString& driverName, bool ticked) { items_[driverName] = ticked; }
  const std::map<QString, bool>& items() const { return items_; }

 private:
  std::map<QString, bool> items_;  // sorted, as the list shows them
};

class TSourceSelection : public QObject {
  Q_OBJECT
 public:
  TSourceSelection(TPreviewSession& preview, TSourcesFrame& frame, const TParameters& parameters,
                   TSelectionHooks hooks, QObject* parent = nullptr);
  ~TSourceSelection() override;

  bool ChargerDrivers();
  bool ActiverVideo(const QString& name);
  bool ActiverAudio(const QString& name);
  void ActiverFormatCapture(int wantedCode);
  // Runs the graph unless the deferred-start flag is set.
  void Play();

  // Panel events.
  void cboxVideoChange();
  void cboxAudioChange();
  void cbFormatCaptureClick();
  void SourcesFramecbEntriesChange();
  void VideoPropBtnClick();
  void AudiopropBtnClick();
  void SourcesFramesbFormatCapturesettingsClick();
  void ActualiserVideoBtnClick();

  // The devices changed (after the burst settled).
  void DevicesChanged();
  // The graph's device-lost handler: connected while a capture runs and
  // while "Notifier" is off.
  void GraphDeviceLost();
  void SetDeviceLostHandler(bool installed) { deviceLostInstalled_ = installed; }
  bool deviceLostHandler() const { return deviceLostInstalled_; }
  // While set, device changes are not followed (the program is starting).
  void SetStartingUp(std::function<bool()> startingUp) { startingUp_ = std::move(startingUp); }

  // The settings menus, rebuilt at each opening; the last one built.
  QMenu* VideoSettingsMenuPopup();
  QMenu* AudioSettingsMenuPopup();
  QMenu* settingsMenu() const { return menu_; }

  bool deferredStart() const { return deferredStart_; }
  void SetDeferredStart(bool deferred) { deferredStart_ = deferred; }
  // Releases the sources and empties their lists (the window closing).
  void ClearSources();
  const QStringList& failedSources() const { return failed_; }
  TSourceCheckList& checkList() { return checkList_; }
  TPreviewSession& preview() const { return preview_; }
  // The video label as the picture's size and rate, halved while the DV
  // decoder runs at half size for a recording.
  void ShowPictureSize(bool half);
  // The number of enumerations so far (for the tests and the trace).
  int enumerations() const { return enumerations_; }

 signals:
  void sourcesRebuilt();

 private:
  enum class MenuSide { Video, Audio };
  QMenu* BuildMenu(MenuSide side);
  static void PopUp(QMenu* menu, const QWidget& under);
  void AddEntry(QMenu& menu, MenuSide side, const char* caption, std::function<void()> action);
  void AddVideoEntries(QMenu& menu, bool fullSet);
  void AddAudioEntries(QMenu& menu);
  void AddInputsSubmenu(QMenu& menu);
  void AfterSettings(MenuSide side);
  void ReselectShown();
  void RouteChosenInput(TVideoSource& source);
  // The sources whose settings the menus show: the current ones, else the
  // ones the settings buttons took down.
  TVideoSource* SettingsVideo() const;
  TAudioSource* SettingsAudio() const;
  bool Admitted(const TCaptureDevice& device);
  void FillEntries();
  void ShowVideoFormat();
  void ShowAudioFormat();
  int RunDialog(QDialog& dialog);
  QString FormatNameShown() const;
  int ShownFormatCode() const;

  TPreviewSession& preview_;
  TSourcesFrame& frame_;
  const TParameters& parameters_;
  TSelectionHooks hooks_;
  QStringList failed_;
  TSourceCheckList checkList_;
  bool deferredStart_ = false;
  bool deviceLostInstalled_ = false;
  std::function<bool()> startingUp_;
  int enumerations_ = 0;
  int listedNative_ = 0;  // the native formats the format list was built with
  QPointer<QMenu> menu_;
  TVideoSource* settingsVideo_ = nullptr;
  TAudioSource* settingsAudio_ = nullptr;
  // The crossbar of the current video device, made when its menu is built.
  std::unique_ptr<TV4l2Crossbar> cardCrossbar_;
  std::unique_ptr<TCrossbar> crossbar_;
};
