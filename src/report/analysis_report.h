// The frequency analysis report: the model analysed, the terminations, then
// one row of port figures per frequency of the sweep.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "analysis/sweep.h"
#include "model/design_record.h"
#include "report/report.h"

namespace mx {

// Prints the model (the dimension table of an entered coaxial circuit), the
// port impedances, the loss data of a coaxial circuit, the title and the
// table heading, the rows and the closing lines.
void print_analysis_report(Report& r, const DesignRecord& ds, std::span<const SweepRow> rows);

// The same report up to the table heading.
void print_analysis_heading(Report& r, const DesignRecord& ds);

// Runs the sweep of ds (run_sweep with options) and prints its report as
// print_analysis_report does, writing each block of rows as soon as it and
// the blocks before it are done. Returns the rows.
SweepRows sweep_and_print_analysis(Report& r, DesignRecord& ds, const EndSteps& ends,
                                   SweepOptions options);

// One row of the response table (console and file). Delays above 10000 ns
// are shown without decimals.
void write_analysis_row(Report& r, const SweepRow& row);
// The text of that row, line end included, appended to out.
void render_analysis_row(std::string& out, const SweepRow& row);

}  // namespace mx
