// The recording branches added to the preview graph: one per capture format,
// taken from the tees of the current sources, ending in a file. A branch is
// finished before it is taken down: the end of the stream is sent into it and
// the file sink must have received it, so every file is complete.
#pragma once

#include <QString>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/graph.h"

class TCaptureEngine;

// The preferences the builders follow.
struct TCaptureSettings {
  bool keepDvFormat = false;  // "Garder Format DV"
  bool nativeDvRate = true;   // "Frequence DV native"
  int dvRate = 3;             // "FrequenceDV": 1 32 kHz, 2 44.1 kHz, 3 48 kHz
  int dvStandard = 0;         // "Standard DV": 0 PAL, other NTSC
  int ratioDv = 0;            // "RatioDV"
  // MPEG-4 captures.
  int ratioDivx = 0;          // "Ratio DivX": the resizer's aspect mode
  bool demiTaille = true;     // "Demi Taille"
  bool dvHalfForDivx = true;  // "DV demi si DivX"
  bool wantMp3 = true;        // "Want Mp3"
  int mp3Kbps = 128;          // the MP3 encoder's constant bitrate
  // Windows Media: the version (0 "4", 1 "7", 2 "8") and the row of its
  // profile table; -1 when none is chosen.
  int wmvVersion = 2;
  int wmvProfile = 0;
};

// The freezes of a recording, in the running time of its streams' buffers:
// each stretch from the first buffer its entries dropped to the first one
// they let in again.
struct TFreezes {
  std::atomic<bool> frozen = false;
  std::mutex mutex;
  std::vector<std::pair<GstClockTime, GstClockTime>> stretches;  // (from, to); `to` none while frozen
  // What an entry does with a buffer at `running`: true when it is dropped.
  bool Entering(GstClockTime running);
  // Whether a buffer at `upTo`, following one at `after`, is the first of
  // its stream after a frozen stretch (or one it had in flight).
  bool Skips(GstClockTime after, GstClockTime upTo);
  // The length of the stretches that began from `from` up to `upTo`.
  GstClockTime FrozenBetween(GstClockTime from, GstClockTime upTo);
};

// The clock of one part of a recording, for the writers that lay their
// streams out by time: a stream's running time less the part's start and the
// frozen stretches before it.
struct TPartClock {
  explicit TPartClock(std::shared_ptr<TFreezes> recordingFreezes) : freezes(std::move(recordingFreezes)) {}
  std::mutex mutex;
  GstClockTime start = GST_CLOCK_TIME_NONE;  // set by the first buffer when not at a cut
  std::shared_ptr<TFreezes> freezes;
  // The time in the part of a buffer at running time `running`.
  GstClockTime InPart(GstClockTime running);
};

// The running times of the frames going into an encoder that loses them, in
// order: its outputs get them back one by one.
struct TStreamTimes {
  std::mutex mutex;
  std::deque<GstClockTime> times;
};

