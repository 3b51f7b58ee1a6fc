#include "output/finding_record.h"

namespace corvalinde {

std::string_view review_name(Review review) {
  switch (review) {
    case Review::kPlan:
      return "plan";
    case Review::kCrossfall:
      return "crossfall";
    case Review::kProfile:
      return "profile";
    case Review::kVisibility:
      return "visibility";
  }
  return "plan";
}

std::string_view verdict_name(Verdict verdict) {
  switch (verdict) {
    case Verdict::kOk:
      return "ok";
    case Verdict::kFail:
      return "fail";
    case Verdict::kWarning:
      return "warning";
    case Verdict::kNotAssessable:
      return "not_assessable";
  }
  return "ok";
}

std::string_view direction_name(TravelDirection direction) {
  switch (direction) {
    case TravelDirection::kForward:
      return "forward";
    case TravelDirection::kBackward:
      return "backward";
    case TravelDirection::kNone:
      break;
  }
  return {};
}

char verdict_marker(Verdict verdict) {
  switch (verdict) {
    case Verdict::kOk:
      return 'A';
    case Verdict::kFail:
      return 'C';
    case Verdict::kWarning:
    case Verdict::kNotAssessable:
      break;
  }
  return 'G';
}

FindingCounts count_findings(const std::vector<FindingRecord>& records) {
  FindingCounts counts{};
  for (const FindingRecord& r : records) {
    ++counts[static_cast<std::size_t>(r.review)][static_cast<std::size_t>(r.verdict)];
  }
  return counts;
}

}  // namespace corvalinde
