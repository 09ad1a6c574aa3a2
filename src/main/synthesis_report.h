// The synthesis report: heading and design block (both syntheses) and the
// element table of an electrical synthesis.
#pragma once

#include "main/main_values.h"
#include "main/report.h"
#include "model/design_state.h"

namespace mx {

// Heading, design frequencies, prototype and element values (lppev), the
// design block (with the F1/A1 lines when N came from the skirt
// frequency and attenuation) and, for a Chebyshev response, the ripple line.
void print_synthesis_heading(Report& r, DesignState& ds, MainValues& mv);

// Element table of the standard and the dual circuit, then the closing lines.
// Marks the state as holding an electrical synthesis (ifrom = 4).
void print_element_table(Report& r, DesignState& ds);

}  // namespace mx
