#include "capture/capturegraphs.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>
#include <condition_variable>
#include <gst/video/video.h>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "capture/captureengine.h"
#include "capture/capturesources.h"
#include "capture/preview.h"
#include "capture/wmvprofiles.h"
#include "capture/mediamodule.h"
#include "media/filters/bgrtoi420element.h"
#include "media/filters/branchguard.h"
#include "media/filters/dvaudioembed.h"
#include "media/filters/dvavisink.h"
#include "media/filters/vx_controlunit.h"
#include "media/filters/vx_dvheader.h"
#include "media/filters/vx_resizer.h"
#include "media/filters/vx_timestamper.h"
#include "media/filters/vx_scenedetect.h"
#include "media/formats/dvcodes.h"
#include "settings/conversions.h"

Q_LOGGING_CATEGORY(lcCapture, "tessivo.capture", QtInfoMsg)

namespace {

using graph::Direction;
using graph::PadPtr;

// A step of a builder that cannot be made.
struct BuildError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Seconds of stream a recording branch may hold back (the AVI writer keeps
// the picture half a second behind the sound).
constexpr guint64 kEntryQueueTime = 5 * GST_SECOND;

// The running time a buffer starts at, and its duration (0 when unknown).
std::pair<GstClockTime, GstClockTime> RunningTime(GstPad* pad, GstBuffer* buffer) {
  const GstClockTime pts = GST_BUFFER_PTS(buffer);
  const gst::MiniObjectPtr<GstEvent> event(gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0));
  if (!GST_CLOCK_TIME_IS_VALID(pts) || !event) return {GST_CLOCK_TIME_NONE, 0};
  const GstSegment* segment = nullptr;
  gst_event_parse_segment(event.get(), &segment);
  const GstClockTime duration = GST_BUFFER_DURATION(buffer);
  return {gst_segment_to_running_time(segment, GST_FORMAT_TIME, pts), GST_CLOCK_TIME_IS_VALID(duration) ? duration : 0};
}

gst::PadProbe CountBuffers(GstPad* pad, std::shared_ptr<std::atomic<std::uint64_t>> counter) {
  return gst::PadProbe(pad, GST_PAD_PROBE_TYPE_BUFFER, [counter = std::move(counter)](GstPad*, GstPadProbeInfo*) {
    counter->fetch_add(1);
    return GST_PAD_PROBE_OK;
  });
}

// A writer input that takes its stream's times in the part: the segment
// from zero, each buffer at its running time less the part's start and the
// frozen stretches, never going back. A stream whose encoder lost the times
// gets its frames' ones back, in order.
void RetimeInput(TCaptureBranch& branch, GstPad* input, std::shared_ptr<TStreamTimes> given) {
  struct Timing {
    GstSegment original{};
    GstClockTime last = GST_CLOCK_TIME_NONE;
    GstClockTime nextRunning = GST_CLOCK_TIME_NONE;  // the end of the last buffer, in running time
  };
  auto timing = std::make_shared<Timing>();
  gst_segment_init(&timing->original, GST_FORMAT_TIME);
  branch.probes.emplace_back(input, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, [timing](GstPad*, GstPadProbeInfo* info) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_SEGMENT) return GST_PAD_PROBE_OK;
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event, &segment);
    if (segment->format != GST_FORMAT_TIME) return GST_PAD_PROBE_OK;
    gst_segment_copy_into(segment, &timing->original);
    GstSegment fromZero;
    gst_segment_init(&fromZero, GST_FORMAT_TIME);
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_segment(&fromZero);
    return GST_PAD_PROBE_OK;
  });
  branch.probes.emplace_back(
      input, GST_PAD_PROBE_TYPE_BUFFER,
      [timing, given = std::move(given), clock = branch.clock](GstPad*, GstPadProbeInfo* info) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        GstClockTime running = GST_CLOCK_TIME_NONE;
        if (given) {
          const std::lock_guard lock(given->mutex);
          if (!given->times.empty()) {
            running = given->times.front();
            given->times.pop_front();
          }
        } else if (GST_BUFFER_PTS_IS_VALID(buffer)) {
          running = gst_segment_to_running_time(&timing->original, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
        }
        if (!GST_CLOCK_TIME_IS_VALID(running)) running = timing->nextRunning;
        if (!GST_CLOCK_TIME_IS_VALID(running)) return GST_PAD_PROBE_DROP;  // no time yet: nothing to place it at
        const GstClockTime duration = GST_BUFFER_DURATION(buffer);
        timing->nextRunning = running + (GST_CLOCK_TIME_IS_VALID(duration) ? duration : 0);
        GstClockTime inPart = clock->InPart(running);
        if (GST_CLOCK_TIME_IS_VALID(timing->last) && inPart < timing->last) inPart = timing->last;
        timing->last = inPart;
        buffer = gst_buffer_make_writable(buffer);
        GST_BUFFER_PTS(buffer) = inPart;
        GST_BUFFER_DTS(buffer) = inPart;
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
        return GST_PAD_PROBE_OK;
      });
}

// Retimes every input of the branch's writer, each with the times given back
// to its stream if any.
void RetimeWriterInputs(TCaptureBranch& branch) {
  if (!branch.clock) return;
  GstElement* writer = branch.muxer ? branch.muxer.get() : branch.sink.get();
  for (const gst::PadObjectPtr& input : gst::Pads(writer, GST_PAD_SINK)) {
    std::shared_ptr<TStreamTimes> given;
    const PadPtr from(gst_pad_get_peer(input.get()));
    for (const auto& [pad, times] : branch.givenTimes)
      if (pad.get() == from.get()) given = times;
    RetimeInput(branch, input.get(), std::move(given));
  }
}

// Puts a builder's steps together, checking each one.
class BranchBuilder {
 public:
  BranchBuilder(TCaptureEngine& engine, TCaptureBranch& branch) : engine_(engine), branch_(branch) {}

  GstElement* Add(GstElement* element, const std::string& name) {
    if (!element) throw BuildError("no element for " + name);
    if (!engine_.graph().AddFilter(element, name)) throw BuildError("cannot add " + name);
    branch_.elements.push_back(gst::ElementPtr::Ref(element));
    return element;
  }
  GstElement* Add(const TFilterSlot& slot) { return Add(slot.get(), slot.name()); }
  GstElement* Add(const Tdm::OwnFilter& filter) { return Add(filter.element.get(), filter.graphName); }
  GstElement* Make(const char* factory, const std::string& name) {
    auto element = gst::ElementPtr::Sink(gst_element_factory_make(factory, nullptr));
    if (!element) throw BuildError(std::string("the element ") + factory + " is not installed");
    return Add(element.get(), name);
  }

  // Output k of a tee, as an input of the branch.
  PadPtr Entry(GstElement* tee, int position) { return Entry(gst::ElementPtr::Ref(tee), position); }
  PadPtr Entry(const gst::ElementPtr& tee, int position) {
    if (!tee) throw BuildError("no tee to record from");
    PadPtr output = engine_.graph().TeeOutput(tee.get(), position);
    if (!output) throw BuildError("no free output on the tee");
    const gst::ElementPtr queue(gst_pad_get_parent_element(output.get()));
    g_object_set(queue.get(), "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time", kEntryQueueTime, nullptr);
    // Linking while the preview runs would otherwise wait for the writer's
    // allocation answer, freezing the preview.
    Probe(output.get(), GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, [](GstPad*, GstPadProbeInfo* info) {
      return GST_QUERY_TYPE(GST_PAD_PROBE_INFO_QUERY(info)) == GST_QUERY_ALLOCATION ? GST_PAD_PROBE_DROP
                                                                                    : GST_PAD_PROBE_OK;
    });
    // A frozen stretch is dropped before the queue, on the source's thread:
    // behind a writer that waits for its other stream, the queue would keep
    // it and hand it over once the freeze ends. The first buffer after it is
    // marked as a discontinuity, for the elements that pair streams by time.
    const PadPtr queueInput(gst_element_get_static_pad(queue.get(), "sink"));
    Probe(queueInput.get(), GST_PAD_PROBE_TYPE_BUFFER,
          [freezes = branch_.freezes, dropped = false](GstPad* pad, GstPadProbeInfo* info) mutable {
            const GstClockTime running = RunningTime(pad, GST_PAD_PROBE_INFO_BUFFER(info)).first;
            if (freezes->Entering(running)) {
              dropped = true;
              return GST_PAD_PROBE_DROP;
            }
            if (std::exchange(dropped, false)) {
              GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
              GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
              GST_PAD_PROBE_INFO_DATA(info) = buffer;
            }
            return GST_PAD_PROBE_OK;
          });
    branch_.entries.push_back(output);
    branch_.teeOutputs.emplace_back(tee, position);
    // A failing writer stays in the branch, and the free space is watched.
    GstElement* guard = Make(kBranchGuardElement, "branch_guard " + std::to_string(branch_.entries.size()));
    const std::string folder = QFileInfo(QString::fromStdString(branch_.fileName)).absolutePath().toStdString();
    g_object_set(guard, "watch-folder", folder.c_str(), "reserve", static_cast<guint64>(engine_.diskReserveBytes),
                 nullptr);
    return Chain(output, {guard}, "the recording's input to its guard");
  }

