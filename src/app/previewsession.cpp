#include "app/previewsession.h"

#include <QLoggingCategory>

#include "capture/capturecontext.h"
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

TPreviewSession::TPreviewSession(QObject* parent)
    : QObject(parent), enumerator_(std::make_unique<TDeviceEnumerator>()) {
  // One graph for the process: a second session (a second main window in
  // the same process) lists sources but leaves the preview to the first.
  ownsModule_ = CreateMediaModule();
  if (!ownsModule_) {
    qCWarning(lcSession) << "the preview belongs to another window";
    return;
  }
  const auto release = [this](TCaptureDevice& device) { ReleaseCurrent(device); };
  videoDevices_.beforeRemoval = release;
  audioDevices_.beforeRemoval = release;
  CaptureContext().dm->fg.onEvent = [this](const graph::GraphEvent& event) { OnGraphEvent(event); };
  connect(enumerator_.get(), &TDeviceEnumerator::devicesChanged, this, &TPreviewSession::OnDevicesChanged);
  // The device of a current source unplugged: said at once, the sources are
  // rebuilt when the changes have settled.
  connect(enumerator_.get(), &TDeviceEnumerator::deviceRemoved, this, [this](const QString& identity) {
    const TCaptureContext& context = CaptureContext();
    for (const TavFlux* source : {static_cast<const TavFlux*>(context.CurrentVideoSource),
                                  static_cast<const TavFlux*>(context.CurrentAudioSource)})
      if (source && source->Device->identity() == identity) {
        emit problem(QString::fromUtf8(texts::kDeviceLost).arg(source->Name));
        return;
      }
  });
}

TPreviewSession::~TPreviewSession() {
  if (!ownsModule_) return;
  CaptureContext().dm->fg.onEvent = nullptr;
  DestroyMediaModule();
}

void TPreviewSession::ReleaseCurrent(TCaptureDevice& device) {
  TCaptureContext& context = CaptureContext();
  if (context.CurrentVideoSource && context.CurrentVideoSource->Device == &device) {
    lastVideo_ = context.CurrentVideoSource->Name;
    DeactivateVideoSource(*context.CurrentVideoSource, true);
  }
  if (context.CurrentAudioSource && context.CurrentAudioSource->Device == &device) {
    lastAudio_ = context.CurrentAudioSource->Name;
    DeactivateAudioSource(*context.CurrentAudioSource, true);
  }
}

void TPreviewSession::ChargerDrivers() {
  TCaptureContext& context = CaptureContext();
  if (!ownsModule_) return;
  // The sources are made anew: the current ones are released first.
  if (context.CurrentVideoSource) {
    lastVideo_ = context.CurrentVideoSource->Name;
    DeactivateVideoSource(*context.CurrentVideoSource, true);
  }
  if (context.CurrentAudioSource) {
    lastAudio_ = context.CurrentAudioSource->Name;
    DeactivateAudioSource(*context.CurrentAudioSource, true);
  }
  const std::vector<TDeviceMoniker> devices = enumerator_->Devices();
  videoDevices_.Refresh(devices, kVideoKinds);
  audioDevices_.Refresh(devices, kAudioKinds);
  videoSources_ = VideoSourcesOf(videoDevices_);
  audioSources_ = AudioSourcesOf(videoDevices_);
  for (auto& source : AudioSourcesOf(audioDevices_)) audioSources_.push_back(std::move(source));
  qCInfo(lcSession) << "video sources:" << VideoSourceNames() << "audio sources:" << AudioSourceNames();
}

bool TPreviewSession::ActivateVideoByName(const QString& name) {
  if (!ownsModule_) return false;
  TVideoSource* source = ByName(videoSources_, name);
  if (!source) return false;
  if (ActivateVideoSource(*source)) return true;
  emit problem(QString::fromUtf8(texts::kPreviewVideoFailed).arg(source->Name));
  return false;
}

bool TPreviewSession::ActivateAudioByName(const QString& name) {
  if (!ownsModule_) return false;
  TAudioSource* source = ByName(audioSources_, name);
  if (!source) return false;
  if (ActivateAudioSource(*source)) return true;
  emit problem(QString::fromUtf8(texts::kPreviewAudioFailed).arg(source->Name));
  return false;
}

bool TPreviewSession::Play(QString* error) {
  if (!ownsModule_) return false;
  std::string reason;
  if (::Play(&reason)) return true;
  const QString text = QString::fromUtf8(texts::kPreviewDoesNotRun).arg(QString::fromStdString(reason));
  if (error) *error = text;
  emit problem(text);
  return false;
}

QStringList TPreviewSession::VideoSourceNames() const { return NamesOf(videoSources_); }
QStringList TPreviewSession::AudioSourceNames() const { return NamesOf(audioSources_); }

QString TPreviewSession::CurrentVideoName() const {
  const TVideoSource* source = CaptureContext().CurrentVideoSource;
  return source ? source->Name : QString();
}

QString TPreviewSession::CurrentAudioName() const {
  const TAudioSource* source = CaptureContext().CurrentAudioSource;
  return source ? source->Name : QString();
}

void TPreviewSession::OnGraphEvent(const graph::GraphEvent& event) {
  using Kind = graph::GraphEvent::Kind;
  if (event.kind == Kind::DeviceLost) {
    qCWarning(lcSession) << "device lost:" << QString::fromStdString(event.source) << event.message.c_str();
    emit problem(QString::fromUtf8(texts::kDeviceLost).arg(QString::fromStdString(event.source)));
    // A device that fails again right after a restart is left stopped.
    if (sinceRestart_.isValid() && sinceRestart_.elapsed() < kRestartPauseMs) {
      ::Stop();
      return;
    }
    OnDevicesChanged();
  } else if (event.kind == Kind::Error) {
    qCWarning(lcSession) << "graph error from" << event.source.c_str() << ":" << event.message.c_str();
    emit problem(QString::fromUtf8(texts::kPreviewError).arg(QString::fromStdString(event.message)));
  }
}

void TPreviewSession::OnDevicesChanged() {
  const QString video = CaptureContext().CurrentVideoSource ? CurrentVideoName() : lastVideo_;
  const QString audio = CaptureContext().CurrentAudioSource ? CurrentAudioName() : lastAudio_;
  ChargerDrivers();
  ActivateVideoByName(video);
  ActivateAudioByName(audio);
  Play();
  sinceRestart_.start();
  emit sourcesRebuilt();
}
