#include "settings/conversions.h"

#include <array>

#include "texts.h"

namespace {

struct FormatNames {
  const char* name;
  const char* shortName;
};

// Indexed by format code, 0 to 12.
constexpr std::array<FormatNames, 13> kFormats = {{
    {"", ""},
    {texts::kFormatDvType1Native, texts::kFormatShortNative},
    {texts::kFormatDvType2Native, texts::kFormatShortNative},
    {texts::kFormatMpeg2Native, texts::kFormatShortNative},
    {texts::kFormatMpeg1Native, texts::kFormatShortNative},
    {texts::kFormatAviNative, texts::kFormatShortNative},
    {texts::kFormatDvType2Recompressed, texts::kFormatShortDv2Recompressed},
    {texts::kFormatWmv, texts::kFormatWmv},
    {texts::kFormatImageByImage, texts::kFormatImageByImage},
    {texts::kFormatDivx, texts::kFormatDivx},
    {texts::kFormatDefault, texts::kFormatDefault},
    {texts::kFormatWav, texts::kFormatWav},
    {texts::kFormatMp3, texts::kFormatMp3},
}};

const FormatNames& FormatOf(std::uint8_t code) {
  const std::uint8_t plain = code & 0x7F;
  return plain < kFormats.size() ? kFormats[plain] : kFormats[fcDefault];
}

}  // namespace

QString FormatCaptureName(std::uint8_t code) { return QString::fromUtf8(FormatOf(code).name); }

QString FormatCaptureShortName(std::uint8_t code) { return QString::fromUtf8(FormatOf(code).shortName); }

std::uint8_t FormatCaptureFromName(const QString& name) {
  if (name == QString::fromUtf8(texts::kFormatNone)) return fcNone;
  for (std::uint8_t code = 1; code < kFormats.size(); ++code)
    if (name == QString::fromUtf8(kFormats[code].name)) return code;
  return fcDefault;
}

int FrequenceDVHertz(std::uint8_t code) {
  switch (code) {
    case 1:
      return 32000;
    case 3:
      return 48000;
    default:
      return 44100;
  }
}

const QStringList& StandardDVNames() {
  static const QStringList names = {"Pal", "Ntsc"};
  return names;
}
const QStringList& RatioDVNames() {
  static const QStringList names = {"4x3", "16x9"};
  return names;
}
const QStringList& AspectRatioNames() {
  static const QStringList names = {"Normal", "4x3", "16x9", "natif"};
  return names;
}
const QStringList& ProfileWmvNames() {
  static const QStringList names = {"High", "Medium", "Low", "Internet"};
  return names;
}
const QStringList& VersionWmvNames() {
  static const QStringList names = {"4", "7", "8"};
  return names;
}
const QStringList& FrequenceDVNames() {
  static const QStringList names = {"natif", "32000", "44100", "48000"};
  return names;
}

QString NameOfCode(const QStringList& names, int code) {
  return code >= 0 && code < names.size() ? names[code] : QString();
}

int CodeOfName(const QStringList& names, const QString& name, int fallback) {
  const qsizetype index = names.indexOf(name);
  return index < 0 ? fallback : static_cast<int>(index);
}

std::uint8_t FrequenceDVFromName(const QString& name) {
  return static_cast<std::uint8_t>(CodeOfName(FrequenceDVNames(), name, 0));
}

QString FrequenceDVName(std::uint8_t code) { return NameOfCode(FrequenceDVNames(), code); }