  PadPtr In(GstElement* element, const char* media = "") {
    return engine_.graph().FindPin(element, Direction::Input, media, true, 0);
  }
  PadPtr Out(GstElement* element, const char* media = "") {
    return engine_.graph().FindPin(element, Direction::Output, media, true, 0);
  }

  void Link(const PadPtr& output, const PadPtr& input, const char* what) {
    if (!output || !input || !engine_.graph().ConnectDirect(output.get(), input.get()))
      throw BuildError(std::string("cannot connect ") + what);
  }
  // Through a chain of elements, each one's output to the next one's input.
  PadPtr Chain(PadPtr from, std::initializer_list<GstElement*> elements, const char* what) {
    for (GstElement* element : elements) {
      Link(from, In(element), what);
      from = Out(element);
    }
    return from;
  }

  // The AVI writer and its file sink.
  GstElement* AviFile(const std::string& fileName) {
    auto file = engine_.graph().SetOutputFileName(graph::TMediaGraph::OutputKind::Avi, fileName);
    if (!file) throw BuildError("cannot open the AVI writer");
    branch_.muxer = file->muxer;
    branch_.sink = file->sink;
    branch_.elements.push_back(file->muxer);
    branch_.elements.push_back(file->sink);
    return file->muxer.get();
  }

  // Counts what reaches the file's video input.
  void CountVideo(const PadPtr& input) {
    branch_.probes.push_back(CountBuffers(input.get(), branch_.videoFrames));
    branch_.countedInput = input;
  }

  // A probe that goes with the branch.
  void Probe(GstPad* pad, GstPadProbeType mask, gst::PadProbe::Callback callback) {
    branch_.probes.emplace_back(pad, mask, std::move(callback));
  }

  // The sound of the current audio source, converted to the recording's
  // format, into the writer.
  void RecordSound(const gst::ElementPtr& tee, bool stamper, GstElement* muxer, const TCaptureSettings& settings) {
    if (!engine_.context.CurrentAudioSource) return;
    Tdm& dm = engine_.dm();
    PadPtr from = Entry(tee, 2);
    if (stamper) from = Chain(from, {Add(dm.captureAudioStamper)}, "the sound to its stamper");
    from = Chain(from, {Add(dm.acmcap)}, "the sound to its converter");
    if (!SetAudioPcmFormat(engine_, settings)) throw BuildError("no audio format");
    Link(from, engine_.graph().FindPin(muxer, Direction::Input, "audio/", true, 0), "the sound to the writer");
  }

  // A frame-rate converter that starts at the first picture it gets. A
  // branch joins a stream that has run for a while: filling from the
  // segment's start would put that whole while of copies first in the file.
  GstElement* FrameRate(const std::string& name) {
    GstElement* rate = Make("videorate", name);
    g_object_set(rate, "skip-to-first", TRUE, nullptr);
    // A frozen stretch is left out, not filled with copies: the picture
    // after it starts the converter afresh.
    Probe(In(rate).get(), GST_PAD_PROBE_TYPE_BUFFER,
          [rate, freezes = branch_.freezes, last = GST_CLOCK_TIME_NONE, afresh = false](
              GstPad* pad, GstPadProbeInfo* info) mutable {
            const GstClockTime running = RunningTime(pad, GST_PAD_PROBE_INFO_BUFFER(info)).first;
            const bool resumed = freezes->Skips(last, running);
            if (GST_CLOCK_TIME_IS_VALID(running)) last = running;
            if (resumed != afresh) {
              afresh = resumed;
              g_object_set(rate, "max-duplication-time", static_cast<guint64>(resumed ? 1 : 0), nullptr);
            }
            return GST_PAD_PROBE_OK;
          });
    return rate;
  }

  // Pictures scaled and timed to the DV standard, then DV-encoded.
  PadPtr EncodeDv(PadPtr from, bool pal) {
    Tdm& dm = engine_.dm();
    GstElement* convert = Make("videoconvert", "dv_convert");
    GstElement* scale = Make("videoscale", "dv_scale");
    GstElement* rate = FrameRate("dv_rate");
    GstElement* format = Make("capsfilter", "dv_format");
    // Consumer DV samples PAL pictures 4:2:0 and NTSC ones 4:1:1; PAL 4:1:1
    // would be the professional variant, which not every reader takes.
    const gst::CapsPtr caps(
        gst_caps_from_string(pal ? "video/x-raw,format=I420,width=720,height=576,framerate=25/1"
                                 : "video/x-raw,format=Y41B,width=720,height=480,framerate=30000/1001"));
    g_object_set(format, "caps", caps.get(), nullptr);
    return Chain(from, {convert, scale, rate, format, Add(dm.DVenc)}, "the pictures to the DV encoder");
  }

  // A capsfilter of the caps, with the name.
  GstElement* Format(const std::string& caps, const std::string& name) {
    GstElement* filter = Make("capsfilter", name);
    const gst::CapsPtr parsed(gst_caps_from_string(caps.c_str()));
    if (!parsed) throw BuildError("bad caps for " + name);
    g_object_set(filter, "caps", parsed.get(), nullptr);
    return filter;
  }
  // Sound converted to the rate and channels, in whatever sample format
  // the next element takes.
  PadPtr Resampled(PadPtr from, int rate, int channels, const std::string& prefix) {
    return Chain(from,
                 {Make("audioconvert", prefix + "_convert"), Make("audioresample", prefix + "_resample"),
                  Format("audio/x-raw,rate=" + std::to_string(rate) + ",channels=" + std::to_string(channels),
                         prefix + "_format"),
                  Make("audioconvert", prefix + "_samples")},
                 "the sound to its format");
  }
  // The writer's input for the media type, linked from `from`.
  PadPtr LinkToWriter(const PadPtr& from, GstElement* writer, const char* media, const char* what) {
    const PadPtr input = engine_.graph().FindPin(writer, Direction::Input, media, true, 0);
    Link(from, input, what);
    return input;
  }
  // The options' MP3 encoder (or a new one) at a constant bitrate.
  GstElement* Mp3Encoder(int kbps) {
    Tdm& dm = engine_.dm();
    GstElement* encoder = dm.mp3.empty() ? Make("lamemp3enc", dm.mp3.name()) : Add(dm.mp3);
    gst_util_set_object_arg(G_OBJECT(encoder), "target", "bitrate");
    g_object_set(encoder, "bitrate", kbps, "cbr", TRUE, nullptr);
    return encoder;
  }
  // The encoder starts each part with a key frame: the picture of the cut's
  // time is made one as it goes in (the encoders do not all keep a request
  // for a later time). The time its input has come to is kept, for the cut
  // to choose a picture that has not gone in yet.
  void CutsAtKeyFrames(GstElement* encoder) {
    TCaptureBranch::KeyFrameEncoder entry{gst::ElementPtr::Ref(encoder)};
    const PadPtr output = Out(encoder);
    Probe(In(encoder).get(), GST_PAD_PROBE_TYPE_BUFFER,
          [reached = entry.reached, keyAt = entry.keyAt, output](GstPad* pad, GstPadProbeInfo* info) {
            const auto [start, duration] = RunningTime(pad, GST_PAD_PROBE_INFO_BUFFER(info));
            if (!GST_CLOCK_TIME_IS_VALID(start)) return GST_PAD_PROBE_OK;
            reached->store(start + duration);
            std::uint64_t wanted = keyAt->load();
            if (GST_CLOCK_TIME_IS_VALID(wanted) && start + duration / 2 >= wanted &&
                keyAt->compare_exchange_strong(wanted, GST_CLOCK_TIME_NONE))
              gst_pad_send_event(output.get(), gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, TRUE, 0));
            return GST_PAD_PROBE_OK;
          });
    branch_.keyFrameEncoders.push_back(std::move(entry));
  }
  // The encoder's frames get back the running times they came in with.
  void GiveTimesBack(GstElement* encoder) {
    auto times = std::make_shared<TStreamTimes>();
    Probe(In(encoder).get(), GST_PAD_PROBE_TYPE_BUFFER, [times](GstPad* pad, GstPadProbeInfo* info) {
      const GstClockTime running = RunningTime(pad, GST_PAD_PROBE_INFO_BUFFER(info)).first;
      const std::lock_guard lock(times->mutex);
      times->times.push_back(running);
      return GST_PAD_PROBE_OK;
    });
    const PadPtr out = Out(encoder);
    branch_.givenTimes.emplace_back(out, times);
  }

 private:
  TCaptureEngine& engine_;
  TCaptureBranch& branch_;
};

bool IsDvSource(const TCaptureEngine& engine) {
  const TVideoSource* source = engine.context.CurrentVideoSource;
  return source && source->SceneDetector;
}

