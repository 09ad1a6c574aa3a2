// The frequency analysis run: the model analysed, then one row of port
// quantities per frequency of the sweep.
#pragma once

#include "analysis/response.h"
#include "main/main_values.h"
#include "main/report.h"
#include "model/design_state.h"

namespace mx {

// Prints the model (the dimension table of an entered coaxial circuit, the
// port impedances, the loss data of a coaxial circuit), the title and the
// table heading, then sweeps fmin + fstep * ii for ii = 0..nloops. Returns 0
// after the closing lines, or at once the nonzero code of a point whose
// lumped cascade failed (the program then ends; mv.ierr holds the code).
int run_frequency_analysis(Report& r, DesignState& ds, MainValues& mv);

// One row of the response table (console and file). Delays above 10000 ns
// are shown without decimals.
void write_analysis_row(Report& r, float f, const PointResponse& p);

}  // namespace mx
