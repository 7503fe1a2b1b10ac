#include "capture/plugins.h"

#include <dlfcn.h>
#include <tessivo/pvx.h>

#include <QDir>
#include <QLoggingCategory>
#include <array>
#include <memory>
#include <type_traits>

#include "capture/captureengine.h"
#include "capture/mediamodule.h"
#include "media/filters/vx_superposer.h"

Q_LOGGING_CATEGORY(lcPlugins, "tessivo.plugins")

static_assert(std::is_same_v<pi_killvideograph_t, pi_killaudiograph_t>);

namespace {

constexpr int kNameCharacters = 255;

// A library as dlopen gives it, closed with its owner.
class TLibrary {
 public:
  TLibrary(const QString& path, bool keepLoaded) {
    handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | (keepLoaded ? RTLD_NODELETE : 0));
    if (!handle_) error_ = QString::fromLocal8Bit(dlerror());
  }
  ~TLibrary() {
    if (handle_) dlclose(handle_);
  }
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const QString& error() const { return error_; }
  // The export, or null when the library has none of that name.
  template <typename Function>
  Function Find(const char* name) const {
    return handle_ ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
  }

 private:
  void* handle_ = nullptr;
  QString error_;
};

// A name written by the library into the buffer the interface fixes: zeroed
// first, its last byte forced to zero after the call, the text up to the
// first zero, at most 255 characters (never half a character).
template <typename NameFunction>
QString NameFrom(NameFunction function) {
  if (!function) return {};
  auto buffer = std::make_unique<std::array<char, PI_NAME_BUFFER_SIZE>>();
  buffer->fill(0);
  function(buffer->data(), PI_NAME_BUFFER_SIZE);
  buffer->back() = 0;
  const QString text = QString::fromUtf8(buffer->data());
  const std::u32string characters = text.toStdU32String();
  return characters.size() <= kNameCharacters ? text : QString::fromStdU32String(characters.substr(0, kNameCharacters));
}

pi_int AbiVersion(const TLibrary& library) {
  const auto version = library.Find<pi_abiversion_t>("pi_abiversion");
  return version ? version() : 1;
}

class TPlugInCaptureDevice : public TCaptureDevice {
 public:
  TPlugInCaptureDevice(const TDeviceMoniker& moniker, int instance, const TpluginData& plugin)
      : TCaptureDevice(dkPlugIn, moniker, instance, moniker.friendlyName),
        library_(std::make_unique<TLibrary>(plugin.LibraryPath, true)) {
    Valid = false;
    NativeFormat1 = NativeFormat2 = 0;
    VideoStreamCount = AudioStreamCount = 0;
    if (!library_->loaded()) {
      qCWarning(lcPlugins) << "plug-in" << plugin.LibraryPath << "does not load:" << library_->error();
      return;
    }
    try {
      if (AbiVersion(*library_) != PI_ABI_VERSION) return;
      if (NameFrom(library_->Find<pi_drivername_t>("pi_drivername")) != moniker.friendlyName) return;
      const QString baseName = NameFrom(library_->Find<pi_friendlyname_t>("pi_friendlyname"));
      Name = Instance == 1 ? baseName : baseName + " #" + QString::number(Instance);
      if (const auto create = Find<pi_create_t>("pi_create")) create(&handle_);
      if (handle_ == 0) {
        qCWarning(lcPlugins) << "plug-in" << plugin.LibraryPath << "made no instance";
        return;
      }
      if (const auto source = Find<pi_sourcefilter_t>("pi_sourcefilter")) {
        GstElement* element = nullptr;
        source(&handle_, &element);
        source_ = element ? gst::ElementPtr(GST_ELEMENT(gst_object_ref(element))) : gst::ElementPtr();
      }
      pi_int count = 0;
      if (const auto video = Find<pi_nbfluxvideo_t>("pi_nbfluxvideo")) video(&handle_, &count);
      VideoStreamCount = static_cast<int>(count);
      count = 0;
      if (const auto audio = Find<pi_nbfluxaudio_t>("pi_nbfluxaudio")) audio(&handle_, &count);
      AudioStreamCount = static_cast<int>(count);
      Valid = true;
    } catch (...) {
      Valid = false;
    }
  }

  ~TPlugInCaptureDevice() override {
    source_ = {};
    if (handle_ != 0)
      if (const auto destroy = Find<pi_destroy_t>("pi_destroy")) destroy(&handle_);
  }

  GstElement* SourceFilter() override { return source_.get(); }

