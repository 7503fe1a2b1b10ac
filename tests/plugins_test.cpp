// Capture plug-ins, with the sample built beside the program and its
// variants: the scan of the folder, the device a plug-in serves among the
// simulated ones, its preview, its own recording, and the libraries that
// must not get in.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <atomic>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "control/capturesession.h"
#include "settings/conversions.h"
#include "capture/plugins.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "media/formats/dvcodes.h"
#include "support/aviwalk.h"
#include "support/readers.h"
#include "support/rungraph.h"
#include "support/tempfolder.h"

namespace {

const QString kBuilt = QStringLiteral(TESSIVO_PLUGIN_DIR);
const QString kServed = QStringLiteral("Webcam simulée");

// A plug-in folder holding copies of the named samples.
class PluginFolder {
 public:
  explicit PluginFolder(const QStringList& samples) {
    for (const QString& sample : samples)
      EXPECT_TRUE(QFile::copy(kBuilt + "/" + sample + ".pvx", folder_.file(sample + ".pvx"))) << sample.toStdString();
  }
  QString path() const { return folder_.path(); }
  const TempFolder& folder() const { return folder_; }

 private:
  TempFolder folder_;
};

class Plugins : public ::testing::Test {
 protected:
  // The simulated devices listed with these plug-ins.
  void List(const PluginFolder& folder) {
    plugins_.PluginAddToList(folder.path());
    video_.plugins = &plugins_;
    video_.beforeRemoval = [this](TCaptureDevice& device) {
      TCaptureContext& context = engine_.context;
      if (context.CurrentVideoSource && context.CurrentVideoSource->Device == &device)
        DeactivateVideoSource(engine_, *context.CurrentVideoSource, true);
      if (context.CurrentAudioSource && context.CurrentAudioSource->Device == &device)
        DeactivateAudioSource(engine_, *context.CurrentAudioSource, true);
    };
    ASSERT_TRUE(video_.Refresh(TSimulatedDeviceProvider(1).Devices(),
                               [](TDeviceKind k) { return k == dkDV || k == dkVideo || k == dkPlugIn; }));
  }
  TCaptureDevice* Served() const {
    for (int i = 0; i < video_.Count(); ++i)
      if (video_.Item(i)->DriverName == kServed) return video_.Item(i);
    return nullptr;
  }
  bool RunUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    return RunGraphUntil(engine_, condition, milliseconds);
  }
  void TearDown() override {
    Stop(engine_);
    if (engine_.context.CurrentVideoSource) DeactivateVideoSource(engine_, *engine_.context.CurrentVideoSource, true);
    if (engine_.context.CurrentAudioSource) DeactivateAudioSource(engine_, *engine_.context.CurrentAudioSource, true);
  }

  // The served device's two sources, activated.
  bool Activate() {
    TCaptureDevice* device = Served();
    if (!device) return false;
    videoSource_ = std::make_unique<TVideoSource>(*device, 1);
    audioSource_ = std::make_unique<TAudioSource>(*device, 1);
    return ActivateVideoSource(engine_, *videoSource_) && ActivateAudioSource(engine_, *audioSource_);
  }

  TCaptureEngine engine_;
  TpluginList plugins_;  // outlives the devices built from it
  TCaptureDeviceList video_;
  std::unique_ptr<TVideoSource> videoSource_;
  std::unique_ptr<TAudioSource> audioSource_;
};

}  // namespace

TEST_F(Plugins, the_scan_lists_every_library_in_name_order_and_passes_over_what_is_not_one) {
  PluginFolder folder({"sample", "sample_duplicate", "sample_nocreate", "sample_noname"});
  folder.folder().write("pas_un_plugin.pvx", "du texte, pas une bibliothèque");
  folder.folder().write("autre.txt", "");
  // A library built for another processor.
  folder.folder().write("etranger.pvx", QByteArray("\x7f" "ELF\x01\x01\x01", 7) + QByteArray(200, '\0'));
  plugins_.PluginAddToList(folder.path());
  ASSERT_EQ(plugins_.Count(), 4);
  EXPECT_TRUE(plugins_.Item(0)->LibraryPath.endsWith("/sample.pvx"));
  EXPECT_TRUE(plugins_.Item(1)->LibraryPath.endsWith("/sample_duplicate.pvx"));
  EXPECT_EQ(plugins_.Item(0)->DriverName, kServed);
  EXPECT_EQ(plugins_.Item(1)->DriverName, kServed);
  EXPECT_EQ(plugins_.Item(3)->DriverName, "");  // no pi_drivername: listed, serves nothing
  for (int i = 0; i < plugins_.Count(); ++i) EXPECT_TRUE(plugins_.Item(i)->Enabled);
  EXPECT_EQ(plugins_.IndexOfDriver(kServed), 0);  // the first scanned
  EXPECT_EQ(plugins_.IndexOfDriver(""), -1);
  EXPECT_EQ(plugins_.IndexOfDriver("webcam simulée"), -1);  // names are compared exactly

  // A missing folder lists nothing and fails nothing.
  plugins_.PluginAddToList(folder.path() + "/absent");
  EXPECT_EQ(plugins_.Count(), 0);
  plugins_.PluginAddToList("");
  EXPECT_EQ(plugins_.Count(), 0);
}

