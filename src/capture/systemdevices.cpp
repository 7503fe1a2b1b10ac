#include "capture/systemdevices.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QLoggingCategory>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "capture/avctransport.h"
#include "capture/devicesettings.h"
#include "capture/simulated/simulateddevices.h"

#ifdef TESSIVO_HAVE_1394
#include <libavc1394/avc1394.h>
#include <libavc1394/rom1394.h>
#include <libraw1394/raw1394.h>
#endif

Q_DECLARE_LOGGING_CATEGORY(lcDevices)

// --- Device monitor ---------------------------------------------------------------

TSystemDeviceProvider::TSystemDeviceProvider() {
  gst::EnsureInitialised();
  monitor_ = gst::DeviceMonitorPtr(gst_device_monitor_new());
  if (!monitor_) return;
  gst_device_monitor_add_filter(monitor_.get(), "Video/Source", nullptr);
  gst_device_monitor_add_filter(monitor_.get(), "Audio/Source", nullptr);
  started_ = gst_device_monitor_start(monitor_.get());
  if (!started_) qCInfo(lcDevices) << "the system's device monitor does not start: devices are listed once";
}

TSystemDeviceProvider::~TSystemDeviceProvider() {
  if (started_) gst_device_monitor_stop(monitor_.get());
}

QString TSystemDeviceProvider::IdentityOf(GstDevice* device) {
  QString identity;
  if (const gst::StructurePtr properties{gst_device_get_properties(device)}) {
    for (const char* key : {"device.path", "api.v4l2.path", "object.path", "node.name", "udev.id"}) {
      if (const char* value = gst_structure_get_string(properties.get(), key)) {
        identity = QString::fromUtf8(value);
        break;
      }
    }
  }
  // The sound server's devices go by their internal name.
  if (identity.isEmpty() && g_object_class_find_property(G_OBJECT_GET_CLASS(device), "internal-name")) {
    gchar* name = nullptr;
    g_object_get(device, "internal-name", &name, nullptr);
    const gst::StringPtr held(name);
    if (held) identity = QString::fromUtf8(held.get());
  }
  if (identity.isEmpty()) {
    const gst::StringPtr name(gst_device_get_display_name(device));
    const gst::StringPtr kind(gst_device_get_device_class(device));
    identity = QString::fromUtf8(kind.get()) + ":" + QString::fromUtf8(name.get());
  }
  return identity;
}

namespace {

// A camera's or card's node answers for its inputs and controls; a sound
// server's source for its ports.
std::shared_ptr<IDeviceSettings> SettingsOf(GstDevice* device) {
  const gst::StructurePtr properties{gst_device_get_properties(device)};
  if (!properties) return {};
  if (gst_device_has_classes(device, "Video/Source")) {
    for (const char* key : {"api.v4l2.path", "device.path"})
      if (const char* path = gst_structure_get_string(properties.get(), key); path && std::strncmp(path, "/dev/", 5) == 0)
        return V4l2DeviceSettings(path);
    return {};
  }
  if (!gst_device_has_classes(device, "Audio/Source")) return {};
  // Without a sound server, ALSA's card: its capture switches.
  if (const char* api = gst_structure_get_string(properties.get(), "device.api"); api && std::strcmp(api, "alsa") == 0) {
    int card = -1;
    if (const char* text = gst_structure_get_string(properties.get(), "alsa.card"))
      card = std::atoi(text);
    else
      gst_structure_get_int(properties.get(), "alsa.card", &card);
    return card >= 0 ? AlsaCardSettings(card) : nullptr;
  }
  if (g_object_class_find_property(G_OBJECT_GET_CLASS(device), "internal-name")) {
    gchar* name = nullptr;
    g_object_get(device, "internal-name", &name, nullptr);
    const gst::StringPtr held(name);
    if (held) return PulseSourceSettings(held.get());
  }
  return {};
}

}  // namespace

std::vector<TDeviceMoniker> TSystemDeviceProvider::Devices() {
  std::vector<TDeviceMoniker> devices;
  if (!monitor_) return devices;
  for (const gst::ObjectPtr<GstDevice>& held :
       gst::AdoptList<GstDevice>(gst_device_monitor_get_devices(monitor_.get()))) {
    GstDevice* device = held.get();
    // The copy of what goes to an output is not a capture input.
    if (const gst::StructurePtr properties{gst_device_get_properties(device)}) {
      const char* deviceClass = gst_structure_get_string(properties.get(), "device.class");
      if (deviceClass && std::strcmp(deviceClass, "monitor") == 0) continue;
    }
    TDeviceMoniker moniker;
    moniker.identity = IdentityOf(device);
    moniker.friendlyName = QString::fromUtf8(gst::StringPtr(gst_device_get_display_name(device)).get());
    moniker.caps = gst::CapsPtr(gst_device_get_caps(device));
    moniker.createSource = [held] { return gst::ElementPtr::Sink(gst_device_create_element(held.get(), nullptr)); };
    moniker.settings = SettingsOf(device);
    devices.push_back(std::move(moniker));
  }
  return devices;
}