  GstElement* SetSourceGraph(TCaptureEngine& engine) override {
    const auto set = Find<pi_setsourcegraph_t>("pi_setsourcegraph");
    if (!set) return nullptr;
    GstElement* source = nullptr;
    set(&handle_, &source, Graph(engine));
    return source && engine.graph().Contains(source) ? source : nullptr;
  }

  void KillSourceGraph(TCaptureEngine& engine) override {
    if (const auto kill = Find<pi_killsourcegraph_t>("pi_killsourcegraph")) kill(&handle_, Graph(engine));
  }

  bool SetVideoGraph(TCaptureEngine& engine, int streamNumber) override {
    TCaptureContext& context = engine.context;
    context.VideoOutPin = {};
    const auto set = Find<pi_setvideograph_t>("pi_setvideograph");
    if (!set) return false;
    GstPad* written = nullptr;
    GstElement* tee = nullptr;
    std::uint8_t upsideDown = 0, second = 0, first = 0;
    set(&handle_, streamNumber, &written, Graph(engine), &upsideDown, &tee, &second, &first);
    const graph::PadPtr pad(written);  // the pad is ours to release
    NativeFormat1 = first;
    NativeFormat2 = second;
    context.dm->Superposer().sourceUpsideDown = upsideDown != 0;
    if (!pad || !tee || !engine.graph().Contains(tee) || !IsRawVideo(pad.get())) {
      qCWarning(lcPlugins) << Name << "gave no raw picture and tee";
      return false;
    }
    context.VideoTee = gst::ElementPtr(GST_ELEMENT(gst_object_ref(tee)));
    // A pad of the tee is its first output, which the preview takes as the
    // other devices' (the tee's outputs are the program's).
    graph::PadPtr pictures = GST_OBJECT_PARENT(pad.get()) == GST_OBJECT(tee) ? engine.graph().TeeOutput(tee, 1) : pad;
    const Tdm::OwnFilter& control = context.dm->previewVideoControl;
    if (!pictures || !context.dm->Add(control)) return false;
    const graph::PadPtr controlIn = engine.graph().FindPin(control.element.get(), graph::Direction::Input, {}, true, 0);
    if (!engine.graph().ConnectDirect(pictures.get(), controlIn.get())) return false;
    context.VideoOutPin = engine.graph().FindPin(control.element.get(), graph::Direction::Output, {}, true, 0);
    return static_cast<bool>(context.VideoOutPin);
  }

  graph::PadPtr SetAudioGraph(TCaptureEngine& engine, int streamNumber) override {
    const auto set = Find<pi_setaudiograph_t>("pi_setaudiograph");
    if (!set) return {};
    GstPad* written = nullptr;
    GstElement* tee = nullptr;
    set(&handle_, streamNumber, &written, Graph(engine), &tee);
    const graph::PadPtr pad(written);
    if (!pad || !tee || !engine.graph().Contains(tee)) {
      qCWarning(lcPlugins) << Name << "gave no sound and tee";
      return {};
    }
    engine.context.AudioTee = gst::ElementPtr(GST_ELEMENT(gst_object_ref(tee)));
    return GST_OBJECT_PARENT(pad.get()) == GST_OBJECT(tee) ? engine.graph().TeeOutput(tee, 1) : pad;
  }

  bool KillVideoGraph(TCaptureEngine& engine) override {
    KillStream(engine, engine.context.dm->previewVideoControl, engine.context.VideoTee, "pi_killvideograph");
    return true;
  }

  bool KillAudioGraph(TCaptureEngine& engine) override {
    KillStream(engine, engine.context.dm->previewAudioControl, engine.context.AudioTee, "pi_killaudiograph");
    return true;
  }

  bool CaptureNative(TCaptureEngine& engine, const QString& fileName) override {
    const auto build = Find<pi_buildmuxgraph_t>("pi_buildmuxgraph");
    if (!build) return false;
    build(&handle_, Graph(engine), fileName.toUtf8().constData());
    return true;
  }

  bool FinCaptureNative(TCaptureEngine& engine) override {
    const auto kill = Find<pi_killmuxgraph_t>("pi_killmuxgraph");
    if (kill) kill(&handle_, Graph(engine));
    return kill != nullptr;
  }

  bool RepointNative(TCaptureEngine& engine, const QString& fileName) override {
    const auto repoint = Find<pi_repointmux_t>("pi_repointmux");
    if (!repoint) return false;
    if (repoint(&handle_, Graph(engine), fileName.toUtf8().constData()) == 1) return true;
    qCWarning(lcPlugins) << Name << "could not re-point its recording to" << fileName;
    return false;
  }

