#include <gtest/gtest.h>

#include <QFile>

#include "media/filters/vx_scenedetect.h"
#include "media/formats/deinter.h"
#include "media/formats/ecrire_scnunit.h"
#include "support/dvframes.h"
#include "support/tempfolder.h"

namespace {

struct Notifications : TFilterHost {
  std::vector<std::pair<int, std::intptr_t>> posted;
  void PostNotification(int message, std::intptr_t, std::intptr_t second) override {
    posted.emplace_back(message, second);
  }
  void QualityChanged() override {}
};

// Feeds frames to a scene detector and records the scenes it reports as
// (first frame, last frame) pairs.
class Tape {
 public:
  Tape() {
    detector.setHost(&host);
    detector.SetSceneCallback([this](const DvFrameInfo& start, const DvFrameInfo& current) {
      scenes.emplace_back(start.frameCount, current.frameCount);
    });
  }
  void Play(std::vector<std::uint8_t> frame, ReferenceTime start = 0) {
    TMediaSample sample;
    sample.data = frame.data();
    sample.size = frame.size();
    sample.start = start;
    EXPECT_EQ(detector.Transform(sample), FilterResult::Deliver);
    lastMediaStart = sample.mediaStart.value_or(-1);
  }
  // `count` frames one second apart (25 frames a second) from `first`.
  void PlayDated(int count, dv::DateTime first, int stepSeconds = 0) {
    for (int i = 0; i < count; ++i) Play(MakeDvFrame({.date = AddSeconds(first, i * stepSeconds)}));
  }
  void PlayUndated(int count) {
    for (int i = 0; i < count; ++i) Play(MakeDvFrame({.date = std::nullopt}));
  }

  Tvx_SceneDetect detector;
  Notifications host;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> scenes;
  std::int64_t lastMediaStart = -1;
};

const dv::DateTime kMorning{2024, 7, 14, 10, 0, 0};

}  // namespace

TEST(SceneDetect, accepts_dv_only) {
  Tvx_SceneDetect detector;
  EXPECT_EQ(detector.CheckInputType({.major = MediaMajor::Interleaved, .subtype = MediaSubtype::Dvsd}),
            FilterResult::Deliver);
  EXPECT_EQ(detector.CheckInputType({.major = MediaMajor::Video, .subtype = MediaSubtype::Dvsd}),
            FilterResult::Deliver);
  EXPECT_EQ(detector.CheckInputType({.major = MediaMajor::Video, .subtype = MediaSubtype::Rgb24}),
            FilterResult::Refuse);
  EXPECT_EQ(detector.CheckInputType({.major = MediaMajor::Audio, .subtype = MediaSubtype::Pcm}), FilterResult::Refuse);
}

TEST(SceneDetect, a_tape_without_dates_is_one_scene_closed_at_stop) {
  Tape tape;
  tape.PlayUndated(100);
  EXPECT_TRUE(tape.scenes.empty());
  tape.detector.Stop();
  ASSERT_EQ(tape.scenes.size(), 1u);
  // The first scene's start is recorded once the first frame is counted.
  EXPECT_EQ(tape.scenes[0], std::make_pair(1u, 100u));
}

TEST(SceneDetect, dates_two_seconds_apart_continue_and_more_is_a_new_scene) {
  Tape tape;
  tape.PlayDated(5, kMorning, 2);  // 2 seconds between frames: one scene
  EXPECT_TRUE(tape.scenes.empty());
  tape.PlayDated(1, AddSeconds(kMorning, 8 + 3));  // 3 seconds later: boundary at frame 5
  ASSERT_EQ(tape.scenes.size(), 1u);
  EXPECT_EQ(tape.scenes[0], std::make_pair(1u, 5u));
  tape.PlayDated(1, AddSeconds(kMorning, 11 - 3));  // backwards by 3 seconds: boundary at frame 6
  ASSERT_EQ(tape.scenes.size(), 2u);
  EXPECT_EQ(tape.scenes[1], std::make_pair(5u, 6u));
  tape.PlayDated(1, AddSeconds(kMorning, 8 - 2));  // backwards by 2: no boundary
  EXPECT_EQ(tape.scenes.size(), 2u);
  tape.detector.Stop();
  EXPECT_EQ(tape.scenes.back(), std::make_pair(6u, 8u));
}

