// Parameter extraction for the full-wave correction: the section lengths of the circuit model
// whose S11 and S21 come closest, in least squares, to a field solution (the fitter, fit/fit.h,
// with the lengths alone free: the step capacitances and reference planes stay the model's).
#pragma once

#include <vector>

#include "analysis/coax_cascade.h"
#include "app/field_solver.h"
#include "model/design_record.h"

namespace mx {

// The fit uses the frequencies up to this multiple of the highest one at which the field
// solution's loss is still below 3 dB: the passband, the edge and the start of the skirt.
inline constexpr double kFitBandOver3Db = 1.25;

// The lengths (inch, sections 1..N) of the filter ds whose circuit model reproduces `fw`, from
// `start`. Throws FieldSolverError when the fit fails.
std::vector<double> fit_lengths(const DesignRecord& ds, const EndSteps& ends,
                                const FullWaveResponse& fw, const std::vector<double>& start);

}  // namespace mx
