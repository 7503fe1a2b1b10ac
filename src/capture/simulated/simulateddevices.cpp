#include "capture/simulated/simulateddevices.h"

#include <linux/videodev2.h>

#include <QDateTime>
#include <QLoggingCategory>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "capture/devicesettings.h"
#include "capture/simulated/dvframer.h"
#include "capture/simulated/simulatedtape.h"
#include "capture/v4l2crossbar.h"

Q_DECLARE_LOGGING_CATEGORY(lcDevices)

namespace {

constexpr int kFramesPerSecond = 25;

gst::ElementPtr MakeBin(const char* description) {
  gst::ErrorOut error;
  auto bin = gst::ElementPtr::Sink(gst_parse_bin_from_description(description, TRUE, error.out()));
  if (error) {
    qCWarning(lcDevices) << "simulated device unavailable:" << error.message().c_str();
    return {};
  }
  return bin;
}

gst::CapsPtr Caps(const char* text) { return gst::CapsPtr(gst_caps_from_string(text)); }

gst::ElementPtr Child(GstElement* bin, const char* name) {
  return gst::ElementPtr(gst_bin_get_by_name(GST_BIN(bin), name));
}

}  // namespace

// The DV encoder alone gives whole frames; the framer stamps them and writes
// the sound into them (the DV muxer gives nothing from live sources).
gst::ElementPtr TSimulatedDeviceProvider::MakeCamcorder(int number, std::shared_ptr<TSimulatedTape> tape) {
  gst::EnsureInitialised();
  RegisterDvFramer();
  const std::string pattern = number % 2 ? "smpte" : "ball";
  const std::string description =
      "videotestsrc is-live=true pattern=" + pattern +
      " ! video/x-raw,format=I420,width=720,height=576,framerate=25/1,pixel-aspect-ratio=16/15 ! avenc_dvvideo ! "
      "tessivo_dvframer name=framer";
  gst::ElementPtr bin = MakeBin(description.c_str());
  if (!bin) return bin;
  gst_object_set_name(GST_OBJECT(bin.get()), ("simulated_camcorder_" + std::to_string(number)).c_str());
  if (const gst::ElementPtr framer = Child(bin.get(), "framer")) {
    if (tape) SetFramerTape(framer.get(), std::move(tape));
    // A camcorder that turns to 16:9 at that second of its stream.
    bool ok = false;
    const int wideFrom = qEnvironmentVariableIntValue("TESSIVO_SIMULATED_WIDE_FROM", &ok);
    if (ok) SetFramerWideFrom(framer.get(), wideFrom);
  }
  return bin;
}

int TSimulatedDeviceProvider::RequestedCamcorders() {
  if (!qEnvironmentVariableIsSet("TESSIVO_SIMULATED_DEVICES")) return 0;
  bool ok = false;
  const int count = qEnvironmentVariableIntValue("TESSIVO_SIMULATED_DEVICES", &ok);
  return ok ? std::max(0, count) : 1;
}

// --- The simulated machine's state ------------------------------------------------

namespace {

// Weak references to the source elements a device made, so that a setting
// or an unplugging reaches the ones still alive.
class TLiveElements {
 public:
  TLiveElements() = default;
  TLiveElements(const TLiveElements&) = delete;
  TLiveElements& operator=(const TLiveElements&) = delete;
  ~TLiveElements() {
    for (auto& reference : references_) g_weak_ref_clear(reference.get());
  }
  void Add(GstElement* element) {
    Prune();
    auto reference = std::make_unique<GWeakRef>();
    g_weak_ref_init(reference.get(), element);
    references_.push_back(std::move(reference));
  }
  std::vector<gst::ElementPtr> Alive() {
    Prune();
    std::vector<gst::ElementPtr> alive;
    for (auto& reference : references_)
      if (auto* element = static_cast<GstElement*>(g_weak_ref_get(reference.get()))) alive.emplace_back(element);
    return alive;
  }

 private:
  void Prune() {
    std::erase_if(references_, [](const std::unique_ptr<GWeakRef>& reference) {
      const gst::ElementPtr element(static_cast<GstElement*>(g_weak_ref_get(reference.get())));
      if (element) return false;
      g_weak_ref_clear(reference.get());
      return true;
    });
  }
  std::vector<std::unique_ptr<GWeakRef>> references_;
};

}  // namespace

struct TSimulatedDeviceProvider::Live {
  std::map<QString, TLiveElements> byIdentity;
};