TEST(SceneDetect, a_date_that_disappears_ends_the_scene_at_that_frame) {
  Tape tape;
  tape.PlayDated(10, kMorning);
  tape.PlayUndated(3);
  ASSERT_EQ(tape.scenes.size(), 1u);
  EXPECT_EQ(tape.scenes[0], std::make_pair(1u, 10u));
  // An undated first frame is no boundary.
  Tape undatedFirst;
  undatedFirst.PlayUndated(1);
  EXPECT_TRUE(undatedFirst.scenes.empty());
}

TEST(SceneDetect, a_date_that_comes_back_after_more_than_12_frames_is_a_new_scene) {
  // The scene starts at frame count 1; the date comes back `since` frames
  // later.
  for (const auto& [since, expectBoundary] : {std::pair{12u, false}, std::pair{13u, true}}) {
    SCOPED_TRACE(since);
    Tape tape;
    tape.PlayUndated(static_cast<int>(since) + 1);
    tape.PlayDated(1, kMorning);
    EXPECT_EQ(tape.scenes.size(), expectBoundary ? 1u : 0u);
    if (expectBoundary) {
      EXPECT_EQ(tape.scenes[0], std::make_pair(1u, since + 1));
    }
  }
}

TEST(SceneDetect, frames_are_numbered_and_kept_in_the_history_ring) {
  Tape tape;
  tape.Play(MakeDvFrame({.date = kMorning, .timeCode = dv::TimeCode{0, 1, 2, 3}}), 4000);
  EXPECT_EQ(tape.lastMediaStart, 0);
  EXPECT_EQ(tape.detector.writeIndex.load(), 1);  // the first stored slot is slot 1
  const auto& slot = tape.detector.slot(1);
  EXPECT_EQ(slot.info.frameCount, 1u);
  EXPECT_EQ(slot.info.frameIndex, 0);
  EXPECT_EQ(slot.startTime, 4000);
  EXPECT_EQ(slot.info.timeCode, (dv::TimeCode{0, 1, 2, 3}));
  EXPECT_TRUE(slot.info.hasAllPacks);
  EXPECT_EQ(slot.headers[dv::kRecordingDatePack], dv::kRecordingDatePackId);
  EXPECT_TRUE(tape.detector.SlotWrittenThisRun(1));
  EXPECT_DOUBLE_EQ(tape.detector.currentRecordingDate(), *DateTimeToDays(kMorning));
  EXPECT_EQ(tape.detector.currentVideoSystem(), dv::kSystem625);

  tape.PlayDated(99, kMorning);
  EXPECT_EQ(tape.detector.writeIndex.load(), 0);  // 100 frames: wrapped to slot 0
  EXPECT_EQ(tape.lastMediaStart, 99);

  // After a stop everything starts again at 0, and old slots are not this run's.
  tape.detector.Stop();
  EXPECT_FALSE(tape.detector.SlotWrittenThisRun(5));
  tape.PlayDated(1, kMorning);
  EXPECT_EQ(tape.lastMediaStart, 0);
  EXPECT_EQ(tape.detector.writeIndex.load(), 1);
  EXPECT_TRUE(tape.detector.SlotWrittenThisRun(1));
}

TEST(SceneDetect, a_short_sample_is_passed_on_and_nothing_is_stored) {
  Tape tape;
  tape.PlayDated(2, kMorning);
  std::vector<std::uint8_t> shortFrame = MakeDvFrame({.date = AddSeconds(kMorning, 100)});
  shortFrame.resize(dv::kFrameBytes525 - 1);
  tape.Play(shortFrame);
  EXPECT_EQ(tape.detector.writeIndex.load(), 2);
  EXPECT_EQ(tape.detector.current().frameCount, 2u);
  EXPECT_TRUE(tape.scenes.empty());
  tape.Play({});
}

TEST(SceneDetect, turning_16_9_and_back_is_announced) {
  Tape tape;
  tape.Play(MakeDvFrame({.wide = true}));
  tape.Play(MakeDvFrame({.wide = true}));
  tape.Play(MakeDvFrame({.wide = false}));
  ASSERT_EQ(tape.host.posted.size(), 2u);
  EXPECT_EQ(tape.host.posted[0], std::make_pair(kNotifyWideScreen, std::intptr_t{1}));
  EXPECT_EQ(tape.host.posted[1], std::make_pair(kNotifyWideScreen, std::intptr_t{0}));
  tape.detector.AnnounceWideScreenAgain();
  tape.Play(MakeDvFrame({.wide = false}));
  EXPECT_EQ(tape.host.posted.size(), 3u);
}

