// The core of one application process, shared by the desktop program and
// corvalinde-cli: the road model and the console it owns for the whole
// process, the readers of both file types and the four analysis slots, wired
// into one AnalysisRun. The front end owns the CoreApplication and supplies
// the selection step for each run.
#pragma once

#include <memory>
#include <string>

#include "app/analysis_run.h"

namespace corvalinde {

struct ParsedLandXml;
struct ParsedIfc;

class CoreApplication {
 public:
  CoreApplication();
  ~CoreApplication();
  CoreApplication(const CoreApplication&) = delete;
  CoreApplication& operator=(const CoreApplication&) = delete;

  RoadModel& model() { return model_; }
  Console& console() { return console_; }

  // Whether the visibility walks of the two senses of travel run on two
  // threads (the default) or one after the other on the calling thread (a
  // front end told to use one thread in all). The listing is the same.
  void set_concurrent_senses(bool concurrent);

  // Runs the whole cycle on the file with the given selection step.
  RunOutcome open_design(const std::string& path, int file_type, SelectionStep& step);
  // The same on a LandXML file already read and parsed (path: the file's
  // name, as the listing shows it).
  RunOutcome open_design(const std::string& path, const ParsedLandXml& parsed, SelectionStep& step);
  // The same on an IFC file already read.
  RunOutcome open_design(const std::string& path, const ParsedIfc& parsed, SelectionStep& step);

 private:
  struct Parts;
  RoadModel model_;
  Console console_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace corvalinde
