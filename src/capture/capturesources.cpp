#include "capture/capturesources.h"

#include <QLoggingCategory>

#include "capture/devicesettings.h"
#include "capture/plugins.h"
#include "settings/conversions.h"

Q_LOGGING_CATEGORY(lcDevices, "tessivo.devices")

namespace {

constexpr char kDvBaseName[] = "DV Source";

bool AnyStructure(const GstCaps* caps, const std::function<bool(const GstStructure*)>& test) {
  for (guint i = 0; caps && i < gst_caps_get_size(caps); ++i)
    if (test(gst_caps_get_structure(caps, i))) return true;
  return false;
}

bool NameStartsWith(const GstStructure* s, const char* prefix) {
  return g_str_has_prefix(gst_structure_get_name(s), prefix);
}

}  // namespace

TDeviceKind ClassifyDevice(const GstCaps* caps) {
  if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) return dkUnknown;
  if (AnyStructure(caps, [](const GstStructure* s) {
        gboolean system = FALSE;
        return gst_structure_has_name(s, "video/x-dv") && gst_structure_get_boolean(s, "systemstream", &system) &&
               system;
      }))
    return dkDV;
  if (AnyStructure(caps, [](const GstStructure* s) { return gst_structure_has_name(s, "application/octet-stream"); }))
    return dkStream;
  if (AnyStructure(caps,
                   [](const GstStructure* s) { return NameStartsWith(s, "video/") || NameStartsWith(s, "image/"); }))
    return dkVideo;
  if (AnyStructure(caps, [](const GstStructure* s) { return NameStartsWith(s, "audio/"); })) return dkAudio;
  return dkUnknown;
}

TCaptureDevice::TCaptureDevice(TDeviceKind kind, const TDeviceMoniker& moniker, int instance, const QString& baseName)
    : DriverName(moniker.friendlyName),
      Instance(instance),
      Kind(kind),
      identity_(moniker.identity),
      caps_(moniker.caps ? gst_caps_ref(moniker.caps.get()) : nullptr),
      settings_(moniker.settings),
      createSource_(moniker.createSource) {
  Name = instance == 1 ? baseName : baseName + " #" + QString::number(instance);
  switch (kind) {
    case dkDV:
      VideoStreamCount = std::max(1, moniker.videoStreams);
      AudioStreamCount = std::max(1, moniker.audioStreams);
      NativeFormat1 = fcDvType1Native;
      NativeFormat2 = fcDvType2Native;
      break;
    case dkVideo:
      VideoStreamCount = std::max(1, moniker.videoStreams);
      AudioStreamCount = moniker.audioStreams;
      NativeFormat1 = fcAviNative;
      break;
    case dkAudio:
      AudioStreamCount = std::max(1, moniker.audioStreams);
      break;
    default:
      break;
  }
  Valid = static_cast<bool>(createSource_);
}

int TCaptureDeviceList::NextInstance(const QString& driverName) const {
  for (int n = 1;; ++n) {
    bool used = false;
    for (const auto& device : devices_) used = used || (device->DriverName == driverName && device->Instance == n);
    if (!used) return n;
  }
}

QString TCaptureDeviceList::FreeDvName() const {
  for (int n = 1;; ++n) {
    const QString name = n == 1 ? QString(kDvBaseName) : QString(kDvBaseName) + " #" + QString::number(n);
    bool used = false;
    for (const auto& device : devices_) used = used || (device->Kind == dkDV && device->Name == name);
    if (!used) return name;
  }
}

int TCaptureDeviceList::IndexOfMoniker(const QString& identity) const {
  for (int i = 0; i < Count(); ++i)
    if (devices_[i]->identity() == identity) return i;
  return -1;
}

TCaptureDevice* TCaptureDeviceList::Item(int index) const {
  return index >= 0 && index < Count() ? devices_[index].get() : nullptr;
}

