#include "app/previewsession.h"

#include <QLoggingCategory>

#include "capture/captureengine.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/systemdevices.h"
#include "texts.h"

Q_LOGGING_CATEGORY(lcSession, "tessivo.sources")

namespace {

const auto kVideoKinds = [](TDeviceKind kind) { return kind == dkDV || kind == dkVideo; };
const auto kAudioKinds = [](TDeviceKind kind) { return kind == dkAudio; };

template <typename List>
QStringList NamesOf(const List& sources) {
  QStringList names;
  for (const auto& source : sources) names << source->Name;
  return names;
}

template <typename List>
auto* ByName(const List& sources, const QString& name) {
  for (const auto& source : sources)
    if (source->Name == name) return source.get();
  return sources.empty() ? nullptr : sources.front().get();
}

}  // namespace

TPreviewSession::TPreviewSession(TCaptureEngine& engine, QObject* parent)
    : QObject(parent), engine_(engine), enumerator_(std::make_unique<TDeviceEnumerator>()) {
  const auto release = [this](TCaptureDevice& device) { ReleaseCurrent(device); };
  videoDevices_.beforeRemoval = release;
  audioDevices_.beforeRemoval = release;
  engine_.graph().onEvent = [this](const graph::GraphEvent& event) { OnGraphEvent(event); };
  connect(enumerator_.get(), &TDeviceEnumerator::devicesChanged, this, [this] {
    if (followChanges_ && followChanges_()) OnDevicesChanged();
  });
  // The device of a current source unplugged: said at once, the sources are
  // rebuilt when the changes have settled.
  connect(enumerator_.get(), &TDeviceEnumerator::deviceRemoved, this, [this](const QString& identity) {
    const TCaptureContext& context = engine_.context;
    for (const TavFlux* source : {static_cast<const TavFlux*>(context.CurrentVideoSource),
                                  static_cast<const TavFlux*>(context.CurrentAudioSource)})
      if (source && source->Device->identity() == identity) {
        emit problem(QString::fromUtf8(texts::kDeviceLost).arg(source->Name));
        return;
      }
  });
}

TPreviewSession::~TPreviewSession() {
  engine_.graph().onEvent = nullptr;
  // The sources go with this session's lists: none stays current in the
  // engine.
  Stop(engine_);
  if (engine_.context.CurrentVideoSource) DeactivateVideoSource(engine_, *engine_.context.CurrentVideoSource, true);
  if (engine_.context.CurrentAudioSource) DeactivateAudioSource(engine_, *engine_.context.CurrentAudioSource, true);
}

void TPreviewSession::ReleaseCurrent(TCaptureDevice& device) {
  TCaptureContext& context = engine_.context;
  if (context.CurrentVideoSource && context.CurrentVideoSource->Device == &device) {
    lastVideo_ = context.CurrentVideoSource->Name;
    DeactivateVideoSource(engine_, *context.CurrentVideoSource, true);
  }
  if (context.CurrentAudioSource && context.CurrentAudioSource->Device == &device) {
    lastAudio_ = context.CurrentAudioSource->Name;
    DeactivateAudioSource(engine_, *context.CurrentAudioSource, true);
  }
}

bool TPreviewSession::ChargerDrivers() {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Refused("ChargerDrivers");
  // The sources are made anew: the current ones are released first.
  ReleaseSources();
  const std::optional<std::vector<TDeviceMoniker>> devices = enumerator_->Devices();
  if (!devices) {
    qCWarning(lcSession) << "the devices could not be listed";
    return false;
  }
  const bool listed = videoDevices_.Refresh(*devices, kVideoKinds) & audioDevices_.Refresh(*devices, kAudioKinds);
  videoSources_ = VideoSourcesOf(videoDevices_);
  audioSources_ = AudioSourcesOf(videoDevices_);
  for (auto& source : AudioSourcesOf(audioDevices_)) audioSources_.push_back(std::move(source));
  qCInfo(lcSession) << "video sources:" << VideoSourceNames() << "audio sources:" << AudioSourceNames();
  return listed;
}

bool TPreviewSession::Refused(const char* operation) const {
  // Something pumped events while a graph change was under way: the graph
  // is half built, so nothing else may change it now.
  qCWarning(lcSession) << operation << "refused: another change of the graph is under way";
  return false;
}

bool TPreviewSession::ActivateVideoByName(const QString& name) {
  return ActivateByName(videoSources_, name, &ActivateVideoSource, texts::kPreviewVideoFailed, "ActivateVideoByName");
}

bool TPreviewSession::ActivateAudioByName(const QString& name) {
  return ActivateByName(audioSources_, name, &ActivateAudioSource, texts::kPreviewAudioFailed, "ActivateAudioByName");
}

template <typename Source>
bool TPreviewSession::ActivateByName(const std::vector<std::unique_ptr<Source>>& sources, const QString& name,
                                     bool (*activate)(TCaptureEngine&, Source&), const char* failure,
                                     const char* operation) {
  const TCaptureEngine::Change change(engine_);
  if (!change.accepted()) return Refused(operation);
  Source* source = ByName(sources, name);
  if (!source) return false;
  if (activate(engine_, *source)) return true;
  emit problem(QString::fromUtf8(failure).arg(source->Name));
  return false;
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

void TPreviewSession::ReleaseSources() {
  TCaptureContext& context = engine_.context;
  if (context.CurrentVideoSource) {
    lastVideo_ = context.CurrentVideoSource->Name;
    DeactivateVideoSource(engine_, *context.CurrentVideoSource, true);
  }
  if (context.CurrentAudioSource) {
    lastAudio_ = context.CurrentAudioSource->Name;
    DeactivateAudioSource(engine_, *context.CurrentAudioSource, true);
  }
  Stop(engine_);
}

void TPreviewSession::ClearSources() {
  ReleaseSources();
  videoSources_.clear();
  audioSources_.clear();
}

QString TPreviewSession::SelectedVideoName() const {
  return engine_.context.CurrentVideoSource ? CurrentVideoName() : lastVideo_;
}

QString TPreviewSession::SelectedAudioName() const {
  return engine_.context.CurrentAudioSource ? CurrentAudioName() : lastAudio_;
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
  if (event.kind == Kind::DeviceLost) {
    if (!deviceLostHandler_) return;  // device changes are followed instead
    qCWarning(lcSession) << "device lost:" << QString::fromStdString(event.source) << event.message.c_str();
    emit problem(QString::fromUtf8(texts::kDeviceLost).arg(QString::fromStdString(event.source)));
    // A device that fails again right after a restart is left stopped.
    if (sinceRestart_.isValid() && sinceRestart_.elapsed() < kRestartPauseMs) {
      ::Stop(engine_);
      return;
    }
    OnDevicesChanged();
  } else if (event.kind == Kind::Error) {
    qCWarning(lcSession) << "graph error from" << event.source.c_str() << ":" << event.message.c_str();
    emit problem(QString::fromUtf8(texts::kPreviewError).arg(QString::fromStdString(event.message)));
  }
}

void TPreviewSession::OnDevicesChanged() {
  const QString video = SelectedVideoName();
  const QString audio = SelectedAudioName();
  ChargerDrivers();
  ActivateVideoByName(video);
  ActivateAudioByName(audio);
  Play();
  sinceRestart_.start();
  emit sourcesRebuilt();
}
