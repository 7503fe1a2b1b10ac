// The camcorder's transport without a deck: the time code's digits, the
// AV/C commands each mode becomes, the simulated tape's motion, and the bar
// and window on a deck that records what it is sent (or takes seconds to
// answer).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <thread>

#include "capture/avctransport.h"
#include "capture/simulated/simulatedtape.h"
#include "capture/transport.h"
#include "control/deckcontrol.h"
#include "support/recordingdeck.h"
#include "ui/camform.h"

using namespace transport;
using namespace std::chrono_literals;

namespace {

template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 4000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition() && clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return condition();
}

TEST(Timecode, packed_digits_read_as_the_panel_shows_them) {
  EXPECT_EQ(TimecodeText(0x00102530), "0:10:25:30");
  EXPECT_EQ(TimecodeText(0x12000000), "12:00:00:00");
  EXPECT_EQ(TimecodeText(0), "0:00:00:00");
  EXPECT_EQ(TimecodeFromText("01:23:45:12"), 0x01234512u);
  EXPECT_EQ(TimecodeFromText("00:00:10;05"), 0x00001005u);
  EXPECT_FALSE(TimecodeFromText("1:23:45:12"));
  EXPECT_FALSE(TimecodeFromText("--:--:--:--"));
  // 1 h 2 min 3 s and 4 frames at 25 frames a second.
  EXPECT_EQ(TimecodeFromFrames((3600 + 120 + 3) * 25 + 4, 25), 0x01020304u);
}

// --- AV/C ---------------------------------------------------------------------------

// A unit that logs the libavc1394 calls made on it and answers a status.
class AvcLog : public IAvcUnit {
 public:
  explicit AvcLog(std::vector<std::string>& log, std::optional<std::uint32_t>& status) : log_(log), status_(status) {}
  bool Play() override { return Log("play"); }
  bool Pause() override { return Log("pause"); }
  bool Stop() override { return Log("stop"); }
  bool Forward() override { return Log("forward"); }
  bool Rewind() override { return Log("rewind"); }
  bool TrickPlay(int speed) override { return Log("trick " + std::to_string(speed)); }
  std::optional<std::uint32_t> Status() override { return status_; }
  std::optional<std::string> Timecode() override {
    if (!status_) return std::nullopt;
    return std::string("00:10:25:30");
  }

 private:
  bool Log(const std::string& call) {
    log_.push_back(call);
    return true;
  }
  std::vector<std::string>& log_;
  std::optional<std::uint32_t>& status_;
};

constexpr std::uint32_t kStatusPlaying = 0xC375;
constexpr std::uint32_t kStatusPaused = 0xC37D;
constexpr std::uint32_t kStatusStopped = 0xC460;

TEST(AvcTransport, each_mode_is_the_libavc1394_call_that_does_it) {
  std::vector<std::string> log;
  std::optional<std::uint32_t> status = kStatusStopped;
  TAvcTransport deck(std::make_unique<AvcLog>(log, status), DeviceType::Vcr);
  const std::pair<int, const char*> expected[] = {
      {kModePlay, "play"},
      {kModeFreeze, "pause"},
      {kModeStop, "stop"},
      {kModeFastForward, "forward"},
      {kModeRewind, "rewind"},
      {kModePlayFastestForward, "trick 14"},
      {kModePlayFastestReverse, "trick -14"},
      {kModePlaySlowestForward, "trick 1"},
      {kModePlaySlowestReverse, "trick -1"},
  };
  for (const auto& [mode, call] : expected) {
    log.clear();
    EXPECT_TRUE(deck.SetMode(mode)) << mode;
    EXPECT_EQ(log, std::vector<std::string>{call}) << mode;
  }
  log.clear();
  EXPECT_FALSE(deck.SetMode(kModeRecord));  // never records over a tape
  EXPECT_TRUE(log.empty());

  // Play on a playing deck would slow it, pause on a paused one would play.
  status = kStatusPlaying;
  EXPECT_TRUE(deck.SetMode(kModePlay));
  status = kStatusPaused;
  EXPECT_TRUE(deck.SetMode(kModeFreeze));
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(deck.SetMode(kModePlay));
  EXPECT_EQ(log, std::vector<std::string>{"play"});
}

