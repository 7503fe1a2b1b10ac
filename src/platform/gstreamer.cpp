#include "platform/gstreamer.h"

#include <mutex>

namespace gst {

void EnsureInitialised() {
  static std::once_flag once;
  std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

QString VersionText() {
  guint major = 0, minor = 0, micro = 0, nano = 0;
  gst_version(&major, &minor, &micro, &nano);
  QString text = QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(micro);
  if (nano != 0) text += QStringLiteral(".%1").arg(nano);
  return text;
}

const QStringList& RequiredElements() {
  // The preview and the native DV and AVI captures; everything else is looked
  // up when it is used and reported there.
  static const QStringList names = {
      "tee",          "queue",         "capsfilter", "filesink",     "fakesink",      "appsrc",        "appsink",
      "videoconvert", "videoscale",    "videorate",  "audioconvert", "audioresample", "volume",        "videotestsrc",
      "audiotestsrc", "autoaudiosink", "dvdemux",    "avimux",       "avdec_dvvideo", "avenc_dvvideo",
  };
  return names;
}

QStringList MissingElements(const QStringList& factoryNames) {
  EnsureInitialised();
  QStringList missing;
  for (const QString& name : factoryNames) {
    FactoryPtr factory(gst_element_factory_find(name.toUtf8().constData()));
    if (!factory) missing << name;
  }
  return missing;
}

bool FactoryInCategory(GstElementFactory* factory, const QString& category) {
  const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
  if (!klass) return false;
  const QStringList words = QString::fromUtf8(klass).split('/', Qt::SkipEmptyParts);
  for (const QString& wanted : category.split('/', Qt::SkipEmptyParts))
    if (!words.contains(wanted, Qt::CaseInsensitive)) return false;
  return true;
}

QList<FactoryPtr> FactoriesInCategory(const QString& category) {
  EnsureInitialised();
  GList* all = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_ANY, GST_RANK_NONE);
  all = g_list_sort(all, gst_plugin_feature_rank_compare_func);
  QList<FactoryPtr> found;
  for (GList* item = all; item; item = item->next) {
    auto* factory = GST_ELEMENT_FACTORY(item->data);
    if (FactoryInCategory(factory, category)) found << FactoryPtr::Ref(factory);
  }
  gst_plugin_feature_list_free(all);
  return found;
}

}  // namespace gst
