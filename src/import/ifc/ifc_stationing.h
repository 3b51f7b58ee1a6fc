// The stationing an IFC alignment's referents give: each IfcReferent nested
// in the alignment, placed at a distance along it (its linear placement) and
// carrying the designer's stations in its Pset_Stationing (Station,
// IncomingStation, HasIncreasingStation). The referent at the start gives the
// start station; a later one whose station is not where the stations running
// on from the earlier ones reach is a station equation. Reading never throws;
// a referent that cannot be placed, or lies outside the alignment, is left
// out and listed by its number.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "import/step/step_file.h"
#include "road/station_equations.h"

namespace corvalinde {

// Two stations within this (m) are one station: files round them.
inline constexpr double kSameReferentStation = 1e-3;

// One referent with a station, in metres.
struct ReferentStation {
  int number = 0;                  // 1-based, in the alignment's nesting order
  std::optional<double> along;     // distance along the alignment from its start
  double station = 0.0;            // the designer's station there
  std::optional<double> incoming;  // the station just before it, where the stations jump
  bool increasing = true;          // the stations increase after it
};

// The Pset_Stationing property sets of the file by the objects they are
// related to (IfcRelDefinesByProperties), built once.
class StationProperties {
 public:
  explicit StationProperties(const step::StepFile& file);
  // The first Pset_Stationing related to the object, or null.
  [[nodiscard]] const step::StepInstance* of(std::uint64_t object) const;
  // Pset_Stationing sets that no relation gives to any object.
  [[nodiscard]] int unattached() const { return unattached_; }

 private:
  std::unordered_map<std::uint64_t, const step::StepInstance*> sets_;
  int unattached_ = 0;
};

// The referents that carry a station; `without_station` counts the others.
// `curves` are the alignment's own curves: a referent placed on another
// curve is not placed. `metres` converts the file's length unit.
struct ReferentReading {
  std::vector<ReferentStation> referents;
  int without_station = 0;
};
ReferentReading read_referents(const step::StepFile& file, const StationProperties& properties,
                               const std::vector<const step::StepInstance*>& referents,
                               const std::vector<std::uint64_t>& curves, double metres);

// A referent whose incoming station is not where the stations reach.
struct IncomingMiss {
  int number = 0;
  double incoming = 0.0;
  double reached = 0.0;
};

// The stationing of an alignment of `length` metres from its referents:
// `stations` with its start, end and equations (internal station = start
// station + distance along); `unreadable` lists referents left out (not
// placed, outside the alignment, a second jump at one place), `misses` the
// referents whose incoming station disagrees with the running stations.
// Without referents the alignment starts at station 0.
struct ReferentStationing {
  StationEquations stations;
  std::vector<int> unreadable;
  std::vector<IncomingMiss> misses;
};
ReferentStationing stationing_from_referents(const std::vector<ReferentStation>& referents, double length);

}  // namespace corvalinde
