// How the preview is shown: the picture's shape and where it goes, windowed
// and full screen, what the preview lock does for each capture format, the
// monitoring volume's steps and the side panels' order. No widget here: the
// main window applies what these answer.
#pragma once

#include <QRect>
#include <QSize>
#include <cstdint>

// "Aspect ratio": 0 the stream's own shape, 1 4:3, 2 16:9, 3 the native size.
enum TAspectChoice : int { arNormal = 0, ar4x3 = 1, ar16x9 = 2, arNative = 3 };

struct TAspectInput {
  int aspectRatio = arNormal;
  bool hasSceneFilter = false;  // a DV source, whose packs tell 4:3 or 16:9
  bool streamIsWide = false;    // its packs said 16:9
  QSize displayAspect;          // the format's display aspect; 0 when it gives none
  QSize nativeSize;             // the format's picture size
};

struct TAspect {
  int a = 4, b = 3;   // the picture's shape a:b
  int ratioDivx = 0;  // what the DivX ratio group shows
  bool wide = false;  // the DV ratio group: a·9 >= b·14
};

// Step one and four of the layout: the shape to show.
TAspect ChooseAspect(const TAspectInput& input);

// The largest rectangle of shape a:b centred in `target`; empty when the
// target is.
QRect LargestCentred(const QRect& target, int a, int b);

inline constexpr int kFrameMargin = 12;          // the coloured frame around the picture
inline constexpr int kFullScreenInset = 12;      // the screen's edge left free
inline constexpr int kSliderOverlap = 6;         // the sliders over the picture's edge
inline constexpr int kSliderOverhang = 8;        // and past its ends

struct TWindowedLayout {
  QRect video;       // in the video panel's coordinates
  QRect frame;       // the coloured rectangle behind it
  QRect ySlider;     // along the right edge
  QRect xSlider;     // along the bottom
  QPoint corner;     // the square where the sliders cross
};

struct TFullScreenLayout {
  QRect video;   // on the backdrop
  QRect square;  // the backdrop's coloured square
};

// The picture in the inner video panel (`panel`, its own coordinates), with
// the frame and the sliders placed around it.
TWindowedLayout LayOutWindowed(const QRect& panel, const TAspect& aspect, int sliderThickness);
// The picture on a backdrop covering `screen` (the backdrop's coordinates).
TFullScreenLayout LayOutFullScreen(const QRect& screen, const TAspect& aspect);

// What locking the preview does for a capture format.
enum class TProcessing { Off, On, Unchanged };
enum class TRatioAction { None, Normal, FourThree, SixteenNine, Matching };
enum class TSourceRule { None, AudioFromVideoDevice, DeselectAudio, DeselectVideo };

struct TLockRule {
  TProcessing processing = TProcessing::Unchanged;
  TRatioAction execute = TRatioAction::None;  // Matching: the one "Aspect ratio" names
  // When it touches them, the ratio actions left enabled: normal, 4:3,
  // 16:9, native; otherwise they stay as they are.
  bool touchesRatios = false;
  bool enabled[4] = {true, true, true, true};
  TSourceRule sources = TSourceRule::None;
};

struct TLockInput {
  int format = 0;
  bool hasSceneFilter = false;  // the video source is DV
  bool hasVideoSource = false;
  QSize videoWindow;            // for the recompressed DV format's choice
};

TLockRule PreviewLockRule(const TLockInput& input);

// The monitoring volume: 0 to 10000, a step of 1000.
inline constexpr int kVolumeMaximum = 10000;
inline constexpr int kVolumeStep = 1000;
int StepVolume(int volume, int steps);

// The panel after `panel`, the last wrapping to the first.
int NextPanel(int panel);
// The options page the format-settings button opens for a capture format.
int OptionsPageForFormat(int format);
