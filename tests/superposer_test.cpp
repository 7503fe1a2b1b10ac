#include <gtest/gtest.h>

#include <vector>

#include "media/filters/dateformat.h"
#include "media/filters/vx_scenedetect.h"
#include "media/filters/vx_superposer.h"
#include "support/dvframes.h"

namespace {

constexpr int kWidth = 720, kHeight = 576, kStride = 2160;
// 2024-07-14 (a Sunday) 10:05:09, in days since 1899-12-30.
const double kSunday = *DateTimeToDays({2024, 7, 14, 10, 5, 9});

struct Posted : TFilterHost {
  std::vector<std::pair<int, std::intptr_t>> messages;  // (message, first or second parameter)
  void PostNotification(int message, std::intptr_t first, std::intptr_t second) override {
    messages.emplace_back(message, message == kNotifyIntervalCountdown ? first : second);
  }
  void QualityChanged() override {}
  int Count(int message) const {
    return static_cast<int>(
        std::count_if(messages.begin(), messages.end(), [&](auto& m) { return m.first == message; }));
  }
};

// An overlay on PAL pictures, fed frames 40 ms apart.
class Overlay {
 public:
  Overlay() : input(static_cast<std::size_t>(kStride) * kHeight), output(input.size()) {
    overlay.setHost(&host);
    overlay.clock = [] { return kSunday; };
    TMediaType type{.major = MediaMajor::Video,
                    .subtype = MediaSubtype::Rgb24,
                    .width = kWidth,
                    .height = kHeight,
                    .stride = kStride,
                    .frameRateNumerator = 25,
                    .frameRateDenominator = 1};
    overlay.CheckInputType(type);
    overlay.InputTypeSet(type);
    overlay.StartStreaming();
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        std::uint8_t* p = &input[static_cast<std::size_t>(y) * kStride + 3 * x];
        p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y), p[2] = 40;
      }
  }
  FilterResult Frame() {
    TMediaSample in;
    in.data = input.data();
    in.size = input.size();
    in.start = frame_ * kFrameDuration25;
    TMediaSample out = in;
    out.data = output.data();
    ++frame_;
    return overlay.Transform(in, out);
  }
  void Show(TincrustRec record) {
    overlay.setincrust(record);
    overlay.SetIncrustEnabled(true);
  }
  const std::uint8_t* In(int x, int y) const { return &input[static_cast<std::size_t>(y) * kStride + 3 * x]; }
  const std::uint8_t* Out(int x, int y) const { return &output[static_cast<std::size_t>(y) * kStride + 3 * x]; }
  bool Changed(int x0, int y0, int x1, int y1) const {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (!std::equal(In(x, y), In(x, y) + 3, Out(x, y))) return true;
    return false;
  }

  Tvx_Superposer overlay;
  Posted host;
  std::vector<std::uint8_t> input, output;

 private:
  std::int64_t frame_ = 0;
};

TincrustRec Record(std::uint8_t what, const QString& line1 = {}, const QString& line2 = {}) {
  TincrustRec record;
  record.whatIncrust = what;
  record.incrust1 = line1;
  record.incrust2 = line2;
  return record;
}

}  // namespace

TEST(DateFormat, french_desktop_texts) {
  EXPECT_EQ(FormatDateTime("ddddd", kSunday), "14/07/2024");
  EXPECT_EQ(FormatDateTime("dddddd", kSunday), "dimanche 14 juillet 2024");
  EXPECT_EQ(FormatDateTime("tt", kSunday), "10:05:09");
  EXPECT_EQ(FormatDateTime("t", kSunday), "10:05");
  EXPECT_EQ(FormatDateTime("d mmm yyyy", kSunday), "14 juil. 2024");
  EXPECT_EQ(FormatDateTime("ddddd tt", kSunday), "14/07/2024 10:05:09");
  EXPECT_EQ(FormatDateTime("dddddd tt", kSunday), "dimanche 14 juillet 2024 10:05:09");
  EXPECT_EQ(FormatDateTime("ddddd t", kSunday), "14/07/2024 10:05");
  EXPECT_EQ(FormatDateTime("d mmm yyyy", *DateTimeToDays({2000, 2, 1, 0, 0, 0})), "1 févr. 2000");
  EXPECT_EQ(FormatDateTime("\"le\" d/m/yy hh\"h\"nn", kSunday), "le 14/7/24 10h05");
  // Half a second before midnight shows the next day, not 23:59:59 of this one.
  EXPECT_EQ(FormatDateTime("ddddd tt", *DateTimeToDays({1999, 12, 31, 23, 59, 59}) + 0.6 / 86400),
            "01/01/2000 00:00:00");
}

