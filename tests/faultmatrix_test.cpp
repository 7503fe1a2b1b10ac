// Every capture format through what may happen to a recording: a stop, a
// cut, a disk that stops taking data, a source that goes away. Each part is
// read back by readers that are not the program's own, and counted against
// what its writer took.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "control/capturesession.h"
#include "media/filters/vx_controlunit.h"
#include "media/formats/avirepair.h"
#include "settings/conversions.h"
#include "support/aviwalk.h"
#include "support/failingdisk.h"
#include "support/readers.h"

namespace {

struct Format {
  const char* name;
  int code;
  const char* video;
  const char* audio;  // none: ""
};

const Format kFormats[] = {
    {"dv type 1 natif", fcDvType1Native, "DV Source - Video", "DV Source - Audio"},
    {"dv type 2 natif", fcDvType2Native, "DV Source - Video", "DV Source - Audio"},
    {"dv type 2 (recomp)", fcDvType2Recompressed, "DV Source - Video", "DV Source - Audio"},
    {"avi natif", fcAviNative, "Webcam simulée", "Carte son simulée"},
    {"flux mpeg2 natif", fcMpeg2Native, "Encodeur MPEG-2 simulé", ""},
    {"Image/Image", fcImageByImage, "DV Source - Video", ""},
};

bool IsMpeg(const Format& format) { return format.code == fcMpeg2Native; }

Part Read(const Format& format, const QString& file) {
  return ReadPart(file, IsMpeg(format)               ? Part::Kind::Mpeg
                        : format.code == fcAviNative ? Part::Kind::Avi
                                                     : Part::Kind::DvAvi);
}

class FaultMatrix : public ::testing::TestWithParam<Format> {
 protected:
  void SetUp() override {
    const std::vector<TDeviceMoniker> devices = TSimulatedDeviceProvider(1).Devices();
    video_.Refresh(devices, [](TDeviceKind k) { return k == dkDV || k == dkVideo; });
    audio_.Refresh(devices, [](TDeviceKind k) { return k == dkAudio; });
    videoSources_ = VideoSourcesOf(video_);
    audioSources_ = AudioSourcesOf(video_);
    for (auto& source : AudioSourcesOf(audio_)) audioSources_.push_back(std::move(source));
    engine_ = std::make_unique<TCaptureEngine>();
    session_ = std::make_unique<TCaptureSession>(*engine_);
    for (auto& source : videoSources_)
      if (source->Name == GetParam().video) ASSERT_TRUE(ActivateVideoSource(*engine_, *source));
    for (auto& source : audioSources_)
      if (source->Name == GetParam().audio) ASSERT_TRUE(ActivateAudioSource(*engine_, *source));
    ASSERT_TRUE(Play(*engine_));
    engine_->graph().onEvent = [this](const graph::GraphEvent& event) {
      if (auto reported = session_->HandleEvent(event)) failure_ = reported;
    };
    // Image/Image: a frame let through five times a second.
    QObject::connect(&gate_, &QTimer::timeout, [this] { engine_->dm().ControlFilter().pass = true; });
    if (GetParam().code == fcImageByImage) gate_.start(200);
  }
  void TearDown() override {
    gate_.stop();
    engine_->graph().onEvent = nullptr;
    session_.reset();
    engine_.reset();
  }

