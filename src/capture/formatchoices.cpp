#include "capture/formatchoices.h"

#include <algorithm>

namespace {

// The values of a field: a single value, every item of a list, or for an
// integer range its ends and the usual values inside it.
template <typename Read>
void Spread(const GValue* value, std::vector<GValue>& out, Read read) {
  if (!value) return;
  if (GST_VALUE_HOLDS_LIST(value)) {
    for (guint i = 0; i < gst_value_list_get_size(value); ++i) Spread(gst_value_list_get_value(value, i), out, read);
    return;
  }
  read(value, out);
}

GValue Copy(const GValue* value) {
  GValue copy = G_VALUE_INIT;
  g_value_init(&copy, G_VALUE_TYPE(value));
  g_value_copy(value, &copy);
  return copy;
}

GValue Int(int number) {
  GValue value = G_VALUE_INIT;
  g_value_init(&value, G_TYPE_INT);
  g_value_set_int(&value, number);
  return value;
}

GValue Fraction(int numerator, int denominator) {
  GValue value = G_VALUE_INIT;
  g_value_init(&value, GST_TYPE_FRACTION);
  gst_value_set_fraction(&value, numerator, denominator);
  return value;
}

void Clear(std::vector<GValue>& values) {
  for (GValue& value : values) g_value_unset(&value);
  values.clear();
}

std::vector<int> Sizes(const GValue* value, const std::vector<int>& usual) {
  std::vector<GValue> values;
  Spread(value, values, [&usual](const GValue* v, std::vector<GValue>& out) {
    if (G_VALUE_HOLDS_INT(v)) {
      out.push_back(Copy(v));
    } else if (GST_VALUE_HOLDS_INT_RANGE(v)) {
      const int low = gst_value_get_int_range_min(v), high = gst_value_get_int_range_max(v);
      out.push_back(Int(high));
      for (const int size : usual)
        if (size >= low && size < high) out.push_back(Int(size));
    }
  });
  std::vector<int> sizes;
  for (const GValue& v : values) sizes.push_back(g_value_get_int(&v));
  Clear(values);
  return sizes;
}

}  // namespace

QString TFormatChoice::Text() const {
  QString text = (format.isEmpty() ? mediaType.section('/', 1) : format) + QStringLiteral(" %1x%2").arg(width).arg(height);
  if (rateNumerator) text += QStringLiteral(" %1 img/s").arg(QString::number(rate(), 'f', rate() == int(rate()) ? 0 : 2));
  return text;
}

std::vector<TFormatChoice> FormatChoicesOf(const GstCaps* caps) {
  std::vector<TFormatChoice> choices;
  for (guint i = 0; caps && !gst_caps_is_any(caps) && i < gst_caps_get_size(caps); ++i) {
    const GstStructure* s = gst_caps_get_structure(caps, i);
    const QString type = QString::fromUtf8(gst_structure_get_name(s));
    if (type != "video/x-raw" && type != "image/jpeg" && type != "video/x-h264" && type != "video/mpeg") continue;
    // Sizes are read as pairs: the largest with the largest.
    const std::vector<int> widths = Sizes(gst_structure_get_value(s, "width"), {640, 320});
    const std::vector<int> heights = Sizes(gst_structure_get_value(s, "height"), {480, 240});
    if (widths.empty() || heights.empty()) continue;
    QStringList formats;
    std::vector<GValue> values;
    Spread(gst_structure_get_value(s, "format"), values, [](const GValue* v, std::vector<GValue>& out) {
      if (G_VALUE_HOLDS_STRING(v)) out.push_back(Copy(v));
    });
    for (const GValue& v : values) formats << QString::fromUtf8(g_value_get_string(&v));
    Clear(values);
    if (formats.isEmpty()) formats << QString();
    std::vector<std::pair<int, int>> rates;
    Spread(gst_structure_get_value(s, "framerate"), values, [](const GValue* v, std::vector<GValue>& out) {
      if (GST_VALUE_HOLDS_FRACTION(v)) {
        out.push_back(Copy(v));
      } else if (GST_VALUE_HOLDS_FRACTION_RANGE(v)) {
        const GValue* high = gst_value_get_fraction_range_max(v);
        out.push_back(Copy(high));
        for (const int usual : {30, 25, 15})
          if (double(usual) < double(gst_value_get_fraction_numerator(high)) / gst_value_get_fraction_denominator(high))
            out.push_back(Fraction(usual, 1));
      }
    });
    for (const GValue& v : values)
      if (gst_value_get_fraction_numerator(&v) > 0)
        rates.emplace_back(gst_value_get_fraction_numerator(&v), gst_value_get_fraction_denominator(&v));
    Clear(values);
    if (rates.empty()) rates.emplace_back(0, 1);
    const std::size_t pairs = std::max(widths.size(), heights.size());
    for (const QString& format : formats)
      for (std::size_t k = 0; k < pairs; ++k)
        for (const auto& [numerator, denominator] : rates) {
          TFormatChoice choice{type, format, widths[std::min(k, widths.size() - 1)],
                               heights[std::min(k, heights.size() - 1)], numerator, denominator};
          if (std::find(choices.begin(), choices.end(), choice) == choices.end()) choices.push_back(choice);
        }
  }
  return choices;
}

gst::CapsPtr CapsOfChoice(const TFormatChoice& choice) {
  GstStructure* s = gst_structure_new(choice.mediaType.toUtf8().constData(), "width", G_TYPE_INT, choice.width,
                                      "height", G_TYPE_INT, choice.height, nullptr);
  if (!choice.format.isEmpty()) gst_structure_set(s, "format", G_TYPE_STRING, choice.format.toUtf8().constData(), nullptr);
  if (choice.rateNumerator)
    gst_structure_set(s, "framerate", GST_TYPE_FRACTION, choice.rateNumerator, choice.rateDenominator, nullptr);
  return gst::CapsPtr(gst_caps_new_full(s, nullptr));
}