TEST(AvcTransport, the_status_and_the_time_code_read_back) {
  const std::pair<std::uint32_t, int> statuses[] = {
      {kStatusPlaying, kModePlay},       {kStatusPaused, kModeFreeze},         {kStatusStopped, kModeStop},
      {0xC475, kModeFastForward},        {0xC465, kModeRewind},                {0xC33F, kModePlayFastestForward},
      {0xC331, kModePlaySlowestForward}, {0xC34F, kModePlayFastestReverse},    {0xC341, kModePlaySlowestReverse},
      {0xC338, kModePlay},               {0xC100, kModeStop},                  {0xC200, kModeRecord},
  };
  for (const auto& [status, mode] : statuses) EXPECT_EQ(TAvcTransport::ModeOfStatus(status), mode) << std::hex << status;
  EXPECT_FALSE(TAvcTransport::ModeOfStatus(0x0000));

  std::vector<std::string> log;
  std::optional<std::uint32_t> status = kStatusPlaying;
  TAvcTransport deck(std::make_unique<AvcLog>(log, status), DeviceType::Camera);
  EXPECT_EQ(deck.Type(), DeviceType::Camera);
  int mode = 0;
  std::uint32_t code = 0;
  ASSERT_TRUE(deck.Mode(mode));
  EXPECT_EQ(mode, kModePlay);
  ASSERT_TRUE(deck.Timecode(code));
  EXPECT_EQ(code, 0x00102530u);
  // A unit that does not answer.
  status.reset();
  EXPECT_FALSE(deck.Mode(mode));
  EXPECT_FALSE(deck.Timecode(code));
}

// --- The simulated tape ------------------------------------------------------------

class Tape : public ::testing::Test {
 protected:
  std::chrono::steady_clock::time_point now_{};
  TSimulatedTape tape_{TSimulatedTape::kDefaultLength, [this] { return now_; }};
  void Wait(double seconds) { now_ += std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds)); }
};

TEST_F(Tape, plays_at_first_and_moves_as_each_mode_says) {
  EXPECT_EQ(tape_.mode(), kModePlay);
  Wait(2);
  EXPECT_NEAR(tape_.Position(), 50, 1e-6);
  std::uint32_t code = 0;
  ASSERT_TRUE(tape_.Timecode(code));
  EXPECT_EQ(code, 0x00000200u);  // 0:00:02:00

  ASSERT_TRUE(tape_.SetMode(kModeFreeze));
  Wait(5);
  EXPECT_NEAR(tape_.Position(), 50, 1e-6);
  TSimulatedTape::Frame frame = tape_.Current();
  EXPECT_TRUE(frame.picture);  // a still frame
  EXPECT_FALSE(frame.sound);

  ASSERT_TRUE(tape_.SetMode(kModePlaySlowestForward));
  Wait(10);
  EXPECT_NEAR(tape_.Position(), 75, 1e-6);  // a tenth of the speed
  ASSERT_TRUE(tape_.SetMode(kModePlayFastestForward));
  Wait(1);
  EXPECT_NEAR(tape_.Position(), 325, 1e-6);
  ASSERT_TRUE(tape_.SetMode(kModePlayFastestReverse));
  Wait(1);
  EXPECT_NEAR(tape_.Position(), 75, 1e-6);

  ASSERT_TRUE(tape_.SetMode(kModeStop));
  Wait(3);
  EXPECT_FALSE(tape_.Current().picture);
  ASSERT_TRUE(tape_.SetMode(kModeFastForward));
  Wait(1);
  EXPECT_NEAR(tape_.Position(), 75 + 500, 1e-6);
  EXPECT_FALSE(tape_.Current().picture);  // winding shows nothing
  EXPECT_FALSE(tape_.SetMode(kModeRecord));
}

TEST_F(Tape, stops_at_either_end) {
  ASSERT_TRUE(tape_.SetMode(kModeRewind));
  Wait(1);
  EXPECT_EQ(tape_.Position(), 0);
  EXPECT_EQ(tape_.mode(), kModeStop);
  ASSERT_TRUE(tape_.SetMode(kModeFastForward));
  Wait(4 * 3600);
  EXPECT_EQ(tape_.Position(), TSimulatedTape::kDefaultLength - 1);
  EXPECT_EQ(tape_.mode(), kModeStop);
}

// --- The bar and the window ----------------------------------------------------------

class Bar : public ::testing::Test {
 protected:
  void SetUp() override { form_.nav->bar().Bind(deck_); }
  TTransportBar& bar() { return form_.nav->bar(); }
  // Every job sent so far has run.
  bool Drained() {
    return WaitFor([this] { return bar().worker().pending() == 0; });
  }
  std::shared_ptr<RecordingDeck> deck_ = std::make_shared<RecordingDeck>();
  TcamForm form_{1};
};

TEST_F(Bar, every_button_sends_its_mode) {
  const std::pair<QAction*, int> buttons[] = {
      {form_.nav->cam_Play, kModePlay},
      {form_.nav->cam_Pause, kModeFreeze},
      {form_.nav->cam_Stop, kModeStop},
      {form_.nav->cam_AvanceLent, kModePlaySlowestForward},
      {form_.nav->cam_ReculeLent, kModePlaySlowestReverse},
  };
  std::vector<int> expected;
  for (const auto& [action, mode] : buttons) {
    action->trigger();
    expected.push_back(mode);
  }
  ASSERT_TRUE(Drained());
  EXPECT_EQ(deck_->sent(), expected);
  // The window's own keys.
  EXPECT_EQ(form_.nav->cam_AvanceRapide->shortcut(), QKeySequence("Ctrl+Up"));
  EXPECT_EQ(form_.nav->cam_ReculeRapide->shortcut(), QKeySequence("Ctrl+Down"));
  EXPECT_EQ(form_.nav->cam_PlayPause->shortcut(), QKeySequence(Qt::Key_Insert));
}

