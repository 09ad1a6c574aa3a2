// The designs the benchmarks time: standard Chebyshev 0.1 dB, 1000 MHz, 50-ohm low-pass filters
// on air lines of 0.5 inch outer diameter, with 50-ohm source and load lines (0.2172 inch centre
// conductor) and 0.45 inch low-impedance sections. Only the high-impedance centre conductor and
// the section count differ.
#pragma once

#include "line/impedance.h"
#include "model/design_record.h"
#include "synthesis/ladder.h"

namespace mx_bench {

// A distributed synthesis set up to run: the lines entered and the ladder synthesized.
inline mx::DesignRecord air_line_design(int sections, float high_inner_in) {
  mx::DesignRecord ds;
  ds.control.function = mx::Function::kSynthesis;
  ds.control.option = mx::Option::kDistributed;
  ds.control.configuration = mx::Configuration::kStandard;
  ds.control.response = mx::Response::kChebyshev;
  ds.design = mx::DesignData{1000.0f, 0.1f, 0.0f, 0.0f, 0.0f, 50.0f, sections};
  const float inner[4] = {0.2172f, high_inner_in, 0.45f, 0.2172f};
  for (int k = 0; k < 4; ++k) {
    ds.lines.outer(k) = 0.5f;
    ds.lines.inner(k) = inner[k];
    ds.lines.er(k) = 1.0f;
    ds.lines.zo(k) = mx::line_impedance(0.5f, inner[k], 1.0f);
  }
  mx::synthesize_ladder(ds.ladder, ds.design.ripple_db, ds.design.cutoff_mhz, ds.control.response,
                        ds.design.sections, ds.design.system_impedance);
  return ds;
}

}  // namespace mx_bench
