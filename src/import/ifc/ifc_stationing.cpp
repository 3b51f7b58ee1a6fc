#include "import/ifc/ifc_stationing.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_set>

#include "import/design_bounds.h"

namespace corvalinde {
namespace {

using step::StepFile;
using step::StepInstance;
using step::StepValue;

constexpr std::string_view kStationingSet = "Pset_Stationing";

bool is_stationing_set(const StepFile& file, const StepInstance& set) {
  return file.is_a(set, "IFCPROPERTYSET") && file.attribute(set, 2).string().value_or("") == kStationingSet;
}

// A length written as a typed length measure, in metres; nothing for a
// parameter value or anything else.
std::optional<double> typed_length(const StepValue& value, double metres) {
  const std::string_view type = value.type_name().value_or("");
  if (type != "IFCLENGTHMEASURE" && type != "IFCNONNEGATIVELENGTHMEASURE" &&
      type != "IFCPOSITIVELENGTHMEASURE")
    return std::nullopt;
  const double length = value.measure().value_or(std::nan("")) * metres;
  if (!std::isfinite(length) || std::fabs(length) > kMaxStation) return std::nullopt;
  return length;
}

// The distance along of a referent's linear placement on one of `curves`
// (sorted; empty: on any curve).
std::optional<double> placed_along(const StepFile& file, const StepInstance& referent,
                                   const std::vector<std::uint64_t>& curves, double metres) {
  const StepInstance* placement = file.resolve(file.attribute(referent, 5));
  if (placement == nullptr || !file.is_a(*placement, "IFCLINEARPLACEMENT")) return std::nullopt;
  const StepInstance* relative = file.resolve(file.attribute(*placement, 1));
  if (relative == nullptr || !file.is_a(*relative, "IFCAXIS2PLACEMENTLINEAR")) return std::nullopt;
  const StepInstance* point = file.resolve(file.attribute(*relative, 0));
  if (point == nullptr || !file.is_a(*point, "IFCPOINTBYDISTANCEEXPRESSION")) return std::nullopt;
  const std::optional<std::uint64_t> basis = file.attribute(*point, 4).reference();
  if (!basis || (!curves.empty() && !std::binary_search(curves.begin(), curves.end(), *basis)))
    return std::nullopt;
  std::optional<double> along = typed_length(file.attribute(*point, 0), metres);
  const StepValue longitudinal = file.attribute(*point, 3);
  if (along && !longitudinal.is_unset()) {
    const double offset = longitudinal.measure().value_or(std::nan("")) * metres;
    along = std::isfinite(offset) && std::fabs(offset) <= kMaxStation ? std::optional(*along + offset)
                                                                      : std::nullopt;
  }
  return along;
}

// The named single value of a property set, or an unset value. A value with
// a unit of its own is not taken: the project's units would misread it.
StepValue property_value(const StepFile& file, const StepInstance& set, std::string_view name) {
  const StepValue properties = file.attribute(set, 4);
  for (std::size_t i = 0; i < properties.size(); ++i) {
    const StepInstance* property = file.resolve(properties[i]);
    if (property == nullptr || !file.is_a(*property, "IFCPROPERTYSINGLEVALUE")) continue;
    if (file.attribute(*property, 0).string().value_or("") != name) continue;
    if (!file.attribute(*property, 3).is_unset()) return {};
    return file.attribute(*property, 2);
  }
  return {};
}

}  // namespace

StationProperties::StationProperties(const StepFile& file) {
  std::unordered_set<std::uint64_t> attached;
  for (const StepInstance* rel : file.instances_of("IFCRELDEFINESBYPROPERTIES")) {
    const StepInstance* set = file.resolve(file.attribute(*rel, 5));
    if (set == nullptr || !is_stationing_set(file, *set)) continue;
    attached.insert(set->id);
    const StepValue objects = file.attribute(*rel, 4);
    for (std::size_t i = 0; i < objects.size(); ++i) {
      if (const std::optional<std::uint64_t> object = objects[i].reference()) sets_.try_emplace(*object, set);
    }
  }
  for (const StepInstance* set : file.instances_of("IFCPROPERTYSET")) {
    if (is_stationing_set(file, *set) && attached.count(set->id) == 0) ++unattached_;
  }
}

const StepInstance* StationProperties::of(std::uint64_t object) const {
  const auto it = sets_.find(object);
  return it == sets_.end() ? nullptr : it->second;
}

ReferentReading read_referents(const StepFile& file, const StationProperties& properties,
                               const std::vector<const StepInstance*>& referents,
                               const std::vector<std::uint64_t>& curves, double metres) {
  ReferentReading reading;
  std::vector<std::uint64_t> sorted_curves = curves;
  std::sort(sorted_curves.begin(), sorted_curves.end());
  int number = 0;
  for (const StepInstance* referent : referents) {
    ++number;
    const StepInstance* set = properties.of(referent->id);
    const std::optional<double> station =
        set != nullptr ? typed_length(property_value(file, *set, "Station"), metres) : std::nullopt;
    if (!station) {
      ++reading.without_station;
      continue;
    }
    ReferentStation r;
    r.number = number;
    r.station = *station;
    r.along = placed_along(file, *referent, sorted_curves, metres);
    r.incoming = typed_length(property_value(file, *set, "IncomingStation"), metres);
    r.increasing = property_value(file, *set, "HasIncreasingStation").inner().boolean().value_or(true);
    reading.referents.push_back(r);
  }
  return reading;
}

ReferentStationing stationing_from_referents(const std::vector<ReferentStation>& referents, double length) {
  ReferentStationing result;
  StationEquations& stations = result.stations;
  // The placed referents in order along the alignment, each once.
  std::vector<const ReferentStation*> placed;
  for (const ReferentStation& r : referents) {
    if (r.along) placed.push_back(&r);
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const ReferentStation* a, const ReferentStation* b) { return *a->along < *b->along; });
  // The start: the referent placed at the start, else the first that has
  // no place (a writer that states only the start station), else the
  // first placed one, its stations running back to the start.
  const ReferentStation* first = nullptr;
  double start_station = 0.0;
  if (!placed.empty() && std::fabs(*placed.front()->along) <= kSameReferentStation) {
    first = placed.front();
    start_station = first->station;
  } else if (const auto unplaced = std::find_if(referents.begin(), referents.end(),
                                                [](const ReferentStation& r) { return !r.along; });
             unplaced != referents.end()) {
    first = &*unplaced;
    start_station = first->station;
  } else if (!placed.empty()) {
    first = placed.front();
    const double back = first->incoming.value_or(first->station);
    start_station = first->increasing ? back - *first->along : back + *first->along;
  }
  stations.start = start_station;
  stations.end = start_station + length;
  if (first != nullptr && !first->increasing && first->along.value_or(0.0) <= kSameReferentStation) {
    // Stations that decrease from the start on.
    stations.equations.push_back(StationEquation{start_station, std::nan(""), start_station, false});
  }
  for (const ReferentStation& r : referents) {
    if (!r.along && &r != first) result.unreadable.push_back(r.number);
  }
  for (const ReferentStation* r : placed) {
    if (r == first && std::fabs(*r->along) <= kSameReferentStation) continue;
    const double along = *r->along;
    if (along < -kSameReferentStation || along > length + kSameReferentStation) {
      result.unreadable.push_back(r->number);
      continue;
    }
    const double internal = start_station + std::clamp(along, 0.0, length);
    // The stations running on from the last equation (the referents come in
    // order along the alignment, so the last equation is the one behind).
    const StationEquation* behind = stations.equations.empty() ? nullptr : &stations.equations.back();
    const bool running_up = behind == nullptr || behind->increasing;
    const double reached = behind == nullptr ? internal
                           : running_up      ? behind->ahead + (internal - behind->internal)
                                             : behind->ahead - (internal - behind->internal);
    if (r->incoming && !(std::fabs(*r->incoming - reached) <= kSameReferentStation))
      result.misses.push_back(IncomingMiss{r->number, *r->incoming, reached});
    const bool jumps = !(std::fabs(r->station - reached) <= kSameReferentStation) ||
                       (r->incoming && !(std::fabs(*r->incoming - r->station) <= kSameReferentStation)) ||
                       r->increasing != running_up;
    if (!jumps) continue;
    if (!stations.equations.empty() &&
        internal - stations.equations.back().internal <= kSameReferentStation) {
      // A second jump where the stations already jumped.
      result.unreadable.push_back(r->number);
      continue;
    }
    stations.equations.push_back(
        StationEquation{internal, r->incoming.value_or(std::nan("")), r->station, r->increasing});
  }
  std::sort(result.unreadable.begin(), result.unreadable.end());
  return result;
}

}  // namespace corvalinde
