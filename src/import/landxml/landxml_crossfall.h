// The superelevation of a LandXML alignment: the grade surface that refers to
// it, the road-surface zone of each side, the zones read one at a time, and
// their merge into the CrossfallPoint table (left and right crossfall in per
// cent, measured from the left edge towards the right). Reads the caller's
// tree; a missing element or zone ends the stage without a table.
#pragma once

#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "import/landxml/landxml_document.h"
#include "road/road_model.h"

namespace corvalinde {

// One zone of a side: stations (m, 4 decimals) and crossfalls (per cent as the
// file gives them, 2 decimals) at its start and end.
struct CrossfallZone {
  double start_station = 0.0;
  double start_value = 0.0;
  double end_station = 0.0;
  double end_value = 0.0;
};

// The chosen "GradeSurface" among those whose alignmentRef names the
// alignment (several go to the user through choose_from_list with
// `title_message` as its title), or null.
XmlElement* get_landxml_devers(const XmlElement& landxml, std::string_view alignment_name, int title_message,
                               LandXmlEncoding encoding);

// The first "Zone" of category "road surface" in the first "Zones" of the
// given side ("left" or "right"), or null.
XmlElement* get_landxml_zones_dev(const XmlElement& grade_surface, std::string_view side);

// The zones of one side read in turn. The ZoneSlope children of the Zone make
// the list; a Zone without any is one zone of its own stations and values.
// A zone that starts after the previous one ended leaves a gap, returned as a
// zone of its own from the previous end to the next start (linear between
// their values); a zone that starts before the previous end, or lacks one of
// its four values, ends the list.
class ZoneList {
 public:
  ZoneList(const XmlElement& zone, const LandXmlUnits& units) : zone_(zone), units_(units) {}

  // get_landxml_zone_dev: true when a further zone was read into `zone`.
  bool next(CrossfallZone& zone);

  // Gaps bridged so far (start, end), and the station where the list was cut
  // (NaN when it ended with its last zone).
  const std::vector<std::pair<double, double>>& gaps() const { return gaps_; }
  double cut_at() const { return cut_at_; }
  // True when the very first zone was unreadable or ran backwards (the list
  // is then empty and has no station to be cut at).
  bool first_unreadable() const { return first_unreadable_; }

 private:
  bool read_slope(CrossfallZone& zone, bool& unreadable);

  const XmlElement& zone_;
  LandXmlUnits units_;
  int index_ = 0;
  bool started_ = false;
  bool ended_ = false;
  bool has_pending_ = false;
  CrossfallZone pending_;  // the zone after a bridged gap
  CrossfallZone previous_;
  std::vector<std::pair<double, double>> gaps_;
  double cut_at_ = std::numeric_limits<double>::quiet_NaN();
  bool first_unreadable_ = false;
};

// The spelling of ZoneList::next under the reader's own name.
inline bool get_landxml_zone_dev(ZoneList& list, CrossfallZone& zone) {
  return list.next(zone);
}

// The crossfall points of the two zone lists (the left values change sign).
// Fewer than two points mean no table.
std::vector<CrossfallPoint> merge_crossfall_zones(ZoneList& left, ZoneList& right);

}  // namespace corvalinde
