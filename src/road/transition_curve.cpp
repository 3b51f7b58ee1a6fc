#include "road/transition_curve.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvalinde {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Segments of the node table: even, so that the half length (where the
// biquadratic law changes polynomial) is a node.
constexpr int kSegments = 32;
// Points within this (m) are one point.
constexpr double kSamePoint = 1e-4;
// Relative accuracy to which a polynomial's tangent length and end are solved.
constexpr double kSolveTolerance = 1e-13;
constexpr int kSolveIterations = 100;

// Gauss-Legendre nodes and weights on [-1, 1]: 2 points for evaluation
// (exact for cubics; on a 32nd of a road transition the error is below a
// micrometre), 8 points for the node table.
constexpr double kGauss2X = 0.5773502691896257;
constexpr std::array<double, 8> kGauss8X = {-0.9602898564975363, -0.7966664774136267, -0.5255324099163290,
                                            -0.1834346424956498, 0.1834346424956498,  0.5255324099163290,
                                            0.7966664774136267,  0.9602898564975363};
constexpr std::array<double, 8> kGauss8W = {0.1012285362903763, 0.2223810344533745, 0.3137066458778873,
                                            0.3626837833783620, 0.3626837833783620, 0.3137066458778873,
                                            0.2223810344533745, 0.1012285362903763};

template <std::size_t N, typename F>
double gauss(double a, double b, const std::array<double, N>& xs, const std::array<double, N>& ws, F f) {
  const double half = (b - a) / 2.0;
  const double mid = (a + b) / 2.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < N; ++i) sum += ws[i] * f(mid + half * xs[i]);
  return sum * half;
}

// Integral of the curvature law f over [0, t], t = s / L.
double law_integral(TransitionLaw law, double t) {
  switch (law) {
    case TransitionLaw::kBloss:
      return t * t * t - t * t * t * t / 2.0;
    case TransitionLaw::kCosine:
      return t / 2.0 - std::sin(kPi * t) / (2.0 * kPi);
    case TransitionLaw::kSinusoid:
      return t * t / 2.0 + (std::cos(2.0 * kPi * t) - 1.0) / (4.0 * kPi * kPi);
    case TransitionLaw::kBiquadratic: {
      if (t <= 0.5) return 2.0 * t * t * t / 3.0;
      const double u = 1.0 - t;
      return t - 0.5 + 2.0 * u * u * u / 3.0;
    }
    default:
      return 0.0;
  }
}

// The law f and its integral at t together (one sine and cosine for the
// trigonometric laws).
void law_terms(TransitionLaw law, double t, double& value, double& integral) {
  switch (law) {
    case TransitionLaw::kCosine: {
      const double c = std::cos(kPi * t);
      const double sn = std::sin(kPi * t);
      value = (1.0 - c) / 2.0;
      integral = t / 2.0 - sn / (2.0 * kPi);
      return;
    }
    case TransitionLaw::kSinusoid: {
      const double c = std::cos(2.0 * kPi * t);
      const double sn = std::sin(2.0 * kPi * t);
      value = t - sn / (2.0 * kPi);
      integral = t * t / 2.0 + (c - 1.0) / (4.0 * kPi * kPi);
      return;
    }
    case TransitionLaw::kBloss:
      value = t * t * (3.0 - 2.0 * t);
      break;
    case TransitionLaw::kBiquadratic: {
      const double u = 1.0 - t;
      value = t <= 0.5 ? 2.0 * t * t : 1.0 - 2.0 * u * u;
      break;
    }
    default:
      value = 0.0;
      break;
  }
  integral = law_integral(law, t);
}

}  // namespace

std::optional<TransitionLaw> transition_law_of(std::string_view capitals) {
  // The reversed forms name the same curves: each law is point-symmetric
  // (f(t) + f(1 - t) = 1), so run from the curve to the straight it is the
  // law read backwards, which the end radii already say.
  if (capitals == "BLOSS" || capitals == "REVBLOSS") return TransitionLaw::kBloss;
  if (capitals == "COSINE" || capitals == "REVCOSINE") return TransitionLaw::kCosine;
  if (capitals == "SINUSOID" || capitals == "REVSINUSOID") return TransitionLaw::kSinusoid;
  if (capitals == "BIQUADRATIC" || capitals == "REVBIQUADRATIC") return TransitionLaw::kBiquadratic;
  if (capitals == "CUBICPARABOLA") return TransitionLaw::kCubicParabola;
  if (capitals == "JAPANESECUBIC") return TransitionLaw::kJapaneseCubic;
  if (capitals == "SINEHALFWAVE") return TransitionLaw::kSineHalfWave;
  if (capitals == "BIQUADRATICPARABOLA") return TransitionLaw::kBiquadraticParabola;
  return std::nullopt;
}

