#include <gtest/gtest.h>

#include "capture/v4l2crossbar.h"

namespace {

// A capture card's inputs, and what was selected on it.
class FakeCard : public IV4l2Inputs {
 public:
  std::vector<TV4l2Input> VideoInputs() const override {
    return {{"Television", true, 0b01}, {"Composite1", false, 0b10}, {"S-Video", false, 0b10}, {"Caméra", false, 0}};
  }
  std::vector<TV4l2Audio> AudioInputs() const override { return {{"Tuner"}, {"Line"}}; }
  bool SelectVideo(int index) override {
    selected.push_back("video " + std::to_string(index));
    return index != 3;
  }
  bool SelectAudio(int index) override {
    selected.push_back("audio " + std::to_string(index));
    return true;
  }
  std::vector<std::string> selected;
};

}  // namespace

TEST(V4l2Crossbar, inputs_become_routes_named_by_their_kind_with_their_sound) {
  EXPECT_EQ(V4l2PhysicalType({"Tuner 1", true, 0}), kVideoTuner);
  EXPECT_EQ(V4l2PhysicalType({"Composite", false, 0}), 2);
  EXPECT_EQ(V4l2PhysicalType({"S-Video", false, 0}), 3);
  EXPECT_EQ(V4l2PhysicalType({"RGB", false, 0}), 4);
  EXPECT_EQ(V4l2PhysicalType({"Component (YPbPr)", false, 0}), 5);
  EXPECT_EQ(V4l2PhysicalType({"SCART", false, 0}), 14);
  EXPECT_EQ(V4l2PhysicalType({"Camera 1", false, 0}), 9);

  FakeCard card;
  TV4l2Crossbar bar(card);
  TCrossbar crossbar(TCrossbarOutput{&bar, 0});
  ASSERT_TRUE(crossbar.valid());
  ASSERT_EQ(crossbar.GetInputCount(), 4);  // the sound inputs are not routes
  EXPECT_EQ(crossbar.GetInputName(0), "Video Tuner");
  EXPECT_EQ(crossbar.GetInputName(1), "Video Composite");
  EXPECT_EQ(crossbar.GetInputName(2), "Video SVideo");
  EXPECT_EQ(crossbar.GetInputName(3), "Video AUX");
  EXPECT_EQ(crossbar.TunerOrFirstRoute(), 0);
  EXPECT_EQ(PhysicalTypeName(bar.PhysicalType(true, 4)), "Audio Tuner");
  EXPECT_EQ(PhysicalTypeName(bar.PhysicalType(true, 5)), "Audio Line");

  // S-Video with the line input; the camera input without sound, refused.
  ASSERT_TRUE(crossbar.SetInputIndex(2));
  EXPECT_EQ(card.selected, (std::vector<std::string>{"video 2", "audio 1"}));
  card.selected.clear();
  EXPECT_FALSE(crossbar.SetInputIndex(3));
  EXPECT_EQ(card.selected, std::vector<std::string>{"video 3"});
  EXPECT_FALSE(bar.Route(0, 4));  // a sound input to the picture output
  EXPECT_FALSE(bar.Route(1, 0));
}