// PAL unless the camcorder's own system is kept, or the preference says NTSC.
bool RecordPal(const TCaptureEngine& engine, const TCaptureSettings& settings) {
  // The camcorder's system once a frame has told it; before that, the
  // preference.
  if (settings.keepDvFormat && IsDvSource(engine)) {
    const std::uint8_t system = engine.context.CurrentVideoSource->SceneDetector->currentVideoSystem();
    if (system != dv::kSystemUnknown) return system == dv::kSystem625;
  }
  return settings.dvStandard == 0;
}

// What feeds the writer, for a cut to link to the next one.
void RecordTail(TCaptureBranch& branch) {
  GstElement* writer = branch.muxer ? branch.muxer.get() : branch.sink.get();
  if (!writer) throw BuildError("the branch has no writer");
  for (const gst::PadObjectPtr& input : gst::Pads(writer, GST_PAD_SINK)) {
    PadPtr from(gst_pad_get_peer(input.get()));
    const GstPadTemplate* padTemplate = GST_PAD_PAD_TEMPLATE(input.get());
    if (!from || !padTemplate) throw BuildError("an input of the writer is not linked");
    TCaptureBranch::TailInput tail{from, GST_PAD_TEMPLATE_NAME_TEMPLATE(padTemplate),
                                   input.get() == branch.countedInput.get()};
    branch.probes.emplace_back(from.get(), GST_PAD_PROBE_TYPE_BUFFER,
                               [reached = tail.reached](GstPad* pad, GstPadProbeInfo* info) {
                                 const auto [start, duration] = RunningTime(pad, GST_PAD_PROBE_INFO_BUFFER(info));
                                 if (GST_CLOCK_TIME_IS_VALID(start)) reached->store(start + duration);
                                 return GST_PAD_PROBE_OK;
                               });
    branch.tail.push_back(std::move(tail));
  }
  if (branch.tail.empty()) throw BuildError("nothing goes into the writer");
}

template <typename Build>
bool Guarded(TCaptureEngine& engine, const char* name, int format, const std::string& fileName, Build build) {
  if (!engine.context.dm) return false;
  if (engine.branch) KillCaptureGraph(engine);
  engine.branch = std::make_unique<TCaptureBranch>();
  engine.branch->format = format;
  engine.branch->fileName = fileName;
  try {
    BranchBuilder builder(engine, *engine.branch);
    build(builder);
    RecordTail(*engine.branch);
    RetimeWriterInputs(*engine.branch);
    qCInfo(lcCapture) << name << "ready:" << fileName.c_str();
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcCapture) << name << "cannot be built:" << error.what();
    KillCaptureGraph(engine);
    return false;
  }
}

}  // namespace

int CaptureAudioRate(const TCaptureEngine& engine, const TCaptureSettings& settings) {
  const TCaptureContext& context = engine.context;
  if (settings.keepDvFormat && IsDvSource(engine) && settings.nativeDvRate &&
      (context.AudioRate == 32000 || context.AudioRate == 44100 || context.AudioRate == 48000))
    return context.AudioRate;
  return FrequenceDVHertz(static_cast<std::uint8_t>(settings.dvRate));
}

bool SetAudioPcmFormat(TCaptureEngine& engine, const TCaptureSettings& settings) {
  if (!engine.context.CurrentAudioSource || !engine.context.dm) return false;
  const gst::ElementPtr format(gst_bin_get_by_name(GST_BIN(engine.dm().acmcap.get()), "format"));
  if (!format) return false;
  const gst::CapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                              "interleaved", "channels", G_TYPE_INT, 2, "rate", G_TYPE_INT,
                                              CaptureAudioRate(engine, settings), nullptr));
  graph::TMediaGraph::SetStreamFormat(format.get(), caps.get());
  return true;
}

bool BuildDvNativeType1(TCaptureEngine& engine, const std::string& fileName) {
  return Guarded(engine, "dv type 1 natif", fcDvType1Native, fileName, [&](BranchBuilder& b) {
    const TVideoSource* source = engine.context.CurrentVideoSource;
    GstElement* tee = source ? source->Device->InterleavedTee() : nullptr;
    if (!tee) throw BuildError("the video source gives no interleaved DV stream");
    GstElement* sink = b.Make(kDvAviSinkElement, "dv_avi_writer");
    g_object_set(sink, "location", fileName.c_str(), nullptr);
    engine.branch->sink = gst::ElementPtr::Ref(sink);
    const PadPtr fileIn = b.In(sink);
    b.Link(b.Chain(b.Entry(tee, 2), {b.Add(engine.dm().captureVideoControl)}, "the DV stream to its writer"), fileIn,
           "the DV stream to its writer");
    b.CountVideo(fileIn);
  });
}

bool BuildDvNativeType2(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  return Guarded(engine, "dv type 2 natif", fcDvType2Native, fileName, [&](BranchBuilder& b) {
    TCaptureContext& context = engine.context;
    if (!context.VideoTee) throw BuildError("no video source");
    GstElement* muxer = b.AviFile(fileName);
    Tdm& dm = engine.dm();
    PadPtr from = b.Chain(b.Entry(context.VideoTee, 2), {b.Add(dm.captureVideoControl), b.Add(dm.infdumvideo)},
                          "the DV pictures to the writer");
    const PadPtr videoIn = engine.graph().FindPin(muxer, Direction::Input, "video/", true, 0);
    b.Link(engine.graph().TeeOutput(dm.infdumvideo.get(), 1), videoIn, "the DV pictures to the writer");
    b.CountVideo(videoIn);
    b.RecordSound(context.AudioTee, false, muxer, settings);
  });
}

bool BuildAviNative(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  return Guarded(engine, "avi natif", fcAviNative, fileName, [&](BranchBuilder& b) {
    TCaptureContext& context = engine.context;
    if (!context.VideoTee) throw BuildError("no video source");
    GstElement* muxer = b.AviFile(fileName);
    const PadPtr from =
        b.Chain(b.Entry(context.VideoTee, 2), {b.Add(engine.dm().captureVideoControl)}, "the pictures to the writer");
    const PadPtr videoIn = engine.graph().FindPin(muxer, Direction::Input, "video/", true, 0);
    b.Link(from, videoIn, "the pictures to the writer");
    b.CountVideo(videoIn);
    b.RecordSound(context.AudioTee, true, muxer, settings);
  });
}

bool BuildDvRecompressed(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  return Guarded(engine, "dv type 2 (recomp)", fcDvType2Recompressed, fileName, [&](BranchBuilder& b) {
    TCaptureContext& context = engine.context;
    Tdm& dm = engine.dm();
    if (!context.VideoTee) throw BuildError("no video source");
    GstElement* muxer = b.AviFile(fileName);
    PadPtr from = b.Chain(b.Entry(dm.infdecvideo.get(), 2), {b.Add(dm.captureVideoControl)},
                          "the overlaid pictures to the encoder");
    from = b.EncodeDv(from, RecordPal(engine, settings));
    if (context.CurrentAudioSource) {
      // The frames carry the sound too, at 48 kHz whatever the file's rate.
      GstElement* embed = b.Make(kDvAudioEmbedElement, "dv_sound");
      b.Link(from, engine.graph().FindPin(embed, Direction::Input, "video/", true, 0),
             "the DV pictures to their sound");
      PadPtr sound = b.Entry(dm.infdecaudio.get(), 3);
      GstElement* format = b.Make("capsfilter", "dv_sound_format");
      const gst::CapsPtr caps(
          gst_caps_from_string("audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=2"));
      g_object_set(format, "caps", caps.get(), nullptr);
      sound = b.Chain(
          sound, {b.Make("audioconvert", "dv_sound_convert"), b.Make("audioresample", "dv_sound_resample"), format},
          "the sound to the DV frames");
      b.Link(sound, engine.graph().FindPin(embed, Direction::Input, "audio/", true, 0), "the sound to the DV frames");
      from = b.Out(embed);
    }
    dm.DVHeader().sceneDetector = context.CurrentVideoSource ? context.CurrentVideoSource->SceneDetector : nullptr;
    dm.DVHeader().SetWideMode(static_cast<std::uint8_t>(settings.keepDvFormat ? 2 : settings.ratioDv));
    from = b.Chain(from, {b.Add(dm.dvHeader), b.Add(dm.captureVideoStamper), b.Add(dm.infdumvideo)},
                   "the DV pictures to the writer");
    const PadPtr videoIn = engine.graph().FindPin(muxer, Direction::Input, "video/", true, 0);
    b.Link(engine.graph().TeeOutput(dm.infdumvideo.get(), 1), videoIn, "the DV pictures to the writer");
    b.CountVideo(videoIn);
    b.RecordSound(gst::ElementPtr::Ref(dm.infdecaudio.get()), true, muxer, settings);
  });
}

