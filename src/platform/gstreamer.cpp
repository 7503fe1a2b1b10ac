#include "platform/gstreamer.h"

#include <atomic>
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

bool FactoryExists(const char* name) {
  EnsureInitialised();
  return static_cast<bool>(FactoryPtr(gst_element_factory_find(name)));
}

QList<FactoryPtr> FactoriesInCategory(const QString& category) {
  EnsureInitialised();
  QList<FactoryPtr> found;
  for (GstElementFactory* factory : FactoryList::Elements(GST_ELEMENT_FACTORY_TYPE_ANY, GST_RANK_NONE).items())
    if (FactoryInCategory(factory, category)) found << FactoryPtr::Ref(factory);
  return found;
}

}  // namespace gst

namespace gst {

template <>
std::vector<ObjectPtr<GstDevice>> AdoptList(GList* list) {
  std::vector<ObjectPtr<GstDevice>> objects;
  for (GList* item = list; item; item = item->next) objects.emplace_back(GST_DEVICE(item->data));
  g_list_free(list);
  return objects;
}

std::string ToString(const GstCaps* caps) {
  if (!caps) return "(none)";
  const StringPtr text(gst_caps_to_string(caps));
  return text ? text.get() : std::string();
}

FactoryList FactoryList::Elements(GstElementFactoryListType type, GstRank minimumRank) {
  GList* list = gst_element_factory_list_get_elements(type, minimumRank);
  return FactoryList(g_list_sort(list, gst_plugin_feature_rank_compare_func));
}

FactoryList FactoryList::Filter(const GstCaps* caps, GstPadDirection direction, bool subsetOnly) const {
  // The filter keeps the order of the list it is given.
  return FactoryList(gst_element_factory_list_filter(list_, caps, direction, subsetOnly));
}

std::vector<GstElementFactory*> FactoryList::items() const {
  std::vector<GstElementFactory*> factories;
  for (GList* item = list_; item; item = item->next) factories.push_back(GST_ELEMENT_FACTORY(item->data));
  return factories;
}

std::vector<std::string> FactoryList::names() const {
  std::vector<std::string> names;
  for (GstElementFactory* factory : items())
    names.emplace_back(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)));
  return names;
}

void ForEach(GstIterator* adopted, const std::function<bool(GObject*)>& visit) {
  if (!adopted) return;
  GValue item = G_VALUE_INIT;
  bool going = true;
  while (going) {
    switch (gst_iterator_next(adopted, &item)) {
      case GST_ITERATOR_OK:
        going = visit(G_OBJECT(g_value_get_object(&item)));
        g_value_reset(&item);
        break;
      case GST_ITERATOR_RESYNC:
        gst_iterator_resync(adopted);
        break;
      default:
        going = false;
        break;
    }
  }
  g_value_unset(&item);
  gst_iterator_free(adopted);
}

std::vector<PadObjectPtr> Pads(GstElement* element, GstPadDirection direction) {
  std::vector<PadObjectPtr> pads;
  if (!element) return pads;
  GstIterator* iterator = direction == GST_PAD_SRC    ? gst_element_iterate_src_pads(element)
                          : direction == GST_PAD_SINK ? gst_element_iterate_sink_pads(element)
                                                      : gst_element_iterate_pads(element);
  ForEach(iterator, [&pads](GObject* pad) {
    pads.push_back(PadObjectPtr::Ref(GST_PAD(pad)));
    return true;
  });
  return pads;
}

ObjectPtr<GstElement> NewLike(GstElement* element) {
  GstElementFactory* factory = element ? gst_element_get_factory(element) : nullptr;
  if (!factory) return {};
  auto copy = ObjectPtr<GstElement>::Sink(gst_element_factory_create(factory, nullptr));
  if (!copy) return {};
  guint count = 0;
  GParamSpec** properties = g_object_class_list_properties(G_OBJECT_GET_CLASS(element), &count);
  for (guint i = 0; i < count; ++i) {
    const GParamSpec* property = properties[i];
    const bool settable = (property->flags & G_PARAM_READWRITE) == G_PARAM_READWRITE &&
                          !(property->flags & (G_PARAM_CONSTRUCT_ONLY | G_PARAM_DEPRECATED));
    if (!settable || g_str_equal(property->name, "name") || g_str_equal(property->name, "parent")) continue;
    GValue value = G_VALUE_INIT;
    g_value_init(&value, property->value_type);
    g_object_get_property(G_OBJECT(element), property->name, &value);
    if (!g_param_value_defaults(const_cast<GParamSpec*>(property), &value))
      g_object_set_property(G_OBJECT(copy.get()), property->name, &value);
    g_value_unset(&value);
  }
  g_free(properties);
  return copy;
}

struct PadProbe::State {
  Callback callback;
  gulong id = 0;
  std::atomic<bool> installed{true};
};

PadProbe::PadProbe(GstPad* pad, GstPadProbeType mask, Callback callback)
    : pad_(PadObjectPtr::Ref(pad)), state_(std::make_shared<State>()) {
  state_->callback = std::move(callback);
  auto* held = new std::shared_ptr<State>(state_);
  state_->id = gst_pad_add_probe(
      pad, mask,
      [](GstPad* p, GstPadProbeInfo* info, gpointer data) {
        return (*static_cast<std::shared_ptr<State>*>(data))->callback(p, info);
      },
      held,
      [](gpointer data) {
        auto* state = static_cast<std::shared_ptr<State>*>(data);
        (*state)->installed.store(false);
        delete state;
      });
  // An idle probe may run and remove itself before add returns.
  if (state_->id == 0) state_->installed.store(false);
}

bool PadProbe::installed() const { return state_ && state_->installed.load(); }

void PadProbe::Remove() {
  if (state_ && pad_ && state_->installed.exchange(false)) gst_pad_remove_probe(pad_.get(), state_->id);
  state_.reset();
  pad_ = {};
}

}  // namespace gst
