// A sound card's capture inputs when no sound server runs: the ALSA mixer's
// capture switches, one of them on.
#include "capture/devicesettings.h"

#ifdef TESSIVO_HAVE_ALSA
#include <alsa/asoundlib.h>

#include <functional>

namespace {

// The card's mixer, open for one answer.
class TMixer {
 public:
  explicit TMixer(const std::string& card) {
    if (snd_mixer_open(&mixer_, 0) < 0) {
      mixer_ = nullptr;
      return;
    }
    if (snd_mixer_attach(mixer_, card.c_str()) < 0 || snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 ||
        snd_mixer_load(mixer_) < 0) {
      snd_mixer_close(mixer_);
      mixer_ = nullptr;
    }
  }
  ~TMixer() {
    if (mixer_) snd_mixer_close(mixer_);
  }
  TMixer(const TMixer&) = delete;
  TMixer& operator=(const TMixer&) = delete;

  // Each element with a capture switch, in the mixer's order.
  void ForEachSwitch(const std::function<void(snd_mixer_elem_t*, const std::string&)>& visit) const {
    if (!mixer_) return;
    for (snd_mixer_elem_t* element = snd_mixer_first_elem(mixer_); element; element = snd_mixer_elem_next(element))
      if (snd_mixer_selem_is_active(element) && snd_mixer_selem_has_capture_switch(element))
        visit(element, snd_mixer_selem_get_name(element));
  }

 private:
  snd_mixer_t* mixer_ = nullptr;
};

class TAlsaSwitches : public IDeviceSettings, ISoundPorts {
 public:
  explicit TAlsaSwitches(std::string card) : card_(std::move(card)) {}

  ISoundPorts* SoundPorts() override { return Ports().empty() ? nullptr : this; }
  std::vector<std::string> Ports() const override {
    std::vector<std::string> names;
    TMixer(card_).ForEachSwitch([&names](snd_mixer_elem_t*, const std::string& name) { names.push_back(name); });
    return names;
  }
  std::string ActivePort() const override {
    std::string active;
    TMixer(card_).ForEachSwitch([&active](snd_mixer_elem_t* element, const std::string& name) {
      int on = 0;
      if (active.empty() && snd_mixer_selem_get_capture_switch(element, SND_MIXER_SCHN_FRONT_LEFT, &on) == 0 && on)
        active = name;
    });
    return active;
  }
  // The chosen input on, the others off.
  bool SetActivePort(const std::string& port) override {
    bool found = false, refused = false;
    const TMixer mixer(card_);
    mixer.ForEachSwitch([&](snd_mixer_elem_t* element, const std::string& name) {
      found = found || name == port;
      refused = refused || snd_mixer_selem_set_capture_switch_all(element, name == port ? 1 : 0) < 0;
    });
    return found && !refused;
  }

 private:
  std::string card_;
};

}  // namespace

std::shared_ptr<IDeviceSettings> AlsaCardSettings(int card) {
  return std::make_shared<TAlsaSwitches>("hw:" + std::to_string(card));
}

#else

std::shared_ptr<IDeviceSettings> AlsaCardSettings(int) { return {}; }

#endif
