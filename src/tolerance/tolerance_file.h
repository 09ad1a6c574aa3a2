// A tolerances file: the tolerance of each named dimension, as JSON.
//
//   {"tolerances": [{"dimension": "L1", "tolerance_in": 0.0004},
//                   {"dimension": "D low", "tolerance_in": 0.0001},
//                   {"dimension": "C2", "tolerance_pct": 2}]}
//
// The names are those of the study report: L1..., D high, B high, D low,
// B low (a synthesized filter), D1..., B1... (an entered circuit), C1...
// and L1... (a lumped ladder, in percent). An allocation writes such a file;
// any other key is left alone, so it reads back as it is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tolerance/dimensions.h"

namespace mx {

// The largest tolerance a file may give: one inch, or (as --component-tol)
// just under 100 %.
inline constexpr double kLargestFileTolIn = 1.0;
inline constexpr double kLargestFileTolPct = 100.0;  // not included

struct ToleranceFile {
  std::vector<DimensionTolerance> tolerances;
  std::string error;  // one line saying what is wrong; empty when the file is sound
};

// Reads the text of a tolerances file. A text that is not JSON, an entry
// that is not an object with a dimension and one numeric tolerance, a name
// no filter has, a tolerance given twice, a negative, non-numeric or too
// large tolerance: the error says which.
ToleranceFile parse_tolerance_file(std::string_view text);

// True when some filter has a dimension of this name in this unit (a
// component's tolerance is in percent, a length's or diameter's in inch).
bool possible_dimension(const std::string& name, bool percent);

}  // namespace mx
