// Test and benchmark support: builds plan, profile and crossfall tables from
// exact geometry (its own Fresnel integrals by adaptive Simpson quadrature),
// independently of the evaluation under test. Header-only; shared by the road
// tests and the road benchmarks.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "road/road_model.h"

namespace corvalinde::road_testing {

inline constexpr double kPi = 3.14159265358979323846;

inline double reduce_angle(double angle) {
  double r = std::fmod(angle, 2.0 * kPi);
  if (r < 0.0) r += 2.0 * kPi;
  return r >= 2.0 * kPi ? 0.0 : r;
}

namespace detail {

inline double simpson(double fa, double fm, double fb, double h) {
  return h / 6.0 * (fa + 4.0 * fm + fb);
}

inline double adaptive_simpson(const std::function<double(double)>& f, double a, double b, double fa,
                               double fm, double fb, double whole, double tolerance, int depth) {
  const double m = (a + b) / 2.0;
  const double lm = (a + m) / 2.0;
  const double rm = (m + b) / 2.0;
  const double flm = f(lm);
  const double frm = f(rm);
  const double left = simpson(fa, flm, fm, m - a);
  const double right = simpson(fm, frm, fb, b - m);
  const double delta = left + right - whole;
  if (depth <= 0 || (depth < 44 && std::fabs(delta) <= 15.0 * tolerance)) {
    return left + right + delta / 15.0;
  }
  return adaptive_simpson(f, a, m, fa, flm, fm, left, tolerance / 2.0, depth - 1) +
         adaptive_simpson(f, m, b, fm, frm, fb, right, tolerance / 2.0, depth - 1);
}

}  // namespace detail

// Integral of f over [a, b] to about `tolerance` (adaptive Simpson with
// Richardson correction; at least four levels of bisection).
inline double integrate(const std::function<double(double)>& f, double a, double b, double tolerance) {
  const double fa = f(a);
  const double fm = f((a + b) / 2.0);
  const double fb = f(b);
  return detail::adaptive_simpson(f, a, b, fa, fm, fb, detail::simpson(fa, fm, fb, b - a), tolerance, 48);
}

// Local clothoid point at arc length l from the origin for parameter a:
// (integral of cos, integral of sin) of u^2 / (2 a^2) over [0, l], computed as
// a times the normalised Fresnel integrals over [0, l / a] to 1e-12.
struct LocalPoint {
  double x = 0.0;
  double y = 0.0;
};

inline LocalPoint exact_clothoid_point(double a, double l) {
  if (l == 0.0) return {};
  const double v = l / a;
  constexpr double kTolerance = 1e-12;
  return {a * integrate([](double t) { return std::cos(t * t / 2.0); }, 0.0, v, kTolerance),
          a * integrate([](double t) { return std::sin(t * t / 2.0); }, 0.0, v, kTolerance)};
}

// Walks a pen along the alignment and appends one exact element per call.
// Curvature is signed (> 0 turning left).
class PlanBuilder {
 public:
  PlanBuilder(double station, double x, double y, double heading)
      : station_(station), x_(x), y_(y), heading_(heading) {}

  void line(double length) {
    PlanElement e = start("DRO", lines_);
    const double ex = x_ + length * std::cos(heading_);
    const double ey = y_ + length * std::sin(heading_);
    LineGeometry g;
    g.a = (y_ - ey) / length;
    g.b = (ex - x_) / length;
    g.c = -(g.a * ex + g.b * ey);
    g.heading = reduce_angle(heading_);
    e.geometry = g;
    curvature_ = 0.0;
    finish(e, length, ex, ey, heading_);
  }

  // Circular arc of signed radius (> 0 left).
  void arc(double radius, double length) {
    PlanElement e = start("CER", arcs_);
    const double cx = x_ - radius * std::sin(heading_);
    const double cy = y_ + radius * std::cos(heading_);
    const double phi0 = std::atan2(y_ - cy, x_ - cx);
    const double phi1 = phi0 + length / radius;
    e.geometry = ArcGeometry{cx, cy, radius, reduce_angle(phi0), reduce_angle(phi1)};
    curvature_ = 1.0 / radius;
    const double r = std::fabs(radius);
    finish(e, length, cx + r * std::cos(phi1), cy + r * std::sin(phi1), heading_ + length / radius);
  }

