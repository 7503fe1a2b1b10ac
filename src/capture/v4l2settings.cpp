// A V4L2 node's inputs, picture controls and tuner, each answer read from the
// node opened for it and closed after.
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "capture/devicesettings.h"
#include "capture/v4l2crossbar.h"

namespace {

int Control(int fd, unsigned long request, void* argument) {
  int result;
  do result = ::ioctl(fd, request, argument);
  while (result < 0 && errno == EINTR);
  return result;
}

// The node, open for one answer.
class TNode {
 public:
  explicit TNode(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) {}
  ~TNode() {
    if (fd_ >= 0) ::close(fd_);
  }
  TNode(const TNode&) = delete;
  TNode& operator=(const TNode&) = delete;
  int fd() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::string Text(const __u8* text, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(text), strnlen(reinterpret_cast<const char*>(text), size));
}

class TV4l2Settings : public IDeviceSettings, IV4l2Inputs, IVideoControls, ITvTuner {
 public:
  explicit TV4l2Settings(std::string path) : path_(std::move(path)) {}

  IV4l2Inputs* Inputs() override { return HasInputs() ? this : nullptr; }
  IVideoControls* PictureControls() override { return Controls().empty() ? nullptr : this; }
  ITvTuner* Tuner() override { return HasStandards() ? this : nullptr; }

  // Inputs.
  std::vector<TV4l2Input> VideoInputs() const override {
    const TNode node(path_);
    return node ? V4l2DeviceInputs(node.fd())->VideoInputs() : std::vector<TV4l2Input>{};
  }
  std::vector<TV4l2Audio> AudioInputs() const override {
    const TNode node(path_);
    return node ? V4l2DeviceInputs(node.fd())->AudioInputs() : std::vector<TV4l2Audio>{};
  }
  bool SelectVideo(int index) override {
    const TNode node(path_);
    return node && V4l2DeviceInputs(node.fd())->SelectVideo(index);
  }
  bool SelectAudio(int index) override {
    const TNode node(path_);
    return node && V4l2DeviceInputs(node.fd())->SelectAudio(index);
  }

  // Controls, from the user class on.
  std::vector<TVideoControl> Controls() const override {
    std::vector<TVideoControl> controls;
    const TNode node(path_);
    if (!node) return controls;
    v4l2_query_ext_ctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND;
    while (Control(node.fd(), VIDIOC_QUERY_EXT_CTRL, &query) == 0) {
      const std::uint32_t id = query.id;
      query.id |= V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND;
      if (query.flags & V4L2_CTRL_FLAG_DISABLED) continue;
      TVideoControl control;
      switch (query.type) {
        case V4L2_CTRL_TYPE_INTEGER:
        case V4L2_CTRL_TYPE_INTEGER64:
          control.type = TVideoControl::Type::Integer;
          break;
        case V4L2_CTRL_TYPE_BOOLEAN:
          control.type = TVideoControl::Type::Boolean;
          break;
        case V4L2_CTRL_TYPE_MENU:
        case V4L2_CTRL_TYPE_INTEGER_MENU:
          control.type = TVideoControl::Type::Menu;
          break;
        case V4L2_CTRL_TYPE_BUTTON:
          control.type = TVideoControl::Type::Button;
          break;
        default:
          continue;  // class headers, strings, compound controls
      }
      control.id = id;
      control.name = Text(reinterpret_cast<const __u8*>(query.name), sizeof query.name);
      control.minimum = query.minimum;
      control.maximum = query.maximum;
      control.step = query.step ? static_cast<std::int64_t>(query.step) : 1;
      control.defaultValue = query.default_value;
      control.readOnly = (query.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED)) != 0;
      if (control.type == TVideoControl::Type::Menu)
        for (std::int64_t item = query.minimum; item <= query.maximum; ++item) {
          v4l2_querymenu menu{};
          menu.id = id;
          menu.index = static_cast<std::uint32_t>(item);
          if (Control(node.fd(), VIDIOC_QUERYMENU, &menu) != 0) continue;
          control.menu.emplace_back(item, query.type == V4L2_CTRL_TYPE_MENU
                                              ? Text(menu.name, sizeof menu.name)
                                              : std::to_string(static_cast<long long>(menu.value)));
        }
      controls.push_back(std::move(control));
    }
    return controls;
  }
  bool Value(std::uint32_t id, std::int64_t& value) const override {
    const TNode node(path_);
    v4l2_ext_control control{};
    control.id = id;
    v4l2_ext_controls list{};
    list.which = V4L2_CTRL_WHICH_CUR_VAL;
    list.count = 1;
    list.controls = &control;
    if (!node || Control(node.fd(), VIDIOC_G_EXT_CTRLS, &list) != 0) return false;
    value = control.value64 ? control.value64 : control.value;
    return true;
  }
  bool SetValue(std::uint32_t id, std::int64_t value) override {
    const TNode node(path_);
    v4l2_ext_control control{};
    control.id = id;
    control.value64 = value;
    control.value = static_cast<std::int32_t>(value);
    v4l2_ext_controls list{};
    list.which = V4L2_CTRL_WHICH_CUR_VAL;
    list.count = 1;
    list.controls = &control;
    return node && Control(node.fd(), VIDIOC_S_EXT_CTRLS, &list) == 0;
  }

