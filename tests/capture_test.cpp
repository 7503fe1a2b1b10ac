#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "media/filters/dvaudioembed.h"
#include "media/filters/vx_controlunit.h"
#include "media/formats/dvaviwriter.h"
#include "media/formats/dvcodes.h"
#include "settings/conversions.h"
#include "support/aviwalk.h"
#include "support/dvframes.h"
#include "support/readers.h"

namespace {

// The simulated sources in a fresh media module, and a folder for the files.
class Capture : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<TCaptureEngine>();
    const std::vector<TDeviceMoniker> devices = TSimulatedDeviceProvider(1).Devices();
    ASSERT_TRUE(video_.Refresh(devices, [](TDeviceKind k) { return k == dkDV || k == dkVideo; }));
    ASSERT_TRUE(audio_.Refresh(devices, [](TDeviceKind k) { return k == dkAudio; }));
    videoSources_ = VideoSourcesOf(video_);
    audioSources_ = AudioSourcesOf(video_);
    for (auto& source : AudioSourcesOf(audio_)) audioSources_.push_back(std::move(source));
  }
  void TearDown() override {
    KillCaptureGraph(*engine_);
    engine_.reset();
  }

  void Activate(const QString& video, const QString& audio = {}) {
    for (auto& source : videoSources_) {
      if (source->Name == video) {
        ASSERT_TRUE(ActivateVideoSource(*engine_, *source));
      }
    }
    for (auto& source : audioSources_) {
      if (source->Name == audio) {
        ASSERT_TRUE(ActivateAudioSource(*engine_, *source));
      }
    }
    ASSERT_NE(engine_->context.CurrentVideoSource, nullptr);
  }

  std::string File(const char* name) const { return dir_.filePath(name).toStdString(); }

  // Opens the Image/Image gate and waits until its frame is written (a slow
  // start must not merge two openings into one).
  void OpenOnce() {
    const std::uint64_t before = CurrentCaptureBranch(*engine_)->videoFrames->load();
    engine_->dm().ControlFilter().pass = true;
    QElapsedTimer clock;
    clock.start();
    while (CurrentCaptureBranch(*engine_)->videoFrames->load() == before && clock.elapsed() < 5000)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    Wait(100);
  }
  graph::TMediaGraph& Graph() const { return engine_->graph(); }
  // Waits at least a second and a half, and until the writer has taken that
  // many buffers.
  void WaitForPackets(std::uint64_t count) {
    Wait(1500);
    QElapsedTimer clock;
    clock.start();
    while (CurrentCaptureBranch(*engine_)->videoFrames->load() < count && clock.elapsed() < 15000)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  static void Wait(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  // Records for a while: build, run, wait, finish, stop and take down.
  std::uint64_t Record(int format, const std::string& file, int milliseconds) {
    Stop(*engine_);
    if (!BuildCaptureGraph(*engine_, format, file, settings_)) {
      ADD_FAILURE() << "not built";
      return 0;
    }
    std::string failure;
    EXPECT_TRUE(Play(*engine_, &failure)) << failure;
    Wait(milliseconds);
    EXPECT_TRUE(FinishCaptureFile(*engine_));
    const std::uint64_t frames = CurrentCaptureBranch(*engine_)->videoFrames->load();
    Stop(*engine_);
    EXPECT_TRUE(KillCaptureGraph(*engine_));
    return frames;
  }

  TCaptureSettings settings_;
  std::unique_ptr<TCaptureEngine> engine_;
  QTemporaryDir dir_;
  TCaptureDeviceList video_, audio_;
  std::vector<std::unique_ptr<TVideoSource>> videoSources_;
  std::vector<std::unique_ptr<TAudioSource>> audioSources_;
};

// What the system's own discoverer says of a file.
QString Discover(const std::string& file) { return ::Discover(QString::fromStdString(file)); }

dv::TimeCode TimeCodeOf(const QByteArray& frame) {
  return dv::ReadTimeCode(reinterpret_cast<const std::uint8_t*>(frame.constData()),
                          static_cast<std::size_t>(frame.size()), 0);
}

int FrameNumber(const dv::TimeCode& code) {
  return ((code.hours * 60 + code.minutes) * 60 + code.seconds) * 25 + code.frames;
}

}  // namespace

