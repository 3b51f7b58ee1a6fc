#include "analysis/visibility_analyses.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "analysis/listing_start.h"
#include "analysis/road_series.h"
#include "analysis/sight_line.h"
#include "analysis/sight_speed.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

// Road types with pedestrians instead of passing (VSA AU70).
constexpr int kFirstPedestrianRoadType = 24;
constexpr int kLastPedestrianRoadType = 26;

// Line layouts.
constexpr std::size_t kStationFieldWidth = 11;
constexpr std::size_t kZoneTextWidth = 54;     // marker and verdict of a zone line
constexpr std::size_t kVerdictTextWidth = 80;  // marker and verdict of a curve entry
constexpr std::size_t kCurveMessageWidth = 78;
constexpr std::size_t kDirectionLabelWidth = 15;
constexpr std::string_view kCurveLineIndent = "    ";
constexpr std::size_t kYesNoShownWidth = 3;

// Curve entries: braking deceleration (m/s^2), the travel times (s) of the
// needed distance and the slack (m) granted before it counts as too short.
constexpr double kEntryDeceleration = 3.0;
constexpr double kEntryMinBrakingTime = 1.5;
constexpr double kEntryReactionTime = 1.5;
constexpr double kEntrySlack = 1.0;
constexpr double kKmhPerMs = 3.6;

// Pedestrians: the driver must see the pedestrian from as far as he drives
// in (carriageway width + 2) seconds, the width taken in metres.
constexpr double kPedestrianExtraWidth = 2.0;
// Passing: the required distance is this many seconds of travel plus a margin (m).
constexpr double kPassingRequiredTime = 1.5;
constexpr double kPassingRequiredMargin = 16.0;
// The whole reach counts as seen when the sight distance falls short of it by
// no more than this (m): the listed stations are sums of 10 m steps.
constexpr double kFullReachTolerance = 1.0e-6;

// Stations of more than this magnitude (m) are no road; walks skip them.
constexpr double kMaxWalkStation = 1.0e12;

std::string marker(char letter) {
  return std::string{kMarker, letter};
}

// x rounded to one decimal, halves away from zero, never "-0.0".
double one_decimal_value(double x) {
  return round_to_decimals(x, 1) + 0.0;
}

// The shortest form with one decimal: 123.4, 0.5.
std::string one_decimal(double x) {
  return fmt::format("{:.1f}", one_decimal_value(x));
}

// Stations (and the arc line's radius) right-aligned in 11 characters, with
// one or three decimals rounded halves away from zero; a station is the one
// shown to the user, followed by its region when ambiguous.
std::string region_suffix(const ShownStation& s) {
  return s.region != 0 ? fmt::format(" ({})", s.region) : std::string();
}

std::string station_field(const ShownStation& s) {
  return fmt::format("{:>{}.1f}", one_decimal_value(s.value), kStationFieldWidth) + region_suffix(s);
}

std::string fixed3_field(double x) {
  return fmt::format("{:>{}.3f}", round_to_decimals(x, 3) + 0.0, kStationFieldWidth);
}

std::string fixed3_field(const ShownStation& s) {
  return fixed3_field(s.value) + region_suffix(s);
}

// At least `width` characters: blank-padded when shorter.
std::string padded(std::string text, std::size_t width) {
  const std::size_t length = utf8_length(text);
  if (length < width) text.append(width - length, ' ');
  return text;
}

std::string direction_label(int sense) {
  const std::vector<std::string> labels = message_fields(kDirectionLabels, kDirectionLabelWidth, 2);
  return labels[sense > 0 ? 1 : 0];
}

void write_section_line(Console& console, int title, int sense) {
  console_write(console, kConsoleOrdinary);
  console_write(console, kConsoleHeadingLine,
                utf8_fit(message_trimmed(title) + " - " + direction_label(sense), kListingLineWidth));
}

void log_title(std::string_view title) {
  write_log();
  write_log(title);
}

// ---- Curve entries ---------------------------------------------------------

// The series names of a quantity in one sense of travel.
std::string series_name(std::string_view quantity, int sense) {
  return std::string(quantity) + (sense > 0 ? "_forward" : "_backward");
}

