#include "import/native_design_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <streambuf>
#include <system_error>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "import/content_digest.h"
#include "import/design_bounds.h"
#include "import/design_file.h"
#include "import/fortran_fields.h"
#include "import/plan_continuity.h"
#include "import/reader_lines.h"
#include "import/text_encoding.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "output/visible_text.h"
#include "road/plan_geometry.h"
#include "services/message_table.h"
#include "services/utf8_decoder.h"

namespace corvalinde {
namespace {

// Console messages of the reader.
enum : int {
  kMsgUnreadableFile = 9,   // with the file name, when nothing was read
  kMsgReading = 55,         // heading, with the file name
  kMsgRadiusUnusable = 61,  // template: element name, station, radius
  kMsgReadingEnded = 123,   // heading, after the file is closed
  kMsgPlanCount = 141,      // template: number of plan elements
  kMsgPlanDiscarded = 143,
  kMsgProfileCount = 211,  // template: number of profile elements
  kMsgProfileKindZero = 212,
  kMsgProfileDiscarded = 213,
  kMsgCrossfallCount = 281,  // template: number of crossfall intervals
  kMsgCrossfallDiscarded = 283,
};

// The current file version; headers above it are not ours.
constexpr long long kVersion400 = 400;
// Longest line accepted (the widest record is 128 columns; free-format
// crossfall lines may be longer, but not this long).
constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;
// The smallest arc radius (m) read; smaller ones are refused.
constexpr double kSmallestRadius = 1e-4;
// Decimals kept of a parabola's radius.
constexpr int kStoredDecimals = 4;
// Items reserved up front at most, whatever a header's count claims.
constexpr std::size_t kMaxReserve = 10000;
// Crossfall points per free-format group.
constexpr long long kPointsPerGroup = 4;

constexpr int kAllTables = kMaskPlan | kMaskProfile | kMaskCrossfall;

// ---------------------------------------------------------------------------
// Lines of the file: whole lines (never cut at a column), without the line
// end, with the UTF-8 byte-order mark dropped. A line that is not valid UTF-8
// comes from the older, single-byte files and is decoded as Windows-1252.

std::string decode_windows_1252(std::string_view bytes) {
  // Code points of 0x80..0x9F; the five unassigned bytes keep their value.
  static constexpr std::array<unsigned, 32> kHigh = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    append_utf8(out, b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80u] : b);
  }
  return out;
}

class LineSource {
 public:
  explicit LineSource(std::istream& input) : buffer_(input.rdbuf()) {}

  // The next line into `line`; false at the end of the file or on a read
  // error (an over-long line counts as one).
  bool next(std::string& line) {
    line.clear();
    if (buffer_ == nullptr || failed_) return false;
    if (!head_taken_) take_head();
    bool any = false;
    while (true) {
      const int c = next_byte();
      if (c == std::char_traits<char>::eof()) break;
      any = true;
      if (c == '\n') break;
      if (line.size() >= kMaxLineBytes) {
        failed_ = true;
        return false;
      }
      line += static_cast<char>(c);
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first_) {
      first_ = false;
      if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    }
    if (!is_valid_utf8(line)) line = decode_windows_1252(line);
    return true;
  }

 private:
  // The file's first bytes: a file saved as UTF-16 is decoded as it is read
  // (only as far as the reading goes); any other is read on from the stream
  // after them.
  void take_head() {
    head_taken_ = true;
    constexpr std::streamsize kHeadBytes = 4;
    head_.resize(static_cast<std::size_t>(kHeadBytes));
    head_.resize(
        static_cast<std::size_t>(std::max<std::streamsize>(buffer_->sgetn(head_.data(), kHeadBytes), 0)));
    utf16_ = detect_utf16(head_);
    if (utf16_) head_position_ = utf16_->mark_bytes;
  }

  int raw_byte() {
    if (head_position_ < head_.size()) return static_cast<unsigned char>(head_[head_position_++]);
    return buffer_->sbumpc();
  }

