// Stills from the overlay's grab ring to the files: one still per request,
// the ring's slots always given back, questions that hold later stills
// back, the shape and the preview, the files as written, and saves that
// fail without leaving anything behind or stacking messages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>
#include <vector>

#include "control/sessioncontrol.h"
#include "control/stillgrab.h"
#include "media/filters/vx_superposer.h"
#include "media/formats/stillwriter.h"
#include "support/tempfolder.h"

namespace {

constexpr int kWidth = 720, kHeight = 576, kStride = 2160, kMark = 48;
constexpr std::int64_t kFrame = 400000;  // 40 ms in 100 ns units

struct Posts : TFilterHost {
  std::vector<int> grabbed;  // slots, in order
  std::vector<std::int64_t> countdown;
  void PostNotification(int message, std::intptr_t first, std::intptr_t second) override {
    if (message == kNotifyGrabbedFrame) grabbed.push_back(static_cast<int>(second));
    if (message == kNotifyIntervalCountdown) countdown.push_back(first);
  }
  void QualityChanged() override {}
};

// A PAL picture with a red mark at its top-left corner on a grey ramp, so
// that a turned or mirrored still shows it elsewhere.
class Feed {
 public:
  Feed() : input(static_cast<std::size_t>(kStride) * kHeight), output(input.size()) {
    overlay.setHost(&posts);
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
        const bool mark = x < kMark && y < kMark;
        const auto grey = static_cast<std::uint8_t>(60 + x / 8);
        p[0] = mark ? 0 : grey, p[1] = mark ? 0 : grey, p[2] = mark ? 255 : grey;
      }
  }
  void Frame() {
    TMediaSample in;
    in.data = input.data();
    in.size = input.size();
    in.start = frame_++ * kFrame;
    TMediaSample out = in;
    out.data = output.data();
    overlay.Transform(in, out);
  }
  // Frames until the overlay has posted another grab; its slot.
  int Grab() {
    overlay.RequestGrab();
    const std::size_t before = posts.grabbed.size();
    Frame();
    return posts.grabbed.size() > before ? posts.grabbed.back() : -1;
  }
  int FullSlots() const {
    int full = 0;
    for (int slot = 0; slot < Tvx_Superposer::kGrabSlots; ++slot) full += overlay.SlotFull(slot);
    return full;
  }

  Tvx_Superposer overlay;
  Posts posts;
  std::vector<std::uint8_t> input, output;

 private:
  std::int64_t frame_ = 0;
};

// What the window gives the grabber, recorded.
struct Window {
  QString folder;
  int counter = 0;
  int extension = 0, quality = 75;
  bool confirm = true, imageByImage = false;
  QSize aspect{0, 0};
  std::function<TAnswer(const QString&)> answer = [](const QString&) { return TAnswer::Yes; };
  QStringList questions, told;
  std::vector<TDataFichier> listed;
  int timeLapseFrames = 0, shown = 0;

  QString Name(int n) const {
    return folder + QString("/Image_%1.%2").arg(n, 5, 10, QChar('0')).arg(extension == 0 ? "bmp" : "jpg");
  }
  TGrabHooks Hooks() {
    TGrabHooks hooks;
    hooks.imageByImage = [this] { return imageByImage; };
    hooks.imageGrabbed = [this] { ++timeLapseFrames; };
    hooks.deinterlace = [] { return true; };
    hooks.aspect = [this] { return aspect; };
    hooks.showStill = [this](const QImage&) { ++shown; };
    hooks.nomImage = [this] { return Name(counter); };
    hooks.nomImageSuivant = [this] { return Name(++counter); };
    hooks.extension = [this] { return extension; };
    hooks.quality = [this] { return quality; };
    hooks.confirmImage = [this] { return confirm; };
    hooks.clearConfirmImage = [this] { confirm = false; };
    hooks.ask = [this](const QString& text, bool) {
      questions << text;
      return answer(text);
    };
    hooks.tell = [this](const QString& text) { told << text; };
    hooks.toTrash = [](const QString& file) { return QFile::remove(file); };
    hooks.panelTexts = [] { return QStringList{"DV Source - Video", "DV Source - Audio", "", "dv type 1 natif"}; };
    hooks.listed = [this](const TDataFichier& file) { listed.push_back(file); };
    return hooks;
  }
};