// The capture card: its inputs, standard, controls and tuner, applied to
// every picture it is making.
struct TSimulatedCard : IDeviceSettings, IV4l2Inputs, IVideoControls, ITvTuner {
  enum Input { kComposite, kSVideo, kTunerInput };
  int input = kComposite;
  int standard = 0;  // PAL, SECAM, NTSC
  std::uint32_t frequency = 471250;
  int audioMode = 1;
  std::map<std::uint32_t, std::int64_t> values{
      {V4L2_CID_BRIGHTNESS, 0}, {V4L2_CID_CONTRAST, 100}, {V4L2_CID_SATURATION, 100}, {V4L2_CID_HUE, 0}};
  TLiveElements live;

  IV4l2Inputs* Inputs() override { return this; }
  IVideoControls* PictureControls() override { return this; }
  ITvTuner* Tuner() override { return this; }

  // What the card can deliver: its full size first, for the standard.
  std::string Caps() const {
    const bool ntsc = standard == 2;
    const std::string rate = ntsc ? "30000/1001" : "25/1";
    std::string caps;
    for (const auto& [width, height] : {std::pair{720, ntsc ? 480 : 576}, {640, 480}, {320, 240}})
      caps += std::string(caps.empty() ? "" : "; ") + "video/x-raw,format=YUY2,width=" + std::to_string(width) +
              ",height=" + std::to_string(height) + ",framerate=" + rate + ",pixel-aspect-ratio=1/1";
    return caps;
  }

  // Built by hand: only the picture leaves the bin (the overlay's text
  // input stays unlinked, so that it draws its own text).
  gst::ElementPtr Make() {
    gst::ElementPtr bin = gst::ElementPtr::Sink(gst_bin_new(nullptr));
    const gst::ElementPtr made[] = {gst::ElementPtr::Sink(gst_element_factory_make("videotestsrc", "picture")),
                                    gst::ElementPtr::Sink(gst_element_factory_make("capsfilter", "shape")),
                                    gst::ElementPtr::Sink(gst_element_factory_make("videobalance", "balance")),
                                    gst::ElementPtr::Sink(gst_element_factory_make("textoverlay", "label"))};
    GstElement* chain[std::size(made)];
    for (std::size_t i = 0; i < std::size(made); ++i) {
      if (!made[i]) {
        qCWarning(lcDevices) << "simulated capture card unavailable: an element is missing";
        return {};
      }
      chain[i] = made[i].get();
      gst_bin_add(GST_BIN(bin.get()), GST_ELEMENT(gst_object_ref(chain[i])));
    }
    if (!gst_element_link_many(chain[0], chain[1], chain[2], chain[3], nullptr)) return {};
    g_object_set(chain[0], "is-live", TRUE, nullptr);
    gst_util_set_object_arg(G_OBJECT(chain[3]), "valignment", "bottom");
    gst_util_set_object_arg(G_OBJECT(chain[3]), "halignment", "center");
    g_object_set(chain[3], "font-desc", "Sans 28", nullptr);
    const gst::PadObjectPtr output(gst_element_get_static_pad(chain[3], "src"));
    gst_element_add_pad(bin.get(), gst_ghost_pad_new("src", output.get()));
    live.Add(bin.get());
    Apply(bin.get());
    return bin;
  }

  void Apply(GstElement* bin) {
    static constexpr int kPatterns[] = {13 /* smpte75 */, 21 /* pinwheel */, 1 /* snow */};
    if (const gst::ElementPtr picture = Child(bin, "picture")) g_object_set(picture.get(), "pattern", kPatterns[input], nullptr);
    if (const gst::ElementPtr shape = Child(bin, "shape")) {
      const gst::CapsPtr caps(gst_caps_from_string(Caps().c_str()));
      g_object_set(shape.get(), "caps", caps.get(), nullptr);
    }
    if (const gst::ElementPtr balance = Child(bin, "balance"))
      g_object_set(balance.get(), "brightness", values[V4L2_CID_BRIGHTNESS] / 100.0, "contrast",
                   values[V4L2_CID_CONTRAST] / 100.0, "saturation", values[V4L2_CID_SATURATION] / 100.0, "hue",
                   values[V4L2_CID_HUE] / 180.0, nullptr);
    if (const gst::ElementPtr label = Child(bin, "label")) {
      const QString text = QStringLiteral("Tuner %1 MHz").arg(frequency / 1000.0, 0, 'f', 2);
      g_object_set(label.get(), "text", text.toUtf8().constData(), "silent", input != kTunerInput, nullptr);
    }
  }
  void ApplyAll() {
    for (const gst::ElementPtr& bin : live.Alive()) Apply(bin.get());
  }