// The curve-entry line of a record: indent, direction label, marker and verdict.
std::string curve_entry_line(const FindingRecord& r, const std::string& label) {
  std::string text = marker(verdict_marker(r.verdict));
  if (r.message == kCurveEntryTooShort) {
    text += message_trimmed(kCurveEntryTooShort) + " " + one_decimal(r.values.at(0)) + "<" +
            one_decimal(r.values.at(1));
  } else {
    text += message_text(r.message, kCurveMessageWidth);
  }
  return std::string(kCurveLineIndent) + utf8_fit(label, kDirectionLabelWidth) +
         utf8_fit(text, kVerdictTextWidth);
}

void write_curve_entry(Console& console, const RoadModel& model, const SightParameters& params,
                       double station, int sense, const std::string& label) {
  const SpeedCapInputs caps = params.speed_cap_inputs();
  const double d = sense < 0 ? -1.0 : 1.0;
  AxisPoint p;
  static_cast<void>(evaluate_axis_point(model, station, sense, &caps, p));
  const SightDistance seen = sight_distance(model, p, params, false, sense, SightRole::kTarget);
  FindingRecord r;
  r.review = Review::kVisibility;
  r.check = "curve_entry";
  r.from = station;
  r.to = station;
  r.direction = direction_of_sense(sense);
  if (seen.status == SightStatus::kNotMeasured) {
    // Not assessable: approaching forwards it is marked as such, backwards as deficient.
    r.verdict = sense > 0 ? Verdict::kNotAssessable : Verdict::kFail;
    r.message = kCurveEntryNotAssessable;
  } else {
    const double v_arc = operating_speed(model, p, sense, params);
    AxisPoint driver;
    static_cast<void>(evaluate_axis_point(model, p.station - d * seen.distance, sense, &caps, driver));
    const double v_drv = operating_speed(model, driver, sense, params);
    const double u_arc = v_arc / kKmhPerMs;
    const double u_drv = v_drv / kKmhPerMs;
    const double need =
        std::max((u_drv * u_drv - u_arc * u_arc) / (2.0 * kEntryDeceleration), kEntryMinBrakingTime * u_drv) +
        kEntryReactionTime * u_drv;
    if (need - kEntrySlack > seen.distance) {
      r.verdict = seen.status == SightStatus::kCutByRoadEnd ? Verdict::kNotAssessable : Verdict::kFail;
      r.message = kCurveEntryTooShort;
      r.values = {seen.distance, need};
    } else {
      r.verdict = Verdict::kOk;
      r.message = kCurveEntrySufficient;
      r.values = {seen.distance, need};
    }
  }
  r.text = curve_entry_line(r, label);
  console.write_finding(false, std::move(r));
}

// ---- Walks -----------------------------------------------------------------

// The stations of a walk from a towards b in sense d. Obstacle and passing
// walks visit a, then every multiple of 10 m after it while before b (b
// itself is not visited). Pedestrian walks start at the multiple of 10 at or
// before a and visit b last.
class WalkStations {
 public:
  WalkStations(double a, double b, int sense, bool ends_at_b)
      : b_(b), d_(sense < 0 ? -1 : 1), ends_at_b_(ends_at_b) {
    if (!(std::fabs(a) <= kMaxWalkStation && std::fabs(b) <= kMaxWalkStation)) {
      done_ = true;
      return;
    }
    const double tens = a / kWalkStep;
    if (ends_at_b) {
      multiple_ = static_cast<std::int64_t>(d_ > 0 ? std::floor(tens) : std::ceil(tens));
      start_ = at_multiple();
    } else {
      start_ = a;
      pending_start_ = true;
      multiple_ = static_cast<std::int64_t>(d_ > 0 ? std::floor(tens) : std::ceil(tens)) + d_;
    }
  }

  // The walk's first station (where its first stretch starts).
  double start() const { return start_; }

