// The graph of each kind of device: how its source joins the graph and how
// one of its streams is brought to a tee.
#include <QLoggingCategory>
#include <algorithm>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_scenedetect.h"

Q_DECLARE_LOGGING_CATEGORY(lcDevices)

namespace {

using graph::Direction;
using graph::PadPtr;

gst::ElementPtr Make(const char* factory) {
  gst::EnsureInitialised();
  RegisterTessivoPlugin();
  return gst::ElementPtr::Sink(gst_element_factory_make(factory, nullptr));
}

gst::ElementPtr MakeTee() {
  gst::ElementPtr tee = Make("tee");
  if (tee) g_object_set(tee.get(), "allow-not-linked", TRUE, nullptr);
  return tee;
}

// Adds the element under the name, or under the name and a number when an
// element of another device holds it.
bool AddNamed(TCaptureEngine& engine, GstElement* element, const std::string& name) {
  graph::TMediaGraph& fg = engine.graph();
  if (fg.Contains(element)) return true;
  for (int n = 1; n < 100; ++n)
    if (fg.AddFilter(element, n == 1 ? name : name + " #" + std::to_string(n))) return true;
  return false;
}

void RemoveAll(TCaptureEngine& engine, std::initializer_list<GstElement*> elements) {
  for (GstElement* element : elements)
    if (element) engine.graph().RemoveFilter(element);
}

// An element whose outputs appear once it sees data (a demultiplexer, a
// decoding bin) wrapped in a bin whose outputs exist from the start, so that
// the graph is built before it runs: each output takes the first inner pad
// of its kind.
struct DynamicOutput {
  const char* name;
  const char* caps;
};

void OnInnerPad(GstElement*, GstPad* pad, gpointer data) {
  auto* bin = GST_ELEMENT(data);
  const gst::CapsPtr caps(gst_pad_query_caps(pad, nullptr));
  for (const gst::PadObjectPtr& output : gst::Pads(bin, GST_PAD_SRC)) {
    auto* ghost = GST_GHOST_PAD(output.get());
    GstPadTemplate* templ = GST_PAD_PAD_TEMPLATE(ghost);
    const gst::ObjectPtr<GstPad> target(gst_ghost_pad_get_target(ghost));
    if (!target && templ && gst_caps_can_intersect(caps.get(), GST_PAD_TEMPLATE_CAPS(templ))) {
      gst_ghost_pad_set_target(ghost, pad);
      return;
    }
  }
}

gst::ElementPtr MakeDynamicBin(const char* factory, std::initializer_list<DynamicOutput> outputs) {
  gst::ElementPtr inner = Make(factory);
  if (!inner) return {};
  auto bin = gst::ElementPtr::Sink(gst_bin_new(nullptr));
  gst_bin_add(GST_BIN(bin.get()), GST_ELEMENT(gst_object_ref(inner.get())));
  const PadPtr innerSink(gst_element_get_static_pad(inner.get(), "sink"));
  gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", innerSink.get()));
  for (const DynamicOutput& output : outputs) {
    const gst::CapsPtr caps(gst_caps_from_string(output.caps));
    const gst::ObjectPtr<GstPadTemplate> templ = gst::ObjectPtr<GstPadTemplate>::Sink(
        gst_pad_template_new(output.name, GST_PAD_SRC, GST_PAD_ALWAYS, caps.get()));
    gst_element_add_pad(bin.get(), gst_ghost_pad_new_no_target_from_template(output.name, templ.get()));
  }
  g_signal_connect(inner.get(), "pad-added", G_CALLBACK(OnInnerPad), bin.get());
  return bin;
}

// The device's stream, from the device's output to the input of its tee.
bool ConnectToTee(TCaptureEngine& engine, const PadPtr& output, GstElement* tee, const std::string& teeName) {
  if (!output || !AddNamed(engine, tee, teeName)) return false;
  const PadPtr teeInput = engine.graph().FindPin(tee, Direction::Input, {}, true, 0);
  return teeInput && engine.graph().ConnectDirect(output.get(), teeInput.get());
}

// Takes a device's audio tee and the preview's sound control out.
bool KillAudioTee(TCaptureEngine& engine, GstElement* tee) {
  RemoveAll(engine, {tee, engine.context.dm->previewAudioControl.element.get()});
  engine.context.AudioTee = {};
  return true;
}

// The sound stream n of a device's own source to the device's audio tee;
// answers the tee's first output.
PadPtr SourceSoundToTee(TCaptureEngine& engine, TCaptureDevice& device, int streamNumber, const gst::ElementPtr& tee,
                        const char* teeSuffix) {
  if (streamNumber < 1 || streamNumber > device.AudioStreamCount || !tee) return {};
  const PadPtr output =
      engine.graph().FindPin(device.SourceFilter(), Direction::Output, "audio/", false, streamNumber - 1);
  if (!ConnectToTee(engine, output, tee.get(), device.Name.toStdString() + teeSuffix)) return {};
  engine.context.AudioTee = tee;
  return engine.graph().TeeOutput(tee.get(), 1);
}

// --- DV camcorder -------------------------------------------------------------

class TDVCaptureDevice : public TCaptureDevice {
 public:
  using TCaptureDevice::TCaptureDevice;

