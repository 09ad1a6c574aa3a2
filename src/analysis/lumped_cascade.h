// The lumped LC ladder of the design record as one chain matrix.
#pragma once

#include <array>
#include <span>

#include "analysis/two_port.h"
#include "model/design_record.h"

namespace mx {

// The frequency-independent part of the ladder, read from the record once
// for a sweep: the element at each position, source first.
struct LumpedLadder {
  int count = 0;
  std::array<float, 31> value{};  // nH of a series inductor, pF of a shunt capacitor
  std::array<bool, 31> series{};  // a series inductor, else a shunt capacitor
  // The resonating partner of the element (0: none): pF of a capacitor across
  // a series inductor, nH of an inductor in series with a shunt capacitor.
  std::array<float, 31> partner{};
  bool resonant = false;  // some element has a partner
};

// Positions 1..N from the source: shunt capacitors (pF) and series inductors
// (nH) alternating, a capacitor first unless the configuration is dual, each
// with its partner from tank_pf (series positions) or trap_nh (shunt
// positions). Only the arrays that belong to a position are read.
LumpedLadder lumped_ladder(const DesignRecord& ds);

// The chain matrix at f (MHz).
void lumped_cascade(const LumpedLadder& ladder, float f, TwoPort& rs);
// The chain matrices at f1 and f2, the two products interleaved (they are
// independent, so the processor works on both at once).
void lumped_cascades(const LumpedLadder& ladder, float f1, float f2, TwoPort& rs1, TwoPort& rs2);
// The chain matrix at each f[k] in rs[k] (rs as long as f), four products
// at a time side by side.
void lumped_cascades(const LumpedLadder& ladder, std::span<const float> f, std::span<TwoPort> rs);

// The ladder of ds at f (MHz).
void lumped_cascade(const DesignRecord& ds, float f, TwoPort& rs);

}  // namespace mx
