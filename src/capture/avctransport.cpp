#include "capture/avctransport.h"

#include <QLoggingCategory>
#include <cerrno>
#include <cstring>

#ifdef TESSIVO_HAVE_1394
#include <libavc1394/avc1394.h>
#include <libavc1394/avc1394_vcr.h>
#include <libavc1394/rom1394.h>
#include <libraw1394/raw1394.h>
#endif

Q_DECLARE_LOGGING_CATEGORY(lcDevices)

namespace {

// The AV/C tape-recorder answers: the state's opcode, then its operand.
constexpr std::uint32_t kOpcodeLoadMedium = 0xC1;
constexpr std::uint32_t kOpcodeRecord = 0xC2;
constexpr std::uint32_t kOpcodePlay = 0xC3;
constexpr std::uint32_t kOpcodeWind = 0xC4;
constexpr std::uint32_t kWindRewind = 0x65;
constexpr std::uint32_t kWindHighSpeedRewind = 0x45;
constexpr std::uint32_t kWindFastForward = 0x75;
constexpr std::uint32_t kPlayNextFrame = 0x30;
constexpr std::uint32_t kPlayPreviousFrame = 0x40;
constexpr std::uint32_t kPlayForward = 0x75;
constexpr std::uint32_t kPlayForwardPause = 0x7D;
constexpr std::uint32_t kPlayReversePause = 0x6D;
constexpr int kSlowestSpeed = 1;
constexpr int kFastestSpeed = 14;

bool Within(std::uint32_t value, std::uint32_t low, std::uint32_t high) { return value >= low && value <= high; }

}  // namespace

TAvcTransport::TAvcTransport(std::unique_ptr<IAvcUnit> unit, transport::DeviceType type)
    : unit_(std::move(unit)), type_(type) {}

std::optional<int> TAvcTransport::ModeOfStatus(std::uint32_t status) {
  using namespace transport;
  const std::uint32_t opcode = (status >> 8) & 0xFF;
  const std::uint32_t operand = status & 0xFF;
  switch (opcode) {
    case kOpcodeLoadMedium:
      return kModeStop;
    case kOpcodeRecord:
      return kModeRecord;
    case kOpcodeWind:
      if (operand == kWindRewind || operand == kWindHighSpeedRewind) return kModeRewind;
      if (operand == kWindFastForward) return kModeFastForward;
      return kModeStop;
    case kOpcodePlay:
      if (operand == kPlayForwardPause || operand == kPlayReversePause || operand == kPlayNextFrame ||
          operand == kPlayPreviousFrame)
        return kModeFreeze;
      if (Within(operand, 0x31, 0x37)) return kModePlaySlowestForward;
      if (Within(operand, 0x39, 0x3F)) return kModePlayFastestForward;
      if (Within(operand, 0x41, 0x47)) return kModePlaySlowestReverse;
      if (Within(operand, 0x49, 0x4F)) return kModePlayFastestReverse;
      return kModePlay;
    default:
      return std::nullopt;
  }
}

bool TAvcTransport::Mode(int& mode) {
  const std::optional<std::uint32_t> status = unit_->Status();
  if (!status) return false;
  const std::optional<int> known = ModeOfStatus(*status);
  if (!known) return false;
  mode = *known;
  return true;
}

// libavc1394's play and pause change their meaning with the state (play on a
// playing deck slows it down, pause on a paused deck plays): they are sent
// only when they do what the mode says.
bool TAvcTransport::SetMode(int mode) {
  using namespace transport;
  const auto state = [this] {
    const std::optional<std::uint32_t> status = unit_->Status();
    return status ? std::optional<std::uint32_t>(*status & 0xFFFF) : std::nullopt;
  };
  switch (mode) {
    case kModePlay:
      if (state() == (kOpcodePlay << 8 | kPlayForward)) return true;
      return unit_->Play();
    case kModeFreeze:
      if (state() == (kOpcodePlay << 8 | kPlayForwardPause)) return true;
      return unit_->Pause();
    case kModeStop:
      return unit_->Stop();
    case kModeFastForward:
      return unit_->Forward();
    case kModeRewind:
      return unit_->Rewind();
    case kModePlayFastestForward:
      return unit_->TrickPlay(kFastestSpeed);
    case kModePlayFastestReverse:
      return unit_->TrickPlay(-kFastestSpeed);
    case kModePlaySlowestForward:
      return unit_->TrickPlay(kSlowestSpeed);
    case kModePlaySlowestReverse:
      return unit_->TrickPlay(-kSlowestSpeed);
    default:
      return false;
  }
}

