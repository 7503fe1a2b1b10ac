// The Windows Media capture profiles, our own table per version: what each
// is called, which encoders it takes, the picture's size and rate, the
// bitrates and the sound. Version "4" uses WMV1 (version 7's codec), the
// nearest one the ASF muxer carries; "8" uses WMV2. The first four rows of
// each version are the pre-set profiles: High, Medium, Low, Internet.
#pragma once

#include <QString>
#include <vector>

struct TWmvProfile {
  QString name;
  const char* videoEncoder;
  const char* audioEncoder;
  int width, height;
  int framesPerSecond;
  int videoKbps, audioKbps;
  int audioRate, channels;
};

// Version 0 is "4", 1 "7", 2 "8"; others give the "8" table.
const std::vector<TWmvProfile>& WmvProfiles(int version);
// The version words of the profile manager: 0x40000, 0x70000, 0x80000.
unsigned WmvVersionWord(int version);
// The row a capture uses: the pre-set one of "Profile wmv" while "Profil
// par défaut" is on, else the list's (position = row, 0 included); -1 when
// there is no such row.
int SelectedWmvProfile(int version, bool profilParDefaut, int profileWmv, int listPosition);
// Whether the encoders and the muxer are installed.
bool WindowsMediaAvailable();