TEST(Overlay, without_a_scene_detector_dates_and_time_codes_are_not_available) {
  Overlay o;
  o.Show(Record(wiDatecode));
  ASSERT_EQ(o.Frame(), FilterResult::Deliver);
  EXPECT_EQ(o.overlay.line1(), "N/A");
  EXPECT_EQ(o.overlay.line2(), "N/A");
  o.Show(Record(wiTimecode));
  o.Frame();
  EXPECT_EQ(o.overlay.line1(), "");
  EXPECT_EQ(o.overlay.line2(), "N/A");
  o.Show(Record(wiReel));
  o.Frame();
  EXPECT_EQ(o.overlay.line1(), "14/07/2024");
  EXPECT_EQ(o.overlay.line2(), "10:05:09");
}

TEST(Overlay, templates_take_placeholders_in_any_case) {
  Overlay o;
  Tvx_SceneDetect detector;
  std::vector<std::uint8_t> dv =
      MakeDvFrame({.date = dv::DateTime{2001, 2, 3, 4, 5, 6}, .timeCode = dv::TimeCode{1, 2, 3, 4}});
  TMediaSample sample;
  sample.data = dv.data();
  sample.size = dv.size();
  sample.start = 0;
  detector.Transform(sample);
  o.overlay.sceneDetector = &detector;
  o.Show(Record(wiPerso, "Le %d à %R", "%t - %T - %D%%"));
  o.Frame();
  EXPECT_EQ(o.overlay.line1(), "Le 03/02/2001 à 14/07/2024");
  EXPECT_EQ(o.overlay.line2(), "1:02:03:04 - 1:02:03:04 - 04:05:06%%");
  EXPECT_EQ(detector.readIndex.load(), 1);  // the slot of this frame, for the DV header filter
  EXPECT_TRUE(o.Changed(0, 0, kWidth, kHeight));
}

TEST(Overlay, lines_follow_the_anchor_and_are_clipped_at_the_edge) {
  Overlay o;
  TincrustRec record = Record(wiPerso, "HAUT", "BAS");
  record.alignement = alRight;
  record.xPos = 1000;
  record.yPos = 1000;
  o.Show(record);
  o.Frame();
  // Line 1 ends at the right edge just above the bottom; line 2 is below the
  // picture and nothing of it is drawn.
  EXPECT_TRUE(o.Changed(kWidth - 60, kHeight - 28, kWidth, kHeight));
  EXPECT_FALSE(o.Changed(0, 0, kWidth - 120, kHeight));
  EXPECT_FALSE(o.Changed(0, 0, kWidth, kHeight - 40));

  record.alignement = alLeft;
  record.xPos = 0;
  record.yPos = 500;
  o.Show(record);
  o.Frame();
  EXPECT_TRUE(o.Changed(0, 288 - 28, 60, 288));  // line 1 above the anchor
  EXPECT_TRUE(o.Changed(0, 288, 60, 288 + 28));  // line 2 below it
  EXPECT_FALSE(o.Changed(200, 0, kWidth, kHeight));
}

