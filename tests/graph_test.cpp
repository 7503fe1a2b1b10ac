#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "capture/mediamodule.h"
#include "media/filters/tessivoelements.h"
#include "media/filters/vx_superposer.h"
#include "media/filters/vx_timestamper.h"
#include "platform/graph.h"

namespace {

gst::ElementPtr Make(const char* factory) {
  gst::EnsureInitialised();
  RegisterTessivoPlugin();
  return gst::ElementPtr::Sink(gst_element_factory_make(factory, nullptr));
}

// Counts the buffers reaching a pad.
struct BufferCount {
  explicit BufferCount(GstElement* element, const char* padName = "sink")
      : pad(gst_element_get_static_pad(element, padName)) {
    gst_pad_add_probe(
        pad.get(), GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad*, GstPadProbeInfo*, gpointer self) {
          static_cast<BufferCount*>(self)->count.fetch_add(1);
          return GST_PAD_PROBE_OK;
        },
        this, nullptr);
  }
  bool WaitFor(int more, int milliseconds = 5000) {
    const int target = count.load() + more;
    QElapsedTimer clock;
    clock.start();
    while (count.load() < target && clock.elapsed() < milliseconds)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    return count.load() >= target;
  }
  graph::PadPtr pad;
  std::atomic<int> count{0};
};

using graph::Direction;

}  // namespace

TEST(MediaGraph, a_direct_connection_of_incompatible_pads_fails_and_inserts_nothing) {
  graph::TMediaGraph fg;
  const auto video = Make("videotestsrc"), sound = Make("audioconvert");
  ASSERT_TRUE(fg.AddFilter(video.get(), "src"));
  ASSERT_TRUE(fg.AddFilter(sound.get(), "audio"));
  EXPECT_FALSE(fg.AddFilter(Make("queue").get(), "src"));  // the name is taken
  const int before = fg.ElementCount();
  const auto out = fg.FindPin(video.get(), Direction::Output, "video/", true, 0);
  const auto in = fg.FindPin(sound.get(), Direction::Input, {}, true, 0);
  ASSERT_TRUE(out && in);
  EXPECT_FALSE(fg.ConnectDirect(out.get(), in.get()));
  EXPECT_FALSE(gst_pad_is_linked(out.get()));
  EXPECT_EQ(fg.ElementCount(), before);
  EXPECT_FALSE(fg.FindPin(video.get(), Direction::Output, "audio/", true, 0));
}

TEST(MediaGraph, an_intelligent_connection_inserts_a_converter_and_runs) {
  graph::TMediaGraph fg;
  const auto source = Make("videotestsrc"), format = Make("capsfilter"), overlay = Make("vx_superposer"),
             sink = Make("fakesink");
  ASSERT_TRUE(overlay) << "own elements registered";
  g_object_set(source.get(), "is-live", TRUE, nullptr);
  gst::CapsPtr i420(gst_caps_from_string("video/x-raw,format=I420,width=320,height=240"));
  graph::TMediaGraph::SetStreamFormat(format.get(), i420.get());
  for (auto& [element, name] : {std::pair{source.get(), "src"}, std::pair{format.get(), "format"},
                                std::pair{overlay.get(), "Superposer"}, std::pair{sink.get(), "sink"}})
    ASSERT_TRUE(fg.AddFilter(element, name));
  ASSERT_TRUE(gst_element_link(source.get(), format.get()));
  std::vector<gst::ElementPtr> inserted;
  ASSERT_TRUE(fg.RenderStream(format.get(), overlay.get(), sink.get(), &inserted));
  EXPECT_FALSE(inserted.empty());  // I420 to BGR needs a converter
  BufferCount frames(sink.get());
  std::string error;
  ASSERT_TRUE(fg.Run(std::chrono::seconds(5), &error)) << error;
  EXPECT_TRUE(frames.WaitFor(5));
  EXPECT_TRUE(fg.Stop());
}

TEST(MediaGraph, run_fails_with_the_reason_and_errors_reach_the_gui_thread) {
  graph::TMediaGraph fg;
  const auto source = Make("filesrc"), sink = Make("fakesink");
  g_object_set(source.get(), "location", "/no/such/file.dv", nullptr);
  ASSERT_TRUE(fg.AddFilter(source.get(), "src"));
  ASSERT_TRUE(fg.AddFilter(sink.get(), "sink"));
  ASSERT_TRUE(gst_element_link(source.get(), sink.get()));
  std::string error;
  EXPECT_FALSE(fg.Run(std::chrono::seconds(5), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fg.Running());

  // An error of the current source, posted from another thread, arrives as
  // "device lost" on this one.
  std::vector<graph::GraphEvent> events;
  fg.onEvent = [&](const graph::GraphEvent& event) { events.push_back(event); };
  fg.currentSource = "src";
  std::thread([&] {
    GError* lost = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, "débranchée");
    gst_element_post_message(source.get(), gst_message_new_error(GST_OBJECT(source.get()), lost, nullptr));
    g_error_free(lost);
  }).join();
  QElapsedTimer clock;
  clock.start();
  while (events.empty() && clock.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, graph::GraphEvent::Kind::DeviceLost);
  EXPECT_EQ(events[0].message, "débranchée");
}

