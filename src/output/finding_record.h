// A finding as data: what an analysis found, where, in which direction and
// with which verdict, with the message and the values its console line shows.
// Each record is made where its line is written, and the line is rendered from
// it; the console keeps the records of a run beside its lines.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

// The four reviews, in the order a run lists them.
enum class Review { kPlan, kCrossfall, kProfile, kVisibility };
inline constexpr std::size_t kReviewCount = 4;

// A finding's verdict. The console shows ok with marker A (or 2 on the passing
// summary), fail with C, warning and not assessable with G.
enum class Verdict { kOk, kFail, kWarning, kNotAssessable };
inline constexpr std::size_t kVerdictCount = 4;

// The sense of travel a finding belongs to; kNone for the road as a whole.
enum class TravelDirection { kNone, kForward, kBackward };

struct FindingRecord {
  Review review = Review::kPlan;
  std::string check;  // stable name of the check within its review
  double from = 0.0;  // station range (m); from == to for a point check
  double to = 0.0;
  TravelDirection direction = TravelDirection::kNone;
  Verdict verdict = Verdict::kOk;
  int message = 0;             // message number of the finding's text
  std::vector<double> values;  // the values the line shows, in their order
  std::string text;            // the line as written (markers included)
  std::size_t line = 0;        // 0-based index of its console line
};

// Stable names used by the machine-readable output.
std::string_view review_name(Review review);
std::string_view verdict_name(Verdict verdict);
std::string_view direction_name(TravelDirection direction);  // "" for kNone

// The marker letter of a verdict (A, C or G).
char verdict_marker(Verdict verdict);

// Counts of records by review and verdict (indices of the enums).
using FindingCounts = std::array<std::array<int, kVerdictCount>, kReviewCount>;
FindingCounts count_findings(const std::vector<FindingRecord>& records);

// +1 forward, -1 backward.
inline TravelDirection direction_of_sense(int sense) {
  return sense < 0 ? TravelDirection::kBackward : TravelDirection::kForward;
}

}  // namespace corvalinde
