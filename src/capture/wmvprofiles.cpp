#include "capture/wmvprofiles.h"

#include "platform/gstreamer.h"

namespace {

std::vector<TWmvProfile> Table(const char* codec, const QString& family) {
  const auto row = [&](const char* what, int width, int height, int fps, int video, int audio, int rate, int channels) {
    return TWmvProfile{QStringLiteral("%1 - %2 (%3 kbit/s, %4x%5)").arg(family, QString::fromUtf8(what)).arg(video + audio).arg(width).arg(height),
                       codec, "avenc_wmav2", width, height, fps, video, audio, rate, channels};
  };
  return {
      row("Haute qualité", 640, 480, 25, 1500, 128, 44100, 2),
      row("Qualité moyenne", 320, 240, 25, 600, 96, 44100, 2),
      row("Basse qualité", 320, 240, 15, 250, 64, 32000, 2),
      row("Internet", 176, 144, 15, 100, 32, 22050, 1),
      row("Pleine résolution", 720, 576, 25, 3000, 160, 48000, 2),
      row("Modem", 160, 120, 10, 28, 16, 16000, 1),
  };
}

}  // namespace

const std::vector<TWmvProfile>& WmvProfiles(int version) {
  static const std::vector<TWmvProfile> four = Table("avenc_wmv1", "Windows Media 4");
  static const std::vector<TWmvProfile> seven = Table("avenc_wmv1", "Windows Media 7");
  static const std::vector<TWmvProfile> eight = Table("avenc_wmv2", "Windows Media 8");
  return version == 0 ? four : version == 1 ? seven : eight;
}

unsigned WmvVersionWord(int version) { return version == 0 ? 0x40000u : version == 1 ? 0x70000u : 0x80000u; }

int SelectedWmvProfile(int version, bool profilParDefaut, int profileWmv, int listPosition) {
  const int row = profilParDefaut ? profileWmv : listPosition;
  const int count = static_cast<int>(WmvProfiles(version).size());
  return row >= 0 && row < count && (!profilParDefaut || row < 4) ? row : -1;
}

bool WindowsMediaAvailable() {
  for (const char* factory : {"asfmux", "avenc_wmv1", "avenc_wmv2", "avenc_wmav2"})
    if (!gst::FactoryExists(factory)) return false;
  return true;
}