TEST_F(Capture, dv_type_2_native_keeps_the_camcorder_frames_and_its_sound) {
  Activate("DV Source - Video", "DV Source - Audio");
  const std::string file = File("type2.avi");
  const std::uint64_t frames = Record(2, file, 2000);
  const AviContents avi = ReadAvi(QString::fromStdString(file));
  ASSERT_TRUE(avi.valid);
  EXPECT_GE(frames, 40u);
  EXPECT_EQ(avi.video.size(), frames);
  EXPECT_EQ(avi.totalFrames, frames);
  // 48 kHz 16-bit stereo for every frame of 1/25 s.
  EXPECT_NEAR(static_cast<double>(avi.audioBytes) / (48000 * 4), frames / 25.0, 0.2);
  // The camcorder's own frames, time code and all, one after the other.
  ASSERT_EQ(avi.video.front().size(), dv::kFrameBytes625);
  EXPECT_EQ(avi.video.front()[4] & 7, 0);  // consumer DV, as a camcorder records it
  for (std::size_t i = 1; i < avi.video.size(); ++i)
    ASSERT_EQ(FrameNumber(TimeCodeOf(avi.video[i])), FrameNumber(TimeCodeOf(avi.video[i - 1])) + 1) << i;
  const QString found = Discover(file);
  EXPECT_TRUE(found.contains("Digital Video (DV)")) << found.toStdString();
  EXPECT_TRUE(found.contains("Sample rate: 48000")) << found.toStdString();
}

TEST_F(Capture, dv_type_2_native_without_a_sound_source_has_no_sound_stream) {
  Activate("DV Source - Video");
  const std::string file = File("silent.avi");
  const std::uint64_t frames = Record(2, file, 1200);
  const AviContents avi = ReadAvi(QString::fromStdString(file), false);
  EXPECT_EQ(avi.video.size(), frames);
  EXPECT_EQ(avi.audioBytes, 0);
  const QString found = Discover(file);
  EXPECT_TRUE(found.contains("Digital Video (DV)"));
  EXPECT_FALSE(found.contains("audio #"));
}

TEST_F(Capture, avi_native_and_recompressed_dv_from_the_webcam_then_a_clean_graph) {
  Activate("Webcam simulée", "Carte son simulée");
  const int previewElements = Graph().ElementCount();
  const std::string native = File("native.avi");
  const std::uint64_t nativeFrames = Record(5, native, 1500);
  EXPECT_EQ(ReadAvi(QString::fromStdString(native), false).video.size(), nativeFrames);
  QString found = Discover(native);
  EXPECT_TRUE(found.contains("Width: 640")) << found.toStdString();
  EXPECT_TRUE(found.contains("Raw 16-bit PCM audio"));

  // The webcam's 640x480 at 30 frames/s becomes PAL DV at 25, the sound
  // 48 kHz ("FrequenceDV" 3).
  const std::string recompressed = File("recomp.avi");
  const std::uint64_t dvFrames = Record(6, recompressed, 2000);
  const AviContents avi = ReadAvi(QString::fromStdString(recompressed));
  EXPECT_EQ(avi.video.size(), dvFrames);
  ASSERT_FALSE(avi.video.empty());
  EXPECT_EQ(avi.video.front().size(), dv::kFrameBytes625);
  EXPECT_EQ(avi.video.front()[4] & 7, 0);  // consumer DV (4:2:0), not the 4:1:1 professional variant
  EXPECT_NEAR(static_cast<double>(avi.audioBytes) / (48000 * 4), dvFrames / 25.0, 0.3);
  // The frames carry the sound card's tone too (the very last ones may end
  // after the sound did, and carry silence).
  std::vector<std::int16_t> sound(2 * dv::kMaxAudioSamples625);
  const QByteArray& last = avi.video[avi.video.size() / 2];
  ASSERT_EQ(dv::ReadAudio(reinterpret_cast<const std::uint8_t*>(last.constData()), last.size(), sound.data(),
                          dv::kMaxAudioSamples625),
            1920);
  EXPECT_GT(*std::max_element(sound.begin(), sound.end()), 3000);
  found = Discover(recompressed);
  EXPECT_TRUE(found.contains("Digital Video (DV)"));
  EXPECT_TRUE(found.contains("Width: 720"));
  EXPECT_TRUE(found.contains("Sample rate: 48000"));

  // Nothing of the DV encoding is left for the next capture.
  EXPECT_EQ(Graph().ElementCount(), previewElements);
  for (const char* name : {"DVenc", "DV Header", "dv_convert", "acmcap", "infdumvideo"})
    EXPECT_FALSE(Graph().FindByName(name)) << name;
  EXPECT_GE(Record(5, File("again.avi"), 1500), 5u);  // the next capture works
}