  static void Wait(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  void WaitForFailure(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!failure_ && clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  QString File(const QString& name) const { return dir_.filePath(name + (IsMpeg(GetParam()) ? ".mpg" : ".avi")); }
  // Records for a second and a half, and until the writer has taken a few
  // buffers (the MPEG encoder starts slowly on a loaded machine).
  void Record() {
    Wait(1500);
    QElapsedTimer clock;
    clock.start();
    while (Taken()->load() < 10 && clock.elapsed() < 15000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  // The frames the current part's writer has taken so far.
  std::shared_ptr<std::atomic<std::uint64_t>> Taken() const { return CurrentCaptureBranch(*engine_)->videoFrames; }

  void Start(const QString& file) {
    ASSERT_TRUE(session_->Start(GetParam().code, file, {}).ok()) << file.toStdString();
  }

  // The part read back: readable, its frames those its writer took, its
  // duration that of its frames.
  void ExpectWhole(const QString& file, std::uint64_t taken) const {
    const Part part = Read(GetParam(), file);
    EXPECT_TRUE(part.readable) << file.toStdString();
    EXPECT_GE(part.frames, IsMpeg(GetParam()) ? 1u : 3u) << file.toStdString();  // the encoder is slow here
    if (!IsMpeg(GetParam()))  // the MPEG writer takes the stream's packets, not its frames
      EXPECT_NEAR(static_cast<double>(part.frames), static_cast<double>(taken), 1.0) << file.toStdString();
    EXPECT_NEAR(part.seconds, part.longerStream(), part.tolerance()) << file.toStdString();
  }
  // The preview still shows pictures (the MPEG ones decoded slowly here).
  void ExpectPreview() const {
    EXPECT_TRUE(engine_->graph().Running());
    const std::uint64_t before = engine_->renderer().framesReceived();
    QElapsedTimer clock;
    clock.start();
    while (engine_->renderer().framesReceived() < before + 3 && clock.elapsed() < 4000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(engine_->renderer().framesReceived(), before + 3);
  }

  QTemporaryDir dir_;
  TCaptureDeviceList video_, audio_;
  std::vector<std::unique_ptr<TVideoSource>> videoSources_;
  std::vector<std::unique_ptr<TAudioSource>> audioSources_;
  std::unique_ptr<TCaptureEngine> engine_;
  std::unique_ptr<TCaptureSession> session_;
  std::optional<TCaptureFailure> failure_;
  QTimer gate_;
};

}  // namespace

TEST_P(FaultMatrix, a_stop_finishes_the_file) {
  const QString file = File("stop");
  Start(file);
  Record();
  const auto taken = Taken();
  ASSERT_TRUE(session_->Stop().ok());
  ExpectWhole(file, taken->load());
  ExpectPreview();
}

TEST_P(FaultMatrix, a_cut_finishes_one_part_and_goes_on_in_the_next) {
  const QString first = File("cut"), second = File("cut-2");
  Start(first);
  Record();
  const auto firstTaken = Taken();
  ASSERT_TRUE(session_->Cut(second).ok());
  Record();
  const auto secondTaken = Taken();
  ASSERT_TRUE(session_->Stop().ok());
  EXPECT_EQ(session_->framesWritten(), firstTaken->load() + secondTaken->load());
  ExpectWhole(first, firstTaken->load());
  ExpectWhole(second, secondTaken->load());
  ExpectPreview();
}

TEST_P(FaultMatrix, a_disk_that_stops_taking_data_is_said_and_the_file_can_be_read_or_repaired) {
  const QString file = File("erreur");
  Start(file);
  const FailingDisk disk(CurrentCaptureBranch(*engine_)->sink.get(), IsMpeg(GetParam()) ? 200'000 : 3'000'000);
  WaitForFailure(20000);
  ASSERT_TRUE(failure_);
  EXPECT_EQ(failure_->reason, TCaptureFailure::Reason::WriteFailed);
  EXPECT_TRUE(failure_->Text().startsWith(QString("Écriture impossible dans « %1 »").arg(file)))
      << failure_->Text().toStdString();
  EXPECT_FALSE(session_->recording());
  ExpectPreview();
  // What reached the disk is kept: an AVI cut short is repaired to its last
  // whole frame, a program stream reads as far as it goes.
  if (!IsMpeg(GetParam()) && !ReadAvi(file, false).hasLegacyIndex) {
    const TAviRepair repaired = RepairAvi(file);
    ASSERT_TRUE(repaired.repaired) << repaired.error.toStdString();
  }
  const Part part = Read(GetParam(), file);
  EXPECT_TRUE(part.readable);
  EXPECT_GE(part.frames, 1u);
}

TEST_P(FaultMatrix, a_source_that_goes_away_ends_with_its_file_finished) {
  const QString file = File("perdu");
  Start(file);
  Record();
  const auto taken = Taken();
  const gst::ElementPtr source = engine_->graph().FindByName(engine_->graph().currentSource);
  ASSERT_TRUE(source);
  const gst::ErrorPtr error(g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "device gone"));
  gst_element_post_message(source.get(), gst_message_new_error(GST_OBJECT(source.get()), error.get(), nullptr));
  WaitForFailure(10000);
  ASSERT_TRUE(failure_);
  EXPECT_EQ(failure_->reason, TCaptureFailure::Reason::DeviceLost);
  EXPECT_EQ(failure_->Text(),
            QString("La source ne répond plus : « %1 » est terminé et la capture s'arrête.").arg(file));
  ExpectWhole(file, taken->load());
}

INSTANTIATE_TEST_SUITE_P(Formats, FaultMatrix, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Format>& info) {
                           std::string name;
                           for (const char c : std::string(info.param.name)) name += std::isalnum(c) ? c : '_';
                           return name;
                         });
