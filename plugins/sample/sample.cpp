// A sample capture plug-in: it serves the device named "Webcam simulée" with
// a PAL test pattern and a 440 Hz tone of its own, each into a tee, declares
// "dv type 1 natif" as its native format and records it itself as a type-1
// DV AVI (the program's DV sound embedder and DV AVI writer, which any
// plug-in running inside the program may use).
//
// A cut re-points the recording (pi_repointmux): the writer is swapped
// between two frames while the stream runs.
//
// Built several times from this file:
//   sample.pvx            the plug-in as it should be;
//   sample_nocreate.pvx   (SAMPLE_NO_CREATE) pi_create gives 0;
//   sample_noname.pvx     (SAMPLE_NO_NAME) no pi_drivername;
//   sample_duplicate.pvx  (SAMPLE_DUPLICATE) the same driver name, another
//                         friendly name;
//   sample_norepoint.pvx  (SAMPLE_NO_REPOINT) no pi_repointmux: the host
//                         finishes and rebuilds the recording at a cut;
//   sample_nopad.pvx      (SAMPLE_NO_PAD) pi_setvideograph writes no pad;
//   sample_badpad.pvx     (SAMPLE_BAD_PAD) it writes the tone's pad, which
//                         carries no picture;
//   sample_dvtee.pvx      (SAMPLE_DV_TEE) the video tee carries DV, the
//                         picture out is its decoding, and the native format
//                         is "dv type 2 natif", which the host records from
//                         the tee.
#include <tessivo/pvx.h>

#include <cstring>
#include <initializer_list>
#include <new>

namespace {

#ifdef SAMPLE_DUPLICATE
constexpr char kFriendlyName[] = "Mire dupliquée";
#else
constexpr char kFriendlyName[] = "Mire du plug-in";
#endif
constexpr char kDriverName[] = "Webcam simulée";
constexpr char kPattern[] =
    "videotestsrc is-live=true pattern=smpte ! "
    "capsfilter caps=video/x-raw,format=I420,width=720,height=576,framerate=25/1,pixel-aspect-ratio=16/15,"
    "interlace-mode=progressive"
#ifdef SAMPLE_DV_TEE
    " ! avenc_dvvideo"
#endif
    ;

struct Branch {
  GstElement* queue = nullptr;
  GstPad* teePad = nullptr;  // requested from a tee by the branch
};

struct Instance {
  GstElement* source = nullptr;  // the pattern, with its picture format
  GstElement* videoTee = nullptr;
  GstElement* tone = nullptr;
  GstElement* audioTee = nullptr;
  // The picture out when the tee carries DV: its decoding.
  GstElement* decoder = nullptr;
  Branch decoded;
  // A source of sound offered as the picture (SAMPLE_BAD_PAD).
  GstElement* stray = nullptr;
  // The recording of native format 1.
  GstBin* graph = nullptr;
  GstElement* encoder = nullptr;
  GstElement* soundConvert = nullptr;
  GstElement* embed = nullptr;
  GstElement* writer = nullptr;
  Branch video, audio;
};

Instance* Of(pi_handle* handle) { return handle ? reinterpret_cast<Instance*>(*handle) : nullptr; }

void Write(char* buffer, pi_int size, const char* text) {
  if (!buffer || size <= 0) return;
  std::strncpy(buffer, text, static_cast<std::size_t>(size) - 1);
  buffer[size - 1] = 0;
}

GstElement* Keep(GstElement* element) { return element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr; }

// Out of the pipeline and dropped.
void Discard(GstBin* graph, GstElement*& element) {
  if (!element) return;
  gst_element_set_state(element, GST_STATE_NULL);
  if (graph && GST_ELEMENT_PARENT(element) == GST_ELEMENT(graph)) gst_bin_remove(graph, element);
  gst_object_unref(element);
  element = nullptr;
}

void AddTo(GstBin* graph, GstElement* element) {
  if (GST_ELEMENT_PARENT(element) != GST_ELEMENT(graph)) gst_bin_add(graph, GST_ELEMENT(gst_object_ref(element)));
}

GstElement* MakeTee() {
  GstElement* tee = Keep(gst_element_factory_make("tee", nullptr));
  if (tee) g_object_set(tee, "allow-not-linked", TRUE, nullptr);
  return tee;
}

// A queue fed from a new request pad of the tee.
bool Feed(GstBin* graph, GstElement* tee, Branch& branch, GstElement* next) {
  branch.queue = Keep(gst_element_factory_make("queue", nullptr));
  branch.teePad = gst_element_request_pad_simple(tee, "src_%u");
  if (!branch.queue || !branch.teePad) return false;
  gst_bin_add(graph, GST_ELEMENT(gst_object_ref(branch.queue)));
  GstPad* input = gst_element_get_static_pad(branch.queue, "sink");
  const bool linked = gst_pad_link(branch.teePad, input) == GST_PAD_LINK_OK;
  gst_object_unref(input);
  return linked && gst_element_link(branch.queue, next);
}

void Unfeed(GstBin* graph, GstElement* tee, Branch& branch) {
  if (branch.teePad) {
    if (tee) gst_element_release_request_pad(tee, branch.teePad);
    gst_object_unref(branch.teePad);
    branch.teePad = nullptr;
  }
  Discard(graph, branch.queue);
}

GstElement* Parse(const char* description) {
  return Keep(gst_parse_bin_from_description(description, TRUE, nullptr));
}

// One thread waits, with a deadline, for another to say it happened.
class Signal {
 public:
  Signal() {
    g_mutex_init(&lock_);
    g_cond_init(&cond_);
  }
  ~Signal() {
    g_cond_clear(&cond_);
    g_mutex_clear(&lock_);
  }
  void Set() {
    g_mutex_lock(&lock_);
    done_ = true;
    g_cond_signal(&cond_);
    g_mutex_unlock(&lock_);
  }
  bool Wait(int seconds) {
    const gint64 until = g_get_monotonic_time() + seconds * G_TIME_SPAN_SECOND;
    g_mutex_lock(&lock_);
    while (!done_)
      if (!g_cond_wait_until(&cond_, &lock_, until)) break;
    const bool done = done_;
    g_mutex_unlock(&lock_);
    return done;
  }

