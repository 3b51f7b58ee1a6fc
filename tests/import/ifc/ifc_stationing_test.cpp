// Referent stationing: the start station, the referents that only mark the
// running stations, the station equations, and what is left out and said.
#include "import/ifc/ifc_stationing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "import/ifc/ifc_reader.h"
#include "import/landxml_test_support.h"

namespace corvalinde {
namespace {

ReferentStation referent(int number, std::optional<double> along, double station,
                         std::optional<double> incoming = std::nullopt, bool increasing = true) {
  return ReferentStation{number, along, station, incoming, increasing};
}

TEST(ReferentStationing, StartMarksAndEquations) {
  // A start at -153.1, a mark where the stations reach 0, an equation
  // 500 m along (346.9 back, 1000 ahead), a mark after it.
  const ReferentStationing s =
      stationing_from_referents({referent(1, 0.0, -153.1), referent(2, 153.1, 0.0),
                                 referent(3, 500.0, 1000.0, 346.9), referent(4, 700.0, 1200.0)},
                                1000.0);
  EXPECT_DOUBLE_EQ(s.stations.start, -153.1);
  EXPECT_DOUBLE_EQ(s.stations.end, 846.9);
  ASSERT_EQ(s.stations.equations.size(), 1U);
  EXPECT_DOUBLE_EQ(s.stations.equations[0].internal, 346.9);
  EXPECT_DOUBLE_EQ(s.stations.equations[0].back, 346.9);
  EXPECT_DOUBLE_EQ(s.stations.equations[0].ahead, 1000.0);
  EXPECT_TRUE(s.unreadable.empty());
  EXPECT_TRUE(s.misses.empty());
  EXPECT_NEAR(designer_station(s.stations, -153.1 + 800.0).value, 1300.0, 1e-9);
}

TEST(ReferentStationing, WhatCannotBePlacedIsLeftOutAndSaid) {
  const ReferentStationing s =
      stationing_from_referents({referent(1, 0.0, 100.0), referent(2, std::nullopt, 5.0),
                                 referent(3, 1200.0, 9.0), referent(4, 300.0, 2000.0, 350.0),
                                 referent(5, 300.0, 3000.0), referent(6, 600.0, 2000.0, std::nullopt, false)},
                                1000.0);
  // Not placed, beyond the end, a second jump at one place.
  EXPECT_EQ(s.unreadable, (std::vector<int>{2, 3, 5}));
  // The stations reach 400 where referent 4 says 350 came before it.
  ASSERT_EQ(s.misses.size(), 1U);
  EXPECT_EQ(s.misses[0].number, 4);
  EXPECT_DOUBLE_EQ(s.misses[0].reached, 400.0);
  ASSERT_EQ(s.stations.equations.size(), 2U);
  EXPECT_DOUBLE_EQ(s.stations.equations[0].ahead, 2000.0);
  // Stations that turn back: 2300 reached, 2000 and decreasing from there.
  EXPECT_FALSE(s.stations.equations[1].increasing);
  EXPECT_TRUE(std::isnan(s.stations.equations[1].back));
  EXPECT_NEAR(designer_station(s.stations, 100.0 + 650.0).value, 1950.0, 1e-9);
}

TEST(ReferentStationing, StartWithoutAReferentAtTheStart) {
  EXPECT_EQ(stationing_from_referents({}, 50.0).stations.start, 0.0);
  // A writer that places no referent: its station is the start's.
  EXPECT_EQ(stationing_from_referents({referent(1, std::nullopt, 250.0)}, 50.0).stations.start, 250.0);
  // The first referent 50 m along: the stations run back to the start.
  const ReferentStationing later = stationing_from_referents({referent(1, 50.0, 1050.0)}, 80.0);
  EXPECT_DOUBLE_EQ(later.stations.start, 1000.0);
  EXPECT_TRUE(later.stations.equations.empty());
}

// A 1000 m line whose referents give a start, a station equation, a
// referent without a station, and a station set related to nothing.
TEST(IfcReferents, StationEquationReachesTheModelAndTheConsole) {
  std::string data =
      "#1=IFCALIGNMENT('a',$,'Main',$,$,$,$,$);\n#2=IFCALIGNMENTHORIZONTAL('b',$,$,$,$,$,$);\n"
      "#3=IFCRELNESTS('c',$,$,$,#1,(#2));\n#4=IFCCARTESIANPOINT((0.,0.));\n"
      "#5=IFCALIGNMENTHORIZONTALSEGMENT($,$,#4,0.,0.,0.,1000.,$,.LINE.);\n"
      "#6=IFCALIGNMENTSEGMENT('d',$,$,$,$,$,$,#5);\n#7=IFCRELNESTS('e',$,$,$,#2,(#6));\n"
      "#8=IFCRELNESTS('f',$,$,$,#1,(#10,#20,#30));\n#9=IFCPROPERTYSET('g',$,'Pset_Stationing',$,(#14));\n";
  const auto stationed = [&data](int id, double along, const std::string& properties) {
    const std::string n = std::to_string(id);
    const auto ref = [&id](int k) { return "#" + std::to_string(id + k); };
    data += "#" + n + "=IFCREFERENT('r" + n + "',$,$,$,$," + ref(1) + ",$,.STATION.);\n" + ref(1) +
            "=IFCLINEARPLACEMENT($," + ref(2) + ",$);\n" + ref(2) + "=IFCAXIS2PLACEMENTLINEAR(" + ref(3) +
            ",$,$);\n" + ref(3) + "=IFCPOINTBYDISTANCEEXPRESSION(IFCLENGTHMEASURE(" + std::to_string(along) +
            "),$,$,$,#99);\n" + ref(4) + "=IFCPROPERTYSET('s" + n + "',$,'Pset_Stationing',$,(" + properties +
            "));\n" + ref(5) + "=IFCRELDEFINESBYPROPERTIES('t" + n + "',$,$,$,(#" + n + ")," + ref(4) +
            ");\n";
  };
  data +=
      "#40=IFCPROPERTYSINGLEVALUE('Station',$,IFCLENGTHMEASURE(100.),$);\n"
      "#41=IFCPROPERTYSINGLEVALUE('Station',$,IFCLENGTHMEASURE(2000.),$);\n"
      "#42=IFCPROPERTYSINGLEVALUE('IncomingStation',$,IFCLENGTHMEASURE(500.),$);\n";
  stationed(10, 0.0, "#40");
  stationed(20, 400.0, "#41,#42");
  data += "#30=IFCREFERENT('r30',$,$,$,$,$,$,.REFERENCEMARKER.);\n#99=IFCPOLYLINE(());\n";
  landxml_testing::use_message_ids();
  RoadModel model;
  Console console;
  const int mask = read_ifc_text(console, model,
                                 "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('IFC4X3_ADD2'));\nENDSEC;\nDATA;\n" +
                                     data + "ENDSEC;\nEND-ISO-10303-21;\n",
                                 "referents.ifc");
  ASSERT_NE(mask & kMaskPlan, 0);
  const StationEquations& stations = model.station_equations();
  EXPECT_DOUBLE_EQ(stations.start, 100.0);
  ASSERT_EQ(stations.equations.size(), 1U);
  EXPECT_DOUBLE_EQ(stations.equations[0].internal, 500.0);
  EXPECT_DOUBLE_EQ(designer_station(stations, 1100.0).value, 2600.0);
  const std::vector<std::string> lines = landxml_testing::trimmed_lines(console);
  for (const char* expected : {"#104 1", "#62 500.0000 500.000 2000.0000", "#142 IfcReferent 1"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
}

}  // namespace
}  // namespace corvalinde