std::string_view transition_law_name(TransitionLaw law) {
  switch (law) {
    case TransitionLaw::kBloss:
      return "bloss";
    case TransitionLaw::kCosine:
      return "cosine";
    case TransitionLaw::kSinusoid:
      return "sinusoid";
    case TransitionLaw::kBiquadratic:
      return "biquadratic";
    case TransitionLaw::kCubicParabola:
      return "cubicParabola";
    case TransitionLaw::kJapaneseCubic:
      return "japaneseCubic";
    case TransitionLaw::kSineHalfWave:
      return "sineHalfWave";
    case TransitionLaw::kBiquadraticParabola:
      return "biquadraticParabola";
  }
  return "";
}

bool is_polynomial_law(TransitionLaw law) {
  return law == TransitionLaw::kCubicParabola || law == TransitionLaw::kJapaneseCubic ||
         law == TransitionLaw::kSineHalfWave || law == TransitionLaw::kBiquadraticParabola;
}

// ---- Polynomials along the tangent ------------------------------------------
// Local frame: origin at the straight end, x along the tangent there, y
// towards the turn; R = radius_, S = span_ (L or the tangent length X).

TransitionCurve::PolynomialTerms TransitionCurve::polynomial_terms(double x) const {
  const double r = radius_;
  const double s = span_;
  PolynomialTerms t;
  switch (law_) {
    case TransitionLaw::kCubicParabola:
    case TransitionLaw::kJapaneseCubic:
      t.value = x * x * x / (6.0 * r * s);
      t.slope = x * x / (2.0 * r * s);
      t.second = x / (r * s);
      break;
    case TransitionLaw::kSineHalfWave: {
      // y'' = (1 - cos(pi x / X)) / (2R), with y(0) = y'(0) = 0.
      const double q = s / kPi;
      const double c = std::cos(x / q);
      const double sn = std::sin(x / q);
      t.value = (x * x / 2.0 - q * q * (1.0 - c)) / (2.0 * r);
      t.slope = (x - q * sn) / (2.0 * r);
      t.second = (1.0 - c) / (2.0 * r);
      break;
    }
    case TransitionLaw::kBiquadraticParabola: {
      const double x2 = x * x;
      if (x <= s / 2.0) {
        t.value = x2 * x2 / (6.0 * r * s * s);
        t.slope = 2.0 * x2 * x / (3.0 * r * s * s);
        t.second = 2.0 * x2 / (r * s * s);
      } else {
        t.value = -x2 * x2 / (6.0 * r * s * s) + 2.0 * x2 * x / (3.0 * r * s) - x2 / (2.0 * r) +
                  s * x / (6.0 * r) - s * s / (48.0 * r);
        t.slope = -2.0 * x2 * x / (3.0 * r * s * s) + 2.0 * x2 / (r * s) - x / r + s / (6.0 * r);
        t.second = -2.0 * x2 / (r * s * s) + 4.0 * x / (r * s) - 1.0 / r;
      }
      break;
    }
    default:
      break;
  }
  return t;
}

// Arc length along the polynomial from x0 to x1 (the biquadratic parabola
// split at its half span, where its third derivative jumps).
double TransitionCurve::polynomial_arc(double x0, double x1) const {
  const auto element = [this](double x) {
    const double p = polynomial_terms(x).slope;
    return std::sqrt(1.0 + p * p);
  };
  const double half = span_ / 2.0;
  if (law_ == TransitionLaw::kBiquadraticParabola && x0 < half && x1 > half) {
    return gauss(x0, half, kGauss8X, kGauss8W, element) + gauss(half, x1, kGauss8X, kGauss8W, element);
  }
  return gauss(x0, x1, kGauss8X, kGauss8W, element);
}

