// The preview: the picture of the current video source in the main window and
// the sound of the current audio source on the sound output, built in the one
// graph of the media module. Every operation runs on the GUI thread with the
// graph stopped; running it again is the caller's choice.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/graph.h"

class Tdm;
class TVideoRenderer;
class TVideoSource;
class TAudioSource;
struct TCaptureContext;

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
// The gain of the monitoring volume v (0 to 10000), logarithmic in v.
double MonitorGain(int volume);

// Creates the media module and its renderers into the capture context;
// false when it exists already (there is one for the process).
bool CreateMediaModule();
// Stops the graph, deactivates the current sources with full release and
// empties the graph.
void DestroyMediaModule();
TVideoRenderer* VideoRenderer();
// Whether the preview sound reaches a sound output (false: it runs silent).
bool PreviewHasSound();
void SetMonitorVolume(int volume);
// Burns the camcorder's recording date and time into the picture, on two
// lines with an outline of that width.
void ShowCamcorderDate(int border);
// "Mpeg2 Ratio Normal": an MPEG-2 picture of unknown or pixel-for-pixel
// aspect is shown 4:3.
void SetMpeg2RatioNormal(bool normal);

// Activation leaves nothing of the source in the graph when it fails.
bool ActivateVideoSource(TVideoSource& source);
bool DeactivateVideoSource(TVideoSource& source, bool fullRelease);
bool ActivateAudioSource(TAudioSource& source);
bool DeactivateAudioSource(TAudioSource& source, bool fullRelease);
void BindVideoSourceInterfaces(TVideoSource& source);
void BindAudioSourceInterfaces(TAudioSource& source);

// Runs the graph; false (with the reason) on any error.
bool Play(std::string* error = nullptr);
void Stop();

// Removes the elements upstream of the pad's element, that element included,
// up to the stop element (kept) or an input with nothing connected.
bool RemoveUpstream(GstPad* pad, GstElement* stop);
// Removes every element strictly between a and b on the chain from a to b.
bool RemoveChainBetween(GstElement* a, GstElement* b);
