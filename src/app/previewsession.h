// The sources the main window works with: the device lists kept in step with
// the machine, the sources they offer, and the preview of the current ones.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "capture/capturesources.h"

class TCaptureEngine;
class TDeviceEnumerator;
namespace graph {
struct GraphEvent;
}

class TPreviewSession : public QObject {
  Q_OBJECT
 public:
  explicit TPreviewSession(TCaptureEngine& engine, QObject* parent = nullptr);
  ~TPreviewSession() override;

  // Lists the devices again and rebuilds the sources; the current sources
  // are released first and their names kept for ActivateByName. False when
  // the devices could not be listed, or another graph change is under way.
  bool ChargerDrivers();
  // Activates the video source of that name, or the first one when none has
  // it; false when none could be activated.
  bool ActivateVideoByName(const QString& name);
  bool ActivateAudioByName(const QString& name);
  // Runs the preview; false with the reason.
  bool Play(QString* error = nullptr);

  // Deactivates the current video source, then the audio source, and stops
  // the graph; their names are kept for the next activation.
  void ReleaseSources();
  // Empties the source lists (the devices stay listed).
  void ClearSources();
  // The sources the user chose: the current ones, else the last released.
  QString SelectedVideoName() const;
  QString SelectedAudioName() const;

  // The graph's device-lost event is followed only while the handler is
  // installed (the "Notifier" option off); device changes only while
  // `followChanges` answers true (not starting up, "Notifier" on).
  void SetDeviceLostHandler(bool installed) { deviceLostHandler_ = installed; }
  void SetFollowDeviceChanges(std::function<bool()> followChanges) { followChanges_ = std::move(followChanges); }

  QStringList VideoSourceNames() const;
  QStringList AudioSourceNames() const;
  QString CurrentVideoName() const;
  QString CurrentAudioName() const;
  TDeviceEnumerator& enumerator() { return *enumerator_; }
  TCaptureEngine& engine() const { return engine_; }

 signals:
  // Something the user must know, in French.
  void problem(const QString& text);
  // The devices changed (after the burst settled) and the sources were
  // rebuilt and the preview restarted.
  void sourcesRebuilt();

 private:
  void OnGraphEvent(const graph::GraphEvent& event);
  void OnDevicesChanged();
  void ReleaseCurrent(TCaptureDevice& device);
  bool Refused(const char* operation) const;
  template <typename Source>
  bool ActivateByName(const std::vector<std::unique_ptr<Source>>& sources, const QString& name,
                      bool (*activate)(TCaptureEngine&, Source&), const char* failure, const char* operation);

  TCaptureEngine& engine_;
  std::unique_ptr<TDeviceEnumerator> enumerator_;
  TCaptureDeviceList videoDevices_, audioDevices_;
  std::vector<std::unique_ptr<TVideoSource>> videoSources_;
  std::vector<std::unique_ptr<TAudioSource>> audioSources_;
  QString lastVideo_, lastAudio_;
  QElapsedTimer sinceRestart_;
  bool deviceLostHandler_ = false;
  std::function<bool()> followChanges_;
  static constexpr int kRestartPauseMs = 3000;
};