TEST_F(Bar, fast_winds_when_stopped_and_searches_while_playing) {
  deck_->setMode(kModeStop);
  form_.nav->cam_AvanceRapide->trigger();
  ASSERT_TRUE(Drained());
  deck_->setMode(kModeStop);
  form_.nav->cam_ReculeRapide->trigger();
  ASSERT_TRUE(Drained());
  deck_->setMode(kModePlay);
  form_.nav->cam_AvanceRapide->trigger();
  ASSERT_TRUE(Drained());
  deck_->setMode(kModePlay);
  form_.nav->cam_ReculeRapide->trigger();
  ASSERT_TRUE(Drained());
  EXPECT_EQ(deck_->sent(),
            (std::vector<int>{kModeFastForward, kModeRewind, kModePlayFastestForward, kModePlayFastestReverse}));
}

TEST_F(Bar, play_pause_pauses_a_playing_deck_and_plays_otherwise) {
  deck_->setMode(kModePlay);
  form_.nav->cam_PlayPause->trigger();
  ASSERT_TRUE(WaitFor([this] { return form_.nav->cam_PlayPause->text() == "Play" && deck_->sent().size() == 1; }));
  EXPECT_FALSE(bar().playPauseChecked());
  form_.nav->cam_PlayPause->trigger();  // now paused: it plays
  ASSERT_TRUE(WaitFor([this] { return bar().playPauseChecked(); }));
  EXPECT_EQ(form_.nav->cam_PlayPause->text(), "Pause");
  EXPECT_EQ(form_.nav->cam_PlayPause->toolTip(), "Mettre le camescope en Pause");
  deck_->setMode(kModeFastForward);  // winding: it plays
  form_.nav->cam_PlayPause->trigger();
  ASSERT_TRUE(Drained());
  EXPECT_EQ(deck_->sent(), (std::vector<int>{kModeFreeze, kModePlay, kModePlay}));
}

TEST_F(Bar, the_time_code_and_the_date_shown_and_left_when_none_is_read) {
  deck_->code_ = 0x00102530;
  form_.Refresh(45000.5);  // 15/03/2023 12:00:00
  ASSERT_TRUE(WaitFor([this] { return form_.TimecodePanel->text() == "0:10:25:30"; }));
  EXPECT_EQ(form_.Label1->text(), QString::fromUtf8("mercredi 15/03/2023 12:00:00"));
  deck_->code_ = 0x12000000;
  form_.Refresh(0);  // no date on this frame
  ASSERT_TRUE(WaitFor([this] { return form_.TimecodePanel->text() == "12:00:00:00"; }));
  EXPECT_EQ(form_.Label1->text(), "");

  // A deck without a reader, then one that gives nothing: the labels stay.
  form_.Label1->setText("avant");
  deck_->reader_ = false;
  deck_->code_ = 0x00000001;
  form_.Refresh(45000.5);
  deck_->reader_ = true;
  deck_->answers_ = false;
  form_.Refresh(45000.5);
  ASSERT_TRUE(Drained());
  QApplication::processEvents();
  EXPECT_EQ(form_.TimecodePanel->text(), "12:00:00:00");
  EXPECT_EQ(deck_->reads_, 3);  // the reader-less refresh asked nothing
}

TEST_F(Bar, no_deck_bound_sends_nothing) {
  bar().Bind(nullptr);
  for (QAction* action : {form_.nav->cam_Play, form_.nav->cam_AvanceRapide, form_.nav->cam_PlayPause}) action->trigger();
  form_.Refresh(45000.5);
  ASSERT_TRUE(Drained());
  EXPECT_TRUE(deck_->sent().empty());
  EXPECT_EQ(form_.TimecodePanel->text(), "0:00:00:00");
  EXPECT_TRUE(bar().StopAndWait(100ms));
}

// A deck that takes two seconds a command: the window's loop never waits for
// it, the polls do not pile up, and the stop at exit waits only so long.
TEST_F(Bar, a_slow_deck_leaves_the_window_responsive) {
  deck_->delayMs_ = 2000;
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longest = 0;
  QTimer tick;
  tick.setInterval(5);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  });
  tick.start();
  form_.nav->cam_Play->trigger();
  form_.nav->cam_AvanceRapide->trigger();
  form_.nav->cam_PlayPause->trigger();
  for (int i = 0; i < 10; ++i) {
    form_.Refresh(0);
    WaitFor([] { return false; }, 300);
  }
  EXPECT_LT(longest, 50);
  EXPECT_LE(deck_->reads_, 1);  // one read at most behind the commands
  QElapsedTimer wait;
  wait.start();
  EXPECT_FALSE(bar().StopAndWait(300ms));
  EXPECT_LT(wait.elapsed(), 1000);
}

}  // namespace