class Stills : public ::testing::Test {
 protected:
  Stills() { window.folder = temp.path(); }
  void Deliver() {
    for (const int slot : feed.posts.grabbed) grabber.FrameReady(slot);
    feed.posts.grabbed.clear();
  }
  TempFolder temp;
  Feed feed;
  Window window;
  TStillGrabber grabber{feed.overlay, window.Hooks()};
};

TEST_F(Stills, two_requests_before_a_frame_give_one_still) {
  feed.overlay.RequestGrab();
  feed.overlay.RequestGrab();
  feed.Frame();
  feed.Frame();
  ASSERT_EQ(feed.posts.grabbed.size(), 1u);
  Deliver();
  EXPECT_EQ(window.listed.size(), 1u);
  EXPECT_TRUE(QFileInfo::exists(window.Name(0)));
  EXPECT_FALSE(QFileInfo::exists(window.Name(1)));
  EXPECT_EQ(window.counter, 1);
  EXPECT_EQ(feed.FullSlots(), 0);
  // The record of a still: one frame captured, nothing known of losses.
  const TDataFichier& still = window.listed.front();
  EXPECT_EQ(still.fileName, window.Name(0));
  EXPECT_EQ(still.framesCaptured, 1);
  EXPECT_EQ(still.framesDropped, -1);
  EXPECT_EQ(still.size, QFileInfo(window.Name(0)).size());
  EXPECT_EQ(still.format, "dv type 1 natif");
}

TEST_F(Stills, confirm_answered_no_writes_nothing_keeps_the_name_and_frees_the_slot) {
  temp.write("Image_00000.bmp", "old");
  window.answer = [](const QString&) { return TAnswer::No; };
  grabber.FrameReady(feed.Grab());
  ASSERT_EQ(window.questions.size(), 1);
  EXPECT_EQ(window.questions[0],
            QString::fromUtf8("L'image Image_00000.bmp existe déjà. Voulez-vous la remplacer?\r\nSi vous cliquez sur "
                              "\"Tous\", alors plus aucune confirmation ne sera demandée"));
  EXPECT_EQ(temp.read("Image_00000.bmp"), "old");
  EXPECT_EQ(window.counter, 0);
  EXPECT_TRUE(window.listed.empty());
  EXPECT_EQ(feed.FullSlots(), 0);
  // "Tous" replaces it and asks no more.
  window.answer = [](const QString&) { return TAnswer::All; };
  grabber.FrameReady(feed.Grab());
  EXPECT_FALSE(window.confirm);
  EXPECT_NE(temp.read("Image_00000.bmp"), "old");
  EXPECT_EQ(window.counter, 1);
}

TEST_F(Stills, stills_arriving_during_a_question_wait_their_turn_and_a_full_ring_loses_grabs) {
  temp.write("Image_00000.bmp", "old");
  int asked = 0;
  window.answer = [&](const QString&) {
    if (++asked > 1) return TAnswer::Yes;
    // While the question is open the stream goes on: 25 grabs, and each
    // notification reaches the grabber.
    for (int i = 0; i < 25; ++i) grabber.FrameReady(feed.Grab());
    EXPECT_EQ(grabber.waiting(), 20);
    EXPECT_EQ(feed.FullSlots(), 20);  // the slot asked about was freed first
    return TAnswer::No;
  };
  grabber.FrameReady(feed.Grab());
  EXPECT_EQ(feed.overlay.lostGrabs(), 5u);
  // The first was refused; the next asked again and replaced it; the other
  // nineteen took new names without a question.
  EXPECT_EQ(window.questions.size(), 2);
  EXPECT_EQ(window.listed.size(), 20u);
  EXPECT_EQ(window.counter, 20);
  EXPECT_EQ(grabber.waiting(), 0);
  EXPECT_EQ(feed.FullSlots(), 0);
  EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files).size(), 20);
}

