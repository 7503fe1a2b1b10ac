#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QtEndian>

#include "media/formats/fpsunit.h"
#include "support/tempfolder.h"

namespace {

QByteArray U32(quint32 value) {
  QByteArray bytes(4, Qt::Uninitialized);
  qToLittleEndian(value, bytes.data());
  return bytes;
}

QByteArray Chunk(const QByteArray& id, const QByteArray& data) {
  QByteArray chunk = id + U32(static_cast<quint32>(data.size())) + data;
  if (data.size() % 2) chunk += '\0';
  return chunk;
}

QByteArray List(const QByteArray& id, const QByteArray& form, const QByteArray& children) {
  return Chunk(id, form + children);
}

// A stream header of the given type with scale 1 and rate 1.
QByteArray StreamHeader(const QByteArray& type) {
  QByteArray data = type + QByteArray("\0\0\0\0", 4) + QByteArray(12, '\0') + U32(1) + U32(1) + QByteArray(28, '\0');
  return Chunk("strh", data);
}

QByteArray Avi(const QList<QByteArray>& streamTypes, const QByteArray& movi = QByteArray(100, 'x')) {
  QByteArray streams;
  for (const QByteArray& type : streamTypes)
    streams += List("LIST", "strl", StreamHeader(type) + Chunk("strf", QByteArray(40, '\0')));
  const QByteArray header = List("LIST", "hdrl", Chunk("avih", QByteArray(56, '\0')) + streams);
  return List("RIFF", "AVI ", header + List("LIST", "movi", movi) + Chunk("idx1", QByteArray(16, '\0')));
}

quint32 At(const QByteArray& bytes, qsizetype offset) { return qFromLittleEndian<quint32>(bytes.constData() + offset); }

}  // namespace

TEST(AviFrameRate, scale_and_rate_of_the_video_stream_only) {
  TempFolder folder;
  const QByteArray original = Avi({"auds", "vids"});
  folder.write("audio-first.avi", original);
  ASSERT_EQ(SetAviFrameRate(folder.file("audio-first.avi"), 18), FrameRateResult::Rewritten);
  const QByteArray rewritten = folder.read("audio-first.avi");
  const qsizetype videoHeader = rewritten.lastIndexOf("strh") + 8;
  const qsizetype audioHeader = rewritten.indexOf("strh") + 8;
  EXPECT_EQ(At(rewritten, videoHeader + 20), 55556u);
  EXPECT_EQ(At(rewritten, videoHeader + 24), 1000000u);
  EXPECT_EQ(At(rewritten, audioHeader + 20), 1u);  // the audio header is untouched
  // Nothing else changed.
  QByteArray expected = original;
  expected.replace(videoHeader + 20, 8, U32(55556) + U32(1000000));
  EXPECT_EQ(rewritten, expected);

  ASSERT_EQ(SetAviFrameRate(folder.file("audio-first.avi"), 25), FrameRateResult::Rewritten);
  EXPECT_EQ(At(folder.read("audio-first.avi"), videoHeader + 20), 40000u);

  // An "iavs" stream (type-1 DV) counts as video.
  folder.write("dv1.avi", Avi({"iavs"}));
  EXPECT_EQ(SetAviFrameRate(folder.file("dv1.avi"), 25), FrameRateResult::Rewritten);
}