  Tvx_SceneDetect* SceneDetector() const override {
    return static_cast<Tvx_SceneDetect*>(FilterOfElement(sceneDetect_.get()));
  }

  GstElement* SetSourceGraph(TCaptureEngine& engine) override {
    GstElement* source = SourceFilter();
    if (!source || !sceneDetect_ || !splitter_ || !muxTee_) return nullptr;
    if (engine.graph().Contains(source)) return source;
    const std::string base = Name.toStdString();
    const bool added = AddNamed(engine, source, base) && AddNamed(engine, sceneDetect_.get(), "dv_Scenedetect") &&
                       AddNamed(engine, muxTee_.get(), base + " dv_muxinfinite") &&
                       AddNamed(engine, splitter_.get(), base + " dv_splitter");
    const PadPtr sourceOut = engine.graph().FindPin(source, Direction::Output, {}, true, 0);
    const PadPtr detectIn = engine.graph().FindPin(sceneDetect_.get(), Direction::Input, {}, true, 0);
    const PadPtr detectOut = engine.graph().FindPin(sceneDetect_.get(), Direction::Output, {}, true, 0);
    const PadPtr teeIn = engine.graph().FindPin(muxTee_.get(), Direction::Input, {}, true, 0);
    const PadPtr splitterIn = engine.graph().FindPin(splitter_.get(), Direction::Input, {}, true, 0);
    const bool linked =
        added && engine.graph().ConnectDirect(sourceOut.get(), detectIn.get()) &&
        engine.graph().ConnectDirect(detectOut.get(), teeIn.get()) &&
        engine.graph().ConnectDirect(engine.graph().TeeOutput(muxTee_.get(), 1).get(), splitterIn.get());
    if (!linked) {
      qCWarning(lcDevices) << "the camcorder's stream cannot be brought into the graph:" << Name;
      KillSourceGraph(engine);
      return nullptr;
    }
    return source;
  }

  void KillSourceGraph(TCaptureEngine& engine) override {
    RemoveAll(engine, {splitter_.get(), muxTee_.get(), sceneDetect_.get(), ExistingSource()});
    ReleaseSource();
  }

