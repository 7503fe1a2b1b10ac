// What the program's own stream filters are written against: samples with
// their times and flags, the media types they accept, and the two filter
// shapes (transform into a new sample, or change the sample in place). The
// GStreamer adapter turns any of them into an element; tests drive them
// directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// 100-nanosecond units, as the stream times are counted.
using ReferenceTime = std::int64_t;
inline constexpr ReferenceTime kFrameDuration25 = 400000;
inline constexpr ReferenceTime kFrameDuration2997 = 333667;

enum class MediaMajor { Video, Interleaved, Audio, Stream, Other };
enum class MediaSubtype { None, Dvsd, Rgb24, Pcm, Other };

struct TMediaType {
  MediaMajor major = MediaMajor::Other;
  MediaSubtype subtype = MediaSubtype::None;
  // Pictures (RGB24 rows are top-down, `stride` bytes apart).
  int width = 0;
  int height = 0;
  int stride = 0;
  int frameRateNumerator = 0;
  int frameRateDenominator = 1;
  // Sound.
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;
  bool operator==(const TMediaType&) const = default;
};

struct TMediaSample {
  std::uint8_t* data = nullptr;
  std::size_t size = 0;  // bytes of data
  std::optional<ReferenceTime> start, stop;
  std::optional<std::int64_t> mediaStart, mediaStop;
  bool syncPoint = false;
  bool discontinuity = false;
  bool preroll = false;
  const TMediaType* type = nullptr;
};

// What a filter answers for a sample or a media type: deliver the sample,
// drop it, or refuse the type.
enum class FilterResult { Deliver, Drop, Refuse };

// What a filter may tell the program from its streaming thread. Messages are
// posted, never waited for.
class TFilterHost {
 public:
  virtual ~TFilterHost() = default;
  virtual void PostNotification(int message, std::intptr_t first, std::intptr_t second) = 0;
  virtual void QualityChanged() = 0;
};

class TFilter {
 public:
  virtual ~TFilter() = default;

  virtual FilterResult CheckInputType(const TMediaType& type) = 0;
  // Called once when streaming starts and once when it stops.
  virtual void StartStreaming() {}
  virtual void StopStreaming() {}
  // The graph stops: called once streaming has stopped.
  virtual void Stop() {}
  // The end of the stream has gone through the filter and on downstream.
  virtual void EndOfStreamDelivered() {}
  // The input's media type, once negotiated.
  virtual void InputTypeSet(const TMediaType& type) { (void)type; }
  // Whether the sample just transformed reached the next element: a filter
  // that counts what it delivered takes back what was refused downstream.
  virtual void ReceiveFinished(bool delivered) { (void)delivered; }

  void setHost(TFilterHost* host) { host_ = host; }
  TFilterHost* host() const { return host_; }

 protected:
  void Post(int message, std::intptr_t first, std::intptr_t second) const {
    if (host_) host_->PostNotification(message, first, second);
  }

 private:
  TFilterHost* host_ = nullptr;
};

// Changes (or only looks at) the sample and passes it on.
class TTransInPlaceFilter : public TFilter {
 public:
  explicit TTransInPlaceFilter(bool modifiesData) : modifiesData_(modifiesData) {}
  bool modifiesData() const { return modifiesData_; }
  virtual FilterResult Transform(TMediaSample& sample) = 0;

 private:
  bool modifiesData_;
};

// Makes a new sample from the input sample, possibly of another type.
class TTransformFilter : public TFilter {
 public:
  // The output type for an input type; the input type itself by default.
  virtual std::optional<TMediaType> OutputType(const TMediaType& input) { return input; }
  // Bytes an output sample needs for an output type.
  virtual std::size_t OutputSize(const TMediaType& output, std::size_t inputSize) const {
    (void)output;
    return inputSize;
  }
  virtual FilterResult Transform(const TMediaSample& input, TMediaSample& output) = 0;
  // A byte-stream writer's head: sent once before the first sample, and
  // again over the start of the stream (byte 0) when the stream ends, once
  // its sizes are known. Empty when the filter writes none.
  virtual std::vector<std::uint8_t> LeadingBytes() { return {}; }
  virtual std::vector<std::uint8_t> FinalBytes() { return {}; }
};

// Notification messages posted to the main window.
inline constexpr int kNotifyGrabbedFrame = 0x0401;
inline constexpr int kNotifyIntervalCountdown = 0x0402;
inline constexpr int kNotifyWideScreen = 0x0403;
// The WAV file is about to reach 4 GiB: the capture must go on in the next
// file.
inline constexpr int kNotifyWaveFileFull = 0x0404;