TEST_F(Capture, mpeg2_native_writes_the_program_stream) {
  Activate("Encodeur MPEG-2 simulé");
  const std::string file = File("native.mpg");
  EXPECT_GE(Record(3, file, 2500), 1u);
  const QString found = Discover(file);
  EXPECT_TRUE(found.contains("System Stream")) << found.toStdString();
  EXPECT_TRUE(found.contains("MPEG-2 Video")) << found.toStdString();
}

TEST_F(Capture, image_by_image_keeps_camcorder_frames_and_encodes_webcam_pictures) {
  // A time-lapse of `openings` frames, whether it went through the DV encoder.
  const auto lapse = [this](const char* name, int openings, bool* encoded) {
    const std::string file = File(name);
    Stop(*engine_);
    EXPECT_TRUE(BuildImageByImage(*engine_, file, settings_, nullptr));
    *encoded = static_cast<bool>(Graph().FindByName("DVenc"));
    EXPECT_TRUE(Play(*engine_));
    for (int i = 0; i < openings; ++i) OpenOnce();
    EXPECT_TRUE(FinishCaptureFile(*engine_));
    Stop(*engine_);
    KillCaptureGraph(*engine_);
    return ReadAvi(QString::fromStdString(file));
  };
  bool encoded = true;
  Activate("DV Source - Video");
  const AviContents camcorder = lapse("lapse-dv.avi", 4, &encoded);
  EXPECT_FALSE(encoded);                  // the frames are not encoded again
  EXPECT_EQ(camcorder.video.size(), 4u);  // one frame per opening
  ASSERT_FALSE(camcorder.video.empty());
  EXPECT_TRUE(TimeCodeOf(camcorder.video.front()).present());  // the camcorder's own frame

  Activate("Webcam simulée");
  const AviContents webcam = lapse("lapse-webcam.avi", 3, &encoded);
  EXPECT_TRUE(encoded);
  EXPECT_EQ(webcam.video.size(), 3u);
  ASSERT_FALSE(webcam.video.empty());
  EXPECT_EQ(webcam.video.front().size(), dv::kFrameBytes625);
}

namespace {

// Where the camcorder's beat, the right tone's pause during the first frame
// of each second, begins in a file's sound: the first pause within half a
// second of `around` (in sample pairs); -1 when there is none.
long BeatNear(const QByteArray& audio, long around) {
  const auto* s = reinterpret_cast<const std::int16_t*>(audio.constData());
  const long pairs = audio.size() / 4;
  const auto quiet = [s](long n) { return std::abs(s[2 * n + 1]) < 30; };
  for (long n = std::max(1L, around - 12 * 1920); n < std::min(pairs - 200, around + 12 * 1920); ++n) {
    if (quiet(n - 1)) continue;
    long m = n;
    while (m < n + 200 && quiet(m)) ++m;
    if (m == n + 200) return n;
  }
  return -1;
}

// How far the sound of a part is from its pictures, in sample pairs: where
// the first beat is against where the time codes put it. Pictures a loaded
// machine dropped do not count against the sound.
long SoundOffset(const AviContents& avi) {
  if (avi.video.empty()) return std::numeric_limits<long>::max();
  const int first = FrameNumber(TimeCodeOf(avi.video.front()));
  const int beatFrame = (first / 25 + 1) * 25;
  const long expected = static_cast<long>(beatFrame - first) * 1920;
  const long beat = BeatNear(avi.audio, expected);
  return beat < 0 ? std::numeric_limits<long>::max() : beat - expected;
}

}  // namespace

TEST_F(Capture, an_image_by_image_cut_keeps_the_gate_and_says_when_each_part_is_complete) {
  Activate("DV Source - Video");
  Stop(*engine_);
  std::atomic<int> notified{0};
  ASSERT_TRUE(BuildImageByImage(*engine_, File("lapse.avi"), settings_, [&notified] { ++notified; }));
  ASSERT_TRUE(Play(*engine_));
  OpenOnce();
  OpenOnce();
  ASSERT_TRUE(CutCaptureFile(*engine_, File("lapse-2.avi"), settings_));
  OpenOnce();
  OpenOnce();
  OpenOnce();
  ASSERT_TRUE(FinishCaptureFile(*engine_));
  Stop(*engine_);
  KillCaptureGraph(*engine_);
  EXPECT_EQ(notified.load(), 2);  // the first part at the cut, the second at the end
  EXPECT_EQ(ReadAvi(dir_.filePath("lapse.avi"), false).video.size(), 2u);
  EXPECT_EQ(ReadAvi(dir_.filePath("lapse-2.avi"), false).video.size(), 3u);
}