  bool SetVideoGraph(TCaptureEngine& engine, int streamNumber) override {
    TCaptureContext& context = engine.context;
    if (streamNumber < 1 || streamNumber > VideoStreamCount || !videoTee_ || !decoder_) return false;
    const PadPtr splitterVideo =
        engine.graph().FindPin(splitter_.get(), Direction::Output, "video/", false, streamNumber - 1);
    if (!ConnectToTee(engine, splitterVideo, videoTee_.get(), Name.toStdString() + " dv_nativevideoinfinite"))
      return false;
    // Half-size decoding is the decoder's lowest resolution step.
    g_object_set(decoder_.get(), "lowres", context.DvHalfRes ? 1 : 0, nullptr);
    const Tdm::OwnFilter& control = context.dm->previewVideoControl;
    if (!AddNamed(engine, decoder_.get(), Name.toStdString() + " dv_dec") || !context.dm->Add(control)) return false;
    const PadPtr controlIn = engine.graph().FindPin(control.element.get(), Direction::Input, {}, true, 0);
    const PadPtr controlOut = engine.graph().FindPin(control.element.get(), Direction::Output, {}, true, 0);
    const PadPtr decoderIn = engine.graph().FindPin(decoder_.get(), Direction::Input, {}, true, 0);
    if (!engine.graph().ConnectDirect(engine.graph().TeeOutput(videoTee_.get(), 1).get(), controlIn.get()) ||
        !engine.graph().ConnectDirect(controlOut.get(), decoderIn.get()))
      return false;
    context.VideoOutPin = engine.graph().FindPin(decoder_.get(), Direction::Output, {}, true, 0);
    context.VideoTee = videoTee_;
    return static_cast<bool>(context.VideoOutPin);
  }

  graph::PadPtr SetAudioGraph(TCaptureEngine& engine, int streamNumber) override {
    if (streamNumber < 1 || streamNumber > AudioStreamCount || !audioTee_) return {};
    const PadPtr splitterAudio =
        engine.graph().FindPin(splitter_.get(), Direction::Output, "audio/", false, streamNumber - 1);
    if (!ConnectToTee(engine, splitterAudio, audioTee_.get(), Name.toStdString() + " dv_nativeaudioinfinite"))
      return {};
    engine.context.AudioTee = audioTee_;
    return engine.graph().TeeOutput(audioTee_.get(), 1);
  }

  bool KillVideoGraph(TCaptureEngine& engine) override {
    RemoveAll(engine, {decoder_.get(), videoTee_.get(), engine.context.dm->previewVideoControl.element.get()});
    engine.context.VideoTee = {};
    return true;
  }

  bool KillAudioGraph(TCaptureEngine& engine) override { return KillAudioTee(engine, audioTee_.get()); }

  GstElement* InterleavedTee() const override { return muxTee_.get(); }

  // The type-1 file: the interleaved stream as it comes, before the splitter.
  bool CaptureNative(TCaptureEngine& engine, const QString& fileName) override {
    return BuildDvNativeType1(engine, fileName.toStdString());
  }
  bool FinCaptureNative(TCaptureEngine& engine) override { return KillCaptureGraph(engine); }

 private:
  gst::ElementPtr sceneDetect_ = Make(kSceneDetectElement);
  gst::ElementPtr splitter_ =
      MakeDynamicBin("dvdemux", {{"video", "video/x-dv,systemstream=false"}, {"audio", "audio/x-raw"}});
  gst::ElementPtr decoder_ = Make("avdec_dvvideo");
  gst::ElementPtr videoTee_ = MakeTee(), muxTee_ = MakeTee(), audioTee_ = MakeTee();
};

// --- Video capture device -------------------------------------------------------

// The decoders that take the stream and give pictures, best first.
std::vector<std::string> DecodersFor(const GstCaps* caps) {
  const gst::CapsPtr video(gst_caps_from_string("video/x-raw"));
  std::vector<std::string> names;
  for (GstElementFactory* factory : gst::FactoryList::Elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL)
                                        .Filter(caps, GST_PAD_SINK)
                                        .items())
    if (gst_element_factory_can_src_any_caps(factory, video.get()))
      names.push_back(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)));
  return names;
}

bool IsRawVideo(const GstCaps* caps) {
  return caps && gst_caps_get_size(caps) > 0 && gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-raw");
}

class TVideoCaptureDevice : public TCaptureDevice {
 public:
  using TCaptureDevice::TCaptureDevice;

  bool CaptureNative(TCaptureEngine&, const QString&) override {
    qCWarning(lcDevices) << "Not Ready";
    return false;
  }

