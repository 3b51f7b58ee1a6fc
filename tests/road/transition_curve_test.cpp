// Every transition law against an independent fine integration of its own
// definition (Runge-Kutta over the arc with the law written out again here),
// run forwards and backwards, between a straight and a curve and between
// two curves.
#include "road/transition_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace corvalinde {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLength = 180.0;
constexpr double kRadius = 350.0;
constexpr double kPositionTolerance = 1e-6;  // m
constexpr double kAngleTolerance = 1e-9;     // rad

struct Sample {
  double x = 0.0;
  double y = 0.0;
  double heading = 0.0;
  double curvature = 0.0;
};

// Integrates x' = cos(theta), y' = sin(theta), theta' = k(s) by classical
// Runge-Kutta with 20 000 steps; returns the state at `at` (0 <= at <= L).
Sample integrate_curvature(const std::function<double(double)>& k, double at) {
  constexpr int kSteps = 20000;
  const double h = at / kSteps;
  double x = 0.0;
  double y = 0.0;
  double t = 0.0;
  for (int i = 0; i < kSteps; ++i) {
    const double s = h * i;
    // theta is integrated alongside: the state is (x, y, theta).
    const double k1t = k(s);
    const double k1x = std::cos(t);
    const double k1y = std::sin(t);
    const double t2 = t + h / 2 * k1t;
    const double k2t = k(s + h / 2);
    const double t3 = t + h / 2 * k2t;
    const double k3t = k2t;
    const double t4 = t + h * k3t;
    const double k4t = k(s + h);
    x += h / 6 * (k1x + 2 * std::cos(t2) + 2 * std::cos(t3) + std::cos(t4));
    y += h / 6 * (k1y + 2 * std::sin(t2) + 2 * std::sin(t3) + std::sin(t4));
    t += h / 6 * (k1t + 4 * k2t + k4t);
  }
  return {x, y, t, k(at)};
}

// Integrates x' = 1 / sqrt(1 + p'(x)^2) over the arc (Runge-Kutta, 20 000
// steps) and returns the local point of the polynomial at arc length `at`.
Sample integrate_polynomial(const std::function<double(double)>& p,
                            const std::function<double(double)>& slope,
                            const std::function<double(double)>& second, double at) {
  constexpr int kSteps = 20000;
  const double h = at / kSteps;
  const auto dx = [&](double x) { return 1.0 / std::sqrt(1.0 + slope(x) * slope(x)); };
  double x = 0.0;
  for (int i = 0; i < kSteps; ++i) {
    const double a = dx(x);
    const double b = dx(x + h / 2 * a);
    const double c = dx(x + h / 2 * b);
    const double d = dx(x + h * c);
    x += h / 6 * (a + 2 * b + 2 * c + d);
  }
  const double g = 1.0 + slope(x) * slope(x);
  return {x, p(x), std::atan(slope(x)), second(x) / (g * std::sqrt(g))};
}

// The laws written out from their definitions, t = s / L.
double law(TransitionLaw law, double t) {
  switch (law) {
    case TransitionLaw::kBloss:
      return 3 * t * t - 2 * t * t * t;
    case TransitionLaw::kCosine:
      return 0.5 - 0.5 * std::cos(kPi * t);
    case TransitionLaw::kSinusoid:
      return t - std::sin(2 * kPi * t) / (2 * kPi);
    default:  // kBiquadratic
      return t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t);
  }
}

double angle_difference(double a, double b) {
  return std::remainder(a - b, 2 * kPi);
}

void expect_same(const TransitionPoint& got, const Sample& want, const char* where) {
  EXPECT_NEAR(got.x, want.x, kPositionTolerance) << where;
  EXPECT_NEAR(got.y, want.y, kPositionTolerance) << where;
  EXPECT_NEAR(angle_difference(got.heading, want.heading), 0.0, kAngleTolerance) << where;
  EXPECT_NEAR(got.curvature, want.curvature, 1e-12) << where;
}

TEST(TransitionCurve, CurvatureLawsFollowTheirIntegralBothWaysAndBetweenCurves) {
  for (const TransitionLaw l : {TransitionLaw::kBloss, TransitionLaw::kCosine, TransitionLaw::kSinusoid,
                                TransitionLaw::kBiquadratic}) {
    SCOPED_TRACE(std::string(transition_law_name(l)));
    // Straight to curve turning left, curve to straight turning right, and
    // from R to R/3 turning left.
    for (const auto& [k1, k2, turn] : {std::tuple{0.0, 1 / kRadius, 1}, std::tuple{1 / kRadius, 0.0, -1},
                                       std::tuple{1 / kRadius, 3 / kRadius, 1}}) {
      const auto k = [&, k1 = k1, k2 = k2, turn = turn](double s) {
        return turn * (k1 + (k2 - k1) * law(l, s / kLength));
      };
      const Sample end = integrate_curvature(k, kLength);
      TransitionCurve curve;
      ASSERT_EQ(TransitionCurve::build(l, kLength, k1, k2, turn, 0.0, 0.0, end.x, end.y, curve),
                TransitionStatus::kOk);
      for (const double s : {0.0, 17.3, kLength / 2, 133.0, kLength}) {
        expect_same(curve.at(s), s == 0.0 ? Sample{0, 0, 0, k(0)} : integrate_curvature(k, s), "station");
      }
    }
  }
}

