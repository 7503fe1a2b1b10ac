#include "media/filters/branchguard.h"

#include <sys/statvfs.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

#include "media/filters/elementshell.h"

namespace {

GstStaticPadTemplate kSinkTemplate = GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
GstStaticPadTemplate kSrcTemplate = GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);

constexpr auto kSpaceCheckPeriod = std::chrono::milliseconds(250);

enum { kPropWatchFolder = 1, kPropReserve };

// What the guard watches (set from the application thread while stopped) and
// what it saw (streaming thread, read by the application through atomics).
class TBranchGuardState {
 public:
  explicit TBranchGuardState(GstElement* element) : element_(element) {
    sink_ = gst_pad_new_from_static_template(&kSinkTemplate, "sink");
    src_ = gst_pad_new_from_static_template(&kSrcTemplate, "src");
    gst_pad_set_chain_function(sink_, [](GstPad*, GstObject* parent, GstBuffer* buffer) {
      return Shell::Of(parent).Chain(buffer);
    });
    // Caps, allocation and everything else go through as if the guard was
    // not there.
    GST_PAD_SET_PROXY_CAPS(sink_);
    GST_PAD_SET_PROXY_ALLOCATION(sink_);
    GST_PAD_SET_PROXY_SCHEDULING(sink_);
    GST_PAD_SET_PROXY_CAPS(src_);
    GST_PAD_SET_PROXY_ALLOCATION(src_);
    GST_PAD_SET_PROXY_SCHEDULING(src_);
    gst_element_add_pad(element, sink_);
    gst_element_add_pad(element, src_);
  }

  std::string folder() const {
    const std::lock_guard lock(mutex_);
    return folder_;
  }
  void setFolder(std::string folder) {
    const std::lock_guard lock(mutex_);
    folder_ = std::move(folder);
  }
  std::atomic<std::uint64_t> reserve{kDiskReserveBytes};

  GstFlowReturn Chain(GstBuffer* buffer) {
    if (failed_.load()) {
      gst_buffer_unref(buffer);
      return GST_FLOW_OK;
    }
    WatchSpace();
    const GstFlowReturn result = gst_pad_push(src_, buffer);
    // The end of the stream and a flush are the branch's own business; any
    // other failure stays in the branch.
    if (result >= GST_FLOW_OK || result == GST_FLOW_EOS || result == GST_FLOW_FLUSHING) return result;
    if (!failed_.exchange(true)) Post(kBranchFailedMessage, gst_flow_get_name(result));
    return GST_FLOW_OK;
  }

 private:
  using Shell = ElementShell<GstElement, GstElementClass, TBranchGuardState>;

  void WatchSpace() {
    const auto now = std::chrono::steady_clock::now();
    if (diskFull_ || now < nextCheck_) return;
    nextCheck_ = now + kSpaceCheckPeriod;
    const std::string watched = folder();
    struct statvfs disk = {};
    if (watched.empty() || statvfs(watched.c_str(), &disk) != 0) return;
    const std::uint64_t free = static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
    if (free >= reserve.load()) return;
    diskFull_ = true;
    Post(kDiskFullMessage, watched.c_str());
  }

  void Post(const char* name, const char* detail) {
    GstStructure* body = gst_structure_new(name, "detail", G_TYPE_STRING, detail, nullptr);
    gst_element_post_message(element_, gst_message_new_element(GST_OBJECT(element_), body));
  }

  GstElement* element_;
  GstPad* sink_;
  GstPad* src_;
  mutable std::mutex mutex_;
  std::string folder_;  // under mutex_
  std::atomic<bool> failed_{false};
  bool diskFull_ = false;                             // streaming thread
  std::chrono::steady_clock::time_point nextCheck_{};  // streaming thread
};

using Shell = ElementShell<GstElement, GstElementClass, TBranchGuardState>;

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  TBranchGuardState& state = Shell::Of(object);
  if (id == kPropWatchFolder) {
    const char* folder = g_value_get_string(value);
    state.setFolder(folder ? folder : "");
  } else if (id == kPropReserve) {
    state.reserve.store(g_value_get_uint64(value));
  } else {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
  }
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  TBranchGuardState& state = Shell::Of(object);
  if (id == kPropWatchFolder)
    g_value_set_string(value, state.folder().c_str());
  else if (id == kPropReserve)
    g_value_set_uint64(value, state.reserve.load());
  else
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void ClassInit(gpointer klass) {
  auto* object = G_OBJECT_CLASS(klass);
  object->set_property = SetProperty;
  object->get_property = GetProperty;
  const auto flags = static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
  g_object_class_install_property(
      object, kPropWatchFolder,
      g_param_spec_string("watch-folder", "Watched folder", "Folder whose free space is watched", nullptr, flags));
  g_object_class_install_property(object, kPropReserve,
                                  g_param_spec_uint64("reserve", "Reserve", "Bytes kept free for finishing the file", 0,
                                                      G_MAXUINT64, kDiskReserveBytes, flags));
  auto* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &kSinkTemplate);
  gst_element_class_add_static_pad_template(element, &kSrcTemplate);
  gst_element_class_set_static_metadata(element, "Tessivo branch guard", "Generic",
                                        "Keeps a failing recording branch from stopping the preview and watches the "
                                        "free space of the file's folder",
                                        "Orbelin");
}

}  // namespace

bool RegisterBranchGuard(GstPlugin* plugin) {
  return gst_element_register(plugin, kBranchGuardElement, GST_RANK_NONE,
                              Shell::Type(GST_TYPE_ELEMENT, "TessivoBranchGuard", ClassInit));
}
