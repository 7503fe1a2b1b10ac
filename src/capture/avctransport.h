// The transport of a camcorder or deck on the IEEE 1394 bus, driven with the
// AV/C tape-recorder commands of libavc1394. The commands reach the unit
// through IAvcUnit, one call per libavc1394 function, so that the mapping of
// the transport modes is tested without a deck.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "capture/transport.h"

// One AV/C unit; each call is one libavc1394 call. False or none: the unit
// did not answer.
class IAvcUnit {
 public:
  virtual ~IAvcUnit() = default;
  virtual bool Play() = 0;                          // avc1394_vcr_play
  virtual bool Pause() = 0;                         // avc1394_vcr_pause
  virtual bool Stop() = 0;                          // avc1394_vcr_stop
  virtual bool Forward() = 0;                       // avc1394_vcr_forward
  virtual bool Rewind() = 0;                        // avc1394_vcr_rewind
  virtual bool TrickPlay(int speed) = 0;            // avc1394_vcr_trick_play, -14 to 14
  virtual std::optional<std::uint32_t> Status() = 0;  // avc1394_vcr_status
  virtual std::optional<std::string> Timecode() = 0;  // avc1394_vcr_get_timecode2
};

// The transport modes on AV/C: the speeds of trick play stand for the
// slowest (±1) and fastest (±14) play.
class TAvcTransport : public IDeckTransport {
 public:
  TAvcTransport(std::unique_ptr<IAvcUnit> unit, transport::DeviceType type);
  bool SetMode(int mode) override;
  bool Mode(int& mode) override;
  bool Timecode(std::uint32_t& bcd) override;
  transport::DeviceType Type() const override { return type_; }

  // The transport mode of a status answer (its opcode and operand).
  static std::optional<int> ModeOfStatus(std::uint32_t status);

 private:
  std::unique_ptr<IAvcUnit> unit_;
  transport::DeviceType type_;
};

// The unit of that GUID on that port, opened with its own bus handle, used
// from one thread at a time; none when the bus cannot be opened (no access
// to /dev/fw*), which is logged.
std::unique_ptr<IAvcUnit> OpenAvcUnit(int port, std::uint64_t guid);
