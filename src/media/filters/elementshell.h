// A GStreamer element written in C++: a thin GObject instance that holds one
// C++ object (its State), made with the instance and deleted with it. The
// element's pad functions and virtual methods only forward to the State.
//
//   class TMyState { public: explicit TMyState(GstElement* self); ... };
//   using Shell = ElementShell<GstElement, GstElementClass, TMyState>;
//   GType type = Shell::Type(GST_TYPE_ELEMENT, "TessivoMine", [](gpointer klass) { ... });
//   Shell::Of(parent).Chain(buffer);
#pragma once

#include <gst/gst.h>

#include <mutex>

template <typename Parent, typename ParentClass, typename State>
class ElementShell {
 public:
  static State& Of(gpointer instance) { return *reinterpret_cast<Instance*>(instance)->state; }

  // The element's type, registered on first use (GLib types are the
  // process's); `classInit` adds templates, metadata and virtual methods.
  static GType Type(GType parentType, const char* typeName, void (*classInit)(gpointer klass)) {
    static std::once_flag once;
    static GType type = 0;
    std::call_once(once, [&] {
      classInit_ = classInit;
      parentType_ = parentType;
      const GTypeInfo info = {sizeof(ParentClass), nullptr, nullptr,       &ClassInit, nullptr, nullptr,
                              sizeof(Instance),    0,       &InstanceInit, nullptr};
      type = g_type_register_static(parentType, typeName, &info, GTypeFlags(0));
    });
    return type;
  }

 private:
  struct Instance {
    Parent parent;
    State* state;
  };
  static void InstanceInit(GTypeInstance* instance, gpointer) {
    reinterpret_cast<Instance*>(instance)->state = new State(GST_ELEMENT(instance));
  }
  static void Finalize(GObject* object) {
    auto* instance = reinterpret_cast<Instance*>(object);
    delete instance->state;
    instance->state = nullptr;
    G_OBJECT_CLASS(g_type_class_peek(parentType_))->finalize(object);
  }
  static void ClassInit(gpointer klass, gpointer) {
    G_OBJECT_CLASS(klass)->finalize = &Finalize;
    if (classInit_) classInit_(klass);
  }
  static inline void (*classInit_)(gpointer) = nullptr;
  static inline GType parentType_ = 0;
};
