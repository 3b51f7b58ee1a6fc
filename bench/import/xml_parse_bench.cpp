// Parse time and peak memory of the XML tree parser on a large generated
// LandXML file (an alignment with a profile, and a TIN surface of about
// 500 000 points and 1 000 000 faces, about 100 MB), beside two general XML
// libraries for reference. The file is written to the temporary folder and
// removed at the end. Times come from Google Benchmark; peak memory is
// measured in one child process per parser (the process's peak resident set,
// which includes the buffer holding the file).
//
//   xml_parse_bench [benchmark options]    generate, time, measure memory
//   CORVALINDE_BENCH_XML=file              use (and keep) that file, generated when absent
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/resource.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "import/xml_tree.h"

namespace corvalinde {
namespace {

constexpr int kGridSide = 708;  // 708 x 708 points, two faces per grid cell
constexpr int kPlanElements = 240;
constexpr int kProfilePoints = 60;
constexpr const char* kPointsPath = "xml/LandXML/Surfaces/Surface/Definition/Pnts";

// A deterministic sequence for the coordinate digits.
class Digits {
 public:
  double next_fraction() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }

 private:
  std::uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

void write_alignment(fmt::memory_buffer& out) {
  out.append(
      std::string_view("  <Alignments name=\"Roads\">\n"
                       "    <Alignment name=\"Axe 1\" length=\"12000.\" staStart=\"0.\" desc=\"Bench\">\n"
                       "      <CoordGeom>\n"));
  double north = 6407331.3533;
  double east = 155610.9319;
  for (int i = 0; i < kPlanElements; ++i) {
    const double next_north = north + 40.0;
    const double next_east = east + 10.0 * std::sin(i);
    if (i % 3 == 0) {
      fmt::format_to(std::back_inserter(out),
                     "        <Line staStart=\"{:.6f}\" length=\"40.\">\n"
                     "          <Start>{:.12f} {:.12f}</Start>\n"
                     "          <End>{:.12f} {:.12f}</End>\n"
                     "        </Line>\n",
                     i * 40.0, north, east, next_north, next_east);
    } else if (i % 3 == 1) {
      fmt::format_to(std::back_inserter(out),
                     "        <Spiral length=\"40.\" radiusEnd=\"300.\" radiusStart=\"INF\" rot=\"ccw\" "
                     "spiType=\"clothoid\">\n"
                     "          <Start>{:.12f} {:.12f}</Start>\n"
                     "          <PI>{:.12f} {:.12f}</PI>\n"
                     "          <End>{:.12f} {:.12f}</End>\n"
                     "        </Spiral>\n",
                     north, east, north + 20.0, east, next_north, next_east);
    } else {
      fmt::format_to(std::back_inserter(out),
                     "        <Curve rot=\"ccw\" radius=\"300.\" length=\"40.\">\n"
                     "          <Start>{:.12f} {:.12f}</Start>\n"
                     "          <Center>{:.12f} {:.12f}</Center>\n"
                     "          <End>{:.12f} {:.12f}</End>\n"
                     "        </Curve>\n",
                     north, east, north, east + 300.0, next_north, next_east);
    }
    north = next_north;
    east = next_east;
  }
  out.append(
      std::string_view("      </CoordGeom>\n      <Profile name=\"Axe 1\">\n"
                       "        <ProfAlign name=\"Design\">\n"));
  for (int i = 0; i < kProfilePoints; ++i) {
    const double station = i * 160.0;
    const double elevation = 100.0 + 5.0 * std::sin(i * 0.7);
    if (i == 0 || i == kProfilePoints - 1) {
      fmt::format_to(std::back_inserter(out), "          <PVI>{:.6f} {:.6f}</PVI>\n", station, elevation);
    } else {
      fmt::format_to(std::back_inserter(out),
                     "          <ParaCurve length=\"80.\">{:.6f} {:.6f}</ParaCurve>\n", station, elevation);
    }
  }
  out.append(std::string_view("        </ProfAlign>\n      </Profile>\n    </Alignment>\n  </Alignments>\n"));
}

void flush(fmt::memory_buffer& out, std::FILE* file) {
  std::fwrite(out.data(), 1, out.size(), file);
  out.clear();
}

// Writes the file and returns its size in bytes.
std::uintmax_t write_landxml(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  fmt::memory_buffer out;
  out.append(std::string_view(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<LandXML xmlns=\"http://www.landxml.org/schema/LandXML-1.2\" version=\"1.2\" date=\"2024-05-01\" "
      "time=\"12:00:00\" language=\"English\" readOnly=\"false\">\n"
      "  <Units>\n    <Metric areaUnit=\"squareMeter\" linearUnit=\"meter\" volumeUnit=\"cubicMeter\" "
      "temperatureUnit=\"celsius\" pressureUnit=\"milliBars\" angularUnit=\"decimal degrees\"/>\n  "
      "</Units>\n"));
  write_alignment(out);
  out.append(
      std::string_view("  <Surfaces>\n    <Surface name=\"TIN\" desc=\"Bench\">\n"
                       "      <Definition surfType=\"TIN\" area2DSurf=\"250000.\">\n        <Pnts>\n"));
  Digits digits;
  for (int row = 0; row < kGridSide; ++row) {
    for (int column = 0; column < kGridSide; ++column) {
      const int id = row * kGridSide + column + 1;
      fmt::format_to(std::back_inserter(out), "\t\t\t\t\t<P id=\"{}\">{:.12f} {:.12f} {:.12f}</P>\n", id,
                     6407000.0 + row * 1.25 + digits.next_fraction(),
                     155000.0 + column * 1.25 + digits.next_fraction(), 70.0 + 10.0 * digits.next_fraction());
    }
    if (out.size() > (1u << 20)) flush(out, file);
  }
  out.append(std::string_view("        </Pnts>\n        <Faces>\n"));
  int face = 0;
  for (int row = 0; row + 1 < kGridSide; ++row) {
    for (int column = 0; column + 1 < kGridSide; ++column) {
      const int a = row * kGridSide + column + 1;
      const int b = a + 1;
      const int c = a + kGridSide;
      const int d = c + 1;
      fmt::format_to(std::back_inserter(out), "\t\t\t\t\t<F n=\"{} {} {}\">{} {} {}</F>\n", face + 2,
                     face + 3, face > 0 ? face : 0, a, b, c);
      fmt::format_to(std::back_inserter(out), "\t\t\t\t\t<F n=\"{} {} {}\">{} {} {}</F>\n", face + 1,
                     face + 4, face + 2 * kGridSide, b, d, c);
      face += 2;
    }
    if (out.size() > (1u << 20)) flush(out, file);
  }
  out.append(
      std::string_view("        </Faces>\n      </Definition>\n    </Surface>\n  </Surfaces>\n"
                       "</LandXML>\n"));
  flush(out, file);
  std::fclose(file);
  return std::filesystem::file_size(path);
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<std::size_t>(std::filesystem::file_size(path)), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  return text;
}

std::string g_text;  // the file, loaded once for the timings

// Points under the surface, counted in each tree to prove the parses equal.
int count_points(const XmlElement& root) {
  const XmlElement* points = find_element(root, kPointsPath);
  int count = 0;
  int index = 0;
  while (points != nullptr && next_element(*points, index) != nullptr) ++count;
  return count;
}

int count_points(const pugi::xml_document& document) {
  int count = 0;
  for (const pugi::xml_node point : document.child("LandXML")
                                        .child("Surfaces")
                                        .child("Surface")
                                        .child("Definition")
                                        .child("Pnts")
                                        .children("P")) {
    static_cast<void>(point);
    ++count;
  }
  return count;
}

const xmlNode* child_named(const xmlNode* node, const char* name) {
  for (const xmlNode* child = node != nullptr ? node->children : nullptr; child != nullptr;
       child = child->next) {
    if (child->type == XML_ELEMENT_NODE &&
        std::strcmp(reinterpret_cast<const char*>(child->name), name) == 0) {
      return child;
    }
  }
  return nullptr;
}

int count_points(xmlDoc* document) {
  const xmlNode* node = xmlDocGetRootElement(document);
  for (const char* name : {"Surfaces", "Surface", "Definition", "Pnts"}) node = child_named(node, name);
  int count = 0;
  for (const xmlNode* child = node != nullptr ? node->children : nullptr; child != nullptr;
       child = child->next) {
    if (child->type == XML_ELEMENT_NODE) ++count;
  }
  return count;
}

constexpr int kPoints = kGridSide * kGridSide;

void BM_parse_xml(benchmark::State& state) {
  for (auto _ : state) {
    XmlTree tree = parse_xml(g_text.c_str());
    state.PauseTiming();
    if (tree == nullptr || count_points(*tree) != kPoints) state.SkipWithError("parse_xml failed");
    tree.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_text.size()));
}

void BM_parse_xml_handing_over_the_buffer(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::string buffer = g_text;
    state.ResumeTiming();
    XmlTree tree = parse_xml(std::move(buffer));
    state.PauseTiming();
    if (tree == nullptr || count_points(*tree) != kPoints) state.SkipWithError("parse_xml failed");
    tree.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_text.size()));
}