TEST_F(Plugins, the_served_device_is_the_first_plugins_and_one_that_makes_no_instance_is_left_out) {
  {
    PluginFolder folder({"sample_nocreate"});
    List(folder);
    EXPECT_EQ(Served(), nullptr);
    ASSERT_EQ(plugins_.Count(), 1);
    EXPECT_FALSE(plugins_.Item(0)->Enabled);
  }
  TCaptureDeviceList fresh;
  std::swap(video_, fresh);
  {
    PluginFolder folder({"sample", "sample_duplicate", "sample_noname"});
    TCaptureDeviceList list;
    list.plugins = &plugins_;
    plugins_.PluginAddToList(folder.path());
    ASSERT_TRUE(list.Refresh(TSimulatedDeviceProvider(1).Devices(),
                             [](TDeviceKind k) { return k == dkDV || k == dkVideo || k == dkPlugIn; }));
    const TCaptureDevice* served = nullptr;
    for (int i = 0; i < list.Count(); ++i)
      if (list.Item(i)->DriverName == kServed) served = list.Item(i);
    ASSERT_TRUE(served);
    EXPECT_EQ(served->Kind, dkPlugIn);
    EXPECT_EQ(served->Name, "Mire du plug-in");  // not the duplicate's
    EXPECT_EQ(served->VideoStreamCount, 1);
    EXPECT_EQ(served->AudioStreamCount, 1);
    EXPECT_TRUE(plugins_.Item(0)->Enabled);
    // The camcorder is still the program's own.
    bool camcorder = false;
    for (int i = 0; i < list.Count(); ++i) camcorder = camcorder || list.Item(i)->Kind == dkDV;
    EXPECT_TRUE(camcorder);
  }
}

TEST_F(Plugins, the_plugin_device_previews_its_pattern_and_sound_and_declares_dv_type_1_first) {
  PluginFolder folder({"sample"});
  List(folder);
  ASSERT_TRUE(Activate());
  TCaptureDevice* device = Served();
  EXPECT_EQ(videoSource_->Name, "Mire du plug-in - Video");
  EXPECT_EQ(audioSource_->Name, "Mire du plug-in - Audio");
  EXPECT_EQ(device->NativeFormat1, 1);
  EXPECT_EQ(device->NativeFormat2, 0);
  const std::uint64_t seen = engine_.renderer().framesReceived();
  EXPECT_TRUE(RunUntil([&] { return engine_.renderer().framesReceived() >= seen + 10; }));
  const QImage picture = engine_.renderer().LatestFrame();
  EXPECT_EQ(picture.size(), QSize(720, 576));
}

TEST_F(Plugins, its_own_recording_is_a_type_1_dv_avi_finished_when_the_plugin_returns) {
  PluginFolder folder({"sample"});
  List(folder);
  ASSERT_TRUE(Activate());
  TCaptureDevice* device = Served();
  const QString file = folder.folder().file("natif.avi");
  ASSERT_TRUE(device->CaptureNative(engine_, file));
  const std::uint64_t seen = engine_.renderer().framesReceived();
  EXPECT_TRUE(RunUntil([&] { return engine_.renderer().framesReceived() >= seen + 50; }, 8000));
  // Finished while the stream runs: the end goes through the recording.
  EXPECT_TRUE(device->FinCaptureNative(engine_));
  Stop(engine_);
  const Part part = ReadPart(file, Part::Kind::DvAvi);
  EXPECT_TRUE(part.readable);
  EXPECT_GE(part.frames, 25u);
  // Whole interleaved frames, carrying the plug-in's tone.
  const AviContents avi = ReadAvi(file);
  ASSERT_GT(avi.video.size(), 10u);
  const QByteArray& middle = avi.video[avi.video.size() / 2];
  EXPECT_EQ(middle.size(), dv::kFrameBytes625);
  std::vector<std::int16_t> sound(2 * dv::kMaxAudioSamples625);
  ASSERT_EQ(dv::ReadAudio(reinterpret_cast<const std::uint8_t*>(middle.constData()), middle.size(), sound.data(),
                          dv::kMaxAudioSamples625),
            1920);
  EXPECT_GT(*std::max_element(sound.begin(), sound.end()), 3000);
}

