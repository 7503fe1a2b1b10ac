#include "capture/propertymodel.h"

#include <gst/gst.h>

#include <cmath>
#include <limits>
#include <memory>

#include "platform/gstreamer.h"

namespace {

TPropertyInfo::Kind KindOf(const GParamSpec* pspec) {
  using Kind = TPropertyInfo::Kind;
  const GType type = G_PARAM_SPEC_VALUE_TYPE(pspec);
  if (type == G_TYPE_BOOLEAN) return Kind::Boolean;
  if (type == G_TYPE_INT || type == G_TYPE_UINT || type == G_TYPE_LONG || type == G_TYPE_ULONG ||
      type == G_TYPE_INT64 || type == G_TYPE_UINT64 || type == G_TYPE_CHAR || type == G_TYPE_UCHAR)
    return Kind::Integer;
  if (type == G_TYPE_FLOAT || type == G_TYPE_DOUBLE) return Kind::Real;
  if (type == G_TYPE_STRING) return Kind::Text;
  if (G_TYPE_IS_ENUM(type)) return Kind::Choice;
  if (G_TYPE_IS_FLAGS(type)) return Kind::Flags;
  return Kind::Other;
}

void Range(const GParamSpec* pspec, double& minimum, double& maximum) {
  if (G_IS_PARAM_SPEC_INT(pspec)) {
    minimum = G_PARAM_SPEC_INT(pspec)->minimum, maximum = G_PARAM_SPEC_INT(pspec)->maximum;
  } else if (G_IS_PARAM_SPEC_UINT(pspec)) {
    minimum = G_PARAM_SPEC_UINT(pspec)->minimum, maximum = G_PARAM_SPEC_UINT(pspec)->maximum;
  } else if (G_IS_PARAM_SPEC_LONG(pspec)) {
    minimum = G_PARAM_SPEC_LONG(pspec)->minimum, maximum = G_PARAM_SPEC_LONG(pspec)->maximum;
  } else if (G_IS_PARAM_SPEC_ULONG(pspec)) {
    minimum = G_PARAM_SPEC_ULONG(pspec)->minimum, maximum = G_PARAM_SPEC_ULONG(pspec)->maximum;
  } else if (G_IS_PARAM_SPEC_INT64(pspec)) {
    minimum = double(G_PARAM_SPEC_INT64(pspec)->minimum), maximum = double(G_PARAM_SPEC_INT64(pspec)->maximum);
  } else if (G_IS_PARAM_SPEC_UINT64(pspec)) {
    minimum = double(G_PARAM_SPEC_UINT64(pspec)->minimum), maximum = double(G_PARAM_SPEC_UINT64(pspec)->maximum);
  } else if (G_IS_PARAM_SPEC_CHAR(pspec)) {
    minimum = G_PARAM_SPEC_CHAR(pspec)->minimum, maximum = G_PARAM_SPEC_CHAR(pspec)->maximum;
  } else if (G_IS_PARAM_SPEC_UCHAR(pspec)) {
    minimum = G_PARAM_SPEC_UCHAR(pspec)->minimum, maximum = G_PARAM_SPEC_UCHAR(pspec)->maximum;
  } else if (G_IS_PARAM_SPEC_FLOAT(pspec)) {
    minimum = G_PARAM_SPEC_FLOAT(pspec)->minimum, maximum = G_PARAM_SPEC_FLOAT(pspec)->maximum;
  } else if (G_IS_PARAM_SPEC_DOUBLE(pspec)) {
    minimum = G_PARAM_SPEC_DOUBLE(pspec)->minimum, maximum = G_PARAM_SPEC_DOUBLE(pspec)->maximum;
  }
}

class Value {
 public:
  explicit Value(GType type) { g_value_init(&value_, type); }
  ~Value() { g_value_unset(&value_); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  GValue* get() { return &value_; }

 private:
  GValue value_ = G_VALUE_INIT;
};

GParamSpec* Find(GObject* object, const QString& name) {
  return object ? g_object_class_find_property(G_OBJECT_GET_CLASS(object), name.toUtf8().constData()) : nullptr;
}

bool Writable(const GParamSpec* pspec) {
  return (pspec->flags & G_PARAM_WRITABLE) && !(pspec->flags & G_PARAM_CONSTRUCT_ONLY);
}

}  // namespace

std::vector<TPropertyInfo> PropertiesOf(GObject* object) {
  std::vector<TPropertyInfo> properties;
  if (!object) return properties;
  guint count = 0;
  const std::unique_ptr<GParamSpec*, decltype(&g_free)> specs(
      g_object_class_list_properties(G_OBJECT_GET_CLASS(object), &count), &g_free);
  for (guint i = 0; i < count; ++i) {
    const GParamSpec* pspec = specs.get()[i];
    if (!(pspec->flags & G_PARAM_READABLE)) continue;
    TPropertyInfo info;
    info.name = QString::fromUtf8(g_param_spec_get_name(const_cast<GParamSpec*>(pspec)));
    info.nick = QString::fromUtf8(g_param_spec_get_nick(const_cast<GParamSpec*>(pspec)));
    info.blurb = QString::fromUtf8(g_param_spec_get_blurb(const_cast<GParamSpec*>(pspec)));
    info.kind = KindOf(pspec);
    info.writable = Writable(pspec);
    Range(pspec, info.minimum, info.maximum);
    const GType type = G_PARAM_SPEC_VALUE_TYPE(pspec);
    if (G_TYPE_IS_ENUM(type)) {
      auto* enumeration = static_cast<GEnumClass*>(g_type_class_ref(type));
      for (guint k = 0; k < enumeration->n_values; ++k) info.choices << enumeration->values[k].value_nick;
      g_type_class_unref(enumeration);
    } else if (G_TYPE_IS_FLAGS(type)) {
      auto* flags = static_cast<GFlagsClass*>(g_type_class_ref(type));
      for (guint k = 0; k < flags->n_values; ++k) info.choices << flags->values[k].value_nick;
      g_type_class_unref(flags);
    }
    properties.push_back(std::move(info));
  }
  return properties;
}

QString PropertyText(GObject* object, const QString& name) {
  GParamSpec* pspec = Find(object, name);
  if (!pspec || !(pspec->flags & G_PARAM_READABLE)) return {};
  Value value(G_PARAM_SPEC_VALUE_TYPE(pspec));
  g_object_get_property(object, pspec->name, value.get());
  const GType type = G_PARAM_SPEC_VALUE_TYPE(pspec);
  if (type == G_TYPE_STRING) return QString::fromUtf8(g_value_get_string(value.get()));
  if (type == G_TYPE_BOOLEAN) return g_value_get_boolean(value.get()) ? "true" : "false";
  if (type == G_TYPE_DOUBLE) return QString::number(g_value_get_double(value.get()), 'g', 15);
  if (type == G_TYPE_FLOAT) return QString::number(g_value_get_float(value.get()), 'g', 7);
  if (G_TYPE_IS_ENUM(type)) {
    auto* enumeration = static_cast<GEnumClass*>(g_type_class_ref(type));
    const GEnumValue* item = g_enum_get_value(enumeration, g_value_get_enum(value.get()));
    const QString nick = item ? QString::fromUtf8(item->value_nick) : QString::number(g_value_get_enum(value.get()));
    g_type_class_unref(enumeration);
    return nick;
  }
  if (G_TYPE_IS_FLAGS(type)) {
    auto* flags = static_cast<GFlagsClass*>(g_type_class_ref(type));
    QStringList set;
    const guint bits = g_value_get_flags(value.get());
    for (guint k = 0; k < flags->n_values; ++k)
      if (flags->values[k].value != 0 && (bits & flags->values[k].value) == flags->values[k].value)
        set << QString::fromUtf8(flags->values[k].value_nick);
    g_type_class_unref(flags);
    return set.join('+');
  }
  const gst::StringPtr text(gst_value_serialize(value.get()));
  return text ? QString::fromUtf8(text.get()) : QString();  // objects and boxed values have no text form
}

bool SetPropertyText(GObject* object, const QString& name, const QString& text) {
  GParamSpec* pspec = Find(object, name);
  if (!pspec || !Writable(pspec)) return false;
  const GType type = G_PARAM_SPEC_VALUE_TYPE(pspec);
  Value value(type);
  const QByteArray bytes = text.toUtf8();
  if (type == G_TYPE_STRING) {
    g_value_set_string(value.get(), bytes.constData());
  } else if (!gst_value_deserialize(value.get(), bytes.constData())) {
    return false;
  }
  // Out of range: refused, not clamped behind the user's back.
  if (g_param_value_validate(pspec, value.get())) return false;
  g_object_set_property(object, pspec->name, value.get());
  return true;
}
