#include "generated_inputs.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <system_error>

namespace corvalinde::reliability {
namespace {

namespace fs = std::filesystem;

bool write_text(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

// The small design most LandXML cases change: a road of 1 175 m (line,
// clothoid, arc, clothoid, line), three PVIs with two vertical curves, five
// crossfall zones a side.
constexpr std::string_view kLandXmlDesign = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<LandXML version="1.2">
<Units><Metric linearUnit="meter" elevationUnit="meter"/></Units>
<Alignments><Alignment name="stress" staStart="0"><CoordGeom>
<Line length="350.000000"><Start>150000.000000 500000.000000</Start><End>150103.432072 500334.367771</End></Line>
<Spiral spiType="clothoid" rot="ccw" length="152.500000" radiusStart="INF" radiusEnd="450.000000"><Start>150103.432072 500334.367771</Start><End>150156.581542 500477.098622</End></Spiral>
<Curve rot="ccw" radius="450.000000"><Start>150156.581542 500477.098622</Start><End>150299.202403 500641.728271</End><Center>150557.900432 500273.522717</Center></Curve>
<Spiral spiType="clothoid" rot="ccw" length="152.500000" radiusStart="450.000000" radiusEnd="INF"><Start>150299.202403 500641.728271</Start><End>150432.900537 500714.678740</End></Spiral>
<Line length="300.000000"><Start>150432.900537 500714.678740</Start><End>150703.939084 500843.279308</End></Line>
</CoordGeom><Profile><ProfAlign name="stress profile">
<PVI>0.000000 400.000000</PVI>
<ParaCurve length="110.000000">255.000000 397.450000</ParaCurve>
<ParaCurve length="390.000000">815.000000 422.650000</ParaCurve>
<PVI>1175.000000 415.450000</PVI>
</ProfAlign></Profile></Alignment></Alignments>
<GradeModel><GradeSurface alignmentRef="stress" surfaceType="finished grade">
<Zones side="left"><Zone category="road surface">
<ZoneSlope staStart="0.0000" startVertValue="-2.50" staEnd="350.0000" endVertValue="-2.50"/>
<ZoneSlope staStart="350.0000" startVertValue="-2.50" staEnd="502.5000" endVertValue="-5.88"/>
<ZoneSlope staStart="502.5000" startVertValue="-5.88" staEnd="722.5000" endVertValue="-5.88"/>
<ZoneSlope staStart="722.5000" startVertValue="-5.88" staEnd="875.0000" endVertValue="-2.50"/>
<ZoneSlope staStart="875.0000" startVertValue="-2.50" staEnd="1175.0000" endVertValue="-2.50"/>
</Zone></Zones>
<Zones side="right"><Zone category="road surface">
<ZoneSlope staStart="0.0000" startVertValue="-2.50" staEnd="350.0000" endVertValue="-2.50"/>
<ZoneSlope staStart="350.0000" startVertValue="-2.50" staEnd="502.5000" endVertValue="5.88"/>
<ZoneSlope staStart="502.5000" startVertValue="5.88" staEnd="722.5000" endVertValue="5.88"/>
<ZoneSlope staStart="722.5000" startVertValue="5.88" staEnd="875.0000" endVertValue="-2.50"/>
<ZoneSlope staStart="875.0000" startVertValue="-2.50" staEnd="1175.0000" endVertValue="-2.50"/>
</Zone></Zones>
</GradeSurface></GradeModel>
</LandXML>
)xml";

// The design with `text` put in before the `marker` (which must occur).
std::string design_with(std::string_view marker, std::string_view text) {
  std::string design(kLandXmlDesign);
  design.insert(design.find(marker), text);
  return design;
}

std::string repeated(std::string_view piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

}  // namespace

bool write_generated_input(std::string_view generator, const fs::path& path) {
  // A directory where a file is expected.
  if (generator == "directory") {
    std::error_code error;
    fs::create_directories(path, error);
    return !error;
  }
  // One line of 2 MiB without a line end: longer than any line the native
  // reader accepts.
  if (generator == "overlong-line") return write_text(path, std::string(std::size_t{2} << 20, '7'));
  // 200 000 empty skipped sections (2.8 MB): the reader walks through them in
  // linear time and stores nothing.
  if (generator == "many-empty-sections") return write_text(path, repeated("  1   400   0\n", 200000));
  // 10 000 nested elements before the alignments, closed or never closed.
  constexpr std::size_t kDepth = 10000;
  if (generator == "deep-nesting") {
    return write_text(
        path, design_with("<Alignments>", repeated("<Feature>", kDepth) + repeated("</Feature>", kDepth)));
  }
  if (generator == "deep-nesting-unclosed")
    return write_text(path, design_with("<Alignments>", repeated("<Feature>", kDepth)));
  // An attribute of 10 MB on the alignment, and a name of 5 Mi letters é.
  constexpr std::size_t kMegabytes10 = std::size_t{10} << 20;
  if (generator == "huge-attribute") {
    return write_text(path,
                      design_with("name=\"stress\"", "desc=\"" + std::string(kMegabytes10, 'x') + "\" "));
  }
  if (generator == "huge-name") {
    std::string design(kLandXmlDesign);
    const std::string name = "name=\"stress\"";
    design.replace(design.find(name), name.size(), "name=\"" + repeated("\u00e9", kMegabytes10 / 2) + "\"");
    return write_text(path, design);
  }
  // A named pipe that no one writes to: opening it to read would wait for ever.
  if (generator == "fifo") return ::mkfifo(path.c_str(), 0600) == 0;
  // The design followed by holes up to 40 GB (sparse: no disk space used).
  if (generator == "sparse-40-gb") {
    std::error_code error;
    if (!write_text(path, std::string(kLandXmlDesign))) return false;
    fs::resize_file(path, std::uintmax_t{40} << 30, error);
    return !error;
  }
  // "12" in UTF-16LE (it looks like UTF-16), then holes up to 2 GB: the first
  // line never ends.
  if (generator == "utf16-sparse-2-gb") {
    std::error_code error;
    if (!write_text(path, std::string("1\0"
                                      "2\0",
                                      4)))
      return false;
    fs::resize_file(path, std::uintmax_t{2} << 30, error);
    return !error;
  }
  // The plain design, under whatever name the case gives (control
  // characters included).
  if (generator == "design") return write_text(path, std::string(kLandXmlDesign));
  return false;
}

}  // namespace corvalinde::reliability
