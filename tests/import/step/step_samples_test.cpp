// Every shared IFC file, read where it lies: it parses whole, and holds the
// alignments and alignment segments its writers' exports are known to hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "import/shared_samples.h"
#include "import/step/step_file.h"

namespace corvalinde::step {
namespace {

namespace fs = std::filesystem;

struct Expected {
  std::size_t alignments;
  std::size_t segments;  // horizontal, vertical and cant together
};

TEST(StepSamples, EverySharedIfcFileParsesWithItsAlignmentCounts) {
  const fs::path folder = fs::path(CORVALINDE_SHARED_SAMPLES_DIR) / "ifc";
  CORVALINDE_NEED_SHARED_SAMPLE(folder);
  const std::map<std::string, Expected> expected = {
      {"12d_m_3alignments_line-arc_vcg-vparabolic_geom.ifc", {3, 50}},
      {"acca-usbim_m_stn01-rail_line-clothoid-arc_vcg-varc_cant_geom.ifc", {1, 23}},
      {"bsi-sample_m_cosinecurve_cant-cosine_geom-segrefcurve.ifc", {1, 6}},
      {"civil3d-2023_m_bc003-tram-4alignments_line-clothoid-arc_vcg-vparabolic_geom.ifc", {4, 122}},
      {"geometrygym-ggrhino_ft_clothoid-line_geom.ifc", {1, 2}},
      {"ifcopenshell-lx2ifc_m_finnish-rail-7alignments_line-clothoid-arc-helmert_vcg-varc_cant-helmert_geom."
       "ifc",
       {7, 379}},
      {"ifcopenshell_ft_fhwa-bridge-road_line-arc_vcg-vparabolic_geom.ifc", {1, 18}},
      {"ifcopenshell_usft_atomic_clothoid-arc2arc-right_geom.ifc", {1, 2}},
      {"oda_m_al01-sbb-11alignments_line-clothoid-arc_vcg-varc_cant_geom.ifc", {11, 1027}},
      {"rdf_m_atomic_cubic_geom-polynomialcurve.ifc", {1, 1}},
  };
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".ifc") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const fs::path& path : files) {
    const std::string name = path.filename().string();
    SCOPED_TRACE(name);
    StepFile file;
    const StepReadStatus status = read_step_file(path, file);
    ASSERT_TRUE(status.ok()) << step_error_text(status.error) << " at " << status.line << ":"
                             << status.column;
    EXPECT_EQ(status.replaced_characters, 0U);
    EXPECT_TRUE(file.schema().starts_with("IFC4X3")) << file.schema();
    const std::size_t alignments = file.count_of("IfcAlignment");
    const std::size_t segments = file.count_of("IfcAlignmentSegment");
    // Each segment's design parameters are an instance the file holds.
    for (const StepInstance* segment : file.instances_of("IfcAlignmentSegment")) {
      const StepInstance* parameters = file.resolve(file.attribute(*segment, 7));
      ASSERT_NE(parameters, nullptr) << "#" << segment->id;
      EXPECT_TRUE(file.type_name(*parameters).starts_with("IFCALIGNMENT")) << file.type_name(*parameters);
    }
    std::cout << name << ": " << file.instances().size() << " instances, " << alignments << " IfcAlignment, "
              << segments << " IfcAlignmentSegment\n";
    const auto known = expected.find(name);
    if (known == expected.end()) continue;  // a file added later: it parses, counts unknown
    EXPECT_EQ(alignments, known->second.alignments);
    EXPECT_EQ(segments, known->second.segments);
  }
}

}  // namespace
}  // namespace corvalinde::step
