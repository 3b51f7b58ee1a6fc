// Quantities the analyses compute along the road, kept as series over
// station: one grid of stations (the ends of the usable road and every
// multiple of the step between them) and, per quantity, one value per grid
// station, NaN where nothing was computed. Values are stored as float: the
// grid of a 500 km road at 10 m holds 50 001 stations, about 200 kB per
// quantity.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvalinde {

class RunSeries {
 public:
  static constexpr std::size_t kNoIndex = static_cast<std::size_t>(-1);

  // Replaces the grid and drops every quantity: first, each multiple of step
  // strictly between first and last, then last. Nothing for a grid that is
  // not finite, is reversed or would exceed kMaxStations.
  void set_grid(double first, double last, double step);
  static constexpr std::size_t kMaxStations = 10'000'000;

  bool empty() const { return stations_.empty(); }
  const std::vector<double>& stations() const { return stations_; }

  // The grid index of station s (exactly on the grid), or kNoIndex.
  std::size_t index_of(double s) const;

  // Stores the value of the named quantity at s when s lies on the grid;
  // a station off the grid is ignored.
  void set(std::string_view name, double s, double value);

  // The quantities in the order they were first set.
  const std::vector<std::pair<std::string, std::vector<float>>>& quantities() const { return quantities_; }
  // The values of one quantity, or null when it was never set.
  const std::vector<float>* values(std::string_view name) const;

  void clear();

  // Takes the other's grid, without its quantities.
  void adopt_grid(const RunSeries& other);
  // Takes the other's quantities when both have the same grid (a quantity
  // set in both keeps the values set here, filled in where they are NaN).
  void merge(const RunSeries& other);

 private:
  std::vector<double> stations_;
  std::vector<std::pair<std::string, std::vector<float>>> quantities_;
};

}  // namespace corvalinde