  bool next(double& s) {
    if (done_) return false;
    if (pending_start_) {
      pending_start_ = false;
      if (before_end(start_)) {
        s = start_;
        return true;
      }
      done_ = true;
      return false;
    }
    const double m = at_multiple();
    if (before_end(m)) {
      multiple_ += d_;
      s = m;
      return true;
    }
    done_ = true;
    if (!ends_at_b_) return false;
    s = b_;
    return true;
  }

 private:
  double at_multiple() const { return kWalkStep * static_cast<double>(multiple_); }
  bool before_end(double s) const { return d_ * s < d_ * b_; }

  double b_;
  int d_;
  bool ends_at_b_;
  double start_ = 0.0;
  std::int64_t multiple_ = 0;
  bool pending_start_ = false;
  bool done_ = false;
};

// The verdict at one station of a walk.
struct StationVerdict {
  bool measured = false;  // false: nothing could be measured there
  bool deficient = false;
  bool cut = false;  // the sight distance ends with the road
};

struct ZoneMessages {
  int deficient = 0;     // marker C
  int satisfactory = 0;  // marker A
  int cut = 0;           // marker G, from the road's end cut to the walk's end
  int initial = 0;       // marker G, the stretch before the first satisfactory station
};

enum class Zone : int { kNone = 0, kInitial = 1, kDeficient = 2 };

// Writes the zone lines of one walk, each from its finding record, and adds
// up its satisfactory stretches.
class ZoneWriter {
 public:
  ZoneWriter(Console& console, const StationEquations& stations, std::string_view check, int sense,
             bool show_lengths)
      : console_(console), stations_(stations), check_(check), sense_(sense), show_lengths_(show_lengths) {}

  // A stretch whose end lies before its start holds no station: not written.
  void write(double from, double to, char letter, int message) {
    const double d = sense_ < 0 ? -1.0 : 1.0;
    if (d * to < d * from) return;
    FindingRecord r;
    r.review = Review::kVisibility;
    r.check = check_;
    r.from = std::min(from, to);
    r.to = std::max(from, to);
    r.direction = direction_of_sense(sense_);
    r.verdict = letter == 'A' ? Verdict::kOk : letter == 'C' ? Verdict::kFail : Verdict::kNotAssessable;
    r.message = message;
    if (r.verdict == Verdict::kOk && show_lengths_) {
      r.values = {r.to - r.from};
      total_ += r.values[0];
    }
    r.text = zone_line(r);
    console_.write_finding(false, std::move(r));
  }

  double total() const { return total_; }

 private:
  // Stations in walk order, marker and verdict, and the length of a
  // satisfactory passing stretch.
  std::string zone_line(const FindingRecord& r) const {
    const bool forward = r.direction != TravelDirection::kBackward;
    std::string line = station_field(shown_station(stations_, forward ? r.from : r.to)) + " - " +
                       station_field(shown_station(stations_, forward ? r.to : r.from)) + " " +
                       std::string(utf8_prefix(marker(verdict_marker(r.verdict)) + message_trimmed(r.message),
                                               kZoneTextWidth));
    if (!r.values.empty()) {
      line += " ";
      line += kMarker;
      line += kMarker;
      line += "l=" + one_decimal(r.values[0]);
    }
    return padded(std::move(line), kListingLineWidth);
  }

  Console& console_;
  const StationEquations& stations_;
  std::string_view check_;
  int sense_;
  bool show_lengths_;
  double total_ = 0.0;
};

struct WalkEnd {
  Zone zone = Zone::kNone;
  bool any_evaluated = false;
  bool ended_by_road_end = false;
  double last_evaluated = 0.0;
  double zone_start = 0.0;
  double last_reported = 0.0;
  double last_deficient = 0.0;
};

