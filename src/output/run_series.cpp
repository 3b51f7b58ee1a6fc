#include "output/run_series.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace corvalinde {

void RunSeries::set_grid(double first, double last, double step) {
  clear();
  if (!std::isfinite(first) || !std::isfinite(last) || !(step > 0.0) || last < first) return;
  if ((last - first) / step > static_cast<double>(kMaxStations - 2)) return;
  stations_.push_back(first);
  // The multiples are computed as the walks compute theirs (step * integer),
  // so that a walk's station matches its grid station exactly.
  for (auto k = static_cast<std::int64_t>(std::floor(first / step)) + 1;; ++k) {
    const double s = step * static_cast<double>(k);
    if (!(s < last)) break;
    if (s > first) stations_.push_back(s);
  }
  if (last > first) stations_.push_back(last);
}

std::size_t RunSeries::index_of(double s) const {
  const auto it = std::lower_bound(stations_.begin(), stations_.end(), s);
  if (it == stations_.end() || *it != s) return kNoIndex;
  return static_cast<std::size_t>(it - stations_.begin());
}

void RunSeries::set(std::string_view name, double s, double value) {
  const std::size_t i = index_of(s);
  if (i == kNoIndex) return;
  auto it = std::find_if(quantities_.begin(), quantities_.end(),
                         [&](const auto& quantity) { return quantity.first == name; });
  if (it == quantities_.end()) {
    quantities_.emplace_back(std::string(name),
                             std::vector<float>(stations_.size(), std::numeric_limits<float>::quiet_NaN()));
    it = std::prev(quantities_.end());
  }
  it->second[i] = static_cast<float>(value);
}

const std::vector<float>* RunSeries::values(std::string_view name) const {
  for (const auto& [quantity, values] : quantities_) {
    if (quantity == name) return &values;
  }
  return nullptr;
}

void RunSeries::adopt_grid(const RunSeries& other) {
  clear();
  stations_ = other.stations_;
}

void RunSeries::merge(const RunSeries& other) {
  if (other.stations_ != stations_) return;
  for (const auto& entry : other.quantities_) {
    const auto& [name, values] = entry;
    auto it = std::find_if(quantities_.begin(), quantities_.end(),
                           [&](const auto& quantity) { return quantity.first == entry.first; });
    if (it == quantities_.end()) {
      quantities_.emplace_back(name, values);
      continue;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (std::isnan(it->second[i])) it->second[i] = values[i];
    }
  }
}

void RunSeries::clear() {
  stations_.clear();
  stations_.shrink_to_fit();
  quantities_.clear();
}

}  // namespace corvalinde