bool BuildMpegNative(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  const int format = engine.context.CurrentVideoSource ? engine.context.CurrentVideoSource->Device->NativeFormat1
                                                       : static_cast<int>(fcMpeg2Native);
  return Guarded(engine, "flux mpeg natif", format, fileName, [&](BranchBuilder& b) {
    TCaptureContext& context = engine.context;
    Tdm& dm = engine.dm();
    if (!context.VideoTee) throw BuildError("no video source");
    const PadPtr teeIn = engine.graph().FindPin(context.VideoTee.get(), Direction::Input, {}, false, 0);
    gst::CapsPtr stream(teeIn ? gst_pad_get_current_caps(teeIn.get()) : nullptr);
    if (!stream && teeIn) stream = gst::CapsPtr(gst_pad_query_caps(teeIn.get(), nullptr));
    if (!stream || gst_caps_is_empty(stream.get())) throw BuildError("the native stream has no known type");
    GstElement* writer = b.Add(dm.writer);
    g_object_set(writer, "location", fileName.c_str(), "async", FALSE, nullptr);
    // The file is finished and cut through its sink, like every other one.
    engine.branch->sink = gst::ElementPtr::Ref(writer);
    const PadPtr from =
        b.Chain(b.Entry(context.VideoTee, 2), {b.Add(dm.captureVideoControl)}, "the stream to its writer");
    gboolean system = FALSE;
    if (gst_structure_get_boolean(gst_caps_get_structure(stream.get(), 0), "systemstream", &system) && system) {
      // A program stream is already what the file holds, sound included.
      const PadPtr fileIn = b.In(writer);
      b.Link(from, fileIn, "the program stream to the file");
      b.CountVideo(fileIn);
      return;
    }
    // An elementary stream goes into the first multiplexer that takes it,
    // with the sound in MPEG audio.
    std::vector<std::string> candidates;
    const gst::CapsPtr programStream(gst_caps_from_string("video/mpeg,systemstream=true"));
    for (GstElementFactory* factory : gst::FactoryList::Elements(GST_ELEMENT_FACTORY_TYPE_MUXER, GST_RANK_NONE)
                                          .Filter(stream.get(), GST_PAD_SINK)
                                          .items())
      if (gst_element_factory_can_src_any_caps(factory, programStream.get()))
        candidates.push_back(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)));
    // The one known to keep the last frames first.
    std::stable_partition(candidates.begin(), candidates.end(), [](const std::string& n) { return n == "avmux_mpeg"; });
    for (const std::string& name : candidates) {
      if (!dm.muxer.Load(name)) continue;
      GstElement* muxer = b.Add(dm.muxer);
      engine.branch->muxer = gst::ElementPtr::Ref(muxer);
      const PadPtr videoIn = engine.graph().FindPin(muxer, Direction::Input, "video/", true, 0);
      if (videoIn && engine.graph().ConnectDirect(from.get(), videoIn.get()) &&
          engine.graph().ConnectDirect(b.Out(muxer).get(), b.In(writer).get())) {
        b.CountVideo(videoIn);
        if (context.CurrentAudioSource) {
          PadPtr sound = b.Chain(b.Entry(dm.infdecaudio.get(), 2),
                                 {b.Add(dm.acmcap), b.Add(dm.captureAudioStamper), b.Make("avenc_mp2", "audioenc"),
                                  b.Make("mpegaudioparse", "audioparse")},
                                 "the sound to its encoder");
          if (!SetAudioPcmFormat(engine, settings)) throw BuildError("no audio format");
          b.Link(sound, engine.graph().FindPin(muxer, Direction::Input, "audio/", true, 0),
                 "the sound to the multiplexer");
        }
        return;
      }
      engine.graph().RemoveFilter(muxer);
      engine.branch->muxer.reset();
    }
    throw BuildError("no multiplexer takes the stream");
  });
}

bool BuildImageByImage(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings,
                       std::function<void()> onFrame) {
  return Guarded(engine, "Image/Image", fcImageByImage, fileName, [&](BranchBuilder& b) {
    TCaptureContext& context = engine.context;
    Tdm& dm = engine.dm();
    if (!context.VideoTee) throw BuildError("no video source");
    GstElement* muxer = b.AviFile(fileName);
    PadPtr from;
    if (IsDvSource(engine)) {
      // The camcorder's frames as they are.
      from = b.Entry(context.VideoTee, 2);
    } else {
      TCaptureSettings standard = settings;
      standard.keepDvFormat = false;
      from = b.EncodeDv(b.Entry(dm.infdecvideo.get(), 2), RecordPal(engine, standard));
    }
    Tvx_ControlFilter& control = dm.ControlFilter();
    control.forceSyncPoint = true;
    control.forceDiscontinuity = true;
    control.frameStep = 1;
    control.SetRestamp(true);
    control.pass = false;
    control.onStopped = std::move(onFrame);
    from = b.Chain(from, {b.Add(dm.imageControl)}, "the frames to their gate");
    // The gate numbers the frames it lets through from zero: their segment
    // starts at zero too, or the writer would clip them away.
    b.Probe(from.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, [](GstPad*, GstPadProbeInfo* info) {
      if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_SEGMENT) return GST_PAD_PROBE_OK;
      GstSegment segment;
      gst_segment_init(&segment, GST_FORMAT_TIME);
      gst_event_unref(GST_PAD_PROBE_INFO_EVENT(info));
      GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_segment(&segment);
      return GST_PAD_PROBE_OK;
    });
    const PadPtr videoIn = engine.graph().FindPin(muxer, Direction::Input, "video/", true, 0);
    b.Link(from, videoIn, "the frames to the writer");
    b.CountVideo(videoIn);
  });
}

bool TFreezes::Entering(GstClockTime running) {
  const bool drop = frozen.load(std::memory_order_acquire);
  if (!GST_CLOCK_TIME_IS_VALID(running)) return drop;
  const std::lock_guard lock(mutex);
  const bool open = !stretches.empty() && !GST_CLOCK_TIME_IS_VALID(stretches.back().second);
  if (drop && !open) stretches.emplace_back(running, GST_CLOCK_TIME_NONE);
  if (!drop && open) stretches.back().second = std::max(running, stretches.back().first);
  return drop;
}

bool TFreezes::Skips(GstClockTime after, GstClockTime upTo) {
  if (!GST_CLOCK_TIME_IS_VALID(after) || !GST_CLOCK_TIME_IS_VALID(upTo)) return false;
  const std::lock_guard lock(mutex);
  return std::any_of(stretches.begin(), stretches.end(), [&](const auto& stretch) {
    return stretch.first <= upTo && (!GST_CLOCK_TIME_IS_VALID(stretch.second) || stretch.second > after);
  });
}

GstClockTime TFreezes::FrozenBetween(GstClockTime from, GstClockTime upTo) {
  const std::lock_guard lock(mutex);
  GstClockTime length = 0;
  for (const auto& [begin, end] : stretches)
    if (begin >= from && begin <= upTo) length += (GST_CLOCK_TIME_IS_VALID(end) ? end : upTo) - begin;
  return length;
}

GstClockTime TPartClock::InPart(GstClockTime running) {
  GstClockTime partStart;
  {
    const std::lock_guard lock(mutex);
    if (!GST_CLOCK_TIME_IS_VALID(start)) start = running;
    partStart = start;
  }
  const GstClockTime offset = partStart + freezes->FrozenBetween(partStart, running);
  return running > offset ? running - offset : 0;
}

namespace {

// The writer's header names the MPEG-4 stream by the FourCC of the entry
// chosen ("DX50", "XVID") instead of the muxer's generic "DIVX".
void PatchFourCC(TCaptureBranch& branch, GstElement* sink, const std::string& fourCC) {
  if (fourCC.size() != 4) return;
  const PadPtr input(gst_element_get_static_pad(sink, "sink"));
  branch.probes.emplace_back(input.get(), GST_PAD_PROBE_TYPE_BUFFER, [fourCC](GstPad*, GstPadProbeInfo* info) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    constexpr gsize kLongestHead = 1 << 16;
    if (gst_buffer_get_size(buffer) > kLongestHead || gst_buffer_memcmp(buffer, 0, "RIFF", 4) != 0)
      return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
      // The stream header's handler and the picture format's compression.
      for (const char* generic : {"DIVX", "FMP4"})
        for (guint8* at = map.data; at + 4 <= map.data + map.size; ++at)
          if (std::equal(generic, generic + 4, at)) std::copy(fourCC.begin(), fourCC.end(), at);
      gst_buffer_unmap(buffer, &map);
    }
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
  });
}

// Whether the encoder has the property (libav's generic options).
bool HasProperty(GstElement* element, const char* name) {
  return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

// The DV decoder at half or full size: the source is taken down and brought
// back, the graph stopped.
bool RestartDvDecoder(TCaptureEngine& engine, bool half) {
  TVideoSource* source = engine.context.CurrentVideoSource;
  if (!source || engine.context.DvHalfRes == half) return true;
  DeactivateVideoSource(engine, *source, false);
  engine.context.DvHalfRes = half;
  const bool activated = ActivateVideoSource(engine, *source);
  Stop(engine);
  return activated;
}

}  // namespace

