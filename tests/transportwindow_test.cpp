// The camcorder windows from the main window, on the simulated machine: the
// tape played, paused, wound and searched through the main window's camera
// commands, the preview's DV subcode following it, the keyboard target, the
// pilot buttons, and the stop sent at exit.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>
#include <QToolButton>
#include <mutex>

#include "actions/superaction.h"
#include "capture/simulated/simulatedtape.h"
#include "capture/transport.h"
#include "control/deckcontrol.h"
#include "media/formats/dvcodes.h"
#include "support/recordingdeck.h"
#include "support/simulatedwindow.h"
#include "ui/camform.h"

using namespace transport;

namespace {

class TransportWindow : public SimulatedWindow {
 protected:
  void Run(const char* command) {
    TCustomSuperAction* action = form_->al().FindByObjectName(command);
    ASSERT_TRUE(action) << command;
    action->Execute();
  }
  TcamForm& cam(int number) { return *form_->camForm(number); }
  std::shared_ptr<TSimulatedTape> tape(int number = 1) { return machine_->Tape(number); }
  bool ModeBecomes(int mode, int number = 1) {
    return WaitFor([&] { return tape(number)->mode() == mode; }, 3000);
  }

  // The time code of the last DV frame that reached the preview, in frames.
  void WatchSubcode() {
    GstElement* source = engine_.context.VideoSourceFilter.get();
    ASSERT_TRUE(source);
    const graph::PadPtr output(gst_element_get_static_pad(source, "src"));
    ASSERT_TRUE(output);
    subcode_ = std::make_shared<std::atomic<long>>(-1);
    probe_ = std::make_unique<gst::PadProbe>(
        output.get(), GST_PAD_PROBE_TYPE_BUFFER, [seen = subcode_](GstPad*, GstPadProbeInfo* info) {
          GstMapInfo map;
          GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
          if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_PAD_PROBE_OK;
          const dv::TimeCode code = dv::ReadTimeCode(map.data, map.size, 0);
          if (code.present()) *seen = ((code.hours * 60L + code.minutes) * 60 + code.seconds) * 25 + code.frames;
          gst_buffer_unmap(buffer, &map);
          return GST_PAD_PROBE_OK;
        });
    ASSERT_TRUE(WaitFor([this] { return *subcode_ >= 0; }));
  }
  void TearDown() override {
    if (probe_) probe_->Remove();
    SimulatedWindow::TearDown();
  }
  std::shared_ptr<std::atomic<long>> subcode_;
  std::unique_ptr<gst::PadProbe> probe_;
};

TEST_F(TransportWindow, the_camcorder_commands_move_the_tape_and_the_preview_follows) {
  Start();
  ASSERT_TRUE(WaitFor([this] { return cam(1).isVisible(); }));
  EXPECT_FALSE(cam(2).isVisible());
  EXPECT_TRUE(panel().sbVideoPilotVCR->isVisible());
  EXPECT_EQ(form_->keyboardTarget(), &cam(1));
  EXPECT_FALSE(cam(1).image1->isHidden());
  EXPECT_EQ(cam(1).windowTitle(), "DV Source");
  WatchSubcode();

  // Playing: two seconds are fifty frames, on the tape and in the preview.
  ASSERT_EQ(tape()->mode(), kModePlay);
  const double start = tape()->Position();
  Pump(2000);
  const double played = tape()->Position();
  EXPECT_NEAR(played - start, 50, 2);
  EXPECT_NEAR(double(*subcode_), played, 2);

  // Paused: both stand still, and the window shows where.
  Run("cam_Pause");
  ASSERT_TRUE(ModeBecomes(kModeFreeze));
  const double paused = tape()->Position();
  Pump(1000);
  EXPECT_EQ(tape()->Position(), paused);
  EXPECT_NEAR(double(*subcode_), paused, 1);
  std::uint32_t code = 0;
  ASSERT_TRUE(tape()->Timecode(code));
  EXPECT_TRUE(WaitFor([&] { return cam(1).TimecodePanel->text() == QString::fromStdString(TimecodeText(code)); }));
  // The recording date of that frame: day name, short date, long time.
  EXPECT_TRUE(QRegularExpression(R"(^\w+ \d\d/\d\d/\d{4} \d\d:\d\d:\d\d$)").match(cam(1).Label1->text()).hasMatch())
      << cam(1).Label1->text().toStdString();

  // Stopped, then wound back: lower on the tape.
  Run("cam_Stop");
  ASSERT_TRUE(ModeBecomes(kModeStop));
  Run("cam_ReculeRapide");
  ASSERT_TRUE(ModeBecomes(kModeRewind));
  Pump(300);
  EXPECT_LT(tape()->Position(), paused);

  // The slowest search forward, well under a fifth of real time.
  Run("cam_AvanceLent");
  ASSERT_TRUE(ModeBecomes(kModePlaySlowestForward));
  const double slow = tape()->Position();
  Pump(2000);
  EXPECT_GT(tape()->Position(), slow);
  EXPECT_LT(tape()->Position() - slow, 50 / 5.0);

  // Play/pause from the keyboard's command: it plays, then pauses.
  Run("cam_PlayPause");
  ASSERT_TRUE(ModeBecomes(kModePlay));
  Run("cam_PlayPause");
  ASSERT_TRUE(ModeBecomes(kModeFreeze));
}

// Every camera command of the main window reaches the keyboard target's deck
// with its mode; the fast winds read the deck's mode first.
TEST_F(TransportWindow, each_main_window_command_sends_its_mode) {
  auto deck = std::make_shared<RecordingDeck>();
  machine_->ReplaceTransport(1, deck);
  Start();
  ASSERT_TRUE(WaitFor([this] { return cam(1).nav->bar().deck() != nullptr; }));
  const std::pair<const char*, int> commands[] = {
      {"cam_Play", kModePlay},
      {"cam_Pause", kModeFreeze},
      {"cam_Stop", kModeStop},
      {"cam_AvanceLent", kModePlaySlowestForward},
      {"cam_ReculeLent", kModePlaySlowestReverse},
  };
  std::vector<int> expected;
  for (const auto& [command, mode] : commands) {
    Run(command);
    expected.push_back(mode);
  }
  ASSERT_TRUE(WaitFor([&] { return deck->sent().size() == expected.size(); }));
  deck->setMode(kModeStop);
  Run("cam_AvanceRapide");
  expected.push_back(kModeFastForward);
  ASSERT_TRUE(WaitFor([&] { return deck->sent().size() == expected.size(); }));
  deck->setMode(kModePlay);
  Run("cam_AvanceRapide");
  expected.push_back(kModePlayFastestForward);
  ASSERT_TRUE(WaitFor([&] { return deck->sent().size() == expected.size(); }));
  deck->setMode(kModeStop);
  Run("cam_ReculeRapide");
  expected.push_back(kModeRewind);
  ASSERT_TRUE(WaitFor([&] { return deck->sent().size() == expected.size(); }));
  deck->setMode(kModePlay);
  Run("cam_ReculeRapide");
  expected.push_back(kModePlayFastestReverse);
  ASSERT_TRUE(WaitFor([&] { return deck->sent().size() == expected.size(); }));
  EXPECT_EQ(deck->sent(), expected);
  // The main window's own keys: down winds forward, up winds back.
  EXPECT_EQ(form_->al().FindByObjectName("cam_AvanceRapide")->shortcut(), QKeySequence("Ctrl+Down"));
  EXPECT_EQ(form_->al().FindByObjectName("cam_ReculeRapide")->shortcut(), QKeySequence("Ctrl+Up"));
  EXPECT_EQ(form_->al().FindByObjectName("cam_Toggle")->shortcut(), QKeySequence("Ctrl+Home"));

  // The time code from the deck's digits; a deck that stops answering
  // leaves the panel as it was.
  deck->code_ = 0x00102530;
  ASSERT_TRUE(WaitFor([this] { return cam(1).TimecodePanel->text() == "0:10:25:30"; }));
  deck->answers_ = false;
  deck->code_ = 0x12000000;
  Pump(1000);
  EXPECT_EQ(cam(1).TimecodePanel->text(), "0:10:25:30");
}

TEST_F(TransportWindow, a_camera_that_is_not_a_deck_has_no_window) {
  auto camera = std::make_shared<RecordingDeck>();
  camera->type_ = DeviceType::Camera;
  machine_->ReplaceTransport(1, camera);
  Start();
  ASSERT_TRUE(WaitFor([this] { return cam(1).nav->bar().deck() != nullptr; }));
  Pump(400);
  EXPECT_FALSE(cam(1).isVisible());
  EXPECT_FALSE(panel().sbVideoPilotVCR->isVisible());
  Run("acShowVideoPilotDV");
  EXPECT_FALSE(cam(1).isVisible());
}

TEST_F(TransportWindow, the_pilot_button_shows_and_hides_the_window_and_it_is_remembered) {
  Start();
  ASSERT_TRUE(WaitFor([this] { return cam(1).isVisible(); }));
  panel().sbVideoPilotVCR->click();
  EXPECT_FALSE(cam(1).isVisible());
  Run("acShowVideoPilotDV");
  EXPECT_TRUE(cam(1).isVisible());
  Run("acShowVideoPilotDV");
  form_->close();
  form_.reset();
  Restart();
  Pump(500);
  EXPECT_FALSE(cam(1).isVisible());  // hidden when the program was left
  EXPECT_TRUE(panel().sbVideoPilotVCR->isVisible());
}

TEST_F(TransportWindow, the_keyboard_goes_to_the_other_window_only_when_it_is_shown) {
  machine_ = std::make_unique<TSimulatedDeviceProvider>(2);
  Start({"Preview Locked=0"});
  ASSERT_TRUE(WaitFor([this] { return cam(1).isVisible(); }));
  // One window shown: the toggle does nothing.
  Run("cam_Toggle");
  EXPECT_EQ(form_->keyboardTarget(), &cam(1));

  // The second camcorder's sound: its own window, and the keyboard can go there.
  Pick(panel().cboxAudio, "DV Source #2 - Audio");
  ASSERT_TRUE(WaitFor([this] { return cam(2).isVisible(); }));
  Run("cam_Toggle");
  EXPECT_EQ(form_->keyboardTarget(), &cam(2));
  EXPECT_FALSE(cam(2).image1->isHidden());
  EXPECT_TRUE(cam(1).image1->isHidden());
  Run("cam_Pause");
  ASSERT_TRUE(ModeBecomes(kModeFreeze, 2));
  EXPECT_EQ(tape(1)->mode(), kModePlay);

  // Its source let go: the window goes, and the keyboard comes back.
  Pick(panel().cboxAudio, QString::fromUtf8("Carte son simulée"));
  ASSERT_TRUE(WaitFor([this] { return !cam(2).isVisible(); }));
  EXPECT_EQ(form_->keyboardTarget(), &cam(1));
  EXPECT_FALSE(panel().sbAudioPilotVCR->isVisible());
}

// The camcorder's sound first, then its picture: its tape goes from window 2
// to window 1 and keeps playing.
TEST_F(TransportWindow, a_deck_that_changes_window_is_not_stopped) {
  Start({QString::fromUtf8("Source video=Webcam simulée")});
  ASSERT_TRUE(WaitFor([this] { return cam(2).isVisible(); }));
  EXPECT_FALSE(cam(1).isVisible());
  EXPECT_EQ(form_->keyboardTarget(), &cam(2));
  Pick(panel().cboxvideo, "DV Source - Video");
  ASSERT_TRUE(WaitFor([this] { return cam(1).isVisible() && !cam(2).isVisible(); }));
  EXPECT_EQ(form_->keyboardTarget(), &cam(1));
  Pump(400);
  EXPECT_EQ(tape()->mode(), kModePlay);
}

TEST_F(TransportWindow, stop_on_exit_stops_the_deck_only_when_ticked) {
  Start({"Stopper camera DV 1 en quittant=0"});
  ASSERT_TRUE(WaitFor([this] { return cam(1).isVisible(); }));
  EXPECT_FALSE(cam(1).cbStopQuittant->isChecked());
  form_->close();
  form_.reset();
  EXPECT_EQ(tape()->mode(), kModePlay);  // left running

  Restart();
  ASSERT_TRUE(WaitFor([this] { return cam(1).isVisible(); }));
  EXPECT_FALSE(cam(1).cbStopQuittant->isChecked());  // as it was saved
  cam(1).cbStopQuittant->setChecked(true);
  form_->close();
  form_.reset();
  EXPECT_EQ(tape()->mode(), kModeStop);
}

}  // namespace