TEST_F(Capture, a_cut_goes_on_in_the_next_file_without_a_gap) {
  Activate("DV Source - Video", "DV Source - Audio");
  Stop(*engine_);
  const std::vector<std::string> files = {File("part.avi"), File("part-2.avi"), File("part-3.avi")};
  ASSERT_TRUE(BuildCaptureGraph(*engine_, 2, files[0], settings_));
  graph::DroppedFrameCounter entry(CurrentCaptureBranch(*engine_)->entries.front().get());
  ASSERT_TRUE(Play(*engine_));
  std::uint64_t written = 0;
  for (std::size_t part = 1; part < files.size(); ++part) {
    Wait(1200);
    const auto counter = CurrentCaptureBranch(*engine_)->videoFrames;
    EXPECT_TRUE(CutCaptureFile(*engine_, files[part], settings_));
    written += counter->load();
  }
  Wait(1200);
  EXPECT_TRUE(FinishCaptureFile(*engine_));
  written += CurrentCaptureBranch(*engine_)->videoFrames->load();
  Stop(*engine_);
  KillCaptureGraph(*engine_);
  // Every frame that entered the recording is in exactly one part, in order.
  std::vector<int> numbers;
  for (const std::string& file : files) {
    const AviContents avi = ReadAvi(QString::fromStdString(file));
    EXPECT_GE(avi.video.size(), file == files.front() ? 10u : 20u) << file;  // the first waits for the graph
    EXPECT_EQ(avi.totalFrames, avi.video.size()) << file;
    for (const QByteArray& frame : avi.video) numbers.push_back(FrameNumber(TimeCodeOf(frame)));
    // Each part starts with the sound of its first picture.
    if (file != files.front()) EXPECT_LE(std::abs(SoundOffset(avi)), 1920) << file;
  }
  EXPECT_EQ(numbers.size(), written);
  EXPECT_EQ(entry.dropped(), 0u);
  for (std::size_t i = 1; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], numbers[i - 1] + 1) << i;
}

TEST_F(Capture, a_recompressed_cut_goes_on_at_the_next_picture_with_its_sound) {
  // The encoder, its frame rate and the sound's converter go on through the
  // cut: nothing starts again from zero in the next part. (Within a part the
  // frame rate follows the source's times, and a loaded machine's jitter may
  // drop or repeat a picture there.)
  Activate("DV Source - Video", "DV Source - Audio");
  Stop(*engine_);
  const std::vector<std::string> files = {File("recomp.avi"), File("recomp-2.avi"), File("recomp-3.avi")};
  ASSERT_TRUE(BuildCaptureGraph(*engine_, 6, files[0], settings_));
  ASSERT_TRUE(Play(*engine_));
  for (std::size_t part = 1; part < files.size(); ++part) {
    Wait(1600);
    ASSERT_TRUE(CutCaptureFile(*engine_, files[part], settings_));
  }
  Wait(1600);
  ASSERT_TRUE(FinishCaptureFile(*engine_));
  Stop(*engine_);
  KillCaptureGraph(*engine_);
  std::vector<AviContents> parts;
  for (const std::string& file : files) parts.push_back(ReadAvi(QString::fromStdString(file)));
  for (std::size_t part = 0; part < parts.size(); ++part) {
    const AviContents& avi = parts[part];
    ASSERT_GE(avi.video.size(), part == 0 ? 10u : 20u) << part;
    if (part > 0) {
      EXPECT_EQ(FrameNumber(TimeCodeOf(avi.video.front())), FrameNumber(TimeCodeOf(parts[part - 1].video.back())) + 1)
          << part;
      // In sync within one frame.
      EXPECT_LE(std::abs(SoundOffset(avi)), 1920) << part;
    }
    // A loaded machine's jitter costs pictures, not sound.
    EXPECT_NEAR(static_cast<double>(avi.audioBytes) / (48000 * 4), avi.video.size() / 25.0, 0.3) << part;
  }
}

