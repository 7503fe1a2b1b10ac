#include "capture/preview.h"

#include <gst/audio/audio.h>
#include <gst/video/video.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/devicesettings.h"
#include "capture/mediamodule.h"
#include "capture/transport.h"
#include "capture/videorenderer.h"
#include "media/filters/vx_superposer.h"

Q_LOGGING_CATEGORY(lcPreview, "tessivo.preview", QtInfoMsg)

namespace {

using graph::Direction;
using graph::PadPtr;

PadPtr In(TCaptureEngine& engine, GstElement* element) {
  return engine.graph().FindPin(element, Direction::Input, {}, true, 0);
}
PadPtr Out(TCaptureEngine& engine, GstElement* element) {
  return engine.graph().FindPin(element, Direction::Output, {}, true, 0);
}

bool Link(TCaptureEngine& engine, const PadPtr& output, const PadPtr& input) {
  return output && input && engine.graph().ConnectDirect(output.get(), input.get());
}

// The sound output of the preview: the monitoring volume, then whichever
// output answers (the sound server, then ALSA's default device), else a sink
// that keeps the pace and plays nothing.
}  // namespace

gst::ElementPtr MakePreviewAudioOutput(gst::ElementPtr& volume, bool& sound) {
  auto bin = gst::ElementPtr::Sink(gst_bin_new(nullptr));
  volume = gst::ElementPtr::Sink(gst_element_factory_make("volume", nullptr));
  auto convert = gst::ElementPtr::Sink(gst_element_factory_make("audioconvert", nullptr));
  auto resample = gst::ElementPtr::Sink(gst_element_factory_make("audioresample", nullptr));
  gst::ElementPtr sink;
  for (const char* factory : {"pulsesink", "alsasink"}) {
    sink = gst::ElementPtr::Sink(gst_element_factory_make(factory, nullptr));
    if (!sink) continue;
    if (gst_element_set_state(sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
      gst_element_set_state(sink.get(), GST_STATE_NULL);
      break;
    }
    gst_element_set_state(sink.get(), GST_STATE_NULL);
    sink = {};
  }
  sound = static_cast<bool>(sink);
  if (!sound) {
    qCWarning(lcPreview) << "no sound output: the preview runs silent";
    sink = gst::ElementPtr::Sink(gst_element_factory_make("fakesink", nullptr));
  }
  // Samples come without times: played as they come.
  g_object_set(sink.get(), "sync", FALSE, "async", FALSE, nullptr);
  if (!volume || !convert || !resample || !sink) return {};
  gst_bin_add_many(GST_BIN(bin.get()), GST_ELEMENT(gst_object_ref(volume.get())),
                   GST_ELEMENT(gst_object_ref(convert.get())), GST_ELEMENT(gst_object_ref(resample.get())),
                   GST_ELEMENT(gst_object_ref(sink.get())), nullptr);
  if (!gst_element_link_many(convert.get(), resample.get(), volume.get(), sink.get(), nullptr)) return {};
  const PadPtr input(gst_element_get_static_pad(convert.get(), "sink"));
  gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", input.get()));
  return bin;
}

namespace {

// --- Format of the current sources ------------------------------------------------

void ApplyVideoFormat(TCaptureEngine& engine, const GstCaps* caps) {
  TCaptureContext& context = engine.context;
  const TVideoFormat format = VideoFormatOfCaps(caps, engine.mpeg2RatioNormal);
  if (!format.recognised) return;
  qCDebug(lcPreview) << "picture format:" << gst::ToString(caps).c_str();
  context.SrcWidth = format.width;
  context.SrcHeight = format.height;
  context.AspectX = format.aspectX;
  context.AspectY = format.aspectY;
  context.FourCC = format.fourCC;
  context.Compressed = format.compressed;
  context.AvgTimePerFrame = format.avgTimePerFrame;
  context.Fps = format.fps;
  // A plug-in says itself which formats it records natively.
  if (format.nativeFormat && context.CurrentVideoSource && context.CurrentVideoSource->Device->Kind != dkPlugIn) {
    context.CurrentVideoSource->Device->NativeFormat1 = static_cast<std::uint8_t>(format.nativeFormat);
    context.CurrentVideoSource->Device->NativeFormat2 = 0;
  }
}

void ApplyAudioFormat(TCaptureEngine& engine, const GstCaps* caps) {
  TCaptureContext& context = engine.context;
  if (!caps || gst_caps_get_size(caps) == 0) return;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  int rate = 0, channels = 0;
  if (gst_structure_get_int(s, "rate", &rate)) context.AudioRate = rate;
  if (gst_structure_get_int(s, "channels", &channels)) context.AudioChannels = channels;
  if (const char* format = gst_structure_get_string(s, "format")) {
    const GstAudioFormatInfo* info = gst_audio_format_get_info(gst_audio_format_from_string(format));
    if (info && info->format != GST_AUDIO_FORMAT_UNKNOWN) context.AudioBits = info->width;
  }
}

// What a pad can or does carry: its negotiated caps once the graph ran,
// otherwise what it could carry.
gst::CapsPtr CapsOf(GstPad* pad) {
  if (GstCaps* current = gst_pad_get_current_caps(pad)) return gst::CapsPtr(current);
  return gst::CapsPtr(gst_pad_query_caps(pad, nullptr));
}

// The format is known for sure once the stream's caps pass the pad: it is
// read again then, on the GUI thread.
gst::PadProbe FollowCaps(TCaptureEngine& engine, GstPad* pad, bool video) {
  return gst::PadProbe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, [&engine, video](GstPad*, GstPadProbeInfo* info) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    gst::CapsPtr held(gst_caps_ref(caps));
    // The call is dropped when the engine (its receiver) is gone by then.
    QMetaObject::invokeMethod(
        engine.receiver(),
        [&engine, held, video] {
          if (video)
            ApplyVideoFormat(engine, held.get());
          else
            ApplyAudioFormat(engine, held.get());
          if (engine.formatKnown) engine.formatKnown();
        },
        Qt::QueuedConnection);
    return GST_PAD_PROBE_OK;
  });
}

