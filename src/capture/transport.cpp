#include "capture/transport.h"

#include <cstdio>

namespace transport {

std::string TimecodeText(std::uint32_t bcd) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(bcd));
  std::string hours(hex, 2);
  if (hours[0] == '0') hours.erase(0, 1);
  return hours + ':' + std::string(hex + 2, 2) + ':' + std::string(hex + 4, 2) + ':' + std::string(hex + 6, 2);
}

std::optional<std::uint32_t> TimecodeFromText(const std::string& text) {
  if (text.size() != 11) return std::nullopt;
  std::uint32_t bcd = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i % 3 == 2) {
      if (c != ':' && c != ';' && c != '.') return std::nullopt;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    bcd = (bcd << 4) | static_cast<std::uint32_t>(c - '0');
  }
  return bcd;
}

std::uint32_t TimecodeFromFrames(std::int64_t frames, int framesPerSecond) {
  if (frames < 0) frames = 0;
  const std::int64_t seconds = frames / framesPerSecond;
  const auto bcd = [](std::int64_t value) { return static_cast<std::uint32_t>((value / 10 % 10) << 4 | value % 10); };
  return bcd(seconds / 3600 % 100) << 24 | bcd(seconds / 60 % 60) << 16 | bcd(seconds % 60) << 8 |
         bcd(frames % framesPerSecond);
}

}  // namespace transport