  // Clothoid from the current curvature to end_curvature (signed; the two
  // must not have opposite signs nor equal magnitudes).
  void clothoid(double length, double end_curvature) {
    PlanElement e = start("CLO", clothoids_);
    const double k0 = std::fabs(curvature_);
    const double k1 = std::fabs(end_curvature);
    const double a2 = length / std::fabs(k1 - k0);
    const double sigma = k1 > k0 ? 1.0 : -1.0;
    const double rho = (curvature_ + end_curvature) > 0.0 ? 1.0 : -1.0;
    const double l0 = k0 * a2;
    const double l1 = k1 * a2;
    const double tau0 = l0 * l0 / (2.0 * a2);
    const double tau1 = l1 * l1 / (2.0 * a2);
    const double a = std::sqrt(a2);
    const double psi = heading_ - sigma * rho * tau0;
    const LocalPoint p0 = exact_clothoid_point(a, l0);
    const LocalPoint p1 = exact_clothoid_point(a, l1);
    const double c = std::cos(psi);
    const double s = std::sin(psi);
    const double ox = x_ - (sigma * p0.x * c - rho * p0.y * s);
    const double oy = y_ - (sigma * p0.x * s + rho * p0.y * c);
    e.geometry = ClothoidGeometry{a,
                                  ox,
                                  oy,
                                  reduce_angle(psi),
                                  std::fmin(tau0, tau1),
                                  std::fmax(tau0, tau1),
                                  static_cast<std::int8_t>(sigma),
                                  static_cast<std::int8_t>(rho)};
    curvature_ = end_curvature;
    finish(e, length, ox + sigma * p1.x * c - rho * p1.y * s, oy + sigma * p1.x * s + rho * p1.y * c,
           psi + sigma * rho * tau1);
  }

  double station() const { return station_; }
  double heading() const { return heading_; }
  double curvature() const { return curvature_; }
  const std::vector<PlanElement>& elements() const { return elements_; }
  std::vector<PlanElement> take() { return std::move(elements_); }

 private:
  PlanElement start(const char* prefix, int& serial) {
    PlanElement e;
    char name[8];
    std::snprintf(name, sizeof name, "%s%03d", prefix, ++serial % 1000);
    e.name = name;
    e.start_station = station_;
    e.start_x = x_;
    e.start_y = y_;
    return e;
  }

  void finish(PlanElement& e, double length, double ex, double ey, double heading) {
    station_ += length;
    e.end_station = station_;
    e.end_x = x_ = ex;
    e.end_y = y_ = ey;
    heading_ = heading;
    elements_.push_back(e);
  }

  double station_;
  double x_;
  double y_;
  double heading_;
  double curvature_ = 0.0;
  int lines_ = 0;
  int arcs_ = 0;
  int clothoids_ = 0;
  std::vector<PlanElement> elements_;
};

// Grade lines joined by parabolic vertical curves, grades as fractions.
class ProfileBuilder {
 public:
  ProfileBuilder(double station, double elevation, double grade)
      : station_(station), elevation_(elevation), grade_(grade) {}

  void grade_line(double length) {
    ProfileElement e = start(kProfileGrade, "DRO", lines_);
    e.grade_or_radius = grade_ * 100.0;
    finish(e, length, elevation_ + grade_ * length);
  }

  // Vertical curve of the given length from the current grade to new_grade.
  void vertical_curve(double length, double new_grade) {
    ProfileElement e = start(kProfileParabola, "PAR", curves_);
    const double radius = length / (new_grade - grade_);
    e.grade_or_radius = radius;
    e.vertex_station = station_ - grade_ * radius;
    e.vertex_elevation = elevation_ - grade_ * grade_ * radius / 2.0;
    const double u = station_ + length - e.vertex_station;
    grade_ = new_grade;
    finish(e, length, e.vertex_elevation + u * u / (2.0 * radius));
  }

  double station() const { return station_; }
  double grade() const { return grade_; }
  std::vector<ProfileElement> take() { return std::move(elements_); }

 private:
  ProfileElement start(std::int8_t kind, const char* prefix, int& serial) {
    ProfileElement e;
    e.kind = kind;
    char name[8];
    std::snprintf(name, sizeof name, "%s%03d", prefix, ++serial % 1000);
    e.name = name;
    e.start_station = station_;
    e.start_elevation = elevation_;
    return e;
  }