// One walk with its zone bookkeeping. judge(s) gives the verdict at s; a
// station where nothing can be measured ends the walk. Boundaries between
// verdicts are halved to 1 m between the previous walk station and this one.
template <typename Judge>
WalkEnd zone_walk(ZoneWriter& writer, WalkStations stations, double walk_end, int sense,
                  const ZoneMessages& texts, bool initial_zone, const Judge& judge) {
  const double d = sense < 0 ? -1.0 : 1.0;
  WalkEnd w;
  w.zone = initial_zone ? Zone::kInitial : Zone::kNone;
  w.zone_start = stations.start();
  w.last_reported = stations.start();
  bool have_previous = false;
  double previous = 0.0;
  bool previous_deficient = false;

  double s = 0.0;
  while (stations.next(s)) {
    const StationVerdict v = judge(s);
    if (!v.measured) break;
    w.any_evaluated = true;
    w.last_evaluated = s;

    // The last station with the previous verdict and the first with this
    // one. Without a previous station, or where the verdict did not change,
    // the boundary is this walk station.
    const auto boundary = [&](double& last_old, double& first_new) {
      last_old = s - d;
      first_new = s;
      if (!have_previous || previous_deficient == v.deficient) return;
      double old_side = previous;
      double new_side = s;
      while (std::fabs(new_side - old_side) > kBoundaryRefinement) {
        const double mean = (old_side + new_side) / 2.0;
        const StationVerdict at_mean = judge(mean);
        if (!at_mean.measured) break;
        if (at_mean.deficient == previous_deficient) {
          old_side = mean;
        } else {
          new_side = mean;
        }
      }
      last_old = old_side;
      first_new = new_side;
    };
    const auto close_zone = [&](double end) {
      if (w.zone == Zone::kInitial) {
        writer.write(w.zone_start, end, 'G', texts.initial);
      } else {
        writer.write(w.zone_start, end, 'C', texts.deficient);
      }
    };

    double last_old = 0.0;
    double first_new = 0.0;
    if (!v.deficient) {
      if (w.zone != Zone::kNone) {
        boundary(last_old, first_new);
        close_zone(last_old);
        w.last_reported = last_old + d;
        w.zone = Zone::kNone;
      }
    } else if (!v.cut) {
      if (w.zone == Zone::kNone) {
        boundary(last_old, first_new);
        writer.write(w.last_reported, first_new - d, 'A', texts.satisfactory);
        w.zone_start = first_new;
        w.zone = Zone::kDeficient;
      }
    } else {
      boundary(last_old, first_new);
      if (w.zone != Zone::kNone) {
        close_zone(first_new - d);
      } else {
        writer.write(w.last_reported, first_new - d, 'A', texts.satisfactory);
      }
      w.zone = Zone::kNone;
      writer.write(first_new, walk_end, 'G', texts.cut);
      w.last_reported = walk_end;
      w.ended_by_road_end = true;
    }
    if (v.deficient) w.last_deficient = s;
    if (w.ended_by_road_end) break;
    have_previous = true;
    previous = s;
    previous_deficient = v.deficient;
  }
  return w;
}

// The passing summary: length and share of road where passing is possible,
// marked 2 when the share is enough.
std::string passing_summary_line(const FindingRecord& r) {
  const std::string mark = r.verdict == Verdict::kFail ? marker('C') : marker('2');
  std::string line = mark + message_trimmed(kPassingSummary) + " : " + one_decimal(r.values.at(0)) + " (" +
                     mark + fmt::format("{}", static_cast<int>(r.values.at(1))) + "%";
  line += kMarker;
  line += kMarker;
  line += ")";
  return padded(std::move(line), kListingLineWidth);
}

}  // namespace

// ---- The checks --------------------------------------------------------------

void curve_entry_check(Console& console, const RoadModel& model, const SightParameters& params) {
  console_write(console, kConsoleOrdinary);
  console_write_message(console, kConsoleHeadingLine, kCurveEntryTitle);
  if (!model.has_plan()) return;
  const std::vector<std::string> labels = message_fields(kDirectionLabels, kDirectionLabelWidth, 2);
  const std::size_t n = model.plan_count();
  for (std::size_t i = 1; i <= n; ++i) {
    const PlanElement& arc = model.plan(i);
    if (arc.kind() != kPlanArc) continue;
    if (i >= 2) write_curve_entry(console, model, params, arc.start_station, +1, labels[1]);
    console_write(
        console, kConsoleOrdinary,
        padded(fmt::format("Cercle {:>3} sd={} r={} sf={}", i,
                           fixed3_field(shown_station(model.station_equations(), arc.start_station)),
                           fixed3_field(arc.arc()->radius),
                           fixed3_field(shown_station(model.station_equations(), arc.end_station))),
               kListingLineWidth));
    if (i < n) {
      write_curve_entry(console, model, params, arc.end_station, -1, labels[0]);
      console_write(console, kConsoleOrdinary);
    }
  }
}

