#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "media/formats/dvcodes.h"

// A synthetic PAL DV frame holding only the packs the readers look at (the
// picture is blank): recording date and time, time code, source control and
// audio source, written in the given sequence.
struct DvFrameSpec {
  std::optional<dv::DateTime> date = dv::DateTime{2024, 7, 14, 10, 30, 0};
  std::optional<dv::TimeCode> timeCode = dv::TimeCode{0, 0, 0, 0};
  bool wide = false;
  int sequence = 0;
  int sampleRate = 48000;
  int bits = 16;
  dv::VideoSystem system = dv::kSystem625;
};

inline std::vector<std::uint8_t> MakeDvFrame(const DvFrameSpec& wanted) {
  std::vector<std::uint8_t> frame(wanted.system == dv::kSystem625 ? dv::kFrameBytes625 : dv::kFrameBytes525, 0);
  dv::FillPacks(frame.data(), frame.size(), 0xFF);
  dv::WriteVideoSystem(frame.data(), frame.size(), wanted.system);
  if (wanted.date) dv::WriteRecordingDateTime(frame.data(), frame.size(), wanted.sequence, *wanted.date);
  if (wanted.timeCode) dv::WriteTimeCode(frame.data(), frame.size(), wanted.sequence, *wanted.timeCode);
  frame[dv::kSourceControlPack] = dv::kSourceControlPackId;
  frame[dv::kSourceControlPack + 2] = 0;
  if (wanted.wide) dv::SetWideScreen(frame.data(), frame.size(), 0);
  if (wanted.sampleRate > 0) dv::WriteAudioSource(frame.data(), frame.size(), wanted.sampleRate, wanted.bits);
  return frame;
}

// The date and time `seconds` after a start, within one day.
inline dv::DateTime AddSeconds(dv::DateTime t, int seconds) {
  const int total = t.hour * 3600 + t.minute * 60 + t.second + seconds;
  t.hour = static_cast<std::uint8_t>(total / 3600);
  t.minute = static_cast<std::uint8_t>(total / 60 % 60);
  t.second = static_cast<std::uint8_t>(total % 60);
  return t;
}
