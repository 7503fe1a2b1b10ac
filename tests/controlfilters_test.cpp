#include <gst/check/gstharness.h>
#include <gtest/gtest.h>

#include <QProcess>

#include "media/filters/gstfilteradapter.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_controlunit.h"
#include "media/filters/vx_dvheader.h"
#include "media/filters/vx_scenedetect.h"
#include "media/filters/vx_timestamper.h"
#include "platform/gstreamer.h"
#include "support/dvframes.h"
#include "support/tempfolder.h"

namespace {

TMediaSample SampleOf(std::vector<std::uint8_t>& bytes, ReferenceTime start = 0) {
  TMediaSample sample;
  sample.data = bytes.data();
  sample.size = bytes.size();
  sample.start = start;
  sample.stop = start + kFrameDuration25;
  sample.mediaStart = 4;
  return sample;
}

// A scene detector that has seen one camcorder frame of that date, and points
// the DV header filter at it as the overlay would.
void FeedOneFrame(Tvx_SceneDetect& detector, const dv::DateTime& date) {
  std::vector<std::uint8_t> source = MakeDvFrame({.date = date});
  TMediaSample fed = SampleOf(source);
  detector.Transform(fed);
  detector.readIndex = detector.writeIndex.load();
}

}  // namespace

TEST(TimeStamper, frozen_drops_everything_and_resumes_when_cleared) {
  Tvx_TimeStamper stamper;
  std::vector<std::uint8_t> bytes(10);
  TMediaSample sample = SampleOf(bytes);
  EXPECT_EQ(stamper.CheckInputType({}), FilterResult::Deliver);
  stamper.SetDropAll(true);
  EXPECT_EQ(stamper.Transform(sample), FilterResult::Drop);
  stamper.SetDropAll(false);
  EXPECT_EQ(stamper.Transform(sample), FilterResult::Deliver);
  EXPECT_TRUE(sample.start.has_value());
  stamper.SetStripTimes();
  EXPECT_EQ(stamper.Transform(sample), FilterResult::Deliver);
  EXPECT_FALSE(sample.start || sample.stop || sample.mediaStart || sample.mediaStop);
}

TEST(ControlFilter, one_permission_one_frame_restamped_on_an_even_clock) {
  Tvx_ControlFilter control;
  control.pass = false;
  control.SetRestamp(true);
  control.forceSyncPoint = true;
  control.forceDiscontinuity = true;
  std::vector<std::uint8_t> bytes(10);
  int passed = 0;
  for (int frame = 0; frame < 6; ++frame) {
    if (frame % 2 == 0) control.pass = true, control.pass = true, control.pass = true;  // three ticks
    TMediaSample sample = SampleOf(bytes, 123456);
    if (control.Transform(sample) == FilterResult::Deliver) {
      EXPECT_EQ(*sample.start, passed);
      EXPECT_EQ(*sample.stop, passed + 1);
      EXPECT_TRUE(sample.syncPoint);
      EXPECT_TRUE(sample.discontinuity);
      ++passed;
    }
  }
  EXPECT_EQ(passed, 3);
  // A stop lets the next sample through; the clock goes on.
  control.Stop();
  TMediaSample sample = SampleOf(bytes);
  EXPECT_EQ(control.Transform(sample), FilterResult::Deliver);
  EXPECT_EQ(*sample.start, 3);
}

TEST(ControlFilter, reports_stopped_once_the_end_of_stream_has_gone_downstream) {
  ASSERT_TRUE((gst::EnsureInitialised(), RegisterTessivoPlugin()));
  GstHarness* harness = gst_harness_new(kControlFilterElement);
  auto* control = static_cast<Tvx_ControlFilter*>(FilterOfElement(harness->element));
  ASSERT_NE(control, nullptr);
  bool eosSeenDownstream = false;
  int stopped = 0;
  control->onStopped = [&] {
    // The sink side of the harness has the end of stream by now.
    GstEvent* event = nullptr;
    while ((event = gst_harness_try_pull_event(harness))) {
      eosSeenDownstream = eosSeenDownstream || GST_EVENT_TYPE(event) == GST_EVENT_EOS;
      gst_event_unref(event);
    }
    ++stopped;
  };
  gst_harness_set_src_caps_str(harness, "application/octet-stream");
  gst_harness_push(harness, gst_buffer_new_allocate(nullptr, 4, nullptr));
  gst_element_set_state(harness->element, GST_STATE_READY);  // a state change alone reports nothing
  gst_element_set_state(harness->element, GST_STATE_PLAYING);
  EXPECT_EQ(stopped, 0);
  gst_harness_push_event(harness, gst_event_new_eos());
  EXPECT_EQ(stopped, 1);
  EXPECT_TRUE(eosSeenDownstream);
  gst_harness_teardown(harness);
}