  // The next UTF-16 code unit, or nothing at the end (an odd last byte is
  // dropped).
  std::optional<char32_t> next_unit() {
    if (lookahead_) return std::exchange(lookahead_, std::nullopt);
    const int a = raw_byte();
    if (a == std::char_traits<char>::eof()) return std::nullopt;
    const int b = raw_byte();
    if (b == std::char_traits<char>::eof()) return std::nullopt;
    const auto first = static_cast<char32_t>(a);
    const auto second = static_cast<char32_t>(b);
    return utf16_->little_endian ? first | second << 8 : first << 8 | second;
  }

  // Decodes the next character of a UTF-16 file into utf8_; false at the end.
  // An unpaired surrogate becomes U+FFFD.
  bool decode_next_character() {
    constexpr char32_t kReplacement = 0xFFFD;
    const std::optional<char32_t> unit = next_unit();
    if (!unit) return false;
    char32_t c = *unit;
    if (c >= 0xD800 && c <= 0xDBFF) {
      const std::optional<char32_t> low = next_unit();
      if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (*low - 0xDC00);
      } else {
        c = kReplacement;
        lookahead_ = low;
      }
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      c = kReplacement;
    }
    utf8_.clear();
    utf8_position_ = 0;
    append_utf8(utf8_, c);
    return true;
  }

  int next_byte() {
    if (!utf16_) return raw_byte();
    if (utf8_position_ >= utf8_.size() && !decode_next_character()) return std::char_traits<char>::eof();
    return static_cast<unsigned char>(utf8_[utf8_position_++]);
  }

  std::streambuf* buffer_;
  std::string head_;  // the first bytes, read ahead
  std::size_t head_position_ = 0;
  bool head_taken_ = false;
  std::optional<Utf16Layout> utf16_;   // set for a file in UTF-16
  std::optional<char32_t> lookahead_;  // a code unit read past an unpaired surrogate
  std::string utf8_;                   // the current character of a UTF-16 file, in UTF-8
  std::size_t utf8_position_ = 0;
  bool first_ = true;
  bool failed_ = false;
};

// ---------------------------------------------------------------------------
// Section headers.

struct SectionHeader {
  long long section = 0;
  long long version = 0;
  long long count = 0;
};

std::optional<SectionHeader> decode_header(std::string_view text) {
  const ColumnLine line(text);
  const std::size_t length = line.trimmed_length();
  if (length != 13 && length != 14) return std::nullopt;
  const std::optional<long long> section = read_fixed_integer(line.field(1, 3));
  // A 13-character header carries its version in columns 7-9, a 14-character
  // one in columns 8-10, and then it must be the current version.
  const std::optional<long long> version = read_fixed_integer(line.field(length == 13 ? 7 : 8, 3));
  if (!section || !version) return std::nullopt;
  if (length == 13 ? *version > kVersion400 : *version != kVersion400) return std::nullopt;
  // Older files count in columns 4-6 unless these read "***" (the count did
  // not fit there); otherwise the count starts in column 10, which on a
  // 14-character line is also the version's last column.
  const bool old_count = *version < kVersion400 && line.field(4, 3) != "***";
  const std::optional<long long> count = read_free_integer(old_count ? line.field(4, 3) : line.field(10, 4));
  if (!count || *count < 0) return std::nullopt;
  return SectionHeader{*section, *version, *count};
}

// ---------------------------------------------------------------------------
// Fixed-column records.

struct RealField {
  std::size_t first;  // 1-based column
  std::size_t width;
  double* target;
};

bool read_reals(const ColumnLine& line, std::initializer_list<RealField> fields) {
  for (const RealField& f : fields) {
    const std::optional<double> value = read_fixed_real(line.field(f.first, f.width));
    if (!value) return false;
    *f.target = *value;
  }
  return true;
}

// A name field without trailing blanks, its control characters made visible;
// a blank one becomes E + the 3-digit element number.
std::string element_name(const ColumnLine& line, std::size_t first, std::size_t width, std::size_t number) {
  const std::string field(line.field(first, width));
  const std::string_view name = trim_right(field);
  if (is_blank(name)) return fmt::format("E{:03d}", number);
  return visible_text(name);
}

// Clothoid orientation and turn characters: "0" gives -1, "2" gives +1.
std::optional<std::int8_t> sign_character(std::string_view c) {
  if (c == "0") return std::int8_t{-1};
  if (c == "2") return std::int8_t{1};
  return std::nullopt;
}