TEST_F(Capture, mpeg_captures_follow_one_another_and_cut_in_one_engine) {
  // The MPEG writer outlives each recording: nothing of one recording may be
  // left on it for the next (a counter of a finished branch, a probe).
  Activate("Encodeur MPEG-2 simulé");
  // The simulated encoder starts slowly on a loaded machine: the first file
  // is given the time to get its first packets.
  EXPECT_GE(Record(3, File("first.mpg"), 4000), 1u);
  Record(3, File("second.mpg"), 1500);
  Stop(*engine_);
  ASSERT_TRUE(BuildCaptureGraph(*engine_, 3, File("cut.mpg"), settings_));
  ASSERT_TRUE(Play(*engine_));
  WaitForPackets(20);  // the encoder starts slowly on a loaded machine
  EXPECT_TRUE(CutCaptureFile(*engine_, File("cut-2.mpg"), settings_));
  WaitForPackets(20);
  EXPECT_TRUE(FinishCaptureFile(*engine_));
  Stop(*engine_);
  EXPECT_TRUE(KillCaptureGraph(*engine_));
  for (const char* name : {"first.mpg", "second.mpg", "cut.mpg", "cut-2.mpg"}) {
    const QString found = Discover(File(name));
    EXPECT_TRUE(found.contains("MPEG-2 Video")) << name << found.toStdString();
  }
}

TEST_F(Capture, a_branch_that_cannot_be_built_leaves_nothing) {
  const int empty = Graph().ElementCount();
  EXPECT_FALSE(BuildDvNativeType2(*engine_, File("none.avi"), settings_));  // no video source
  EXPECT_EQ(Graph().ElementCount(), empty);
  Activate("Encodeur MPEG-2 simulé");
  const int preview = Graph().ElementCount();
  // The AVI writer takes no program stream.
  EXPECT_FALSE(BuildAviNative(*engine_, File("refused.avi"), settings_));
  EXPECT_EQ(Graph().ElementCount(), preview);
  EXPECT_EQ(CurrentCaptureBranch(*engine_), nullptr);
  EXPECT_TRUE(Play(*engine_));
}

// A frozen stretch is left out of the file: the times go on from where they
// stopped, the sound as long as the picture. 10 s recorded with 3 s frozen
// give 7 s (the live source starts with the graph).
TEST_F(Capture, a_frozen_stretch_is_left_out_of_the_encoded_and_sound_files) {
  Activate("DV Source - Video", "DV Source - Audio");
  ASSERT_TRUE(engine_->dm().divx.Load("avenc_mpeg4"));
  settings_.wantMp3 = false;
  const auto record = [this](int format, const std::string& file) {
    Stop(*engine_);
    ASSERT_TRUE(BuildCaptureGraph(*engine_, format, file, settings_)) << file;
    ASSERT_TRUE(Play(*engine_));
    Wait(3500);
    EXPECT_TRUE(SetCaptureFrozen(*engine_, true));
    EXPECT_TRUE(CaptureFrozen(*engine_));
    Wait(3000);
    EXPECT_TRUE(SetCaptureFrozen(*engine_, false));
    Wait(3500);
    EXPECT_TRUE(FinishCaptureFile(*engine_));
    Stop(*engine_);
    EXPECT_TRUE(KillCaptureGraph(*engine_));
    EXPECT_FALSE(CaptureFrozen(*engine_));
  };
  const std::string divx = File("frozen.avi");
  record(fcDivx, divx);
  const AviContents avi = ReadAvi(QString::fromStdString(divx), false);
  EXPECT_NEAR(avi.video.size() / 25.0, 7.0, 0.2);
  EXPECT_NEAR(static_cast<double>(avi.audioBytes) / (48000 * 4), avi.video.size() / 25.0, 0.2);
  EXPECT_NEAR(DiscoveredSeconds(Discover(divx)), avi.video.size() / 25.0, 0.2);

  // The Windows Media writer waits for both streams: the picture held
  // there must not keep the frozen stretch for after the freeze.
  const std::string wmv = File("frozen.wmv");
  record(fcWmv, wmv);
  const Demuxed pictures = Demux(QString::fromStdString(wmv), {"asfdemux", "name=d", "d.video_0"}, 0.04);
  EXPECT_NEAR(pictures.buffers / 25.0, 7.0, 0.2);
  EXPECT_NEAR(pictures.seconds, pictures.buffers / 25.0, 0.2);  // no hole in the times
  EXPECT_NEAR(DiscoveredSeconds(Discover(wmv)), 7.0, 0.2);

  // A DV file counts its pictures: the frozen stretch must not come back
  // as copies of the last one, nor the sound lose its frames.
  const std::string dv = File("frozen-dv.avi");
  record(fcDvType2Recompressed, dv);
  const AviContents dvAvi = ReadAvi(QString::fromStdString(dv), false);
  EXPECT_NEAR(dvAvi.video.size() / 25.0, 7.0, 0.2);
  EXPECT_NEAR(static_cast<double>(dvAvi.audioBytes) / (48000 * 4), dvAvi.video.size() / 25.0, 0.2);

  const std::string wav = File("frozen.wav");
  record(fcWav, wav);
  EXPECT_NEAR((QFileInfo(QString::fromStdString(wav)).size() - 46) / (48000.0 * 4), 7.0, 0.2);
}

