#include "media/filters/vx_scenedetect.h"

#include <cmath>
#include <cstring>

Tvx_SceneDetect::Tvx_SceneDetect() : TTransInPlaceFilter(false) { Reset(); }

FilterResult Tvx_SceneDetect::CheckInputType(const TMediaType& type) {
  if (type.major == MediaMajor::Interleaved) return FilterResult::Deliver;
  if (type.major == MediaMajor::Video && type.subtype == MediaSubtype::Dvsd) return FilterResult::Deliver;
  return FilterResult::Refuse;
}

void Tvx_SceneDetect::Reset() {
  writeIndex.store(0);
  readIndex.store(0);
  sceneStart_.frameCount = 0;
  sceneStart_.hasDate = sceneStart_.hasTimeCode = sceneStart_.hasAllPacks = false;
  firstFrame_ = true;
  current_.frameCount = 0;
  // A first frame with a date is not a date that came back.
  current_.hasDate = true;
  current_.isWide = false;
  lastDate_ = 0.0;
  haveLastDate_ = false;
}

void Tvx_SceneDetect::SetSceneCallback(SceneCallback callback) {
  std::lock_guard lock(callbackMutex_);
  sceneCallback_ = std::move(callback);
}

void Tvx_SceneDetect::CallScene() {
  std::lock_guard lock(callbackMutex_);
  if (sceneCallback_) sceneCallback_(sceneStart_, current_);
}

void Tvx_SceneDetect::Stop() {
  CallScene();
  Reset();
  // Slots written so far belong to the run that ends here.
  run_.fetch_add(1, std::memory_order_relaxed);
}

void Tvx_SceneDetect::Decode(const std::uint8_t* frame, std::size_t length) {
  bool datePresent = false;
  for (int sequence = 0; sequence < dv::kScannedSequences && !datePresent; ++sequence) {
    const dv::DateTime dateTime = dv::ReadRecordingDateTime(frame, length, sequence);
    if (!dateTime.present()) continue;
    datePresent = true;
    const std::optional<double> days = DateTimeToDays(dateTime);
    if (days) current_.recordingDate = *days;  // an invalid date keeps the previous value
    current_.hasDate = days.has_value();
  }
  if (!datePresent) {
    current_.recordingDate = 0.0;
    current_.hasDate = false;
  }

  current_.hasTimeCode = false;
  for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
    const dv::TimeCode code = dv::ReadTimeCode(frame, length, sequence);
    if (!code.present()) continue;
    current_.timeCode = code;
    current_.hasTimeCode = true;
    break;
  }

  current_.audioSampleRate = dv::ReadAudioSampleRate(frame, length);
  current_.audioBits = dv::ReadAudioQuantization(frame, length);
  current_.frameIndex = current_.frameCount;
  current_.isWide = dv::IsWideScreen(frame, length);
  current_.videoSystem = dv::ReadVideoSystem(frame, length);
  current_.hasAllPacks =
      current_.hasTimeCode && dv::HasSourceControlPack(frame, length) && current_.audioSampleRate != -1;
}

void Tvx_SceneDetect::DecideScene() {
  bool boundary = false;
  if (!current_.hasDate && previous_.hasDate && current_.frameCount > 0) {
    boundary = true;  // the date disappeared
  } else if (!previous_.hasDate && current_.hasDate) {
    const std::int64_t gap = std::int64_t{current_.frameCount} - std::int64_t{sceneStart_.frameCount};
    boundary = std::llabs(gap) > kFrameGap;
    lastDate_ = current_.recordingDate;
  } else if (previous_.hasDate && current_.hasDate) {
    // Dates have whole seconds: the jump is compared in whole seconds, so
    // that two dates 2 seconds apart never pass for more by rounding.
    const double jumpSeconds = std::fabs(current_.recordingDate - lastDate_) * 86400.0;
    boundary = haveLastDate_ && std::llround(jumpSeconds) > kDateJumpSeconds;
    lastDate_ = current_.recordingDate;
    haveLastDate_ = true;
  }
  if (!boundary) return;
  CallScene();
  sceneStart_ = current_;
}

void Tvx_SceneDetect::Store(const std::uint8_t* frame, std::size_t length, ReferenceTime start) {
  const int index = (writeIndex.load(std::memory_order_relaxed) + 1) % kHistorySize;
  HistorySlot& slot = history_[static_cast<std::size_t>(index)];
  slot.info = current_;
  for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
    const std::size_t from = static_cast<std::size_t>(sequence) * dv::kDifSequenceBytes;
    std::memcpy(slot.headers.data() + sequence * dv::kHeaderBlocksBytes, frame + from,
                std::min(dv::kHeaderBlocksBytes, length - std::min(length, from)));
  }
  slot.startTime = start;
  slot.run.store(run(), std::memory_order_release);
  writeIndex.store(index, std::memory_order_release);
}

FilterResult Tvx_SceneDetect::Transform(TMediaSample& sample) {
  const ReferenceTime start = sample.start.value_or(0);
  previous_ = current_;
  sample.mediaStart = current_.frameCount;
  sample.mediaStop = std::int64_t{current_.frameCount} + 1;

  // Only whole frames are decoded and stored.
  if (sample.data && sample.size >= dv::kFrameBytes525) {
    Decode(sample.data, sample.size);
    if (announceAgain_.exchange(false, std::memory_order_relaxed)) previous_.isWide = !current_.isWide;
    if (current_.isWide != previous_.isWide) Post(kNotifyWideScreen, 1, current_.isWide ? 1 : 0);
    DecideScene();
    ++current_.frameCount;
    Store(sample.data, sample.size, start);
    currentDate_.store(current_.recordingDate, std::memory_order_relaxed);
    currentHasDate_.store(current_.hasDate, std::memory_order_relaxed);
    currentSystem_.store(current_.videoSystem, std::memory_order_relaxed);
  }
  if (firstFrame_) {
    sceneStart_ = current_;
    firstFrame_ = false;
  }
  return FilterResult::Deliver;
}
