// Routing a capture device's inputs: a crossbar switches its inputs (tuner,
// composite, S-Video...) to its outputs, and crossbars may be chained in
// front of the capture pin. TCrossbar lists every way of reaching the pin
// from a physical input, each route an array of switch settings, the one at
// the physical input first, and routes one of them with its related sound.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

// Physical types of crossbar pins; video below kAudioTuner.
inline constexpr long kVideoTuner = 1;
inline constexpr long kAudioTuner = 4096;

class ICrossbar;

// An output of a crossbar, as seen from the pin it feeds.
struct TCrossbarOutput {
  ICrossbar* crossbar = nullptr;
  int index = 0;
};

// What a crossbar answers (a V4L2 device's input list, a test's fake).
class ICrossbar {
 public:
  virtual ~ICrossbar() = default;
  virtual int OutputCount() const = 0;
  virtual int InputCount() const = 0;
  // Physical type and related pin (the sound that goes with a picture pin;
  // -1 when none).
  virtual long PhysicalType(bool input, int index) const = 0;
  virtual int RelatedPin(bool input, int index) const = 0;
  virtual bool CanRoute(int output, int input) const = 0;
  virtual bool Route(int output, int input) = 0;
  // What feeds input `input`: another crossbar's output, or nothing (a
  // physical connector).
  virtual std::optional<TCrossbarOutput> Upstream(int input) const = 0;
};

// The name of a physical type ("Video Composite"...), "Inconnu" when unknown.
QString PhysicalTypeName(long type);

class TCrossbar {
 public:
  // One switch setting of a route.
  struct Element {
    ICrossbar* crossbar = nullptr;
    int videoInput = 0;
    int videoOutput = 0;
    int audioInput = -1;
    int audioOutput = -1;
    long inputType = 0;
    long outputType = 0;
    int depth = 0;  // 0: the crossbar nearest the capture pin
  };
  using RouteList = std::vector<Element>;

  // The routes to the capture pin fed by `connected`; none when no crossbar
  // feeds it (valid() is false then).
  explicit TCrossbar(std::optional<TCrossbarOutput> connected);

  bool valid() const { return valid_; }
  int GetInputCount() const { return static_cast<int>(routes_.size()); }
  // Of the route's physical input; nullopt / empty out of range.
  std::optional<long> GetInputType(int route) const;
  std::optional<QString> GetInputName(int route) const;
  // Routes every switch of the route, its sound too; false out of range or
  // when the last switch refused.
  bool SetInputIndex(int route);
  int GetInputIndex() const { return current_; }
  // The route the inputs menu marks: the first from a tuner, else the first.
  int TunerOrFirstRoute() const;
  const std::vector<RouteList>& routes() const { return routes_; }

 private:
  enum class Explored { Failed, End, Through };
  Explored Explore(std::optional<TCrossbarOutput> connected, std::vector<Element>& chain, int depth);

  std::vector<RouteList> routes_;
  int current_ = 0;
  bool valid_ = false;
};
