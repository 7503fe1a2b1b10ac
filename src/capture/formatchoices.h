// The picture formats a device offers, one choice per format, size and frame
// rate, as the format dialog lists them, and the caps that ask for one.
#pragma once

#include <QString>
#include <vector>

#include "platform/gstreamer.h"

struct TFormatChoice {
  QString mediaType;  // "video/x-raw", "image/jpeg"...
  QString format;     // "YUY2"; empty for compressed pictures
  int width = 0;
  int height = 0;
  int rateNumerator = 0;  // 0: any rate
  int rateDenominator = 1;
  double rate() const { return rateNumerator ? double(rateNumerator) / rateDenominator : 0.0; }
  // "YUY2 640x480 30 img/s"
  QString Text() const;
  bool operator==(const TFormatChoice&) const = default;
};

// Lists and ranges are spread into choices (a range gives its largest size
// and the usual smaller ones inside it); the device's order is kept and
// repeats are left out.
std::vector<TFormatChoice> FormatChoicesOf(const GstCaps* caps);
gst::CapsPtr CapsOfChoice(const TFormatChoice& choice);