// A branch that joins a stream running for a while starts with its first
// picture: the frame-rate converter does not fill the time before it.
TEST_F(Capture, a_windows_media_file_holds_only_the_pictures_of_its_own_time) {
  Activate("DV Source - Video", "DV Source - Audio");
  ASSERT_TRUE(Play(*engine_));
  Wait(3000);
  Stop(*engine_);
  const std::string wmv = File("late.wmv");
  ASSERT_TRUE(BuildCaptureGraph(*engine_, fcWmv, wmv, settings_));
  ASSERT_TRUE(Play(*engine_));
  Wait(2000);
  EXPECT_TRUE(FinishCaptureFile(*engine_));
  Stop(*engine_);
  EXPECT_TRUE(KillCaptureGraph(*engine_));
  const Demuxed pictures = Demux(QString::fromStdString(wmv), {"asfdemux", "name=d", "d.video_0"}, 0.04);
  EXPECT_NEAR(pictures.buffers / 25.0, 2.0, 0.4);
  EXPECT_NEAR(pictures.seconds, pictures.buffers / 25.0, 0.2);
}

// The freezes as the entries and the frame-rate converters see them, in the
// buffers' running time (seconds here).
TEST(Freezes, stretches_are_measured_on_the_buffers_and_skipped_once) {
  constexpr GstClockTime s = GST_SECOND;
  TFreezes freezes;
  EXPECT_FALSE(freezes.Entering(1 * s));
  freezes.frozen = true;
  EXPECT_TRUE(freezes.Entering(2 * s));  // the first one dropped opens the stretch
  EXPECT_TRUE(freezes.Entering(3 * s));
  // While frozen, the stretch counts up to the time asked.
  EXPECT_EQ(freezes.FrozenBetween(0, 4 * s), 2 * s);
  freezes.frozen = false;
  EXPECT_FALSE(freezes.Entering(5 * s));  // closes it
  EXPECT_FALSE(freezes.Entering(6 * s));
  EXPECT_EQ(freezes.FrozenBetween(0, 10 * s), 3 * s);
  EXPECT_EQ(freezes.FrozenBetween(2 * s + 1, 10 * s), 0u);  // began before that part
  EXPECT_EQ(freezes.FrozenBetween(0, 1 * s), 0u);           // not reached yet

  // A converter skips the step over the stretch, and only that one: a
  // buffer it had in flight past the stretch's start is skipped too, which
  // costs nothing, and the next one is not.
  EXPECT_FALSE(freezes.Skips(1 * s, 1 * s + s / 25));
  EXPECT_TRUE(freezes.Skips(1 * s + s / 25, 5 * s));
  EXPECT_TRUE(freezes.Skips(2 * s - s / 25, 2 * s + s / 50));
  EXPECT_FALSE(freezes.Skips(5 * s, 5 * s + s / 25));
  EXPECT_FALSE(freezes.Skips(GST_CLOCK_TIME_NONE, 5 * s));  // a first buffer starts afresh anyway

  // Buffers without a time are dropped or kept as the freeze says, and
  // leave the stretches as they are.
  freezes.frozen = true;
  EXPECT_TRUE(freezes.Entering(GST_CLOCK_TIME_NONE));
  EXPECT_EQ(freezes.FrozenBetween(0, 10 * s), 3 * s);
}

TEST(CaptureSettings, sound_rate_follows_the_preferences) {
  TCaptureEngine engine;
  TCaptureSettings settings;
  settings.dvRate = 3;
  EXPECT_EQ(CaptureAudioRate(engine, settings), 48000);
  settings.dvRate = 1;
  EXPECT_EQ(CaptureAudioRate(engine, settings), 32000);
  settings.dvRate = 0;
  EXPECT_EQ(CaptureAudioRate(engine, settings), 44100);
}