// --- Rolling back -----------------------------------------------------------------

void RemoveVideoPreview(TCaptureEngine& engine) {
  engine.context.videoCapsProbe.Remove();
  Tdm& dm = *engine.context.dm;
  for (GstElement* element : {dm.color1.get(), dm.overlay.element.get(), dm.infdecvideo.get(), dm.infsupvideo.get(),
                              dm.previewVideoBuffer.element.get(), dm.color3.get(), engine.renderer().element()})
    engine.graph().RemoveFilter(element);
}

void RemoveAudioPreview(TCaptureEngine& engine) {
  engine.context.audioCapsProbe.Remove();
  Tdm& dm = *engine.context.dm;
  for (GstElement* element : {dm.previewAudioControl.element.get(), dm.infdecaudio.get(), dm.infsupaudio.get(),
                              dm.previewAudioBuffer.element.get(), dm.audiorender.get()})
    engine.graph().RemoveFilter(element);
}

bool SameDevice(const TavFlux* a, const TavFlux* b) { return a && b && a->Device == b->Device; }

// An activated source, with what its device says of its tape: the type
// was learnt when the device was listed, so nothing waits for the deck here.
void MarkActive(TavFlux& source) {
  source.Active = true;
  IDeviceSettings* settings = source.Device->settings();
  const std::shared_ptr<IDeckTransport> deck = settings ? settings->Transport() : nullptr;
  source.HasTransport = deck != nullptr;
  const transport::DeviceType type = deck ? deck->Type() : transport::DeviceType::Unknown;
  source.IsVcr = type == transport::DeviceType::Vcr;
  source.IsCamera = type == transport::DeviceType::Camera;
}

