// What the program knows about the capture hardware: one device per capture
// device found (DV camcorder, video capture device, sound-card input), the
// selectable streams of those devices ("sources"), and the lists kept in step
// with what the system offers.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graph.h"
#include "platform/gstreamer.h"

class Tvx_SceneDetect;
class TCaptureEngine;
class IDeviceSettings;

enum TDeviceKind : std::uint8_t { dkUnknown = 0, dkDV = 1, dkPlugIn = 2, dkVideo = 3, dkAudio = 4, dkStream = 5 };

// One device as a device provider offers it: its identity (the device path,
// the sound server's source name or the camcorder's GUID), the name the
// system gives it, what it produces, and how to make its source element.
struct TDeviceMoniker {
  QString identity;
  QString friendlyName;
  gst::CapsPtr caps;
  std::function<gst::ElementPtr()> createSource;
  int videoStreams = 0;  // when known from the provider
  int audioStreams = 0;
  // Inputs, controls, tuner, sound ports; none when the device has none.
  std::shared_ptr<IDeviceSettings> settings;
};

// Whatever lists devices: the system's device monitor, the 1394 bus, the
// simulated devices.
class TDeviceProvider {
 public:
  virtual ~TDeviceProvider() = default;
  virtual std::vector<TDeviceMoniker> Devices() = 0;
};

// The kind of a device from what it produces: interleaved DV first, then a
// bare byte stream, then pictures, then sound.
TDeviceKind ClassifyDevice(const GstCaps* caps);

// A capture device and what it puts into the graph. The operations work on
// the graph and context of the engine they are given: the base answers as a
// device with nothing to offer; each kind overrides them.
class TCaptureDevice {
 public:
  TCaptureDevice(TDeviceKind kind, const TDeviceMoniker& moniker, int instance, const QString& baseName);
  virtual ~TCaptureDevice() = default;

  // Brings video stream n (from 1) into the graph: leaves an unconnected
  // uncompressed video output in the context's VideoOutPin and the tee of
  // the native stream in VideoTee; false when it could not.
  virtual bool SetVideoGraph(TCaptureEngine& /*engine*/, int /*streamNumber*/) { return false; }
  // Brings audio stream n into the graph: answers the audio tee's free
  // output (none on failure) and sets AudioTee.
  virtual graph::PadPtr SetAudioGraph(TCaptureEngine& /*engine*/, int /*streamNumber*/) { return {}; }
  virtual bool KillVideoGraph(TCaptureEngine& /*engine*/) { return true; }
  virtual bool KillAudioGraph(TCaptureEngine& /*engine*/) { return true; }
  // Puts the device's source (and what it needs right after it) into the
  // graph, once; answers the source element.
  virtual GstElement* SetSourceGraph(TCaptureEngine& /*engine*/) { return nullptr; }
  virtual void KillSourceGraph(TCaptureEngine& /*engine*/) {}
  // The device's own recording of its native stream to a file.
  virtual bool CaptureNative(TCaptureEngine& /*engine*/, const QString& /*fileName*/) { return false; }
  virtual bool FinCaptureNative(TCaptureEngine& /*engine*/) { return false; }
  // Finishes the file of that recording and goes on in another while the
  // stream runs, without losing a frame; false when the device cannot.
  virtual bool RepointNative(TCaptureEngine& /*engine*/, const QString& /*fileName*/) { return false; }
  // The tee of the whole interleaved stream (DV camcorders only).
  virtual GstElement* InterleavedTee() const { return nullptr; }
  // The scene detector on the device's stream (DV camcorders only).
  virtual Tvx_SceneDetect* SceneDetector() const { return nullptr; }
  // The source element, made on first use and kept until the device's
  // source leaves the graph (a new one is made for the next use: some
  // elements do not start cleanly twice).
  // A plug-in's device has its plug-in's source instead.
  virtual GstElement* SourceFilter();
  bool SourceInGraph(const TCaptureEngine& engine) const;

 protected:
  void ReleaseSource() { source_ = {}; }
  virtual GstElement* ExistingSource() const { return source_.get(); }

 public:
  QString Name;        // base name, then " #n" from the second instance on
  QString DriverName;  // the name the system gives the device
  int Instance = 1;
  int VideoStreamCount = 0;
  int AudioStreamCount = 0;
  bool Valid = false;
  std::uint8_t NativeFormat1 = 0;
  std::uint8_t NativeFormat2 = 0;
  TDeviceKind Kind = dkUnknown;
  bool Present = false;

  const QString& identity() const { return identity_; }
  // What the device offers (its caps) and what the user chose of it in the
  // format dialog (kept for the run; none: the device's own choice).
  const GstCaps* caps() const { return caps_.get(); }
  gst::CapsPtr chosenFormat;
  IDeviceSettings* settings() const { return settings_.get(); }
  // A new source element for the device.
  gst::ElementPtr CreateSource() const { return createSource_ ? createSource_() : gst::ElementPtr(); }

 private:
  QString identity_;
  gst::CapsPtr caps_;
  std::shared_ptr<IDeviceSettings> settings_;
  std::function<gst::ElementPtr()> createSource_;
  gst::ElementPtr source_;
};

// A device of that kind, named by the rules.
std::unique_ptr<TCaptureDevice> MakeCaptureDevice(TDeviceKind kind, const TDeviceMoniker& moniker, int instance,
                                                  const QString& baseName);

// The devices of one category (video inputs or audio inputs), kept in step
// with the providers by mark and sweep.
class TpluginList;

class TCaptureDeviceList {
 public:
  // The plug-ins that may claim a device by its name; none: no plug-ins.
  TpluginList* plugins = nullptr;
  // Called before a device that went away is removed (its sources are
  // deactivated first).
  std::function<void(TCaptureDevice&)> beforeRemoval;

  // `wanted` tells which kinds belong to this list.
  bool Refresh(const std::vector<TDeviceMoniker>& monikers, const std::function<bool(TDeviceKind)>& wanted);
  // The smallest instance number not used by a device of that name.
  int NextInstance(const QString& driverName) const;
  int IndexOfMoniker(const QString& identity) const;
  TCaptureDevice* Item(int index) const;
  int Count() const { return static_cast<int>(devices_.size()); }

 private:
  QString FreeDvName() const;
  std::vector<std::unique_ptr<TCaptureDevice>> devices_;
};

// A selectable stream of a device, named as the source selectors show it.
class TavFlux {
 public:
  TavFlux(TCaptureDevice& device, int streamNumber) : Device(&device), StreamNumber(streamNumber) {}
  virtual ~TavFlux() = default;
  TCaptureDevice* Device;
  int StreamNumber;
  QString Name;
  bool Active = false;
  bool HasTransport = false;
  // The camcorder window bound to the source's tape: 1 or 2; 0 none.
  int TransportWindow = 0;
  bool IsVcr = false;
  bool IsCamera = false;
  Tvx_SceneDetect* SceneDetector = nullptr;
};

class TVideoSource : public TavFlux {
 public:
  TVideoSource(TCaptureDevice& device, int streamNumber);
};

class TAudioSource : public TavFlux {
 public:
  TAudioSource(TCaptureDevice& device, int streamNumber);
};

// The sources of every device of a list, in list order; a stream number out
// of the device's range gives no source.
std::vector<std::unique_ptr<TVideoSource>> VideoSourcesOf(const TCaptureDeviceList& devices);
std::vector<std::unique_ptr<TAudioSource>> AudioSourcesOf(const TCaptureDeviceList& devices);
