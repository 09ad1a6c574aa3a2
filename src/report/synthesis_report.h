// The report header of every cycle, and the synthesis report: heading and
// design block (both syntheses) and the element table of an electrical
// synthesis.
#pragma once

#include "model/design_record.h"
#include "report/report.h"

namespace mx {

// The rule, program name, run date and subject lines that open every report.
void print_report_header(Report& r, const LocalTime& t);

// Heading, design frequencies and the design block of the synthesized ladder
// (with the F1/A1 lines when N came from the skirt frequency and
// attenuation) and, for a Chebyshev response, the ripple line.
void print_synthesis_heading(Report& r, const DesignRecord& ds);

// Element table of the standard and the dual circuit, then the closing lines.
void print_element_table(Report& r, const DesignRecord& ds);

}  // namespace mx
