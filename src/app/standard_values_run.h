// A lumped design moved onto standard component values ([response] snap).
#pragma once

#include <optional>

#include "model/design_record.h"
#include "report/synthesis_report.h"

namespace mx {

// When the design asks for standard values (ds.design.snap_series), moves
// the synthesized ladder of ds onto them and returns the table of exact and
// chosen values with the figures of both ladders; otherwise nothing, ds
// untouched.
std::optional<StandardValuesReport> snap_to_standard_values(DesignRecord& ds);

}  // namespace mx