bool all_finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// ---------------------------------------------------------------------------

class NativeReader {
 public:
  NativeReader(Console& console, RoadModel& model, LineSource& lines)
      : console_(console), model_(model), lines_(lines) {}

  // Reads sections until all three tables are complete or the reading ends.
  void read_sections() {
    std::string line;
    while (mask_ != kAllTables) {
      if (!lines_.next(line)) return;
      const std::optional<SectionHeader> header = decode_header(line);
      if (!header || !read_section(*header)) return;
    }
  }

  // Announces and discards every table that is present or was begun but not
  // completed, and returns the mask.
  int finish() {
    struct Table {
      int bit;
      int message;
      bool present;
      void (RoadModel::*discard)();
    };
    const std::array<Table, 3> tables = {{
        {kMaskPlan, kMsgPlanDiscarded, model_.has_plan(), &RoadModel::discard_plan},
        {kMaskProfile, kMsgProfileDiscarded, model_.has_profile(), &RoadModel::discard_profile},
        {kMaskCrossfall, kMsgCrossfallDiscarded, model_.has_crossfall(), &RoadModel::discard_crossfall},
    }};
    for (const Table& t : tables) {
      if ((t.present || (begun_ & t.bit) != 0) && (mask_ & t.bit) == 0) {
        console_write_message(console_, kConsoleOrdinary, t.message);
        (model_.*t.discard)();
      }
    }
    return mask_;
  }

 private:
  // Reads one section after its header; false ends the reading.
  bool read_section(const SectionHeader& h) {
    switch (h.section) {
      case 1:
        return skip_lines(h.count);
      case 2:
      case 5:
      case 6:
      case 7:
      case 8:
        return skip_items(h.count, h.section == 2 && h.version < kVersion400 ? 6 : 5);
      case 3:
        return read_table(kMaskPlan, h, &NativeReader::read_plan);
      case 4:
        return read_table(kMaskProfile, h, &NativeReader::read_profile);
      case 10:
        return read_table(kMaskCrossfall, h, &NativeReader::read_crossfall);
      case 11:
        return skip_lines((h.count + 5) / 6);
      default:
        return false;
    }
  }

  bool skip_lines(long long count) {
    std::string line;
    for (long long i = 0; i < count; ++i) {
      if (!lines_.next(line)) return false;
    }
    return true;
  }

  // Each item: a line whose columns 1-2 give m, then (m - 1) div k lines.
  bool skip_items(long long count, long long k) {
    std::string line;
    for (long long i = 0; i < count; ++i) {
      if (!lines_.next(line)) return false;
      const std::optional<long long> m = read_fixed_integer(ColumnLine(line).field(1, 2));
      if (!m || !skip_lines((*m - 1) / k)) return false;
    }
    return true;
  }

  // A table section: a second one of a kind ends the reading (the first one
  // is kept); count 0 stores nothing; otherwise the table is begun, and a
  // failure part way leaves its bit unset.
  bool read_table(int bit, const SectionHeader& h, bool (NativeReader::*read)(const SectionHeader&)) {
    if ((seen_ & bit) != 0) return false;
    seen_ |= bit;
    if (h.count == 0) return true;
    begun_ |= bit;
    return (this->*read)(h);
  }

  // Writes why item `number` is refused, if it is; false ends the reading.
  bool accept_item(long long number, ItemCheck check) {
    if (check == ItemCheck::kOk) return true;
    console_write(console_, kConsoleOrdinary,
                  format_message(refused_item_message(check), kListingLineWidth, static_cast<int>(number)));
    return false;
  }

  static std::size_t reserve_size(long long count) {
    return static_cast<std::size_t>(std::min<long long>(count, static_cast<long long>(kMaxReserve)));
  }

