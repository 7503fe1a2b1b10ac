#include "capture/mediamodule.h"

#include <QLoggingCategory>
#include <stdexcept>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_controlunit.h"
#include "media/filters/vx_dvheader.h"
#include "media/filters/vx_resizer.h"
#include "media/filters/vx_superposer.h"
#include "media/filters/vx_timestamper.h"
#include "media/filters/vx_wavedest.h"

Q_LOGGING_CATEGORY(lcMediaModule, "tessivo.mediamodule")

namespace {

template <typename F>
F& FilterIn(const gst::ElementPtr& element) {
  auto* filter = dynamic_cast<F*>(FilterOfElement(element.get()));
  if (!filter) throw std::logic_error("not one of our filters");
  return *filter;
}

}  // namespace

TFilterSlot::TFilterSlot(std::string name, const char* factory) : name_(std::move(name)) {
  if (factory) Load(factory);
}

bool TFilterSlot::Load(const std::string& factory) {
  gst::EnsureInitialised();
  element_ = gst::ElementPtr::Sink(gst_element_factory_make(factory.c_str(), nullptr));
  if (!element_) qCWarning(lcMediaModule) << "no element" << factory.c_str() << "for the slot" << name_.c_str();
  return static_cast<bool>(element_);
}

Tdm::Tdm() {
  RegisterTessivoPlugin();
  // The audio format converter of capture branches: its format is the caps
  // of the filter at its end.
  gst::ErrorOut error;
  acmcap.Set(gst::ElementPtr::Sink(
      gst_parse_bin_from_description("audioconvert ! audioresample ! capsfilter name=format", TRUE, error.out())));
  if (error) qCWarning(lcMediaModule) << "audio converter unavailable:" << error.message().c_str();
  for (TFilterSlot* tee : {&infdecvideo, &infsupvideo, &infdecaudio, &infsupaudio, &infdumvideo})
    if (!tee->empty()) g_object_set(tee->get(), "allow-not-linked", TRUE, nullptr);
  for (TFilterSlot* sink : {&FileWriter, &writer})
    if (!sink->empty()) g_object_set(sink->get(), "async", FALSE, nullptr);

  overlay.element = Make(kSuperposerElement);
  for (OwnFilter* stamper : {&captureVideoStamper, &captureAudioStamper, &previewVideoBuffer, &previewAudioBuffer,
                             &previewVideoControl, &captureVideoControl, &previewAudioControl})
    stamper->element = Make(kTimeStamperElement);
  dvHeader.element = Make(kDvHeaderElement);
  imageControl.element = Make(kControlFilterElement);
  resizer.element = Make(kResizerElement);
  waveDest.element = Make(kWaveDestElement);
  // The preview buffers pass samples on without times, so they are shown as
  // they come.
  Stamper(previewVideoBuffer).SetStripTimes();
  Stamper(previewAudioBuffer).SetStripTimes();
}

Tdm::~Tdm() = default;

gst::ElementPtr Tdm::Make(const char* factory) const {
  auto element = gst::ElementPtr::Sink(gst_element_factory_make(factory, nullptr));
  if (!element) throw std::runtime_error(std::string("the element ") + factory + " is not registered");
  return element;
}

bool Tdm::Add(const OwnFilter& filter, const char* graphName) {
  return fg.AddFilter(filter.element.get(), graphName ? graphName : filter.graphName);
}

std::vector<const Tdm::OwnFilter*> Tdm::ownFilters() const {
  return {&overlay,
          &captureVideoStamper,
          &captureAudioStamper,
          &previewVideoBuffer,
          &previewAudioBuffer,
          &previewVideoControl,
          &captureVideoControl,
          &previewAudioControl,
          &dvHeader,
          &imageControl,
          &resizer,
          &waveDest};
}

Tvx_Superposer& Tdm::Superposer() const { return FilterIn<Tvx_Superposer>(overlay.element); }
Tvx_TimeStamper& Tdm::Stamper(const OwnFilter& filter) const { return FilterIn<Tvx_TimeStamper>(filter.element); }
Tvx_DVheader& Tdm::DVHeader() const { return FilterIn<Tvx_DVheader>(dvHeader.element); }
Tvx_ControlFilter& Tdm::ControlFilter() const { return FilterIn<Tvx_ControlFilter>(imageControl.element); }
TVX_Resizer& Tdm::Resizer() const { return FilterIn<TVX_Resizer>(resizer.element); }
Tvx_WaveDest& Tdm::WaveDest() const { return FilterIn<Tvx_WaveDest>(waveDest.element); }
