// The capture devices of the machine: cameras and capture cards (V4L2) and
// sound inputs (the sound server, or ALSA) through GStreamer's device
// monitor, DV camcorders on the IEEE 1394 bus through libraw1394, and the
// simulated devices when there is nothing else to capture from. Changes are
// gathered into one "devices changed" notice on the GUI thread.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "capture/capturesources.h"

class QFileSystemWatcher;
class TSimulatedDeviceProvider;

// Video and audio sources seen by GStreamer's device monitor.
class TSystemDeviceProvider : public TDeviceProvider {
 public:
  TSystemDeviceProvider();
  ~TSystemDeviceProvider() override;
  std::vector<TDeviceMoniker> Devices() override;
  // None when GStreamer could not make one.
  GstDeviceMonitor* monitor() const { return monitor_.get(); }
  // The identity under which a device of the monitor is listed.
  static QString IdentityOf(GstDevice* device);

 private:
  gst::DeviceMonitorPtr monitor_;
  bool started_ = false;
};

// DV camcorders and VCRs (AV/C units) on the IEEE 1394 bus, identified by
// their GUID and read through dv1394src. Without an adapter, or without
// permission on the bus, it lists none and says why once in the log.
class TFireWireProvider : public TDeviceProvider {
 public:
  std::vector<TDeviceMoniker> Devices() override;
  const QString& whyNone() const { return whyNone_; }

 private:
  QString whyNone_;
};

// Every provider together: the machine's devices, and the simulated ones
// when no camera, capture card or camcorder is found, or always when
// TESSIVO_SIMULATED_DEVICES is set.
class TDeviceEnumerator : public QObject {
  Q_OBJECT
 public:
  // `simulated`: the simulated machine to offer (it outlives the
  // enumerator); none: one of its own.
  explicit TDeviceEnumerator(TSimulatedDeviceProvider* simulated = nullptr, QObject* parent = nullptr);
  ~TDeviceEnumerator() override;
  TSimulatedDeviceProvider& simulatedDevices() { return *simulatedDevices_; }

  // Every device; none when the machine's devices could not be listed.
  std::optional<std::vector<TDeviceMoniker>> Devices();
  bool simulated() const { return simulated_; }
  // Makes the listings fail, as on a machine whose device monitor is broken.
  void SetListingFails(bool fails) { failListing_ = fails; }
  // How long changes are gathered before one notice.
  static constexpr int kSettleMilliseconds = 400;

  // Called by the providers' watches (and by tests) for each change.
  void DeviceAdded(const QString& identity);
  void DeviceRemoved(const QString& identity);

 signals:
  // One notice for a burst of changes.
  void devicesChanged();
  // A device went away (the capture code checks whether it was current).
  void deviceRemoved(const QString& identity);

 private:
  static gboolean OnMonitorMessage(GstBus* bus, GstMessage* message, gpointer self);
  void OnDevFolderChanged();

  std::unique_ptr<TSystemDeviceProvider> system_;
  std::unique_ptr<TSimulatedDeviceProvider> ownSimulated_;
  TSimulatedDeviceProvider* simulatedDevices_ = nullptr;
  TFireWireProvider fireWire_;
  QTimer settle_;
  guint watch_ = 0;
  QFileSystemWatcher* devFolder_ = nullptr;
  QSet<QString> fireWireNodes_;
  bool simulated_ = false;
  bool failListing_ = false;
  QSet<QString> fireWireIdentities_;  // the camcorders on the bus at the last look
};
