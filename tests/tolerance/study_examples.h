// The filters the tolerance tests study: the worked example synthesized and
// set up for analysis, the same filter entered as a coaxial circuit, and its
// ladder as a lumped analysis.
#pragma once

#include "analysis/coax_cascade.h"
#include "designs.h"
#include "line/impedance.h"
#include "model/design_record.h"
#include "synthesis/stepped_line.h"

namespace mx {

struct Design {
  DesignRecord ds;
  EndSteps ends;
};

// The 7-section worked example synthesized and set up for analysis: copper
// lines, 50-ohm ends, 10 to 3000 MHz by 10 MHz.
inline Design worked_example() {
  Design d;
  d.ds = test_support::chebyshev_ladder(Configuration::kStandard, 7);
  d.ds.control.option = Option::kDistributed;
  test_support::set_air_lines(d.ds);
  SteppedLineResult r;
  synthesize_stepped_line(d.ds, r);
  d.ends = EndSteps{r.cap_high_source, r.cap_high_load};
  d.ds.control.function = Function::kAnalysis;
  d.ds.losses = Losses{1.724e-6f / 2.54f, 30.0e-6f, 0.0f};
  d.ds.ports = Terminations{50.0f, 0.0f, 50.0f, 0.0f};
  d.ds.sweep = Sweep{10.0f, 3000.0f, 10.0f, 299};
  return d;
}

// The same filter typed in as an entered coaxial circuit.
inline Design entered_example() {
  const Design s = worked_example();
  Design d;
  d.ds = s.ds;
  d.ds.control.origin = Origin::kDistributedEntered;
  EnteredLines& e = d.ds.entered;
  const int n = s.ds.design.sections;
  auto kind_of = [&](int i) {
    return i == 0 ? kSourceLine : i == n + 1 ? kLoadLine : i % 2 ? kLowLine : kHighLine;
  };
  for (int i = 0; i <= n + 1; ++i) {
    const int k = kind_of(i);
    e.outer(i) = s.ds.lines.outer(k);
    e.inner(i) = s.ds.lines.inner(k);
    e.er(i) = s.ds.lines.er(k);
    e.zo(i) = line_impedance(e.outer(i), e.inner(i), e.er(i));
    e.length(i) = i == 0 || i == n + 1 ? 0.0f : s.ds.coax.length(i);
  }
  return d;
}

// The worked example's ladder as a lumped analysis.
inline Design lumped_example() {
  Design d;
  d.ds = test_support::chebyshev_ladder(Configuration::kStandard, 7);
  d.ds.control.function = Function::kAnalysis;
  d.ds.control.option = Option::kElectrical;
  d.ds.control.origin = Origin::kElectricalSynthesis;
  d.ds.ports = Terminations{50.0f, 0.0f, 50.0f, 0.0f};
  d.ds.sweep = Sweep{10.0f, 3000.0f, 10.0f, 299};
  return d;
}

}  // namespace mx