 private:
  GMutex lock_;
  GCond cond_;
  bool done_ = false;
};

// The type-1 DV AVI writer of one file: the encoder's frames are whole DIF
// frames, and with their sound they are the interleaved stream it takes.
GstElement* MakeWriter(const char* fileName) {
  GstElement* writer = Parse("capssetter caps=video/x-dv,systemstream=true ! tessivo_dvavisink name=writer");
  if (!writer) return nullptr;
  GstElement* sink = gst_bin_get_by_name(GST_BIN(writer), "writer");
  if (!sink) {
    gst_object_unref(writer);
    return nullptr;
  }
  g_object_set(sink, "location", fileName, nullptr);
  gst_object_unref(sink);
  return writer;
}

// Sends end-of-stream into the given inputs and waits until it reached the
// writer, at most five seconds; then the writer closes its file (its index
// is written when it stops): the file is finished when this returns.
void FinishWriter(GstElement* writer, std::initializer_list<GstPad*> inputs) {
  GstPad* writerInput = gst_element_get_static_pad(writer, "sink");
  Signal reached;
  const gulong probe = gst_pad_add_probe(
      writerInput, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
      [](GstPad*, GstPadProbeInfo* info, gpointer data) {
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS) static_cast<Signal*>(data)->Set();
        return GST_PAD_PROBE_OK;
      },
      &reached, nullptr);
  for (GstPad* input : inputs)
    if (input) gst_pad_send_event(input, gst_event_new_eos());
  reached.Wait(5);
  gst_element_set_state(writer, GST_STATE_NULL);
  gst_pad_remove_probe(writerInput, probe);
  gst_object_unref(writerInput);
}

GstPad* InputOf(const Branch& branch) {
  return branch.queue ? gst_element_get_static_pad(branch.queue, "sink") : nullptr;
}

void Finish(Instance& self) {
  if (!self.writer) return;
  GstPad* video = InputOf(self.video);
  GstPad* audio = InputOf(self.audio);
  FinishWriter(self.writer, {video, audio});
  for (GstPad* pad : {video, audio})
    if (pad) gst_object_unref(pad);
}

void KillMux(Instance& self, GstBin* graph) {
  Finish(self);
  Unfeed(graph, self.videoTee, self.video);
  Unfeed(graph, self.audioTee, self.audio);
  for (GstElement** element : {&self.encoder, &self.soundConvert, &self.embed, &self.writer}) Discard(graph, *element);
}

// Holds the stream at a pad: the first buffer to come waits there until the
// hold is let go.
class Hold {
 public:
  explicit Hold(GstPad* pad) : pad_(GST_PAD(gst_object_ref(pad))) {
    probe_ = gst_pad_add_probe(
        pad_, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER),
        [](GstPad*, GstPadProbeInfo*, gpointer data) {
          static_cast<Signal*>(data)->Set();
          return GST_PAD_PROBE_OK;
        },
        &held_, nullptr);
  }
  ~Hold() {
    gst_pad_remove_probe(pad_, probe_);
    gst_object_unref(pad_);
  }
  bool Wait() { return held_.Wait(5); }

 private:
  GstPad* pad_;
  Signal held_;
  gulong probe_ = 0;
};

}  // namespace