// Takes the device's part out again after a failed activation; its source
// stays when the other current source needs it.
void UndoDevice(TCaptureEngine& engine, TCaptureDevice& device, bool video, const TavFlux* other) {
  if (video)
    device.KillVideoGraph(engine);
  else
    device.KillAudioGraph(engine);
  if (!other || other->Device != &device) device.KillSourceGraph(engine);
}

bool BuildVideoPreview(TCaptureEngine& engine, TVideoSource& source) {
  TCaptureContext& context = engine.context;
  Tdm& dm = *context.dm;
  TCaptureDevice& device = *source.Device;
  const auto fail = [&source](const char* step) {
    qCWarning(lcPreview) << "the preview of" << source.Name << "cannot be built:" << step;
    return false;
  };
  context.VideoOutPin = {};
  if (!device.SetSourceGraph(engine)) return fail("source");
  device.SetVideoGraph(engine, source.StreamNumber);
  if (!context.VideoOutPin || !context.VideoTee) {
    qCWarning(lcPreview) << "no picture from" << source.Name;
    return false;
  }
  BindVideoSourceInterfaces(engine, source);
  if (!dm.Add(dm.previewVideoBuffer)) return fail("preview buffer");
  const PadPtr bufferIn = In(engine, dm.previewVideoBuffer.element.get());
  const PadPtr bufferOut = Out(engine, dm.previewVideoBuffer.element.get());
  if (!bufferIn || !bufferOut) return fail("preview buffer pins");
  if (!engine.graph().AddFilter(dm.color1.get(), dm.color1.name()) ||
      !engine.graph().AddFilter(dm.infdecvideo.get(), dm.infdecvideo.name()) ||
      !engine.graph().AddFilter(dm.color3.get(), dm.color3.name()) || !dm.Add(dm.overlay))
    return fail("elements");
  // The chroma taken as it comes, unfiltered: the conversion costs a third
  // less, and a recording that goes back to 4:2:0 gets the same chroma.
  gst_util_set_object_arg(G_OBJECT(dm.color1.get()), "chroma-mode", "none");
  const PadPtr overlayIn = In(engine, dm.overlay.element.get());
  if (!Link(engine, context.VideoOutPin, In(engine, dm.color1.get())) ||
      !Link(engine, Out(engine, dm.color1.get()), overlayIn)) {
    // The converter refuses the decoded picture, or gives nothing the
    // overlay takes: the overlay takes the picture as it comes.
    engine.graph().RemoveFilter(dm.color1.get());
    if (!Link(engine, context.VideoOutPin, overlayIn)) return fail("picture to overlay");
  }
  if (!engine.graph().AddFilter(dm.infsupvideo.get(), dm.infsupvideo.name()) ||
      !engine.graph().AddFilter(engine.renderer().element(), "videorender"))
    return fail("renderer");
  if (!Link(engine, Out(engine, dm.overlay.element.get()), In(engine, dm.infdecvideo.get())) ||
      !Link(engine, engine.graph().TeeOutput(dm.infdecvideo.get(), 1), In(engine, dm.infsupvideo.get())) ||
      !Link(engine, engine.graph().TeeOutput(dm.infsupvideo.get(), 1), bufferIn) ||
      !Link(engine, bufferOut, In(engine, dm.color3.get())) ||
      !Link(engine, Out(engine, dm.color3.get()), In(engine, engine.renderer().element())))
    return fail("overlay to renderer");
  dm.Superposer().sceneDetector = source.SceneDetector;
  const PadPtr first = engine.graph().TeeOutput(context.VideoTee.get(), 1);
  if (!first) return fail("first tee output");
  ApplyVideoFormat(engine, CapsOf(first.get()).get());
  context.videoCapsProbe = FollowCaps(engine, first.get(), true);
  return true;
}

