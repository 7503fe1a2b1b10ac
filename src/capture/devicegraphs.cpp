// The graph of each kind of device: how its source joins the graph and how
// one of its streams is brought to a tee.
#include <QLoggingCategory>
#include <algorithm>

#include "capture/capturecontext.h"
#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_scenedetect.h"

Q_DECLARE_LOGGING_CATEGORY(lcDevices)

TCaptureContext& CaptureContext() {
  static TCaptureContext context;
  return context;
}

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

graph::TMediaGraph& Graph() { return CaptureContext().dm->fg; }

// Adds the element under the name, or under the name and a number when an
// element of another device holds it.
bool AddNamed(GstElement* element, const std::string& name) {
  graph::TMediaGraph& fg = Graph();
  if (fg.Contains(element)) return true;
  for (int n = 1; n < 100; ++n)
    if (fg.AddFilter(element, n == 1 ? name : name + " #" + std::to_string(n))) return true;
  return false;
}

void RemoveAll(std::initializer_list<GstElement*> elements) {
  for (GstElement* element : elements)
    if (element) Graph().RemoveFilter(element);
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
  GstIterator* pads = gst_element_iterate_src_pads(bin);
  GValue item = G_VALUE_INIT;
  bool done = false;
  while (!done && gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
    auto* ghost = GST_GHOST_PAD(g_value_get_object(&item));
    GstPadTemplate* templ = GST_PAD_PAD_TEMPLATE(ghost);
    const gst::ObjectPtr<GstPad> target(gst_ghost_pad_get_target(ghost));
    if (!target && templ && gst_caps_can_intersect(caps.get(), GST_PAD_TEMPLATE_CAPS(templ))) {
      gst_ghost_pad_set_target(ghost, pad);
      done = true;
    }
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(pads);
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
bool ConnectToTee(const PadPtr& output, GstElement* tee, const std::string& teeName) {
  if (!output || !AddNamed(tee, teeName)) return false;
  const PadPtr teeInput = Graph().FindPin(tee, Direction::Input, {}, true, 0);
  return teeInput && Graph().ConnectDirect(output.get(), teeInput.get());
}

// Takes a device's audio tee and the preview's sound control out.
bool KillAudioTee(GstElement* tee) {
  RemoveAll({tee, CaptureContext().dm->previewAudioControl.element.get()});
  CaptureContext().AudioTee = {};
  return true;
}

// --- DV camcorder -------------------------------------------------------------

class TDVCaptureDevice : public TCaptureDevice {
 public:
  using TCaptureDevice::TCaptureDevice;

  Tvx_SceneDetect* SceneDetector() const override {
    return static_cast<Tvx_SceneDetect*>(FilterOfElement(sceneDetect_.get()));
  }

  GstElement* SetSourceGraph() override {
    GstElement* source = SourceFilter();
    if (!source || !sceneDetect_ || !splitter_ || !muxTee_) return nullptr;
    if (Graph().Contains(source)) return source;
    const std::string base = Name.toStdString();
    const bool added = AddNamed(source, base) && AddNamed(sceneDetect_.get(), "dv_Scenedetect") &&
                       AddNamed(muxTee_.get(), base + " dv_muxinfinite") &&
                       AddNamed(splitter_.get(), base + " dv_splitter");
    const PadPtr sourceOut = Graph().FindPin(source, Direction::Output, {}, true, 0);
    const PadPtr detectIn = Graph().FindPin(sceneDetect_.get(), Direction::Input, {}, true, 0);
    const PadPtr detectOut = Graph().FindPin(sceneDetect_.get(), Direction::Output, {}, true, 0);
    const PadPtr teeIn = Graph().FindPin(muxTee_.get(), Direction::Input, {}, true, 0);
    const PadPtr splitterIn = Graph().FindPin(splitter_.get(), Direction::Input, {}, true, 0);
    const bool linked = added && Graph().ConnectDirect(sourceOut.get(), detectIn.get()) &&
                        Graph().ConnectDirect(detectOut.get(), teeIn.get()) &&
                        Graph().ConnectDirect(Graph().TeeOutput(muxTee_.get(), 1).get(), splitterIn.get());
    if (!linked) {
      qCWarning(lcDevices) << "the camcorder's stream cannot be brought into the graph:" << Name;
      KillSourceGraph();
      return nullptr;
    }
    return source;
  }

  void KillSourceGraph() override {
    RemoveAll({splitter_.get(), muxTee_.get(), sceneDetect_.get(), ExistingSource()});
    ReleaseSource();
  }

  void SetVideoGraph(int streamNumber) override {
    TCaptureContext& context = CaptureContext();
    if (streamNumber < 1 || streamNumber > VideoStreamCount || !videoTee_ || !decoder_) return;
    const PadPtr splitterVideo = Graph().FindPin(splitter_.get(), Direction::Output, "video/", false, streamNumber - 1);
    if (!ConnectToTee(splitterVideo, videoTee_.get(), Name.toStdString() + " dv_nativevideoinfinite")) return;
    // Half-size decoding is the decoder's lowest resolution step.
    g_object_set(decoder_.get(), "lowres", context.DvHalfRes ? 1 : 0, nullptr);
    const Tdm::OwnFilter& control = context.dm->previewVideoControl;
    if (!AddNamed(decoder_.get(), Name.toStdString() + " dv_dec") || !context.dm->Add(control)) return;
    const PadPtr controlIn = Graph().FindPin(control.element.get(), Direction::Input, {}, true, 0);
    const PadPtr controlOut = Graph().FindPin(control.element.get(), Direction::Output, {}, true, 0);
    const PadPtr decoderIn = Graph().FindPin(decoder_.get(), Direction::Input, {}, true, 0);
    if (!Graph().ConnectDirect(Graph().TeeOutput(videoTee_.get(), 1).get(), controlIn.get()) ||
        !Graph().ConnectDirect(controlOut.get(), decoderIn.get()))
      return;
    context.VideoOutPin = Graph().FindPin(decoder_.get(), Direction::Output, {}, true, 0);
    context.VideoTee = videoTee_;
  }

  graph::PadPtr SetAudioGraph(int streamNumber) override {
    if (streamNumber < 1 || streamNumber > AudioStreamCount || !audioTee_) return {};
    const PadPtr splitterAudio = Graph().FindPin(splitter_.get(), Direction::Output, "audio/", false, streamNumber - 1);
    if (!ConnectToTee(splitterAudio, audioTee_.get(), Name.toStdString() + " dv_nativeaudioinfinite")) return {};
    CaptureContext().AudioTee = audioTee_;
    return Graph().TeeOutput(audioTee_.get(), 1);
  }

  bool KillVideoGraph() override {
    RemoveAll({decoder_.get(), videoTee_.get(), CaptureContext().dm->previewVideoControl.element.get()});
    CaptureContext().VideoTee = {};
    return true;
  }

  bool KillAudioGraph() override { return KillAudioTee(audioTee_.get()); }

  GstElement* InterleavedTee() const override { return muxTee_.get(); }

  // The type-1 file: the interleaved stream as it comes, before the splitter.
  bool CaptureNative(const QString& fileName) override { return BuildDvNativeType1(fileName.toStdString()); }
  bool FinCaptureNative() override { return KillCaptureGraph(); }

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
  GList* decoders = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL);
  GList* matching = gst_element_factory_list_filter(decoders, caps, GST_PAD_SINK, FALSE);
  matching = g_list_sort(matching, gst_plugin_feature_rank_compare_func);
  std::vector<std::string> names;
  for (GList* f = matching; f; f = f->next) {
    auto* factory = GST_ELEMENT_FACTORY(f->data);
    const gst::CapsPtr video(gst_caps_from_string("video/x-raw"));
    if (gst_element_factory_can_src_any_caps(factory, video.get()))
      names.push_back(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)));
  }
  gst_plugin_feature_list_free(matching);
  gst_plugin_feature_list_free(decoders);
  return names;
}