TransitionPoint TransitionCurve::polynomial_at(double along) const {
  const double l = orientation_ > 0.0 ? along : length_ - along;
  // x at arc length l: the cubic Hermite interpolant of x(l) between the two
  // nodes around it, whose slopes dx/dl the nodes hold (error of the order of
  // step^4 / (384 R^3): below a micrometre for road transitions).
  const auto j = static_cast<std::size_t>(std::min(std::max(l / step_, 0.0), kSegments - 1.0));
  const Node& a = nodes_[j];
  const Node& b = nodes_[j + 1];
  const double t = (l - a.along) / step_;
  const double t2 = t * t;
  const double t3 = t2 * t;
  const double x = (2.0 * t3 - 3.0 * t2 + 1.0) * a.x + (t3 - 2.0 * t2 + t) * step_ * a.y +
                   (-2.0 * t3 + 3.0 * t2) * b.x + (t3 - t2) * step_ * b.y;
  const PolynomialTerms terms = polynomial_terms(x);
  const double g = 1.0 + terms.slope * terms.slope;
  TransitionPoint p;
  p.x = origin_x_ + orientation_ * x * cos_heading_ - turn_ * terms.value * sin_heading_;
  p.y = origin_y_ + orientation_ * x * sin_heading_ + turn_ * terms.value * cos_heading_;
  p.heading = origin_heading_ + orientation_ * turn_ * std::atan(terms.slope);
  p.curvature = turn_ * terms.second / (g * std::sqrt(g));
  return p;
}

TransitionStatus TransitionCurve::build_polynomial(double chord_heading, double start_x, double start_y,
                                                   double end_x, double end_y) {
  if (k_start_ != 0.0 && k_end_ != 0.0) return TransitionStatus::kNoStraightEnd;
  orientation_ = k_start_ == 0.0 ? 1.0 : -1.0;
  radius_ = 1.0 / std::max(std::fabs(k_start_), std::fabs(k_end_));
  span_ = length_;
  const double length = length_;
  double end = length;  // local x where the arc length reaches L
  bool solved = false;
  if (law_ == TransitionLaw::kJapaneseCubic || law_ == TransitionLaw::kSineHalfWave) {
    // The tangent length X is the polynomial's own parameter: X = L X / arc(X).
    for (int i = 0; i < kSolveIterations && !solved; ++i) {
      const double arc = polynomial_arc(0.0, span_);
      if (!std::isfinite(arc) || !(arc > 0.0)) return TransitionStatus::kTooSharp;
      const double next = span_ * length / arc;
      solved = std::fabs(next - span_) <= kSolveTolerance * length;
      span_ = next;
    }
    end = span_;
  } else {
    for (int i = 0; i < kSolveIterations && !solved; ++i) {
      const double slope = polynomial_terms(end).slope;
      const double step = (polynomial_arc(0.0, end) - length) / std::sqrt(1.0 + slope * slope);
      if (!std::isfinite(step)) return TransitionStatus::kTooSharp;
      end -= step;
      solved = std::fabs(step) <= kSolveTolerance * length;
    }
  }
  if (!solved || !(end > 0.0)) return TransitionStatus::kTooSharp;
  // Nodes at equal steps of arc length: x solved by Newton from the node
  // before, with its slope dx/dl = 1 / sqrt(1 + y'^2).
  double x = 0.0;
  double along = 0.0;
  nodes_.push_back({0.0, 0.0, 1.0});
  for (int i = 1; i <= kSegments; ++i) {
    const double target = i == kSegments ? length : step_ * i;
    double next = i == kSegments ? end : x + (target - along) * nodes_.back().y;
    for (int k = 0; k < kSolveIterations && i < kSegments; ++k) {
      const double slope = polynomial_terms(next).slope;
      const double change = (along + polynomial_arc(x, next) - target) / std::sqrt(1.0 + slope * slope);
      next -= change;
      if (!std::isfinite(change) || std::fabs(change) <= kSolveTolerance * length) break;
    }
    const double slope = polynomial_terms(next).slope;
    along = target;
    x = next;
    nodes_.push_back({along, x, 1.0 / std::sqrt(1.0 + slope * slope)});
  }
  const double alpha = std::atan2(polynomial_terms(end).value, end);
  origin_heading_ = chord_heading - orientation_ * turn_ * alpha;
  // Built from the end, backwards, when the curve runs into the straight.
  origin_x_ = orientation_ > 0.0 ? start_x : end_x;
  origin_y_ = orientation_ > 0.0 ? start_y : end_y;
  return TransitionStatus::kOk;
}

// ---- Curvature laws along the arc ---------------------------------------------

double TransitionCurve::curvature_law_heading(double along) const {
  return origin_heading_ + k_start_ * along +
         (k_end_ - k_start_) * length_ * law_integral(law_, along / length_);
}