// --- Scene file -------------------------------------------------------------

namespace {
DvFrameInfo Frame(std::uint32_t count) {
  DvFrameInfo info;
  info.frameCount = count;
  return info;
}
}  // namespace

TEST(SceneFile, layout_for_a_30_byte_path_and_four_scenes) {
  TempFolder folder;
  QString path = folder.file("x");
  path += QString(30 - path.toUtf8().size(), QChar('a'));
  ASSERT_EQ(path.toUtf8().size(), 30);
  TSceneFileWriter writer;
  ASSERT_EQ(writer.OpenSceneFile(path), TSceneFileWriter::OpenResult::Opened);
  EXPECT_EQ(writer.countOffset(), 63);
  writer.WriteScene(Frame(0), Frame(99));     // first record: E = 100
  writer.WriteScene(Frame(100), Frame(149));  // S = 101, L = 50
  writer.WriteScene(Frame(150), Frame(150));
  writer.WriteScene(Frame(151), Frame(300));  // the stop call
  writer.CloseSceneFile();
  EXPECT_FALSE(writer.isOpen());

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  const QByteArray head("\x63\x26\x01\x00\x04\x00\x00\x00\xFF\xFF\x03\x00\x0A\x00SourceTape", 24);
  EXPECT_EQ(bytes.left(24), head);
  EXPECT_EQ(bytes[24], char(30));
  EXPECT_EQ(bytes.mid(25, 30), path.toUtf8());
  EXPECT_EQ(bytes.mid(55, 8), QByteArray(8, '\0'));
  EXPECT_EQ(bytes.mid(63, 2), QByteArray("\x04\x00", 2));
  EXPECT_EQ(bytes.mid(65, 30), QByteArray("\xFF\xFF\x01\x00\x04\x00"
                                          "Clip"
                                          "\x50\x00\x00\x00\xFF\xFF\x01\x00\x05\x00"
                                          "Scene"
                                          "\x00\x00\x00\x00\x00",
                                          30));
  const QByteArray first = QByteArray(
                               "\x64\x00\x00\x00"
                               "\x00\x00\x00\x00\x01\x80",
                               10) +
                           char(30) + path.toUtf8() + QByteArray(8, '\0') + QByteArray("\x64\x00\x00\x00", 4);
  EXPECT_EQ(bytes.mid(95, first.size()), first);
  const QByteArray second(
      "\x03\x80\xF0\x00\x00\x00\x05\x80\x00"
      "\x65\x00\x00\x00"
      "\x32\x00\x00\x00"
      "\x00\x00\x00\x00\x07\x00"
      "\x65\x00\x00\x00"
      "\x32\x00\x00\x00"
      "\x65\x00\x00\x00",
      35);
  EXPECT_EQ(bytes.mid(95 + first.size(), 35), second);
  EXPECT_EQ(bytes.size(), 95 + first.size() + 3 * 35);
}

TEST(SceneFile, long_paths_are_refused_and_nothing_is_written_when_closed) {
  TempFolder folder;
  TSceneFileWriter writer;
  const QString tooLong = folder.file(QString(300, QChar('x')) + ".scn");
  EXPECT_EQ(writer.OpenSceneFile(tooLong), TSceneFileWriter::OpenResult::PathTooLong);
  EXPECT_FALSE(QFile::exists(tooLong));
  // 128 two-byte characters are 256 bytes: too long as well.
  EXPECT_EQ(writer.OpenSceneFile(QString(128, QChar(0xE9))), TSceneFileWriter::OpenResult::PathTooLong);
  EXPECT_EQ(writer.OpenSceneFile("/no/such/folder/a.scn"), TSceneFileWriter::OpenResult::CannotCreate);
  writer.WriteScene(Frame(0), Frame(1));  // closed: ignored
  EXPECT_EQ(writer.sceneCount(), 0);
}