TEST(MediaModule, own_filters_exist_once_and_come_back_after_removal) {
  Tdm dm;
  ASSERT_EQ(dm.ownFilters().size(), 12u);
  for (const Tdm::OwnFilter* filter : dm.ownFilters()) EXPECT_TRUE(filter->element) << filter->graphName;
  for (TFilterSlot* slot : {&dm.audiorender, &dm.color1, &dm.infdecvideo, &dm.DVenc, &dm.DVmux, &dm.DVsplitter,
                            &dm.acmcap, &dm.FileWriter, &dm.null})
    EXPECT_FALSE(slot->empty()) << slot->name();
  EXPECT_TRUE(dm.divx.empty());
  gboolean allowNotLinked = FALSE;
  g_object_get(dm.infsupvideo.get(), "allow-not-linked", &allowNotLinked, nullptr);
  EXPECT_TRUE(allowNotLinked);
  EXPECT_TRUE(dm.Stamper(dm.previewVideoBuffer).stripTimes());
  EXPECT_FALSE(dm.Stamper(dm.captureVideoStamper).stripTimes());

  // The overlay in a graph, removed, and added again: the same object works.
  Tvx_Superposer* overlay = &dm.Superposer();
  const auto source = Make("videotestsrc"), sink = Make("fakesink");
  ASSERT_TRUE(dm.fg.AddFilter(source.get(), "src"));
  ASSERT_TRUE(dm.fg.AddFilter(sink.get(), "sink"));
  BufferCount frames(sink.get());
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(dm.Add(dm.overlay));
    EXPECT_EQ(dm.fg.FindByName("Superposer").get(), dm.overlay.element.get());
    ASSERT_TRUE(dm.fg.RenderStream(source.get(), dm.overlay.element.get(), sink.get()));
    ASSERT_TRUE(dm.fg.Run());
    EXPECT_TRUE(frames.WaitFor(3));
    ASSERT_TRUE(dm.fg.Stop());
    ASSERT_TRUE(dm.Remove(dm.overlay));
    EXPECT_FALSE(dm.fg.FindByName("Superposer"));
    EXPECT_EQ(&dm.Superposer(), overlay);
  }
}

TEST(MediaGraph, a_thousand_branches_come_and_go_on_a_running_tee) {
  graph::TMediaGraph fg;
  const auto source = Make("videotestsrc"), format = Make("capsfilter"), tee = Make("tee"), queue = Make("queue"),
             sink = Make("fakesink");
  gst::CapsPtr small(gst_caps_from_string("video/x-raw,width=64,height=48"));
  graph::TMediaGraph::SetStreamFormat(format.get(), small.get());
  g_object_set(tee.get(), "allow-not-linked", TRUE, nullptr);
  g_object_set(sink.get(), "sync", FALSE, nullptr);
  for (auto& [element, name] :
       {std::pair{source.get(), "src"}, std::pair{format.get(), "format"}, std::pair{tee.get(), "tee"},
        std::pair{queue.get(), "preview_queue"}, std::pair{sink.get(), "preview"}})
    ASSERT_TRUE(fg.AddFilter(element, name));
  ASSERT_TRUE(gst_element_link_many(source.get(), format.get(), tee.get(), queue.get(), sink.get(), nullptr));
  BufferCount preview(sink.get());
  ASSERT_TRUE(fg.Run());
  const int elements = fg.ElementCount();
  int attached = 0;
  for (int cycle = 0; cycle < 1000; ++cycle) {
    auto branchSink = Make("fakesink");
    g_object_set(branchSink.get(), "sync", FALSE, "async", FALSE, nullptr);
    graph::TeeBranch branch(fg, tee.get(), {branchSink});
    attached += branch.Attach();
    branch.Detach();
    ASSERT_EQ(fg.ElementCount(), elements) << cycle;
  }
  EXPECT_EQ(attached, 1000);
  EXPECT_TRUE(preview.WaitFor(10));  // the preview still flows
  EXPECT_TRUE(fg.Running());
  fg.Stop();
}