void BM_pugixml(benchmark::State& state) {
  const auto options = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    auto document = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result = document->load_buffer(g_text.data(), g_text.size(), options);
    state.PauseTiming();
    if (!result || count_points(*document) != kPoints) state.SkipWithError("pugixml failed");
    document.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_text.size()));
}

void BM_libxml2(benchmark::State& state) {
  for (auto _ : state) {
    xmlDoc* document = xmlReadMemory(g_text.data(), static_cast<int>(g_text.size()), "bench.xml", nullptr,
                                     XML_PARSE_NONET | XML_PARSE_HUGE);
    state.PauseTiming();
    if (document == nullptr || count_points(document) != kPoints) state.SkipWithError("libxml2 failed");
    xmlFreeDoc(document);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_text.size()));
}

BENCHMARK(BM_parse_xml)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_parse_xml_handing_over_the_buffer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_pugixml)
    ->ArgName("options")
    ->Arg(static_cast<std::int64_t>(pugi::parse_default))
    ->Arg(static_cast<std::int64_t>(pugi::parse_minimal))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
BENCHMARK(BM_libxml2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

long peak_resident_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Child mode: read the file the way a reader does, parse it, report the peak.
int measure_peak(std::string_view parser, const char* path) {
  const long before_kb = peak_resident_kb();
  int points = 0;
  if (parser == "parse_xml") {
    XmlTree tree = parse_xml(read_file(path));
    points = tree != nullptr ? count_points(*tree) : -1;
  } else if (parser == "parse_xml_copying") {
    std::string text = read_file(path);
    XmlTree tree = parse_xml(text.c_str());
    text = std::string();
    points = tree != nullptr ? count_points(*tree) : -1;
  } else if (parser == "pugixml") {
    // pugixml's leanest way: it parses a buffer it takes over in place.
    const auto bytes = static_cast<std::size_t>(std::filesystem::file_size(path));
    void* buffer = pugi::get_memory_allocation_function()(bytes);
    std::FILE* file = std::fopen(path, "rb");
    const bool read = file != nullptr && std::fread(buffer, 1, bytes, file) == bytes;
    if (file != nullptr) std::fclose(file);
    pugi::xml_document document;
    if (read && document.load_buffer_inplace_own(buffer, bytes)) points = count_points(document);
  } else if (parser == "libxml2") {
    std::string text = read_file(path);
    xmlDoc* document = xmlReadMemory(text.data(), static_cast<int>(text.size()), "bench.xml", nullptr,
                                     XML_PARSE_NONET | XML_PARSE_HUGE);
    text = std::string();
    points = document != nullptr ? count_points(document) : -1;
    xmlFreeDoc(document);
  } else {
    return 2;
  }
  std::printf("%ld %ld %d\n", before_kb, peak_resident_kb(), points);
  return 0;
}

void report_peaks(const std::filesystem::path& path, std::uintmax_t size) {
  std::printf("\nPeak resident memory, one process per parser, file %.1f MB (%ju bytes)\n",
              static_cast<double>(size) / 1e6, size);
  std::printf("%-20s %12s %12s %10s\n", "parser", "start MB", "peak MB", "peak/file");
  for (const char* parser : {"parse_xml", "parse_xml_copying", "pugixml", "libxml2"}) {
    const std::string command = fmt::format("'/proc/{}/exe' --peak {} '{}'", getpid(), parser, path.string());
    std::FILE* child = popen(command.c_str(), "r");
    long start_kb = 0;
    long peak_kb = 0;
    int points = 0;
    const bool read = child != nullptr && std::fscanf(child, "%ld %ld %d", &start_kb, &peak_kb, &points) == 3;
    if (child != nullptr) pclose(child);
    if (!read || points != kPoints) {
      std::printf("%-20s failed\n", parser);
      continue;
    }
    std::printf("%-20s %12.1f %12.1f %10.2f\n", parser, static_cast<double>(start_kb) / 1024.0,
                static_cast<double>(peak_kb) / 1024.0,
                static_cast<double>(peak_kb) * 1024.0 / static_cast<double>(size));
  }
}

}  // namespace
}  // namespace corvalinde

int main(int argc, char** argv) {
  using namespace corvalinde;
  if (argc == 4 && std::strcmp(argv[1], "--peak") == 0) return measure_peak(argv[2], argv[3]);

  std::filesystem::path path;
  bool generated = false;
  if (const char* given = std::getenv("CORVALINDE_BENCH_XML"); given != nullptr && *given != '\0') {
    path = given;
    if (!std::filesystem::exists(path)) write_landxml(path);
  } else {
    path = std::filesystem::temp_directory_path() / fmt::format("corvalinde-xml-bench-{}.xml", getpid());
    generated = true;
    write_landxml(path);
  }
  const std::uintmax_t size = std::filesystem::file_size(path);
  std::printf("LandXML file %s: %.1f MB, %d points, %d faces\n", path.c_str(),
              static_cast<double>(size) / 1e6, kPoints, 2 * (kGridSide - 1) * (kGridSide - 1));
  g_text = read_file(path);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_text = std::string();

  report_peaks(path, size);
  if (generated) std::filesystem::remove(path);
  return 0;
}
