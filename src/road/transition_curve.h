// Transition curves other than the clothoid (which keeps its series in
// plan_geometry.h as the fast path). A TransitionCurve is built once from an
// element's start and end points, length, end curvatures and sense of turn,
// and is then immutable: evaluation reads a node table made at construction.
// Construction reports a TransitionStatus; evaluation never fails.
//
// Two families, each curve evaluated from its own definition:
//  - curvature laws along the arc: k(s) = k1 + (k2 - k1) f(s / L), the
//    heading is its closed-form integral and the position is integrated
//    numerically (Gauss-Legendre between nodes);
//  - polynomials along the tangent at the straight end: y = p(x), the element
//    ending where the arc length along p reaches L; a spiral from a curve to
//    the straight is the same curve built from its end, backwards.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace corvalinde {

enum class TransitionLaw : signed char {
  // Curvature laws along the arc, with t = s / L:
  kBloss,        // f = 3t^2 - 2t^3 (Bloss, 1936)
  kCosine,       // f = (1 - cos(pi t)) / 2 (cosine / half-sine transition)
  kSinusoid,     // f = t - sin(2 pi t) / (2 pi) (Klein's sinusoid transition)
  kBiquadratic,  // f = 2t^2 up to t = 1/2, 1 - 2(1 - t)^2 beyond (Schramm)
  // Polynomials along the tangent at the straight end, R the radius of the
  // curved end, L the length:
  kCubicParabola,        // y = x^3 / (6 R L)
  kJapaneseCubic,        // y = x^3 / (6 R X), X the tangent length of the element
  kSineHalfWave,         // y'' = (1 - cos(pi x / X)) / (2R), X the tangent length
  kBiquadraticParabola,  // y = x^4/(6RL^2) up to L/2, then the mirrored quartic
};

// The law of a LandXML spiral type (compared in capitals), or nothing for a
// type that has no definition here (the clothoid included: it has its own).
std::optional<TransitionLaw> transition_law_of(std::string_view capitals);

// The name of a law as LandXML writes it.
std::string_view transition_law_name(TransitionLaw law);

bool is_polynomial_law(TransitionLaw law);

enum class TransitionStatus {
  kOk,
  kBadParameters,     // length not positive, a curvature negative or not finite,
                      // or both curvatures 0
  kNoStraightEnd,     // a polynomial type between two curves: it has no definition
  kCoincidentPoints,  // start and end points within 0.1 mm
  kTooSharp,          // the polynomial cannot be as long as L (its slope runs away)
};

struct TransitionPoint {
  double x = 0.0;
  double y = 0.0;
  double heading = 0.0;    // polar angle of the direction of travel
  double curvature = 0.0;  // 1/m, positive turning left
};

class TransitionCurve {
 public:
  // Builds the curve of `law` of length L (m) whose curvatures at its start
  // and end are k_start and k_end (1/m, both >= 0, at least one > 0), turning
  // left when turn is +1, right when -1, placed so that it starts at `start`
  // and its chord points from start to end (the heading at the start follows
  // from the chord). The end point only orients the curve: how far the
  // computed end lies from it is the caller's check.
  [[nodiscard]] static TransitionStatus build(TransitionLaw law, double length, double k_start, double k_end,
                                              int turn, double start_x, double start_y, double end_x,
                                              double end_y, TransitionCurve& curve);

  // The point at distance `along` (m) from the element's start, clamped into
  // [0, L] (NaN: the start).
  TransitionPoint at(double along) const;

  TransitionLaw law() const { return law_; }
  double length() const { return length_; }
  double start_curvature() const { return k_start_; }  // signed
  double end_curvature() const { return k_end_; }      // signed

 private:
  struct Node {
    double along = 0.0;  // curvature laws: from the start; polynomials: from the origin
    double x = 0.0;      // curvature laws: world point; polynomials: local x
    double y = 0.0;      // curvature laws: world point; polynomials: dx / d(along)
  };
  struct PolynomialTerms {
    double value = 0.0;
    double slope = 0.0;
    double second = 0.0;
  };

  PolynomialTerms polynomial_terms(double x) const;
  double polynomial_arc(double x0, double x1) const;
  double curvature_law_heading(double along) const;
  TransitionPoint curvature_law_at(double along) const;
  TransitionPoint polynomial_at(double along) const;
  TransitionStatus build_polynomial(double chord_heading, double start_x, double start_y, double end_x,
                                    double end_y);
  TransitionStatus build_curvature_law(double chord_heading, double start_x, double start_y);

  TransitionLaw law_ = TransitionLaw::kBloss;
  double length_ = 0.0;
  double step_ = 0.0;     // length between nodes
  double k_start_ = 0.0;  // signed, +left
  double k_end_ = 0.0;    // signed
  double turn_ = 1.0;
  // Curvature laws: the start point and heading. Polynomials: the origin
  // (straight end), the heading of travel there, and whether stations grow
  // away from the origin (+1) or towards it (-1).
  double origin_x_ = 0.0;
  double origin_y_ = 0.0;
  double origin_heading_ = 0.0;
  double cos_heading_ = 1.0;
  double sin_heading_ = 0.0;
  double orientation_ = 1.0;
  // Polynomial parameters: the radius of the curved end and the polynomial's
  // length parameter (L, or the tangent length X).
  double radius_ = 0.0;
  double span_ = 0.0;
  std::vector<Node> nodes_;  // at equal steps of length along the curve
};

}  // namespace corvalinde