bool BuildWmv(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  return Guarded(engine, "Wmv", fcWmv, fileName, [&](BranchBuilder& b) {
    TCaptureContext& context = engine.context;
    Tdm& dm = engine.dm();
    if (!context.VideoTee) throw BuildError("no video source");
    const std::vector<TWmvProfile>& table = WmvProfiles(settings.wmvVersion);
    if (settings.wmvProfile < 0 || settings.wmvProfile >= static_cast<int>(table.size()))
      throw BuildError("no Windows Media profile chosen");
    const TWmvProfile& profile = table[static_cast<std::size_t>(settings.wmvProfile)];
    auto file = engine.graph().SetOutputFileName(graph::TMediaGraph::OutputKind::Asf, fileName);
    if (!file) throw BuildError("cannot open the ASF writer");
    TCaptureBranch& branch = *engine.branch;
    branch.muxer = file->muxer;
    branch.sink = file->sink;
    branch.elements.push_back(file->muxer);
    branch.elements.push_back(file->sink);
    branch.clock = std::make_shared<TPartClock>(branch.freezes);
    GstElement* muxer = file->muxer.get();

    // The Windows Media encoders take whole progressive pictures only.
    GstElement* encoder = b.Make(profile.videoEncoder, "wmv_video");
    g_object_set(encoder, "bitrate", profile.videoKbps * 1000, nullptr);
    if (HasProperty(encoder, "gop-size")) g_object_set(encoder, "gop-size", profile.framesPerSecond * 4, nullptr);
    b.CutsAtKeyFrames(encoder);
    // The gate stands after the frame rate's converter, which would fill a
    // frozen stretch with copies.
    // One picture per frame (the profiles' rates are the frames', not the
    // fields'), from pictures converted first: deinterlacing 4:2:0 moves
    // half the bytes of the overlay's RGB. The overlay always gives BGR.
    GstElement* deinterlace = b.Make("deinterlace", "wmv_deinterlace");
    gst_util_set_object_arg(G_OBJECT(deinterlace), "fields", "top");
    PadPtr from = b.Chain(b.Entry(dm.infdecvideo.get(), 2),
                   {b.Make(kBgrToI420Element, "wmv_convert"), deinterlace, b.Make("videoscale", "wmv_scale"),
                    b.FrameRate("wmv_rate"),
                    b.Format("video/x-raw,format=I420,width=" + std::to_string(profile.width) +
                                 ",height=" + std::to_string(profile.height) + ",pixel-aspect-ratio=1/1,framerate=" +
                                 std::to_string(profile.framesPerSecond) + "/1",
                             "wmv_size"),
                    b.Add(dm.captureVideoControl), b.Make("queue", "wmv_encoding"), encoder},
                   "the pictures to the Windows Media encoder");
    b.CountVideo(b.LinkToWriter(from, muxer, "video/", "the pictures to the ASF writer"));
    // The profile's audio stream only with a sound source. Its gate is ours:
    // the writer would otherwise take the sound of a frozen stretch.
    if (context.CurrentAudioSource) {
      GstElement* sound = b.Make(profile.audioEncoder, "wmv_audio");
      g_object_set(sound, "bitrate", profile.audioKbps * 1000, nullptr);
      PadPtr audio = b.Chain(b.Entry(dm.infdecaudio.get(), 2), {b.Add(dm.captureAudioStamper)}, "the sound to its gate");
      audio = b.Resampled(audio, profile.audioRate, profile.channels, "wmv_sound");
      audio = b.Chain(audio, {sound}, "the sound to its encoder");
      b.LinkToWriter(audio, muxer, "audio/", "the sound to the ASF writer");
    }
  });
}

bool BuildDivx(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  return Guarded(engine, "divx", fcDivx, fileName, [&](BranchBuilder& b) {
    TCaptureContext& context = engine.context;
    Tdm& dm = engine.dm();
    if (!context.VideoTee) throw BuildError("no video source");
    if (dm.divx.empty()) throw BuildError("no MPEG-4 encoder chosen");
    // The camcorder's pictures decoded at half size until the branch goes.
    if (IsDvSource(engine) && settings.dvHalfForDivx && !RestartDvDecoder(engine, true))
      throw BuildError("the camcorder cannot be decoded at half size");
    GstElement* muxer = b.AviFile(fileName);
    TCaptureBranch& branch = *engine.branch;
    branch.clock = std::make_shared<TPartClock>(branch.freezes);
    const std::string fourCC = dm.divxFourCC;
    branch.onNewSink = [fourCC](TCaptureBranch& owner, GstElement* sink) { PatchFourCC(owner, sink, fourCC); };
    branch.onNewSink(branch, branch.sink.get());

    TVX_Resizer& resizer = dm.Resizer();
    resizer.SetResizeMode(settings.ratioDivx);
    resizer.demiTaille = settings.demiTaille;
    resizer.aspectX = context.AspectX;
    resizer.aspectY = context.AspectY;
    GstElement* encoder = b.Add(dm.divx);
    if (HasProperty(encoder, "max-bframes")) g_object_set(encoder, "max-bframes", 0, nullptr);
    // The stream's headers in the file's format block, so that every part
    // decodes from its first key frame.
    if (HasProperty(encoder, "flags")) gst_util_set_object_arg(G_OBJECT(encoder), "flags", "global-header");
    b.CutsAtKeyFrames(encoder);
    PadPtr from = b.Chain(b.Entry(dm.infdecvideo.get(), 2), {b.Add(dm.captureVideoControl)}, "the pictures to their gate");
    from = b.Chain(from,
                   {b.Make("videoconvert", "divx_to_rgb"), b.Format("video/x-raw,format=BGR", "divx_rgb"),
                    b.Add(dm.resizer), b.Make("videoconvert", "divx_to_yuv"),
                    b.Format("video/x-raw,format=I420", "divx_yuv")},
                   "the pictures to the resizer");
    b.GiveTimesBack(encoder);
    from = b.Chain(from, {encoder, b.Add(dm.infdumvideo)}, "the pictures to the MPEG-4 encoder");
    const PadPtr encoded = engine.graph().TeeOutput(dm.infdumvideo.get(), 1);
    b.CountVideo(b.LinkToWriter(encoded, muxer, "video/", "the MPEG-4 pictures to the writer"));
    // The times given back are matched at the writer's input.
    branch.givenTimes.back().first = encoded;
    if (!context.CurrentAudioSource) return;
    PadPtr sound = b.Chain(b.Entry(dm.infdecaudio.get(), 2), {b.Add(dm.acmcap)}, "the sound to its converter");
    if (!SetAudioPcmFormat(engine, settings)) throw BuildError("no audio format");
    if (settings.wantMp3 && (!dm.mp3.empty() || gst::FactoryExists("lamemp3enc"))) {
      // Straight into the writer: behind a parser, the AVI writer keeps
      // every MP3 buffer it was given until the file ends.
      GstElement* mp3 = b.Mp3Encoder(settings.mp3Kbps);
      sound = b.Chain(sound, {mp3}, "the sound to the MP3 encoder");
    }
    GstElement* stamper = b.Add(dm.captureAudioStamper.element.get(), Tdm::kDivxAudioStamperName);
    sound = b.Chain(sound, {stamper}, "the sound to its stamper");
    b.LinkToWriter(sound, muxer, "audio/", "the sound to the writer");
  });
}

namespace {

// Sound alone into a file: the converter, the gate, the elements through
// which it goes, then the writer making the file's bytes (the WAV writer,
// the MP3 length header), which goes with the file at a cut.
void RecordSoundFile(TCaptureEngine& engine, BranchBuilder& b, const std::string& fileName,
                     const TCaptureSettings& settings, std::initializer_list<GstElement*> through, GstElement* writer) {
  Tdm& dm = engine.dm();
  GstElement* sink = b.Add(dm.FileWriter);
  g_object_set(sink, "location", fileName.c_str(), "async", FALSE, nullptr);
  engine.branch->muxer = gst::ElementPtr::Ref(writer);
  engine.branch->sink = gst::ElementPtr::Ref(sink);
  PadPtr from = b.Chain(b.Entry(dm.infdecaudio.get(), 2), {b.Add(dm.acmcap)}, "the sound to its converter");
  if (!SetAudioPcmFormat(engine, settings)) throw BuildError("no audio format");
  from = b.Chain(from, {b.Add(dm.captureAudioStamper)}, "the sound to its gate");
  from = b.Chain(from, through, "the sound to its encoder");
  b.Link(from, b.In(writer), "the sound to its writer");
  b.Link(b.Out(writer), b.In(sink), "the writer to its file");
}

}  // namespace

bool BuildWav(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  return Guarded(engine, "Wav", fcWav, fileName, [&](BranchBuilder& b) {
    if (!engine.context.CurrentAudioSource) throw BuildError("no audio source");
    RecordSoundFile(engine, b, fileName, settings, {}, b.Add(engine.dm().waveDest));
  });
}

bool BuildMp3(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings) {
  return Guarded(engine, "mp3", fcMp3, fileName, [&](BranchBuilder& b) {
    if (!engine.context.CurrentAudioSource) throw BuildError("no audio source");
    // A plain MP3 stream; its first frame tells the length once it is known.
    GstElement* encoder = b.Mp3Encoder(settings.mp3Kbps);
    RecordSoundFile(engine, b, fileName, settings, {encoder}, b.Make("xingmux", "mp3_header"));
  });
}