bool IsRawVideo(const GstCaps* caps) {
  return caps && gst_caps_get_size(caps) > 0 && gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-raw");
}

class TVideoCaptureDevice : public TCaptureDevice {
 public:
  using TCaptureDevice::TCaptureDevice;

  bool CaptureNative(const QString&) override {
    qCWarning(lcDevices) << "Not Ready";
    return false;
  }

  GstElement* SetSourceGraph() override {
    GstElement* source = SourceFilter();
    if (!source) return nullptr;
    return AddNamed(source, Name.toStdString()) ? source : nullptr;
  }

  void KillSourceGraph() override {
    RemoveAll({ExistingSource()});
    ReleaseSource();
  }

  void SetVideoGraph(int streamNumber) override {
    TCaptureContext& context = CaptureContext();
    if (streamNumber < 1 || streamNumber > VideoStreamCount || !videoTee_) return;
    PadPtr capture = Graph().FindPin(SourceFilter(), Direction::Output, "video/", false, streamNumber - 1);
    if (!capture) capture = Graph().FindPin(SourceFilter(), Direction::Output, "image/", false, streamNumber - 1);
    if (!ConnectToTee(capture, videoTee_.get(), Name.toStdString() + " vid_nativevideoinfinite")) return;
    const Tdm::OwnFilter& control = context.dm->previewVideoControl;
    if (!context.dm->Add(control)) return;
    const PadPtr controlIn = Graph().FindPin(control.element.get(), Direction::Input, {}, true, 0);
    const PadPtr controlOut = Graph().FindPin(control.element.get(), Direction::Output, {}, true, 0);
    if (!Graph().ConnectDirect(Graph().TeeOutput(videoTee_.get(), 1).get(), controlIn.get())) return;
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
        if (!demuxer_ || !AddNamed(demuxer_.get(), base + " vid_demux")) return;
        if (!Graph().ConnectDirect(pictures.get(),
                                   Graph().FindPin(demuxer_.get(), Direction::Input, {}, true, 0).get()))
          return;
        pictures = Graph().FindPin(demuxer_.get(), Direction::Output, {}, true, 0);
        stream = gst::CapsPtr(gst_caps_from_string(kElementaryMpeg));
      }
    }
    if (IsRawVideo(stream.get())) {
      context.VideoOutPin = pictures;
      return;
    }
    // The first decoder that takes the stream, else a decoding bin.
    for (const std::string& factory : DecodersFor(stream.get())) {
      if (!decoder_.Load(factory) || !AddNamed(decoder_.get(), base + " vid_decoder")) continue;
      const PadPtr decoderIn = Graph().FindPin(decoder_.get(), Direction::Input, {}, true, 0);
      if (Graph().ConnectDirect(pictures.get(), decoderIn.get())) {
        context.VideoOutPin = Graph().FindPin(decoder_.get(), Direction::Output, {}, true, 0);
        return;
      }
      Graph().RemoveFilter(decoder_.get());
    }
    decoder_.Set(MakeDynamicBin("decodebin", {{"video", "video/x-raw"}}));
    if (decoder_.empty() || !AddNamed(decoder_.get(), base + " vid_decoder")) return;
    const PadPtr decoderIn = Graph().FindPin(decoder_.get(), Direction::Input, {}, true, 0);
    if (Graph().ConnectDirect(pictures.get(), decoderIn.get()))
      context.VideoOutPin = Graph().FindPin(decoder_.get(), Direction::Output, {}, true, 0);
    else
      qCWarning(lcDevices) << "no decoder for the pictures of" << Name;
  }

  graph::PadPtr SetAudioGraph(int streamNumber) override {
    if (streamNumber < 1 || streamNumber > AudioStreamCount || !audioTee_) return {};
    const PadPtr output = Graph().FindPin(SourceFilter(), Direction::Output, "audio/", false, streamNumber - 1);
    if (!ConnectToTee(output, audioTee_.get(), Name.toStdString() + " vid_nativeaudioinfinite")) return {};
    CaptureContext().AudioTee = audioTee_;
    return Graph().TeeOutput(audioTee_.get(), 1);
  }

  bool KillVideoGraph() override {
    RemoveAll(
        {videoTee_.get(), CaptureContext().dm->previewVideoControl.element.get(), demuxer_.get(), decoder_.get()});
    CaptureContext().VideoTee = {};
    return true;
  }

  bool KillAudioGraph() override { return KillAudioTee(audioTee_.get()); }

 private:
  static constexpr char kElementaryMpeg[] = "video/mpeg,mpegversion=[1,2],systemstream=false";
  gst::ElementPtr videoTee_ = MakeTee(), audioTee_ = MakeTee();
  gst::ElementPtr demuxer_;
  TFilterSlot decoder_{"vid_decoder"};
};