TEST(AviFrameRate, refuses_bad_rates_and_leaves_other_files_untouched) {
  TempFolder folder;
  const QByteArray avi = Avi({"vids"});
  folder.write("a.avi", avi);
  for (double rate : {0.0, -5.0, 1000.5, std::nan("")}) {
    EXPECT_EQ(SetAviFrameRate(folder.file("a.avi"), rate), FrameRateResult::RateRefused) << rate;
    EXPECT_EQ(folder.read("a.avi"), avi);
  }
  EXPECT_EQ(SetAviFrameRate(folder.file("a.avi"), 1000), FrameRateResult::Rewritten);
  // A period of more than 2^32 microseconds does not fit its field.
  const QByteArray before = folder.read("a.avi");
  EXPECT_EQ(SetAviFrameRate(folder.file("a.avi"), 0.0002), FrameRateResult::RateRefused);
  EXPECT_EQ(folder.read("a.avi"), before);

  const QByteArray text = "ceci n'est pas un fichier AVI, juste du texte.";
  folder.write("texte.avi", text);
  EXPECT_EQ(SetAviFrameRate(folder.file("texte.avi"), 18), FrameRateResult::NotRiff);
  EXPECT_EQ(folder.read("texte.avi"), text);

  const QByteArray cut = Avi({"vids"}).left(300);
  folder.write("coupe.avi", cut);
  EXPECT_EQ(SetAviFrameRate(folder.file("coupe.avi"), 18), FrameRateResult::Truncated);
  EXPECT_EQ(folder.read("coupe.avi"), cut);

  const QByteArray soundOnly = Avi({"auds"});
  folder.write("son.avi", soundOnly);
  EXPECT_EQ(SetAviFrameRate(folder.file("son.avi"), 18), FrameRateResult::NoVideoStream);
  EXPECT_EQ(folder.read("son.avi"), soundOnly);

  EXPECT_EQ(SetAviFrameRate(folder.file("absent.avi"), 18), FrameRateResult::CannotOpen);
  EXPECT_FALSE(QFile::exists(folder.file("absent.avi")));
}

TEST(AviFrameRate, a_last_chunk_missing_only_its_pad_byte_is_still_rewritten) {
  // Some writers leave out the pad byte of an odd last chunk, and count it
  // nowhere.
  const QByteArray header =
      List("LIST", "hdrl", Chunk("avih", QByteArray(56, '\0')) + List("LIST", "strl", StreamHeader("vids")));
  const QByteArray body =
      "AVI " + header + List("LIST", "movi", QByteArray(100, 'x')) + "JUNK" + U32(15) + QByteArray(15, '\0');
  TempFolder folder;
  folder.write("impair.avi", "RIFF" + U32(static_cast<quint32>(body.size())) + body);
  EXPECT_EQ(SetAviFrameRate(folder.file("impair.avi"), 18), FrameRateResult::Rewritten);
  const QByteArray rewritten = folder.read("impair.avi");
  EXPECT_EQ(At(rewritten, rewritten.indexOf("strh") + 8 + 20), 55556u);
}

TEST(AviFrameRate, movi_is_skipped_and_headers_inside_it_are_ignored) {
  // A "strh" that only appears inside the frames' data is no stream header.
  QBuffer buffer;
  buffer.setData(Avi({"auds"}, Chunk("strh", QByteArray("vids") + QByteArray(60, '\0'))));
  ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
  const AviWalkResult walk = FindVideoStreamHeader(buffer);
  EXPECT_TRUE(walk.riff);
  EXPECT_FALSE(walk.truncated);
  EXPECT_FALSE(walk.scaleOffset);
}

TEST(AviFrameRate, a_file_written_by_avimux_gets_the_new_rate) {
  TempFolder folder;
  const QString path = folder.file("intervalle.avi");
  QProcess write;
  write.start("gst-launch-1.0",
              {"-q", "videotestsrc", "num-buffers=5", "!", "video/x-raw,width=64,height=48,framerate=25/1", "!",
               "avimux", "!", "filesink", "location=" + path});
  ASSERT_TRUE(write.waitForFinished(30000));
  ASSERT_EQ(write.exitCode(), 0);
  const AviWalkResult before = FindVideoStreamHeader(path);
  ASSERT_TRUE(before.scaleOffset);
  EXPECT_FALSE(before.truncated);
  ASSERT_EQ(SetAviFrameRate(path, 18), FrameRateResult::Rewritten);
  const QByteArray bytes = folder.read("intervalle.avi");
  EXPECT_EQ(At(bytes, *before.scaleOffset), 55556u);
  EXPECT_EQ(At(bytes, *before.scaleOffset + 4), 1000000u);
  QProcess discover;
  discover.start("gst-discoverer-1.0", {"-v", path});
  ASSERT_TRUE(discover.waitForFinished(30000));
  EXPECT_TRUE(
      QString::fromUtf8(discover.readAllStandardOutput()).contains("Frame rate: 250000/13889"));  // 1000000/55556
}
