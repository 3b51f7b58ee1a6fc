#include "analysis/polynomial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace corvalinde {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::vector<double> roots_of(const Polynomial& p, PolynomialStatus expected = PolynomialStatus::kOk) {
  RealRoots roots;
  EXPECT_EQ(real_roots(p, roots), expected);
  return {roots.values.begin(), roots.values.begin() + roots.count};
}

void expect_roots_near(const Polynomial& p, const std::vector<double>& expected, double tolerance = 1e-12) {
  const std::vector<double> r = roots_of(p);
  ASSERT_EQ(r.size(), expected.size());
  for (std::size_t k = 0; k < r.size(); ++k) EXPECT_NEAR(r[k], expected[k], tolerance) << "root " << k;
}

TEST(PolynomialArithmetic, ProductAndSumWorkOnCoefficientsAndTrackTheDegree) {
  Polynomial product;
  ASSERT_EQ(polynomial_product(Polynomial{1.0, 1.0}, Polynomial{1.0, -1.0}, product), PolynomialStatus::kOk);
  EXPECT_EQ(product.degree(), 2);
  EXPECT_EQ(product.coefficient(0), 1.0);
  EXPECT_EQ(product.coefficient(1), 0.0);
  EXPECT_EQ(product.coefficient(2), -1.0);
  EXPECT_EQ(product(3.0), -8.0);

  // Adding x^2 cancels the leading term: the degree drops to 0.
  Polynomial sum;
  ASSERT_EQ(polynomial_sum(product, Polynomial{0.0, 0.0, 1.0}, sum), PolynomialStatus::kOk);
  EXPECT_EQ(sum.degree(), 0);
  EXPECT_EQ(sum.coefficient(0), 1.0);

  Polynomial zero;
  ASSERT_EQ(polynomial_product(Polynomial{}, Polynomial{2.0, 3.0}, zero), PolynomialStatus::kOk);
  EXPECT_TRUE(zero.is_zero());
}

TEST(PolynomialArithmetic, OverflowAndExcessDegreeAreReportedWithAZeroResult) {
  Polynomial p{1.0, 1e200};
  Polynomial result{5.0};
  EXPECT_EQ(polynomial_product(p, p, result), PolynomialStatus::kNotFinite);
  EXPECT_TRUE(result.is_zero());
  EXPECT_EQ(polynomial_sum(Polynomial{1.7e308}, Polynomial{1.7e308}, result), PolynomialStatus::kNotFinite);
  EXPECT_EQ(polynomial_sum(Polynomial{kNaN}, Polynomial{1.0}, result), PolynomialStatus::kNotFinite);

  Polynomial x5;
  x5.set_coefficient(5, 1.0);
  Polynomial x4{0.0, 0.0, 0.0, 0.0, 1.0};
  EXPECT_EQ(polynomial_product(x5, x4, result), PolynomialStatus::kDegreeTooHigh);
  ASSERT_EQ(polynomial_product(x4, x4, result), PolynomialStatus::kOk);
  EXPECT_EQ(result.degree(), kMaxPolynomialDegree);
}

TEST(PolynomialRoots, LowDegreesInIncreasingOrder) {
  EXPECT_EQ(roots_of(Polynomial{3.0}), std::vector<double>{});
  EXPECT_EQ(roots_of(Polynomial{}, PolynomialStatus::kZeroPolynomial), std::vector<double>{});
  EXPECT_EQ(roots_of(Polynomial{-6.0, 2.0}), std::vector<double>{3.0});
  // (x - 3)(x + 2), also with a negative leading coefficient.
  expect_roots_near(Polynomial{-6.0, -1.0, 1.0}, {-2.0, 3.0});
  expect_roots_near(Polynomial{6.0, 1.0, -1.0}, {-2.0, 3.0});
  EXPECT_EQ(roots_of(Polynomial{1.0, 0.0, 1.0}), std::vector<double>{});
  // An exact double root is listed once.
  EXPECT_EQ(roots_of(Polynomial{1.0, -2.0, 1.0}), std::vector<double>{1.0});
}

TEST(PolynomialRoots, QuadraticKeepsTheSmallRootAccurate) {
  // x^2 - 1e8 x + 1: the naive formula loses the root near 1e-8 entirely.
  const std::vector<double> r = roots_of(Polynomial{1.0, -1e8, 1.0});
  ASSERT_EQ(r.size(), 2U);
  EXPECT_NEAR(r[0], 1e-8, 1e-20);
  EXPECT_NEAR(r[1], 1e8, 1e-6);
  // Roots far from the origin, as stations are: (s - 50000)(s - 50010).
  expect_roots_near(Polynomial{50000.0 * 50010.0, -100010.0, 1.0}, {50000.0, 50010.0}, 1e-6);
}

TEST(PolynomialRoots, HigherDegreesAreIsolatedBetweenCriticalPoints) {
  // (x - 1)(x - 2)(x - 3)
  expect_roots_near(Polynomial{-6.0, 11.0, -6.0, 1.0}, {1.0, 2.0, 3.0});
  // (x^2 + 1)(x - 4): one real root.
  expect_roots_near(Polynomial{-4.0, 1.0, -4.0, 1.0}, {4.0});
  // x^8 - 1
  Polynomial x8{-1.0};
  x8.set_coefficient(8, 1.0);
  expect_roots_near(x8, {-1.0, 1.0});
  // x^3: a root where the derivative vanishes too.
  EXPECT_EQ(roots_of(Polynomial{0.0, 0.0, 0.0, 1.0}), std::vector<double>{0.0});
}

TEST(PolynomialRoots, NonFiniteInputsOrBoundsFailWithoutRoots) {
  EXPECT_EQ(roots_of(Polynomial{kInfinity, 1.0}, PolynomialStatus::kNotFinite), std::vector<double>{});
  EXPECT_EQ(roots_of(Polynomial{1.0, kNaN, 1.0}, PolynomialStatus::kNotFinite), std::vector<double>{});
  // The root of 1e-300 x + 1e300 is not a double.
  EXPECT_EQ(roots_of(Polynomial{1e300, 1e-300}, PolynomialStatus::kNotFinite), std::vector<double>{});
  // The Cauchy bound of this cubic overflows.
  EXPECT_EQ(roots_of(Polynomial{1e300, 0.0, 0.0, 1e-300}, PolynomialStatus::kNotFinite),
            std::vector<double>{});
}

}  // namespace
}  // namespace corvalinde
