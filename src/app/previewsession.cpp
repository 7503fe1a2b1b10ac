#include "app/previewsession.h"

#include <QLoggingCategory>

#include "capture/captureengine.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/systemdevices.h"
#include "texts.h"

Q_LOGGING_CATEGORY(lcSession, "tessivo.sources")

namespace {

const auto kVideoKinds = [](TDeviceKind kind) { return kind == dkDV || kind == dkVideo || kind == dkPlugIn; };
const auto kAudioKinds = [](TDeviceKind kind) { return kind == dkAudio; };

template <typename List>
QStringList NamesOf(const List& sources) {
  QStringList names;
  for (const auto& source : sources) names << source->Name;
  return names;
}

template <typename List>
auto* Named(const List& sources, const QString& name) {
  for (const auto& source : sources)
    if (source->Name == name) return source.get();
  return decltype(sources.front().get())(nullptr);
}

}  // namespace

TPreviewSession::TPreviewSession(TCaptureEngine& engine, TSimulatedDeviceProvider* simulated, QObject* parent)
    : QObject(parent), engine_(engine), enumerator_(std::make_unique<TDeviceEnumerator>(simulated)) {
  const auto release = [this](TCaptureDevice& device) { ReleaseCurrent(device); };
  videoDevices_.beforeRemoval = release;
  videoDevices_.plugins = &plugins_;
  audioDevices_.beforeRemoval = release;
  engine_.graph().onEvent = [this](const graph::GraphEvent& event) { OnGraphEvent(event); };
  connect(enumerator_.get(), &TDeviceEnumerator::devicesChanged, this, &TPreviewSession::devicesChanged);
}

TPreviewSession::~TPreviewSession() {
  engine_.graph().onEvent = nullptr;
  // The sources go with this session's lists: none stays current in the
  // engine.
  ReleaseSources();
}

void TPreviewSession::ReleaseCurrent(TCaptureDevice& device) {
  TCaptureContext& context = engine_.context;
  if (context.CurrentVideoSource && context.CurrentVideoSource->Device == &device)
    DeactivateVideoSource(engine_, *context.CurrentVideoSource, true);
  if (context.CurrentAudioSource && context.CurrentAudioSource->Device == &device)
    DeactivateAudioSource(engine_, *context.CurrentAudioSource, true);
}

bool TPreviewSession::ChargerDrivers(const std::function<bool(const TCaptureDevice&)>& admitted) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Refused("ChargerDrivers");
  // The sources are made anew: the current ones are released first.
  ReleaseSources();
  videoSources_.clear();
  audioSources_.clear();
  const std::optional<std::vector<TDeviceMoniker>> devices = enumerator_->Devices();
  if (!devices) {
    qCWarning(lcSession) << "the devices could not be listed";
    return false;
  }
  const bool listed = videoDevices_.Refresh(*devices, kVideoKinds) & audioDevices_.Refresh(*devices, kAudioKinds);
  const auto keep = [&admitted](auto&& sources, auto& into) {
    for (auto& source : sources)
      if (!admitted || admitted(*source->Device)) into.push_back(std::move(source));
  };
  keep(VideoSourcesOf(videoDevices_), videoSources_);
  keep(AudioSourcesOf(videoDevices_), audioSources_);
  keep(AudioSourcesOf(audioDevices_), audioSources_);
  qCInfo(lcSession) << "video sources:" << VideoSourceNames() << "audio sources:" << AudioSourceNames();
  return listed;
}

bool TPreviewSession::Refused(const char* operation) const {
  // Something pumped events while a graph change was under way: the graph
  // is half built, so nothing else may change it now.
  qCWarning(lcSession) << operation << "refused: another change of the graph is under way";
  return false;
}

TVideoSource* TPreviewSession::VideoSource(const QString& name) const { return Named(videoSources_, name); }
TAudioSource* TPreviewSession::AudioSource(const QString& name) const { return Named(audioSources_, name); }

bool TPreviewSession::ActivateVideo(TVideoSource& source) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Refused("ActivateVideo");
  if (ActivateVideoSource(engine_, source)) return true;
  emit problem(QString::fromUtf8(texts::kPreviewVideoFailed).arg(source.Name));
  return false;
}

bool TPreviewSession::ActivateAudio(TAudioSource& source) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Refused("ActivateAudio");
  if (ActivateAudioSource(engine_, source)) return true;
  emit problem(QString::fromUtf8(texts::kPreviewAudioFailed).arg(source.Name));
  return false;
}

bool TPreviewSession::DeactivateVideo(bool fullRelease) {
  TVideoSource* current = engine_.context.CurrentVideoSource;
  return !current || DeactivateVideoSource(engine_, *current, fullRelease);
}

bool TPreviewSession::DeactivateAudio(bool fullRelease) {
  TAudioSource* current = engine_.context.CurrentAudioSource;
  return !current || DeactivateAudioSource(engine_, *current, fullRelease);
}

bool TPreviewSession::Play(QString* error) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Refused("Play");
  std::string reason;
  if (::Play(engine_, &reason)) return true;
  const QString text = QString::fromUtf8(texts::kPreviewDoesNotRun).arg(QString::fromStdString(reason));
  if (error) *error = text;
  emit problem(text);
  return false;
}

void TPreviewSession::Stop() { ::Stop(engine_); }

void TPreviewSession::ReleaseSources() {
  DeactivateVideo(true);
  DeactivateAudio(true);
  ::Stop(engine_);
}

void TPreviewSession::ClearSources() {
  ReleaseSources();
  videoSources_.clear();
  audioSources_.clear();
}

QStringList TPreviewSession::VideoSourceNames() const { return NamesOf(videoSources_); }
QStringList TPreviewSession::AudioSourceNames() const { return NamesOf(audioSources_); }

QString TPreviewSession::CurrentVideoName() const {
  const TVideoSource* source = engine_.context.CurrentVideoSource;
  return source ? source->Name : QString();
}

QString TPreviewSession::CurrentAudioName() const {
  const TAudioSource* source = engine_.context.CurrentAudioSource;
  return source ? source->Name : QString();
}

void TPreviewSession::OnGraphEvent(const graph::GraphEvent& event) {
  using Kind = graph::GraphEvent::Kind;
  // A capture's failure is said by the capture; a lost device is still
  // followed by the sources.
  if (beforeEvent && beforeEvent(event) && event.kind != Kind::DeviceLost) return;
  if (event.kind == Kind::DeviceLost) {
    qCWarning(lcSession) << "device lost:" << QString::fromStdString(event.source) << event.message.c_str();
    emit deviceLost(QString::fromStdString(event.source));
  } else if (event.kind == Kind::Error) {
    qCWarning(lcSession) << "graph error from" << event.source.c_str() << ":" << event.message.c_str();
    emit problem(QString::fromUtf8(texts::kPreviewError).arg(QString::fromStdString(event.message)));
  }
}
