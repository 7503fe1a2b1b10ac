#include "media/filters/tessivoelements.h"

#include <mutex>

#include "media/filters/bgrtoi420element.h"
#include "media/filters/branchguard.h"
#include "media/filters/dvaudioembed.h"
#include "media/filters/dvavisink.h"
#include "media/filters/gstfilteradapter.h"
#include "media/filters/vx_controlunit.h"
#include "media/filters/vx_dvheader.h"
#include "media/filters/vx_resizer.h"
#include "media/filters/vx_scenedetect.h"
#include "media/filters/vx_superposer.h"
#include "media/filters/vx_timestamper.h"
#include "media/filters/vx_wavedest.h"
#include "platform/gstreamer.h"

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

template <typename F>
F& As(TFilter& filter) {
  return static_cast<F&>(filter);
}

FilterProperty BooleanProperty(const char* name, const char* blurb, bool initial, std::function<bool(TFilter&)> get,
                               std::function<void(TFilter&, bool)> set) {
  return {name,
          blurb,
          G_TYPE_BOOLEAN,
          true,
          0,
          1,
          initial ? 1.0 : 0.0,
          [get](TFilter& f, GValue* v) { g_value_set_boolean(v, get(f)); },
          [set](TFilter& f, const GValue* v) { set(f, g_value_get_boolean(v)); }};
}

FilterElementDescription TimeStamperDescription() {
  FilterElementDescription d;
  d.name = kTimeStamperElement;
  d.longName = "Orbelin vx_Timestamper";
  d.klass = "Filter";
  d.description = "Drops every sample while frozen; can remove the samples' times";
  d.sinkCaps = d.srcCaps = "ANY";
  d.create = [] { return std::make_unique<Tvx_TimeStamper>(); };
  d.properties = {
      BooleanProperty(
          "drop-all", "Drop every sample (frozen)", false, [](TFilter& f) { return As<Tvx_TimeStamper>(f).dropAll(); },
          [](TFilter& f, bool v) { As<Tvx_TimeStamper>(f).SetDropAll(v); }),
      BooleanProperty(
          "strip-times", "Remove the samples' times", false,
          [](TFilter& f) { return As<Tvx_TimeStamper>(f).stripTimes(); },
          [](TFilter& f, bool v) {
            if (v)
              As<Tvx_TimeStamper>(f).SetStripTimes();
            else
              As<Tvx_TimeStamper>(f).SetPassThrough();
          }),
  };
  return d;
}

FilterElementDescription ControlFilterDescription() {
  FilterElementDescription d;
  d.name = kControlFilterElement;
  d.longName = "Orbelin vx_ControlFilter";
  d.klass = "Filter";
  d.description = "Lets one sample through per permission, re-stamped on an even clock";
  d.sinkCaps = d.srcCaps = "ANY";
  d.create = [] { return std::make_unique<Tvx_ControlFilter>(); };
  d.properties = {
      BooleanProperty(
          "pass", "The next sample may go through", true,
          [](TFilter& f) { return As<Tvx_ControlFilter>(f).pass.load(); },
          [](TFilter& f, bool v) { As<Tvx_ControlFilter>(f).pass.store(v); }),
      BooleanProperty(
          "force-sync-point", "Mark every sample a key frame", false,
          [](TFilter& f) { return As<Tvx_ControlFilter>(f).forceSyncPoint.load(); },
          [](TFilter& f, bool v) { As<Tvx_ControlFilter>(f).forceSyncPoint.store(v); }),
      BooleanProperty(
          "force-discontinuity", "Mark every sample a discontinuity", false,
          [](TFilter& f) { return As<Tvx_ControlFilter>(f).forceDiscontinuity.load(); },
          [](TFilter& f, bool v) { As<Tvx_ControlFilter>(f).forceDiscontinuity.store(v); }),
  };
  return d;
}

FilterElementDescription DvHeaderDescription() {
  FilterElementDescription d;
  d.name = kDvHeaderElement;
  d.longName = "Orbelin vx_DVHeader";
  d.klass = "Filter/Video";
  d.description = "Gives re-encoded DV frames back the source's time code and recording date";
  d.sinkCaps = d.srcCaps = "video/x-dv";
  d.create = [] { return std::make_unique<Tvx_DVheader>(); };
  d.properties = {
      {"wide-mode",
       "1: mark every frame 16:9",
       G_TYPE_UINT,
       true,
       0,
       255,
       0,
       {},
       [](TFilter& f, const GValue* v) {
         As<Tvx_DVheader>(f).SetWideMode(static_cast<std::uint8_t>(g_value_get_uint(v)));
       }},
  };
  return d;
}

