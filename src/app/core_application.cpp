#include "app/core_application.h"

#include "analysis/alignment_review.h"
#include "analysis/profile_review.h"
#include "analysis/superelevation_review.h"
#include "analysis/visibility_analyses.h"
#include "import/ifc/ifc_reader.h"
#include "import/landxml/landxml_document.h"
#include "import/landxml/landxml_reader.h"
#include "import/native_design_reader.h"

namespace corvalinde {
namespace {

class NativeReader final : public DesignReader {
 public:
  int read(Console& console, RoadModel& model, const std::string& path) override {
    sha256_.clear();
    return read_native_design(console, model, path, &sha256_);
  }
  [[nodiscard]] std::string file_sha256() const override { return sha256_; }

 private:
  std::string sha256_;
};

class LandXmlReader final : public DesignReader {
 public:
  int read(Console& console, RoadModel& model, const std::string& path) override {
    sha256_.clear();
    if (parsed != nullptr) {
      sha256_ = parsed->sha256;
      return read_landxml(console, model, *parsed, path);
    }
    return read_landxml(console, model, path, &sha256_);
  }
  [[nodiscard]] std::string file_sha256() const override { return sha256_; }

  const ParsedLandXml* parsed = nullptr;  // read in place of the file when set

 private:
  std::string sha256_;
};

class IfcReader final : public DesignReader {
 public:
  int read(Console& console, RoadModel& model, const std::string& path) override {
    sha256_.clear();
    if (parsed != nullptr) {
      sha256_ = parsed->sha256;
      return read_ifc(console, model, *parsed, path);
    }
    return read_ifc(console, model, path, &sha256_);
  }
  [[nodiscard]] std::string file_sha256() const override { return sha256_; }

  const ParsedIfc* parsed = nullptr;  // read in place of the file when set

 private:
  std::string sha256_;
};

class HorizontalAlignmentAnalysis final : public Analysis {
 public:
  void run(Console& console, const RoadModel& model, int road_type, const CrossSection&) override {
    horizontal_alignment_review(console, model, road_type);
  }
};

class SuperelevationAnalysis final : public Analysis {
 public:
  void run(Console& console, const RoadModel& model, int road_type, const CrossSection&) override {
    superelevation_review(console, model, road_type);
  }
};

class VerticalProfileAnalysis final : public Analysis {
 public:
  void run(Console& console, const RoadModel& model, int road_type, const CrossSection&) override {
    vertical_profile_review(console, model, road_type);
  }
};

class VisibilityAnalysis final : public Analysis {
 public:
  void run(Console& console, const RoadModel& model, int road_type,
           const CrossSection& cross_section) override {
    visibility_analyses(console, model, road_type, cross_section, senses);
  }
  SenseWalks senses = SenseWalks::kConcurrent;
};

}  // namespace

struct CoreApplication::Parts {
  NativeReader native;
  LandXmlReader landxml;
  IfcReader ifc;
  HorizontalAlignmentAnalysis horizontal_alignment;
  SuperelevationAnalysis superelevation;
  VerticalProfileAnalysis vertical_profile;
  VisibilityAnalysis visibility;
  AnalysisRun run;
};

CoreApplication::CoreApplication() : parts_(std::make_unique<Parts>()) {
  parts_->run.model = &model_;
  parts_->run.native_reader = &parts_->native;
  parts_->run.landxml_reader = &parts_->landxml;
  parts_->run.ifc_reader = &parts_->ifc;
  parts_->run.analyses[0] = &parts_->horizontal_alignment;
  parts_->run.analyses[1] = &parts_->superelevation;
  parts_->run.analyses[2] = &parts_->vertical_profile;
  parts_->run.analyses[3] = &parts_->visibility;
}

CoreApplication::~CoreApplication() = default;

void CoreApplication::set_concurrent_senses(bool concurrent) {
  parts_->visibility.senses = concurrent ? SenseWalks::kConcurrent : SenseWalks::kOneAfterTheOther;
}

RunOutcome CoreApplication::open_design(const std::string& path, int file_type, SelectionStep& step) {
  parts_->run.selection_step = &step;
  RunOutcome outcome = corvalinde::open_design(parts_->run, console_, path, file_type);
  parts_->run.selection_step = nullptr;
  return outcome;
}

RunOutcome CoreApplication::open_design(const std::string& path, const ParsedLandXml& parsed,
                                        SelectionStep& step) {
  parts_->landxml.parsed = &parsed;
  RunOutcome outcome = open_design(path, kLandXmlFile, step);
  parts_->landxml.parsed = nullptr;
  return outcome;
}

RunOutcome CoreApplication::open_design(const std::string& path, const ParsedIfc& parsed,
                                        SelectionStep& step) {
  parts_->ifc.parsed = &parsed;
  RunOutcome outcome = open_design(path, kIfcFile, step);
  parts_->ifc.parsed = nullptr;
  return outcome;
}

}  // namespace corvalinde