  // The source and, right after it, the picture format the user chose.
  GstElement* SetSourceGraph(TCaptureEngine& engine) override {
    GstElement* source = SourceFilter();
    if (!source || !format_) return nullptr;
    if (!AddNamed(engine, source, Name.toStdString())) return nullptr;
    g_object_set(format_.get(), "caps", chosenFormat ? chosenFormat.get() : gst::CapsPtr(gst_caps_new_any()).get(),
                 nullptr);
    if (!AddNamed(engine, format_.get(), Name.toStdString() + " vid_format")) return nullptr;
    const PadPtr input(gst_element_get_static_pad(format_.get(), "sink"));
    if (input && gst_pad_is_linked(input.get())) return source;
    const PadPtr output = engine.graph().FindPin(source, Direction::Output, {}, false, 0);
    return output && input && engine.graph().ConnectDirect(output.get(), input.get()) ? source : nullptr;
  }

  void KillSourceGraph(TCaptureEngine& engine) override {
    RemoveAll(engine, {ExistingSource(), format_.get()});
    ReleaseSource();
  }

  bool SetVideoGraph(TCaptureEngine& engine, int streamNumber) override {
    TCaptureContext& context = engine.context;
    if (streamNumber < 1 || streamNumber > VideoStreamCount || !videoTee_) return false;
    PadPtr capture = engine.graph().FindPin(format_.get(), Direction::Output, "video/", false, streamNumber - 1);
    if (!capture) capture = engine.graph().FindPin(format_.get(), Direction::Output, "image/", false, streamNumber - 1);
    if (!ConnectToTee(engine, capture, videoTee_.get(), Name.toStdString() + " vid_nativevideoinfinite")) return false;
    const Tdm::OwnFilter& control = context.dm->previewVideoControl;
    if (!context.dm->Add(control)) return false;
    const PadPtr controlIn = engine.graph().FindPin(control.element.get(), Direction::Input, {}, true, 0);
    const PadPtr controlOut = engine.graph().FindPin(control.element.get(), Direction::Output, {}, true, 0);
    if (!engine.graph().ConnectDirect(engine.graph().TeeOutput(videoTee_.get(), 1).get(), controlIn.get()))
      return false;
    context.VideoTee = videoTee_;
    gst::CapsPtr stream(gst_pad_query_caps(capture.get(), nullptr));
    PadPtr pictures = controlOut;
    const std::string base = Name.toStdString();
    // A program stream gives its picture stream to the decoders.
    if (const GstStructure* s = gst_caps_get_size(stream.get()) ? gst_caps_get_structure(stream.get(), 0) : nullptr;
        s && gst_structure_has_name(s, "video/mpeg")) {
      gboolean system = FALSE;
      if (gst_structure_get_boolean(s, "systemstream", &system) && system) {
        demuxer_ = MakeDynamicBin("mpegpsdemux", {{"video", kElementaryMpeg}});
        if (!demuxer_ || !AddNamed(engine, demuxer_.get(), base + " vid_demux")) return false;
        if (!engine.graph().ConnectDirect(pictures.get(),
                                          engine.graph().FindPin(demuxer_.get(), Direction::Input, {}, true, 0).get()))
          return false;
        pictures = engine.graph().FindPin(demuxer_.get(), Direction::Output, {}, true, 0);
        stream = gst::CapsPtr(gst_caps_from_string(kElementaryMpeg));
      }
    }
    if (IsRawVideo(stream.get())) {
      context.VideoOutPin = pictures;
      return static_cast<bool>(pictures);
    }
    // The first decoder that takes the stream, else a decoding bin.
    for (const std::string& factory : DecodersFor(stream.get())) {
      if (!decoder_.Load(factory) || !AddNamed(engine, decoder_.get(), base + " vid_decoder")) continue;
      const PadPtr decoderIn = engine.graph().FindPin(decoder_.get(), Direction::Input, {}, true, 0);
      if (engine.graph().ConnectDirect(pictures.get(), decoderIn.get())) {
        context.VideoOutPin = engine.graph().FindPin(decoder_.get(), Direction::Output, {}, true, 0);
        return static_cast<bool>(context.VideoOutPin);
      }
      engine.graph().RemoveFilter(decoder_.get());
    }
    decoder_.Set(MakeDynamicBin("decodebin", {{"video", "video/x-raw"}}));
    if (decoder_.empty() || !AddNamed(engine, decoder_.get(), base + " vid_decoder")) return false;
    const PadPtr decoderIn = engine.graph().FindPin(decoder_.get(), Direction::Input, {}, true, 0);
    if (engine.graph().ConnectDirect(pictures.get(), decoderIn.get())) {
      context.VideoOutPin = engine.graph().FindPin(decoder_.get(), Direction::Output, {}, true, 0);
      return static_cast<bool>(context.VideoOutPin);
    }
    qCWarning(lcDevices) << "no decoder for the pictures of" << Name;
    return false;
  }

