// The shared design limits: the tables by road type, d(R), T(R) and TD(D).
#include "analysis/design_limits.h"

#include <gtest/gtest.h>

namespace corvalinde {
namespace {

const DesignLimits& limits_of(int code) {
  const DesignLimits* limits = design_limits(code);
  EXPECT_NE(limits, nullptr) << code;
  static const DesignLimits none;
  return limits != nullptr ? *limits : none;
}

TEST(DesignLimits, OnlyOfferedCodesHaveLimits) {
  EXPECT_EQ(design_limits(-1), nullptr);
  EXPECT_EQ(design_limits(29), nullptr);
  for (int code = 0; code <= 28; ++code) {
    const DesignLimits& l = limits_of(code);
    EXPECT_EQ(l.road_type, code);
    EXPECT_GT(l.minimum_radius, 0.0) << code;
    EXPECT_LE(l.minimum_radius, l.minimum_superelevation_radius) << code;
    EXPECT_LE(l.minimum_superelevation_radius, l.no_superelevation_radius) << code;
  }
}

TEST(DesignLimits, FlatArcsCountAsStraightsOnlyOnVsaRoads) {
  EXPECT_EQ(limits_of(25).straight_curvature, 0.001);
  EXPECT_DOUBLE_EQ(limits_of(28).straight_curvature, 1.0 / 1500.0);
  EXPECT_EQ(limits_of(5).straight_curvature, 0.0);
  EXPECT_EQ(limits_of(11).straight_curvature, 0.0);
}

TEST(DesignLimits, RequiredSuperelevationIsLinearInCurvatureBetweenRmAndRdm) {
  const DesignLimits& r80 = limits_of(3);  // 240, 650, 900
  EXPECT_EQ(required_superelevation(r80, 900), 0.0);
  EXPECT_EQ(required_superelevation(r80, -899.9), 2.5);
  EXPECT_EQ(required_superelevation(r80, 650), 2.5);
  EXPECT_EQ(required_superelevation(r80, 240), 7.0);
  EXPECT_EQ(required_superelevation(r80, 0), 7.0);
  EXPECT_NEAR(required_superelevation(r80, -300), 5.5732, 1e-4);
  // L2: Rdm = Rnd, so 2.5 % never applies on its own.
  EXPECT_NEAR(required_superelevation(limits_of(10), 500), 4.66, 1e-9);
  EXPECT_EQ(required_superelevation(limits_of(10), 650), 0.0);
}

TEST(DesignLimits, RequiredTransitionLengthByRule) {
  // ARP: power law with the lane arrangement's factor and cap, none from Rnd.
  EXPECT_NEAR(required_transition_length(limits_of(0), 300), 58.7489, 1e-4);
  EXPECT_EQ(required_transition_length(limits_of(0), 600), 0.0);
  EXPECT_EQ(required_transition_length(limits_of(3), -800), 67.0);
  EXPECT_EQ(required_transition_length(limits_of(4), 800), 100.0);
  EXPECT_EQ(required_transition_length(limits_of(5), 800), 133.0);
  EXPECT_NEAR(required_transition_length(limits_of(5), 100), 12 * 6.309573, 1e-4);
  // ICTAAL: F(R) below Rnd, R/9 up to 1.5 Rnd, none beyond.
  EXPECT_NEAR(required_transition_length(limits_of(10), 500), 100.24, 1e-9);
  EXPECT_NEAR(required_transition_length(limits_of(10), 700), 700.0 / 9.0, 1e-9);
  EXPECT_EQ(required_transition_length(limits_of(10), 975), 0.0);
  // A100: F(R) below Rnd only.
  EXPECT_NEAR(required_transition_length(limits_of(16), 450), 92.0370, 1e-4);
  EXPECT_EQ(required_transition_length(limits_of(16), 800), 0.0);
  // U60, U80, AU70: none.
  EXPECT_EQ(required_transition_length(limits_of(19), 100), 0.0);
  EXPECT_EQ(required_transition_length(limits_of(24), 100), 0.0);
  // AU110: F(R) up to 1.5 Rnd.
  EXPECT_NEAR(required_transition_length(limits_of(28), 900), 100.0, 1e-9);
  EXPECT_EQ(required_transition_length(limits_of(28), 975), 0.0);
}

TEST(DesignLimits, SuperelevationRunLength) {
  // R80 to 7 %: the radius is Rm, T = 6 x 240^0.4.
  EXPECT_NEAR(superelevation_transition_length(limits_of(3), 7.0), 53.7323, 1e-4);
  // ARP roads cap the run at 14 (d + 2.5): T100, 3 lanes, to 4 %.
  EXPECT_NEAR(superelevation_transition_length(limits_of(9), 4.0), 91.0, 1e-9);
  // Other standards do not: L1 to 5 % gives F = 14 x 7.5 at that radius.
  EXPECT_NEAR(superelevation_transition_length(limits_of(11), 5.0), 105.0, 1e-9);
  EXPECT_EQ(superelevation_transition_length(limits_of(18), 5.0), 0.0);
}

}  // namespace
}  // namespace corvalinde