  // Section 3: two lines per element.
  bool read_plan(const SectionHeader& h) {
    std::vector<PlanElement> elements;
    elements.reserve(reserve_size(h.count));
    std::string first;
    std::string second;
    TableStations order;
    for (long long i = 1; i <= h.count; ++i) {
      if (!lines_.next(first) || !lines_.next(second)) return false;
      PlanElement e;
      if (!decode_plan_element(ColumnLine(first), ColumnLine(second), h.version, static_cast<std::size_t>(i),
                               e)) {
        return false;
      }
      if (e.kind() == kPlanArc && !(std::fabs(e.arc()->radius) >= kSmallestRadius)) {
        // 0, a subnormal or a radius of a fraction of a millimetre: every
        // evaluation would divide by it or print it as 0.
        console_write(
            console_, kConsoleOrdinary,
            format_message(kMsgRadiusUnusable, kListingLineWidth, e.name, e.start_station, e.arc()->radius));
        return false;
      }
      if (!accept_item(i, check_plan_item(order, e))) {
        return false;
      }
      elements.push_back(std::move(e));
    }
    console_write(console_, kConsoleOrdinary,
                  format_message(kMsgPlanCount, kListingLineWidth, static_cast<int>(elements.size())));
    report_plan_misses(console_, elements, {});
    model_.set_plan(std::move(elements));
    mask_ |= kMaskPlan;
    return true;
  }

  static bool decode_plan_element(const ColumnLine& l1, const ColumnLine& l2, long long version,
                                  std::size_t number, PlanElement& e) {
    const std::string_view kind = l1.character(1);
    if (kind != "1" && kind != "2" && kind != "3") return false;
    // The six geometry numbers in the order of the record: line a, b, c,
    // heading (then 0, 0); arc centre x, y, signed radius, start and end
    // angles (then 0); clothoid A, origin x, y, origin heading, tau near, tau far.
    double v[6] = {};
    bool ok = false;
    if (version >= kVersion400) {
      e.name = element_name(l1, 2, 6, number);
      ok = read_reals(l1, {{10, 23, &v[0]},
                           {33, 23, &v[1]},
                           {56, 23, &v[2]},
                           {79, 16, &v[3]},
                           {95, 16, &v[4]},
                           {111, 16, &v[5]}}) &&
           read_reals(l2, {{1, 13, &e.start_station},
                           {14, 13, &e.start_x},
                           {27, 13, &e.start_y},
                           {40, 13, &e.end_station},
                           {53, 13, &e.end_x},
                           {66, 13, &e.end_y}});
    } else {
      e.name = element_name(l1, 4, 4, number);
      ok = read_reals(
               l1, {{10, 23, &v[0]}, {33, 23, &v[1]}, {56, 23, &v[2]}, {79, 20, &v[3]}, {99, 20, &v[4]}}) &&
           read_reals(l2, {{1, 19, &v[5]},
                           {20, 18, &e.start_station},
                           {38, 18, &e.start_x},
                           {56, 18, &e.start_y},
                           {74, 18, &e.end_station},
                           {92, 18, &e.end_x},
                           {110, 18, &e.end_y}});
    }
    if (!ok) return false;

    if (kind == "1") {
      e.geometry = LineGeometry{v[0], v[1], v[2], v[3]};
      return true;
    }
    if (kind == "2") {
      // The start angle is kept as written: a rounded angle turns the whole
      // arc and moves its end by up to R x the rounding. A radius too small
      // for any circle is refused by the caller.
      e.geometry = ArcGeometry{v[0], v[1], v[2], v[3], v[4]};
      return true;
    }
    const std::optional<std::int8_t> orientation = sign_character(l1.character(8));
    const std::optional<std::int8_t> turn = sign_character(l1.character(9));
    if (!orientation || !turn) return false;
    const ClothoidGeometry clothoid{std::fabs(v[0]), v[1], v[2], v[3], v[4], v[5], *orientation, *turn};
    e.geometry = clothoid;
    // Curvature l/A^2 and the length A*sqrt(2 tau) need A > 0 and tau >= 0.
    return clothoid.parameter > 0.0 && clothoid.tau_near >= 0.0 && clothoid.tau_far >= 0.0;
  }