void obstacle_visibility(Console& console, const RoadModel& model, const SightParameters& params, int sense) {
  write_section_line(console, kObstacleTitle, sense);
  const UsableStations usable = usable_stations(model);
  if (!usable.valid) return;
  const double a = sense > 0 ? usable.first : usable.last;
  const double b = sense > 0 ? usable.last : usable.first;
  const SpeedCapInputs caps = params.speed_cap_inputs();
  RunSeries& series = console.series();
  const std::string speed_name = series_name("speed", sense);
  const std::string required_name = series_name("stopping_required", sense);
  const std::string available_name = series_name("stopping_available", sense);
  const auto judge = [&](double s) {
    StationVerdict v;
    AxisPoint p;
    static_cast<void>(evaluate_axis_point(model, s, sense, &caps, p));
    SightDistance seen = sight_distance(model, p, params, false, sense, SightRole::kObserver);
    if (seen.status == SightStatus::kNotMeasured) return v;
    if (seen.status == SightStatus::kReal && params.has_alternative) {
      const SightDistance other = sight_distance(model, p, params, true, sense, SightRole::kObserver);
      if (other.distance > seen.distance) seen = other;
    }
    const double v85 = operating_speed(model, p, sense, params);
    const double needed = stopping_distance(v85, p.curvature, p.grade);
    series.set(speed_name, s, v85);
    series.set(required_name, s, needed);
    if (seen.status == SightStatus::kReal) series.set(available_name, s, seen.distance);
    v.measured = true;
    v.deficient = !(seen.distance >= needed);
    v.cut = seen.status == SightStatus::kCutByRoadEnd;
    return v;
  };
  ZoneWriter writer(console, model.station_equations(), "stopping_sight", sense, false);
  const ZoneMessages texts{kSightTooShort, kSightSufficient, kSightNotAssessable, kSightNotAssessable};
  static_cast<void>(zone_walk(writer, WalkStations(a, b, sense, false), b, sense, texts, false, judge));
}

void pedestrian_visibility(Console& console, const RoadModel& model, const SightParameters& params,
                           int sense) {
  write_section_line(console, kPedestrianTitle, sense);
  const UsableStations usable = usable_stations(model);
  if (!usable.valid) return;
  const double d = sense < 0 ? -1.0 : 1.0;
  const double a = sense > 0 ? usable.first : usable.last;
  const double b = sense > 0 ? usable.last : usable.first;
  const SpeedCapInputs caps = params.speed_cap_inputs();
  const double crossing_time = params.right_width + kPedestrianExtraWidth;  // s, one per metre
  RunSeries& series = console.series();
  const std::string required_name = series_name("pedestrian_required", sense);
  const std::string available_name = series_name("pedestrian_available", sense);
  const auto judge = [&](double s) {
    StationVerdict v;
    AxisPoint p;
    static_cast<void>(evaluate_axis_point(model, s, sense, &caps, p));
    const double speed = operating_speed(model, p, sense, params);
    const double needed = std::ceil(2.0 * crossing_time * speed / kKmhPerMs) / 2.0;
    SightDistance seen{0.0, SightStatus::kReal};
    if (d * s >= d * a + needed) {
      AxisPoint driver;
      static_cast<void>(evaluate_axis_point(model, s - d * needed, sense, &caps, driver));
      seen = sight_distance(model, driver, params, false, sense, SightRole::kObserver);
      if (seen.status == SightStatus::kNotMeasured) return v;
    }
    series.set(required_name, s, needed);
    if (seen.status == SightStatus::kReal) series.set(available_name, s, seen.distance);
    v.measured = true;
    v.deficient = !(seen.distance >= needed);
    v.cut = seen.status == SightStatus::kCutByRoadEnd;
    return v;
  };
  ZoneWriter writer(console, model.station_equations(), "pedestrian", sense, false);
  const ZoneMessages texts{kSightTooShort, kSightSufficient, kSightNotAssessable, kSightNotAssessable};
  const WalkEnd w = zone_walk(writer, WalkStations(a, b, sense, true), b, sense, texts, true, judge);

  write_log(static_cast<int>(w.zone), w.last_evaluated, w.zone_start, w.last_reported, w.last_deficient);
  // A walk cut by the road's end has listed everything up to the walk's end.
  if (!w.any_evaluated || w.ended_by_road_end) return;
  if (w.zone != Zone::kNone) {
    if (d * w.last_evaluated > d * w.zone_start) {
      if (w.zone == Zone::kInitial) {
        writer.write(w.zone_start, w.last_evaluated, 'G', texts.initial);
      } else {
        writer.write(w.zone_start, w.last_evaluated, 'C', texts.deficient);
      }
    }
  } else if (d * w.last_evaluated > d * w.last_reported) {
    writer.write(w.last_reported, w.last_evaluated, 'A', texts.satisfactory);
  }
}