namespace {

// Frames with a running time code, written straight to a type-1 writer.
void WriteFrames(TDvAviWriter& writer, int count) {
  std::vector<std::uint8_t> frame = MakeDvFrame({});
  for (int i = 0; i < count; ++i) {
    const dv::TimeCode code{static_cast<std::uint8_t>(i / 90000), static_cast<std::uint8_t>(i / 1500 % 60),
                            static_cast<std::uint8_t>(i / 25 % 60), static_cast<std::uint8_t>(i % 25)};
    dv::WriteTimeCode(frame.data(), frame.size(), 0, code);
    ASSERT_TRUE(writer.WriteFrame(frame.data(), frame.size())) << writer.error();
  }
}

// Buffers the system's AVI reader gets out of the file.
int DemuxedFrames(const QString& path) { return DemuxedBuffers(path, {"avidemux"}); }

}  // namespace

TEST(DvType1, parts_indexes_and_headers_of_a_small_file_split_in_parts) {
  QTemporaryDir dir;
  const QString path = dir.filePath("parts.avi");
  TDvAviWriter writer;
  // Parts of about 3 MB: 20 frames each.
  ASSERT_TRUE(writer.Open(path.toStdString(), 3'000'000));
  WriteFrames(writer, 50);
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(writer.parts(), 3);
  const AviContents avi = ReadAvi(path);
  EXPECT_EQ(avi.riffCount, 3);
  EXPECT_TRUE(avi.hasSuperIndex);
  EXPECT_TRUE(avi.hasLegacyIndex);
  ASSERT_EQ(avi.video.size(), 50u);
  EXPECT_LT(avi.totalFrames, 50u);  // the first part only, for old readers
  for (std::size_t i = 0; i < avi.video.size(); ++i)
    ASSERT_EQ(FrameNumber(TimeCodeOf(avi.video[i])), static_cast<int>(i));
  EXPECT_EQ(DemuxedFrames(path), 50);
  // A frame of another size is refused and the file stays whole.
  TDvAviWriter other;
  ASSERT_TRUE(other.Open(dir.filePath("refused.avi").toStdString()));
  const std::vector<std::uint8_t> half(dv::kFrameBytes625 / 2);
  EXPECT_FALSE(other.WriteFrame(half.data(), half.size()));
  EXPECT_TRUE(other.Close());
  EXPECT_FALSE(TDvAviWriter().Open("/nonexistent/folder/file.avi"));
}

TEST(DvType1, a_file_still_being_written_is_readable_as_far_as_its_last_refresh) {
  QTemporaryDir dir;
  const QString path = dir.filePath("ouvert.avi");
  TDvAviWriter writer;
  ASSERT_TRUE(writer.Open(path.toStdString()));
  WriteFrames(writer, 120);
  // What a crash would leave now: the file as it is on disk, writer open.
  const QString copy = dir.filePath("copie.avi");
  ASSERT_TRUE(QFile::copy(path, copy));
  const AviContents avi = ReadAvi(copy, false);
  EXPECT_TRUE(avi.valid);
  EXPECT_EQ(avi.riffCount, 1);
  EXPECT_EQ(avi.totalFrames, 100u);  // the last refresh, two seconds of PAL
  EXPECT_GE(avi.video.size(), 100u);
  // A demuxer that scans plays them without an index.
  EXPECT_GE(DemuxedFrames(copy), 100);
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadAvi(path, false).totalFrames, 120u);
}

TEST(DvType1, a_file_past_one_gibibyte_is_read_back_whole) {
  QTemporaryDir dir;
  const QString path = dir.filePath("big.avi");
  constexpr int kFrames = 7600;  // 1.09 GB of PAL frames
  {
    TDvAviWriter writer;
    ASSERT_TRUE(writer.Open(path.toStdString()));
    WriteFrames(writer, kFrames);
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(writer.parts(), 2);
  }
  EXPECT_GT(QFileInfo(path).size(), 1024ll * 1024 * 1024);
  const AviContents avi = ReadAvi(path, false);
  EXPECT_EQ(avi.riffCount, 2);
  EXPECT_EQ(avi.video.size(), static_cast<std::size_t>(kFrames));
  EXPECT_EQ(DemuxedFrames(path), kFrames);
  QFile::remove(path);
}

