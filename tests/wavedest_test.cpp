#include <gst/check/gstharness.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QtEndian>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_wavedest.h"
#include "platform/gstreamer.h"
#include "support/pluginprocess.h"
#include "support/tempfolder.h"

namespace {

const TMediaType kStereo16{
    .major = MediaMajor::Audio, .subtype = MediaSubtype::Pcm, .sampleRate = 44100, .channels = 2, .bitsPerSample = 16};

TMediaSample Over(std::vector<std::uint8_t>& bytes) {
  TMediaSample sample;
  sample.data = bytes.data();
  sample.size = bytes.size();
  return sample;
}

quint32 At(const QByteArray& bytes, qsizetype offset) { return qFromLittleEndian<quint32>(bytes.constData() + offset); }

// Runs a pipeline to its end; false on an error.
bool RunToEnd(const QString& description) {
  GError* error = nullptr;
  const auto pipeline = gst::ElementPtr::Sink(gst_parse_launch(description.toUtf8().constData(), &error));
  if (error) {
    g_error_free(error);
    return false;
  }
  gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  const gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
  const gst::MessagePtr done(gst_bus_timed_pop_filtered(
      bus.get(), 30 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  return done && GST_MESSAGE_TYPE(done.get()) == GST_MESSAGE_EOS;
}

}  // namespace

TEST(WaveDest, the_head_of_16_bit_stereo_is_46_bytes) {
  const std::vector<std::uint8_t> head = WaveHeader(WaveFormatBlock(kStereo16), 1000);
  const QByteArray bytes(reinterpret_cast<const char*>(head.data()), static_cast<qsizetype>(head.size()));
  ASSERT_EQ(bytes.size(), 46);
  EXPECT_EQ(bytes.left(4), "RIFF");
  EXPECT_EQ(At(bytes, 4), 46u + 1000 - 8);
  EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
  EXPECT_EQ(At(bytes, 16), 18u);
  EXPECT_EQ(bytes.mid(20, 18),
            QByteArray("\x01\x00\x02\x00\x44\xAC\x00\x00\x10\xB1\x02\x00\x04\x00\x10\x00\x00\x00", 18));
  EXPECT_EQ(bytes.mid(38, 4), "data");
  EXPECT_EQ(At(bytes, 42), 1000u);
}

TEST(WaveDest, samples_are_stamped_with_their_file_position_and_refused_ones_not_counted) {
  Tvx_WaveDest writer;
  EXPECT_EQ(writer.CheckInputType(kStereo16), FilterResult::Deliver);
  EXPECT_EQ(writer.CheckInputType({.major = MediaMajor::Video, .subtype = MediaSubtype::Rgb24}), FilterResult::Refuse);
  writer.InputTypeSet(kStereo16);
  writer.StartStreaming();
  EXPECT_EQ(writer.headerSize(), 46u);
  std::vector<std::uint8_t> in(400, 1), out(400);
  TMediaSample input = Over(in);
  TMediaSample output = Over(out);
  ASSERT_EQ(writer.Transform(input, output), FilterResult::Deliver);
  writer.ReceiveFinished(true);
  EXPECT_EQ(*output.mediaStart, 46);
  EXPECT_EQ(*output.mediaStop, 446);
  ASSERT_EQ(writer.Transform(input, output), FilterResult::Deliver);
  writer.ReceiveFinished(false);  // downstream refused it
  EXPECT_EQ(writer.dataSize(), 400u);
  ASSERT_EQ(writer.Transform(input, output), FilterResult::Deliver);
  writer.ReceiveFinished(true);
  EXPECT_EQ(*output.mediaStart, 446);
  EXPECT_EQ(writer.dataSize(), 800u);
  const std::vector<std::uint8_t> final = writer.FinalBytes();
  EXPECT_EQ(qFromLittleEndian<quint32>(final.data() + 42), 800u);
}

TEST(WaveDest, near_the_size_limit_it_asks_for_the_next_file_and_never_wraps) {
  struct Host : TFilterHost {
    int full = 0;
    void PostNotification(int message, std::intptr_t, std::intptr_t) override {
      full += message == kNotifyWaveFileFull;
    }
    void QualityChanged() override {}
  } host;
  Tvx_WaveDest writer;
  writer.setHost(&host);
  writer.InputTypeSet(kStereo16);
  writer.fileLimit = 46 + Tvx_WaveDest::kCutMargin + 500;
  writer.StartStreaming();
  std::vector<std::uint8_t> in(600, 1), out(600);
  TMediaSample input = Over(in);
  TMediaSample output = Over(out);
  EXPECT_EQ(writer.Transform(input, output), FilterResult::Deliver);  // 646 + margin > limit: announced
  EXPECT_EQ(host.full, 1);
  EXPECT_EQ(writer.Transform(input, output), FilterResult::Deliver);  // announced once only
  EXPECT_EQ(host.full, 1);
  writer.fileLimit = 46 + 1500;
  EXPECT_EQ(writer.Transform(input, output), FilterResult::Drop);  // would pass the limit
  EXPECT_EQ(writer.dataSize(), 1200u);
}

TEST(WaveDest, pipelines_write_valid_files_even_when_empty) {
  gst::EnsureInitialised();
  ASSERT_TRUE(RegisterTessivoPlugin());
  TempFolder folder;
  ASSERT_TRUE(
      RunToEnd("audiotestsrc num-buffers=100 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! "
               "vx_wavedest ! filesink location=" +
               folder.file("son.wav")));
  const QByteArray sound = folder.read("son.wav");
  ASSERT_EQ(sound.size(), 46 + 100 * 1024 * 4);
  EXPECT_EQ(At(sound, 4), static_cast<quint32>(sound.size() - 8));
  EXPECT_EQ(At(sound, 42), static_cast<quint32>(sound.size() - 46));

  ASSERT_TRUE(
      RunToEnd("audiotestsrc num-buffers=0 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! "
               "vx_wavedest ! filesink location=" +
               folder.file("vide.wav")));
  const QByteArray empty = folder.read("vide.wav");
  ASSERT_EQ(empty.size(), 46);
  EXPECT_EQ(At(empty, 4), 38u);
  EXPECT_EQ(At(empty, 42), 0u);
}

TEST(PluginFile, gst_launch_runs_the_writer_the_resizer_and_the_overlay) {
  TempFolder folder;
  const QProcessEnvironment environment = PluginProcessEnvironment(folder.file("registry.bin"));
  QProcess wave;
  wave.setProcessEnvironment(environment);
  wave.start("gst-launch-1.0",
             {"-q", "audiotestsrc", "num-buffers=100", "!", "audio/x-raw,format=S16LE,rate=44100,channels=2", "!",
              "vx_wavedest", "!", "filesink", "location=" + folder.file("t.wav")});
  ASSERT_TRUE(wave.waitForFinished(60000));
  EXPECT_EQ(wave.exitCode(), 0) << wave.readAllStandardError().toStdString();
  EXPECT_EQ(At(folder.read("t.wav"), 16), 18u);  // a 46-byte head

  QProcess resize;
  resize.setProcessEnvironment(environment);
  resize.start("gst-launch-1.0",
               {"-q", "videotestsrc", "num-buffers=3", "!", "video/x-raw,format=BGR,width=720,height=576", "!",
                "vx_resizer", "mode=1", "!", "video/x-raw,width=384,height=288", "!", "fakesink"});
  ASSERT_TRUE(resize.waitForFinished(60000));
  EXPECT_EQ(resize.exitCode(), 0) << resize.readAllStandardError().toStdString();

  // The overlay draws with Qt even in a pipeline of its own.
  QProcess overlay;
  overlay.setProcessEnvironment(environment);
  overlay.start("gst-launch-1.0", {"-q",
                                   "videotestsrc",
                                   "num-buffers=2",
                                   "pattern=black",
                                   "!",
                                   "video/x-raw,format=BGR,width=320,height=240",
                                   "!",
                                   "vx_superposer",
                                   "enabled=true",
                                   "what=2",
                                   "text1=Bonjour",
                                   "xpos=500",
                                   "ypos=500",
                                   "alignement=1",
                                   "!",
                                   "videoconvert",
                                   "!",
                                   "pngenc",
                                   "snapshot=true",
                                   "!",
                                   "filesink",
                                   "location=" + folder.file("image.png")});
  ASSERT_TRUE(overlay.waitForFinished(60000));
  EXPECT_EQ(overlay.exitCode(), 0) << overlay.readAllStandardError().toStdString();
  QImage picture(folder.file("image.png"));
  ASSERT_FALSE(picture.isNull());
  int bright = 0;
  for (int y = 100; y < 120; ++y)
    for (int x = 100; x < 220; ++x) bright += qGray(picture.pixel(x, y)) > 128;
  EXPECT_GT(bright, 50);  // white letters on the black picture, above the centre
}
