// What the graph builders of one engine share: the media module and its
// graph, the current sources, the tees the preview and capture branches are
// taken from, and the format of the current sources.
#pragma once

#include <QString>
#include <cstdint>

#include "platform/graph.h"

class Tdm;
class TVideoSource;
class TAudioSource;

struct TCaptureContext {
  Tdm* dm = nullptr;
  TVideoSource* CurrentVideoSource = nullptr;
  TAudioSource* CurrentAudioSource = nullptr;

  // Output 1 of each tee feeds the preview; output 2 is the first one free
  // for a capture branch.
  gst::ElementPtr VideoTee;
  gst::ElementPtr AudioTee;
  // The unconnected uncompressed picture left by the video device.
  graph::PadPtr VideoOutPin;

  // Picture of the current video source.
  int SrcWidth = 0;
  int SrcHeight = 0;
  int AspectX = 0;
  int AspectY = 0;
  QString FourCC;
  bool Compressed = false;
  std::uint32_t AvgTimePerFrame = 0;  // 100 ns units
  double Fps = 0;

  // Sound of the current audio source.
  int AudioRate = 0;
  int AudioBits = 0;
  int AudioChannels = 0;

  // DV pictures decoded at half size.
  bool DvHalfRes = false;

  // Follow the caps of the current sources' streams to their format.
  gst::PadProbe videoCapsProbe;
  gst::PadProbe audioCapsProbe;

  // The source elements whose settings the device dialogs change.
  gst::ElementPtr VideoSourceFilter;
  gst::ElementPtr AudioSourceFilter;
};
