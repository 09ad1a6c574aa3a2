// The reports of a distributed synthesis: the dimension report of the
// coaxial filter, the message of an unrealizable design, and the diagnostic
// listing that compares every section with its lumped prototype.
#pragma once

#include "base/text_out.h"
#include "model/design_record.h"
#include "report/report.h"
#include "synthesis/stepped_line.h"

namespace mx {

// The dimension report of a completed synthesis (console and file), with
// the closing lines.
void print_dimension_report(Report& r, const DesignRecord& ds, const SteppedLineResult& res);

// The console message for an unrealizable design, followed by the rule.
// Nothing is written for a completed one.
void print_realizability_message(TextOut& console, const DesignRecord& ds,
                                 const SteppedLineResult& res);

// Console-only listing of a completed synthesis: the ideal, computed and
// realised value of every section with its junction capacitances, proximity
// factor and electrical length, then each section's contributions.
void print_diagnostic_listing(TextOut& console, const DesignRecord& ds,
                              const SteppedLineResult& res, const LumpedEquivalents& eq);

}  // namespace mx
