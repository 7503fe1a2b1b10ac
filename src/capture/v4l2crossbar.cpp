#include "capture/v4l2crossbar.h"

#include <linux/videodev2.h>
#include <sys/ioctl.h>

#include <QString>
#include <bit>
#include <cerrno>

namespace {

constexpr long kVideoDecoder = 12, kAudioDecoder = 4105, kAudioLine = 4097;
constexpr long kComposite = 2, kSVideo = 3, kRgb = 4, kComponent = 5, kAux = 9, kScart = 14;

int Control(int fd, unsigned long request, void* argument) {
  int result;
  do result = ::ioctl(fd, request, argument);
  while (result < 0 && errno == EINTR);
  return result;
}

// Every item the driver lists under `request`, from index 0 until it refuses.
template <typename Raw, typename Make>
auto Enumerate(int fd, unsigned long request, Make make) {
  std::vector<decltype(make(Raw{}))> items;
  for (std::uint32_t index = 0;; ++index) {
    Raw raw{};
    raw.index = index;
    if (Control(fd, request, &raw) < 0) return items;
    items.push_back(make(raw));
  }
}

class TDeviceInputs : public IV4l2Inputs {
 public:
  explicit TDeviceInputs(int fd) : fd_(fd) {}
  std::vector<TV4l2Input> VideoInputs() const override {
    return Enumerate<v4l2_input>(fd_, VIDIOC_ENUMINPUT, [](const v4l2_input& input) {
      return TV4l2Input{reinterpret_cast<const char*>(input.name), input.type == V4L2_INPUT_TYPE_TUNER, input.audioset};
    });
  }
  std::vector<TV4l2Audio> AudioInputs() const override {
    return Enumerate<v4l2_audio>(fd_, VIDIOC_ENUMAUDIO, [](const v4l2_audio& audio) {
      return TV4l2Audio{reinterpret_cast<const char*>(audio.name)};
    });
  }
  bool SelectVideo(int index) override { return Control(fd_, VIDIOC_S_INPUT, &index) == 0; }
  bool SelectAudio(int index) override {
    v4l2_audio audio{};
    audio.index = static_cast<std::uint32_t>(index);
    return Control(fd_, VIDIOC_S_AUDIO, &audio) == 0;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<IV4l2Inputs> V4l2DeviceInputs(int fd) { return std::make_unique<TDeviceInputs>(fd); }

long V4l2PhysicalType(const TV4l2Input& input) {
  if (input.tuner) return kVideoTuner;
  const QString name = QString::fromStdString(input.name).toLower();
  const auto has = [&name](const char* word) { return name.contains(QLatin1String(word)); };
  if (has("composite") || has("cvbs")) return kComposite;
  if (has("s-video") || has("svideo") || has("s video")) return kSVideo;
  if (has("rgb")) return kRgb;
  if (has("component") || has("ypbpr")) return kComponent;
  if (has("scart") || has("péritel")) return kScart;
  return kAux;
}

TV4l2Crossbar::TV4l2Crossbar(IV4l2Inputs& card) : card_(card), video_(card.VideoInputs()), audio_(card.AudioInputs()) {}

long TV4l2Crossbar::PhysicalType(bool input, int index) const {
  if (!input) return index == 0 ? kVideoDecoder : kAudioDecoder;
  if (IsVideo(index)) return V4l2PhysicalType(video_[index]);
  // A sound input is the tuner's when it goes with a tuner.
  const std::uint32_t bit = 1u << (index - static_cast<int>(video_.size()));
  for (const TV4l2Input& video : video_)
    if (video.tuner && (video.audioset & bit)) return kAudioTuner;
  return kAudioLine;
}

int TV4l2Crossbar::RelatedPin(bool input, int index) const {
  if (!input) return index == 0 ? 1 : 0;
  if (!IsVideo(index) || video_[index].audioset == 0) return -1;
  const int audio = std::countr_zero(video_[index].audioset);
  return audio < static_cast<int>(audio_.size()) ? static_cast<int>(video_.size()) + audio : -1;
}

bool TV4l2Crossbar::CanRoute(int output, int input) const {
  return (output == 0 && IsVideo(input)) || (output == 1 && IsAudio(input));
}

bool TV4l2Crossbar::Route(int output, int input) {
  if (!CanRoute(output, input)) return false;
  return output == 0 ? card_.SelectVideo(input) : card_.SelectAudio(input - static_cast<int>(video_.size()));
}