bool SetCaptureFrozen(TCaptureEngine& engine, bool frozen) {
  TCaptureBranch* branch = engine.branch.get();
  if (!branch || !engine.context.dm) return false;
  Tdm& dm = engine.dm();
  branch->freezes->frozen.store(frozen, std::memory_order_release);
  dm.Stamper(dm.captureVideoControl).SetDropAll(frozen);
  dm.Stamper(dm.captureAudioStamper).SetDropAll(frozen);
  return true;
}

bool CaptureFrozen(const TCaptureEngine& engine) {
  return engine.branch && engine.context.dm && engine.dm().Stamper(engine.dm().captureAudioStamper).dropAll();
}

bool BuildCaptureGraph(TCaptureEngine& engine, int format, const std::string& fileName,
                       const TCaptureSettings& settings) {
  switch (format) {
    case fcDvType2Native:
      return BuildDvNativeType2(engine, fileName, settings);
    case fcMpeg2Native:
    case fcMpeg1Native:
      return BuildMpegNative(engine, fileName, settings);
    case fcAviNative:
      return BuildAviNative(engine, fileName, settings);
    case fcDvType2Recompressed:
      return BuildDvRecompressed(engine, fileName, settings);
    case fcImageByImage:
      return BuildImageByImage(engine, fileName, settings, nullptr);
    case fcWmv:
      return BuildWmv(engine, fileName, settings);
    case fcDivx:
      return BuildDivx(engine, fileName, settings);
    case fcWav:
      return BuildWav(engine, fileName, settings);
    case fcMp3:
      return BuildMp3(engine, fileName, settings);
    case fcDvType1Native: {
      TCaptureDevice* device =
          engine.context.CurrentVideoSource ? engine.context.CurrentVideoSource->Device : nullptr;
      if (!device || !device->CaptureNative(engine, QString::fromStdString(fileName))) return false;
      // A plug-in records on its own: the branch only says how it ends.
      if (device->Kind == dkPlugIn) {
        engine.branch = std::make_unique<TCaptureBranch>();
        engine.branch->format = format;
        engine.branch->fileName = fileName;
        engine.branch->finishNative = [&engine, device] { return device->FinCaptureNative(engine); };
        engine.branch->repointNative = [&engine, device](const std::string& next) {
          return device->RepointNative(engine, QString::fromStdString(next));
        };
        engine.branch->restartNative = [&engine, device](const std::string& next) {
          return device->CaptureNative(engine, QString::fromStdString(next));
        };
      }
      return true;
    }
    default:
      qCWarning(lcCapture) << "no recording graph for the format" << format;
      return false;
  }
}

// --- Finishing ---------------------------------------------------------------------

namespace {

// Waits for the end of the stream at the file sink.
class EndWatch {
 public:
  explicit EndWatch(GstElement* sink)
      : pad_(gst_element_get_static_pad(sink, "sink")), state_(std::make_shared<State>()) {
    probe_ = gst::PadProbe(pad_.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
                           [state = state_](GstPad*, GstPadProbeInfo* info) {
                             if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS) {
                               const std::lock_guard lock(state->mutex);
                               state->ended = true;
                               state->arrived.notify_all();
                             }
                             return GST_PAD_PROBE_OK;
                           });
  }
  // True once the sink has the end of the stream, also when it came before
  // the watch began.
  bool Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(state_->mutex);
    while (!state_->ended && !GST_PAD_IS_EOS(pad_.get())) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      state_->arrived.wait_for(lock, std::chrono::milliseconds(50));
    }
    return true;
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable arrived;
    bool ended = false;
  };
  PadPtr pad_;
  std::shared_ptr<State> state_;
  gst::PadProbe probe_;
};

// Names the writer's inputs that have not had their end of stream, for the
// log of a file not finished in time.
std::string InputsWithoutEnd(const TCaptureBranch& branch) {
  std::string names;
  if (branch.sink) {
    GstState state = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(branch.sink.get(), &state, &pending, 0);
    const PadPtr in(gst_element_get_static_pad(branch.sink.get(), "sink"));
    names += std::string("[sink ") + gst_element_state_get_name(state) + "/" + gst_element_state_get_name(pending) +
             (GST_PAD_IS_FLUSHING(in.get()) ? " flushing" : "") + (GST_PAD_IS_EOS(in.get()) ? " eos" : "") + "] ";
  }
  GstElement* writer = branch.muxer ? branch.muxer.get() : branch.sink.get();
  if (!writer) return names;
  for (const gst::PadObjectPtr& pad : gst::Pads(writer, GST_PAD_SINK))
    if (!GST_PAD_IS_EOS(pad.get())) names += std::string(names.empty() ? "" : ", ") + GST_OBJECT_NAME(pad.get());
  return names;
}

// Where a stream may start a new file. An MPEG video stream starts where a
// decoder can: at a sequence header, and in a program stream at a pack
// holding one.
// An encoded picture stream starts at a key frame.
enum class CutPoint { AnyBuffer, SequenceHeader, PackWithSequenceHeader, KeyFrame };

CutPoint CutPointOf(GstPad* pad) {
  const gst::CapsPtr caps(gst_pad_get_current_caps(pad));
  if (!caps || gst_caps_is_empty(caps.get())) return CutPoint::AnyBuffer;
  const GstStructure* structure = gst_caps_get_structure(caps.get(), 0);
  if (gst_structure_has_name(structure, "video/x-wmv") || gst_structure_has_name(structure, "video/x-divx"))
    return CutPoint::KeyFrame;
  if (!gst_structure_has_name(structure, "video/mpeg")) return CutPoint::AnyBuffer;
  gboolean system = FALSE;
  gst_structure_get_boolean(structure, "systemstream", &system);
  int version = 0;
  if (gst_structure_get_int(structure, "mpegversion", &version) && version == 4) return CutPoint::KeyFrame;
  return system ? CutPoint::PackWithSequenceHeader : CutPoint::SequenceHeader;
}

bool IsCutPoint(CutPoint point, GstBuffer* buffer) {
  if (point == CutPoint::AnyBuffer) return true;
  if (point == CutPoint::KeyFrame) return !GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return false;
  static constexpr guint8 kPack[] = {0, 0, 1, 0xBA}, kSequence[] = {0, 0, 1, 0xB3};
  const guint8* begin = map.data;
  const guint8* end = begin + map.size;
  const bool pack = map.size >= sizeof kPack && std::equal(std::begin(kPack), std::end(kPack), begin);
  const bool sequence = std::search(begin, end, std::begin(kSequence), std::end(kSequence)) != end;
  gst_buffer_unmap(buffer, &map);
  return sequence && (pack || point == CutPoint::SequenceHeader);
}

// Holds streams where the file is to end; once a stream is held, the end of
// the stream is sent from here into what it fed: no thread is inside that
// input then, so nothing waits for anything. The next buffers wait for
// whatever comes after.
//
// Without a time, each stream is held at its next gap between buffers (at
// once when nothing flows). With one, each is held at its first buffer from
// that time on, the buffers before it going on into the file: the parts meet
// at the same moment in every stream, so the sound stays with its pictures.
class StreamHold {
 public:
  explicit StreamHold(const std::vector<PadPtr>& pads, GstClockTime cutTime = GST_CLOCK_TIME_NONE,
                      std::vector<CutPoint> cutPoints = {}, std::vector<std::shared_ptr<TStreamTimes>> givenTimes = {})
      : pads_(pads), ended_(pads.size(), 0), shared_(std::make_shared<Shared>()) {
    shared_->held.assign(pads.size(), 0);
    shared_->givenTimes = std::move(givenTimes);
    shared_->keyAnnounced.assign(pads.size(), 0);
    shared_->cutTime = cutTime;
    shared_->cutPoints = std::move(cutPoints);
    shared_->cutPoints.resize(pads.size(), CutPoint::AnyBuffer);
    for (std::size_t i = 0; i < pads.size(); ++i)
      blocks_.emplace_back(
          pads[i].get(), GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM,
          [shared = shared_, i](GstPad* pad, GstPadProbeInfo* info) { return shared->Decide(i, pad, info); });
    if (!GST_CLOCK_TIME_IS_VALID(cutTime)) HoldWhenIdle();
  }
  ~StreamHold() { Release(); }
  StreamHold(const StreamHold&) = delete;
  StreamHold& operator=(const StreamHold&) = delete;

  bool WaitAllHeld(std::chrono::milliseconds timeout) {
    std::unique_lock lock(shared_->mutex);
    return shared_->changed.wait_for(lock, timeout, [this] { return shared_->count == pads_.size(); });
  }
  // Ends the held streams until all are held and ended; false when some
  // stream was not held in time.
  bool EndAll(std::chrono::milliseconds timeout) {
    const auto start = std::chrono::steady_clock::now();
    // A stream may be waiting inside the writer for another one: the ones
    // held first are ended first, which lets the others go and be held.
    while (!WaitAllHeld(std::chrono::milliseconds(20))) {
      EndHeldStreams();
      const auto waited = std::chrono::steady_clock::now() - start;
      if (waited >= timeout) return false;
      // A stream that does not come (a paused gate, a stalled source) does
      // not hold the others back.
      if (waited >= std::chrono::milliseconds(1500) && idles_.empty()) HoldWhenIdle();
    }
    EndHeldStreams();
    return true;
  }
  // Lets the streams go; one not held yet keeps no probe.
  void Release() {
    idles_.clear();
    blocks_.clear();
  }