 protected:
  GstElement* ExistingSource() const override { return source_.get(); }

 private:
  template <typename Function>
  Function Find(const char* name) const {
    return library_->Find<Function>(name);
  }
  static GstBin* Graph(TCaptureEngine& engine) { return GST_BIN(engine.graph().pipeline()); }

  // An output giving raw pictures, not linked yet.
  static bool IsRawVideo(GstPad* pad) {
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC || gst_pad_is_linked(pad)) return false;
    const gst::CapsPtr caps(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get())) return false;
    for (guint i = 0; i < gst_caps_get_size(caps.get()); ++i)
      if (!gst_structure_has_name(gst_caps_get_structure(caps.get(), i), "video/x-raw")) return false;
    return true;
  }

  // The preview's control and the program's own outputs of the plug-in's
  // tee go first; then the plug-in takes its part out. Both kill functions
  // have the same arguments.
  void KillStream(TCaptureEngine& engine, const Tdm::OwnFilter& control, gst::ElementPtr& tee, const char* name) {
    engine.graph().RemoveFilter(control.element.get());
    if (tee)
      for (int position = 8; position >= 1; --position) engine.graph().ReleaseTeeOutput(tee.get(), position);
    if (const auto kill = Find<pi_killvideograph_t>(name)) {
      GObject* iface = nullptr;
      kill(&handle_, &iface, Graph(engine));
      // A new reference the plug-in hands over: released with its owner.
      const std::unique_ptr<GObject, decltype(&g_object_unref)> released(iface, &g_object_unref);
    }
    tee = {};
  }

  std::unique_ptr<TLibrary> library_;
  pi_handle handle_ = 0;
  gst::ElementPtr source_;
};

}  // namespace

void TpluginList::PluginAddToList(const QString& folder) {
  items_.clear();
  const QDir dir(folder);
  if (folder.isEmpty() || !dir.exists()) {
    qCInfo(lcPlugins) << "no plug-in folder" << folder;
    return;
  }
  const QStringList files = dir.entryList({QStringLiteral("*.pvx")}, QDir::Files | QDir::Hidden | QDir::System,
                                          QDir::Name);
  for (const QString& file : files) {
    const QString path = dir.filePath(file);
    const TLibrary library(path, false);
    if (!library.loaded()) {
      qCWarning(lcPlugins) << "not a plug-in:" << path << library.error();
      continue;
    }
    TpluginData entry;
    entry.LibraryPath = path;
    entry.DriverName = NameFrom(library.Find<pi_drivername_t>("pi_drivername"));
    if (const pi_int version = AbiVersion(library); version != PI_ABI_VERSION) {
      qCWarning(lcPlugins) << "plug-in" << path << "is built for version" << version << "of the interface, not"
                           << PI_ABI_VERSION;
      entry.Enabled = false;
    }
    if (entry.DriverName.isEmpty()) qCWarning(lcPlugins) << "plug-in" << path << "names no device";
    qCInfo(lcPlugins) << "plug-in" << path << "serves" << entry.DriverName;
    items_.push_back(entry);
  }
}

int TpluginList::IndexOfDriver(const QString& name) const {
  if (name.isEmpty()) return -1;  // a library that names nothing serves nothing
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<std::size_t>(i)].DriverName == name) return i;
  return -1;
}

TpluginData* TpluginList::Item(int index) {
  return index >= 0 && index < Count() ? &items_[static_cast<std::size_t>(index)] : nullptr;
}

const TpluginData* TpluginList::Item(int index) const {
  return index >= 0 && index < Count() ? &items_[static_cast<std::size_t>(index)] : nullptr;
}

std::unique_ptr<TCaptureDevice> MakePlugInDevice(const TDeviceMoniker& moniker, int instance,
                                                 const TpluginData& plugin) {
  if (!plugin.Enabled && !plugin.LibraryPath.isEmpty()) {
    // A library of another interface version is never loaded for a device.
    const TLibrary library(plugin.LibraryPath, false);
    if (library.loaded() && AbiVersion(library) != PI_ABI_VERSION) return nullptr;
  }
  // The device's source is the plug-in's, not the one the system would make.
  TDeviceMoniker served = moniker;
  served.createSource = nullptr;
  return std::make_unique<TPlugInCaptureDevice>(served, instance, plugin);
}