bool BuildAudioPreview(TCaptureEngine& engine, TAudioSource& source) {
  TCaptureContext& context = engine.context;
  Tdm& dm = *context.dm;
  TCaptureDevice& device = *source.Device;
  if (!device.SetSourceGraph(engine)) return false;
  const PadPtr pin = device.SetAudioGraph(engine, source.StreamNumber);
  if (!pin) {
    qCWarning(lcPreview) << "no sound from" << source.Name;
    return false;
  }
  BindAudioSourceInterfaces(engine, source);
  if (!dm.Add(dm.previewAudioBuffer) || !dm.Add(dm.previewAudioControl) ||
      !engine.graph().AddFilter(dm.infdecaudio.get(), dm.infdecaudio.name()) ||
      !engine.graph().AddFilter(dm.infsupaudio.get(), dm.infsupaudio.name()) ||
      !engine.graph().AddFilter(dm.audiorender.get(), dm.audiorender.name()))
    return false;
  if (!Link(engine, pin, In(engine, dm.previewAudioControl.element.get())) ||
      !Link(engine, Out(engine, dm.previewAudioControl.element.get()), In(engine, dm.infdecaudio.get())) ||
      !Link(engine, engine.graph().TeeOutput(dm.infdecaudio.get(), 1), In(engine, dm.infsupaudio.get())) ||
      !Link(engine, engine.graph().TeeOutput(dm.infsupaudio.get(), 1),
            In(engine, dm.previewAudioBuffer.element.get())) ||
      !Link(engine, Out(engine, dm.previewAudioBuffer.element.get()), In(engine, dm.audiorender.get())))
    return false;
  ApplyAudioFormat(engine, CapsOf(pin.get()).get());
  context.audioCapsProbe = FollowCaps(engine, pin.get(), false);
  return true;
}

}  // namespace

// --- Formats ------------------------------------------------------------------------

TVideoFormat VideoFormatOfCaps(const GstCaps* caps, bool mpeg2RatioNormal) {
  TVideoFormat format;
  if (!caps || gst_caps_is_any(caps) || gst_caps_get_size(caps) == 0) return format;
  const GstStructure* s = gst_caps_get_structure(caps, 0);
  const std::string name = gst_structure_get_name(s);
  int mpegVersion = 0;
  const bool mpeg = name == "video/mpeg" && gst_structure_get_int(s, "mpegversion", &mpegVersion);
  const bool mpeg2 = mpeg && mpegVersion == 2;
  if (name == "video/x-raw") {
    // Uncompressed RGB has no four-character code.
    const char* pixel = gst_structure_get_string(s, "format");
    const GstVideoFormatInfo* info = pixel ? gst_video_format_get_info(gst_video_format_from_string(pixel)) : nullptr;
    if (pixel && std::strlen(pixel) == 4 && !(info && GST_VIDEO_FORMAT_INFO_IS_RGB(info))) format.fourCC = pixel;
  } else if (name == "video/x-dv") {
    format.fourCC = "dvsd";
    format.compressed = true;
  } else if (mpeg && (mpegVersion == 1 || mpegVersion == 2)) {
    format.fourCC = mpeg2 ? "MPEG2" : "MPEG1";
    format.compressed = true;
    format.nativeFormat = mpeg2 ? 3 : 4;
  } else if (g_str_has_prefix(name.c_str(), "video/") || g_str_has_prefix(name.c_str(), "image/")) {
    if (const char* codec = gst_structure_get_string(s, "format"); codec && std::strlen(codec) == 4)
      format.fourCC = codec;
    format.compressed = true;
  } else {
    return format;
  }
  format.recognised = true;
  gst_structure_get_int(s, "width", &format.width);
  gst_structure_get_int(s, "height", &format.height);
  if (mpeg2) {
    int parN = 0, parD = 0;
    if (format.width > 0 && format.height > 0 && gst_structure_get_fraction(s, "pixel-aspect-ratio", &parN, &parD) &&
        parN > 0 && parD > 0) {
      if (parN == parD) {
        format.aspectX = format.width;
        format.aspectY = format.height;
      } else {
        const std::int64_t x = std::int64_t{format.width} * parN, y = std::int64_t{format.height} * parD;
        const std::int64_t divisor = std::gcd(x, y);
        format.aspectX = static_cast<int>(x / divisor);
        format.aspectY = static_cast<int>(y / divisor);
      }
    }
    if (mpeg2RatioNormal && (format.aspectX == 0 || format.aspectY == 0 ||
                             (format.aspectX == format.width && format.aspectY == format.height))) {
      format.aspectX = 4;
      format.aspectY = 3;
    }
  }
  int rateN = 0, rateD = 1;
  std::uint64_t duration = 0;
  if (gst_structure_get_fraction(s, "framerate", &rateN, &rateD) && rateN > 0 && rateD > 0)
    duration = static_cast<std::uint64_t>(std::llround(10'000'000.0 * rateD / rateN));
  format.avgTimePerFrame = static_cast<std::uint32_t>(duration & 0xFFFFFFFFu);
  if (format.avgTimePerFrame < 1000) format.avgTimePerFrame = 400000;
  format.fps = 10'000'000.0 / format.avgTimePerFrame;
  return format;
}

