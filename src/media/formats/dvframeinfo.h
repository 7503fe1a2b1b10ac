// What the program keeps of one DV frame's metadata packs (the scene
// detector's record, the scene file's lines), and the recording date as the
// program counts dates: days since 1899-12-30.
#pragma once

#include <cstdint>
#include <optional>

#include "media/formats/dvcodes.h"

struct DvFrameInfo {
  std::uint32_t frameCount = 0;  // frames passed before this one since the start
  bool hasDate = false;
  bool hasTimeCode = false;
  bool hasAllPacks = false;
  double recordingDate = 0.0;  // days since 1899-12-30
  dv::TimeCode timeCode;
  bool isWide = false;
  std::uint8_t videoSystem = dv::kSystemUnknown;
  std::int32_t audioSampleRate = -1;
  std::int32_t audioBits = -1;
  std::int64_t frameIndex = 0;
};

// A calendar date and time as days since 1899-12-30; nothing when it is not a
// real date and time.
std::optional<double> DateTimeToDays(const dv::DateTime& dateTime);
