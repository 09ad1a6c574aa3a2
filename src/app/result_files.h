// The result files the command line asks for: Touchstone, CSV, plot of every
// analysis; circuit data file of every synthesis; drawing of every coaxial
// synthesis; full-wave model of every coaxial synthesis and analysis. The
// first result of a kind is written to the name given, the k-th to the name
// with "-k" before its extension. Each file written is
// named in one line on the error stream, so the console text of the dialog
// stays as it is.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "analysis/sweep.h"
#include "app/coax_lines.h"
#include "app/program.h"
#include "app/result_names.h"
#include "base/name20.h"
#include "fit/fit.h"
#include "model/design_record.h"
#include "synthesis/stepped_line.h"
#include "tolerance/study.h"

namespace mx {

class ResultFiles {
 public:
  ResultFiles(const RunOptions& options, std::ostream& err, std::filesystem::path workdir)
      : options_(options), err_(err), workdir_(std::move(workdir)) {}

  void analysis(const DesignRecord& ds, std::span<const SweepRow> rows);
  void electrical_synthesis(const DesignRecord& ds);
  // `corrected`: the lengths in ds are the full-wave corrected ones (the drawing says so).
  void distributed_synthesis(const DesignRecord& ds, const SteppedLineResult& res,
                             bool corrected = false);
  // --em-correct: the record with the full-wave corrected lengths (em_correct.h), its report
  // written; none when not asked or when the correction fails (said on the error stream, and the
  // run then ends with status 2).
  std::optional<DesignRecord> full_wave_correction(const DesignRecord& ds, const EndSteps& ends);
  // The tolerance study of the filter in ds (--tolerance): its report and,
  // with --plot, its envelope plot (the plot's name with "-envelope" added).
  void tolerance_study(const DesignRecord& ds, const EndSteps& ends, int threads);
  // The fit of a coaxial analysis to the measured two-port (--fit,
  // fit_files.cpp): its report, the fitted circuit and, with --plot, the
  // overlay. A measurement it cannot use is one line on the error stream.
  void fit(const DesignRecord& ds, const EndSteps& ends, std::span<const SweepRow> rows,
           int threads);

  // True when a result file could not be written (the run then ends with
  // status 2 after the dialog).
  bool failed() const { return failed_; }

  // True when the report file of that name (in the working folder) would be
  // a result file this run has written.
  bool written(const Name20& report) const;

 private:
  // The tolerances allocated for the target yield (--allocate-tolerances),
  // with the study's settings; a filter that cannot have them is named on
  // the error stream and fails the run.
  void allocation(const DesignRecord& ds, const EndSteps& ends, const StudySettings& settings);
  // The two-port of a Touchstone file, or nothing, said in one line.
  std::optional<MeasuredTwoPort> read_measurement(const std::filesystem::path& file);
  // The full-wave model of the filter (--em-model), when it can be modelled.
  void em_model(const DesignRecord& ds, const CoaxFilterLines& lines);
  // The ngspice netlist of a lumped ladder (--spice).
  void spice(const DesignRecord& ds);
  // Writes the k-th file of `asked` through `write`, checking it is not the
  // report file, and names it on the error stream.
  void write(const std::filesystem::path& asked, int k, const DesignRecord& ds, const char* what,
             const std::function<void(std::ostream&)>& body);

  const RunOptions& options_;
  std::ostream& err_;
  std::filesystem::path workdir_;
  int analyses_ = 0;
  int syntheses_ = 0;
  int drawings_ = 0;
  int em_models_ = 0;
  int studies_ = 0;
  int netlists_ = 0;
  int em_corrections_ = 0;
  int fits_ = 0;
  // The measured two-ports of --fit and --fit-reference, read at the first
  // fit (a file that cannot be read is said once).
  std::optional<MeasuredTwoPort> measured_, reference_;
  bool read_tried_ = false;
  bool failed_ = false;
  std::vector<std::filesystem::path> written_;  // as weakly_canonical gives them
};

}  // namespace mx