bool TCaptureDeviceList::Refresh(const std::vector<TDeviceMoniker>& monikers,
                                 const std::function<bool(TDeviceKind)>& wanted) {
  try {
    for (const auto& device : devices_) device->Present = false;
    for (const TDeviceMoniker& moniker : monikers) {
      if (const int index = IndexOfMoniker(moniker.identity); index >= 0) {
        devices_[index]->Present = true;
        continue;
      }
      // A name a plug-in claims is the plug-in's, whatever the device
      // produces; a device it cannot serve is not listed.
      if (const int claimed = plugins ? plugins->IndexOfDriver(moniker.friendlyName) : -1; claimed >= 0) {
        if (!wanted(dkPlugIn)) continue;
        TpluginData& plugin = *plugins->Item(claimed);
        auto device = MakePlugInDevice(moniker, NextInstance(moniker.friendlyName), plugin);
        if (!device || !device->Valid) {
          qCWarning(lcDevices) << "plug-in" << plugin.LibraryPath << "cannot serve" << moniker.friendlyName;
          plugin.Enabled = false;
          continue;
        }
        device->Present = true;
        qCInfo(lcDevices) << "plug-in device found:" << device->Name << "(" << moniker.identity << ")";
        devices_.push_back(std::move(device));
        continue;
      }
      const TDeviceKind kind = ClassifyDevice(moniker.caps.get());
      if (kind == dkUnknown || kind == dkStream || !wanted(kind)) continue;
      const QString baseName = kind == dkDV ? QString(kDvBaseName) : moniker.friendlyName;
      auto device = MakeCaptureDevice(kind, moniker, NextInstance(moniker.friendlyName), baseName);
      // Two camcorders of different makes are both "DV Source" by their own
      // numbering: the second one shown takes the next free number.
      if (kind == dkDV) device->Name = FreeDvName();
      device->Present = true;
      qCInfo(lcDevices) << "device found:" << device->Name << "(" << moniker.identity << ")";
      devices_.push_back(std::move(device));
    }
    for (auto it = devices_.end(); it != devices_.begin();) {
      --it;
      if ((*it)->Present) continue;
      qCInfo(lcDevices) << "device gone:" << (*it)->Name;
      if (beforeRemoval) beforeRemoval(**it);
      it = devices_.erase(it);
    }
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcDevices) << "device list not refreshed:" << error.what();
    return false;
  }
}

TVideoSource::TVideoSource(TCaptureDevice& device, int streamNumber) : TavFlux(device, streamNumber) {
  if (streamNumber < 1 || streamNumber > device.VideoStreamCount) return;
  SceneDetector = device.SceneDetector();
  Name = streamNumber > 1 ? device.Name + " #" + QString::number(streamNumber)
                          : device.Name + (device.AudioStreamCount > 0 ? " - Video" : "");
}

TAudioSource::TAudioSource(TCaptureDevice& device, int streamNumber) : TavFlux(device, streamNumber) {
  if (streamNumber < 1 || streamNumber > device.AudioStreamCount) return;
  SceneDetector = device.SceneDetector();
  Name = streamNumber > 1 ? device.Name + "#" + QString::number(streamNumber)
                          : device.Name + (device.VideoStreamCount > 0 ? " - Audio" : "");
}

namespace {

template <typename Source>
std::vector<std::unique_ptr<Source>> SourcesOf(const TCaptureDeviceList& devices, int TCaptureDevice::*streams) {
  std::vector<std::unique_ptr<Source>> sources;
  for (int i = 0; i < devices.Count(); ++i)
    for (int stream = 1; stream <= devices.Item(i)->*streams; ++stream)
      sources.push_back(std::make_unique<Source>(*devices.Item(i), stream));
  return sources;
}

}  // namespace

std::vector<std::unique_ptr<TVideoSource>> VideoSourcesOf(const TCaptureDeviceList& devices) {
  return SourcesOf<TVideoSource>(devices, &TCaptureDevice::VideoStreamCount);
}

std::vector<std::unique_ptr<TAudioSource>> AudioSourcesOf(const TCaptureDeviceList& devices) {
  return SourcesOf<TAudioSource>(devices, &TCaptureDevice::AudioStreamCount);
}