  // Section 4: one line per element.
  bool read_profile(const SectionHeader& h) {
    std::vector<ProfileElement> elements;
    elements.reserve(reserve_size(h.count));
    std::string text;
    TableStations order;
    for (long long i = 1; i <= h.count; ++i) {
      if (!lines_.next(text)) return false;
      const ColumnLine line(text);
      const std::string_view kind = line.character(1);
      if (kind == "0") {
        console_write_message(console_, kConsoleOrdinary, kMsgProfileKindZero);
        return false;
      }
      if (kind != "1" && kind != "2") return false;
      ProfileElement e;
      e.kind = kind == "1" ? kProfileGrade : kProfileParabola;
      const ProfileElement* previous = elements.empty() ? nullptr : &elements.back();
      if (!decode_profile_element(line, h.version, static_cast<std::size_t>(i), previous, e)) {
        return false;
      }
      if (!accept_item(i, check_profile_item(order, e))) {
        return false;
      }
      elements.push_back(std::move(e));
    }
    console_write(console_, kConsoleOrdinary,
                  format_message(kMsgProfileCount, kListingLineWidth, static_cast<int>(elements.size())));
    model_.set_profile(std::move(elements));
    mask_ |= kMaskProfile;
    return true;
  }

  static bool decode_profile_element(const ColumnLine& line, long long version, std::size_t number,
                                     const ProfileElement* previous, ProfileElement& e) {
    const bool parabola = e.kind == kProfileParabola;
    if (version >= kVersion400) {
      e.name = element_name(line, 2, 6, number);
      if (!read_reals(line, {{8, 13, &e.start_station},
                             {21, 13, &e.start_elevation},
                             {34, 13, &e.end_station},
                             {47, 13, &e.end_elevation},
                             {60, 23, &e.grade_or_radius},
                             {83, 23, &e.vertex_station},
                             {106, 23, &e.vertex_elevation}})) {
        return false;
      }
      if (e.end_station < e.start_station) {
        std::swap(e.start_station, e.end_station);
        std::swap(e.start_elevation, e.end_elevation);
      }
      if (parabola) e.grade_or_radius = round_to_decimals(e.grade_or_radius, kStoredDecimals);
    } else {
      // Older files give each element's end and length; the start is the end
      // of the element before, and for the first one lies its length back.
      e.name = element_name(line, 2, 4, number);
      double length = 0.0;
      if (!read_reals(line, {{6, 23, &e.end_station},
                             {29, 13, &e.end_elevation},
                             {42, 23, &length},
                             {65, 23, &e.grade_or_radius},
                             {88, 23, &e.vertex_station},
                             {111, 13, &e.vertex_elevation}})) {
        return false;
      }
      if (parabola) e.grade_or_radius = round_to_decimals(e.grade_or_radius, kStoredDecimals);
      if (previous != nullptr) {
        e.start_station = previous->end_station;
        e.start_elevation = previous->end_elevation;
      } else {
        e.start_station = e.end_station - length;
        if (parabola) {
          if (e.grade_or_radius == 0.0) return false;
          const double d = e.start_station - e.vertex_station;
          e.start_elevation = e.vertex_elevation + d * d / (2.0 * e.grade_or_radius);
        } else {
          e.start_elevation = e.end_elevation - length * e.grade_or_radius / 100.0;
        }
      }
    }
    // A parabola of radius 0 has no finite elevation anywhere off its vertex.
    if (parabola && e.grade_or_radius == 0.0) return false;
    return all_finite({e.start_station, e.start_elevation, e.end_station, e.end_elevation});
  }

  // Section 10: count points of three free-format values, in groups of four
  // points, each group starting on a new line.
  bool read_crossfall(const SectionHeader& h) {
    std::vector<CrossfallPoint> points;
    points.reserve(reserve_size(h.count));
    std::string text;
    TableStations order;
    for (long long done = 0; done < h.count; done += kPointsPerGroup) {
      const long long in_group = std::min(kPointsPerGroup, h.count - done);
      std::array<double, 3 * kPointsPerGroup> values{};
      const auto wanted = static_cast<std::size_t>(3 * in_group);
      ListDirectedInput input;
      std::size_t got = 0;
      while (got < wanted) {
        if (!lines_.next(text)) return false;
        input.feed(text);
        ListDirectedInput::Result r = ListDirectedInput::Result::kEndOfRecord;
        while (got < wanted && (r = input.next_real(values[got])) == ListDirectedInput::Result::kValue) {
          ++got;
        }
        if (got < wanted && r == ListDirectedInput::Result::kUnreadable) return false;
      }
      for (std::size_t k = 0; k < wanted; k += 3) {
        const CrossfallPoint p{values[k], values[k + 1], values[k + 2]};
        if (!accept_item(static_cast<long long>(points.size()) + 1, check_crossfall_item(order, p)))
          return false;
        points.push_back(p);
      }
    }
    // One point encloses no interval: the table stays incomplete.
    if (h.count < 2) return true;
    console_write(console_, kConsoleOrdinary,
                  format_message(kMsgCrossfallCount, kListingLineWidth, static_cast<int>(points.size() - 1)));
    model_.set_crossfall(std::move(points));
    mask_ |= kMaskCrossfall;
    return true;
  }

