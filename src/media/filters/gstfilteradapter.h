// Turns any of the program's own filters into a GStreamer element: a
// GstBaseTransform that maps the negotiated caps to the filter's media type,
// hands each buffer to the filter as a sample, and delivers, drops or refuses
// as the filter answers. In-place filters change the buffer as it passes;
// copy filters write a new buffer.
#pragma once

#include <gst/gst.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "media/filters/filtercontract.h"

// A filter setting seen as a GObject property.
struct FilterProperty {
  const char* name;
  const char* blurb;
  GType type;  // G_TYPE_BOOLEAN, G_TYPE_INT, G_TYPE_UINT, G_TYPE_INT64, G_TYPE_DOUBLE or G_TYPE_STRING
  bool writable = false;
  double minimum = 0, maximum = 0, defaultValue = 0;
  std::function<void(TFilter& filter, GValue* value)> get;
  std::function<void(TFilter& filter, const GValue* value)> set;
};

struct FilterElementDescription {
  const char* name;      // element factory name: "vx_scenedetect"
  const char* longName;  // "Orbelin vx_SceneDetect"
  const char* klass;     // "Filter/Video"
  const char* description;
  const char* sinkCaps;  // caps of the input pad template
  const char* srcCaps;   // caps of the output pad template
  bool inPlace = true;
  // Copy filters whose output is always of one kind (a byte stream) give it
  // here; empty: the output caps follow the filter's output type.
  const char* fixedOutputCaps = nullptr;
  std::function<std::unique_ptr<TFilter>()> create;
  std::vector<FilterProperty> properties;
};

// Registers the element type (once per name) and answers it; 0 on failure.
GType FilterElementType(const FilterElementDescription& description);

// Registers the element with a plug-in, or in-process when `plugin` is null.
bool RegisterFilterElement(GstPlugin* plugin, const FilterElementDescription& description, guint rank = GST_RANK_NONE);

// The filter inside one of our elements; null for any other element.
TFilter* FilterOfElement(GstElement* element);

// The media type a filter sees for negotiated caps; nothing for caps that do
// not describe one fixed format.
std::optional<TMediaType> MediaTypeFromCaps(const GstCaps* caps);

// Names of the messages our elements post on the bus.
inline constexpr char kNotificationMessage[] = "tessivo-notification";  // fields: message, first, second
inline constexpr char kQualityMessage[] = "tessivo-quality-change";     // once per run after a drop