bool TAvcTransport::Timecode(std::uint32_t& bcd) {
  const std::optional<std::string> text = unit_->Timecode();
  if (!text) return false;
  const std::optional<std::uint32_t> code = transport::TimecodeFromText(*text);
  if (!code) return false;
  bcd = *code;
  return true;
}

// --- The unit on the bus ---------------------------------------------------------------

#ifdef TESSIVO_HAVE_1394

namespace {

// The bus handle and the unit's node, found again by its GUID after a bus
// reset renumbered the nodes.
class TRaw1394Unit : public IAvcUnit {
 public:
  TRaw1394Unit(raw1394handle_t handle, std::uint64_t guid) : handle_(handle), guid_(guid) {}
  ~TRaw1394Unit() override { raw1394_destroy_handle(handle_); }
  TRaw1394Unit(const TRaw1394Unit&) = delete;
  TRaw1394Unit& operator=(const TRaw1394Unit&) = delete;

  bool Play() override { return Send(avc1394_vcr_play); }
  bool Pause() override { return Send(avc1394_vcr_pause); }
  bool Stop() override { return Send(avc1394_vcr_stop); }
  bool Forward() override { return Send(avc1394_vcr_forward); }
  bool Rewind() override { return Send(avc1394_vcr_rewind); }
  bool TrickPlay(int speed) override {
    const std::optional<nodeid_t> node = Node();
    if (!node) return false;
    avc1394_vcr_trick_play(handle_, *node, speed);
    return true;
  }
  std::optional<std::uint32_t> Status() override {
    const std::optional<nodeid_t> node = Node();
    if (!node) return std::nullopt;
    const quadlet_t status = avc1394_vcr_status(handle_, *node);
    if (status == 0) return std::nullopt;
    return static_cast<std::uint32_t>(status);
  }
  std::optional<std::string> Timecode() override {
    const std::optional<nodeid_t> node = Node();
    if (!node) return std::nullopt;
    char text[16] = {};
    if (avc1394_vcr_get_timecode2(handle_, *node, text) < 0) return std::nullopt;
    return std::string(text);
  }

 private:
  bool Send(void (*command)(raw1394handle_t, nodeid_t)) {
    const std::optional<nodeid_t> node = Node();
    if (!node) return false;
    command(handle_, *node);
    return true;
  }
  std::optional<nodeid_t> Node() {
    if (node_ && rom1394_get_guid(handle_, *node_) == guid_) return node_;
    node_.reset();
    const int nodes = raw1394_get_nodecount(handle_);
    for (int index = 0; index < nodes; ++index) {
      const auto id = static_cast<nodeid_t>(0xFFC0 | index);
      if (rom1394_get_guid(handle_, id) == guid_) node_ = id;
    }
    return node_;
  }

  raw1394handle_t handle_;
  std::uint64_t guid_;
  std::optional<nodeid_t> node_;
};

}  // namespace

std::unique_ptr<IAvcUnit> OpenAvcUnit(int port, std::uint64_t guid) {
  raw1394handle_t handle = raw1394_new_handle_on_port(port);
  if (!handle) {
    qCInfo(lcDevices) << "no tape control for the camcorder" << Qt::hex << guid << ": the bus cannot be opened ("
                      << std::strerror(errno) << "), no access to /dev/fw*";
    return nullptr;
  }
  return std::make_unique<TRaw1394Unit>(handle, guid);
}

#else

std::unique_ptr<IAvcUnit> OpenAvcUnit(int, std::uint64_t guid) {
  qCInfo(lcDevices) << "no tape control for the camcorder" << Qt::hex << guid << ": built without libavc1394";
  return nullptr;
}

#endif
