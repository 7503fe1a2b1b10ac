// tessivo-capture: records from a video source and an audio source into a
// file in one of the capture formats, without the main window, on the same
// media graph as the program (simulated devices where there is no hardware).
//
//   tessivo-capture --list
//   tessivo-capture --video NAME [--audio NAME] --format "dv type 2 natif" --seconds 10
//                   [--cut-every 3] [--interval 1] [--overlay] FILE
//
// The parts of a cut are FILE, then FILE with "-2", "-3"... before the
// extension. At the end it prints the frames written and dropped, and it
// exits non-zero when a file could not be finished.
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QTimer>
#include <cstdio>
#include <algorithm>
#include <optional>
#include <utility>

#include "capture/captureengine.h"
#include "capture/capturegraphs.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/systemdevices.h"
#include "control/capturejournal.h"
#include "control/capturesession.h"
#include "media/filters/filtercontract.h"
#include "media/filters/vx_controlunit.h"
#include "media/filters/vx_superposer.h"
#include "media/formats/avirepair.h"
#include "media/formats/dsfunctions.h"
#include "media/formats/fpsunit.h"
#include "platform/shellutils.h"
#include "platform/signalwatcher.h"
#include "settings/conversions.h"
#include "texts.h"

namespace {

void Say(const QString& text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }

// FILE, FILE-2.ext, FILE-3.ext...
QString PartName(const QString& file, int part) {
  if (part == 1) return file;
  const QFileInfo info(file);
  const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
  const QString base = suffix.isEmpty() ? file : file.left(file.size() - suffix.size());
  return base + "-" + QString::number(part) + suffix;
}

// Lets the event loop run (the graph's messages, the timers) for a while, or
// until a signal asks to stop.
void RunFor(int milliseconds, const int& stopSignal) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (stopSignal) loop.quit();
  });
  check.start(20);
  loop.exec();
}

// A number of seconds within the range, or a French message naming the
// argument.
std::optional<double> Seconds(const QCommandLineParser& parser, const QCommandLineOption& option, double minimum,
                              double maximum) {
  const QString text = parser.value(option);
  const std::optional<double> value = shell::ParseReal(text);
  if (value && *value >= minimum && *value <= maximum) return value;
  Say(QStringLiteral("--%1 : « %2 » n'est pas une durée en secondes entre %3 et %4.")
          .arg(option.names().first(), text, QLocale(QLocale::French).toString(minimum),
               QLocale(QLocale::French).toString(maximum)));
  return std::nullopt;
}