TEST_F(Plugins, a_capture_session_records_the_plugins_format_and_finishes_it_at_stop) {
  PluginFolder folder({"sample"});
  List(folder);
  ASSERT_TRUE(Activate());
  ASSERT_TRUE(Play(engine_));
  TCaptureSession session(engine_);
  const QString file = folder.folder().file("session.avi");
  ASSERT_TRUE(session.Start(fcDvType1Native, file, TCaptureSettings()).ok());
  EXPECT_TRUE(session.recording());
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_TRUE(session.Stop().ok());
  EXPECT_FALSE(session.recording());
  const Part part = ReadPart(file, Part::Kind::DvAvi);
  EXPECT_TRUE(part.readable);
  EXPECT_GE(part.frames, 15u);
  // The preview goes on after the recording.
  const std::uint64_t seen = engine_.renderer().framesReceived();
  EXPECT_TRUE(RunUntil([&] { return engine_.renderer().framesReceived() >= seen + 5; }));
}

namespace {

// Counts the buffers passing a pad, and can hold them there.
class TeeInput {
 public:
  explicit TeeInput(GstElement* tee) : pad_(gst_element_get_static_pad(tee, "sink")) {
    counting_ = gst::PadProbe(pad_.get(), GST_PAD_PROBE_TYPE_BUFFER, [count = count_](GstPad*, GstPadProbeInfo*) {
      ++*count;
      return GST_PAD_PROBE_OK;
    });
  }
  // From now on nothing passes; what passed before has time to reach its
  // file. Answers how many passed.
  std::uint64_t HoldAndSettle() {
    holding_ = gst::PadProbe(pad_.get(), GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM,
                             [](GstPad*, GstPadProbeInfo*) { return GST_PAD_PROBE_OK; });
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return count_->load();
  }

