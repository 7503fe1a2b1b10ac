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
