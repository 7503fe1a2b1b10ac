// The session list's records, sorts and "Infos" text, the companion's
// arguments, the busiest-processor reading from the kernel's counters, and
// the gauges' texts and alerts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>

#include "control/cpuload.h"
#include "control/sessionfiles.h"
#include "support/tempfolder.h"
#include "ui/textgauge.h"

namespace {

TDataFichier Record(const QString& path, std::int64_t size, const QDateTime& modified) {
  TDataFichier file;
  file.fileName = path;
  file.size = size;
  file.modified = modified;
  return file;
}

QStringList Names(const std::vector<TDataFichier>& files) {
  QStringList names;
  for (const TDataFichier& file : files) names << file.name();
  return names;
}

TEST(SessionFiles, the_four_sorts_and_their_label) {
  const QDateTime noon(QDate(2026, 12, 9), QTime(12, 0));
  std::vector<TDataFichier> files{Record("/v/b.avi", 300, noon.addSecs(60)), Record("/v/a.wav", 100, noon.addSecs(120)),
                                  Record("/v/C.jpg", 200, noon), Record("/v/d.avi", 50, noon.addSecs(30))};
  SortFiles(files, TSortOrder::Name);
  EXPECT_EQ(Names(files), QStringList({"a.wav", "b.avi", "C.jpg", "d.avi"}));
  SortFiles(files, TSortOrder::Size);
  EXPECT_EQ(Names(files), QStringList({"d.avi", "a.wav", "C.jpg", "b.avi"}));
  SortFiles(files, TSortOrder::Date);
  EXPECT_EQ(Names(files), QStringList({"C.jpg", "d.avi", "b.avi", "a.wav"}));
  // Equal extensions keep their order.
  SortFiles(files, TSortOrder::Extension);
  EXPECT_EQ(Names(files), QStringList({"d.avi", "b.avi", "C.jpg", "a.wav"}));

  EXPECT_EQ(CountLabel(4, TSortOrder::Name), QString::fromUtf8("4 fichiers triés par ordre alphabétique"));
  EXPECT_EQ(CountLabel(0, TSortOrder::Size), QString::fromUtf8("0 fichiers triés selon la taille du fichier"));
  EXPECT_EQ(CountLabel(1, TSortOrder::Date), QString::fromUtf8("1 fichiers triés selon la date du fichier"));
  EXPECT_EQ(CountLabel(2, TSortOrder::Extension), QString::fromUtf8("2 fichiers triés selon l'extension"));
}

TEST(SessionFiles, infos_lines_for_a_capture_a_still_and_a_file_without_counts) {
  TDataFichier capture;
  capture.fileName = "/home/u/Videos/Video_091226_101500_0.avi";
  capture.created = QDateTime(QDate(2026, 12, 9), QTime(10, 15, 0));
  capture.modified = QDateTime(QDate(2026, 12, 9), QTime(10, 20, 7));
  capture.size = 1080000000;
  capture.framesCaptured = 7500;
  capture.framesDropped = 3;
  capture.videoSource = "DV Source - Video";
  capture.audioSource = "DV Source - Audio";
  capture.audioEntry = "";
  capture.format = "dv type 1 natif";
  EXPECT_EQ(InfosText(capture), QString::fromUtf8("Date de Capture: 09/12/2026 10:15:00\r\n"
                                                  "Fin de Capture: 09/12/2026 10:20:07\r\n"
                                                  "Taille du fichier: 1080000000\r\n"
                                                  "\r\n"
                                                  "Frames capturées: 7500\r\n"
                                                  "Frames perdues: 3\r\n"
                                                  "\r\n"
                                                  "Source Vidéo: DV Source - Video\r\n"
                                                  "Source Audio: DV Source - Audio\r\n"
                                                  "Entrée Audio: \r\n"
                                                  "Format de Capture: dv type 1 natif\r\n"
                                                  "\r\n"));
  TDataFichier still = capture;
  still.framesCaptured = 1;
  still.framesDropped = -1;
  const QString stillText = InfosText(still);
  EXPECT_TRUE(stillText.contains(QString::fromUtf8("\r\n\r\nFrames capturées: 1\r\n\r\nSource")));
  EXPECT_FALSE(stillText.contains("Frames perdues"));
  TDataFichier unknown = capture;
  unknown.framesCaptured = unknown.framesDropped = -1;
  EXPECT_TRUE(InfosText(unknown).contains(
      QString::fromUtf8("\r\n\r\nPas d'information sur les frames perdues/capturées\r\n\r\nSource")));
}

TEST(SessionFiles, a_record_reads_its_directory_entry_and_the_companion_gets_the_files_still_there) {
  TempFolder temp;
  temp.write("first.avi", "12345");
  temp.write("second clip \"quoted\" $(x); é.avi", "1234567");
  TDataFichier first, second;
  first.fileName = temp.file("first.avi");
  second.fileName = temp.file("second clip \"quoted\" $(x); é.avi");
  first.ReadDirectoryEntry();
  second.ReadDirectoryEntry();
  EXPECT_EQ(first.size, 5);
  EXPECT_TRUE(first.created.isValid());
  EXPECT_TRUE(first.modified.isValid());
  EXPECT_EQ(second.size, 7);
  EXPECT_EQ(CompanionArguments({first, second}), QStringList({first.fileName, second.fileName}));
  QFile::remove(first.fileName);
  EXPECT_EQ(CompanionArguments({first, second}), QStringList{second.fileName});
  EXPECT_TRUE(CompanionArguments({}).isEmpty());
}

// Two samples of /proc/stat: "cpu" then cpu0 and cpu1; the columns are user
// nice system idle iowait irq softirq steal guest guest_nice.
constexpr char kBefore[] =
    "cpu  2000 0 1000 17000 0 0 0 0 0 0\n"
    "cpu0 1000 0 500 8500 0 0 0 0 0 0\n"
    "cpu1 1000 0 500 8500 0 0 0 0 0 0\n"
    "intr 12345\n";

TEST(CpuLoad, the_busiest_cpu_shows_never_the_aggregate_line) {
  // cpu0: 100 of 500 busy (20 %); cpu1: 450 of 500 busy (90 %), with guest
  // time that is already in user and must not be counted twice.
  const auto after = ParseProcStat(
      "cpu  2450 0 100 17450 0 0 0 0 0 0\n"
      "cpu0 1080 0 520 8900 0 0 0 0 0 0\n"
      "cpu1 1400 0 550 8520 30 0 0 0 400 0\n");
  const auto before = ParseProcStat(kBefore);
  ASSERT_EQ(before.size(), 2u);
  EXPECT_EQ(BusiestCpuPercent(before, after), 90);
}

TEST(CpuLoad, one_cpu_an_offline_cpu_and_counters_going_backwards) {
  const auto before = ParseProcStat(kBefore);
  // One CPU left online: cpu1 is skipped, cpu0 is 30 % busy.
  EXPECT_EQ(BusiestCpuPercent(before, ParseProcStat("cpu0 1100 0 550 8850 0 0 0 0 0 0\n")), 30);
  // A CPU that appears in the new sample only is skipped too.
  EXPECT_EQ(BusiestCpuPercent(ParseProcStat("cpu0 1000 0 500 8500 0\n"),
                              ParseProcStat("cpu0 1000 0 500 8600 0\ncpu7 9000 0 0 0 0\n")),
            0);
  // A CPU brought back online starts again from small counters: 0, never a
  // negative or huge load.
  EXPECT_EQ(BusiestCpuPercent(before, ParseProcStat("cpu0 10 0 5 85 0 0 0 0 0 0\ncpu1 1000 0 500 8500 0\n")), 0);
  // Idle going back while the total goes on.
  EXPECT_EQ(BusiestCpuPercent(ParseProcStat("cpu0 100 0 0 900 50\n"), ParseProcStat("cpu0 300 0 0 800 0\n")), 0);
  EXPECT_EQ(BusiestCpuPercent({}, ParseProcStat(kBefore)), 0);
  // Malformed lines are not processors.
  EXPECT_TRUE(ParseProcStat("cpux 1 2 3 4\ncpu0 1 2\ncpu 1 2 3 4 5\n").empty());
}

TEST(CpuLoad, the_meter_reads_its_file_and_shows_0_when_it_cannot) {
  TempFolder temp;
  temp.write("stat", kBefore);
  TCpuMeter meter(temp.file("stat"));
  EXPECT_EQ(meter.Sample(), 0);  // nothing to compare with yet
  temp.write("stat", "cpu0 1100 0 550 8850 0 0 0 0 0 0\ncpu1 1450 0 500 8550 0 0 0 0 0 0\n");
  EXPECT_EQ(meter.Sample(), 90);
  TCpuMeter missing(temp.file("absent"));
  EXPECT_EQ(missing.Sample(), 0);
  EXPECT_EQ(missing.Sample(), 0);
  // The machine's own file gives a reading in range.
  TCpuMeter real;
  real.Sample();
  const int percent = real.Sample();
  EXPECT_GE(percent, 0);
  EXPECT_LE(percent, 100);
}

TEST(Gauges, free_space_texts_and_the_alert_when_free_space_is_low) {
  TTextGauge video(TTextGauge::Kind::Remaining);
  video.SetAlertValue(500);
  // 300 MB free on a 100 GB drive.
  video.SetMaximum(100000);
  video.SetValue(100000 - 300);
  EXPECT_EQ(video.text(), "300 Mo");
  EXPECT_TRUE(video.alerting());
  // 30 GB free.
  video.SetValue(100000 - 30000);
  EXPECT_EQ(video.text(), "30000 Mo");
  EXPECT_FALSE(video.alerting());
  // A drive that cannot be queried counts as 0, and is not "full".
  video.SetMaximum(0);
  video.SetValue(0);
  EXPECT_EQ(video.text(), "0 Mo");
  EXPECT_FALSE(video.alerting());

  TTextGauge cpu(TTextGauge::Kind::Percent);
  cpu.SetAlertValue(80);
  cpu.SetValue(80);
  EXPECT_EQ(cpu.text(), "80%");
  EXPECT_FALSE(cpu.alerting());
  cpu.SetValue(81);
  EXPECT_TRUE(cpu.alerting());
  EXPECT_EQ(TTextGauge::kAlertColour, QColor(238, 162, 162));
}

}  // namespace
