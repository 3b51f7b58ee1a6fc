#include "app/analysis_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvalinde {
namespace {

struct FakeReader : DesignReader {
  int mask = 0;
  int calls = 0;
  int read(Console& console, RoadModel& model, const std::string& path) override {
    ++calls;
    console.write(kConsoleOrdinary, "read " + path);
    if ((mask & kMaskPlan) != 0) {
      PlanElement e;
      e.geometry = LineGeometry{};
      e.end_station = 100.0;
      model.set_plan({e});
    }
    return mask;
  }
};

struct FakeSelection : SelectionStep {
  AnalysisSelection answer;
  int result = 0;
  int calls = 0;
  int select(AnalysisSelection& selection) override {
    ++calls;
    selection = answer;
    return result;
  }
};

struct FakeAnalysis : Analysis {
  int slot = 0;
  std::vector<int>* order = nullptr;
  CrossSection seen;
  int seen_road_type = -1;
  void run(Console& console, const RoadModel& model, int road_type, const CrossSection& cs) override {
    order->push_back(slot);
    seen = cs;
    seen_road_type = road_type;
    console.write(kConsoleOrdinary, model.has_plan() ? "plan" : "no plan");
  }
};

struct AnalysisRunTest : ::testing::Test {
  RoadModel model;
  Console console;
  FakeReader native;
  FakeReader landxml;
  FakeSelection selection;
  std::vector<int> order;
  FakeAnalysis analyses[4];
  AnalysisRun run;

  void SetUp() override {
    run.model = &model;
    run.native_reader = &native;
    run.landxml_reader = &landxml;
    run.selection_step = &selection;
    for (int k = 0; k < 4; ++k) {
      analyses[k].slot = k;
      analyses[k].order = &order;
      run.analyses[static_cast<std::size_t>(k)] = &analyses[k];
    }
  }
};

TEST_F(AnalysisRunTest, SelectionRecordRoundTripsThroughFourteenBytes) {
  AnalysisSelection s;
  EXPECT_EQ(s.to_bytes(), (std::array<std::uint8_t, 14>{0, 0, 4, 0, 4, 0, 4, 0, 4, 0, 35, 0, 0, 40}));
  s.road_type = 28;
  s.run_analysis = {1, 0, -1, 300};
  s.cross_section = {25, 150, 1, 100};
  const auto bytes = s.to_bytes();
  EXPECT_EQ(bytes[0], 28);
  EXPECT_EQ(bytes[6], 0xFF);
  EXPECT_EQ(bytes[7], 0xFF);
  EXPECT_EQ(bytes[8], 0x2C);
  EXPECT_EQ(bytes[9], 0x01);
  EXPECT_EQ(bytes[11], 150);
  const AnalysisSelection back = AnalysisSelection::from_bytes(bytes);
  EXPECT_EQ(back.to_bytes(), bytes);
  EXPECT_EQ(back.run_analysis[2], -1);
  EXPECT_EQ(back.cross_section.median_width_dm, 150);
}

TEST_F(AnalysisRunTest, AllFlagsZeroWritesOneEmptyLineAndRunsNothing) {
  native.mask = kMaskPlan;
  selection.answer.run_analysis = {0, 0, 0, 0};
  console.write(kConsoleOrdinary, "old listing");
  open_design(run, console, "a.txt", kNativeDesignFile);
  ASSERT_EQ(console.line_count(), 2U);
  EXPECT_EQ(console.line(0).text, "read a.txt");
  EXPECT_EQ(console.line(1).text, "");
  EXPECT_TRUE(order.empty());
}

TEST_F(AnalysisRunTest, MaskZeroNeverReachesSelection) {
  model.set_crossfall({{0, 1, 1}, {1, 1, 1}});
  landxml.mask = 0;
  const RunOutcome outcome = open_design(run, console, "b.xml", kLandXmlFile);
  EXPECT_EQ(outcome.mask, 0);
  EXPECT_EQ(selection.calls, 0);
  EXPECT_EQ(model.present_mask(), 0) << "the previous design is cleared";
  EXPECT_EQ(native.calls, 0);
  EXPECT_EQ(landxml.calls, 1);
}

TEST_F(AnalysisRunTest, CancelledSelectionRunsNothingAndKeepsDesign) {
  native.mask = kMaskPlan;
  selection.result = kCancelled;
  const RunOutcome outcome = open_design(run, console, "c.txt", kNativeDesignFile);
  EXPECT_FALSE(outcome.selection_accepted);
  EXPECT_TRUE(order.empty());
  EXPECT_TRUE(model.has_plan());
  EXPECT_EQ(console.line_count(), 1U);
}

TEST_F(AnalysisRunTest, SlotsRunInFixedOrderWithRoadTypeAndCrossSection) {
  native.mask = kMaskPlan;
  selection.answer.road_type = 7;
  selection.answer.run_analysis = {0, 1, 1, 1};
  selection.answer.cross_section = {30, 20, 1, 55};
  open_design(run, console, "d.txt", kNativeDesignFile);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(analyses[3].seen_road_type, 7);
  EXPECT_EQ(analyses[3].seen.lane_width_dm, 30);
  EXPECT_EQ(analyses[3].seen.median_width_dm, 20);
  EXPECT_EQ(analyses[3].seen.median_blocks_sight, 1);
  EXPECT_EQ(analyses[3].seen.side_clearance_dm, 55);
}

TEST_F(AnalysisRunTest, UnknownFileTypeReadsNothing) {
  const RunOutcome outcome = open_design(run, console, "e", 5);
  EXPECT_EQ(outcome.mask, 0);
  EXPECT_EQ(native.calls + landxml.calls, 0);
}

}  // namespace
}  // namespace corvalinde
