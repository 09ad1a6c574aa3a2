// The lumped LC ladder of the design record as one chain matrix.
#pragma once

#include "analysis/two_port.h"
#include "model/design_state.h"

namespace mx {

// Cascades positions 1..n from the source: shunt capacitors shuntc(k) (pF) and
// series inductors serl(k) (nH) alternating, a capacitor first when icfg is 1,
// an inductor first when it is 2. Only the array that belongs to a position is
// read. f in MHz. On an element error returns at once with ierr set and rs
// holding the product so far.
void ladder(const DesignState& ds, float f, int& ierr, TwoPort& rs);

}  // namespace mx
