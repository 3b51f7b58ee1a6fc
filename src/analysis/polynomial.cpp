#include "analysis/polynomial.h"

#include <algorithm>
#include <cmath>

namespace corvalinde {
namespace {

// Bisection stops when the midpoint no longer moves; this caps the steps
// (a double interval shrinks to one ulp within about 2100 halvings).
constexpr int kMaxBisectionSteps = 2200;

bool negative(double v) {
  return v < 0.0;
}

// Appends x unless it equals the last root listed.
void append_root(RealRoots& roots, double x) {
  if (roots.count > 0 && roots.values[static_cast<std::size_t>(roots.count - 1)] == x) return;
  if (roots.count < kMaxPolynomialDegree) roots.values[static_cast<std::size_t>(roots.count++)] = x;
}

PolynomialStatus fail(RealRoots& roots, PolynomialStatus status) {
  roots = RealRoots{};
  return status;
}

// The root of p in (lo, hi), where p(lo) and p(hi) have opposite signs and p
// is monotonic.
double bisect(const Polynomial& p, double lo, double hi, bool lo_negative) {
  for (int step = 0; step < kMaxBisectionSteps; ++step) {
    const double mid = lo + (hi - lo) / 2.0;
    if (!(mid > lo && mid < hi)) break;
    const double value = p(mid);
    if (value == 0.0) return mid;
    if (negative(value) == lo_negative) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo + (hi - lo) / 2.0;
}

PolynomialStatus quadratic_roots(double a, double b, double c, RealRoots& roots) {
  // Scaling by the largest coefficient keeps b^2 and 4ac from overflowing.
  const double scale = std::max({std::fabs(a), std::fabs(b), std::fabs(c)});
  a /= scale;
  b /= scale;
  c /= scale;
  const double discriminant = b * b - 4.0 * a * c;
  if (discriminant < 0.0) return PolynomialStatus::kOk;
  if (discriminant == 0.0) {
    const double x = -b / (2.0 * a);
    if (!std::isfinite(x)) return fail(roots, PolynomialStatus::kNotFinite);
    append_root(roots, x);
    return PolynomialStatus::kOk;
  }
  // q has the magnitude of the larger of the two terms, so neither root is
  // computed as a difference of nearly equal numbers.
  const double q = -0.5 * (b + std::copysign(std::sqrt(discriminant), b));
  double x1 = q / a;
  double x2 = c / q;
  if (!std::isfinite(x1) || !std::isfinite(x2)) return fail(roots, PolynomialStatus::kNotFinite);
  if (x2 < x1) std::swap(x1, x2);
  append_root(roots, x1);
  append_root(roots, x2);
  return PolynomialStatus::kOk;
}

}  // namespace

Polynomial::Polynomial(std::initializer_list<double> coefficients) {
  std::size_t k = 0;
  for (const double c : coefficients) {
    if (k > static_cast<std::size_t>(kMaxPolynomialDegree)) break;
    coefficients_[k++] = c;
  }
  update_degree();
}

double Polynomial::coefficient(int k) const {
  if (k < 0 || k > kMaxPolynomialDegree) return 0.0;
  return coefficients_[static_cast<std::size_t>(k)];
}

void Polynomial::set_coefficient(int k, double value) {
  if (k < 0 || k > kMaxPolynomialDegree) return;
  coefficients_[static_cast<std::size_t>(k)] = value;
  update_degree();
}

bool Polynomial::is_finite() const {
  return std::all_of(coefficients_.begin(), coefficients_.end(), [](double c) { return std::isfinite(c); });
}

double Polynomial::operator()(double x) const {
  double value = 0.0;
  for (int k = degree_; k >= 0; --k) value = value * x + coefficients_[static_cast<std::size_t>(k)];
  return value;
}

Polynomial Polynomial::derivative() const {
  Polynomial d;
  for (int k = 1; k <= degree_; ++k) {
    d.coefficients_[static_cast<std::size_t>(k - 1)] =
        static_cast<double>(k) * coefficients_[static_cast<std::size_t>(k)];
  }
  d.update_degree();
  return d;
}

void Polynomial::update_degree() {
  degree_ = 0;
  for (int k = kMaxPolynomialDegree; k > 0; --k) {
    if (coefficients_[static_cast<std::size_t>(k)] != 0.0) {
      degree_ = k;
      break;
    }
  }
}

PolynomialStatus polynomial_product(const Polynomial& a, const Polynomial& b, Polynomial& product) {
  product = Polynomial{};
  if (!a.is_finite() || !b.is_finite()) return PolynomialStatus::kNotFinite;
  if (a.is_zero() || b.is_zero()) return PolynomialStatus::kOk;
  if (a.degree() + b.degree() > kMaxPolynomialDegree) return PolynomialStatus::kDegreeTooHigh;
  Polynomial result;
  for (int k = 0; k <= a.degree() + b.degree(); ++k) {
    double c = 0.0;
    for (int i = std::max(0, k - b.degree()); i <= std::min(k, a.degree()); ++i) {
      c += a.coefficient(i) * b.coefficient(k - i);
    }
    result.set_coefficient(k, c);
  }
  if (!result.is_finite()) return PolynomialStatus::kNotFinite;
  product = result;
  return PolynomialStatus::kOk;
}

PolynomialStatus polynomial_sum(const Polynomial& a, const Polynomial& b, Polynomial& sum) {
  sum = Polynomial{};
  Polynomial result;
  for (int k = 0; k <= kMaxPolynomialDegree; ++k)
    result.set_coefficient(k, a.coefficient(k) + b.coefficient(k));
  if (!result.is_finite()) return PolynomialStatus::kNotFinite;
  sum = result;
  return PolynomialStatus::kOk;
}

PolynomialStatus real_roots(const Polynomial& p, RealRoots& roots) {
  roots = RealRoots{};
  if (!p.is_finite()) return PolynomialStatus::kNotFinite;
  const int n = p.degree();
  if (n == 0) return p.is_zero() ? PolynomialStatus::kZeroPolynomial : PolynomialStatus::kOk;
  if (n == 1) {
    const double x = -p.coefficient(0) / p.coefficient(1);
    if (!std::isfinite(x)) return fail(roots, PolynomialStatus::kNotFinite);
    append_root(roots, x);
    return PolynomialStatus::kOk;
  }
  if (n == 2) return quadratic_roots(p.coefficient(2), p.coefficient(1), p.coefficient(0), roots);

  // Every real root lies inside the Cauchy bound, and between two consecutive
  // real roots of the derivative p is monotonic: at most one root in each
  // such piece.
  double bound = 0.0;
  for (int k = 0; k < n; ++k) bound = std::max(bound, std::fabs(p.coefficient(k) / p.coefficient(n)));
  bound += 1.0;
  if (!std::isfinite(bound)) return fail(roots, PolynomialStatus::kNotFinite);

  RealRoots critical;
  const PolynomialStatus status = real_roots(p.derivative(), critical);
  if (status != PolynomialStatus::kOk) return fail(roots, status);

  std::array<double, kMaxPolynomialDegree + 1> points{};
  std::size_t count = 0;
  points[count++] = -bound;
  for (int k = 0; k < critical.count; ++k) {
    const double x = std::clamp(critical.values[static_cast<std::size_t>(k)], -bound, bound);
    if (x > points[count - 1]) points[count++] = x;
  }
  if (bound > points[count - 1]) points[count++] = bound;

  double previous = p(points[0]);
  if (std::isnan(previous)) return fail(roots, PolynomialStatus::kNotFinite);
  if (previous == 0.0) append_root(roots, points[0]);
  for (std::size_t k = 1; k < count; ++k) {
    const double value = p(points[k]);
    if (std::isnan(value)) return fail(roots, PolynomialStatus::kNotFinite);
    if (previous != 0.0 && value != 0.0 && negative(previous) != negative(value)) {
      append_root(roots, bisect(p, points[k - 1], points[k], negative(previous)));
    }
    if (value == 0.0) append_root(roots, points[k]);
    previous = value;
  }
  return PolynomialStatus::kOk;
}

}  // namespace corvalinde