FilterProperty IntegerProperty(const char* name, const char* blurb, int minimum, int maximum, int initial,
                               std::function<int(TFilter&)> get, std::function<void(TFilter&, int)> set) {
  return {name,
          blurb,
          G_TYPE_INT,
          true,
          double(minimum),
          double(maximum),
          double(initial),
          [get](TFilter& f, GValue* v) { g_value_set_int(v, get(f)); },
          [set](TFilter& f, const GValue* v) { set(f, g_value_get_int(v)); }};
}

FilterElementDescription ResizerDescription() {
  FilterElementDescription d;
  d.name = kResizerElement;
  d.longName = "Orbelin Resizer";
  d.klass = "Filter/Converter/Video/Scaler";
  d.description = "Scales BGR pictures to the size the aspect mode and the half-height rule give";
  d.sinkCaps = d.srcCaps = "video/x-raw,format=BGR";
  d.inPlace = false;
  d.create = [] { return std::make_unique<TVX_Resizer>(); };
  d.properties = {
      IntegerProperty(
          "mode", "0 source aspect, 1 4:3, 2 16:9, 3 source pixels", 0, 255, 0,
          [](TFilter& f) { return As<TVX_Resizer>(f).mode(); },
          [](TFilter& f, int v) { As<TVX_Resizer>(f).SetResizeMode(v); }),
      BooleanProperty(
          "demi-taille", "At most 288 lines", true, [](TFilter& f) { return As<TVX_Resizer>(f).demiTaille.load(); },
          [](TFilter& f, bool v) { As<TVX_Resizer>(f).demiTaille.store(v); }),
      IntegerProperty(
          "aspect-x", "Source picture aspect, width part (0: unknown)", 0, 1000, 0,
          [](TFilter& f) { return As<TVX_Resizer>(f).aspectX.load(); },
          [](TFilter& f, int v) { As<TVX_Resizer>(f).aspectX.store(v); }),
      IntegerProperty(
          "aspect-y", "Source picture aspect, height part (0: unknown)", 0, 1000, 0,
          [](TFilter& f) { return As<TVX_Resizer>(f).aspectY.load(); },
          [](TFilter& f, int v) { As<TVX_Resizer>(f).aspectY.store(v); }),
  };
  return d;
}

FilterElementDescription WaveDestDescription() {
  FilterElementDescription d;
  d.name = kWaveDestElement;
  d.longName = "WavDest filter";
  d.klass = "Codec/Muxer/Audio";
  d.description = "Writes uncompressed sound as a WAV file, its head completed at the end of the stream";
  d.sinkCaps = "audio/x-raw,format={U8,S16LE,S24LE,S32LE},layout=interleaved";
  d.srcCaps = "audio/x-wav";
  d.fixedOutputCaps = "audio/x-wav";
  d.inPlace = false;
  d.create = [] { return std::make_unique<Tvx_WaveDest>(); };
  return d;
}

// Changes one field of the overlay record.
template <typename Change>
void EditRecord(TFilter& filter, Change change) {
  auto& overlay = As<Tvx_Superposer>(filter);
  TincrustRec record = overlay.incrust();
  change(record);
  overlay.setincrust(record);
}

FilterProperty RecordInteger(const char* name, const char* blurb, int minimum, int maximum, int initial,
                             int TincrustRec::*field) {
  return IntegerProperty(
      name, blurb, minimum, maximum, initial, [field](TFilter& f) { return As<Tvx_Superposer>(f).incrust().*field; },
      [field](TFilter& f, int v) { EditRecord(f, [&](TincrustRec& r) { r.*field = v; }); });
}

FilterProperty RecordText(const char* name, const char* blurb, QString TincrustRec::*field) {
  return {name,
          blurb,
          G_TYPE_STRING,
          true,
          0,
          0,
          0,
          [field](TFilter& f, GValue* v) {
            g_value_set_string(v, (As<Tvx_Superposer>(f).incrust().*field).toUtf8().constData());
          },
          [field](TFilter& f, const GValue* v) {
            const QString text = QString::fromUtf8(g_value_get_string(v));
            EditRecord(f, [&](TincrustRec& r) { r.*field = text; });
          }};
}