  // Inputs.
  std::vector<TV4l2Input> VideoInputs() const override {
    return {{"Composite", false, 0}, {"S-Video", false, 0}, {"Tuner", true, 0}};
  }
  std::vector<TV4l2Audio> AudioInputs() const override { return {}; }
  bool SelectVideo(int index) override {
    if (index < 0 || index > kTunerInput) return false;
    input = index;
    ApplyAll();
    return true;
  }
  bool SelectAudio(int) override { return false; }

  // Picture controls.
  std::vector<TVideoControl> Controls() const override {
    using Type = TVideoControl::Type;
    return {{Type::Integer, V4L2_CID_BRIGHTNESS, "Brightness", -100, 100, 1, 0, {}, false},
            {Type::Integer, V4L2_CID_CONTRAST, "Contrast", 0, 200, 1, 100, {}, false},
            {Type::Integer, V4L2_CID_SATURATION, "Saturation", 0, 200, 1, 100, {}, false},
            {Type::Integer, V4L2_CID_HUE, "Hue", -180, 180, 1, 0, {}, false}};
  }
  bool Value(std::uint32_t id, std::int64_t& value) const override {
    const auto found = values.find(id);
    if (found == values.end()) return false;
    value = found->second;
    return true;
  }
  bool SetValue(std::uint32_t id, std::int64_t value) override {
    for (const TVideoControl& control : Controls())
      if (control.id == id) {
        values[id] = std::clamp(value, control.minimum, control.maximum);
        ApplyAll();
        return true;
      }
    return false;
  }

  // Standard and tuner.
  std::vector<std::string> Standards() const override { return {"PAL", "SECAM", "NTSC"}; }
  int Standard() const override { return standard; }
  bool SetStandard(int index) override {
    if (index < 0 || index > 2) return false;
    standard = index;
    ApplyAll();
    return true;
  }
  bool Frequency(std::uint32_t& kiloHertz) const override {
    kiloHertz = frequency;
    return true;
  }
  bool SetFrequency(std::uint32_t kiloHertz) override {
    if (kiloHertz < 44000 || kiloHertz > 958000) return false;
    frequency = kiloHertz;
    ApplyAll();
    return true;
  }
  int Signal() const override { return input == kTunerInput ? 80 : 0; }
  std::vector<std::string> AudioModes() const override { return {"Mono", "Stéréo", "Langue 1", "Langue 2"}; }
  int AudioMode() const override { return audioMode; }
  bool SetAudioMode(int index) override {
    if (index < 0 || index > 3) return false;
    audioMode = index;
    return true;
  }
};

// The sound card: a tone on each of its two inputs.
struct TSimulatedSoundCard : IDeviceSettings, ISoundPorts {
  std::string port = "Line In";
  TLiveElements live;

  ISoundPorts* SoundPorts() override { return this; }
  std::vector<std::string> Ports() const override { return {"Line In", "Mic"}; }
  std::string ActivePort() const override { return port; }
  bool SetActivePort(const std::string& wanted) override {
    const std::vector<std::string> ports = Ports();
    if (std::find(ports.begin(), ports.end(), wanted) == ports.end()) return false;
    port = wanted;
    for (const gst::ElementPtr& bin : live.Alive()) Apply(bin.get());
    return true;
  }
  int Frequency() const { return port == "Mic" ? kMicHertz : kLineHertz; }
  void Apply(GstElement* bin) const {
    if (const gst::ElementPtr tone = Child(bin, "tone")) g_object_set(tone.get(), "freq", double(Frequency()), nullptr);
  }
  gst::ElementPtr Make() {
    gst::ElementPtr bin = MakeBin(
        "audiotestsrc name=tone is-live=true volume=0.2 ! capsfilter "
        "caps=audio/x-raw,format=S16LE,rate=48000,channels=2");
    if (!bin) return bin;
    live.Add(bin.get());
    Apply(bin.get());
    return bin;
  }
  static constexpr int kLineHertz = kSimulatedLineHertz;
  static constexpr int kMicHertz = kSimulatedMicHertz;
};

namespace {

TDeviceMoniker Simulated(QString identity, QString name, const char* caps, std::function<gst::ElementPtr()> create,
                         int videoStreams, int audioStreams) {
  TDeviceMoniker device;
  device.identity = std::move(identity);
  device.friendlyName = std::move(name);
  device.caps = Caps(caps);
  device.createSource = std::move(create);
  device.videoStreams = videoStreams;
  device.audioStreams = audioStreams;
  return device;
}

}  // namespace