 private:
  // Holds every stream not held yet at its next gap, whatever its time.
  void HoldWhenIdle() {
    {
      const std::lock_guard lock(shared_->mutex);
      shared_->cutTime = GST_CLOCK_TIME_NONE;
    }
    for (std::size_t i = 0; i < pads_.size(); ++i)
      idles_.emplace_back(pads_[i].get(), GST_PAD_PROBE_TYPE_IDLE, [shared = shared_, i](GstPad*, GstPadProbeInfo*) {
        const std::lock_guard lock(shared->mutex);
        shared->Hold(i);
        return GST_PAD_PROBE_REMOVE;
      });
  }
  // Ends the stream of every one held so far that has not had its end.
  void EndHeldStreams() {
    std::vector<std::size_t> ready;
    {
      const std::lock_guard lock(shared_->mutex);
      for (std::size_t i = 0; i < pads_.size(); ++i)
        if (shared_->held[i] && !std::exchange(ended_[i], char{1})) ready.push_back(i);
    }
    // Each on its own thread: an encoder draining at the end pushes its last
    // frames into a writer that may wait for the other streams' ends.
    for (std::size_t i : ready)
      if (PadPtr peer{gst_pad_get_peer(pads_[i].get())})
        std::thread([peer = std::move(peer)] { gst_pad_send_event(peer.get(), gst_event_new_eos()); }).detach();
  }

  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> held;
    std::size_t count = 0;
    GstClockTime cutTime = GST_CLOCK_TIME_NONE;
    std::vector<CutPoint> cutPoints;
    std::vector<char> keyAnnounced;  // the encoder said the asked key frame comes next
    // The running times given back to a stream, oldest first (the next
    // frame's at the front), or null.
    std::vector<std::shared_ptr<TStreamTimes>> givenTimes;
    static constexpr GstClockTime kHalfFrame = GST_SECOND / 50;

    void Hold(std::size_t i) {
      if (!std::exchange(held[i], char{1})) ++count;
      changed.notify_all();
    }
    // Whether what comes through stream i waits (GST_PAD_PROBE_OK) or goes
    // on into the file ending now.
    GstPadProbeReturn Decide(std::size_t i, GstPad* pad, GstPadProbeInfo* info) {
      const std::lock_guard lock(mutex);
      if (held[i] || !GST_CLOCK_TIME_IS_VALID(cutTime)) return GST_PAD_PROBE_OK;  // untimed: held when idle
      if (!(GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER)) {
        // The encoder announces the key frame it was asked for.
        if ((GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) &&
            gst_video_event_is_force_key_unit(GST_PAD_PROBE_INFO_EVENT(info)))
          keyAnnounced[i] = 1;
        return GST_PAD_PROBE_PASS;  // events go on
      }
      // An encoder's own times say nothing (the MPEG-4 and Windows Media
      // encoders start near the clock's end): its stream goes on to the key
      // frame asked for at the cut's time, not one of its own before it.
      if (cutPoints[i] == CutPoint::KeyFrame) {
        if (!IsCutPoint(cutPoints[i], GST_PAD_PROBE_INFO_BUFFER(info))) return GST_PAD_PROBE_PASS;
        // A stream whose times are given back knows the frame's own time:
        // a key frame before the cut's time stays in this part. The others
        // wait for the encoder to say the asked one comes.
        if (i < givenTimes.size() && givenTimes[i]) {
          const std::lock_guard timesLock(givenTimes[i]->mutex);
          const std::deque<GstClockTime>& times = givenTimes[i]->times;
          if (!times.empty() && GST_CLOCK_TIME_IS_VALID(times.front()) && times.front() + kHalfFrame < cutTime)
            return GST_PAD_PROBE_PASS;
        } else if (!keyAnnounced[i]) {
          return GST_PAD_PROBE_PASS;
        }
        Hold(i);
        return GST_PAD_PROBE_OK;
      }
      const auto [start, duration] = RunningTime(pad, GST_PAD_PROBE_INFO_BUFFER(info));
      // A buffer goes to the part holding more of it.
      if (GST_CLOCK_TIME_IS_VALID(start) && start + duration / 2 < cutTime) return GST_PAD_PROBE_PASS;
      if (!IsCutPoint(cutPoints[i], GST_PAD_PROBE_INFO_BUFFER(info))) return GST_PAD_PROBE_PASS;
      Hold(i);
      return GST_PAD_PROBE_OK;
    }
  };
  std::vector<PadPtr> pads_;
  std::vector<char> ended_;  // GUI thread
  std::shared_ptr<Shared> shared_;
  std::vector<gst::PadProbe> blocks_, idles_;
};

// Ends the held streams and waits for the file sink to have the end; false
// (logged) when it did not come in time.
bool EndFile(const TCaptureBranch& branch, StreamHold& hold, EndWatch& watch, std::chrono::milliseconds timeout) {
  if (!hold.EndAll(timeout)) {
    qCWarning(lcCapture) << "the recording's streams could not be held:" << branch.fileName.c_str();
    return false;
  }
  if (watch.Wait(timeout)) return true;
  qCWarning(lcCapture) << "the file was not finished in time:" << branch.fileName.c_str()
                       << "inputs still waiting:" << InputsWithoutEnd(branch).c_str();
  return false;
}

// Puts a new writer and file sink, made like the old ones, in place of them;
// the tail's inputs are held. False (logged) when the new tail cannot be
// linked: the branch then has none.
bool SwapTail(TCaptureEngine& engine, TCaptureBranch& branch, const std::string& nextFileName, GstClockTime cutTime) {
  graph::TMediaGraph& graph = engine.graph();
  const gst::ElementPtr oldMuxer = branch.muxer, oldSink = branch.sink;
  const gst::ElementPtr muxer = oldMuxer ? gst::NewLike(oldMuxer.get()) : gst::ElementPtr();
  const gst::ElementPtr sink = gst::NewLike(oldSink.get());
  const std::string muxerName = oldMuxer ? GST_OBJECT_NAME(oldMuxer.get()) : "";
  const std::string sinkName = GST_OBJECT_NAME(oldSink.get());
  std::erase_if(branch.elements,
                [&](const gst::ElementPtr& e) { return e.get() == oldMuxer.get() || e.get() == oldSink.get(); });
  branch.muxer.reset();
  branch.sink.reset();
  graph.RemoveFilter(oldSink.get());
  if (oldMuxer) graph.RemoveFilter(oldMuxer.get());
  if (!sink || (oldMuxer && !muxer)) {
    qCWarning(lcCapture) << "no new writer for" << nextFileName.c_str();
    return false;
  }
  g_object_set(sink.get(), "location", nextFileName.c_str(), nullptr);
  if ((muxer && !graph.AddFilter(muxer.get(), muxerName)) || !graph.AddFilter(sink.get(), sinkName)) {
    qCWarning(lcCapture) << "the new writer cannot be added for" << nextFileName.c_str();
    graph.RemoveFilter(sink.get());
    if (muxer) graph.RemoveFilter(muxer.get());
    return false;
  }
  if (muxer) branch.elements.push_back(muxer);
  branch.elements.push_back(sink);
  branch.muxer = muxer;
  branch.sink = sink;
  GstElement* writer = muxer ? muxer.get() : sink.get();
  bool linked = !muxer || gst_element_link(muxer.get(), sink.get());
  branch.videoFrames = std::make_shared<std::atomic<std::uint64_t>>(0);
  branch.countedInput.reset();
  for (const TCaptureBranch::TailInput& input : branch.tail) {
    GstPadTemplate* padTemplate = gst_element_get_pad_template(writer, input.padTemplate.c_str());
    PadPtr pad(!padTemplate ? nullptr
               : GST_PAD_TEMPLATE_PRESENCE(padTemplate) == GST_PAD_REQUEST
                   ? gst_element_request_pad(writer, padTemplate, nullptr, nullptr)
                   : gst_element_get_static_pad(writer, input.padTemplate.c_str()));
    linked = linked && pad && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(input.from.get(), pad.get()));
    if (pad && input.counted) {
      branch.probes.push_back(CountBuffers(pad.get(), branch.videoFrames));
      branch.countedInput = pad;
    }
  }
  if (branch.onNewSink) branch.onNewSink(branch, sink.get());
  if (branch.clock) {
    // The next part's clock starts where it does.
    auto clock = std::make_shared<TPartClock>(branch.freezes);
    clock->start = cutTime;
    branch.clock = clock;
    RetimeWriterInputs(branch);
  }
  for (GstElement* element : {sink.get(), muxer.get()})
    if (element) linked = gst_element_sync_state_with_parent(element) && linked;
  if (!linked) qCWarning(lcCapture) << "the new writer cannot be linked for" << nextFileName.c_str();
  return linked;
}

}  // namespace

