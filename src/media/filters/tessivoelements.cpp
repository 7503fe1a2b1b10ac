#include "media/filters/tessivoelements.h"

#include <mutex>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/vx_scenedetect.h"

namespace {

Tvx_SceneDetect& SceneDetect(TFilter& filter) { return static_cast<Tvx_SceneDetect&>(filter); }

FilterElementDescription SceneDetectDescription() {
  FilterElementDescription d;
  d.name = kSceneDetectElement;
  d.longName = "Orbelin vx_SceneDetect";
  d.klass = "Filter/Video";
  d.description = "Numbers DV frames, reads their recording date and time code, and finds scene changes";
  d.sinkCaps = "video/x-dv";
  d.srcCaps = "video/x-dv";
  d.inPlace = true;
  d.create = [] { return std::make_unique<Tvx_SceneDetect>(); };
  d.properties = {
      {"frame-count",
       "Frames numbered since the start",
       G_TYPE_UINT,
       false,
       0,
       G_MAXUINT,
       0,
       [](TFilter& f, GValue* v) { g_value_set_uint(v, SceneDetect(f).current().frameCount); },
       {}},
      {"has-date",
       "The last frame carried a valid recording date",
       G_TYPE_BOOLEAN,
       false,
       0,
       1,
       0,
       [](TFilter& f, GValue* v) { g_value_set_boolean(v, SceneDetect(f).currentHasDate()); },
       {}},
      {"recording-date",
       "Recording date of the last frame, in days since 1899-12-30",
       G_TYPE_DOUBLE,
       false,
       0,
       1e7,
       0,
       [](TFilter& f, GValue* v) { g_value_set_double(v, SceneDetect(f).currentRecordingDate()); },
       {}},
      {"video-system",
       "0: 625/50, 1: 525/60, 2: unknown",
       G_TYPE_UINT,
       false,
       0,
       2,
       2,
       [](TFilter& f, GValue* v) { g_value_set_uint(v, SceneDetect(f).currentVideoSystem()); },
       {}},
  };
  return d;
}

gboolean RegisterAsPlugin(GstPlugin* plugin) { return RegisterTessivoElements(plugin); }

}  // namespace

gboolean RegisterTessivoElements(GstPlugin* plugin) { return RegisterFilterElement(plugin, SceneDetectDescription()); }

bool RegisterTessivoPlugin() {
  static std::once_flag once;
  static bool registered = false;
  std::call_once(once, [] {
    registered = gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, "tessivo", "Tessivo's own filters",
                                            RegisterAsPlugin, "6.1.3", "Proprietary", "tessivo", "Tessivo",
                                            "https://tessivo.invalid");
  });
  return registered;
}