TEST(StillArithmetic, interval_units_are_64_bit_and_out_of_range_choices_come_to_the_nearest) {
  EXPECT_EQ(TStillGrabber::IntervalUnits(1, 10, 25.0), 4000);  // 10 frames at 25 frames/s
  EXPECT_EQ(TStillGrabber::IntervalUnits(1, 10, 29.97), 3340);
  EXPECT_EQ(TStillGrabber::IntervalUnits(1, 10, 0), 4000);  // no frame rate known: 25
  EXPECT_EQ(TStillGrabber::IntervalUnits(0, 3, 25.0), 30000);
  EXPECT_EQ(TStillGrabber::IntervalUnits(2, 2, 25.0), 1200000);
  EXPECT_EQ(TStillGrabber::IntervalUnits(3, 2, 25.0), 72000000);
  EXPECT_EQ(TStillGrabber::IntervalUnits(3, 999999, 25.0), std::int64_t{35999964000000});
  EXPECT_EQ(TStillGrabber::IntervalUnits(9, 1, 25.0), 36000000);   // unit: "heures"
  EXPECT_EQ(TStillGrabber::IntervalUnits(-1, 1, 25.0), 10000);     // unit: "secondes"
  EXPECT_EQ(TStillGrabber::IntervalUnits(0, 5000000, 25.0), std::int64_t{9999990000});
  EXPECT_EQ(ClampJpegQuality(0), 1);
  EXPECT_EQ(ClampJpegQuality(400), 100);
}

TEST(StillArithmetic, stills_shrink_one_side_to_the_aspect_and_the_preview_fits_its_box) {
  EXPECT_EQ(TStillGrabber::StillSize({720, 576}, 16, 9), QSize(720, 405));
  EXPECT_EQ(TStillGrabber::StillSize({720, 576}, 4, 3), QSize(720, 540));
  EXPECT_EQ(TStillGrabber::StillSize({640, 480}, 16, 9), QSize(640, 360));
  EXPECT_EQ(TStillGrabber::StillSize({720, 405}, 4, 3), QSize(540, 405));
  EXPECT_EQ(TStillGrabber::StillSize({720, 576}, 0, 0), QSize(720, 576));
  // Wide: 192 wide, resting on the box's bottom at 163.
  EXPECT_EQ(TStillGrabber::PreviewBounds({720, 405}), QRect(32, 55, 192, 108));
  // Tall: 144 high, centred across the box.
  EXPECT_EQ(TStillGrabber::PreviewBounds({400, 600}), QRect(80, 19, 96, 144));
}

TEST(StillCountdown, two_hours_count_down_from_7199_one_message_per_second_of_stream) {
  Feed feed;
  feed.overlay.StartIntervalGrab(TStillGrabber::IntervalUnits(3, 2, 25.0));
  for (int i = 0; i < 52; ++i) feed.Frame();  // frames 0 to 51: just past two seconds
  ASSERT_EQ(feed.posts.grabbed.size(), 1u);   // on the first frame
  ASSERT_GE(feed.posts.countdown.size(), 2u);
  EXPECT_EQ(feed.posts.countdown[0], 7199);
  EXPECT_EQ(feed.posts.countdown[1], 7198);
  EXPECT_EQ(feed.posts.countdown.size(), 3u);  // 7199, 7198, 7197
}

TEST_F(Stills, the_jpeg_keeps_size_and_orientation_and_the_bmp_reads_back_equal) {
  window.extension = 1;
  window.quality = 90;
  window.aspect = {16, 9};
  grabber.FrameReady(feed.Grab());
  QImage jpeg(window.Name(0));
  ASSERT_FALSE(jpeg.isNull());
  ASSERT_EQ(jpeg.size(), QSize(720, 405));
  // The mark is scaled with the picture (576 rows to 405) and stays at the
  // top left.
  EXPECT_GT(qRed(jpeg.pixel(10, 10)), 200);
  EXPECT_LT(qGreen(jpeg.pixel(10, 10)), 60);
  EXPECT_LT(qRed(jpeg.pixel(700, 10)) - qBlue(jpeg.pixel(700, 10)), 20);
  EXPECT_LT(qRed(jpeg.pixel(10, 395)) - qBlue(jpeg.pixel(10, 395)), 20);

  window.extension = 0;
  grabber.FrameReady(feed.Grab());
  const QImage bmp(window.Name(1));
  ASSERT_EQ(bmp.size(), QSize(720, 405));
  EXPECT_EQ(bmp.convertToFormat(QImage::Format_RGB888), grabber.still().convertToFormat(QImage::Format_RGB888));
  // The JPEG quality is the one asked for.
  EXPECT_LT(EncodeJpeg(grabber.still(), 10).size(), EncodeJpeg(grabber.still(), 95).size() / 2);
}

