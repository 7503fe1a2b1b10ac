#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "support/tempfolder.h"

namespace {

struct ToolRun {
  int status = -1;
  QStringList lines;
  QString errors;
};

ToolRun Execute(const QString& program, const QStringList& arguments, const QByteArray& input = {}) {
  QProcess process;
  process.start(program, arguments);
  if (!input.isNull()) {
    process.write(input);
    process.closeWriteChannel();
  }
  ToolRun run;
  if (!process.waitForFinished(120000)) return run;
  run.status = process.exitCode();
  run.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  run.errors = QString::fromUtf8(process.readAllStandardError());
  return run;
}

}  // namespace

TEST(DvTools, generated_frames_read_back_with_their_dates_and_scenes) {
  TempFolder folder;
  const QString dvFile = folder.file("cassette.dv");
  const ToolRun generated = Execute(TESSIVO_DVGEN, {"--frames", "80", "--start", "2031-12-31 23:59:58", "--jump",
                                                    "50:-3600", "--audio", "32000:12", "--wide", dvFile});
  ASSERT_EQ(generated.status, 0) << generated.errors.toStdString();
  EXPECT_EQ(QFileInfo(dvFile).size(), 80 * 144000);

  const ToolRun info = Execute(TESSIVO_DVINFO, {dvFile, "--scn", folder.file("cassette.scn")});
  ASSERT_EQ(info.status, 0) << info.errors.toStdString();
  ASSERT_EQ(info.lines.size(), 80 + 2);
  EXPECT_EQ(info.lines[0], "image 0 | 31/12/2031 23:59:58 | 00:00:00:00 | 16:9 | 625/50 | 32000 Hz 12 bits");
  // The date crosses midnight and the year at frame 50 (two seconds later).
  EXPECT_EQ(info.lines[49], "image 49 | 31/12/2031 23:59:59 | 00:00:01:24 | 16:9 | 625/50 | 32000 Hz 12 bits");
  // An hour back at frame 50: a new scene, reported once the frame is read.
  EXPECT_EQ(info.lines[50], "image 50 | 31/12/2031 23:00:00 | 00:00:02:00 | 16:9 | 625/50 | 32000 Hz 12 bits");
  EXPECT_EQ(info.lines[51], "scène 1 : images 1 à 50");
  EXPECT_EQ(info.lines.last(), "scène 2 : images 50 à 80");
  const qsizetype countOffset = 24 + 1 + folder.file("cassette.scn").toUtf8().size() + 8;
  EXPECT_EQ(folder.read("cassette.scn").mid(countOffset, 2), QByteArray("\x02\x00", 2));

  // Real frames: they still decode.
  const ToolRun decoded = Execute(
      "gst-launch-1.0", {"-q", "filesrc", "location=" + dvFile, "!", "dvdemux", "!", "avdec_dvvideo", "!", "fakesink"});
  EXPECT_EQ(decoded.status, 0) << decoded.errors.toStdString();
}

TEST(DvTools, tapes_without_dates_or_packs_and_ntsc) {
  TempFolder folder;
  ASSERT_EQ(Execute(TESSIVO_DVGEN, {"--frames", "3", "--ntsc", "--no-date", folder.file("ntsc.dv")}).status, 0);
  const ToolRun ntsc = Execute(TESSIVO_DVINFO, {folder.file("ntsc.dv")});
  ASSERT_EQ(ntsc.status, 0);
  EXPECT_EQ(ntsc.lines[2], "image 2 | - | 00:00:00:02 | 4:3 | 525/60 | -");
  EXPECT_EQ(ntsc.lines.last(), "scène 1 : images 1 à 3");

  ASSERT_EQ(Execute(TESSIVO_DVGEN, {"--frames", "2", "--ff-packs", folder.file("ff.dv")}).status, 0);
  const ToolRun blank = Execute(TESSIVO_DVINFO, {"-"}, folder.read("ff.dv"));
  ASSERT_EQ(blank.status, 0);
  EXPECT_EQ(blank.lines[0], "image 0 | - | - | 4:3 | 625/50 | -");
}

TEST(DvTools, bad_input_is_reported_with_a_non_zero_status) {
  TempFolder folder;
  folder.write("vide.dv", "");
  folder.write("texte.dv", QByteArray(5000, 'x'));
  const ToolRun empty = Execute(TESSIVO_DVINFO, {folder.file("vide.dv")});
  EXPECT_NE(empty.status, 0);
  EXPECT_TRUE(empty.errors.contains("est vide"));
  const ToolRun text = Execute(TESSIVO_DVINFO, {folder.file("texte.dv")});
  EXPECT_NE(text.status, 0);
  EXPECT_TRUE(text.errors.contains("n'est pas un flux DV"));
  EXPECT_NE(Execute(TESSIVO_DVINFO, {folder.file("absent.dv")}).status, 0);

  ASSERT_EQ(Execute(TESSIVO_DVGEN, {"--frames", "3", "--truncate", "1000", folder.file("coupe.dv")}).status, 0);
  EXPECT_EQ(QFileInfo(folder.file("coupe.dv")).size(), 2 * 144000 + 1000);
  const ToolRun cut = Execute(TESSIVO_DVINFO, {folder.file("coupe.dv")});
  EXPECT_NE(cut.status, 0);
  EXPECT_TRUE(cut.errors.contains("image 2 incomplète"));
  EXPECT_EQ(cut.lines.size(), 3 + 1);  // every frame, then the scene

  EXPECT_NE(Execute(TESSIVO_DVGEN, {"--frames", "0", folder.file("x.dv")}).status, 0);
  EXPECT_NE(Execute(TESSIVO_DVGEN, {"--audio", "22050", folder.file("x.dv")}).status, 0);
}
