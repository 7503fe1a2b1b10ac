// Any element's properties as text: what a property editor lists, reads and
// writes, whatever the element (a device's source, an encoder, a filter).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include <glib-object.h>

struct TPropertyInfo {
  enum class Kind { Boolean, Integer, Real, Text, Choice, Flags, Other };
  QString name;
  QString nick;
  QString blurb;
  Kind kind = Kind::Other;
  bool writable = false;  // writable now: not read-only, not construct-only
  double minimum = 0, maximum = 0;
  QStringList choices;  // enumeration or flag nicks
};

// The readable properties of the object, in the order its class lists them.
std::vector<TPropertyInfo> PropertiesOf(GObject* object);
// The value as text: numbers in C notation, enumerations by their nick,
// flags as "a+b", text as it is, anything else serialised by GStreamer.
QString PropertyText(GObject* object, const QString& name);
// Sets the value from text of the same form; false when the property is
// unknown, not writable, or the text is not a value of it.
bool SetPropertyText(GObject* object, const QString& name, const QString& text);