// What a builder added, and where the branch starts.
class TCaptureBranch {
 public:
  int format = 0;
  std::string fileName;
  // The branch's inputs: outputs of the preview's tees.
  std::vector<graph::PadPtr> entries;
  std::vector<std::pair<gst::ElementPtr, int>> teeOutputs;
  std::vector<gst::ElementPtr> elements;  // everything added, own filters included
  gst::ElementPtr muxer;
  gst::ElementPtr sink;
  // Buffers that reached the file's video input.
  std::shared_ptr<std::atomic<std::uint64_t>> videoFrames = std::make_shared<std::atomic<std::uint64_t>>(0);
  // While the recording is frozen, its entries let nothing in.
  std::shared_ptr<TFreezes> freezes = std::make_shared<TFreezes>();
  // The branch's probes (on its entries, its writer's inputs): they go with
  // the branch, also from pads that outlive it.
  std::vector<gst::PadProbe> probes;
  // The tail, the writer (muxer, or the sink alone) and its file, is all a
  // cut replaces: the outputs feeding it, each with the writer's pad
  // template it took.
  struct TailInput {
    graph::PadPtr from;
    std::string padTemplate;
    bool counted = false;  // into the file's video input
    // The running time the stream has come to: the end of its last buffer.
    std::shared_ptr<std::atomic<std::uint64_t>> reached =
        std::make_shared<std::atomic<std::uint64_t>>(GST_CLOCK_TIME_NONE);
  };
  std::vector<TailInput> tail;
  graph::PadPtr countedInput;  // the writer's input whose buffers are counted
  // The writers that lay their streams out by time get them from zero, the
  // frozen stretches left out; null for the others. A new part starts its
  // own clock.
  std::shared_ptr<TPartClock> clock;
  // Times given back to streams whose encoder loses them, by the writer's
  // input they feed.
  std::vector<std::pair<graph::PadPtr, std::shared_ptr<TStreamTimes>>> givenTimes;
  // What each new file sink of the branch needs (the FourCC patched into an
  // MPEG-4 AVI's header).
  std::function<void(TCaptureBranch&, GstElement* sink)> onNewSink;
  // The encoders asked for a key frame where a part starts, each with the
  // running time its input has come to (the end of its last picture) and
  // the time of the picture to make a key frame, none until a cut asks.
  struct KeyFrameEncoder {
    gst::ElementPtr encoder;
    std::shared_ptr<std::atomic<std::uint64_t>> reached =
        std::make_shared<std::atomic<std::uint64_t>>(GST_CLOCK_TIME_NONE);
    std::shared_ptr<std::atomic<std::uint64_t>> keyAt =
        std::make_shared<std::atomic<std::uint64_t>>(GST_CLOCK_TIME_NONE);
  };
  std::vector<KeyFrameEncoder> keyFrameEncoders;
  // A recording the device makes itself (a plug-in's native format): the
  // device finishes its file, while the stream still runs; empty for the
  // program's own branches. Cleared once it has run.
  std::function<bool()> finishNative;
  // A cut of such a recording: the device goes on in the next file while
  // the stream runs (false when it cannot), or starts its recording again.
  std::function<bool(const std::string& nextFileName)> repointNative, restartNative;
};

// The sample rate of recorded sound.
int CaptureAudioRate(const TCaptureEngine& engine, const TCaptureSettings& settings);

// Builds the branch of the capture format into the file; the graph is
// stopped. False, with nothing of the branch left in the graph, when it
// cannot be built.
bool BuildCaptureGraph(TCaptureEngine& engine, int format, const std::string& fileName,
                       const TCaptureSettings& settings);
// The camcorder's interleaved stream into a type-1 DV AVI.
bool BuildDvNativeType1(TCaptureEngine& engine, const std::string& fileName);
bool BuildDvNativeType2(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool BuildAviNative(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool BuildDvRecompressed(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool BuildMpegNative(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool BuildImageByImage(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings,
                       std::function<void()> onFrame);
bool BuildWmv(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool BuildDivx(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool BuildWav(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool BuildMp3(TCaptureEngine& engine, const std::string& fileName, const TCaptureSettings& settings);
bool SetAudioPcmFormat(TCaptureEngine& engine, const TCaptureSettings& settings);
// Freezes the recording (its gates drop everything) or lets it go on; the
// file lacks the frozen stretch, its times going on from where they stopped.
// False when nothing is recorded.
bool SetCaptureFrozen(TCaptureEngine& engine, bool frozen);
bool CaptureFrozen(const TCaptureEngine& engine);

// Sends the end of the stream into the branch and waits until the file sink
// has it (the graph may be running or stopped); false when it did not come
// in time. The branch stays in the graph.
bool FinishCaptureFile(TCaptureEngine& engine, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Removes every element of the branch and gives the tees' outputs back.
bool KillCaptureGraph(TCaptureEngine& engine);
// Finishes the current file and goes on in the next one without stopping the
// graph or losing a frame. Only the tail is replaced: converters, encoders and
// filters keep their state, and the parts meet at one picture's time, the
// sound split there too.
bool CutCaptureFile(TCaptureEngine& engine, const std::string& nextFileName, const TCaptureSettings& settings,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));
// The branch being recorded, or none.
const TCaptureBranch* CurrentCaptureBranch(const TCaptureEngine& engine);