TEST(DvHeader, restores_the_source_blocks_of_this_run_and_the_same_system_only) {
  Tvx_DVheader header;
  Tvx_SceneDetect detector;
  FeedOneFrame(detector, {1998, 5, 17, 8, 9, 10});

  // An encoder's frame: no date, its own header block.
  const std::vector<std::uint8_t> encoded = MakeDvFrame({.date = std::nullopt, .timeCode = std::nullopt});
  std::vector<std::uint8_t> frame = encoded;
  TMediaSample sample = SampleOf(frame);
  EXPECT_EQ(header.Transform(sample), FilterResult::Deliver);
  EXPECT_EQ(frame, encoded);  // no detector, no wide mode: unchanged

  header.sceneDetector = &detector;
  frame[1] = 0x5A;  // block 0 belongs to the encoder
  ASSERT_EQ(header.Transform(sample), FilterResult::Deliver);
  EXPECT_EQ(dv::ReadRecordingDateTime(frame.data(), frame.size(), 0), (dv::DateTime{1998, 5, 17, 8, 9, 10}));
  EXPECT_EQ(frame[1], 0x5A);
  EXPECT_TRUE(std::equal(frame.begin() + 12000 * 10, frame.end(), encoded.begin() + 12000 * 10));

  // Another video system: the slot is not used.
  std::vector<std::uint8_t> ntsc = MakeDvFrame({.date = std::nullopt, .system = dv::kSystem525});
  TMediaSample ntscSample = SampleOf(ntsc);
  header.Transform(ntscSample);
  EXPECT_FALSE(dv::ReadRecordingDateTime(ntsc.data(), ntsc.size(), 0).present());

  // A slot of the previous run is not used either.
  detector.Stop();
  frame = encoded;
  header.Transform(sample);
  EXPECT_FALSE(dv::ReadRecordingDateTime(frame.data(), frame.size(), 0).present());

  // Wide mode 1 marks every frame 16:9; a short frame is left alone beyond its end.
  header.SetWideMode(1);
  header.Transform(sample);
  EXPECT_TRUE(dv::IsWideScreen(frame.data(), frame.size()));
  std::vector<std::uint8_t> shortFrame(500, 0);
  TMediaSample shortSample = SampleOf(shortFrame);
  EXPECT_EQ(header.Transform(shortSample), FilterResult::Deliver);
  EXPECT_EQ(header.CheckInputType({.major = MediaMajor::Video, .subtype = MediaSubtype::Rgb24}), FilterResult::Refuse);
}

TEST(DvHeader, re_encoded_frames_decode_and_carry_the_source_date) {
  ASSERT_TRUE((gst::EnsureInitialised(), RegisterTessivoPlugin()));
  TempFolder folder;
  Tvx_SceneDetect detector;
  FeedOneFrame(detector, {2003, 3, 3, 3, 3, 3});

  const QString output = folder.file("reencoded.dv");
  const QString description =
      "videotestsrc num-buffers=5 ! video/x-raw,width=720,height=576,framerate=25/1 ! avenc_dvvideo ! "
      "vx_dvheader name=header ! filesink location=" +
      output;
  GError* error = nullptr;
  const auto pipeline = gst::ElementPtr::Sink(gst_parse_launch(description.toUtf8().constData(), &error));
  ASSERT_EQ(error, nullptr);
  const gst::ElementPtr element(gst_bin_get_by_name(GST_BIN(pipeline.get()), "header"));
  static_cast<Tvx_DVheader*>(FilterOfElement(element.get()))->sceneDetector = &detector;
  gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
  const gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
  const gst::MessagePtr done(gst_bus_timed_pop_filtered(
      bus.get(), 30 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
  ASSERT_TRUE(done);
  EXPECT_EQ(GST_MESSAGE_TYPE(done.get()), GST_MESSAGE_EOS);
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);

  QProcess info;
  info.start(TESSIVO_DVINFO, {output});
  ASSERT_TRUE(info.waitForFinished(30000));
  const QString lines = QString::fromUtf8(info.readAllStandardOutput());
  EXPECT_TRUE(lines.startsWith("image 0 | 03/03/2003 03:03:03 |")) << lines.toStdString();
  QProcess decode;
  decode.start("gst-launch-1.0",
               {"-q", "filesrc", "location=" + output, "!", "dvdemux", "!", "avdec_dvvideo", "!", "fakesink"});
  ASSERT_TRUE(decode.waitForFinished(30000));
  EXPECT_EQ(decode.exitCode(), 0);
}