extern "C" {

PI_EXPORT pi_int PI_CALL pi_abiversion() { return PI_ABI_VERSION; }

#ifndef SAMPLE_NO_NAME
PI_EXPORT void PI_CALL pi_drivername(char* buffer, pi_int size) { Write(buffer, size, kDriverName); }
#endif

PI_EXPORT void PI_CALL pi_friendlyname(char* buffer, pi_int size) { Write(buffer, size, kFriendlyName); }

PI_EXPORT void PI_CALL pi_create(pi_handle* handle) {
#ifdef SAMPLE_NO_CREATE
  *handle = 0;
#else
  auto* self = new (std::nothrow) Instance;
  if (self) self->source = Parse(kPattern);
  *handle = reinterpret_cast<pi_handle>(self);
#endif
}

PI_EXPORT void PI_CALL pi_destroy(pi_handle* handle) {
  Instance* self = Of(handle);
  if (!self) return;
  for (GstElement** element : {&self->source, &self->videoTee, &self->tone, &self->audioTee, &self->decoder,
                               &self->stray})
    Discard(nullptr, *element);
  delete self;
  *handle = 0;
}

PI_EXPORT void PI_CALL pi_sourcefilter(pi_handle* handle, GstElement** source) {
  if (Instance* self = Of(handle)) *source = self->source;
}

PI_EXPORT void PI_CALL pi_nbfluxvideo(pi_handle*, pi_int* count) { *count = 1; }
PI_EXPORT void PI_CALL pi_nbfluxaudio(pi_handle*, pi_int* count) { *count = 1; }

PI_EXPORT void PI_CALL pi_setsourcegraph(pi_handle* handle, GstElement** source, GstBin* graph) {
  Instance* self = Of(handle);
  if (!self || !self->source) return;
  AddTo(graph, self->source);
  *source = self->source;
}

PI_EXPORT void PI_CALL pi_killsourcegraph(pi_handle* handle, GstBin* graph) {
  Instance* self = Of(handle);
  if (!self || !self->source) return;
  gst_element_set_state(self->source, GST_STATE_NULL);
  if (GST_ELEMENT_PARENT(self->source) == GST_ELEMENT(graph)) gst_bin_remove(graph, self->source);
}

PI_EXPORT void PI_CALL pi_setvideograph(pi_handle* handle, pi_int stream, GstPad** videoOutPin, GstBin* graph,
                                        uint8_t* sourceUpsideDown, GstElement** videoTee, uint8_t* nativeFormat2,
                                        uint8_t* nativeFormat1) {
  Instance* self = Of(handle);
  if (!self || stream != 1 || !self->source) return;
  if (!self->videoTee) self->videoTee = MakeTee();
  if (!self->videoTee) return;
  gst_bin_add(graph, GST_ELEMENT(gst_object_ref(self->videoTee)));
  if (!gst_element_link(self->source, self->videoTee)) return;
  *videoTee = self->videoTee;
  *sourceUpsideDown = 0;
  *nativeFormat2 = 0;
#if defined(SAMPLE_DV_TEE)
  // The host records "dv type 2 natif" from the tee's DV; the picture is
  // the decoding of a branch of it.
  self->decoder = Keep(gst_element_factory_make("avdec_dvvideo", nullptr));
  if (!self->decoder) return;
  AddTo(graph, self->decoder);
  if (!Feed(graph, self->videoTee, self->decoded, self->decoder)) return;
  *videoOutPin = gst_element_get_static_pad(self->decoder, "src");  // the host's reference
  *nativeFormat1 = 2;
#elif defined(SAMPLE_NO_PAD)
  *nativeFormat1 = 1;
#elif defined(SAMPLE_BAD_PAD)
  self->stray = Keep(gst_element_factory_make("audiotestsrc", nullptr));
  if (!self->stray) return;
  AddTo(graph, self->stray);
  *videoOutPin = gst_element_get_static_pad(self->stray, "src");
  *nativeFormat1 = 1;
#else
  *videoOutPin = gst_element_request_pad_simple(self->videoTee, "src_%u");  // the host's reference
  *nativeFormat1 = 1;  // "dv type 1 natif", recorded here
#endif
}

PI_EXPORT pi_int PI_CALL pi_setaudiograph(pi_handle* handle, pi_int stream, GstPad** audioPin, GstBin* graph,
                                          GstElement** audioTee) {
  Instance* self = Of(handle);
  if (!self || stream != 1) return 0;
  if (!self->tone)
    self->tone = Parse(
        "audiotestsrc is-live=true freq=440 volume=0.3 ! "
        "capsfilter caps=audio/x-raw,format=S16LE,rate=48000,channels=2,layout=interleaved");
  if (!self->audioTee) self->audioTee = MakeTee();
  if (!self->tone || !self->audioTee) return 0;
  gst_bin_add_many(graph, GST_ELEMENT(gst_object_ref(self->tone)), GST_ELEMENT(gst_object_ref(self->audioTee)),
                   nullptr);
  if (!gst_element_link(self->tone, self->audioTee)) return 0;
  *audioTee = self->audioTee;
  *audioPin = gst_element_request_pad_simple(self->audioTee, "src_%u");
  return 1;
}

PI_EXPORT void PI_CALL pi_killvideograph(pi_handle* handle, GObject**, GstBin* graph) {
  Instance* self = Of(handle);
  if (!self) return;
  Unfeed(graph, self->videoTee, self->decoded);
  Discard(graph, self->decoder);
  Discard(graph, self->stray);
  if (!self->videoTee) return;
  gst_element_set_state(self->videoTee, GST_STATE_NULL);
  if (GST_ELEMENT_PARENT(self->videoTee) == GST_ELEMENT(graph)) gst_bin_remove(graph, self->videoTee);
  // A new tee for the next time: the host released its pads of this one.
  Discard(nullptr, self->videoTee);
}

PI_EXPORT void PI_CALL pi_killaudiograph(pi_handle* handle, GObject**, GstBin* graph) {
  Instance* self = Of(handle);
  if (!self) return;
  for (GstElement** element : {&self->tone, &self->audioTee}) {
    if (!*element) continue;
    gst_element_set_state(*element, GST_STATE_NULL);
    if (GST_ELEMENT_PARENT(*element) == GST_ELEMENT(graph)) gst_bin_remove(graph, *element);
    Discard(nullptr, *element);
  }
}

PI_EXPORT void PI_CALL pi_buildmuxgraph(pi_handle* handle, GstBin* graph, const char* fileName) {
  Instance* self = Of(handle);
  if (!self || !self->videoTee || !fileName) return;
  KillMux(*self, graph);
  self->graph = graph;
  self->encoder = Parse("videoconvert ! avenc_dvvideo");
  self->embed = Keep(gst_element_factory_make("tessivo_dvaudioembed", nullptr));
  self->writer = MakeWriter(fileName);
  if (!self->encoder || !self->embed || !self->writer) return;
  gst_bin_add_many(graph, GST_ELEMENT(gst_object_ref(self->encoder)), GST_ELEMENT(gst_object_ref(self->embed)),
                   GST_ELEMENT(gst_object_ref(self->writer)), nullptr);
  if (!Feed(graph, self->videoTee, self->video, self->encoder)) {
    g_warning("sample plug-in: feed");
    return;
  }
  if (!gst_element_link_pads(self->encoder, nullptr, self->embed, "video_sink")) {
    g_warning("sample plug-in: encoder to embed");
    return;
  }
  if (!gst_element_link(self->embed, self->writer)) {
    g_warning("sample plug-in: embed to writer");
    return;
  }
  if (self->audioTee) {
    self->soundConvert = Parse(
        "audioconvert ! audioresample ! capsfilter caps=audio/x-raw,format=S16LE,rate=48000,channels=2,layout=interleaved");
    if (!self->soundConvert) return;
    gst_bin_add(graph, GST_ELEMENT(gst_object_ref(self->soundConvert)));
    if (!Feed(graph, self->audioTee, self->audio, self->soundConvert) ||
        !gst_element_link_pads(self->soundConvert, nullptr, self->embed, "audio_sink"))
      g_warning("sample plug-in: the recording's sound cannot be linked");
  }
}

PI_EXPORT void PI_CALL pi_killmuxgraph(pi_handle* handle, GstBin* graph) {
  if (Instance* self = Of(handle)) KillMux(*self, graph);
}

#ifndef SAMPLE_NO_REPOINT
// The embedder's output is held on a frame while the old writer gets its end
// and closes, and the new one takes its place: the held frame is the new
// file's first.
PI_EXPORT pi_int PI_CALL pi_repointmux(pi_handle* handle, GstBin* graph, const char* fileName) {
  Instance* self = Of(handle);
  if (!self || !self->writer || !self->embed || !fileName) return 0;
  GstElement* next = MakeWriter(fileName);
  if (!next) return 0;
  GstPad* out = gst_element_get_static_pad(self->embed, "src");
  GstPad* oldInput = gst_element_get_static_pad(self->writer, "sink");
  pi_int done = 0;
  {
    Hold hold(out);
    if (hold.Wait()) {
      FinishWriter(self->writer, {oldInput});
      gst_pad_unlink(out, oldInput);
      Discard(graph, self->writer);
      self->writer = next;
      next = nullptr;
      gst_bin_add(graph, GST_ELEMENT(gst_object_ref(self->writer)));
      done = gst_element_link(self->embed, self->writer) && gst_element_sync_state_with_parent(self->writer);
    }
  }
  if (next) gst_object_unref(next);
  gst_object_unref(oldInput);
  gst_object_unref(out);
  return done;
}
#endif

}  // extern "C"