int MonitorMillibels(int volume) {
  volume = std::clamp(volume, 0, 10000);
  return static_cast<int>(std::lround(std::log(volume + 1.0) * 1085.73)) - 10000;
}

double MonitorGain(int volume) {
  if (volume <= 0) return 0.0;
  return std::pow(10.0, MonitorMillibels(volume) / 2000.0);
}

// --- Preview settings -----------------------------------------------------------------

void SetMonitorVolume(TCaptureEngine& engine, int volume) {
  if (engine.monitorVolume) g_object_set(engine.monitorVolume.get(), "volume", MonitorGain(volume), nullptr);
}

void ShowCamcorderDate(TCaptureEngine& engine, int border) {
  TincrustRec record;
  record.whatIncrust = wiDatecode;
  record.autoFontSize = true;
  record.borderSize = border;
  engine.dm().Superposer().setincrust(record);
  engine.dm().Superposer().SetIncrustEnabled(true);
}

bool Play(TCaptureEngine& engine, std::string* error) { return engine.graph().Run(std::chrono::seconds(10), error); }

void Stop(TCaptureEngine& engine) { engine.graph().Stop(); }

// --- Activation -----------------------------------------------------------------------

bool ActivateVideoSource(TCaptureEngine& engine, TVideoSource& source) {
  TCaptureContext& context = engine.context;
  if (!context.dm || !source.Device) return false;
  context.dm->Superposer().sourceUpsideDown = false;
  Stop(engine);
  if (context.CurrentVideoSource && !DeactivateVideoSource(engine, *context.CurrentVideoSource, true)) return false;
  if (!BuildVideoPreview(engine, source)) {
    RemoveVideoPreview(engine);
    UndoDevice(engine, *source.Device, true, context.CurrentAudioSource);
    context.VideoOutPin = {};
    if (!context.CurrentAudioSource || context.CurrentAudioSource->Device != source.Device)
      context.VideoSourceFilter = {};
    qCWarning(lcPreview) << "video source not activated:" << source.Name;
    return false;
  }
  context.CurrentVideoSource = &source;
  context.dm->fg.currentSource = GST_OBJECT_NAME(source.Device->SourceFilter());
  MarkActive(source);
  return true;
}

bool DeactivateVideoSource(TCaptureEngine& engine, TVideoSource& source, bool fullRelease) {
  TCaptureContext& context = engine.context;
  if (!source.Active || !context.dm) return false;
  source.Active = false;
  Stop(engine);
  engine.renderer().Clear();
  RemoveVideoPreview(engine);
  source.Device->KillVideoGraph(engine);
  if (fullRelease && !SameDevice(context.CurrentAudioSource, &source)) {
    context.VideoSourceFilter = {};
    source.Device->KillSourceGraph(engine);
    source.HasTransport = false;
    source.TransportWindow = 0;
  }
  context.CurrentVideoSource = nullptr;
  return true;
}

