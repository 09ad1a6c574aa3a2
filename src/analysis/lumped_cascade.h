// The lumped LC ladder of the design record as one chain matrix.
#pragma once

#include "analysis/two_port.h"
#include "model/design_record.h"

namespace mx {

// Positions 1..N from the source: shunt capacitors (pF) and series inductors
// (nH) alternating, a capacitor first unless the configuration is dual. Only
// the array that belongs to a position is read. f in MHz.
void lumped_cascade(const DesignRecord& ds, float f, TwoPort& rs);

}  // namespace mx
