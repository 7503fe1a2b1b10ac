// Owning handles for GLib and GStreamer objects, and the questions the program
// asks of the GStreamer installation (version, installed elements).
#pragma once

#include <gst/gst.h>

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gst {

// Unique owner of a GstObject-derived pointer (elements, pads, buses,
// factories). Adopts a full reference; never call gst_object_unref by hand.
template <typename T>
class ObjectPtr {
 public:
  ObjectPtr() = default;
  explicit ObjectPtr(T* adopted) : ptr_(adopted) {}
  ObjectPtr(const ObjectPtr& other) : ptr_(other.ptr_ ? static_cast<T*>(gst_object_ref(other.ptr_)) : nullptr) {}
  ObjectPtr(ObjectPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ObjectPtr& operator=(ObjectPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~ObjectPtr() {
    if (ptr_) gst_object_unref(ptr_);
  }

  // Adopts a newly made object whose reference may still be floating
  // (gst_element_factory_make, gst_parse_launch).
  static ObjectPtr Sink(T* made) { return ObjectPtr(made ? static_cast<T*>(gst_object_ref_sink(made)) : nullptr); }

  // Takes an extra reference on a pointer owned elsewhere.
  static ObjectPtr Ref(T* borrowed) {
    return ObjectPtr(borrowed ? static_cast<T*>(gst_object_ref(borrowed)) : nullptr);
  }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  T* release() { return std::exchange(ptr_, nullptr); }
  void reset() { ObjectPtr().swap(*this); }
  void swap(ObjectPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

 private:
  T* ptr_ = nullptr;
};

// Owner of one reference to a GstMiniObject-derived pointer (caps, buffers,
// messages); copying takes another reference.
template <typename T>
class MiniObjectPtr {
 public:
  MiniObjectPtr() = default;
  explicit MiniObjectPtr(T* adopted) : ptr_(adopted) {}
  MiniObjectPtr(const MiniObjectPtr& other)
      : ptr_(other.ptr_ ? reinterpret_cast<T*>(gst_mini_object_ref(GST_MINI_OBJECT_CAST(other.ptr_))) : nullptr) {}
  MiniObjectPtr(MiniObjectPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  MiniObjectPtr& operator=(MiniObjectPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~MiniObjectPtr() {
    if (ptr_) gst_mini_object_unref(GST_MINI_OBJECT_CAST(ptr_));
  }
  T* get() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  T* release() { return std::exchange(ptr_, nullptr); }

 private:
  T* ptr_ = nullptr;
};

// Owner of a plain GObject that is no GstObject (a GstAdapter).
template <typename T>
class GObjectPtr {
 public:
  explicit GObjectPtr(T* adopted = nullptr) : ptr_(adopted) {}
  GObjectPtr(GObjectPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  GObjectPtr& operator=(GObjectPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~GObjectPtr() {
    if (ptr_) g_object_unref(ptr_);
  }
  T* get() const { return ptr_; }

 private:
  T* ptr_;
};

using ElementPtr = ObjectPtr<GstElement>;
using PadObjectPtr = ObjectPtr<GstPad>;
using DeviceMonitorPtr = ObjectPtr<GstDeviceMonitor>;

// Owners of the plain GLib allocations the program receives.
struct GFreeDeleter {
  void operator()(void* p) const { g_free(p); }
};
struct GErrorDeleter {
  void operator()(GError* e) const { g_error_free(e); }
};
struct StructureDeleter {
  void operator()(GstStructure* s) const { gst_structure_free(s); }
};
using StringPtr = std::unique_ptr<gchar, GFreeDeleter>;
using ErrorPtr = std::unique_ptr<GError, GErrorDeleter>;
using StructurePtr = std::unique_ptr<GstStructure, StructureDeleter>;

// Receives a GError through `out()` and owns it:
//   gst::ErrorOut error; gst_parse_launch(text, error.out());
class ErrorOut {
 public:
  GError** out() { return &raw_; }
  ~ErrorOut() {
    if (raw_) g_error_free(raw_);
  }
  explicit operator bool() const { return raw_ != nullptr; }
  std::string message() const { return raw_ && raw_->message ? raw_->message : std::string(); }

 private:
  GError* raw_ = nullptr;
};

// The objects of a list whose items each hold a reference (the device
// monitor's devices): the references are adopted, the list freed.
template <typename T>
std::vector<ObjectPtr<T>> AdoptList(GList* list);
template <>
std::vector<ObjectPtr<GstDevice>> AdoptList(GList* list);

// Text of caps, for logs.
std::string ToString(const GstCaps* caps);

// A list of element factories as GStreamer hands it over, freed with it.
class FactoryList {
 public:
  explicit FactoryList(GList* adopted = nullptr) : list_(adopted) {}
  FactoryList(FactoryList&& other) noexcept : list_(std::exchange(other.list_, nullptr)) {}
  FactoryList& operator=(FactoryList&& other) noexcept {
    std::swap(list_, other.list_);
    return *this;
  }
  ~FactoryList() { gst_plugin_feature_list_free(list_); }
  FactoryList(const FactoryList&) = delete;
  FactoryList& operator=(const FactoryList&) = delete;

  // Every factory of the type and at least that rank, highest rank first.
  static FactoryList Elements(GstElementFactoryListType type, GstRank minimumRank);
  // The factories of this list whose pads in that direction can take the caps.
  FactoryList Filter(const GstCaps* caps, GstPadDirection direction, bool subsetOnly = false) const;
  std::vector<GstElementFactory*> items() const;
  std::vector<std::string> names() const;

 private:
  GList* list_;
};

// Calls `visit` for every item of the iterator (pads, elements) until it
// answers false; resyncs on concurrent changes; frees the iterator.
void ForEach(GstIterator* adopted, const std::function<bool(GObject*)>& visit);
// The pads of an element in one direction (GST_PAD_UNKNOWN: all).
std::vector<PadObjectPtr> Pads(GstElement* element, GstPadDirection direction);

// A new element of the same factory with the same settings: every property
// that can be written after construction and differs from its default.
ObjectPtr<GstElement> NewLike(GstElement* element);

// A pad probe with an owner: removed when the owner goes, unless it removed
// itself (its callback answered GST_PAD_PROBE_REMOVE) before. The callback
// is kept by GStreamer until the probe is gone, so whatever it captures by
// value lives as long as it may be called.
class PadProbe {
 public:
  using Callback = std::function<GstPadProbeReturn(GstPad*, GstPadProbeInfo*)>;
  PadProbe() = default;
  PadProbe(GstPad* pad, GstPadProbeType mask, Callback callback);
  PadProbe(PadProbe&& other) noexcept = default;
  PadProbe& operator=(PadProbe&& other) noexcept {
    if (this != &other) {
      Remove();
      pad_ = std::move(other.pad_);
      state_ = std::move(other.state_);
    }
    return *this;
  }
  ~PadProbe() { Remove(); }
  PadProbe(const PadProbe&) = delete;
  PadProbe& operator=(const PadProbe&) = delete;

  void Remove();
  bool installed() const;
  GstPad* pad() const { return pad_.get(); }

 private:
  struct State;
  PadObjectPtr pad_;
  std::shared_ptr<State> state_;
};
using CapsPtr = MiniObjectPtr<GstCaps>;
using MessagePtr = MiniObjectPtr<GstMessage>;
using FactoryPtr = ObjectPtr<GstElementFactory>;
using BusPtr = ObjectPtr<GstBus>;

// Initialises GStreamer once for the process; safe to call again.
void EnsureInitialised();

// The running GStreamer's version as "major.minor.micro" (nano appended when
// not zero).
QString VersionText();

// Element factories the program cannot work without, and those of them that
// are not installed.
const QStringList& RequiredElements();
QStringList MissingElements(const QStringList& factoryNames);

// Whether a factory's class string ("Codec/Encoder/Video") holds every word of
// the category ("Encoder/Video").
bool FactoryInCategory(GstElementFactory* factory, const QString& category);

// Whether an element factory of that name is installed.
bool FactoryExists(const char* name);
// Factories of the category, highest rank first.
QList<FactoryPtr> FactoriesInCategory(const QString& category);

}  // namespace gst
