// The capture session as the main window runs it: the session states, the
// start, cut and stop of a capture with the questions asked before writing,
// the record of every file closed, the scene file beside a DV capture, and
// the lost-frame warning. Everything runs on the window thread; what it needs
// of the window (names, questions, options) it asks through its hooks.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "capture/capturegraphs.h"
#include "control/capturesession.h"
#include "control/sessionfiles.h"

class TCaptureEngine;
class TCaptureJournal;
class TSceneFileWriter;
namespace graph {
class DroppedFrameCounter;
}

enum TEtatSession : std::uint8_t { esPreview = 1, esCapture = 2, esProgramme = 3, esCaptureProgrammee = 4 };

enum class TAnswer { Yes, No, All };

struct TSessionHooks {
  // The next file's name, and the name after it (advancing the counter).
  std::function<QString()> nomVideo;
  std::function<QString()> nomVideoSuivant;
  std::function<int()> captureFormat;
  // The texts of the video, audio, audio input and format lists.
  std::function<QStringList()> panelTexts;
  std::function<TCaptureSettings()> settings;
  // "Confirmer Video", and the "Tous" answer that clears it.
  std::function<bool()> confirmVideo;
  std::function<void()> clearConfirmVideo;
  std::function<bool()> scn;
  // The user's "Notifier" choice, the parameter, and the device-lost
  // handler installed exactly when the parameter is off.
  std::function<bool()> notifierChoice;
  std::function<void(bool on)> setNotifier;
  // A warning with Yes and No, and "Tous" when asked.
  std::function<TAnswer(const QString& text, bool withAll)> ask;
  std::function<void(const QString& text)> tell;
  std::function<void()> appliquerVolume;
  std::function<void(bool on)> modeImageImage;
  // Moves a file to the trash; false when it could not.
  std::function<bool(const QString& file)> toTrash;
  // "Framerate", the playback rate of a time-lapse file.
  std::function<double()> framerate;
  // A file was finished: the session list takes its record.
  std::function<void(const TDataFichier& file)> listed;
};

class TSessionControl {
 public:
  TSessionControl(TCaptureEngine& engine, TCaptureJournal* journal, TSessionHooks hooks);
  ~TSessionControl();
  TSessionControl(const TSessionControl&) = delete;
  TSessionControl& operator=(const TSessionControl&) = delete;

  TEtatSession EtatSession = esPreview;

  // Starts a capture into the next name; false when refused, or when it did
  // not start (the user is told why, the preview runs again).
  bool PreparerCapture();
  // Stops the capture with its file finished and listed; false when a source
  // did not survive.
  bool ArreterCapture();
  // Closes the current file: the graph stopped outside a capture; in a
  // capture the file finished, listed, and the next name taken.
  bool CloreFichier();
  void AbandonnerCapture();
  // Goes on in the next file without a gap; false when the cut failed (the
  // capture is then stopped, the file finished as far as it could be).
  bool Couper();
  // What the graph reports while capturing; a failure ends the capture as a
  // stop does. True when the event ended it.
  bool HandleEvent(const graph::GraphEvent& event);

  bool capturing() const { return EtatSession == esCapture || EtatSession == esCaptureProgrammee; }
  // A still was grabbed during a time-lapse capture: its gate lets the next
  // frame into the file, and it is counted.
  void ImageGrabbed();
  int CompteImages() const { return compteImages_; }
  const std::vector<TDataFichier>& files() const { return files_; }
  const QDateTime& DebutCapture() const { return debutCapture_; }
  // Frames dropped and seen in the current part; none without a counter.
  std::optional<std::pair<std::int64_t, std::int64_t>> DroppedFrames() const;
  TCaptureSession& session() { return *session_; }
  // The scene file of the current part, when one is open.
  QString sceneFile() const;

  // "La capture ... durée H:MM :SS" with the total hours, for the status bar.
  static QString DurationText(std::int64_t seconds);

 private:
  void ListClosed(const QString& closed);
  void EndTimeLapseFile(const QString& closed);
  void OpenScene(const QString& fileName);
  void CloseScene(const QString& closed, std::int64_t dropped);
  void RestoreNotifier();
  void Fail(const TCaptureFailure& failure);

  TCaptureEngine& engine_;
  TSessionHooks hooks_;
  std::unique_ptr<TCaptureSession> session_;
  std::unique_ptr<TSceneFileWriter> scenes_;
  std::unique_ptr<graph::DroppedFrameCounter> dropped_;
  std::int64_t droppedAtCut_ = 0, seenAtCut_ = 0;
  std::vector<TDataFichier> files_;
  QString current_;  // the file being written
  QString sceneFile_;
  QDateTime debutCapture_;
  int compteImages_ = 0;
  int format_ = 0;  // of the capture under way
};