TEST_F(Capture, dv_type_1_native_writes_the_interleaved_stream_and_cuts_without_a_gap) {
  Activate("DV Source - Video", "DV Source - Audio");
  Stop(*engine_);
  const std::vector<std::string> files = {File("type1.avi"), File("type1-2.avi")};
  ASSERT_TRUE(BuildCaptureGraph(*engine_, 1, files[0], settings_));
  ASSERT_TRUE(Play(*engine_));
  Wait(1200);
  ASSERT_TRUE(CutCaptureFile(*engine_, files[1], settings_));
  Wait(1200);
  ASSERT_TRUE(FinishCaptureFile(*engine_));
  Stop(*engine_);
  KillCaptureGraph(*engine_);
  std::vector<int> numbers;
  for (const std::string& file : files) {
    const AviContents avi = ReadAvi(QString::fromStdString(file));
    EXPECT_GE(avi.video.size(), 20u);
    for (const QByteArray& frame : avi.video) numbers.push_back(FrameNumber(TimeCodeOf(frame)));
    const QString found = Discover(file);
    EXPECT_TRUE(found.contains("Digital Video (DV) System Stream")) << found.toStdString();
    EXPECT_TRUE(found.contains("Raw 16-bit PCM audio")) << found.toStdString();
  }
  for (std::size_t i = 1; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], numbers[i - 1] + 1) << i;
}

TEST(DvSound, ntsc_frames_share_8008_sample_pairs_over_five) {
  int total = 0;
  for (int frame = 0; frame < 5; ++frame) total += DvSamplesForFrame(false, frame);
  EXPECT_EQ(total, 8008);
  EXPECT_EQ(DvSamplesForFrame(true, 7), 1920);
}

namespace {

// One engine with its own simulated devices and sources.
struct Station {
  Station() {
    const std::vector<TDeviceMoniker> devices = TSimulatedDeviceProvider(1).Devices();
    video.Refresh(devices, [](TDeviceKind k) { return k == dkDV; });
    videoSources = VideoSourcesOf(video);
    audioSources = AudioSourcesOf(video);
    engine = std::make_unique<TCaptureEngine>();
  }
  ~Station() { engine.reset(); }
  TCaptureDeviceList video;
  std::vector<std::unique_ptr<TVideoSource>> videoSources;
  std::vector<std::unique_ptr<TAudioSource>> audioSources;
  std::unique_ptr<TCaptureEngine> engine;
};

void Pump(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

TEST(Engines, two_engines_in_one_process_record_cut_and_go_down_apart) {
  QTemporaryDir dir;
  const TCaptureSettings settings;
  std::vector<std::unique_ptr<Station>> stations;
  for (int i = 0; i < 2; ++i) {
    auto station = std::make_unique<Station>();
    TCaptureEngine& engine = *station->engine;
    ASSERT_TRUE(ActivateVideoSource(engine, *station->videoSources.front()));
    ASSERT_TRUE(ActivateAudioSource(engine, *station->audioSources.front()));
    const std::string file = dir.filePath(QString("engine%1.avi").arg(i)).toStdString();
    ASSERT_TRUE(BuildCaptureGraph(engine, i == 0 ? 2 : 1, file, settings));
    ASSERT_TRUE(Play(engine));
    stations.push_back(std::move(station));
  }
  // Each has its own graph and elements.
  EXPECT_NE(stations[0]->engine->graph().pipeline(), stations[1]->engine->graph().pipeline());
  EXPECT_NE(&stations[0]->engine->dm(), &stations[1]->engine->dm());
  Pump(1200);
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(
        CutCaptureFile(*stations[i]->engine, dir.filePath(QString("engine%1-2.avi").arg(i)).toStdString(), settings));
  Pump(1200);
  for (auto& station : stations) {
    EXPECT_TRUE(FinishCaptureFile(*station->engine));
    Stop(*station->engine);
    EXPECT_TRUE(KillCaptureGraph(*station->engine));
  }
  // The first goes down while the second still previews.
  stations.front().reset();
  ASSERT_TRUE(Play(*stations.back()->engine));
  const std::uint64_t before = stations.back()->engine->renderer().framesReceived();
  Pump(500);
  EXPECT_GT(stations.back()->engine->renderer().framesReceived(), before);
  stations.back().reset();
  for (const char* name : {"engine0.avi", "engine0-2.avi", "engine1.avi", "engine1-2.avi"}) {
    const AviContents avi = ReadAvi(dir.filePath(name), false);
    EXPECT_TRUE(avi.valid) << name;
    EXPECT_GE(avi.video.size(), 15u) << name;
  }
}
