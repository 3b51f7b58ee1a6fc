#include "road/station_equations.h"

#include <gtest/gtest.h>

namespace corvalinde {
namespace {

std::string shown(const StationEquations& stations, double internal) {
  return format_designer_station(designer_station(stations, internal));
}

TEST(StationEquations, DesignerStationsRunOnFromEachEquationWithTheirRegion) {
  // A road of 3 000 m from internal station 0: a gap at 1 000 (back 1 000,
  // ahead 1 200), then stations decreasing from 2 000 (back 2 200, ahead 900).
  StationEquations stations{0.0, 3000.0, {{1000.0, 1000.0, 1200.0, true}, {2000.0, 2200.0, 900.0, false}}};
  EXPECT_EQ(shown({}, 123.4567), "123.457") << "no equations: the internal station";
  EXPECT_EQ(shown(stations, 950.0), "950.000");
  EXPECT_EQ(designer_station(stations, 1000.0).region, 2U) << "an equation starts its region";
  EXPECT_EQ(shown(stations, 1500.0), "1700.000");
  // Decreasing from 900: 2 500 internal is 400, which region 1 shows too.
  const DesignerStation back = designer_station(stations, 2500.0);
  EXPECT_DOUBLE_EQ(back.value, 400.0);
  EXPECT_EQ(back.region, 3U);
  EXPECT_EQ(shown(stations, 2500.0), "400.000 (3)");
  EXPECT_EQ(shown(stations, 200.0), "200.000 (1)") << "region 3 runs over 900 .. -100";
  // A station beyond the gap's numbers is unique again.
  EXPECT_EQ(shown(stations, 1050.0), "1250.000");
}

TEST(StationEquations, AnOverlapMakesBothSidesAmbiguous) {
  // Back 1 000 but ahead 950: 950 .. 1 000 is shown twice.
  const StationEquations stations{0.0, 2000.0, {{1000.0, 1000.0, 950.0, true}}};
  EXPECT_EQ(shown(stations, 980.0), "980.000 (1)");
  EXPECT_EQ(shown(stations, 1030.0), "980.000 (2)");
  EXPECT_EQ(shown(stations, 1100.0), "1050.000");
  EXPECT_EQ(shown(stations, 900.0), "900.000");
}

}  // namespace
}  // namespace corvalinde
