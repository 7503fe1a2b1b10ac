#include "capture/captureengine.h"

#include <QObject>

#include "capture/capturegraphs.h"
#include "capture/capturesources.h"
#include "capture/mediamodule.h"
#include "capture/preview.h"
#include "capture/videorenderer.h"

TCaptureEngine::TCaptureEngine()
    : receiver_(std::make_unique<QObject>()),
      dm_(std::make_unique<Tdm>()), renderer_(std::make_unique<TVideoRenderer>()) {
  context.dm = dm_.get();
  dm_->audiorender.Set(MakePreviewAudioOutput(monitorVolume, previewHasSound));
}

TCaptureEngine::~TCaptureEngine() {
  graph().onEvent = nullptr;
  graph().Stop();
  KillCaptureGraph(*this);
  if (context.CurrentVideoSource) DeactivateVideoSource(*this, *context.CurrentVideoSource, true);
  if (context.CurrentAudioSource) DeactivateAudioSource(*this, *context.CurrentAudioSource, true);
  context = TCaptureContext();
}

graph::TMediaGraph& TCaptureEngine::graph() const { return dm_->fg; }