// --- IEEE 1394 -------------------------------------------------------------------

std::vector<TDeviceMoniker> TFireWireProvider::Devices() {
  std::vector<TDeviceMoniker> devices;
  const auto none = [this](const QString& why) {
    if (why != whyNone_) qCInfo(lcDevices) << "no DV camcorder on IEEE 1394:" << why;
    whyNone_ = why;
  };
#ifdef TESSIVO_HAVE_1394
  raw1394handle_t handle = raw1394_new_handle();
  if (!handle) {
    none(QStringLiteral("the bus cannot be opened (%1)").arg(QString::fromLocal8Bit(std::strerror(errno))));
    return devices;
  }
  raw1394_portinfo ports[16];
  const int portCount = raw1394_get_port_info(handle, ports, 16);
  raw1394_destroy_handle(handle);
  if (portCount <= 0) {
    none(QStringLiteral("no IEEE 1394 adapter, or no permission on /dev/fw*"));
    return devices;
  }
  for (int port = 0; port < std::min(portCount, 16); ++port) {
    raw1394handle_t bus = raw1394_new_handle_on_port(port);
    if (!bus) continue;
    const int nodes = raw1394_get_nodecount(bus);
    for (int node = 0; node < nodes; ++node) {
      const nodeid_t id = static_cast<nodeid_t>(0xFFC0 | node);
      rom1394_directory directory;
      if (rom1394_get_directory(bus, id, &directory) < 0) continue;
      const bool avc = rom1394_get_node_type(&directory) == ROM1394_NODE_TYPE_AVC &&
                       (avc1394_check_subunit_type(bus, id, AVC1394_SUBUNIT_TYPE_VCR) ||
                        avc1394_check_subunit_type(bus, id, AVC1394_SUBUNIT_TYPE_VIDEO_CAMERA));
      if (avc) {
        const quint64 guid = rom1394_get_guid(bus, id);
        const transport::DeviceType type = avc1394_check_subunit_type(bus, id, AVC1394_SUBUNIT_TYPE_VCR)
                                               ? transport::DeviceType::Vcr
                                               : transport::DeviceType::Camera;
        TDeviceMoniker moniker;
        moniker.identity = QStringLiteral("ieee1394:%1").arg(guid, 16, 16, QLatin1Char('0'));
        moniker.friendlyName =
            directory.label && *directory.label ? QString::fromUtf8(directory.label) : QStringLiteral("Caméscope DV");
        moniker.caps = gst::CapsPtr(gst_caps_from_string("video/x-dv,systemstream=true"));
        moniker.videoStreams = 1;
        moniker.audioStreams = 1;
        // Only the program drives the tape.
        moniker.createSource = [guid] {
          auto source = gst::ElementPtr::Sink(gst_element_factory_make("dv1394src", nullptr));
          if (source) g_object_set(source.get(), "guid", static_cast<guint64>(guid), "use-avc", FALSE, nullptr);
          return source;
        };
        if (std::unique_ptr<IAvcUnit> unit = OpenAvcUnit(port, guid))
          moniker.settings = std::make_shared<TDeckSettings>(std::make_shared<TAvcTransport>(std::move(unit), type));
        devices.push_back(std::move(moniker));
      }
      rom1394_free_directory(&directory);
    }
    raw1394_destroy_handle(bus);
  }
  if (devices.empty()) none(QStringLiteral("no AV/C unit on the bus"));
#else
  none(QStringLiteral("built without libraw1394"));
#endif
  return devices;
}

// --- Everything together ---------------------------------------------------------

