// The main window on a simulated machine, for the tests that drive it as a
// user would: started from its preferences, its lists picked, its pictures
// and sound looked at.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <atomic>
#include <memory>

#include "app/captureform.h"
#include "app/previewsession.h"
#include "app/sourceselection.h"
#include "capture/captureengine.h"
#include "capture/simulated/simulateddevices.h"
#include "capture/videorenderer.h"
#include "control/sessioncontrol.h"
#include "settings/inifile.h"
#include "support/installation.h"
#include "ui/sourcesframe.h"

inline void Pump(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 8000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition() && clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}

inline QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

inline QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions())
    if (!action->isSeparator()) captions << action->text();
  return captions;
}

inline QAction* Entry(const QMenu* menu, const QString& caption) {
  for (QAction* action : menu->actions())
    if (action->text() == caption) return action;
  return nullptr;
}

inline double MeanLuma(const QImage& image) {
  double sum = 0;
  int count = 0;
  for (int y = 0; y < image.height(); y += 4)
    for (int x = 0; x < image.width(); x += 4, ++count) sum += qGray(image.pixel(x, y));
  return count ? sum / count : 0;
}

class SimulatedWindow : public ::testing::Test {
 protected:
  // Starts the window on the simulated machine, with those parameters.
  void Start(const QStringList& parameters = {}) {
    QStringList lines{kParameterSection};
    lines << parameters;
    installation_.writeIni(IniFile::Encode(lines));
    Restart();
  }
  // Starts again with the preferences saved last.
  void Restart() {
    FormEnvironment environment;
    environment.locations = installation_.locations();
    environment.defaults = installation_.defaults();
    environment.inhibitScreenSaver = false;
    environment.chooseSaveMode = [](const QString&) { return std::optional<TSavePreferences>(); };
    environment.engine = &engine_;
    environment.simulatedDevices = machine_.get();
    environment.runDialog = [this](QDialog& dialog) { return dialog_ ? dialog_(dialog) : int(QDialog::Rejected); };
    environment.ask = [this](const QString& text, bool withAll) {
      questions_ << text;
      return ask_ ? ask_(text, withAll) : TAnswer::Yes;
    };
    environment.journalPath = installation_.folder().file("journal");
    environment.now = [this] { return now_.isValid() ? now_ : QDateTime::currentDateTime(); };
    environment.beep = [this](int beep) { beeps_ << beep; };
    if (adjust_) adjust_(environment);
    form_ = std::make_unique<TCaptureForm>(environment);
    form_->show();
    ASSERT_TRUE(WaitFor([this] { return form_->idleChainDone(); }));
  }
  void TearDown() override {
    if (form_) form_->close();
    form_.reset();
  }

  TSourcesFrame& panel() { return *form_->sourcesFrame(); }
  TSourceSelection& selection() { return *form_->sourceSelection(); }
  QString currentVideo() const { return form_->previewSession()->CurrentVideoName(); }
  QString currentAudio() const { return form_->previewSession()->CurrentAudioName(); }

  // As the user picks an entry of a list.
  void Pick(QComboBox* list, const QString& text) {
    const int index = list->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list->setCurrentIndex(index);
    emit list->activated(index);
  }

  // A picture shown after the last change.
  QImage FreshFrame() {
    const std::uint64_t seen = engine_.renderer().framesReceived();
    EXPECT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() >= seen + 3; }));
    return engine_.renderer().LatestFrame();
  }

  // The tone of the sound previewed, from its zero crossings.
  double ToneHertz() {
    GstElement* tee = engine_.context.AudioTee.get();
    if (!tee) return 0;
    const graph::PadPtr input(gst_element_get_static_pad(tee, "sink"));
    auto crossings = std::make_shared<std::atomic<long>>(0);
    auto samples = std::make_shared<std::atomic<long>>(0);
    gst::PadProbe probe(input.get(), GST_PAD_PROBE_TYPE_BUFFER, [crossings, samples](GstPad*, GstPadProbeInfo* info) {
      GstMapInfo map;
      GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
      if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_PAD_PROBE_OK;
      const auto* frames = reinterpret_cast<const std::int16_t*>(map.data);
      const std::size_t count = map.size / 4;
      for (std::size_t i = 1; i < count; ++i)
        if ((frames[2 * (i - 1)] < 0) != (frames[2 * i] < 0)) ++*crossings;
      *samples += long(count);
      gst_buffer_unmap(buffer, &map);
      return GST_PAD_PROBE_OK;
    });
    WaitFor([&] { return samples->load() >= 24000; });
    probe.Remove();
    return samples->load() ? crossings->load() / 2.0 / (samples->load() / 48000.0) : 0;
  }

  Installation installation_;
  std::unique_ptr<TSimulatedDeviceProvider> machine_ = std::make_unique<TSimulatedDeviceProvider>(1);
  TCaptureEngine engine_;
  std::unique_ptr<TCaptureForm> form_;
  std::function<int(QDialog&)> dialog_;
  std::function<TAnswer(const QString&, bool)> ask_;
  QStringList questions_;
  QDateTime now_;  // the schedule's time; invalid: the computer's
  QList<int> beeps_;
  std::function<void(FormEnvironment&)> adjust_;  // a test's own services, set before Start  // the interval timer's beeps, 0 at the grab and 1 before it
};