template <typename List>
auto* Find(const List& sources, const QString& name) {
  for (const auto& source : sources)
    if (source->Name == name) return source.get();
  return static_cast<decltype(sources.front().get())>(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Pictures and text for the overlay need a GUI application, not widgets.
  QGuiApplication application(argc, argv);
  QGuiApplication::setApplicationName("tessivo-capture");
  QCommandLineParser parser;
  parser.setApplicationDescription("Enregistre une source vidéo et une source audio dans un fichier.");
  parser.addHelpOption();
  const QCommandLineOption list("list", "Liste les sources, une par ligne.");
  const QCommandLineOption video("video", "Source vidéo.", "nom");
  const QCommandLineOption audio("audio", "Source audio.", "nom");
  const QCommandLineOption format("format", "Format de capture.", "format", "dv type 2 natif");
  const QCommandLineOption seconds("seconds", "Durée en secondes.", "secondes", "10");
  const QCommandLineOption cutEvery("cut-every", "Coupe toutes les N secondes.", "secondes", "0");
  const QCommandLineOption interval("interval", "Intervalle entre deux images (Image/Image).", "secondes", "1");
  const QCommandLineOption overlay("overlay", "Incruste la date du caméscope (deux lignes).");
  const QCommandLineOption repair("repair", "Répare un fichier AVI interrompu (en-têtes et index).", "fichier");
  parser.addOptions({list, video, audio, format, seconds, cutEvery, interval, overlay, repair});
  parser.addPositionalArgument("fichier", "Le fichier à écrire.");
  parser.process(application);

  if (parser.isSet(repair)) {
    const QString damaged = parser.value(repair);
    const TAviRepair result = RepairAvi(damaged);
    if (!result.repaired) {
      Say(QStringLiteral("Réparation impossible de « %1 » : %2.").arg(damaged, result.error));
      return 1;
    }
    std::printf("%s\n", QStringLiteral("Réparé : « %1 », %2 images gardées, %3 octets de fin écartés.")
                            .arg(damaged)
                            .arg(result.videoFrames)
                            .arg(result.bytesDropped)
                            .toUtf8()
                            .constData());
    return 0;
  }

  TDeviceEnumerator enumerator;
  TCaptureDeviceList videoDevices, audioDevices;
  const std::optional<std::vector<TDeviceMoniker>> monikers = enumerator.Devices();
  if (!monikers) {
    Say("Impossible de lister les périphériques.");
    return 1;
  }
  videoDevices.Refresh(*monikers, [](TDeviceKind k) { return k == dkDV || k == dkVideo; });
  audioDevices.Refresh(*monikers, [](TDeviceKind k) { return k == dkAudio; });
  // The engine goes before the sources and devices it uses.
  auto videoSources = VideoSourcesOf(videoDevices);
  auto audioSources = AudioSourcesOf(videoDevices);
  for (auto& source : AudioSourcesOf(audioDevices)) audioSources.push_back(std::move(source));
  TCaptureEngine engine;

  if (parser.isSet(list)) {
    for (const auto& source : videoSources) std::printf("%s\n", source->Name.toUtf8().constData());
    for (const auto& source : audioSources) std::printf("%s\n", source->Name.toUtf8().constData());
    return 0;
  }
  const QStringList files = parser.positionalArguments();
  // Every argument is checked before anything is built.
  const int formatCode = FormatCaptureFromName(parser.value(format));
  if (FormatCaptureName(static_cast<std::uint8_t>(formatCode)) != parser.value(format)) {
    Say(QStringLiteral("--format : format inconnu « %1 ».").arg(parser.value(format)));
    return 2;
  }
  // Sound alone needs no picture.
  const bool soundOnly = formatCode == fcWav || formatCode == fcMp3;
  if (files.size() != 1 || (!soundOnly && !parser.isSet(video)) || (soundOnly && !parser.isSet(audio))) {
    Say(soundOnly ? "Indiquez une source audio (--audio) et un fichier."
                  : "Indiquez une source vidéo (--video) et un fichier.");
    return 2;
  }
  TVideoSource* videoSource = parser.isSet(video) ? Find(videoSources, parser.value(video)) : nullptr;
  if (parser.isSet(video) && !videoSource) {
    Say(QStringLiteral("Source vidéo introuvable : %1").arg(parser.value(video)));
    return 2;
  }
  TAudioSource* audioSource = parser.isSet(audio) ? Find(audioSources, parser.value(audio)) : nullptr;
  if (parser.isSet(audio) && !audioSource) {
    Say(QStringLiteral("Source audio introuvable : %1").arg(parser.value(audio)));
    return 2;
  }
  const std::optional<double> totalSeconds = Seconds(parser, seconds, 0.1, 7 * 86400.0);
  const std::optional<double> cutSeconds = Seconds(parser, cutEvery, 0, 7 * 86400.0);
  const std::optional<double> intervalSeconds = Seconds(parser, interval, 0.04, 86400.0);
  if (!totalSeconds || !cutSeconds || !intervalSeconds) return 2;
  if (*cutSeconds > 0 && *cutSeconds < 1) {
    Say(QStringLiteral("--cut-every : il faut au moins une seconde entre deux coupures (« %1 »).")
            .arg(parser.value(cutEvery)));
    return 2;
  }
  const QFileInfo target(files.first());
  const QFileInfo folder(target.absolutePath());
  if (!folder.isDir() || !folder.isWritable()) {
    Say(QStringLiteral("fichier : le dossier « %1 » n'existe pas ou n'accepte pas d'écriture.")
            .arg(folder.absoluteFilePath()));
    return 2;
  }
  const auto totalMs = static_cast<qint64>(*totalSeconds * 1000);
  const auto cutMs = static_cast<qint64>(*cutSeconds * 1000);
  const int intervalMs = std::max(1, static_cast<int>(*intervalSeconds * 1000));

  if ((videoSource && !ActivateVideoSource(engine, *videoSource)) ||
      (audioSource && !ActivateAudioSource(engine, *audioSource))) {
    Say("Impossible d'activer les sources.");
    return 1;
  }
  if (parser.isSet(overlay)) ShowCamcorderDate(engine, 5);
  TCaptureSettings settings;
  if (formatCode == fcDivx) {
    // The first MPEG-4 encoder found, as the options would choose it.
    std::vector<TCompressorEntry> encoders;
    if (!ListMpeg4Compressors(encoders) || !engine.dm().divx.Load(encoders.front().factory)) {
      Say("Aucun encodeur MPEG-4 n'est installé.");
      return 1;
    }
    engine.dm().divxFourCC = encoders.front().fourcc;
  }
  const QString file = files.first();
  // Files killed before they are finished are offered for repair at the
  // program's next start.
  TCaptureJournal journal(TCaptureJournal::DefaultPath());
  TCaptureSession session(engine, &journal);
  // What the graph reports: a full disk or a failing writer stops the
  // recording, its file finished; other errors are said and counted.
  bool graphError = false;
  bool cutShort = false;  // a full disk or a failed writer: the file is finished, the capture is not
  int stopSignal = 0;
  int part = 1;
  bool waveFull = false;  // a WAV file near 4 GiB: the next part is due
  engine.graph().onEvent = [&](const graph::GraphEvent& event) {
    if (event.kind == graph::GraphEvent::Kind::Element && event.notification == kNotifyWaveFileFull) {
      waveFull = true;
      return;
    }
    if (const std::optional<TCaptureFailure> failure = session.HandleEvent(event)) {
      Say(failure->Text());
      cutShort = true;
      stopSignal = -1;
      return;
    }
    if (event.kind != graph::GraphEvent::Kind::Error && event.kind != graph::GraphEvent::Kind::DeviceLost) return;
    graphError = true;
    Say(QStringLiteral("Erreur de %1 : %2")
            .arg(QString::fromStdString(event.source), QString::fromStdString(event.message)));
  };
  const auto fail = [](const TOutcome& outcome) {
    Say(outcome.failure().Text());
    return 1;
  };
  if (const TOutcome started = session.Start(formatCode, file, settings); !started) return fail(started);
  graph::DroppedFrameCounter dropped(CurrentCaptureBranch(engine)->entries.front().get());

  // Image/Image: one frame let through per interval.
  QTimer grab;
  if (formatCode == fcImageByImage) {
    QObject::connect(&grab, &QTimer::timeout, [&engine] { engine.dm().ControlFilter().pass = true; });
    grab.start(intervalMs);
    engine.dm().ControlFilter().pass = true;
  }
  // SIGTERM, SIGINT and SIGHUP end the recording with its files finished.
  TSignalWatcher watcher;
  QObject::connect(&watcher, &TSignalWatcher::received, [&stopSignal](int signal) { stopSignal = signal; });
  bool allFinished = true;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < totalMs && !stopSignal) {
    const qint64 untilCut = cutMs > 0 ? cutMs * part - clock.elapsed() : totalMs;
    RunFor(static_cast<int>(std::max<qint64>(1, std::min<qint64>({untilCut, totalMs - clock.elapsed(), qint64{200}}))),
           stopSignal);
    const bool cutDue = cutMs > 0 && clock.elapsed() >= cutMs * part;
    if (!stopSignal && (cutDue || std::exchange(waveFull, false)) && clock.elapsed() < totalMs) {
      ++part;
      if (const TOutcome cut = session.Cut(PartName(file, part)); !cut) {
        Say(cut.failure().Text());
        allFinished = false;
        break;
      }
    }
  }
  if (stopSignal > 0)
    Say(QStringLiteral("Signal %1 reçu : la capture s'arrête et ses fichiers sont terminés.").arg(stopSignal));
  grab.stop();
  const std::uint64_t droppedFrames = dropped.dropped();
  // Stopped already when the graph reported a full disk or a failed writer.
  const TOutcome stopped = session.recording() ? session.Stop() : TOutcome::Success();
  if (!stopped) Say(stopped.failure().Text());
  const std::uint64_t written = session.framesWritten();
  allFinished = allFinished && stopped.ok() && !graphError;
  // Every finished part of a time-lapse plays at 25 frames a second (those
  // before the last were finished by their cut).
  if (formatCode == fcImageByImage)
    for (qsizetype n = 0; n < session.files().size(); ++n)
      if (n + 1 < session.files().size() || stopped.ok()) SetAviFrameRate(session.files()[n], 25);
  if (videoSource) DeactivateVideoSource(engine, *videoSource, true);
  if (audioSource) DeactivateAudioSource(engine, *audioSource, true);
  std::printf("images écrites : %llu\nimages perdues : %llu\nfichiers : %d\n", static_cast<unsigned long long>(written),
              static_cast<unsigned long long>(droppedFrames), part);
  if (!allFinished) Say("Un fichier n'a pas pu être terminé.");
  return allFinished && !cutShort ? 0 : 1;
}
