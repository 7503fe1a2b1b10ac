// Runs an engine's graph while the event loop turns, until a condition holds
// or the time is out: for tests that watch what a running preview does.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <functional>
#include <string>

#include "capture/captureengine.h"
#include "capture/preview.h"

inline bool RunGraphUntil(TCaptureEngine& engine, const std::function<bool()>& condition, int milliseconds = 5000) {
  std::string failure;
  if (!Play(engine, &failure)) {
    ADD_FAILURE() << failure;
    return false;
  }
  QElapsedTimer clock;
  clock.start();
  while (!condition() && clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}