TEST(SceneFile, the_detector_writes_one_record_per_scene) {
  TempFolder folder;
  TSceneFileWriter writer;
  ASSERT_EQ(writer.OpenSceneFile(folder.file("capture.scn")), TSceneFileWriter::OpenResult::Opened);
  Tape tape;
  tape.detector.SetSceneCallback(
      [&](const DvFrameInfo& start, const DvFrameInfo& current) { writer.WriteScene(start, current); });
  tape.PlayDated(10, kMorning);
  tape.PlayDated(10, AddSeconds(kMorning, 60));
  tape.PlayDated(10, AddSeconds(kMorning, 120));
  tape.PlayDated(10, AddSeconds(kMorning, 180));
  tape.detector.Stop();
  writer.CloseSceneFile();
  EXPECT_EQ(writer.sceneCount(), 4);
  EXPECT_EQ(folder.read("capture.scn").mid(writer.countOffset(), 2), QByteArray("\x04\x00", 2));
}

// --- Still pictures -----------------------------------------------------------

namespace {
struct Picture {
  Picture(int width, int height, std::uint8_t value = 0, int padding = 5)
      : stride(width * 3 + padding), bytes(static_cast<std::size_t>(stride) * height, value) {
    view = {bytes.data(), width, height, stride, 3};
  }
  std::uint8_t* pixel(int x, int y) { return view.row(y) + 3 * x; }
  int stride;
  std::vector<std::uint8_t> bytes;
  TImageView view;
};
}  // namespace

TEST(StillPictures, mirror_swaps_left_and_right_and_keeps_the_padding) {
  Picture picture(3, 2);
  for (int x = 0; x < 3; ++x) picture.pixel(x, 1)[0] = static_cast<std::uint8_t>(10 + x);
  picture.view.row(1)[9] = 77;  // padding after the last pixel
  MirrorHorizontal(picture.view);
  EXPECT_EQ(picture.pixel(0, 1)[0], 12);
  EXPECT_EQ(picture.pixel(1, 1)[0], 11);
  EXPECT_EQ(picture.pixel(2, 1)[0], 10);
  EXPECT_EQ(picture.view.row(1)[9], 77);
  Picture narrow(1, 2, 9);
  MirrorHorizontal(narrow.view);
  EXPECT_EQ(narrow.bytes, Picture(1, 2, 9).bytes);
}

TEST(StillPictures, deinterlace_repairs_combed_odd_rows_only) {
  TDeinterlacer deinterlacer;
  // A flat picture does not change.
  Picture flat(8, 6, 120), out(8, 6);
  deinterlacer.Deinterlace(flat.view, out.view);
  for (int y = 0; y < 6; ++y) EXPECT_TRUE(std::equal(flat.view.row(y), flat.view.row(y) + 24, out.view.row(y)));

  // A dark picture with one bright odd row: that row takes the average of its
  // neighbours.
  Picture combed(8, 6, 10), repaired(8, 6);
  std::fill_n(combed.view.row(3), 24, 250);
  combed.pixel(2, 2)[1] = 30;  // above and below differ: the average is per pixel
  deinterlacer.Deinterlace(combed.view, repaired.view);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(repaired.pixel(x, 3)[0], 10);
  EXPECT_EQ(repaired.pixel(2, 3)[1], 20);
  EXPECT_EQ(repaired.pixel(0, 2)[0], 10);  // even rows untouched

  // A single combed pixel with no combed neighbour stays.
  Picture single(8, 6, 10), kept(8, 6);
  std::fill_n(single.pixel(4, 3), 3, 250);
  deinterlacer.Deinterlace(single.view, kept.view);
  EXPECT_EQ(kept.pixel(4, 3)[0], 250);

  // The last row is never changed, even when odd.
  Picture lastRow(8, 4, 10), lastOut(8, 4);
  std::fill_n(lastRow.view.row(3), 24, 250);
  deinterlacer.Deinterlace(lastRow.view, lastOut.view);
  EXPECT_EQ(lastOut.pixel(0, 3)[0], 250);

  // Width 1: no horizontal neighbour, no change.
  Picture column(1, 6, 10), columnOut(1, 6);
  std::fill_n(column.view.row(1), 3, 250);
  deinterlacer.Deinterlace(column.view, columnOut.view);
  EXPECT_EQ(columnOut.pixel(0, 1)[0], 250);

  // Not 24-bit: copied as it is.
  std::vector<std::uint8_t> gray(6 * 6, 0), grayOut(6 * 6, 1);
  std::fill_n(gray.begin() + 6, 6, 250);
  deinterlacer.Deinterlace({gray.data(), 6, 6, 6, 1}, {grayOut.data(), 6, 6, 6, 1});
  EXPECT_EQ(grayOut, gray);
}