  void finish(ProfileElement& e, double length, double end_elevation) {
    station_ += length;
    e.end_station = station_;
    e.end_elevation = elevation_ = end_elevation;
    elements_.push_back(e);
  }

  double station_;
  double elevation_;
  double grade_;
  int lines_ = 0;
  int curves_ = 0;
  std::vector<ProfileElement> elements_;
};

// A rolling profile from 0 to `end`: grades of up to 6 % joined by crest
// curves of 3000 to 15000 m and sag curves of 2000 to 8000 m.
inline std::vector<ProfileElement> rolling_profile(double end) {
  constexpr double kGrades[] = {0.045, -0.02, 0.06, -0.055, 0.01, -0.035, 0.025, -0.06};
  constexpr double kCrestRadii[] = {3000.0, 6000.0, 10000.0, 15000.0};
  constexpr double kSagRadii[] = {2000.0, 4000.0, 8000.0};
  ProfileBuilder profile(0.0, 400.0, -0.01);
  for (std::size_t k = 0;; ++k) {
    const double next = kGrades[k % 8];
    const double change = next - profile.grade();
    const double radius = change < 0.0 ? kCrestRadii[k % 4] : kSagRadii[k % 3];
    const double curve = std::fabs(change) * radius;
    const double straight = 200.0 + 110.0 * static_cast<double>(k % 4);
    if (profile.station() + straight + curve + 100.0 > end) break;
    profile.grade_line(straight);
    profile.vertical_curve(curve, next);
  }
  profile.grade_line(end - profile.station());
  return profile.take();
}

// A generated road of at least `length` metres: repeated groups of line,
// clothoid, arc, clothoid (every third group an egg shape: two arcs joined by
// a clothoid), alternating turns; grades of up to 5 % joined by sag and crest
// curves; crossfall points every 50 m (crowned on straights, one-way in curves).
inline RoadModel generated_road(double length) {
  constexpr double kRadii[] = {450.0, 800.0, 300.0, 1200.0, 600.0};
  constexpr double kLines[] = {350.0, 600.0, 180.0, 900.0, 420.0};
  constexpr double kArcs[] = {220.0, 400.0, 150.0, 300.0};
  PlanBuilder plan(0.0, 500000.0, 150000.0, 0.3);
  for (int group = 0; plan.station() < length; ++group) {
    const auto g = static_cast<std::size_t>(group);
    const double side = group % 2 == 0 ? 1.0 : -1.0;
    const double radius = kRadii[g % 5];
    plan.line(kLines[g % 5]);
    plan.clothoid(radius / 4.0 + 40.0, side / radius);
    plan.arc(side * radius, kArcs[g % 4]);
    if (group % 3 == 2) {
      const double inner = radius * 0.6;
      plan.clothoid(80.0, side / inner);
      plan.arc(side * inner, 120.0);
    }
    plan.clothoid(radius / 4.0 + 40.0, 0.0);
  }
  plan.line(200.0);
  const double end = plan.station();

  constexpr double kGrades[] = {0.04, -0.015, 0.025, -0.05, 0.01, -0.03};
  constexpr double kCurveRadius[] = {6000.0, 9000.0, 4000.0, 12000.0};
  ProfileBuilder profile(0.0, 320.0, -0.02);
  for (std::size_t k = 0;; ++k) {
    const double next = kGrades[k % 6];
    const double curve = std::fabs((next - profile.grade()) * kCurveRadius[k % 4]);
    const double straight = 250.0 + 90.0 * static_cast<double>(k % 5);
    if (profile.station() + straight + curve + 100.0 > end) break;
    profile.grade_line(straight);
    profile.vertical_curve(curve, next);
  }
  profile.grade_line(end - profile.station());

  std::vector<CrossfallPoint> crossfall;
  for (double s = 0.0; s <= end; s += 50.0) {
    const auto step = static_cast<int>(s / 50.0);
    if (step % 8 < 4) {
      crossfall.push_back({s, 2.5, -2.5});
    } else {
      const double one_way = (step % 2 == 0 ? 1.0 : -1.0) * (3.0 + 0.5 * (step % 5));
      crossfall.push_back({s, one_way, one_way});
    }
  }

  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(profile.take());
  model.set_crossfall(std::move(crossfall));
  return model;
}

}  // namespace corvalinde::road_testing