TEST(StillFiles, a_bmp_is_24_bit_bottom_up_with_rows_padded_to_four_bytes) {
  QImage picture(3, 2, QImage::Format_BGR888);
  picture.setPixelColor(0, 0, QColor(255, 0, 0));  // top-left red
  picture.setPixelColor(2, 1, QColor(0, 0, 255));  // bottom-right blue
  const QByteArray bmp = EncodeBmp(picture);
  const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bmp.constData() + at); };
  ASSERT_EQ(bmp.size(), 54 + 2 * 12);
  EXPECT_EQ(bmp.left(2), "BM");
  EXPECT_EQ(u32(2), 78u);
  EXPECT_EQ(u32(10), 54u);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(18), 3u);
  EXPECT_EQ(u32(22), 2u);  // positive height: the bottom row first
  EXPECT_EQ(qFromLittleEndian<quint16>(bmp.constData() + 28), 24);
  EXPECT_EQ(u32(34), 24u);
  // First stored row is the bottom one: its last pixel is blue (B, G, R).
  EXPECT_EQ(bmp.mid(54 + 6, 3), QByteArray("\xff\x00\x00", 3));
  // Second stored row is the top one: its first pixel is red.
  EXPECT_EQ(bmp.mid(54 + 12, 3), QByteArray("\x00\x00\xff", 3));
  EXPECT_EQ(QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_BGR888), picture);
}

TEST_F(Stills, a_missing_image_folder_is_made_with_its_parents) {
  window.folder = temp.file("Photos/2026/décembre");
  grabber.FrameReady(feed.Grab());
  EXPECT_TRUE(QFileInfo(window.Name(0)).isFile());
  EXPECT_TRUE(window.told.isEmpty());
}

TEST_F(Stills, an_unwritable_folder_says_so_once_and_a_good_folder_saves_again) {
  temp.write("blocker", "a file where the folder should be");
  window.folder = temp.file("blocker/Images");
  window.extension = 1;
  window.confirm = false;
  feed.overlay.StartIntervalGrab(TStillGrabber::IntervalUnits(1, 1, 25.0));
  for (int i = 0; i < 25; ++i) {
    feed.Frame();
    Deliver();
  }
  EXPECT_EQ(window.told.size(), 1);
  EXPECT_TRUE(window.told[0].startsWith(QString::fromUtf8("L'image ") + window.Name(0)));
  EXPECT_TRUE(window.listed.empty());
  EXPECT_EQ(window.counter, 0);  // the name is kept for the next try
  EXPECT_EQ(feed.FullSlots(), 0);
  EXPECT_TRUE(grabber.failureTold());
  EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"blocker"});

  window.folder = temp.file("Images");
  feed.Frame();
  Deliver();
  EXPECT_TRUE(QFileInfo(window.Name(0)).isFile());
  EXPECT_EQ(window.listed.size(), 1u);
  EXPECT_FALSE(grabber.failureTold());
  // Failing again after a success is worth a new message.
  window.folder = temp.file("blocker/Images");
  feed.Frame();
  Deliver();
  EXPECT_EQ(window.told.size(), 2);
}

TEST_F(Stills, during_a_time_lapse_capture_a_grab_lets_a_frame_in_instead_of_saving) {
  window.imageByImage = true;
  grabber.FrameReady(feed.Grab());
  grabber.FrameReady(feed.Grab());
  EXPECT_EQ(window.timeLapseFrames, 2);
  EXPECT_EQ(window.shown, 0);
  EXPECT_TRUE(window.listed.empty());
  EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files).size(), 0);
  EXPECT_EQ(feed.FullSlots(), 0);
}

}  // namespace
