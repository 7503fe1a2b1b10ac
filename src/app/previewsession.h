// The sources the main window works with: the device lists kept in step with
// the machine, the sources they offer, and the preview of the current ones.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "capture/capturesources.h"
#include "capture/plugins.h"

class TCaptureEngine;
class TDeviceEnumerator;
class TSimulatedDeviceProvider;
namespace graph {
struct GraphEvent;
}

class TPreviewSession : public QObject {
  Q_OBJECT
 public:
  // `simulated`: the simulated machine offered beside the real devices
  // (it outlives the session); none: one of the session's own.
  explicit TPreviewSession(TCaptureEngine& engine, TSimulatedDeviceProvider* simulated = nullptr,
                           QObject* parent = nullptr);
  ~TPreviewSession() override;

  // Lists the devices again and makes the sources of those `admitted`
  // accepts (all when empty); the current sources are released first.
  // False when the devices could not be listed, or another graph change is
  // under way.
  bool ChargerDrivers(const std::function<bool(const TCaptureDevice&)>& admitted = {});
  // The capture plug-ins the device lists consult; scanned at start-up.
  TpluginList& plugins() { return plugins_; }
  // The source of that name; none when no source has it.
  TVideoSource* VideoSource(const QString& name) const;
  TAudioSource* AudioSource(const QString& name) const;
  TVideoSource* FirstVideoSource() const { return videoSources_.empty() ? nullptr : videoSources_.front().get(); }
  TAudioSource* FirstAudioSource() const { return audioSources_.empty() ? nullptr : audioSources_.front().get(); }
  // Activates the source (the current one of its kind is released first);
  // false, said to the user, when it could not.
  bool ActivateVideo(TVideoSource& source);
  bool ActivateAudio(TAudioSource& source);
  // Deactivates the current source of that kind, if any; with a full
  // release its device leaves the graph too.
  bool DeactivateVideo(bool fullRelease);
  bool DeactivateAudio(bool fullRelease);
  // Runs the preview; false with the reason.
  bool Play(QString* error = nullptr);
  void Stop();

  // Deactivates the current video source, then the audio source, and stops
  // the graph.
  void ReleaseSources();
  // Empties the source lists (the devices stay listed).
  void ClearSources();

  QStringList VideoSourceNames() const;
  QStringList AudioSourceNames() const;
  QString CurrentVideoName() const;
  QString CurrentAudioName() const;
  TDeviceEnumerator& enumerator() { return *enumerator_; }
  // Sees the graph's events first (the capture under way); true when it
  // handled the event.
  std::function<bool(const graph::GraphEvent& event)> beforeEvent;
  TCaptureEngine& engine() const { return engine_; }

 signals:
  // Something the user must know, in French.
  void problem(const QString& text);
  // The devices changed (one notice after a burst of changes).
  void devicesChanged();
  // The graph lost the current source's device.
  void deviceLost(const QString& source);

 private:
  void OnGraphEvent(const graph::GraphEvent& event);
  void ReleaseCurrent(TCaptureDevice& device);
  bool Refused(const char* operation) const;

  TCaptureEngine& engine_;
  std::unique_ptr<TDeviceEnumerator> enumerator_;
  TpluginList plugins_;  // before the lists, whose devices use its libraries
  TCaptureDeviceList videoDevices_, audioDevices_;
  std::vector<std::unique_ptr<TVideoSource>> videoSources_;
  std::vector<std::unique_ptr<TAudioSource>> audioSources_;
};
