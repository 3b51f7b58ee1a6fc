// The LandXML reader: reads a LandXML file into the RoadModel (the plan of
// one alignment, one of its vertical profiles and the crossfall of its grade
// surface), asking the user through the user-interface port when there is a
// choice, and reporting on the console. The caller owns the console and the
// model; reading never throws, and the mask tells which tables it completed.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Reads the file at `path`; returns the mask of the completed tables
// (kMaskPlan | kMaskProfile | kMaskCrossfall), 0 when nothing usable was read.
// sha256, when given, receives the digest of the bytes read (empty when the
// file was refused before it was read).
[[nodiscard]] int read_landxml(Console& console, RoadModel& model, const std::string& path,
                               std::string* sha256 = nullptr);

// The file read and parsed once (null only when memory ran out), for several
// readings of it; and one reading of it, with the console lines the reading
// of the file at `path` writes.
struct ParsedLandXml;
[[nodiscard]] std::shared_ptr<const ParsedLandXml> parse_landxml_file(const std::string& path);
[[nodiscard]] int read_landxml(Console& console, RoadModel& model, const ParsedLandXml& parsed,
                               const std::string& path);

// The same for a file's text already in memory; `file_name` is what the
// console lines show.
[[nodiscard]] int read_landxml_text(Console& console, RoadModel& model, std::string text,
                                    std::string_view file_name);

}  // namespace corvalinde
