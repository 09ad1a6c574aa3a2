// The distributed synthesis run: section lengths of the coaxial filter, its
// dimension report, and the diagnostic listing that compares every section
// with its lumped prototype.
#pragma once

#include "coax/distributed.h"
#include "main/main_values.h"
#include "main/report.h"
#include "main/text_out.h"
#include "model/design_state.h"

namespace mx {

// Runs the section-length computation into mv.dist (mv.ierr gets its code).
// A realizable design gets its dimension report (console and file, with the
// closing lines) and the result is true. An unrealizable one gets its message
// and a rule on the console only, and the result is false.
bool run_distributed_synthesis(Report& r, DesignState& ds, MainValues& mv);

// The console message for a realizability code 1..4 of res, followed by the
// rule. Nothing is written for code 0.
void print_realizability_message(TextOut& console, const DesignState& ds,
                                 const DistributedResult& res);

// Console-only listing of the last completed distributed synthesis: the ideal,
// computed and realised value of every section with its junction capacitances,
// proximity factor and electrical length, then each section's contributions.
// The design itself is left as it was.
void print_diagnostic_listing(TextOut& console, DesignState& ds, MainValues& mv);

}  // namespace mx
