// tessivo-dvinfo: reads a raw DV stream (a file, or standard input) and prints
// one line per frame (index, recording date and time, time code, 16:9, video
// system, audio) and one line per scene found by the scene detector; can
// write the scene file for it.
#include <QCoreApplication>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "media/filters/vx_scenedetect.h"
#include "media/formats/dvcodes.h"
#include "media/formats/ecrire_scnunit.h"

namespace {

std::string DateText(const std::uint8_t* frame, std::size_t length) {
  for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
    const dv::DateTime t = dv::ReadRecordingDateTime(frame, length, sequence);
    if (!t.present()) continue;
    if (!DateTimeToDays(t)) return "invalide";
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute,
                  t.second);
    return text;
  }
  return "-";
}

std::string TimeCodeText(const std::uint8_t* frame, std::size_t length) {
  for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
    const dv::TimeCode code = dv::ReadTimeCode(frame, length, sequence);
    if (!code.present()) continue;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", code.hours, code.minutes, code.seconds, code.frames);
    return text;
  }
  return "-";
}

const char* SystemText(dv::VideoSystem system) {
  return system == dv::kSystem625 ? "625/50" : system == dv::kSystem525 ? "525/60" : "?";
}

// Reads up to `size` bytes; fewer only at the end of the input.
std::size_t ReadFully(FILE* input, std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t got = std::fread(data + done, 1, size - done, input);
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool LooksLikeDv(const std::uint8_t* data, std::size_t length) {
  // A DIF header block: section type 0 in the top bits of the first byte, and
  // the system byte with its reserved bits set.
  return length >= 4 && (data[0] & 0xE0) == 0 && (data[3] & 0x7F) == 0x3F;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::string inputPath = "-";
  std::string scenePath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--scn" && i + 1 < argc)
      scenePath = argv[++i];
    else if (arg == "--help" || (arg.size() > 1 && arg[0] == '-')) {
      std::fprintf(stderr, "Usage : tessivo-dvinfo [FICHIER.dv | -] [--scn SORTIE.scn]\n");
      return 2;
    } else
      inputPath = arg;
  }
  FILE* input = inputPath == "-" ? stdin : std::fopen(inputPath.c_str(), "rb");
  if (!input) {
    std::fprintf(stderr, "tessivo-dvinfo : impossible d'ouvrir %s : %s\n", inputPath.c_str(), std::strerror(errno));
    return 1;
  }

  std::vector<std::uint8_t> frame(dv::kFrameBytes625);
  std::size_t got = ReadFully(input, frame.data(), 4);
  if (got == 0) {
    std::fprintf(stderr, "tessivo-dvinfo : %s est vide\n", inputPath.c_str());
    return 3;
  }
  if (!LooksLikeDv(frame.data(), got)) {
    std::fprintf(stderr, "tessivo-dvinfo : %s n'est pas un flux DV brut\n", inputPath.c_str());
    return 3;
  }
  const std::size_t frameBytes = frame[dv::kDsfByte] == dv::kDsf625 ? dv::kFrameBytes625 : dv::kFrameBytes525;
  got += ReadFully(input, frame.data() + got, frameBytes - got);

  TSceneFileWriter writer;
  if (!scenePath.empty()) {
    switch (writer.OpenSceneFile(QString::fromLocal8Bit(scenePath.c_str()))) {
      case TSceneFileWriter::OpenResult::Opened:
        break;
      case TSceneFileWriter::OpenResult::PathTooLong:
        std::fprintf(stderr, "tessivo-dvinfo : chemin du fichier de scènes trop long (255 octets au plus)\n");
        return 1;
      case TSceneFileWriter::OpenResult::CannotCreate:
        std::fprintf(stderr, "tessivo-dvinfo : impossible de créer %s\n", scenePath.c_str());
        return 1;
    }
  }
  Tvx_SceneDetect detector;
  int sceneNumber = 0;
  detector.SetSceneCallback([&](const DvFrameInfo& start, const DvFrameInfo& current) {
    std::printf("scène %d : images %u à %u\n", ++sceneNumber, start.frameCount, current.frameCount);
    writer.WriteScene(start, current);
  });

  int status = 0;
  for (std::int64_t index = 0; got > 0; ++index) {
    if (got < frameBytes) {
      std::fprintf(stderr, "tessivo-dvinfo : image %lld incomplète (%zu octets sur %zu)\n",
                   static_cast<long long>(index), got, frameBytes);
      status = 4;
    }
    const std::uint8_t* data = frame.data();
    std::printf("image %lld | %s | %s | %s | %s | ", static_cast<long long>(index), DateText(data, got).c_str(),
                TimeCodeText(data, got).c_str(), dv::IsWideScreen(data, got) ? "16:9" : "4:3",
                SystemText(dv::ReadVideoSystem(data, got)));
    const int rate = dv::ReadAudioSampleRate(data, got);
    if (rate < 0)
      std::printf("-\n");
    else
      std::printf("%d Hz %d bits\n", rate, dv::ReadAudioQuantization(data, got));
    TMediaSample sample;
    sample.data = frame.data();
    sample.size = got;
    sample.start = index * (frameBytes == dv::kFrameBytes625 ? kFrameDuration25 : kFrameDuration2997);
    detector.Transform(sample);
    got = ReadFully(input, frame.data(), frameBytes);
  }
  detector.Stop();
  writer.CloseSceneFile();
  if (input != stdin) std::fclose(input);
  return status;
}
