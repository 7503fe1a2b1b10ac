// The preview: the picture of the current video source in the main window and
// the sound of the current audio source on the sound output, built in the
// graph of an engine's media module. Every operation runs on the GUI thread with the
// graph stopped; running it again is the caller's choice.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/graph.h"

class TCaptureEngine;
class TVideoSource;
class TAudioSource;

// The picture format read from a stream's caps.
struct TVideoFormat {
  bool recognised = false;
  int width = 0;
  int height = 0;
  int aspectX = 0;
  int aspectY = 0;
  QString fourCC;
  bool compressed = false;
  std::uint32_t avgTimePerFrame = 0;  // 100 ns units
  double fps = 0;
  int nativeFormat = 0;  // what the device's first native format becomes (0: unchanged)
};
TVideoFormat VideoFormatOfCaps(const GstCaps* caps, bool mpeg2RatioNormal);
// The monitoring volume v (0 to 10000) as a level in millibels, from -10000
// to 0, logarithmic in v; and as the output's gain, 0 (silence) for v = 0.
int MonitorMillibels(int volume);
double MonitorGain(int volume);

// The preview's sound output: the monitoring volume, then whichever output
// answers (the sound server, then ALSA), else a sink that plays nothing.
gst::ElementPtr MakePreviewAudioOutput(gst::ElementPtr& volume, bool& sound);

void SetMonitorVolume(TCaptureEngine& engine, int volume);
// Burns the camcorder's recording date and time into the picture, on two
// lines with an outline of that width.
void ShowCamcorderDate(TCaptureEngine& engine, int border);

// Activation leaves nothing of the source in the graph when it fails.
bool ActivateVideoSource(TCaptureEngine& engine, TVideoSource& source);
bool DeactivateVideoSource(TCaptureEngine& engine, TVideoSource& source, bool fullRelease);
bool ActivateAudioSource(TCaptureEngine& engine, TAudioSource& source);
bool DeactivateAudioSource(TCaptureEngine& engine, TAudioSource& source, bool fullRelease);
void BindVideoSourceInterfaces(TCaptureEngine& engine, TVideoSource& source);
void BindAudioSourceInterfaces(TCaptureEngine& engine, TAudioSource& source);

// Runs the graph; false (with the reason) on any error.
bool Play(TCaptureEngine& engine, std::string* error = nullptr);
void Stop(TCaptureEngine& engine);

// Removes the elements upstream of the pad's element, that element included,
// up to the stop element (kept) or an input with nothing connected.
bool RemoveUpstream(TCaptureEngine& engine, GstPad* pad, GstElement* stop);
// Removes every element strictly between a and b on the chain from a to b.
bool RemoveChainBetween(TCaptureEngine& engine, GstElement* a, GstElement* b);
