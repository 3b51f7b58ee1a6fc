#include "import/ifc/ifc_units.h"

#include <cmath>
#include <string_view>

namespace corvalinde {
namespace {

using step::StepFile;
using step::StepInstance;
using step::StepValue;

// A conversion-based unit refers to another unit, which may itself be
// converted: chains longer than this are not followed (a cycle stops here).
constexpr int kLongestUnitChain = 8;

double si_prefix_factor(std::string_view prefix) {
  struct Prefix {
    std::string_view name;
    double factor;
  };
  static constexpr Prefix kPrefixes[] = {{"EXA", 1e18},  {"PETA", 1e15},  {"TERA", 1e12},   {"GIGA", 1e9},
                                         {"MEGA", 1e6},  {"KILO", 1e3},   {"HECTO", 1e2},   {"DECA", 1e1},
                                         {"DECI", 1e-1}, {"CENTI", 1e-2}, {"MILLI", 1e-3},  {"MICRO", 1e-6},
                                         {"NANO", 1e-9}, {"PICO", 1e-12}, {"FEMTO", 1e-15}, {"ATTO", 1e-18}};
  for (const Prefix& p : kPrefixes) {
    if (p.name == prefix) return p.factor;
  }
  return 1.0;
}

struct UnitFactor {
  double factor = 1.0;
  std::string name;
};

// The factor of a named unit to the SI unit of its kind (metre, radian),
// or nothing usable (NaN) for a unit of another kind or a broken chain.
UnitFactor unit_factor(const StepFile& file, const StepInstance* unit, int depth) {
  UnitFactor result{std::nan(""), {}};
  if (unit == nullptr || depth > kLongestUnitChain) return result;
  if (file.is_a(*unit, "IFCSIUNIT")) {
    const std::string_view name = file.attribute(*unit, 3).enumeration().value_or("");
    const std::string_view prefix = file.attribute(*unit, 2).enumeration().value_or("");
    if (name != "METRE" && name != "RADIAN") return result;
    result.factor = si_prefix_factor(prefix);
    result.name = std::string(prefix) + std::string(name);
    return result;
  }
  if (file.is_a(*unit, "IFCCONVERSIONBASEDUNIT") || file.is_a(*unit, "IFCCONVERSIONBASEDUNITWITHOFFSET")) {
    const StepInstance* measure = file.resolve(file.attribute(*unit, 3));
    if (measure == nullptr || !file.is_a(*measure, "IFCMEASUREWITHUNIT")) return result;
    const std::optional<double> value = file.attribute(*measure, 0).measure();
    const UnitFactor base = unit_factor(file, file.resolve(file.attribute(*measure, 1)), depth + 1);
    if (!value) return result;
    result.factor = *value * base.factor;
    result.name = std::string(file.attribute(*unit, 2).string().value_or("?"));
    return result;
  }
  return result;
}

}  // namespace

IfcUnits read_ifc_units(const StepFile& file) {
  IfcUnits units;
  const std::vector<const StepInstance*> assignments = file.instances_of("IFCUNITASSIGNMENT");
  if (assignments.empty()) return units;
  const StepValue list = file.attribute(*assignments.front(), 0);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const StepInstance* unit = file.resolve(list[i]);
    if (unit == nullptr) continue;
    const std::string_view type = file.attribute(*unit, 1).enumeration().value_or("");
    if (type != "LENGTHUNIT" && type != "PLANEANGLEUNIT") continue;
    const UnitFactor factor = unit_factor(file, unit, 0);
    if (!(std::isfinite(factor.factor) && factor.factor > 0.0)) continue;
    if (type == "LENGTHUNIT") {
      units.metres_per_length = factor.factor;
      units.length_name = factor.name;
    } else {
      units.radians_per_angle = factor.factor;
      units.angle_name = factor.name;
    }
  }
  return units;
}

}  // namespace corvalinde
