#include "output/road_model_export.h"

#include <gtest/gtest.h>

#include <sstream>

namespace corvalinde {
namespace {

TEST(RoadModelExport, ProfileAndCrossfallBoundariesAreRowsAndMissingValuesEmpty) {
  // A straight of 100 m heading north from station 10; a grade of 2 % then
  // a sag curve; crossfall points from 30 to 70 only.
  RoadModel model;
  PlanElement line;
  line.start_station = 10.0;
  line.end_station = 110.0;
  line.end_y = 100.0;
  LineGeometry north;
  north.heading = 3.14159265358979323846 / 2;
  line.geometry = north;
  model.set_plan({line});
  ProfileElement grade{kProfileGrade, "G", 10.0, 100.0, 60.0, 101.0, 2.0, 0.0, 0.0};
  // z = 100 + (s + 40)^2 / 10000 from 60 on: grade 2 % at 60, 3 % at 110.
  ProfileElement sag{kProfileParabola, "P", 60.0, 101.0, 110.0, 102.25, 5000.0, -40.0, 100.0};
  model.set_profile({grade, sag});
  model.set_crossfall({{30.0, 2.5, -2.5}, {70.0, -4.0, 4.0}});
  std::ostringstream out;
  ASSERT_EQ(write_road_model_points(model, 0.0, out), PointsStatus::kOk);
  EXPECT_EQ(
      out.str(),
      std::string(kRoadModelPointsHeader) +
          "\n"
          "10.0000,10.0000,0.0000,0.0000,100.0000,0.000000,0.000000000,2.0000,,,start 1\n"
          "10.0000,10.0000,0.0000,0.0000,100.0000,0.000000,0.000000000,2.0000,,,profile 1\n"
          "30.0000,30.0000,0.0000,20.0000,100.4000,0.000000,0.000000000,2.0000,2.5000,-2.5000,crossfall 1\n"
          "60.0000,60.0000,0.0000,50.0000,101.0000,0.000000,0.000000000,2.0000,-2.3750,2.3750,profile 2\n"
          "70.0000,70.0000,0.0000,60.0000,101.2100,0.000000,0.000000000,2.2000,-4.0000,4.0000,crossfall 2\n"
          "110.0000,110.0000,0.0000,100.0000,102.2500,0.000000,0.000000000,3.0000,,,end 1\n"
          "110.0000,110.0000,0.0000,100.0000,102.2500,0.000000,0.000000000,3.0000,,,profile end\n");
  std::ostringstream none;
  EXPECT_EQ(write_road_model_points(model, 1e-9, none), PointsStatus::kBadStep) << "10^11 rows";
  EXPECT_EQ(none.str(), "");
}

}  // namespace
}  // namespace corvalinde
