// What the reader fuzz targets check of every read: the model's invariants
// (elements in station order without gaps, crossfall points increasing, every
// value finite, a mask that matches the tables present), console lines in
// UTF-8, and a user-interface port that answers choices from the input. A
// broken invariant aborts, which the fuzzer reports with its input.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "road/road_model.h"
#include "services/user_interface.h"

namespace corvalinde::fuzz {

inline void require(bool condition) {
  if (!condition) std::abort();
}

inline bool finite(double v) {
  return std::isfinite(v);
}

// Every console line is valid UTF-8 (names come from files in any encoding).
inline bool valid_utf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
    } else if (b >= 0x80) {
      return false;
    }
    if (i + extra >= s.size() && extra > 0) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// Answers each choice from the next byte of a seed: cancel or one of the items.
class SeededInterface final : public UserInterface {
 public:
  explicit SeededInterface(std::uint8_t seed) : seed_(seed) {}
  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override {
    require(!items.empty() && !title.empty());
    for (const std::string& item : items) require(!item.empty());
    const int answer = static_cast<int>(seed_ % (items.size() + 1));
    seed_ = static_cast<std::uint8_t>(seed_ * 31 + 7);
    return answer;
  }
  void progress_window(int, std::string_view) override {}
  int message_window(const std::vector<std::string>&, int, const std::vector<std::string>&) override {
    return 1;
  }

 private:
  std::uint8_t seed_;
};

inline void check_model(const RoadModel& model, int mask) {
  require((mask & ~7) == 0);
  require(model.has_plan() == ((mask & kMaskPlan) != 0));
  require(model.has_profile() == ((mask & kMaskProfile) != 0));
  require(model.has_crossfall() == ((mask & kMaskCrossfall) != 0));
  const auto& plan = model.plan_elements();
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const PlanElement& e = plan[i];
    require(e.kind() >= 1 && e.kind() <= 4 && e.name.size() <= 7);
    for (const double v :
         {e.start_station, e.end_station, e.start_x, e.start_y, e.end_x, e.end_y, e.start_heading()}) {
      require(finite(v));
    }
    for (const double v : e.geometry_numbers()) require(finite(v));
    require(e.end_station - e.start_station >= 1e-4 * 0.999);
    if (i > 0) require(e.start_station == plan[i - 1].end_station);
    if (const ArcGeometry* arc = e.arc()) require(arc->radius != 0.0);
    if (const ClothoidGeometry* c = e.clothoid()) require(c->parameter > 0.0 && c->tau_near <= c->tau_far);
    if (const TransitionCurve* t = e.transition())
      require(std::fabs(t->length() - (e.end_station - e.start_station)) <= 1e-6 * t->length() + 1e-9);
  }
  const auto& profile = model.profile_elements();
  for (std::size_t i = 0; i < profile.size(); ++i) {
    const ProfileElement& e = profile[i];
    require(e.kind == 1 || e.kind == 2);
    for (const double v : {e.start_station, e.start_elevation, e.end_station, e.end_elevation,
                           e.grade_or_radius, e.vertex_station, e.vertex_elevation}) {
      require(finite(v));
    }
    require(e.end_station >= e.start_station);
    if (e.kind == 2) require(e.grade_or_radius != 0.0);
    if (i > 0) require(std::fabs(e.start_station - profile[i - 1].end_station) <= 1e-3);
  }
  const auto& points = model.crossfall_points();
  require(points.empty() || points.size() >= 2);
  for (std::size_t i = 0; i < points.size(); ++i) {
    require(finite(points[i].station) && finite(points[i].left) && finite(points[i].right));
    if (i > 0) require(points[i].station > points[i - 1].station);
  }
}

}  // namespace corvalinde::fuzz
