#include "road/road_model.h"

#include <cassert>
#include <utility>

namespace corvalinde {

void RoadModel::clear() {
  discard_plan();
  discard_profile();
  discard_crossfall();
}

void RoadModel::set_plan(std::vector<PlanElement> records) {
  plan_ = std::move(records);
}
void RoadModel::set_profile(std::vector<ProfileElement> records) {
  profile_ = std::move(records);
}
void RoadModel::set_crossfall(std::vector<CrossfallPoint> points) {
  crossfall_ = std::move(points);
}

const PlanElement& RoadModel::plan(std::size_t i) const {
  assert(i >= 1 && i <= plan_.size());
  return plan_[i - 1];
}

const ProfileElement& RoadModel::profile(std::size_t i) const {
  assert(i >= 1 && i <= profile_.size());
  return profile_[i - 1];
}

const CrossfallPoint& RoadModel::crossfall(std::size_t i) const {
  assert(i >= 1 && i <= crossfall_.size());
  return crossfall_[i - 1];
}

int RoadModel::present_mask() const {
  return (has_plan() ? kMaskPlan : 0) | (has_profile() ? kMaskProfile : 0) |
         (has_crossfall() ? kMaskCrossfall : 0);
}

}  // namespace corvalinde