TDeviceEnumerator::TDeviceEnumerator(TSimulatedDeviceProvider* simulated, QObject* parent) : QObject(parent) {
  system_ = std::make_unique<TSystemDeviceProvider>();
  if (!simulated) {
    const bool asked = qEnvironmentVariableIsSet("TESSIVO_SIMULATED_DEVICES");
    ownSimulated_ = std::make_unique<TSimulatedDeviceProvider>(asked ? TSimulatedDeviceProvider::RequestedCamcorders() : 1);
    simulated = ownSimulated_.get();
  }
  simulatedDevices_ = simulated;
  simulatedDevices_->onChange = [this](const QString& identity, bool added) {
    if (!simulated_) return;
    if (added)
      DeviceAdded(identity);
    else
      DeviceRemoved(identity);
  };
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMilliseconds);
  connect(&settle_, &QTimer::timeout, this, &TDeviceEnumerator::devicesChanged);
  if (system_->monitor()) {
    const gst::BusPtr bus(gst_device_monitor_get_bus(system_->monitor()));
    watch_ = gst_bus_add_watch(bus.get(), &TDeviceEnumerator::OnMonitorMessage, this);
  }
  // Camcorders come and go as /dev/fw* nodes.
  if (QDir("/dev").exists()) {
    devFolder_ = new QFileSystemWatcher(QStringList{"/dev"}, this);
    connect(devFolder_, &QFileSystemWatcher::directoryChanged, this, &TDeviceEnumerator::OnDevFolderChanged);
    const QStringList nodes = QDir("/dev").entryList({"fw*"}, QDir::System);
    fireWireNodes_ = QSet<QString>(nodes.begin(), nodes.end());
  }
  for (const TDeviceMoniker& device : fireWire_.Devices()) fireWireIdentities_ << device.identity;
}

TDeviceEnumerator::~TDeviceEnumerator() {
  simulatedDevices_->onChange = nullptr;
  if (watch_) g_source_remove(watch_);
}

gboolean TDeviceEnumerator::OnMonitorMessage(GstBus*, GstMessage* message, gpointer data) {
  auto* self = static_cast<TDeviceEnumerator*>(data);
  GstDevice* device = nullptr;
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_DEVICE_ADDED: {
      gst_message_parse_device_added(message, &device);
      const gst::ObjectPtr<GstDevice> held(device);
      self->DeviceAdded(TSystemDeviceProvider::IdentityOf(device));
      break;
    }
    case GST_MESSAGE_DEVICE_REMOVED: {
      gst_message_parse_device_removed(message, &device);
      const gst::ObjectPtr<GstDevice> held(device);
      self->DeviceRemoved(TSystemDeviceProvider::IdentityOf(device));
      break;
    }
    default:
      break;
  }
  return TRUE;
}

void TDeviceEnumerator::OnDevFolderChanged() {
  const QStringList list = QDir("/dev").entryList({"fw*"}, QDir::System);
  const QSet<QString> nodes(list.begin(), list.end());
  if (nodes == fireWireNodes_) return;
  const bool removed = !(fireWireNodes_ - nodes).isEmpty();
  fireWireNodes_ = nodes;
  // Which camcorder went is known by asking the bus again: it is reported
  // under the identity its source was listed with.
  QSet<QString> present;
  for (const TDeviceMoniker& device : fireWire_.Devices()) present << device.identity;
  const QSet<QString> gone = fireWireIdentities_ - present;
  const QSet<QString> came = present - fireWireIdentities_;
  fireWireIdentities_ = present;
  for (const QString& identity : gone) DeviceRemoved(identity);
  for (const QString& identity : came) DeviceAdded(identity);
  if (gone.isEmpty() && came.isEmpty()) {
    if (removed)
      DeviceRemoved(QStringLiteral("ieee1394"));
    else
      DeviceAdded(QStringLiteral("ieee1394"));
  }
}

void TDeviceEnumerator::DeviceAdded(const QString& identity) {
  qCInfo(lcDevices) << "device plugged in:" << identity;
  settle_.start();
}

void TDeviceEnumerator::DeviceRemoved(const QString& identity) {
  qCInfo(lcDevices) << "device unplugged:" << identity;
  emit deviceRemoved(identity);
  settle_.start();
}

std::optional<std::vector<TDeviceMoniker>> TDeviceEnumerator::Devices() {
  // Without the system's device monitor no camera or sound input can be
  // listed: that is a failure, not an empty machine.
  if (!system_->monitor() || failListing_) return std::nullopt;
  std::vector<TDeviceMoniker> devices = fireWire_.Devices();
  for (TDeviceMoniker& device : system_->Devices()) devices.push_back(std::move(device));
  const bool anyVideo = std::any_of(devices.begin(), devices.end(), [](const TDeviceMoniker& device) {
    const TDeviceKind kind = ClassifyDevice(device.caps.get());
    return kind == dkDV || kind == dkVideo;
  });
  simulated_ = !anyVideo || qEnvironmentVariableIsSet("TESSIVO_SIMULATED_DEVICES") || !ownSimulated_;
  if (simulated_) {
    if (!anyVideo) qCInfo(lcDevices) << "no camera, capture card or camcorder found: simulated devices offered";
    for (TDeviceMoniker& device : simulatedDevices_->Devices()) devices.push_back(std::move(device));
  }
  return devices;
}
