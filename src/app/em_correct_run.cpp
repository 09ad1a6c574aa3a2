// --em-correct: the full-wave correction of a distributed synthesis, run through the openEMS model
// script and the least-squares fit, its report, and the corrected record the result files use.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/coax_lines.h"
#include "app/em_correct.h"
#include "app/length_fit.h"
#include "app/options.h"
#include "app/result_files.h"
#include "export/em_model.h"

namespace mx {
namespace {

namespace fs = std::filesystem;

EmModelData trial_model(const DesignRecord& ds, const std::vector<float>& f_mhz) {
  EmModelData d;
  d.program_version = kProgramVersion;
  std::ostringstream title;
  title << "full-wave correction trial of a " << ds.design.sections
        << "-section coaxial filter, FC1 " << ds.design.cutoff_mhz << " MHz";
  d.title = title.str();
  const CoaxFilterLines lines = synthesized_lines(ds);
  auto line = [](const CoaxLineData& l) {
    return DrawingLine{l.outer, l.inner, l.er, l.zo, l.length};
  };
  d.source = line(lines.source);
  for (const CoaxLineData& l : lines.sections) d.sections.push_back(line(l));
  d.load = line(lines.load);
  d.rs = d.rl = ds.design.system_impedance;
  d.f_mhz = f_mhz;
  return d;
}

// The field solution at a resolution of the script, or "converged": the fine and the finest
// solutions extrapolated to a zero cell size, S = S_finest + (S_finest - S_fine) / 3 (second-order
// convergence, the finest cells half the fine ones).
FullWaveResponse field_solution(const DesignRecord& ds, const std::vector<float>& f_mhz,
                                const std::string& resolution) {
  const EmModelData d = trial_model(ds, f_mhz);
  if (auto refusal = em_model_refusal(d)) throw FieldSolverError("cannot model: " + *refusal);
  std::ostringstream script;
  write_em_model(script, d);
  const char* env = std::getenv("MANDRELIX_EM_PYTHON");
  const std::string python = env && *env ? env : kFieldSolverPython;
  const fs::path scratch = fs::temp_directory_path();
  if (resolution != kEmConverged)
    return run_field_solver(python, script.str(), resolution, scratch);
  const FullWaveResponse fine = run_field_solver(python, script.str(), "fine", scratch);
  FullWaveResponse r = run_field_solver(python, script.str(), "finest", scratch);
  if (r.f_mhz != fine.f_mhz) throw FieldSolverError("the fine and finest runs differ in frequency");
  for (std::size_t k = 0; k < r.f_mhz.size(); ++k) {
    r.s11[k] += (r.s11[k] - fine.s11[k]) / 3.0;
    r.s21[k] += (r.s21[k] - fine.s21[k]) / 3.0;
  }
  r.solver_s += fine.solver_s;
  return r;
}

}  // namespace

std::optional<DesignRecord> ResultFiles::full_wave_correction(const DesignRecord& ds,
                                                              const EndSteps& ends) {
  if (!options_.em_correct) return std::nullopt;
  ++em_corrections_;
  const std::string resolution = options_.em_resolution;
  EmCorrection c;
  try {
    c = correct_lengths(
        ds, ends, resolution,
        [&](const DesignRecord& trial, const std::vector<float>& f) {
          return field_solution(trial, f, resolution);
        },
        fit_lengths, err_);
  } catch (const FieldSolverError& e) {
    err_ << "mandrelix: full-wave correction: " << e.what() << '\n';
    failed_ = true;
    return std::nullopt;
  }
  write(*options_.em_correct, em_corrections_, ds, "full-wave correction report",
        [&](std::ostream& os) { write_correction_json(os, c); });
  if (!c.converged) {
    err_ << "mandrelix: full-wave correction: " << c.failure
         << "; the files keep the synthesized lengths\n";
    failed_ = true;
    return std::nullopt;
  }
  DesignRecord corrected = ds;
  for (int j = 1; j <= ds.design.sections; ++j)
    corrected.coax.length(j) = c.lengths_in[static_cast<std::size_t>(j - 1)];
  return corrected;
}

}  // namespace mx
