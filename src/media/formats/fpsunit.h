// Playback frame rate of a frame-by-frame ("Image/Image") AVI capture: its
// frames were stamped one unit apart, so once the file is finished the video
// stream header's scale and rate are rewritten to the chosen frame rate.
// Nothing else in the file changes.
#pragma once

#include <QString>
#include <optional>

class QIODevice;

struct AviWalkResult {
  // File offset of dwScale in the last video ("vids" or "iavs") stream
  // header; dwRate follows it.
  std::optional<qint64> scaleOffset;
  bool riff = false;       // the file starts with a RIFF chunk
  bool truncated = false;  // a chunk claims more bytes than the file has
};

// Walks the RIFF structure (skipping "movi" without reading it).
AviWalkResult FindVideoStreamHeader(QIODevice& file);
AviWalkResult FindVideoStreamHeader(const QString& path);

enum class FrameRateResult { Rewritten, RateRefused, CannotOpen, NotRiff, Truncated, NoVideoStream, WriteFailed };

// Accepts 0 < frames per second <= 1000; writes scale = round(1 000 000 /
// fps) and rate = 1 000 000. A file that is not RIFF, is cut short or has no
// video stream is left untouched.
FrameRateResult SetAviFrameRate(const QString& path, double framesPerSecond);
