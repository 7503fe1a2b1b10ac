#include "capture/crossbar.h"

QString PhysicalTypeName(long type) {
  switch (type) {
    case 1:
      return "Video Tuner";
    case 2:
      return "Video Composite";
    case 3:
      return "Video SVideo";
    case 4:
      return "Video RGB";
    case 5:
      return "Video YRYBY";
    case 6:
      return "Video SerialDigital";
    case 7:
      return "Video ParallelDigital";
    case 8:
      return "Video SCSI";
    case 9:
      return "Video AUX";
    case 10:
      return "Video 1394";
    case 11:
      return "Video USB";
    case 12:
      return "Video Decoder";
    case 13:
      return "Video Encoder";
    case 14:
      return "Video Scart";
    case 4096:
      return "Audio Tuner";
    case 4097:
      return "Audio Line";
    case 4098:
      return "Audio Mic";
    case 4099:
      return "Audio AESDigital";
    case 4100:
      return "Audio SPDIFDigital";
    case 4101:
      return "Audio SCSI";
    case 4102:
      return "Audio AUX";
    case 4103:
      return "Audio 1394";
    case 4104:
      return "Audio USB";
    case 4105:
      return "Audio Decoder";
    default:
      return "Inconnu";
  }
}

TCrossbar::TCrossbar(std::optional<TCrossbarOutput> connected) {
  std::vector<Element> chain;
  valid_ = Explore(connected, chain, 0) != Explored::Failed;
}

// Every video input of the crossbar feeding `connected` that can reach its
// output, followed upstream; a chain that ends at a physical input is a
// route, copied with the element at the physical input first.
TCrossbar::Explored TCrossbar::Explore(std::optional<TCrossbarOutput> connected, std::vector<Element>& chain,
                                       int depth) {
  if (!connected || !connected->crossbar) return depth == 0 ? Explored::Failed : Explored::End;
  ICrossbar& crossbar = *connected->crossbar;
  const int output = connected->index;
  if (output < 0 || output >= crossbar.OutputCount()) return depth == 0 ? Explored::Failed : Explored::End;
  const long outputType = crossbar.PhysicalType(false, output);
  const int audioOutput = crossbar.RelatedPin(false, output);
  for (int input = 0; input < crossbar.InputCount(); ++input) {
    const long inputType = crossbar.PhysicalType(true, input);
    if (inputType >= kAudioTuner || !crossbar.CanRoute(output, input)) continue;
    chain.push_back(
        {&crossbar, input, output, crossbar.RelatedPin(true, input), audioOutput, inputType, outputType, depth});
    if (Explore(crossbar.Upstream(input), chain, depth + 1) == Explored::End)
      routes_.emplace_back(chain.rbegin(), chain.rend());
    chain.pop_back();
  }
  return Explored::Through;
}

std::optional<long> TCrossbar::GetInputType(int route) const {
  if (route < 0 || route >= GetInputCount() || routes_[route].empty()) return std::nullopt;
  return routes_[route].front().inputType;
}

std::optional<QString> TCrossbar::GetInputName(int route) const {
  const std::optional<long> type = GetInputType(route);
  if (!type) return std::nullopt;
  return PhysicalTypeName(*type);
}

bool TCrossbar::SetInputIndex(int route) {
  if (route < 0 || route >= GetInputCount()) return false;
  bool routed = false;
  for (const Element& element : routes_[route]) {
    routed = element.crossbar->Route(element.videoOutput, element.videoInput);
    if (routed && element.audioInput >= 0 && element.audioOutput >= 0)
      routed = element.crossbar->Route(element.audioOutput, element.audioInput);
  }
  current_ = route;
  return routed;
}

int TCrossbar::TunerOrFirstRoute() const {
  for (int route = 0; route < GetInputCount(); ++route)
    if (GetInputType(route) == kVideoTuner) return route;
  return 0;
}
