// The encoded and sound-only capture formats, recorded by tessivo-capture
// from the simulated sources and read back by the system's own readers.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "support/readers.h"

namespace {

const QStringList kCamcorder = {"--video", "DV Source - Video", "--audio", "DV Source - Audio"};
const QStringList kSoundCard = {"--audio", QString::fromUtf8("Carte son simulée")};

struct Recorded {
  int exitCode = -1;
  int frames = -1;  // "images écrites"
  QString errors;
};

Recorded Record(const QStringList& sources, const char* format, const QString& file, const char* seconds,
                const char* cutEvery = nullptr) {
  QStringList arguments = sources + QStringList{"--format", format, "--seconds", seconds};
  if (cutEvery) arguments << "--cut-every" << cutEvery;
  QProcess tool;
  tool.start(TESSIVO_CAPTURE, arguments << file);
  tool.waitForFinished(90000);
  const QString output = QString::fromUtf8(tool.readAllStandardOutput());
  const QRegularExpressionMatch frames = QRegularExpression(QString::fromUtf8(R"(images écrites : (\d+))")).match(output);
  return {tool.exitCode(), frames.hasMatch() ? frames.captured(1).toInt() : -1,
          QString::fromUtf8(tool.readAllStandardError())};
}

QByteArray Bytes(const QString& file) {
  QFile in(file);
  return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

std::uint32_t Le32(const QByteArray& bytes, int at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The bytes of sound a WAV file says it holds, after checking its head.
std::uint32_t WaveData(const QString& file) {
  const QByteArray wav = Bytes(file);
  EXPECT_GE(wav.size(), 46) << file.toStdString();
  if (wav.size() < 46) return 0;
  EXPECT_TRUE(wav.startsWith("RIFF"));
  EXPECT_EQ(wav.mid(8, 8), QByteArray("WAVEfmt "));
  EXPECT_EQ(Le32(wav, 16), 18u);  // the 18-byte format block: a 46-byte head
  EXPECT_EQ(wav.mid(38, 4), QByteArray("data"));
  EXPECT_EQ(Le32(wav, 4), static_cast<std::uint32_t>(wav.size() - 8));
  EXPECT_EQ(Le32(wav, 42), static_cast<std::uint32_t>(wav.size() - 46));
  return Le32(wav, 42);
}

// The bitrate, in kbit/s, of the second MPEG-1 layer III frame (the first
// one may be the stream's length header); -1 when the file does not start
// with such frames.
int Mp3Kbps(const QByteArray& mp3) {
  static constexpr int kKbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static constexpr int kRates[] = {44100, 48000, 32000, 0};
  const auto* p = reinterpret_cast<const unsigned char*>(mp3.constData());
  qsizetype at = 0;
  int kbps = -1;
  for (int frame = 0; frame < 2; ++frame) {
    if (at + 4 > mp3.size() || p[at] != 0xFF || (p[at + 1] & 0xFE) != 0xFA) return -1;
    kbps = kKbps[p[at + 2] >> 4];
    const int rate = kRates[(p[at + 2] >> 2) & 3];
    if (!kbps || !rate) return -1;
    at += 144000 * kbps / rate + ((p[at + 2] >> 1) & 1);
  }
  return kbps;
}

}  // namespace

TEST(SoundOnly, wav_and_mp3_need_only_a_sound_source_and_write_their_own_files) {
  QTemporaryDir dir;
  const QString wav = dir.filePath("son.wav");
  ASSERT_EQ(Record(kSoundCard, "Wav", wav, "2").exitCode, 0);
  // 16-bit stereo at 48 kHz, two seconds of it.
  EXPECT_NEAR(WaveData(wav) / (48000.0 * 4), 2.0, 0.3);
  EXPECT_TRUE(Discover(wav).contains("Sample rate: 48000"));

  // A plain MPEG stream, not MPEG frames behind a WAV head, at 128 kbit/s.
  const QString mp3 = dir.filePath("son.mp3");
  ASSERT_EQ(Record(kSoundCard, "mp3", mp3, "2").exitCode, 0);
  const QByteArray stream = Bytes(mp3);
  EXPECT_FALSE(stream.startsWith("RIFF"));
  EXPECT_EQ(Mp3Kbps(stream), 128);
  const QString found = Discover(mp3);
  EXPECT_TRUE(found.contains("MPEG-1 Layer 3")) << found.toStdString();
  EXPECT_NEAR(DiscoveredSeconds(found), 2.0, 0.3);

  // Without a sound source there is nothing to record.
  for (const char* format : {"Wav", "mp3"}) {
    const QString none = dir.filePath(QString("rien.") + format);
    const Recorded refused = Record({"--video", "DV Source - Video"}, format, none, "1");
    EXPECT_EQ(refused.exitCode, 2) << format;
    EXPECT_TRUE(refused.errors.contains("Indiquez une source audio")) << refused.errors.toStdString();
    EXPECT_FALSE(QFile::exists(none));
  }
}

TEST(SoundOnly, a_cut_goes_on_in_the_next_file_and_the_parts_add_up) {
  QTemporaryDir dir;
  const QString wav = dir.filePath("long.wav");
  ASSERT_EQ(Record(kSoundCard, "Wav", wav, "3.5", "1.5").exitCode, 0);
  std::uint64_t bytes = 0;
  for (const char* part : {"long.wav", "long-2.wav", "long-3.wav"}) bytes += WaveData(dir.filePath(part));
  EXPECT_NEAR(static_cast<double>(bytes) / (48000 * 4), 3.5, 0.3);

  const QString mp3 = dir.filePath("long.mp3");
  ASSERT_EQ(Record(kSoundCard, "mp3", mp3, "3.5", "1.5").exitCode, 0);
  double seconds = 0;
  for (const char* part : {"long.mp3", "long-2.mp3", "long-3.mp3"}) {
    const QString found = Discover(dir.filePath(part));
    EXPECT_TRUE(found.contains("MPEG-1 Layer 3")) << part;
    seconds += DiscoveredSeconds(found);
  }
  EXPECT_NEAR(seconds, 3.5, 0.4);
}

TEST(Encoded, wmv_carries_the_profile_streams_and_no_sound_without_a_sound_source) {
  QTemporaryDir dir;
  const QString file = dir.filePath("film.wmv");
  const Recorded recorded = Record(kCamcorder, "Wmv", file, "3");
  ASSERT_EQ(recorded.exitCode, 0) << recorded.errors.toStdString();
  QString found = Discover(file);
  EXPECT_TRUE(found.contains("Windows Media Video")) << found.toStdString();
  EXPECT_TRUE(found.contains("Windows Media Audio"));
  // The "8" table's first row: 640x480 at 25 frames a second.
  EXPECT_TRUE(found.contains("Width: 640"));
  EXPECT_NEAR(DiscoveredSeconds(found), recorded.frames / 25.0, 0.08);
  // Every picture decodes.
  EXPECT_EQ(DemuxedBuffers(file, {"asfdemux", "!", "avdec_wmv2"}), recorded.frames);

  const QString silent = dir.filePath("muet.wmv");
  ASSERT_EQ(Record({"--video", QString::fromUtf8("Webcam simulée")}, "Wmv", silent, "2").exitCode, 0);
  found = Discover(silent);
  EXPECT_TRUE(found.contains("Windows Media Video"));
  EXPECT_FALSE(found.contains("audio #"));
}

TEST(Encoded, divx_from_the_camcorder_is_half_size_with_its_fourcc_and_mp3_sound) {
  QTemporaryDir dir;
  const QString file = dir.filePath("film.avi");
  const Recorded recorded = Record(kCamcorder, "divx", file, "3");
  ASSERT_EQ(recorded.exitCode, 0) << recorded.errors.toStdString();
  const QByteArray head = Bytes(file).left(4096);
  EXPECT_TRUE(head.contains("vidsDX50"));
  const QString found = Discover(file);
  EXPECT_TRUE(found.contains("Width: 360")) << found.toStdString();
  EXPECT_TRUE(found.contains("Height: 288"));
  EXPECT_TRUE(found.contains("MPEG-1 Layer 3"));
  const AviContents avi = ReadAvi(file, false);
  EXPECT_EQ(static_cast<int>(avi.video.size()), recorded.frames);
  EXPECT_EQ(DemuxedBuffers(file, {"avidemux", "!", "avdec_mpeg4"}), recorded.frames);
}

// Each part of a cut starts at a key frame, so that it decodes from its
// first picture, and the parts hold every picture recorded.
TEST(Encoded, a_cut_in_the_encoded_picture_formats_starts_each_part_at_a_key_frame) {
  QTemporaryDir dir;
  struct Case {
    const char* format;
    const char* extension;
    QStringList demux, decode;
  };
  const Case cases[] = {
      {"Wmv", "wmv", {"asfdemux", "name=d", "d.video_0"}, {"!", "avdec_wmv2"}},
      {"divx", "avi", {"avidemux", "name=d", "d.video_0"}, {"!", "avdec_mpeg4"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const Recorded recorded = Record(kCamcorder, c.format, dir.filePath(QString("cut.") + c.extension), "4", "1.5");
    ASSERT_EQ(recorded.exitCode, 0) << recorded.errors.toStdString();
    int pictures = 0;
    for (const QString& part : {QString("cut."), QString("cut-2."), QString("cut-3.")}) {
      const QString file = dir.filePath(part + c.extension);
      const Demuxed video = Demux(file, c.demux);
      EXPECT_GT(video.buffers, 10) << file.toStdString();
      EXPECT_TRUE(video.startsAtKeyFrame) << file.toStdString();
      EXPECT_EQ(DemuxedBuffers(file, c.demux + c.decode), video.buffers) << file.toStdString();
      pictures += video.buffers;
    }
    EXPECT_EQ(pictures, recorded.frames);
  }
}
