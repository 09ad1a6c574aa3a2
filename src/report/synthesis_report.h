// The report header of every cycle, and the synthesis report: heading and
// design block (both syntheses) and the element table of an electrical
// synthesis.
#pragma once

#include <string>
#include <vector>

#include "analysis/ladder_figures.h"
#include "model/design_record.h"
#include "report/report.h"
#include "synthesis/standard_values.h"

namespace mx {

// The rule, program name, run date and subject lines that open every report.
void print_report_header(Report& r, const LocalTime& t);

// Heading, design frequencies and the design block of the synthesized ladder
// (with the F1/A1 lines when N came from the skirt frequency and
// attenuation) and, for a Chebyshev response, the ripple line.
void print_synthesis_heading(Report& r, const DesignRecord& ds);

struct StandardValuesReport;

// Element table of the standard and the dual circuit, the resonant arms, the
// standard values when there are any, then the closing lines.
void print_element_table(Report& r, const DesignRecord& ds,
                         const StandardValuesReport* standard = nullptr);

// A ladder moved onto standard values, and what that does to it.
struct StandardValuesReport {
  std::string series;  // "E12"
  std::vector<SnappedValue> values;
  LadderFigures exact, chosen;
  float stop_mhz = 0;  // where the stopband figures start
};

// The table of exact and chosen values and the figures of both ladders.
void print_standard_values(Report& r, const StandardValuesReport& s);

}  // namespace mx
