// Names and codes of the one-byte choices kept in the parameters.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Capture format codes.
enum TFormatCapture : std::uint8_t {
  fcNone = 0,
  fcDvType1Native = 1,
  fcDvType2Native = 2,
  fcMpeg2Native = 3,
  fcMpeg1Native = 4,
  fcAviNative = 5,
  fcDvType2Recompressed = 6,
  fcWmv = 7,
  fcImageByImage = 8,
  fcDivx = 9,
  fcDefault = 10,
  fcWav = 11,
  fcMp3 = 12,
};

// The format's name; the top bit of the code is ignored, 0 has an empty name
// and any code without a name of its own is "défaut".
QString FormatCaptureName(std::uint8_t code);
QString FormatCaptureShortName(std::uint8_t code);
// Exact name ("Aucun" for 0) to code; any other text gives 10.
std::uint8_t FormatCaptureFromName(const QString& name);

// DV audio frequency codes: 1 32000 Hz, 2 44100 Hz, 3 48000 Hz; any other
// code is used as 44100 Hz. By name: "natif" 0, "32000" 1, "44100" 2,
// "48000" 3, anything else 0.
int FrequenceDVHertz(std::uint8_t code);
std::uint8_t FrequenceDVFromName(const QString& name);
QString FrequenceDVName(std::uint8_t code);

// The choices shown in lists, in code order.
const QStringList& StandardDVNames();   // "Pal", "Ntsc"
const QStringList& RatioDVNames();      // "4x3", "16x9"
const QStringList& AspectRatioNames();  // "Normal", "4x3", "16x9", "natif"
const QStringList& ProfileWmvNames();   // "High", "Medium", "Low", "Internet"
const QStringList& VersionWmvNames();   // "4", "7", "8"
const QStringList& FrequenceDVNames();  // "natif", "32000", "44100", "48000"

// A code's name in one of the lists above, empty when out of range; a name's
// code, or `fallback` when it is not in the list.
QString NameOfCode(const QStringList& names, int code);
int CodeOfName(const QStringList& names, const QString& name, int fallback);

// Side panels, numbered as "Panneau actif" keeps them; numbers above the last
// are not panels.
enum TFrameNumber : std::uint8_t {
  pnSources = 0,
  pnFolders = 1,
  pnSchedule = 2,
  pnImageExtraction = 3,
  pnOverlay = 4,
  pnOptions = 5,
  pnCapturedFiles = 6,
  pnHelp = 7,
  pnAbout = 8,
};
inline bool IsPanelNumber(int value) { return value >= pnSources && value <= pnAbout; }