bool ActivateAudioSource(TCaptureEngine& engine, TAudioSource& source) {
  TCaptureContext& context = engine.context;
  if (!context.dm || !source.Device) return false;
  Stop(engine);
  if (context.CurrentAudioSource && context.CurrentAudioSource->Active &&
      !DeactivateAudioSource(engine, *context.CurrentAudioSource, true))
    return false;
  if (!BuildAudioPreview(engine, source)) {
    RemoveAudioPreview(engine);
    UndoDevice(engine, *source.Device, false, context.CurrentVideoSource);
    if (!context.CurrentVideoSource || context.CurrentVideoSource->Device != source.Device)
      context.AudioSourceFilter = {};
    qCWarning(lcPreview) << "audio source not activated:" << source.Name;
    return false;
  }
  context.CurrentAudioSource = &source;
  MarkActive(source);
  return true;
}

bool DeactivateAudioSource(TCaptureEngine& engine, TAudioSource& source, bool fullRelease) {
  TCaptureContext& context = engine.context;
  if (!source.Active || !context.dm) return false;
  source.Active = false;
  Stop(engine);
  RemoveAudioPreview(engine);
  source.Device->KillAudioGraph(engine);
  if (fullRelease && !SameDevice(context.CurrentVideoSource, &source)) {
    context.AudioSourceFilter = {};
    source.Device->KillSourceGraph(engine);
    source.HasTransport = false;
    source.TransportWindow = 0;
  }
  context.CurrentAudioSource = nullptr;
  return true;
}

void BindVideoSourceInterfaces(TCaptureEngine& engine, TVideoSource& source) {
  engine.context.VideoSourceFilter = gst::ElementPtr::Ref(source.Device->SourceFilter());
}

void BindAudioSourceInterfaces(TCaptureEngine& engine, TAudioSource& source) {
  engine.context.AudioSourceFilter = gst::ElementPtr::Ref(source.Device->SourceFilter());
}

// --- Removal ------------------------------------------------------------------------------

bool RemoveUpstream(TCaptureEngine& engine, GstPad* pad, GstElement* stop) {
  if (!pad || !engine.context.dm) return false;
  const gst::ElementPtr element(gst_pad_get_parent_element(pad));
  if (!element || element.get() == stop) return true;
  for (int index = 0;; ++index) {
    const PadPtr input = engine.graph().FindPin(element.get(), Direction::Input, {}, false, index);
    if (!input) break;
    const PadPtr peer(gst_pad_get_peer(input.get()));
    if (!peer) return true;  // nothing upstream: this element stays
    if (!RemoveUpstream(engine, peer.get(), stop)) return false;
  }
  return engine.graph().RemoveFilter(element.get());
}

bool RemoveChainBetween(TCaptureEngine& engine, GstElement* a, GstElement* b) {
  if (!a || !b || !engine.context.dm) return false;
  const auto next = [&engine](GstElement* element) -> gst::ElementPtr {
    for (int index = 0;; ++index) {
      const PadPtr output = engine.graph().FindPin(element, Direction::Output, {}, false, index);
      if (!output) return {};
      if (const PadPtr peer{gst_pad_get_peer(output.get())})
        return gst::ElementPtr(gst_pad_get_parent_element(peer.get()));
    }
  };
  std::vector<gst::ElementPtr> chain;
  for (gst::ElementPtr element = next(a); element && element.get() != b; element = next(element.get())) {
    if (element.get() == a || chain.size() > 256) return false;
    chain.push_back(element);
  }
  for (const gst::ElementPtr& element : chain) engine.graph().RemoveFilter(element.get());
  return true;
}
