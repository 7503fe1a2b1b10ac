// tessivo-capture as a user runs it: arguments refused before anything is
// built, and a signal that ends the recording with its file finished.
#include <gtest/gtest.h>

#include <csignal>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "support/aviwalk.h"
#include "support/readers.h"

namespace {

struct ToolRun {
  int exitCode = -1;
  QString errors;
  QString output;
};

ToolRun Capture(const QStringList& arguments, int timeoutMs = 60000) {
  QProcess tool;
  tool.start(TESSIVO_CAPTURE, arguments);
  tool.waitForFinished(timeoutMs);
  return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardError()),
          QString::fromUtf8(tool.readAllStandardOutput())};
}

// Starts a recording of the simulated camcorder and waits until the file
// holds that many bytes.
void StartRecording(QProcess& tool, const char* format, const QString& file, qint64 bytes) {
  tool.start(TESSIVO_CAPTURE, {"--video", "DV Source - Video", "--audio", "DV Source - Audio", "--format", format,
                               "--seconds", "60", file});
  ASSERT_TRUE(tool.waitForStarted());
  QElapsedTimer clock;
  clock.start();
  while (QFileInfo(file).size() < bytes && clock.elapsed() < 60000) tool.waitForFinished(100);
}

}  // namespace

TEST(CaptureTool, bad_arguments_are_refused_with_the_argument_named_and_nothing_written) {
  QTemporaryDir dir;
  const QString file = dir.filePath("x.avi");
  const QStringList source = {"--video", "DV Source - Video"};
  const struct {
    QStringList arguments;
    const char* message;
  } cases[] = {
      {{"--seconds", "abc", file}, "--seconds : « abc » n'est pas une durée en secondes"},
      {{"--seconds", "0", file}, "--seconds : « 0 »"},
      {{"--cut-every", "0.5", file}, "--cut-every : il faut au moins une seconde entre deux coupures"},
      {{"--interval", "-1", file}, "--interval : « -1 »"},
      {{"--format", "dv type 9", file}, "--format : format inconnu « dv type 9 »."},
      {{dir.filePath("absent/x.avi")}, "fichier : le dossier"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Capture(source + c.arguments);
    EXPECT_EQ(run.exitCode, 2) << c.message;
    EXPECT_TRUE(run.errors.contains(QString::fromUtf8(c.message))) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(file)) << c.message;
  }
}

TEST(CaptureTool, a_signal_ends_the_recording_of_every_format_with_its_file_finished) {
  QTemporaryDir dir;
  const QStringList camcorder = {"--video", "DV Source - Video", "--audio", "DV Source - Audio"};
  const struct {
    const char* format;
    QStringList sources;
    const char* file;
    qint64 bytes;  // written before the signal
    Part::Kind kind;
  } cases[] = {
      {"dv type 1 natif", camcorder, "type1.avi", 2'000'000, Part::Kind::DvAvi},
      {"dv type 2 natif", camcorder, "type2.avi", 2'000'000, Part::Kind::DvAvi},
      {"dv type 2 (recomp)", camcorder, "recomp.avi", 2'000'000, Part::Kind::DvAvi},
      {"avi natif",
       {"--video", "Webcam simulée", "--audio", "Carte son simulée"},
       "natif.avi",
       4'000'000,
       Part::Kind::Avi},
      {"flux mpeg2 natif", {"--video", "Encodeur MPEG-2 simulé"}, "natif.mpg", 100'000, Part::Kind::Mpeg},
      {"Image/Image", {"--video", "DV Source - Video", "--interval", "0.2"}, "lapse.avi", 600'000, Part::Kind::DvAvi},
  };
  for (const auto& c : cases) {
    const QString file = dir.filePath(c.file);
    QProcess tool;
    tool.start(TESSIVO_CAPTURE, c.sources + QStringList{"--format", c.format, "--seconds", "60", file});
    ASSERT_TRUE(tool.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    while (QFileInfo(file).size() < c.bytes && clock.elapsed() < 60000) tool.waitForFinished(100);
    ::kill(static_cast<pid_t>(tool.processId()), SIGTERM);
    ASSERT_TRUE(tool.waitForFinished(30000)) << c.format;
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit) << c.format;
    EXPECT_EQ(tool.exitCode(), 0) << c.format;
    const QString said = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_TRUE(said.contains("Signal 15 reçu")) << c.format << said.toStdString();
    const QString output = QString::fromUtf8(tool.readAllStandardOutput());
    const QRegularExpressionMatch written = QRegularExpression(R"(images écrites : (\d+))").match(output);
    ASSERT_TRUE(written.hasMatch()) << output.toStdString();
    const Part part = ReadPart(file, c.kind);
    EXPECT_TRUE(part.readable) << c.format;
    EXPECT_GE(part.frames, 3u) << c.format;
    if (c.kind != Part::Kind::Mpeg) {
      EXPECT_TRUE(ReadAvi(file, false).hasLegacyIndex) << c.format;  // finished: the index is written
      EXPECT_NEAR(static_cast<double>(part.frames), written.captured(1).toDouble(), 1.0) << c.format;
    }
    EXPECT_NEAR(part.seconds, part.longerStream(), part.tolerance()) << c.format;
  }
}

TEST(CaptureTool, a_file_cut_short_by_a_kill_is_repaired_to_its_last_whole_frame) {
  QTemporaryDir dir;
  for (const char* format : {"dv type 1 natif", "dv type 2 natif"}) {
    const QString file = dir.filePath(QString("kill-%1.avi").arg(format[8]));
    QProcess tool;
    StartRecording(tool, format, file, 6 * 25 * 144000);  // six seconds of frames
    tool.kill();
    tool.waitForFinished(10000);
    const ToolRun repair = Capture({"--repair", file});
    EXPECT_EQ(repair.exitCode, 0) << format << repair.errors.toStdString();
    EXPECT_TRUE(repair.output.startsWith(QString("Réparé : « %1 », ").arg(file))) << repair.output.toStdString();
    const AviContents avi = ReadAvi(file, false);
    EXPECT_TRUE(avi.valid) << format;
    EXPECT_TRUE(avi.hasLegacyIndex) << format;
    EXPECT_GE(avi.video.size(), 125u) << format;  // at least five seconds back
    EXPECT_EQ(avi.totalFrames, avi.video.size()) << format;
    // Every frame kept decodes.
    QProcess decode;
    decode.start("gst-launch-1.0", {"-q", "filesrc", "location=" + file, "!", "decodebin", "!", "fakesink"});
    ASSERT_TRUE(decode.waitForFinished(120000));
    EXPECT_EQ(decode.exitCode(), 0) << format << decode.readAllStandardError().toStdString();
  }
  // What is not an AVI file is left alone.
  const QString text = dir.filePath("texte.avi");
  QFile note(text);
  ASSERT_TRUE(note.open(QIODevice::WriteOnly));
  note.write("ceci n'est pas une vidéo");
  note.close();
  const ToolRun refused = Capture({"--repair", text});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.errors.contains("Réparation impossible de")) << refused.errors.toStdString();
  QFile check(text);
  ASSERT_TRUE(check.open(QIODevice::ReadOnly));
  EXPECT_EQ(check.readAll(), QByteArray("ceci n'est pas une vidéo"));
}