// --- Sound-card input -------------------------------------------------------------

class TAudioCaptureDevice : public TCaptureDevice {
 public:
  using TCaptureDevice::TCaptureDevice;

  GstElement* SetSourceGraph() override {
    GstElement* source = SourceFilter();
    return source && AddNamed(source, Name.toStdString()) ? source : nullptr;
  }

  void KillSourceGraph() override {
    RemoveAll({ExistingSource()});
    ReleaseSource();
  }

  graph::PadPtr SetAudioGraph(int streamNumber) override {
    if (streamNumber < 1 || streamNumber > AudioStreamCount || !audioTee_) return {};
    const PadPtr output = Graph().FindPin(SourceFilter(), Direction::Output, "audio/", false, streamNumber - 1);
    if (!ConnectToTee(output, audioTee_.get(), Name.toStdString() + " aud_nativeaudioinfinite")) return {};
    CaptureContext().AudioTee = audioTee_;
    return Graph().TeeOutput(audioTee_.get(), 1);
  }

  void SetVideoGraph(int) override {
    CaptureContext().VideoOutPin = {};
    CaptureContext().VideoTee = {};
  }

  bool KillAudioGraph() override { return KillAudioTee(audioTee_.get()); }

 private:
  gst::ElementPtr audioTee_ = MakeTee();
};

}  // namespace

GstElement* TCaptureDevice::SourceFilter() {
  if (!source_ && createSource_) source_ = createSource_();
  return source_.get();
}

bool TCaptureDevice::SourceInGraph() const {
  return source_ && CaptureContext().dm && CaptureContext().dm->fg.Contains(source_.get());
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