TSimulatedDeviceProvider::TSimulatedDeviceProvider(int camcorders)
    : camcorders_(camcorders),
      card_(std::make_shared<TSimulatedCard>()),
      soundCard_(std::make_shared<TSimulatedSoundCard>()),
      live_(std::make_shared<Live>()) {}

TSimulatedDeviceProvider::~TSimulatedDeviceProvider() = default;

std::vector<TDeviceMoniker> TSimulatedDeviceProvider::Devices() {
  gst::EnsureInitialised();
  std::vector<TDeviceMoniker> devices;
  const auto add = [&](const QString& identity, const QString& name, const char* caps,
                       std::function<gst::ElementPtr()> create, int videoStreams, int audioStreams,
                       std::shared_ptr<IDeviceSettings> settings = {}) {
    if (unplugged_.contains(identity)) return;
    // Every element made is followed, for the unplugging; the sources may
    // outlive the provider.
    auto tracked = [live = live_, identity, create = std::move(create)] {
      gst::ElementPtr element = create();
      if (element) live->byIdentity[identity].Add(element.get());
      return element;
    };
    devices.push_back(Simulated(identity, name, caps, std::move(tracked), videoStreams, audioStreams));
    devices.back().settings = std::move(settings);
  };
  for (int number = 1; number <= camcorders_; ++number) {
    const std::shared_ptr<TSimulatedTape> tape = Tape(number);
    add(QStringLiteral("simulated:camcorder:%1").arg(number), QStringLiteral("Caméscope DV simulé"),
        "video/x-dv,systemstream=true", [number, tape] { return MakeCamcorder(number, tape); }, 1, 1,
        std::make_shared<TDeckSettings>(decks_.count(number) ? decks_[number] : tape));
  }
  add(kWebcam, QStringLiteral("Webcam simulée"), "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1",
      [] {
        return MakeBin(
            "videotestsrc is-live=true pattern=ball ! capsfilter caps=video/x-raw,format=YUY2,width=640,height=480,"
            "framerate=30/1");
      },
      1, 0);
  add("simulated:mpeg2", QStringLiteral("Encodeur MPEG-2 simulé"), "video/mpeg,mpegversion=2,systemstream=true",
      [] {
        return MakeBin(
            "videotestsrc is-live=true pattern=smpte ! video/x-raw,format=I420,width=352,height=288,framerate=25/1 "
            // A DVD-style encoder, as capture cards have: a sequence header
            // before each group of pictures.
            "! mpeg2enc format=8 ! mpegvideoparse ! mpegpsmux "
            // What the device announces.
            "! capsfilter caps=video/mpeg,mpegversion=2,systemstream=true");
      },
      1, 0);
  add(kCard, QStringLiteral("Carte d'acquisition simulée"), card_->Caps().c_str(), [card = card_] { return card->Make(); },
      1, 0, card_);
  add(kSoundCard, QStringLiteral("Carte son simulée"), "audio/x-raw,rate=48000,channels=2",
      [sound = soundCard_] { return sound->Make(); }, 0, 1, soundCard_);
  if (failing_)
    add(kFailing, QStringLiteral("Webcam défaillante"), "video/x-raw,format=YUY2,width=320,height=240",
        [] { return gst::ElementPtr(); }, 1, 0);
  return devices;
}

std::shared_ptr<TSimulatedTape> TSimulatedDeviceProvider::Tape(int number) {
  std::shared_ptr<TSimulatedTape>& tape = tapes_[number];
  if (!tape) tape = std::make_shared<TSimulatedTape>();
  return tape;
}

void TSimulatedDeviceProvider::ReplaceTransport(int number, std::shared_ptr<IDeckTransport> deck) {
  decks_[number] = std::move(deck);
}

void TSimulatedDeviceProvider::AddFailingDevice() {
  failing_ = true;
  if (onChange) onChange(kFailing, true);
}

void TSimulatedDeviceProvider::Unplug(const QString& identity) {
  if (unplugged_.contains(identity)) return;
  unplugged_.insert(identity);
  if (const auto found = live_->byIdentity.find(identity); found != live_->byIdentity.end())
    for (const gst::ElementPtr& element : found->second.Alive()) {
      const gst::ErrorPtr error(
          g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "the device was unplugged"));
      gst_element_post_message(element.get(), gst_message_new_error(GST_OBJECT(element.get()), error.get(), nullptr));
    }
  if (onChange) onChange(identity, false);
}

void TSimulatedDeviceProvider::Replug(const QString& identity) {
  if (!unplugged_.remove(identity)) return;
  if (onChange) onChange(identity, true);
}