TEST(TransitionCurve, PolynomialsFollowTheirArcLengthFromEitherEnd) {
  const double r = kRadius;
  struct Case {
    TransitionLaw law;
    std::function<double(double, double)> p;  // (x, span)
    std::function<double(double, double)> slope;
    std::function<double(double, double)> second;
    bool span_is_tangent_length;
  };
  const std::vector<Case> cases = {
      {TransitionLaw::kCubicParabola, [r](double x, double s) { return x * x * x / (6 * r * s); },
       [r](double x, double s) { return x * x / (2 * r * s); },
       [r](double x, double s) { return x / (r * s); }, false},
      {TransitionLaw::kJapaneseCubic, [r](double x, double s) { return x * x * x / (6 * r * s); },
       [r](double x, double s) { return x * x / (2 * r * s); },
       [r](double x, double s) { return x / (r * s); }, true},
      {TransitionLaw::kSineHalfWave,
       [r](double x, double s) {
         return (x * x / 4 - s * s / (2 * kPi * kPi) * (1 - std::cos(kPi * x / s))) / r;
       },
       [r](double x, double s) { return (x / 2 - s / (2 * kPi) * std::sin(kPi * x / s)) / r; },
       [r](double x, double s) { return (1 - std::cos(kPi * x / s)) / (2 * r); }, true},
      {TransitionLaw::kBiquadraticParabola,
       [r](double x, double s) {
         return x <= s / 2 ? std::pow(x, 4) / (6 * r * s * s)
                           : -std::pow(x, 4) / (6 * r * s * s) + 2 * std::pow(x, 3) / (3 * r * s) -
                                 x * x / (2 * r) + s * x / (6 * r) - s * s / (48 * r);
       },
       [r](double x, double s) {
         return x <= s / 2
                    ? 2 * std::pow(x, 3) / (3 * r * s * s)
                    : -2 * std::pow(x, 3) / (3 * r * s * s) + 2 * x * x / (r * s) - x / r + s / (6 * r);
       },
       [r](double x, double s) {
         return x <= s / 2 ? 2 * x * x / (r * s * s) : -2 * x * x / (r * s * s) + 4 * x / (r * s) - 1 / r;
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(transition_law_name(c.law)));
    // The span: L, or the tangent length X found by bisection so that the
    // arc up to X is L.
    double span = kLength;
    if (c.span_is_tangent_length) {
      double low = kLength * 0.9;
      double high = kLength;
      for (int i = 0; i < 60; ++i) {
        const double mid = (low + high) / 2;
        const auto p = [&](double x) { return c.p(x, mid); };
        const auto q = [&](double x) { return c.slope(x, mid); };
        const auto w = [&](double x) { return c.second(x, mid); };
        (integrate_polynomial(p, q, w, kLength).x < mid ? high : low) = mid;
      }
      span = (low + high) / 2;
    }
    const auto local = [&](double l) {
      return integrate_polynomial([&](double x) { return c.p(x, span); },
                                  [&](double x) { return c.slope(x, span); },
                                  [&](double x) { return c.second(x, span); }, l);
    };
    const Sample end = local(kLength);
    // From the straight, turning left: the local frame is the world frame.
    TransitionCurve into;
    ASSERT_EQ(TransitionCurve::build(c.law, kLength, 0.0, 1 / r, 1, 0.0, 0.0, end.x, end.y, into),
              TransitionStatus::kOk);
    // Into the straight from the curve's end, backwards: turning right.
    TransitionCurve out;
    ASSERT_EQ(TransitionCurve::build(c.law, kLength, 1 / r, 0.0, -1, end.x, end.y, 0.0, 0.0, out),
              TransitionStatus::kOk);
    for (const double s : {0.0, 21.7, kLength / 2, 151.0, kLength}) {
      expect_same(into.at(s), s == 0.0 ? Sample{} : local(s), "into");
      Sample back = kLength - s == 0.0 ? Sample{} : local(kLength - s);
      back.heading += kPi;
      back.curvature = -back.curvature;
      expect_same(out.at(s), back, "out of");
    }
    TransitionCurve between;
    EXPECT_EQ(TransitionCurve::build(c.law, kLength, 1 / r, 2 / r, 1, 0.0, 0.0, end.x, end.y, between),
              TransitionStatus::kNoStraightEnd);
  }
}

TEST(TransitionCurve, RefusesWhatHasNoGeometry) {
  TransitionCurve curve;
  EXPECT_EQ(TransitionCurve::build(TransitionLaw::kBloss, 0.0, 0.0, 0.01, 1, 0, 0, 1, 0, curve),
            TransitionStatus::kBadParameters);
  EXPECT_EQ(TransitionCurve::build(TransitionLaw::kBloss, 10.0, 0.0, 0.0, 1, 0, 0, 10, 0, curve),
            TransitionStatus::kBadParameters);
  EXPECT_EQ(TransitionCurve::build(TransitionLaw::kCosine, 10.0, 0.0, std::nan(""), 1, 0, 0, 10, 0, curve),
            TransitionStatus::kBadParameters);
  EXPECT_EQ(TransitionCurve::build(TransitionLaw::kSinusoid, 10.0, 0.0, 0.01, 1, 5, 5, 5, 5, curve),
            TransitionStatus::kCoincidentPoints);
  // The reversed forms are the same point-symmetric laws; an unknown type has none.
  EXPECT_EQ(transition_law_of("REVBLOSS"), TransitionLaw::kBloss);
  EXPECT_EQ(transition_law_of("REVBIQUADRATIC"), TransitionLaw::kBiquadratic);
  EXPECT_FALSE(transition_law_of("RADIOID"));
  EXPECT_FALSE(transition_law_of("CUBIC"));
  EXPECT_FALSE(transition_law_of("CLOTHOID"));
}

}  // namespace
}  // namespace corvalinde
