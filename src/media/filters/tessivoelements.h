// The program's own elements, registered in-process at start and built as
// the plug-in file libgsttessivo.so for other pipelines.
#pragma once

#include <gst/gst.h>

// Registers every own element with the plug-in (or in-process when null).
gboolean RegisterTessivoElements(GstPlugin* plugin);

// Registers them once as the static plug-in "tessivo"; safe to call again.
bool RegisterTessivoPlugin();

// The element factory names.
inline constexpr char kSceneDetectElement[] = "vx_scenedetect";
inline constexpr char kTimeStamperElement[] = "vx_timestamper";
inline constexpr char kControlFilterElement[] = "vx_controlfilter";
inline constexpr char kDvHeaderElement[] = "vx_dvheader";
inline constexpr char kResizerElement[] = "vx_resizer";
inline constexpr char kWaveDestElement[] = "vx_wavedest";
inline constexpr char kSuperposerElement[] = "vx_superposer";
