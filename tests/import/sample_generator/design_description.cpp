#include "sample_generator/design_description.h"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include <fmt/format.h>

namespace corvalinde::sample {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// Arc start angles are stored with this many decimals.
constexpr int kAngleDecimals = 4;
constexpr double kAngleStep = 1e-4;
// Stations are stored with this many decimals.
constexpr int kStationDecimals = 5;

double normalize(double angle) {
  double r = std::fmod(angle, kTwoPi);
  if (r < 0.0) r += kTwoPi;
  return r >= kTwoPi ? 0.0 : r;
}

double round_decimals(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

struct Error {
  int line;
  std::string text;
};

// ---------------------------------------------------------------------------
// Statements of the description.

struct Words {
  int line = 0;
  std::vector<std::string> words;
  std::map<std::string, std::string> keys;
};

std::optional<double> to_number(std::string_view text) {
  double value = 0.0;
  const char* begin = text.data();
  if (!text.empty() && text[0] == '+') ++begin;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

double key_number(const Words& w, const std::string& key) {
  const auto it = w.keys.find(key);
  if (it == w.keys.end()) throw Error{w.line, fmt::format("missing {}=", key)};
  const std::optional<double> value = to_number(it->second);
  if (!value) throw Error{w.line, fmt::format("{}= is no number: {}", key, it->second)};
  return *value;
}

std::string key_text(const Words& w, const std::string& key) {
  const auto it = w.keys.find(key);
  if (it == w.keys.end()) throw Error{w.line, fmt::format("missing {}=", key)};
  return it->second;
}

struct PlanStart {
  double x = 0, y = 0, bearing = 0, station = 0;
};

enum class Kind { kLine, kArc, kClothoid };

struct PlanItem {
  int line = 0;
  std::string name;
  Kind kind = Kind::kLine;
  double length = 0;        // line, arc
  double radius = 0;        // arc: signed
  double a = 0;             // clothoid
  double to_curvature = 0;  // clothoid: signed curvature at its end
};

struct Pvi {
  int line = 0;
  double station = 0;
  double elevation = 0;
  double radius = 0;  // interior points only
};

struct CrossfallSpec {
  int line = 0;
  std::string where;
  double left = 0, right = 0;
};

struct Description {
  std::optional<PlanStart> start;
  std::vector<PlanItem> plan;
  std::vector<Pvi> profile;
  bool profile_ends_at_plan = false;
  std::vector<CrossfallSpec> crossfall;
};

Description parse(const std::string& text) {
  Description d;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  std::string section;
  bool profile_ended = false;
  while (std::getline(in, raw)) {
    ++number;
    const std::size_t hash = raw.find('#');
    std::istringstream words(raw.substr(0, hash));
    Words w;
    w.line = number;
    for (std::string word; words >> word;) {
      const std::size_t eq = word.find('=');
      if (eq != std::string::npos) {
        w.keys[word.substr(0, eq)] = word.substr(eq + 1);
      } else {
        w.words.push_back(word);
      }
    }
    if (w.words.empty() && w.keys.empty()) continue;
    if (w.words.size() == 1 && w.keys.empty() && w.words[0].front() == '[') {
      section = w.words[0];
      continue;
    }
    if (w.words.empty()) throw Error{number, "statement without a keyword"};
    const std::string& head = w.words[0];
    if (section == "[plan]") {
      if (head == "start") {
        d.start = PlanStart{key_number(w, "x"), key_number(w, "y"), key_number(w, "bearing"),
                            w.keys.count("station") != 0 ? key_number(w, "station") : 0.0};
        continue;
      }
      if (w.words.size() != 2) throw Error{number, "expected: NAME line|arc|clothoid key=value..."};
      PlanItem item;
      item.line = number;
      item.name = head;
      if (item.name.size() > 6) throw Error{number, "names have at most 6 characters"};
      const std::string& kind = w.words[1];
      if (kind == "line") {
        item.kind = Kind::kLine;
        item.length = key_number(w, "length");
      } else if (kind == "arc") {
        item.kind = Kind::kArc;
        item.radius = key_number(w, "radius");
        item.length = key_number(w, "length");
        if (item.radius == 0.0) throw Error{number, "an arc needs a radius"};
      } else if (kind == "clothoid") {
        item.kind = Kind::kClothoid;
        item.a = key_number(w, "A");
        const std::string to = key_text(w, "to");
        if (to == "line") {
          item.to_curvature = 0.0;
        } else {
          const std::optional<double> r = to_number(to);
          if (!r || *r == 0.0) throw Error{number, "to= takes a radius or 'line'"};
          item.to_curvature = 1.0 / *r;
        }
        if (item.a <= 0.0) throw Error{number, "A must be positive"};
      } else {
        throw Error{number, "unknown element kind " + kind};
      }
      if (item.kind != Kind::kClothoid && item.length <= 0.0) throw Error{number, "length must be positive"};
      for (const PlanItem& other : d.plan) {
        if (other.name == item.name) throw Error{number, "name used twice: " + item.name};
      }
      d.plan.push_back(item);
    } else if (section == "[profile]") {
      if (profile_ended) throw Error{number, "nothing may follow the profile's end"};
      if ((head == "start") != d.profile.empty()) throw Error{number, "the profile opens with one start"};
      Pvi p;
      p.line = number;
      p.elevation = key_number(w, "elevation");
      if (head == "end" && key_text(w, "station") == "plan") {
        d.profile_ends_at_plan = true;
      } else {
        p.station = key_number(w, "station");
      }
      if (head == "pvi") {
        p.radius = key_number(w, "radius");
      } else if (head == "end") {
        profile_ended = true;
      } else if (head != "start") {
        throw Error{number, "expected start, pvi or end"};
      }
      d.profile.push_back(p);
    } else if (section == "[crossfall]") {
      if (head != "at" || w.words.size() != 4) throw Error{number, "expected: at WHERE LEFT RIGHT"};
      const std::optional<double> left = to_number(w.words[2]);
      const std::optional<double> right = to_number(w.words[3]);
      if (!left || !right) throw Error{number, "crossfalls must be numbers"};
      d.crossfall.push_back({number, w.words[1], *left, *right});
    } else {
      throw Error{number, "statement outside [plan], [profile] or [crossfall]"};
    }
  }
  if (!d.profile.empty() && !profile_ended) throw Error{number, "the profile has no end"};
  return d;
}

// ---------------------------------------------------------------------------
// Plan geometry.

struct Chain {
  std::vector<PlanElement> elements;
  std::vector<double> arc_start_angles;  // exact, per arc in order
};

struct State {
  double x, y, heading, curvature, station;
};

Chain build_chain(const Description& d, double heading_change, const std::vector<double>& length_change) {
  Chain chain;
  const PlanStart& s = *d.start;
  // Bearing in grads clockwise from north to a polar angle.
  State st{s.x, s.y, (500.0 - s.bearing) * kPi / 200.0 + heading_change, 0.0, s.station};
  const PlanItem* previous = nullptr;
  for (std::size_t i = 0; i < d.plan.size(); ++i) {
    const PlanItem& item = d.plan[i];
    PlanElement e;
    e.name = item.name;
    e.start_station = st.station;
    e.start_x = st.x;
    e.start_y = st.y;
    if (previous != nullptr && previous->kind == Kind::kClothoid) {
      const bool joins = item.kind == Kind::kArc    ? 1.0 / item.radius == st.curvature
                         : item.kind == Kind::kLine ? st.curvature == 0.0
                                                    : true;
      if (!joins) throw Error{item.line, "does not continue the curvature the clothoid before ends with"};
    }
    switch (item.kind) {
      case Kind::kLine: {
        const double c = std::cos(st.heading);
        const double sn = std::sin(st.heading);
        st.x += item.length * c;
        st.y += item.length * sn;
        st.station += item.length;
        st.curvature = 0.0;
        // (a, b) is the unit normal (S.y - E.y, E.x - S.x) / d.
        e.geometry = LineGeometry{-sn, c, -(-sn * st.x + c * st.y), normalize(st.heading)};
        break;
      }
      case Kind::kArc: {
        const double r = item.radius;
        const double length = item.length + length_change[i];
        const double cx = st.x - r * std::sin(st.heading);
        const double cy = st.y + r * std::cos(st.heading);
        const double phi0 = std::atan2(st.y - cy, st.x - cx);
        const double phi1 = phi0 + length / r;
        chain.arc_start_angles.push_back(normalize(phi0));
        st.x = cx + std::fabs(r) * std::cos(phi1);
        st.y = cy + std::fabs(r) * std::sin(phi1);
        st.heading += length / r;
        st.curvature = 1.0 / r;
        st.station += length;
        e.geometry = ArcGeometry{cx, cy, r, round_decimals(normalize(phi0), kAngleDecimals), normalize(phi1)};
        break;
      }
      case Kind::kClothoid: {
        const double a = item.a;
        const double ks = st.curvature;
        const double ke = item.to_curvature;
        if (ks == ke) throw Error{item.line, "a clothoid must change the curvature"};
        if (ks * ke < 0.0)
          throw Error{item.line, "a clothoid cannot reverse the curvature: go through 'line'"};
        const double rho = (ks != 0.0 ? ks : ke) > 0.0 ? 1.0 : -1.0;  // turn
        const double ls = a * a * std::fabs(ks);
        const double le = a * a * std::fabs(ke);
        const double sigma = le > ls ? 1.0 : -1.0;  // orientation
        const double tau_s = ls * ls / (2.0 * a * a);
        const double tau_e = le * le / (2.0 * a * a);
        // The heading of travel at distance l from the origin is psi + sigma rho tau(l).
        const double psi = st.heading - sigma * rho * tau_s;
        const double ux = std::cos(psi);
        const double uy = std::sin(psi);
        double xs = 0, ys = 0, xe = 0, ye = 0;
        exact_clothoid(a, ls, xs, ys);
        exact_clothoid(a, le, xe, ye);
        // Point at l: origin + sigma x(l) u + rho y(l) n, n = u turned left.
        const double ox = st.x - (sigma * xs * ux - rho * ys * uy);
        const double oy = st.y - (sigma * xs * uy + rho * ys * ux);
        st.x = ox + sigma * xe * ux - rho * ye * uy;
        st.y = oy + sigma * xe * uy + rho * ye * ux;
        st.heading = psi + sigma * rho * tau_e;
        st.curvature = ke;
        st.station += std::fabs(le - ls);
        e.geometry = ClothoidGeometry{a,
                                      ox,
                                      oy,
                                      normalize(psi),
                                      std::min(tau_s, tau_e),
                                      std::max(tau_s, tau_e),
                                      static_cast<std::int8_t>(sigma),
                                      static_cast<std::int8_t>(rho)};
        break;
      }
    }
    e.end_station = st.station;
    e.end_x = st.x;
    e.end_y = st.y;
    chain.elements.push_back(e);
    previous = &item;
  }
  return chain;
}

// Adjusts the start heading (for the first arc) and each arc's length (for
// the arc after it) so that every arc's start angle lies on the 4-decimal
// grid the records store, then builds the chain.
std::vector<PlanElement> build_plan(const Description& d) {
  if (!d.start) throw Error{0, "the plan has no start"};
  if (d.plan.empty()) throw Error{0, "the plan has no elements"};
  std::vector<std::size_t> arcs;
  for (std::size_t i = 0; i < d.plan.size(); ++i) {
    if (d.plan[i].kind == Kind::kArc) arcs.push_back(i);
  }
  double heading_change = 0.0;
  std::vector<double> length_change(d.plan.size(), 0.0);
  for (std::size_t k = 0; k < arcs.size(); ++k) {
    const double phi0 = build_chain(d, heading_change, length_change).arc_start_angles[k];
    double target = round_decimals(phi0, kAngleDecimals);
    if (target >= kTwoPi) target -= kAngleStep;
    const double delta = target - phi0;
    if (k == 0) {
      heading_change += delta;
    } else {
      const std::size_t previous = arcs[k - 1];
      length_change[previous] += delta * d.plan[previous].radius;
    }
  }
  return build_chain(d, heading_change, length_change).elements;
}

// ---------------------------------------------------------------------------
// Profile: grade lines between the intersection points, each interior point
// rounded by a parabola of the given radius, symmetric about it.

std::vector<ProfileElement> build_profile(const Description& d, double plan_end) {
  std::vector<Pvi> points = d.profile;
  if (points.empty()) return {};
  if (points.size() < 2) throw Error{points[0].line, "a profile needs a start and an end"};
  if (d.profile_ends_at_plan) points.back().station = plan_end;
  std::vector<double> grade(points.size() - 1);
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const double ds = points[i + 1].station - points[i].station;
    if (ds <= 0.0) throw Error{points[i + 1].line, "stations must increase"};
    grade[i] = (points[i + 1].elevation - points[i].elevation) / ds;
  }
  std::vector<ProfileElement> out;
  int grades = 0;
  int curves = 0;
  double s = points[0].station;
  double z = points[0].elevation;
  const auto add_grade = [&](double s_end, double z_end, double g) {
    if (s_end <= s) return;
    ProfileElement e;
    e.kind = kProfileGrade;
    e.name = fmt::format("DRO{:03d}", ++grades);
    e.start_station = s;
    e.start_elevation = z;
    e.end_station = s_end;
    e.end_elevation = z_end;
    e.grade_or_radius = g * 100.0;
    out.push_back(e);
    s = s_end;
    z = z_end;
  };
  for (std::size_t i = 1; i + 1 < points.size(); ++i) {
    const Pvi& p = points[i];
    const double g0 = grade[i - 1];
    const double g1 = grade[i];
    if (g1 == g0) throw Error{p.line, "no change of grade here: drop the point"};
    if ((g1 > g0) != (p.radius > 0.0)) {
      throw Error{p.line, fmt::format("the grades make a {} here: the radius must be {}",
                                      g1 > g0 ? "sag" : "crest", g1 > g0 ? "positive" : "negative")};
    }
    const double half = p.radius * (g1 - g0) / 2.0;  // half the curve's length, > 0
    const double sa = p.station - half;
    const double sb = p.station + half;
    if (sa < s || sb > points[i + 1].station)
      throw Error{p.line, "the vertical curve overlaps its neighbours"};
    add_grade(sa, p.elevation - g0 * half, g0);
    ProfileElement e;
    e.kind = kProfileParabola;
    e.name = fmt::format("PAR{:03d}", ++curves);
    e.start_station = sa;
    e.start_elevation = p.elevation - g0 * half;
    e.end_station = sb;
    e.end_elevation = p.elevation + g1 * half;
    e.grade_or_radius = p.radius;
    // The grade (s - sv) / R is g0 at the curve's start.
    e.vertex_station = sa - p.radius * g0;
    e.vertex_elevation = e.start_elevation - p.radius * g0 * g0 / 2.0;
    out.push_back(e);
    s = sb;
    z = e.end_elevation;
  }
  const Pvi& last = points.back();
  add_grade(last.station, last.elevation, grade.back());
  return out;
}

// ---------------------------------------------------------------------------
// Crossfall points.

double resolve_station(const CrossfallSpec& c, const std::vector<PlanElement>& plan) {
  if (const std::optional<double> station = to_number(c.where)) return *station;
  const std::size_t at = c.where.find('@');
  const std::size_t dot = c.where.find('.');
  const std::string name = c.where.substr(0, std::min(at, dot));
  const PlanElement* element = nullptr;
  for (const PlanElement& e : plan) {
    if (e.name == name) element = &e;
  }
  if (element == nullptr) throw Error{c.line, "no plan element named " + name};
  const double length = element->end_station - element->start_station;
  if (at != std::string::npos) {
    const std::optional<double> f = to_number(c.where.substr(at + 1));
    if (!f || *f < 0.0 || *f > 1.0) throw Error{c.line, "NAME@F takes a fraction from 0 to 1"};
    return element->start_station + *f * length;
  }
  if (dot == std::string::npos) throw Error{c.line, "expected a station, NAME.start, NAME.end or NAME@F"};
  std::string rest = c.where.substr(dot + 1);
  const std::size_t sign = rest.find_first_of("+-");
  const std::string end = rest.substr(0, sign);
  double offset = 0.0;
  if (sign != std::string::npos) {
    const std::optional<double> d = to_number(rest.substr(sign));
    if (!d) throw Error{c.line, "the offset is no number"};
    offset = *d;
  }
  if (end == "start") return element->start_station + offset;
  if (end == "end") return element->end_station + offset;
  throw Error{c.line, "expected .start or .end"};
}

std::vector<CrossfallPoint> build_crossfall(const Description& d, const std::vector<PlanElement>& plan) {
  std::vector<CrossfallPoint> out;
  for (const CrossfallSpec& c : d.crossfall) {
    // At the 5 decimals the plan's stations are stored with, so that a point
    // placed on an element's end lies exactly on it once read.
    const double station = round_decimals(resolve_station(c, plan), kStationDecimals);
    if (!out.empty() && station <= out.back().station) throw Error{c.line, "stations must increase"};
    out.push_back({station, c.left, c.right});
  }
  if (out.size() == 1) throw Error{d.crossfall[0].line, "a crossfall needs at least two points"};
  return out;
}

}  // namespace

void exact_clothoid(double a, double length, double& x, double& y) {
  x = 0.0;
  y = 0.0;
  if (a == 0.0 || length == 0.0) return;
  // x = l sum_j (-1)^j tau^2j / ((4j+1)(2j)!), y = l sum_j (-1)^j tau^(2j+1) / ((4j+3)(2j+1)!):
  // term n is tau^n / n! over (2n + 1), to x for even n, to y for odd n.
  const double tau = length * length / (2.0 * a * a);
  double power = 1.0;  // tau^n / n!
  for (int n = 0; n < 200; ++n) {
    if (n > 0) power *= tau / n;
    const double term = ((n % 4) < 2 ? 1.0 : -1.0) * power / (2.0 * n + 1.0);
    (n % 2 == 0 ? x : y) += term;
    if (n > tau && power < 1e-20) break;
  }
  x *= length;
  y *= length;
}

BuildResult build_design(const std::string& description) {
  BuildResult result;
  try {
    const Description d = parse(description);
    std::vector<PlanElement> plan = build_plan(d);
    std::vector<ProfileElement> profile = build_profile(d, plan.back().end_station);
    std::vector<CrossfallPoint> crossfall = build_crossfall(d, plan);
    result.model.set_plan(std::move(plan));
    result.model.set_profile(std::move(profile));
    result.model.set_crossfall(std::move(crossfall));
    result.ok = true;
  } catch (const Error& e) {
    result.error = fmt::format("line {}: {}", e.line, e.text);
  }
  return result;
}

}  // namespace corvalinde::sample
