#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "capture/captureengine.h"
#include "capture/preview.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "control/capturejournal.h"
#include "control/capturesession.h"
#include "support/aviwalk.h"

namespace {

// An engine previewing the simulated camcorder, and a session on it.
class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    devices_.Refresh(TSimulatedDeviceProvider(1).Devices(), [](TDeviceKind k) { return k == dkDV || k == dkVideo; });
    videoSources_ = VideoSourcesOf(devices_);
    audioSources_ = AudioSourcesOf(devices_);
    engine_ = std::make_unique<TCaptureEngine>();
    session_ = std::make_unique<TCaptureSession>(*engine_);
  }
  void TearDown() override {
    session_.reset();
    engine_.reset();
  }
  void Preview(const QString& name) {
    for (auto& source : videoSources_)
      if (source->Name == name) ASSERT_TRUE(ActivateVideoSource(*engine_, *source));
    ASSERT_TRUE(Play(*engine_));
  }
  static void Wait(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  QString File(const char* name) const { return dir_.filePath(name); }

  QTemporaryDir dir_;
  TCaptureDeviceList devices_;
  std::vector<std::unique_ptr<TVideoSource>> videoSources_;
  std::vector<std::unique_ptr<TAudioSource>> audioSources_;
  std::unique_ptr<TCaptureEngine> engine_;
  std::unique_ptr<TCaptureSession> session_;
};

}  // namespace

TEST_F(Session, failures_come_back_with_a_reason_in_french) {
  const TOutcome none = session_->Start(2, File("x.avi"), {});
  ASSERT_FALSE(none);
  EXPECT_EQ(none.failure().reason, TCaptureFailure::Reason::NoVideoSource);
  EXPECT_EQ(none.failure().Text(), "Aucune source vidéo n'est active.");
  EXPECT_EQ(session_->Stop().failure().Text(), "Aucune capture n'est en cours.");

  // The MPEG encoder's program stream goes into no AVI writer: nothing is
  // left of the branch and the preview runs again.
  Preview("Encodeur MPEG-2 simulé");
  const int preview = engine_->graph().ElementCount();
  const TOutcome refused = session_->Start(5, File("refus.avi"), {});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.failure().Text(), "Impossible de préparer la capture au format « avi natif ».");
  EXPECT_EQ(engine_->graph().ElementCount(), preview);
  EXPECT_TRUE(engine_->graph().Running());
  EXPECT_FALSE(session_->recording());
}

TEST_F(Session, a_change_asked_for_while_another_is_under_way_is_refused) {
  Preview("DV Source - Video");
  {
    const TCaptureEngine::Change change(*engine_);  // a graph change that pumps events
    const TOutcome refused = session_->Start(2, File("x.avi"), {});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.failure().reason, TCaptureFailure::Reason::Busy);
    EXPECT_FALSE(session_->recording());
  }
  EXPECT_TRUE(session_->Start(2, File("x.avi"), {}).ok());
  EXPECT_TRUE(session_->Stop().ok());
}

TEST_F(Session, start_cut_stop_writes_every_frame_into_the_parts) {
  TCaptureJournal journal(File("journal"));
  session_ = std::make_unique<TCaptureSession>(*engine_, &journal);
  Preview("DV Source - Video");
  ASSERT_TRUE(session_->Start(2, File("part.avi"), {}).ok());
  EXPECT_EQ(journal.Unfinished(), QStringList{File("part.avi")});  // listed while it is written
  Wait(1000);
  ASSERT_TRUE(session_->Cut(File("part-2.avi")).ok());
  EXPECT_EQ(journal.Unfinished(), QStringList{File("part-2.avi")});
  Wait(1000);
  ASSERT_TRUE(session_->Stop().ok());
  EXPECT_TRUE(journal.Unfinished().isEmpty());
  EXPECT_TRUE(engine_->graph().Running());  // back to the preview
  EXPECT_EQ(session_->files(), (QStringList{File("part.avi"), File("part-2.avi")}));
  std::uint64_t frames = 0;
  for (const QString& file : session_->files()) {
    const AviContents avi = ReadAvi(file, false);
    EXPECT_TRUE(avi.valid) << file.toStdString();
    EXPECT_GT(avi.video.size(), 10u);
    frames += avi.video.size();
  }
  EXPECT_EQ(frames, session_->framesWritten());
}

namespace {

// A small file system of its own, so that a disk fills up for real; none
// where the test may not mount one.
class SmallDisk {
 public:
  explicit SmallDisk(int megabytes) {
    mounted_ = QProcess::execute(
                   "mount", {"-t", "tmpfs", "-o", QString("size=%1m").arg(megabytes), "tmpfs", folder_.path()}) == 0;
  }
  ~SmallDisk() {
    if (mounted_) QProcess::execute("umount", {folder_.path()});
  }
  bool mounted() const { return mounted_; }
  QString File(const char* name) const { return folder_.filePath(name); }

