#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "capture/crossbar.h"

namespace {

// A crossbar of a test: its pins, which pairs it can route, what feeds its
// inputs, and every route asked of it, in order, into a shared log.
class FakeCrossbar : public ICrossbar {
 public:
  struct Pin {
    long type;
    int related;
  };
  FakeCrossbar(std::string name, std::vector<Pin> inputs, std::vector<Pin> outputs, std::vector<std::string>& log)
      : name_(std::move(name)), inputs_(std::move(inputs)), outputs_(std::move(outputs)), log_(log) {}

  int OutputCount() const override { return static_cast<int>(outputs_.size()); }
  int InputCount() const override { return static_cast<int>(inputs_.size()); }
  long PhysicalType(bool input, int index) const override { return (input ? inputs_ : outputs_)[index].type; }
  int RelatedPin(bool input, int index) const override { return (input ? inputs_ : outputs_)[index].related; }
  bool CanRoute(int output, int input) const override { return !unroutable.count({output, input}); }
  bool Route(int output, int input) override {
    log_.push_back(name_ + ":" + std::to_string(output) + "<-" + std::to_string(input));
    return !refused.count({output, input});
  }
  std::optional<TCrossbarOutput> Upstream(int input) const override {
    const auto found = upstream.find(input);
    return found == upstream.end() ? std::nullopt : std::optional(found->second);
  }

  std::set<std::pair<int, int>> unroutable, refused;
  std::map<int, TCrossbarOutput> upstream;

 private:
  std::string name_;
  std::vector<Pin> inputs_, outputs_;
  std::vector<std::string>& log_;
};

// Two levels: the card's connectors on `outer`, and `inner` in front of the
// capture pin, fed by `outer` and by a composite input of its own.
struct TwoLevels {
  std::vector<std::string> log;
  FakeCrossbar outer{
      "outer",
      {{2, 3}, {3, 3}, {kVideoTuner, 4}, {4097, -1}, {kAudioTuner, -1}},  // composite, S-Video, tuner, sound
      {{2, 1}, {4097, -1}},
      log};
  FakeCrossbar inner{"inner", {{2, 2}, {2, -1}, {4097, -1}}, {{12, 1}, {4105, -1}}, log};
  TwoLevels() {
    outer.unroutable.insert({0, 1});  // the S-Video input cannot reach the picture output
    inner.upstream[0] = {&outer, 0};
    inner.upstream[2] = {&outer, 1};
  }
};

}  // namespace

TEST(Crossbar, routes_start_at_a_physical_picture_input_and_leave_sound_and_unroutable_pairs_out) {
  TwoLevels cards;
  const TCrossbar crossbar(TCrossbarOutput{&cards.inner, 0});
  ASSERT_TRUE(crossbar.valid());
  ASSERT_EQ(crossbar.GetInputCount(), 3);
  EXPECT_EQ(crossbar.GetInputName(0), "Video Composite");  // through the outer crossbar
  EXPECT_EQ(crossbar.GetInputName(1), "Video Tuner");
  EXPECT_EQ(crossbar.GetInputName(2), "Video Composite");  // the inner one's own
  const TCrossbar::RouteList& tuner = crossbar.routes()[1];
  ASSERT_EQ(tuner.size(), 2u);
  EXPECT_EQ(tuner[0].crossbar, &cards.outer);  // the physical input first
  EXPECT_EQ(tuner[0].depth, 1);
  EXPECT_EQ(tuner[1].depth, 0);
  EXPECT_EQ(crossbar.routes()[2].size(), 1u);
  EXPECT_EQ(crossbar.TunerOrFirstRoute(), 1);
  // Out of range.
  EXPECT_FALSE(crossbar.GetInputType(3));
  EXPECT_FALSE(crossbar.GetInputName(-1));
  EXPECT_EQ(PhysicalTypeName(4098), "Audio Mic");
  EXPECT_EQ(PhysicalTypeName(77), "Inconnu");
}

TEST(Crossbar, an_input_is_routed_at_every_level_with_its_sound) {
  TwoLevels cards;
  TCrossbar crossbar(TCrossbarOutput{&cards.inner, 0});
  ASSERT_TRUE(crossbar.SetInputIndex(1));
  EXPECT_EQ(cards.log, (std::vector<std::string>{"outer:0<-2", "outer:1<-4", "inner:0<-0", "inner:1<-2"}));
  EXPECT_EQ(crossbar.GetInputIndex(), 1);
  // The inner composite has no sound of its own: its picture only.
  cards.log.clear();
  ASSERT_TRUE(crossbar.SetInputIndex(2));
  EXPECT_EQ(cards.log, std::vector<std::string>{"inner:0<-1"});
  // The answer is the last switch's.
  cards.inner.refused.insert({1, 2});
  EXPECT_FALSE(crossbar.SetInputIndex(0));
  EXPECT_FALSE(crossbar.SetInputIndex(3));
  EXPECT_EQ(crossbar.GetInputIndex(), 0);
}

TEST(Crossbar, a_pin_without_a_crossbar_has_no_routes_and_the_first_route_is_marked_without_a_tuner) {
  const TCrossbar none(std::nullopt);
  EXPECT_FALSE(none.valid());
  EXPECT_EQ(none.GetInputCount(), 0);
  std::vector<std::string> log;
  FakeCrossbar simple{"card", {{3, -1}, {2, -1}}, {{12, -1}}, log};
  const TCrossbar crossbar(TCrossbarOutput{&simple, 0});
  EXPECT_EQ(crossbar.GetInputCount(), 2);
  EXPECT_EQ(crossbar.TunerOrFirstRoute(), 0);
  EXPECT_FALSE(TCrossbar(TCrossbarOutput{&simple, 5}).valid());  // no such output
}
