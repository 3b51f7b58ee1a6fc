// Real polynomials of low degree held by value in a fixed coefficient array
// (no allocation), with the product, sum and real-root operations the
// analyses build their tests from. Every operation reports failure as a
// PolynomialStatus and never yields a non-finite coefficient or root.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>

namespace corvalinde {

// Highest degree a Polynomial can hold.
inline constexpr int kMaxPolynomialDegree = 8;

enum class PolynomialStatus {
  kOk,
  kDegreeTooHigh,   // the result would exceed kMaxPolynomialDegree
  kNotFinite,       // an input or a result coefficient or root is not finite
  kZeroPolynomial,  // real roots of the zero polynomial: every x is one
};

// c0 + c1 x + ... + cn x^n. The degree is that of the highest non-zero
// coefficient (0 for constants, the zero polynomial included).
class Polynomial {
 public:
  Polynomial() = default;
  // Coefficients in increasing powers; those beyond kMaxPolynomialDegree are
  // ignored.
  Polynomial(std::initializer_list<double> coefficients);

  int degree() const { return degree_; }
  // The coefficient of x^k; 0 outside 0..kMaxPolynomialDegree.
  double coefficient(int k) const;
  void set_coefficient(int k, double value);
  bool is_zero() const { return degree_ == 0 && coefficients_[0] == 0.0; }
  bool is_finite() const;

  // Value at x by Horner's scheme.
  double operator()(double x) const;

  // The derivative (the zero polynomial for a constant).
  Polynomial derivative() const;

 private:
  void update_degree();

  std::array<double, kMaxPolynomialDegree + 1> coefficients_{};
  int degree_ = 0;
};

// a * b. On failure `product` is the zero polynomial.
[[nodiscard]] PolynomialStatus polynomial_product(const Polynomial& a, const Polynomial& b,
                                                  Polynomial& product);

// a + b. On failure (overflow, non-finite input) `sum` is the zero polynomial.
[[nodiscard]] PolynomialStatus polynomial_sum(const Polynomial& a, const Polynomial& b, Polynomial& sum);

// The distinct real roots of a polynomial, in increasing order; a multiple
// root is listed once.
struct RealRoots {
  std::array<double, kMaxPolynomialDegree> values{};
  int count = 0;
};

// Real roots of p. Degrees 1 and 2 are solved in closed form (the quadratic
// in its cancellation-free form, after scaling the coefficients); higher
// degrees by isolating each root between consecutive roots of the derivative
// (inside the Cauchy bound) and bisecting. A double root found only through
// rounding may come out as none or as two close roots. kZeroPolynomial for
// p = 0, kNotFinite for a non-finite coefficient or a root that would
// overflow; `roots` is then empty.
[[nodiscard]] PolynomialStatus real_roots(const Polynomial& p, RealRoots& roots);

}  // namespace corvalinde
