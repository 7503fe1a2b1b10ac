// Owning handles for GLib and GStreamer objects, and the questions the program
// asks of the GStreamer installation (version, installed elements).
#pragma once

#include <gst/gst.h>

#include <QString>
#include <QStringList>
#include <utility>

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

using ElementPtr = ObjectPtr<GstElement>;
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

// Factories of the category, highest rank first.
QList<FactoryPtr> FactoriesInCategory(const QString& category);

}  // namespace gst