void passing_visibility(Console& console, const RoadModel& model, const SightParameters& params, int sense) {
  write_section_line(console, kPassingTitle, sense);
  const UsableStations usable = usable_stations(model);
  ZoneWriter writer(console, model.station_equations(), "passing", sense, true);
  if (usable.valid) {
    const double a = sense > 0 ? usable.first : usable.last;
    const double b = sense > 0 ? usable.last : usable.first;
    const SpeedCapInputs caps = params.speed_cap_inputs();
    RunSeries& series = console.series();
    const std::string available_name = series_name("passing_available", sense);
    const std::string possible_name = series_name("passing_possible", sense);
    const auto judge = [&](double s) {
      StationVerdict v;
      AxisPoint p;
      static_cast<void>(evaluate_axis_point(model, s, sense, &caps, p));
      const double speed = operating_speed(model, p, sense, params);
      const double required = kPassingRequiredTime * speed / kKmhPerMs + kPassingRequiredMargin;
      const SightDistance seen =
          sight_distance(model, p, params, false, sense, SightRole::kObserver, required);
      if (seen.status == SightStatus::kNotMeasured) return v;
      v.measured = true;
      v.deficient = !(seen.distance >= kPassingSightDistance - kFullReachTolerance);
      v.cut = seen.status == SightStatus::kCutByRoadEnd;
      if (!v.cut) {
        series.set(available_name, s, seen.distance);
        series.set(possible_name, s, v.deficient ? 0.0 : 1.0);
      }
      return v;
    };
    const ZoneMessages texts{kNoPassing, kPassingPossible, kPassingNotAssessable, kPassingNotAssessable};
    static_cast<void>(zone_walk(writer, WalkStations(a, b, sense, false), b, sense, texts, false, judge));
  }

  // The share of the usable road; a road without usable length has none.
  const double length = usable.valid ? usable.last - usable.first : 0.0;
  const int percent = length > 0.0 ? static_cast<int>(std::round(100.0 * writer.total() / length)) : 0;
  FindingRecord r;
  r.review = Review::kVisibility;
  r.check = "passing_summary";
  r.from = usable.valid ? usable.first : 0.0;
  r.to = usable.valid ? usable.last : 0.0;
  r.direction = direction_of_sense(sense);
  r.verdict = percent < kMinPassingPercent ? Verdict::kFail : Verdict::kOk;
  r.message = kPassingSummary;
  r.values = {writer.total(), static_cast<double>(percent)};
  r.text = passing_summary_line(r);
  console.write_finding(false, std::move(r));
}

