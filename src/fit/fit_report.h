// The report of a fit, as plain text or as JSON: every dimension with its
// nominal and fitted value, the change, its standard error and whether the
// change is outside the machining tolerance; the step factors and plane
// offsets; the residual; the -3 dB frequency as designed, as built and after
// the corrections; and the correction list.
//
// JSON: "dimensions" (objects with "name", "nominal_in", "fitted_in",
// "change_in", "change_mil", "std_error_in", "outside_tolerance",
// "at_bound"), "step_capacitance_scale" (the common factor, 1 when it was
// held, null when each junction kind has its own), "step_capacitance_scales"
// (each factor fitted: "name", "junctions", "scale", "std_error"),
// "plane_offsets" ("port", "offset_in", "std_error_in"), "residual_rms_db"
// ("s21", "s11"), "worst_residual" ("db", "f_mhz", "parameter"),
// "cutoff_3db_mhz" ("nominal", "built", "corrected"), "corrections"
// (objects with "section", "operation", "amount_in",
// "predicted_cutoff_3db_mhz"), "notes", and what was fitted to what.
#pragma once

#include <ostream>
#include <string>

#include "fit/corrections.h"
#include "fit/fit.h"

namespace mx {

struct FitReport {
  std::string measured_file;        // as the command line gave it
  std::string reference_file;       // the fit is referred to (refer_to_reference), or empty
  std::string circuit;              // "entered coaxial circuit", "synthesized coaxial filter"
  std::string fitted_circuit_file;  // the circuit data file written, or empty
  FitSettings settings;
  FitResult fit;
  CorrectionPlan plan;
  CorrectionSettings tolerances;
};

void write_fit_text(std::ostream& os, const FitReport& r);
void write_fit_json(std::ostream& os, const FitReport& r);

}  // namespace mx
