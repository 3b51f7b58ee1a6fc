#include "import/native_design_writer.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <fmt/format.h>

#include "output/utf8.h"

namespace corvalinde {
namespace {

constexpr int kVersion = 400;
// The count field of a header has four columns.
constexpr std::size_t kMaxItems = 9999;
// Column widths and decimals of the version-400 records.
constexpr int kExponentWidth = 23;  // plan values A, B, C; profile grade/radius and vertex
constexpr int kExponentDecimals = 16;
constexpr int kAngleWidth = 16;  // plan direction, tau near, tau far
constexpr int kAngleDecimals = 13;
constexpr int kStationWidth = 13;  // stations, coordinates, elevations
constexpr int kStationDecimals = 5;
constexpr std::size_t kNameWidth = 6;
constexpr std::size_t kPointsPerLine = 4;

class RecordBuilder {
 public:
  // `decimals` in fixed notation when the value fits the width, else fewer
  // decimals, else exponent form with as many digits as fit.
  void fixed(double value, int width, int decimals) {
    if (!std::isfinite(value)) {
      ok_ = false;
      return;
    }
    const auto w = static_cast<std::size_t>(width);
    for (int d = decimals; d >= 0; --d) {
      const std::string text = fmt::format("{:.{}f}", value, d);
      if (text.size() <= w) {
        text_ += fmt::format("{:>{}}", text, w);
        return;
      }
    }
    exponent(value, width, decimals);
  }

  void exponent(double value, int width, int decimals) {
    if (!std::isfinite(value)) {
      ok_ = false;
      return;
    }
    const auto w = static_cast<std::size_t>(width);
    for (int d = decimals; d >= 0; --d) {
      const std::string text = fmt::format("{:.{}E}", value, d);
      if (text.size() <= w) {
        text_ += fmt::format("{:>{}}", text, w);
        return;
      }
    }
    ok_ = false;
  }

  void character(char c) { text_ += c; }
  void name(const std::string& name) { text_ += utf8_fit(name, kNameWidth); }

  // The record as a line; false when a value could not be written.
  bool end_line(std::ostream& out) {
    const bool ok = ok_;
    if (ok) out << text_ << '\n';
    text_.clear();
    ok_ = true;
    return ok;
  }