void visibility_analyses(Console& console, const RoadModel& model, int road_type,
                         const CrossSection& cross_section, SenseWalks senses) {
  if (!model.has_plan() || !model.has_profile()) return;
  const SightParameters lanes = sight_parameters(SightKind::kObstacle, road_type, cross_section);

  keep_road_series(console, model);
  start_analysis_listing(console, kVisibilityAnalysesTitle, road_type);
  write_parameter_line(console, kLaneWidthLabel, cross_section.lane_width_dm / 10.0);
  if (lanes.lane_class > kLaneClassThreeLanes) {
    write_parameter_line(console, kReserveWidthLabel, cross_section.median_width_dm / 10.0);
    const std::string word = yes_no_word(cross_section.median_blocks_sight != 0 ? 1 : 0);
    // Appended to: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string.
    std::string shown = " ";
    shown += utf8_prefix(word, kYesNoShownWidth);
    write_parameter_line(console, kReserveMasksLabel, shown);
  }
  write_parameter_line(console, kSideClearanceLabel, cross_section.side_clearance_dm / 10.0);

  write_log();
  write_log("Nb voies", lanes.lane_class);
  log_title("Analyse entrées de courbe");
  curve_entry_check(console, model, sight_parameters(SightKind::kCurveEntry, road_type, cross_section));

  const SightParameters obstacle = sight_parameters(SightKind::kObstacle, road_type, cross_section);
  // After the obstacles: pedestrians on two-lane VSA AU70 roads, passing on
  // roads of up to three lanes of the other types, or nothing.
  enum class SecondWalk { kNone, kPedestrians, kPassing };
  SecondWalk second = SecondWalk::kNone;
  if (road_type >= kFirstPedestrianRoadType && road_type <= kLastPedestrianRoadType) {
    if (lanes.lane_class == kLaneClassTwoLanes) second = SecondWalk::kPedestrians;
  } else if (lanes.lane_class <= kLaneClassThreeLanes) {
    second = SecondWalk::kPassing;
  }
  const SightParameters second_params =
      second == SecondWalk::kPedestrians ? sight_parameters(SightKind::kPedestrians, road_type, cross_section)
      : second == SecondWalk::kPassing   ? sight_parameters(SightKind::kPassing, road_type, cross_section)
                                         : obstacle;
  const auto second_walk = [&](Console& out, const RoadModel& road, int sense) {
    if (second == SecondWalk::kPedestrians) pedestrian_visibility(out, road, second_params, sense);
    if (second == SecondWalk::kPassing) passing_visibility(out, road, second_params, sense);
  };

  if (diagnostic_log_active()) {
    // One sense after the other, so that the log reads in the listing's order.
    log_title("Visibilité sur obstacle");
    log_title("Visibilité sur obstacle sens aller");
    obstacle_visibility(console, model, obstacle, +1);
    log_title("Visibilité sur obstacle sens retour");
    obstacle_visibility(console, model, obstacle, -1);
    const char* title =
        second == SecondWalk::kPedestrians ? "Visibilité pour les piétons" : "Visibilité de dépassement";
    if (second != SecondWalk::kNone) {
      log_title(title);
      log_title(std::string(title) + " sens aller");
      second_walk(console, model, +1);
      log_title(std::string(title) + " sens retour");
      second_walk(console, model, -1);
    }
    return;
  }

  // The backward walks run on their own copy of the model (the station
  // lookups remember where they are), into consoles of their own that are
  // appended in the listing's order afterwards; on a thread of their own
  // unless the senses are to run one after the other.
  Console backward_obstacles;
  Console forward_second;
  Console backward_second;
  for (Console* part : {&backward_obstacles, &forward_second, &backward_second}) {
    part->series().adopt_grid(console.series());
  }
  // The copy is made here, before the forward walks move the lookups.
  const RoadModel backward_model = model;
  const auto backward_walks = [&] {
    obstacle_visibility(backward_obstacles, backward_model, obstacle, -1);
    second_walk(backward_second, backward_model, -1);
  };
  if (senses == SenseWalks::kConcurrent) {
    const std::jthread backward(backward_walks);
    obstacle_visibility(console, model, obstacle, +1);
    second_walk(forward_second, model, +1);
  } else {
    obstacle_visibility(console, model, obstacle, +1);
    second_walk(forward_second, model, +1);
    backward_walks();
  }
  console.append(backward_obstacles);
  console.append(forward_second);
  console.append(backward_second);
}

}  // namespace corvalinde
