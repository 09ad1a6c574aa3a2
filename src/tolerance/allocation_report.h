// The file of an allocation (JSON): the target and confirmed yield, the
// tolerance of each dimension under the names of the study report, and the
// cost beside that of the loosest uniform tolerances. It reads back as a
// tolerances file (tolerance_file.h).
#pragma once

#include <ostream>

#include "tolerance/allocation.h"

namespace mx {

void write_allocation_json(std::ostream& os, const Allocation& a, const AllocationSettings& s);

}  // namespace mx