 private:
  QTemporaryDir folder_;
  bool mounted_ = false;
};

}  // namespace

TEST_F(Session, a_disk_that_fills_up_stops_the_recording_with_its_file_finished_and_the_preview_running) {
  for (const bool reserve : {true, false}) {
    SmallDisk disk(12);
    if (!disk.mounted()) GTEST_SKIP() << "no small file system can be mounted here";
    // Without a reserve the disk really runs out: the writer fails.
    engine_->diskReserveBytes = reserve ? 4ull * 1024 * 1024 : 0;
    if (!engine_->context.CurrentVideoSource) Preview("DV Source - Video");
    const QString file = disk.File("plein.avi");
    ASSERT_TRUE(session_->Start(2, file, {}).ok());
    std::optional<TCaptureFailure> failure;
    engine_->graph().onEvent = [&](const graph::GraphEvent& event) {
      if (auto reported = session_->HandleEvent(event)) failure = reported;
    };
    QElapsedTimer clock;
    clock.start();
    while (!failure && clock.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    engine_->graph().onEvent = nullptr;
    ASSERT_TRUE(failure) << reserve;
    EXPECT_FALSE(session_->recording());
    if (reserve) {
      EXPECT_EQ(failure->reason, TCaptureFailure::Reason::DiskFull);
      EXPECT_EQ(failure->Text(), QString("Disque plein : « %1 » est terminé et la capture s'arrête.").arg(file));
      const AviContents avi = ReadAvi(file, false);
      EXPECT_TRUE(avi.valid);
      EXPECT_TRUE(avi.hasLegacyIndex);  // finished: its index found room
      EXPECT_EQ(avi.totalFrames, avi.video.size());
      EXPECT_GT(avi.video.size(), 10u);
    } else {
      EXPECT_EQ(failure->reason, TCaptureFailure::Reason::WriteFailed);
      EXPECT_TRUE(failure->Text().startsWith(QString("Écriture impossible dans « %1 »").arg(file)))
          << failure->Text().toStdString();
    }
    // The preview goes on (a loaded machine may take a moment to restart it).
    const std::uint64_t before = engine_->renderer().framesReceived();
    QElapsedTimer restart;
    restart.start();
    while (engine_->renderer().framesReceived() <= before + 5 && restart.elapsed() < 3000) Wait(50);
    EXPECT_GT(engine_->renderer().framesReceived(), before + 5) << reserve;
  }
}

TEST_F(Session, a_source_lost_while_recording_ends_with_its_file_finished) {
  Preview("DV Source - Video");
  const QString file = File("perdu.avi");
  ASSERT_TRUE(session_->Start(2, file, {}).ok());
  Wait(1000);
  // The camcorder's source fails as an unplugged device does.
  const gst::ElementPtr source = engine_->graph().FindByName(engine_->graph().currentSource);
  ASSERT_TRUE(source);
  std::optional<TCaptureFailure> failure;
  engine_->graph().onEvent = [&](const graph::GraphEvent& event) {
    if (auto reported = session_->HandleEvent(event)) failure = reported;
  };
  const gst::ErrorPtr error(g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "device gone"));
  gst_element_post_message(source.get(), gst_message_new_error(GST_OBJECT(source.get()), error.get(), nullptr));
  QElapsedTimer clock;
  clock.start();
  while (!failure && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  engine_->graph().onEvent = nullptr;
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->reason, TCaptureFailure::Reason::DeviceLost);
  EXPECT_EQ(failure->Text(),
            QString("La source ne répond plus : « %1 » est terminé et la capture s'arrête.").arg(file));
  const AviContents avi = ReadAvi(file, false);
  EXPECT_TRUE(avi.hasLegacyIndex);
  EXPECT_GT(avi.video.size(), 10u);
}

TEST_F(Session, a_writer_that_fails_to_close_its_file_is_not_called_finished) {
  Preview("DV Source - Video");
  const QString file = File("ferme.avi");
  ASSERT_TRUE(session_->Start(2, file, {}).ok());
  Wait(500);
  // The writer reports a failure at the end, as a close on a broken disk does.
  GstElement* writer = CurrentCaptureBranch(*engine_)->sink.get();
  const gst::ErrorPtr error(g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_CLOSE, "close failed"));
  gst_element_post_message(writer, gst_message_new_error(GST_OBJECT(writer), error.get(), nullptr));
  const TOutcome stopped = session_->Stop();
  ASSERT_FALSE(stopped);
  EXPECT_EQ(stopped.failure().reason, TCaptureFailure::Reason::NotFinished);
  EXPECT_EQ(stopped.failure().Text(), QString("Le fichier « %1 » n'a pas pu être terminé : close failed.").arg(file));
  EXPECT_TRUE(engine_->graph().Running());  // the preview goes on
}