  Console& console_;
  RoadModel& model_;
  LineSource& lines_;
  int mask_ = 0;
  int seen_ = 0;   // table sections met (a second one ends the reading)
  int begun_ = 0;  // table sections begun with a count above 0
};

std::size_t suffix_offset(std::string_view text, std::size_t keep) {
  const std::size_t length = utf8_length(text);
  return keep >= length ? 0 : utf8_prefix(text, length - keep).size();
}

// `refusal`: the line saying why the file could not be opened (no input then).
int read_design(Console& console, RoadModel& model, std::istream* input, std::string_view file_name,
                const std::string& refusal = {}) {
  console_write(console, kConsoleHeadingLine, file_message_line(kMsgReading, file_name));
  if (!refusal.empty()) console_write(console, kConsoleOrdinary, refusal);
  std::istream empty(nullptr);
  LineSource lines(input != nullptr ? *input : empty);
  NativeReader reader(console, model, lines);
  try {
    reader.read_sections();
  } catch (...) {
    // A failing stream or allocation ends the reading like an early end of
    // the file: the table under way is discarded below.
  }
  console_write_message(console, kConsoleHeadingLine, kMsgReadingEnded);
  const int mask = reader.finish();
  if (mask == 0) console_write(console, kConsoleOrdinary, file_message_line(kMsgUnreadableFile, file_name));
  return mask;
}

}  // namespace

std::string shorten_path_for_display(std::string_view path, std::size_t width) {
  const std::size_t length = utf8_length(path);
  if (length <= width) return std::string(path);
  static constexpr std::string_view kEllipsis = "...";
  if (width <= kEllipsis.size()) return std::string(utf8_prefix(kEllipsis, width));
  const auto is_separator = [](char c) { return c == '/' || c == '\\'; };

  // Head: the first component with its separator ("/home/", "C:\").
  std::size_t head_end = 0;
  while (head_end < path.size() && is_separator(path[head_end])) ++head_end;
  while (head_end < path.size() && !is_separator(path[head_end])) ++head_end;
  if (head_end < path.size()) ++head_end;
  const std::string_view head = path.substr(0, head_end);

  // Tail: the longest run of final components (with the separator before
  // them) that fits beside the head.
  std::string_view best_tail;
  for (std::size_t i = path.size(); i-- > head_end;) {
    if (!is_separator(path[i])) continue;
    const std::string_view tail = path.substr(i);
    if (utf8_length(head) + kEllipsis.size() + utf8_length(tail) > width) break;
    best_tail = tail;
  }
  if (!best_tail.empty()) return std::string(head) + std::string(kEllipsis) + std::string(best_tail);
  // Not even the file name fits beside the head: keep the end of the path.
  return std::string(kEllipsis) + std::string(path.substr(suffix_offset(path, width - kEllipsis.size())));
}

int read_native_design(Console& console, RoadModel& model, std::istream& input, std::string_view file_name) {
  return read_design(console, model, &input, file_name);
}

int read_native_design(Console& console, RoadModel& model, const std::string& path, std::string* sha256) {
  DesignFile file = DesignFile::open(path);
  if (!file.is_open()) return read_design(console, model, nullptr, path, refusal_line(file.status()));
  ContentDigest digest;
  DesignFileBuffer buffer(file, sha256 != nullptr ? &digest : nullptr);
  std::istream stream(&buffer);
  const int mask = read_design(console, model, &stream, path);
  if (sha256 != nullptr) {
    buffer.drain();  // what the reading did not reach: the digest is of the file
    *sha256 = digest.finish();
  }
  return mask;
}

}  // namespace corvalinde