TransitionPoint TransitionCurve::curvature_law_at(double along) const {
  const auto j = static_cast<std::size_t>(std::min(std::max(along / step_, 0.0), kSegments - 1.0));
  const Node& n = nodes_[j];
  const double half = (along - n.along) / 2.0;
  const double mid = (along + n.along) / 2.0;
  const double theta1 = curvature_law_heading(mid - half * kGauss2X);
  const double theta2 = curvature_law_heading(mid + half * kGauss2X);
  TransitionPoint p;
  p.x = n.x + half * (std::cos(theta1) + std::cos(theta2));
  p.y = n.y + half * (std::sin(theta1) + std::sin(theta2));
  double value = 0.0;
  double integral = 0.0;
  law_terms(law_, along / length_, value, integral);
  p.heading = origin_heading_ + k_start_ * along + (k_end_ - k_start_) * length_ * integral;
  p.curvature = k_start_ + (k_end_ - k_start_) * value;
  return p;
}

TransitionStatus TransitionCurve::build_curvature_law(double chord_heading, double start_x, double start_y) {
  // Nodes along the arc in a local frame (start at the origin, heading 0),
  // turned and moved onto the chord afterwards.
  double x = 0.0;
  double y = 0.0;
  nodes_.push_back({0.0, 0.0, 0.0});
  for (int i = 0; i < kSegments; ++i) {
    const double a = step_ * i;
    const double b = i + 1 == kSegments ? length_ : step_ * (i + 1);
    x += gauss(a, b, kGauss8X, kGauss8W, [this](double s) { return std::cos(curvature_law_heading(s)); });
    y += gauss(a, b, kGauss8X, kGauss8W, [this](double s) { return std::sin(curvature_law_heading(s)); });
    nodes_.push_back({b, x, y});
  }
  if (!(std::hypot(x, y) > kSamePoint)) return TransitionStatus::kTooSharp;
  const double turn_by = chord_heading - std::atan2(y, x);
  const double cs = std::cos(turn_by);
  const double sn = std::sin(turn_by);
  for (Node& n : nodes_) {
    const double nx = n.x;
    n.x = start_x + nx * cs - n.y * sn;
    n.y = start_y + nx * sn + n.y * cs;
  }
  origin_x_ = start_x;
  origin_y_ = start_y;
  origin_heading_ = turn_by;
  return TransitionStatus::kOk;
}

TransitionPoint TransitionCurve::at(double along) const {
  // Written so that NaN lands on the start: no index is ever made from it.
  along = along > 0.0 ? std::min(along, length_) : 0.0;
  return is_polynomial_law(law_) ? polynomial_at(along) : curvature_law_at(along);
}

TransitionStatus TransitionCurve::build(TransitionLaw law, double length, double k_start, double k_end,
                                        int turn, double start_x, double start_y, double end_x, double end_y,
                                        TransitionCurve& curve) {
  if (!(length > 0.0) || !std::isfinite(length) || !(k_start >= 0.0) || !(k_end >= 0.0) ||
      !std::isfinite(k_start) || !std::isfinite(k_end) || (k_start == 0.0 && k_end == 0.0)) {
    return TransitionStatus::kBadParameters;
  }
  const double chord_x = end_x - start_x;
  const double chord_y = end_y - start_y;
  if (!(std::hypot(chord_x, chord_y) > kSamePoint)) return TransitionStatus::kCoincidentPoints;
  TransitionCurve c;
  c.law_ = law;
  c.length_ = length;
  c.step_ = length / kSegments;
  c.turn_ = turn < 0 ? -1.0 : 1.0;
  c.k_start_ = c.turn_ * k_start;
  c.k_end_ = c.turn_ * k_end;
  c.nodes_.reserve(kSegments + 1);
  const double chord_heading = std::atan2(chord_y, chord_x);
  const TransitionStatus status = is_polynomial_law(law)
                                      ? c.build_polynomial(chord_heading, start_x, start_y, end_x, end_y)
                                      : c.build_curvature_law(chord_heading, start_x, start_y);
  if (status != TransitionStatus::kOk) return status;
  c.cos_heading_ = std::cos(c.origin_heading_);
  c.sin_heading_ = std::sin(c.origin_heading_);
  for (const Node& n : c.nodes_) {
    if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.along))
      return TransitionStatus::kTooSharp;
  }
  if (!std::isfinite(c.origin_heading_)) return TransitionStatus::kTooSharp;
  curve = std::move(c);
  return TransitionStatus::kOk;
}

}  // namespace corvalinde