  graph::PadPtr SetAudioGraph(TCaptureEngine& engine, int streamNumber) override {
    return SourceSoundToTee(engine, *this, streamNumber, audioTee_, " vid_nativeaudioinfinite");
  }

  bool KillVideoGraph(TCaptureEngine& engine) override {
    RemoveAll(engine,
              {videoTee_.get(), engine.context.dm->previewVideoControl.element.get(), demuxer_.get(), decoder_.get()});
    engine.context.VideoTee = {};
    return true;
  }

  bool KillAudioGraph(TCaptureEngine& engine) override { return KillAudioTee(engine, audioTee_.get()); }

 private:
  static constexpr char kElementaryMpeg[] = "video/mpeg,mpegversion=[1,2],systemstream=false";
  gst::ElementPtr videoTee_ = MakeTee(), audioTee_ = MakeTee();
  gst::ElementPtr format_ = Make("capsfilter");
  gst::ElementPtr demuxer_;
  TFilterSlot decoder_{"vid_decoder"};
};

// --- Sound-card input -------------------------------------------------------------

class TAudioCaptureDevice : public TCaptureDevice {
 public:
  using TCaptureDevice::TCaptureDevice;

  GstElement* SetSourceGraph(TCaptureEngine& engine) override {
    GstElement* source = SourceFilter();
    return source && AddNamed(engine, source, Name.toStdString()) ? source : nullptr;
  }

  void KillSourceGraph(TCaptureEngine& engine) override {
    RemoveAll(engine, {ExistingSource()});
    ReleaseSource();
  }

  graph::PadPtr SetAudioGraph(TCaptureEngine& engine, int streamNumber) override {
    return SourceSoundToTee(engine, *this, streamNumber, audioTee_, " aud_nativeaudioinfinite");
  }

  bool SetVideoGraph(TCaptureEngine& engine, int) override {
    engine.context.VideoOutPin = {};
    engine.context.VideoTee = {};
    return false;
  }

  bool KillAudioGraph(TCaptureEngine& engine) override { return KillAudioTee(engine, audioTee_.get()); }

 private:
  gst::ElementPtr audioTee_ = MakeTee();
};

}  // namespace

GstElement* TCaptureDevice::SourceFilter() {
  if (!source_ && createSource_) source_ = createSource_();
  return source_.get();
}

bool TCaptureDevice::SourceInGraph(const TCaptureEngine& engine) const {
  GstElement* source = ExistingSource();
  return source && engine.graph().Contains(source);
}

std::unique_ptr<TCaptureDevice> MakeCaptureDevice(TDeviceKind kind, const TDeviceMoniker& moniker, int instance,
                                                  const QString& baseName) {
  switch (kind) {
    case dkDV:
      return std::make_unique<TDVCaptureDevice>(kind, moniker, instance, baseName);
    case dkVideo:
      return std::make_unique<TVideoCaptureDevice>(kind, moniker, instance, baseName);
    case dkAudio:
      return std::make_unique<TAudioCaptureDevice>(kind, moniker, instance, baseName);
    default:
      return std::make_unique<TCaptureDevice>(kind, moniker, instance, baseName);
  }
}