  // Standards and tuner.
  std::vector<std::string> Standards() const override {
    std::vector<std::string> names;
    for (const v4l2_standard& standard : StandardList()) names.push_back(Text(standard.name, sizeof standard.name));
    return names;
  }
  int Standard() const override {
    const TNode node(path_);
    v4l2_std_id current = 0;
    if (!node || Control(node.fd(), VIDIOC_G_STD, &current) != 0) return -1;
    const std::vector<v4l2_standard> list = StandardList();
    for (std::size_t i = 0; i < list.size(); ++i)
      if (list[i].id == current) return static_cast<int>(i);
    for (std::size_t i = 0; i < list.size(); ++i)
      if (list[i].id & current) return static_cast<int>(i);
    return -1;
  }
  bool SetStandard(int index) override {
    const std::vector<v4l2_standard> list = StandardList();
    if (index < 0 || index >= static_cast<int>(list.size())) return false;
    const TNode node(path_);
    v4l2_std_id id = list[index].id;
    return node && Control(node.fd(), VIDIOC_S_STD, &id) == 0;
  }
  bool Frequency(std::uint32_t& kiloHertz) const override {
    const TNode node(path_);
    v4l2_tuner tuner{};
    v4l2_frequency frequency{};
    if (!node || Control(node.fd(), VIDIOC_G_TUNER, &tuner) != 0) return false;
    frequency.tuner = 0;
    if (Control(node.fd(), VIDIOC_G_FREQUENCY, &frequency) != 0) return false;
    kiloHertz = static_cast<std::uint32_t>(ToKiloHertz(tuner, frequency.frequency));
    return true;
  }
  bool SetFrequency(std::uint32_t kiloHertz) override {
    const TNode node(path_);
    v4l2_tuner tuner{};
    if (!node || Control(node.fd(), VIDIOC_G_TUNER, &tuner) != 0) return false;
    v4l2_frequency frequency{};
    frequency.tuner = 0;
    frequency.type = tuner.type;
    const double unit = (tuner.capability & V4L2_TUNER_CAP_LOW) ? 1000.0 / 62.5 : 1.0 / 62.5;
    frequency.frequency = static_cast<std::uint32_t>(kiloHertz * unit + 0.5);
    return Control(node.fd(), VIDIOC_S_FREQUENCY, &frequency) == 0;
  }
  int Signal() const override {
    const TNode node(path_);
    v4l2_tuner tuner{};
    if (!node || Control(node.fd(), VIDIOC_G_TUNER, &tuner) != 0) return -1;
    return static_cast<int>(tuner.signal * 100 / 65535);
  }
  std::vector<std::string> AudioModes() const override { return {"Mono", "Stéréo", "Langue 1", "Langue 2"}; }
  int AudioMode() const override {
    const TNode node(path_);
    v4l2_tuner tuner{};
    if (!node || Control(node.fd(), VIDIOC_G_TUNER, &tuner) != 0) return -1;
    switch (tuner.audmode) {
      case V4L2_TUNER_MODE_MONO: return 0;
      case V4L2_TUNER_MODE_STEREO: return 1;
      case V4L2_TUNER_MODE_LANG1: return 2;
      case V4L2_TUNER_MODE_LANG2: return 3;
      default: return -1;
    }
  }
  bool SetAudioMode(int index) override {
    static constexpr std::uint32_t kModes[] = {V4L2_TUNER_MODE_MONO, V4L2_TUNER_MODE_STEREO, V4L2_TUNER_MODE_LANG1,
                                               V4L2_TUNER_MODE_LANG2};
    if (index < 0 || index > 3) return false;
    const TNode node(path_);
    v4l2_tuner tuner{};
    if (!node || Control(node.fd(), VIDIOC_G_TUNER, &tuner) != 0) return false;
    tuner.audmode = kModes[index];
    return Control(node.fd(), VIDIOC_S_TUNER, &tuner) == 0;
  }

 private:
  static double ToKiloHertz(const v4l2_tuner& tuner, std::uint32_t units) {
    return (tuner.capability & V4L2_TUNER_CAP_LOW) ? units * 62.5 / 1000.0 : units * 62.5;
  }
  bool HasInputs() const { return VideoInputs().size() > 1 || !AudioInputs().empty(); }
  bool HasStandards() const { return !StandardList().empty(); }
  std::vector<v4l2_standard> StandardList() const {
    std::vector<v4l2_standard> list;
    const TNode node(path_);
    if (!node) return list;
    for (std::uint32_t index = 0;; ++index) {
      v4l2_standard standard{};
      standard.index = index;
      if (Control(node.fd(), VIDIOC_ENUMSTD, &standard) != 0) break;
      list.push_back(standard);
    }
    return list;
  }

  std::string path_;
};

}  // namespace

std::shared_ptr<IDeviceSettings> V4l2DeviceSettings(const std::string& devicePath) {
  return std::make_shared<TV4l2Settings>(devicePath);
}
