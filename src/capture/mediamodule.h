// The media module: the one graph of the run, the stock elements the graph
// builders insert (in named slots), and one instance of each of the program's
// own filters under its graph name. Everything here lives for the whole run;
// elements are added to and removed from the graph, never recreated.
#pragma once

#include <string>

#include "platform/graph.h"
#include "platform/noncopyable.h"

class Tvx_Superposer;
class Tvx_TimeStamper;
class Tvx_DVheader;
class Tvx_ControlFilter;
class TVX_Resizer;
class Tvx_WaveDest;

// A place for one element: fixed at creation, or loaded later from a factory
// (an encoder chosen in the options, a muxer found at capture time).
class TFilterSlot {
 public:
  explicit TFilterSlot(std::string name, const char* factory = nullptr);
  // Replaces the element with a new one from the factory; false (slot empty)
  // when the factory is unknown.
  bool Load(const std::string& factory);
  void Set(gst::ElementPtr element) { element_ = std::move(element); }
  void Clear() { element_ = {}; }
  GstElement* get() const { return element_.get(); }
  bool empty() const { return !element_; }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  gst::ElementPtr element_;
};

class Tdm : NonCopyable {
 public:
  Tdm();
  ~Tdm();

  graph::TMediaGraph fg;

  // Stock elements.
  TFilterSlot audiorender{"audiorender", "autoaudiosink"};
  TFilterSlot color1{"color1", "videoconvert"}, color3{"color3", "videoconvert"};
  TFilterSlot infdecvideo{"infdecvideo", "tee"}, infsupvideo{"infsupvideo", "tee"};
  TFilterSlot infdecaudio{"infdecaudio", "tee"}, infsupaudio{"infsupaudio", "tee"};
  TFilterSlot infdumvideo{"infdumvideo", "tee"};
  TFilterSlot DVenc{"DVenc", "avenc_dvvideo"}, DVmux{"DVmux", "avmux_dv"}, DVsplitter{"DVsplitter", "dvdemux"};
  TFilterSlot acmcap{"acmcap"};
  TFilterSlot FileWriter{"FileWriter", "filesink"}, writer{"writer", "filesink"};
  TFilterSlot null{"null", "fakesink"};
  TFilterSlot test{"test"}, divx{"divx"}, mp3{"mp3"}, muxer{"muxer"}, audioenc{"audioenc"},
      AudioEncoder{"AudioEncoder"};
  // The FourCC the DivX captures carry, as the compressor chosen says.
  std::string divxFourCC = "XVID";

  // The program's own filters, with the names they take in the graph.
  struct OwnFilter {
    const char* graphName;
    gst::ElementPtr element;
  };
  OwnFilter overlay{"Superposer", {}};
  OwnFilter captureVideoStamper{"VideoCap Tamponer", {}};
  OwnFilter captureAudioStamper{"AudioCap Tamponer", {}};
  OwnFilter previewVideoBuffer{"Tamponer Video", {}};
  OwnFilter previewAudioBuffer{"Tamponer Audio", {}};
  OwnFilter previewVideoControl{"Control_Preview_Video", {}};
  OwnFilter captureVideoControl{"Control_Capture_Video", {}};
  OwnFilter previewAudioControl{"Control_Preview_Audio", {}};
  OwnFilter dvHeader{"DV Header", {}};
  OwnFilter imageControl{"Control Filter", {}};
  OwnFilter resizer{"Resizer", {}};
  OwnFilter waveDest{"Wave Dest", {}};
  static constexpr char kDivxAudioStamperName[] = "AudioCap Timestamper";

  // Adds an own filter to the graph under its graph name (or another one, for
  // the audio stamper of the DivX graph).
  bool Add(const OwnFilter& filter, const char* graphName = nullptr);
  bool Remove(const OwnFilter& filter) { return fg.RemoveFilter(filter.element.get()); }
  std::vector<const OwnFilter*> ownFilters() const;

  // The C++ filters inside, for their setters.
  Tvx_Superposer& Superposer() const;
  Tvx_TimeStamper& Stamper(const OwnFilter& filter) const;
  Tvx_DVheader& DVHeader() const;
  Tvx_ControlFilter& ControlFilter() const;
  TVX_Resizer& Resizer() const;
  Tvx_WaveDest& WaveDest() const;

 private:
  gst::ElementPtr Make(const char* factory) const;
};