TEST(Overlay, off_copies_the_picture_and_only_a_bottom_up_source_is_turned) {
  Overlay o;
  o.Show(Record(wiPerso, "TEXTE"));
  o.overlay.SetFlip(true);
  o.overlay.SetMirror(true);
  o.overlay.activerSuperposition = false;
  o.Frame();
  EXPECT_EQ(o.output, o.input);
  o.overlay.sourceUpsideDown = true;
  o.Frame();
  EXPECT_TRUE(std::equal(o.In(0, 0), o.In(0, 0) + kStride, o.Out(0, kHeight - 1)));

  // Allowed again: flip and the bottom-up source cancel out, the mirror stays.
  o.overlay.activerSuperposition = true;
  o.overlay.SetIncrustEnabled(false);
  o.Frame();
  EXPECT_TRUE(std::equal(o.In(0, 5), o.In(0, 5) + 3, o.Out(kWidth - 1, 5)));
  o.overlay.sourceUpsideDown = false;
  o.overlay.SetMirror(false);
  o.Frame();
  EXPECT_TRUE(std::equal(o.In(3, 0), o.In(3, 0) + 3, o.Out(3, kHeight - 1)));
}

TEST(Overlay, once_mode_shows_the_text_for_its_duration_then_hides_it) {
  Overlay o;
  o.overlay.whenincrust(1, 1);  // once, one second
  EXPECT_EQ(o.overlay.durationFrames(), 25);
  o.Show(Record(wiPerso, "UNE FOIS"));
  int shown = 0;
  for (int i = 0; i < 60; ++i) {
    o.Frame();
    shown += o.Changed(0, 0, kWidth, kHeight);
  }
  EXPECT_EQ(shown, 23);
  // Scene mode: a jump in the tape's date shows it again.
  o.overlay.whenincrust(2, 1);
  Tvx_SceneDetect detector;
  o.overlay.sceneDetector = &detector;
  std::vector<std::uint8_t> dv = MakeDvFrame({.date = dv::DateTime{2001, 2, 3, 4, 5, 6}});
  TMediaSample sample;
  sample.data = dv.data();
  sample.size = dv.size();
  sample.start = 0;
  detector.Transform(sample);
  o.Frame();
  EXPECT_TRUE(o.Changed(0, 0, kWidth, kHeight));
}

TEST(Overlay, interval_grab_every_second_at_25_frames_a_second) {
  Overlay o;
  o.overlay.StartIntervalGrab(10000);  // one second in 100 µs units
  for (int i = 0; i < 75; ++i) {
    o.Frame();
    for (int slot = 0; slot < Tvx_Superposer::kGrabSlots; ++slot)
      if (o.overlay.SlotFull(slot)) o.overlay.ReleaseGrabSlot(slot);
  }
  EXPECT_EQ(o.host.Count(kNotifyGrabbedFrame), 3);  // frames 0, 25 and 50
  EXPECT_EQ(o.host.messages.front(), std::make_pair(kNotifyGrabbedFrame, std::intptr_t{1}));
  // Whole seconds left between grabs are 0: announced once, as 0.
  ASSERT_EQ(o.host.Count(kNotifyIntervalCountdown), 1);
  for (auto& [message, value] : o.host.messages) {
    if (message == kNotifyIntervalCountdown) {
      EXPECT_EQ(value, 0);
    }
  }
}

TEST(Overlay, a_requested_grab_fills_a_slot_until_the_window_releases_it) {
  Overlay o;
  o.overlay.RequestGrab();
  o.Frame();
  ASSERT_TRUE(o.overlay.SlotFull(1));
  const QImage& picture = o.overlay.GrabbedPicture(1);
  EXPECT_EQ(picture.width(), kWidth);
  EXPECT_EQ(picture.constScanLine(10)[3 * 7], 7);  // blue is the column
  EXPECT_EQ(picture.constScanLine(10)[3 * 7 + 1], 10);
  // Twenty more grabs without releasing: the ring comes back to slot 1,
  // which is full, and that grab is lost.
  for (int i = 0; i < 20; ++i) {
    o.overlay.RequestGrab();
    o.Frame();
  }
  EXPECT_EQ(o.host.Count(kNotifyGrabbedFrame), 20);
  o.overlay.ReleaseGrabSlot(1);
  EXPECT_FALSE(o.overlay.SlotFull(1));
}