bool FinishCaptureFile(TCaptureEngine& engine, std::chrono::milliseconds timeout) {
  TCaptureBranch* branch = engine.branch.get();
  if (branch && branch->finishNative) {
    // The device sends the end through its own recording, which must run.
    if (!engine.graph().Running()) qCWarning(lcCapture) << "the device finishes its file with the graph stopped";
    const bool finished = std::exchange(branch->finishNative, nullptr)();
    if (!finished) qCWarning(lcCapture) << "the device did not finish" << branch->fileName.c_str();
    return finished;
  }
  if (!branch || !branch->sink) return true;
  if (!engine.graph().Running()) {
    // Nothing flows to carry the end to the writer.
    qCWarning(lcCapture) << "the graph is stopped: the file cannot be finished:" << branch->fileName.c_str();
    return false;
  }
  EndWatch watch(branch->sink.get());
  StreamHold hold(branch->entries);
  return EndFile(*branch, hold, watch, timeout);
}

bool KillCaptureGraph(TCaptureEngine& engine) {
  if (!engine.context.dm) return false;
  std::unique_ptr<TCaptureBranch> branch = std::move(engine.branch);
  if (!branch) return true;
  // A device's own recording not finished yet (a failed start) is taken out.
  if (branch->finishNative) std::exchange(branch->finishNative, nullptr)();
  for (auto it = branch->elements.rbegin(); it != branch->elements.rend(); ++it) engine.graph().RemoveFilter(it->get());
  for (const auto& [tee, position] : branch->teeOutputs) engine.graph().ReleaseTeeOutput(tee.get(), position);
  Tdm& dm = engine.dm();
  dm.ControlFilter().onStopped = nullptr;
  // The next recording starts unfrozen.
  dm.Stamper(dm.captureVideoControl).SetDropAll(false);
  dm.Stamper(dm.captureAudioStamper).SetDropAll(false);
  // A camcorder decoded at half size for the recording is shown whole again.
  if (engine.context.DvHalfRes) {
    const bool running = engine.graph().Running();
    if (running) Stop(engine);
    RestartDvDecoder(engine, false);
    if (running) Play(engine);
  }
  return true;
}

namespace {

// Holds the streams at the given pads: each waits there with its next
// buffer until the hold goes.
class InputHold {
 public:
  explicit InputHold(const std::vector<GstPad*>& pads) : state_(std::make_shared<State>()) {
    for (GstPad* pad : pads) {
      if (!pad) continue;
      ++expected_;
      probes_.emplace_back(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER),
                           [state = state_, seen = std::make_shared<bool>(false)](GstPad*, GstPadProbeInfo*) {
                             if (!std::exchange(*seen, true)) {
                               const std::lock_guard lock(state->mutex);
                               ++state->held;
                               state->changed.notify_all();
                             }
                             return GST_PAD_PROBE_OK;
                           });
    }
  }
  bool WaitAllHeld(std::chrono::milliseconds timeout) {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, timeout, [this] { return state_->held >= expected_; });
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t held = 0;
  };
  std::shared_ptr<State> state_;
  std::size_t expected_ = 0;
  std::vector<gst::PadProbe> probes_;
};

std::vector<gst::ElementPtr> Children(GstBin* bin) {
  std::vector<gst::ElementPtr> children;
  gst::ForEach(gst_bin_iterate_elements(bin), [&children](GObject* child) {
    children.push_back(gst::ElementPtr::Ref(GST_ELEMENT(child)));
    return true;
  });
  return children;
}

// A cut of the device's own recording: re-pointed by the device, else
// finished and started again in the next file while the device's streams
// are held at its tees, so that no frame passes in between.
bool CutNativeFile(TCaptureEngine& engine, TCaptureBranch& branch, const std::string& nextFileName,
                   std::chrono::milliseconds timeout) {
  if (branch.repointNative && branch.repointNative(nextFileName)) {
    branch.fileName = nextFileName;
    return true;
  }
  if (!branch.restartNative) return false;
  const TCaptureContext& context = engine.context;
  std::vector<PadPtr> inputs;
  for (const gst::ElementPtr& tee : {context.VideoTee, context.AudioTee})
    if (tee) inputs.emplace_back(gst_element_get_static_pad(tee.get(), "sink"));
  std::vector<GstPad*> pads;
  for (const PadPtr& pad : inputs) pads.push_back(pad.get());
  GstBin* pipeline = GST_BIN(engine.graph().pipeline());
  bool finished = false, restarted = false;
  {
    InputHold hold(pads);
    if (!hold.WaitAllHeld(std::min(timeout, std::chrono::milliseconds(3000))))
      qCWarning(lcCapture) << "the device's streams were not all held for the cut";
    finished = branch.finishNative();
    const std::vector<gst::ElementPtr> before = Children(pipeline);
    restarted = branch.restartNative(nextFileName);
    for (const gst::ElementPtr& child : Children(pipeline))
      if (std::none_of(before.begin(), before.end(), [&child](const gst::ElementPtr& e) { return e.get() == child.get(); }))
        restarted = gst_element_sync_state_with_parent(child.get()) && restarted;
  }
  if (!finished) qCWarning(lcCapture) << "the device did not finish" << branch.fileName.c_str();
  branch.fileName = nextFileName;
  if (!restarted) {
    qCWarning(lcCapture) << "the device's recording cannot go on in" << nextFileName.c_str();
    branch.finishNative = nullptr;
  }
  return finished && restarted;
}

}  // namespace

bool CutCaptureFile(TCaptureEngine& engine, const std::string& nextFileName, const TCaptureSettings& /*settings*/,
                    std::chrono::milliseconds timeout) {
  TCaptureBranch* branch = engine.branch.get();
  if (branch && branch->finishNative) return CutNativeFile(engine, *branch, nextFileName, timeout);
  if (!branch || !branch->sink || !engine.context.dm) return false;
  // The parts meet where the stream furthest on has come to.
  std::vector<PadPtr> streams;
  std::vector<CutPoint> cutPoints;
  std::vector<std::shared_ptr<TStreamTimes>> given;
  GstClockTime cutTime = GST_CLOCK_TIME_NONE;
  for (const TCaptureBranch::TailInput& input : branch->tail) {
    streams.push_back(input.from);
    cutPoints.push_back(CutPointOf(input.from.get()));
    given.emplace_back();
    for (const auto& [pad, times] : branch->givenTimes)
      if (pad.get() == input.from.get()) given.back() = times;
    if (cutPoints.back() == CutPoint::KeyFrame) continue;  // its times are the encoder's own
    const GstClockTime reached = input.reached->load();
    if (GST_CLOCK_TIME_IS_VALID(reached) && (!GST_CLOCK_TIME_IS_VALID(cutTime) || reached > cutTime)) cutTime = reached;
  }
  // An encoder may hold pictures past that time already: the key frame is
  // asked for one it has not taken yet, and the other streams cut there.
  for (const TCaptureBranch::KeyFrameEncoder& entry : branch->keyFrameEncoders) {
    const GstClockTime reached = entry.reached->load();
    if (GST_CLOCK_TIME_IS_VALID(reached) && (!GST_CLOCK_TIME_IS_VALID(cutTime) || reached > cutTime)) cutTime = reached;
  }
  const gst::ElementPtr finishedSink = branch->sink;
  bool finished = false;
  {
    EndWatch watch(finishedSink.get());
    StreamHold hold(streams, cutTime, cutPoints, given);
    // The next part of an encoded picture starts at a key frame asked for
    // the cut's time, once the hold waits for it: a picture behind the
    // sound is not cut early.
    for (const TCaptureBranch::KeyFrameEncoder& entry : branch->keyFrameEncoders) {
      if (GST_CLOCK_TIME_IS_VALID(cutTime)) {
        entry.keyAt->store(cutTime);
      } else if (const PadPtr out{gst_element_get_static_pad(entry.encoder.get(), "src")}) {
        gst_pad_send_event(out.get(), gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, TRUE, 0));
      }
    }
    finished = EndFile(*branch, hold, watch, timeout);
    branch->fileName = nextFileName;
    if (!SwapTail(engine, *branch, nextFileName, cutTime)) return false;
  }
  // The finished file's writer may have failed while closing it.
  if (const std::optional<std::string> error = engine.graph().TakeError(finishedSink.get())) {
    qCWarning(lcCapture) << "the finished part reported:" << error->c_str();
    finished = false;
  }
  // The time-lapse gate tells when a file is complete; its end of stream
  // does not go through the gate at a cut, so it is told here.
  if (finished && branch->format == fcImageByImage && engine.dm().ControlFilter().onStopped)
    engine.dm().ControlFilter().onStopped();
  return finished;
}

const TCaptureBranch* CurrentCaptureBranch(const TCaptureEngine& engine) { return engine.branch.get(); }