 private:
  std::string text_;
  bool ok_ = true;
};

// "0", "1", "2" for -1, 0, +1.
std::optional<char> sign_character(std::int8_t value) {
  if (value < -1 || value > 1) return std::nullopt;
  return static_cast<char>('1' + value);
}

void write_header(std::ostream& out, int section, std::size_t count) {
  out << fmt::format("{:>3}   {:>3}{:>4}\n", section, kVersion, count);
}

NativeWriteStatus write_plan(const RoadModel& model, std::ostream& out) {
  write_header(out, 3, model.plan_count());
  RecordBuilder r;
  for (const PlanElement& e : model.plan_elements()) {
    const ClothoidGeometry* clothoid = e.clothoid();
    const std::optional<char> orientation = sign_character(clothoid != nullptr ? clothoid->orientation : 0);
    const std::optional<char> turn = sign_character(clothoid != nullptr ? clothoid->turn : 0);
    if (e.kind() < kPlanLine || e.kind() > kPlanClothoid || !orientation || !turn) {
      return NativeWriteStatus::kBadRecord;
    }
    r.character(static_cast<char>('0' + e.kind()));
    r.name(e.name);
    r.character(*orientation);
    r.character(*turn);
    // The geometry numbers come in the record's order: three values, then
    // three angles.
    const std::array<double, 6> numbers = e.geometry_numbers();
    for (std::size_t k = 0; k < 3; ++k) r.exponent(numbers[k], kExponentWidth, kExponentDecimals);
    for (std::size_t k = 3; k < 6; ++k) r.fixed(numbers[k], kAngleWidth, kAngleDecimals);
    if (!r.end_line(out)) return NativeWriteStatus::kValueNotWritable;
    for (const double v : {e.start_station, e.start_x, e.start_y, e.end_station, e.end_x, e.end_y}) {
      r.fixed(v, kStationWidth, kStationDecimals);
    }
    if (!r.end_line(out)) return NativeWriteStatus::kValueNotWritable;
  }
  return NativeWriteStatus::kOk;
}

NativeWriteStatus write_profile(const RoadModel& model, std::ostream& out) {
  write_header(out, 4, model.profile_count());
  RecordBuilder r;
  for (const ProfileElement& e : model.profile_elements()) {
    if (e.kind != kProfileGrade && e.kind != kProfileParabola) return NativeWriteStatus::kBadRecord;
    r.character(static_cast<char>('0' + e.kind));
    r.name(e.name);
    for (const double v : {e.start_station, e.start_elevation, e.end_station, e.end_elevation}) {
      r.fixed(v, kStationWidth, kStationDecimals);
    }
    for (const double v : {e.grade_or_radius, e.vertex_station, e.vertex_elevation}) {
      r.exponent(v, kExponentWidth, kExponentDecimals);
    }
    if (!r.end_line(out)) return NativeWriteStatus::kValueNotWritable;
  }
  return NativeWriteStatus::kOk;
}

// Free format, four points to a line; the shortest form that reads back to
// the same double.
NativeWriteStatus write_crossfall(const RoadModel& model, std::ostream& out) {
  write_header(out, 10, model.crossfall_count());
  const auto& points = model.crossfall_points();
  std::string line;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const CrossfallPoint& p = points[i];
    if (!std::isfinite(p.station) || !std::isfinite(p.left) || !std::isfinite(p.right)) {
      return NativeWriteStatus::kValueNotWritable;
    }
    line += fmt::format(" {} {} {}", p.station, p.left, p.right);
    if ((i + 1) % kPointsPerLine == 0 || i + 1 == points.size()) {
      out << line << '\n';
      line.clear();
    }
  }
  return NativeWriteStatus::kOk;
}

// The whole file as text, or the reason it cannot be written.
NativeWriteStatus compose(const RoadModel& model, std::string& text) {
  if (model.plan_count() > kMaxItems || model.profile_count() > kMaxItems ||
      model.crossfall_count() > kMaxItems) {
    return NativeWriteStatus::kTooManyItems;
  }
  if (!model.station_equations().equations.empty()) return NativeWriteStatus::kStationEquations;
  std::ostringstream out;
  NativeWriteStatus status = NativeWriteStatus::kOk;
  if (model.has_plan()) status = write_plan(model, out);
  if (status == NativeWriteStatus::kOk && model.has_profile()) status = write_profile(model, out);
  if (status == NativeWriteStatus::kOk && model.has_crossfall()) status = write_crossfall(model, out);
  if (status == NativeWriteStatus::kOk) text = std::move(out).str();
  return status;
}

}  // namespace

std::string_view native_write_status_text(NativeWriteStatus status) {
  switch (status) {
    case NativeWriteStatus::kOk:
      return "written";
    case NativeWriteStatus::kTooManyItems:
      return "a table holds more than 9999 items";
    case NativeWriteStatus::kValueNotWritable:
      return "a value is not finite or too wide for its columns";
    case NativeWriteStatus::kBadRecord:
      return "an element the format cannot hold (a transition other than a clothoid)";
    case NativeWriteStatus::kStationEquations:
      return "the plan has station equations, which the format cannot hold";
    case NativeWriteStatus::kIoError:
      return "the file could not be written";
  }
  return "unknown status";
}

NativeWriteStatus write_native_design(const RoadModel& model, std::ostream& output) {
  std::string text;
  const NativeWriteStatus status = compose(model, text);
  if (status != NativeWriteStatus::kOk) return status;
  output << text;
  return output.good() ? NativeWriteStatus::kOk : NativeWriteStatus::kIoError;
}

NativeWriteStatus write_native_design(const RoadModel& model, const std::string& path) {
  std::string text;
  const NativeWriteStatus status = compose(model, text);
  if (status != NativeWriteStatus::kOk) return status;
  std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!file.is_open()) return NativeWriteStatus::kIoError;
  file << text;
  file.close();
  if (!file.fail()) return NativeWriteStatus::kOk;
  std::error_code ignored;
  std::filesystem::remove(path, ignored);  // never a partial file
  return NativeWriteStatus::kIoError;
}

}  // namespace corvalinde
