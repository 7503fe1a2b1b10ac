#include "control/displayrules.h"

#include <algorithm>

#include "settings/conversions.h"

TAspect ChooseAspect(const TAspectInput& input) {
  TAspect aspect;
  QSize shape;
  switch (input.aspectRatio) {
    case ar4x3:
      shape = {4, 3};
      aspect.ratioDivx = 1;
      break;
    case ar16x9:
      shape = {16, 9};
      aspect.ratioDivx = 2;
      break;
    case arNative:
      shape = input.nativeSize;
      aspect.ratioDivx = 3;
      break;
    default: {
      // A DV stream says in its packs which shape it has.
      QSize display = input.displayAspect;
      if (input.hasSceneFilter) display = input.streamIsWide ? QSize(16, 9) : QSize(4, 3);
      shape = display.width() > 0 && display.height() > 0 ? display : input.nativeSize;
      break;
    }
  }
  if (shape.width() <= 0 || shape.height() <= 0) shape = {4, 3};
  aspect.a = shape.width();
  aspect.b = shape.height();
  aspect.wide = static_cast<long long>(aspect.a) * 9 >= static_cast<long long>(aspect.b) * 14;
  return aspect;
}

QRect LargestCentred(const QRect& target, int a, int b) {
  if (target.isEmpty() || a <= 0 || b <= 0) return {};
  long long width = target.width();
  long long height = width * b / a;
  if (height > target.height()) {
    height = target.height();
    width = height * a / b;
  }
  return {target.left() + static_cast<int>((target.width() - width) / 2),
          target.top() + static_cast<int>((target.height() - height) / 2), static_cast<int>(width),
          static_cast<int>(height)};
}

namespace {

QRect Enlarged(const QRect& rect, int by) { return rect.adjusted(-by, -by, by, by); }

}  // namespace

TWindowedLayout LayOutWindowed(const QRect& panel, const TAspect& aspect, int sliderThickness) {
  TWindowedLayout layout;
  layout.video = LargestCentred(panel, aspect.a, aspect.b);
  layout.frame = Enlarged(layout.video, kFrameMargin);
  const QRect& v = layout.video;
  const int right = v.left() + v.width();
  const int bottom = v.top() + v.height();
  layout.ySlider = QRect(right - kSliderOverlap, v.top() - kSliderOverhang, sliderThickness,
                         v.height() + 2 * kSliderOverhang);
  layout.xSlider = QRect(v.left() - kSliderOverhang, bottom - kSliderOverlap, v.width() + 2 * kSliderOverhang,
                         sliderThickness);
  layout.corner = QPoint(layout.ySlider.left(), layout.xSlider.top());
  return layout;
}

TFullScreenLayout LayOutFullScreen(const QRect& screen, const TAspect& aspect) {
  TFullScreenLayout layout;
  const QRect target = Enlarged(screen, -kFullScreenInset);
  layout.video = LargestCentred(target, aspect.a, aspect.b);
  layout.square = Enlarged(layout.video, kFrameMargin);
  return layout;
}

TLockRule PreviewLockRule(const TLockInput& input) {
  TLockRule rule;
  const auto onlyNormal = [&rule] {
    rule.processing = TProcessing::Off;
    rule.execute = TRatioAction::Normal;
    rule.touchesRatios = true;
    std::copy_n(std::initializer_list<bool>{true, false, false, false}.begin(), 4, rule.enabled);
  };
  switch (input.format) {
    case fcDvType1Native:
    case fcMpeg2Native:
    case fcMpeg1Native:
      onlyNormal();
      rule.sources = TSourceRule::AudioFromVideoDevice;
      break;
    case fcDvType2Native:
    case fcAviNative:
      onlyNormal();
      break;
    case fcDvType2Recompressed: {
      rule.processing = TProcessing::On;
      const QSize window = input.videoWindow;
      rule.execute = static_cast<long long>(window.width()) * 9 < static_cast<long long>(window.height()) * 14
                         ? TRatioAction::FourThree
                         : TRatioAction::SixteenNine;
      rule.touchesRatios = true;
      std::copy_n(std::initializer_list<bool>{false, true, true, false}.begin(), 4, rule.enabled);
      break;
    }
    case fcWmv:
      rule.processing = TProcessing::On;
      rule.execute = TRatioAction::FourThree;
      rule.touchesRatios = true;
      std::copy_n(std::initializer_list<bool>{false, true, false, false}.begin(), 4, rule.enabled);
      break;
    case fcImageByImage:
      if (input.hasSceneFilter)
        onlyNormal();
      else
        rule.processing = TProcessing::On;
      rule.sources = TSourceRule::DeselectAudio;
      break;
    case fcDivx:
      rule.processing = TProcessing::On;
      rule.execute = TRatioAction::Matching;
      break;
    case fcWav:
    case fcMp3:
      if (input.hasVideoSource) rule.processing = TProcessing::Off;
      rule.sources = TSourceRule::DeselectVideo;
      break;
    default:
      break;
  }
  return rule;
}

int StepVolume(int volume, int steps) {
  return std::clamp(volume + steps * kVolumeStep, 0, kVolumeMaximum);
}

int NextPanel(int panel) { return IsPanelNumber(panel) && panel < pnAbout ? panel + 1 : pnSources; }

int OptionsPageForFormat(int format) {
  if (format == fcWmv) return 1;
  if (format == fcDivx || format == fcMp3) return 2;
  return 4;
}
