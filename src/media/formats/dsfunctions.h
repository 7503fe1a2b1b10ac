// Media utilities used across the program: choosing an element from the
// installed GStreamer elements, the list of video encoders, disk space of the
// capture folders, the interval grabber's beeps, the media framework's version
// and the printable form of a four-character code.
#pragma once

#include <QString>
#include <string>
#include <vector>
#include <QStringList>
#include <cstdint>

#include "media/formats/compressorentry.h"
#include "platform/gstreamer.h"

// Holds the element factory chosen for a slot of the media graph; the graph
// makes its element from it.
struct TFilterHolder {
  gst::FactoryPtr factory;
};

// A category is a list of class words that a factory must all carry, such as
// "Encoder/Video" or "Source/Video".
inline constexpr char kVideoEncoderCategory[] = "Encoder/Video";

// First factory of the category (highest rank first) whose factory name is the
// given one. Clears the holder and answers false when none matches.
bool SelectFilterByClsid(const QString& category, const QString& factoryName, TFilterHolder& holder);

// The same, matching on the readable long name ("libav DV (Digital Video)
// encoder").
bool SelectFilterByName(const QString& category, const QString& friendlyName, TFilterHolder& holder);

// The entries of those encoders, two each, in the order given.
std::vector<TCompressorEntry> CompressorEntries(const std::vector<std::string>& factories);
// Replaces the list with the installed encoders whose output is MPEG-4
// Part 2 (video/mpeg mpegversion 4, or video/x-divx), highest rank first;
// false when there is none.
bool ListMpeg4Compressors(std::vector<TCompressorEntry>& entries);
// Of the compressor names, those with "divx" in them, and those without
// but with "xvid" (case aside), in order; the default is the last Xvid
// one kept, else the first.
struct TCompressorChoice {
  QStringList kept;
  int defaultIndex = 0;
};
TCompressorChoice FilterCompressorNames(const QStringList& names);

// Size of the volume holding the folder, what is used of it and what the user
// may still write, in MiB (2^20 bytes, truncated). 0 when the volume cannot be
// queried.
std::int64_t DiskTotalMB(const QString& folder);
std::int64_t DiskUsedMB(const QString& folder);
std::int64_t DiskFreeMB(const QString& folder);

// The interval grabber's beeps: beep 0 when the grab happens, beep 1 during
// the countdown. Each plays to its end (about 60 ms); silent without a sound
// output.
void PlayBeep0();
void PlayBeep1();

// The media framework's version ("1.22.0"); empty when it cannot be read.
QString GetMediaFrameworkVersionText();
int GetMediaFrameworkMajorVersion();
int GetMediaFrameworkMinorVersion();

// Numbers of a dotted version text: the number before the first dot and the
// number after it. A text without a dot or with anything but digits there
// gives 0.
int ParseMajorVersion(const QString& versionText);
int ParseMinorVersion(const QString& versionText);

// The four bytes of the code as characters, lowest byte first, when every one
// is a printable byte (32 or more); otherwise empty text.
QString FourCCToText(std::uint32_t code);