 private:
  graph::PadPtr pad_;
  std::shared_ptr<std::atomic<std::uint64_t>> count_ = std::make_shared<std::atomic<std::uint64_t>>(0);
  gst::PadProbe counting_, holding_;
};

void RunEvents(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

// A plug-in that re-points its recording, and one the host finishes and
// starts again on held streams: either way the parts hold every picture
// that came while recording, none twice.
TEST_F(Plugins, a_cut_of_the_plugins_recording_goes_on_in_the_next_file_without_losing_a_frame) {
  for (const QString& sample : {QString("sample"), QString("sample_norepoint")}) {
    SCOPED_TRACE(sample.toStdString());
    PluginFolder folder({sample});
    TCaptureDeviceList fresh;
    std::swap(video_, fresh);
    List(folder);
    ASSERT_TRUE(Activate());
    Stop(engine_);
    TeeInput pictures(engine_.context.VideoTee.get());
    TCaptureSession session(engine_);
    const QStringList files{folder.folder().file("partie1.avi"), folder.folder().file("partie2.avi"),
                            folder.folder().file("partie3.avi")};
    ASSERT_TRUE(session.Start(fcDvType1Native, files[0], TCaptureSettings()).ok());
    RunEvents(1200);
    EXPECT_TRUE(session.Cut(files[1]).ok());
    RunEvents(1000);
    EXPECT_TRUE(session.Cut(files[2]).ok());
    RunEvents(800);
    const std::uint64_t came = pictures.HoldAndSettle();
    EXPECT_TRUE(session.Stop().ok());
    std::uint64_t written = 0;
    for (const QString& file : files) {
      const Part part = ReadPart(file, Part::Kind::DvAvi);
      EXPECT_TRUE(part.readable) << file.toStdString();
      EXPECT_GE(part.frames, 10u) << file.toStdString();
      written += part.frames;
    }
    EXPECT_EQ(written, came);
    TearDown();
    videoSource_.reset();
    audioSource_.reset();
  }
}

// A second and a half of the format, recorded by a session into the folder,
// read back: a DV AVI with its pictures and its sound.
void ExpectRecorded(TCaptureEngine& engine, int format, const QString& file) {
  TCaptureSession session(engine);
  ASSERT_TRUE(session.Start(format, file, TCaptureSettings()).ok());
  RunEvents(1500);
  EXPECT_TRUE(session.Stop().ok());
  const Part part = ReadPart(file, Part::Kind::DvAvi);
  EXPECT_TRUE(part.readable);
  EXPECT_GE(part.frames, 20u);
  EXPECT_GT(part.soundSeconds, 0.5);
}

TEST_F(Plugins, the_host_records_dv_type_2_recompressed_from_the_plugins_pictures_and_sound) {
  PluginFolder folder({"sample"});
  List(folder);
  ASSERT_TRUE(Activate());
  ASSERT_TRUE(Play(engine_));
  ExpectRecorded(engine_, fcDvType2Recompressed, folder.folder().file("recomp.avi"));
}

// The native format a plug-in declares for its tee is recorded by the host
// from that tee: here "dv type 2 natif" from a tee carrying DV, while the
// preview shows the plug-in's decoding.
TEST_F(Plugins, the_host_records_a_declared_native_format_from_the_plugins_tee) {
  PluginFolder folder({"sample_dvtee"});
  List(folder);
  ASSERT_TRUE(Activate());
  ASSERT_TRUE(Play(engine_));
  const std::uint64_t seen = engine_.renderer().framesReceived();
  EXPECT_TRUE(RunUntil([&] { return engine_.renderer().framesReceived() >= seen + 10; }));
  // The tee's DV caps, once known, leave the declared formats alone.
  EXPECT_EQ(Served()->NativeFormat1, fcDvType2Native);
  EXPECT_EQ(Served()->NativeFormat2, 0);
  ExpectRecorded(engine_, fcDvType2Native, folder.folder().file("type2.avi"));
  EXPECT_EQ(engine_.renderer().LatestFrame().size(), QSize(720, 576));
}

TEST_F(Plugins, a_plugin_giving_no_picture_pad_or_a_wrong_one_is_not_activated_and_leaves_nothing) {
  for (const QString& sample : {QString("sample_nopad"), QString("sample_badpad")}) {
    SCOPED_TRACE(sample.toStdString());
    PluginFolder folder({sample});
    TCaptureDeviceList fresh;
    std::swap(video_, fresh);
    List(folder);
    ASSERT_TRUE(Served());
    const int before = static_cast<int>(GST_BIN_NUMCHILDREN(GST_BIN(engine_.graph().pipeline())));
    TVideoSource video(*Served(), 1);
    EXPECT_FALSE(ActivateVideoSource(engine_, video));
    EXPECT_EQ(engine_.context.CurrentVideoSource, nullptr);
    EXPECT_EQ(static_cast<int>(GST_BIN_NUMCHILDREN(GST_BIN(engine_.graph().pipeline()))), before);
    // The sound of the same device still works.
    TAudioSource audio(*Served(), 1);
    EXPECT_TRUE(ActivateAudioSource(engine_, audio));
    EXPECT_TRUE(DeactivateAudioSource(engine_, audio, true));
    EXPECT_EQ(static_cast<int>(GST_BIN_NUMCHILDREN(GST_BIN(engine_.graph().pipeline()))), before);
  }
}

TEST_F(Plugins, two_hundred_activations_leave_nothing_behind) {
  if (!qEnvironmentVariableIsSet("TESSIVO_PLUGIN_CYCLES")) GTEST_SKIP() << "run alone, as plugins_cycles_test";
  PluginFolder folder({"sample"});
  List(folder);
  ASSERT_TRUE(Served());
  videoSource_ = std::make_unique<TVideoSource>(*Served(), 1);
  audioSource_ = std::make_unique<TAudioSource>(*Served(), 1);
  TVideoSource& video = *videoSource_;
  TAudioSource& audio = *audioSource_;
  const int before = static_cast<int>(GST_BIN_NUMCHILDREN(GST_BIN(engine_.graph().pipeline())));
  for (int cycle = 0; cycle < 200; ++cycle) {
    ASSERT_TRUE(ActivateVideoSource(engine_, video)) << cycle;
    ASSERT_TRUE(ActivateAudioSource(engine_, audio)) << cycle;
    ASSERT_TRUE(DeactivateAudioSource(engine_, audio, true)) << cycle;
    ASSERT_TRUE(DeactivateVideoSource(engine_, video, true)) << cycle;
  }
  // Nothing of the plug-in's is left in the graph.
  EXPECT_EQ(static_cast<int>(GST_BIN_NUMCHILDREN(GST_BIN(engine_.graph().pipeline()))), before);
  ASSERT_TRUE(ActivateVideoSource(engine_, video));
  const std::uint64_t seen = engine_.renderer().framesReceived();
  EXPECT_TRUE(RunUntil([&] { return engine_.renderer().framesReceived() >= seen + 5; }));
}