FilterElementDescription SuperposerDescription() {
  FilterElementDescription d;
  d.name = kSuperposerElement;
  d.longName = "Orbelin vx_Superposer";
  d.klass = "Filter/Editor/Video";
  d.description = "Turns and mirrors the picture, draws the recording date, time code or a text, grabs frames";
  d.sinkCaps = d.srcCaps = "video/x-raw,format=BGR";
  d.inPlace = false;
  d.create = [] { return std::make_unique<Tvx_Superposer>(); };
  d.properties = {
      BooleanProperty(
          "enabled", "Draw the text", false, [](TFilter& f) { return As<Tvx_Superposer>(f).incrustEnabled(); },
          [](TFilter& f, bool v) { As<Tvx_Superposer>(f).SetIncrustEnabled(v); }),
      BooleanProperty(
          "activer-superposition", "The overlay may change the picture at all", true,
          [](TFilter& f) { return As<Tvx_Superposer>(f).activerSuperposition.load(); },
          [](TFilter& f, bool v) { As<Tvx_Superposer>(f).activerSuperposition.store(v); }),
      BooleanProperty(
          "flip", "Upside down", false, [](TFilter&) { return false; },
          [](TFilter& f, bool v) { As<Tvx_Superposer>(f).SetFlip(v); }),
      BooleanProperty(
          "mirror", "Left becomes right", false, [](TFilter&) { return false; },
          [](TFilter& f, bool v) { As<Tvx_Superposer>(f).SetMirror(v); }),
      IntegerProperty(
          "what", "0 recording date, 1 time code, 2 texts, 3 clock, 4 nothing", 0, 255, 0,
          [](TFilter& f) { return int(As<Tvx_Superposer>(f).incrust().whatIncrust); },
          [](TFilter& f, int v) { EditRecord(f, [&](TincrustRec& r) { r.whatIncrust = std::uint8_t(v); }); }),
      IntegerProperty(
          "alignement", "0 left, 1 centre, 2 right, 3 subtitle", 0, 255, 2,
          [](TFilter& f) { return int(As<Tvx_Superposer>(f).incrust().alignement); },
          [](TFilter& f, int v) { EditRecord(f, [&](TincrustRec& r) { r.alignement = std::uint8_t(v); }); }),
      RecordInteger("xpos", "Anchor, thousandths of the width", 0, 1000, 914, &TincrustRec::xPos),
      RecordInteger("ypos", "Anchor, thousandths of the height", 0, 1000, 914, &TincrustRec::yPos),
      RecordInteger("border", "Outline thickness in pixels", 0, 5, 1, &TincrustRec::borderSize),
      RecordText("text1", "Line 1 (with %D, %T, %R)", &TincrustRec::incrust1),
      RecordText("text2", "Line 2 (with %D, %T, %R)", &TincrustRec::incrust2),
  };
  return d;
}

gboolean RegisterAsPlugin(GstPlugin* plugin) { return RegisterTessivoElements(plugin); }

}  // namespace

gboolean RegisterTessivoElements(GstPlugin* plugin) {
  return RegisterFilterElement(plugin, SceneDetectDescription()) &&
         RegisterFilterElement(plugin, TimeStamperDescription()) &&
         RegisterFilterElement(plugin, ControlFilterDescription()) &&
         RegisterFilterElement(plugin, DvHeaderDescription()) && RegisterFilterElement(plugin, ResizerDescription()) &&
         RegisterFilterElement(plugin, WaveDestDescription()) &&
         RegisterFilterElement(plugin, SuperposerDescription()) && RegisterDvAviSink(plugin) &&
         RegisterDvAudioEmbed(plugin) && RegisterBranchGuard(plugin) &&
         RegisterBgrToI420(plugin);
}

bool RegisterTessivoPlugin() {
  gst::EnsureInitialised();
  // GStreamer's registry is the process's: the plug-in joins it once.
  static std::once_flag once;
  static bool registered = false;
  std::call_once(once, [] {
    registered = gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, "tessivo", "Tessivo's own filters",
                                            RegisterAsPlugin, "6.1.3", "Proprietary", "tessivo", "Tessivo",
                                            "https://tessivo.invalid");
  });
  return registered;
}
