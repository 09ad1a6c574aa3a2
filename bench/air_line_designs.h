// The coaxial designs the benchmarks time, all inside a 0.5 inch outer conductor between 50-ohm
// air source and load lines (0.2172 inch centre conductor), with 0.45 inch low-impedance and
// 0.05 or 0.1 inch high-impedance centre conductors:
// - air_line_design: a standard Chebyshev 0.1 dB, 1000 MHz, 50-ohm synthesis on air lines;
// - entered_coax: an entered circuit of n sections, the low-impedance ones PTFE-filled, copper
//   with 32 micro-inch roughness and a 2e-4 loss tangent.
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

// n sections alternating from a high-impedance one (air, 0.28 inch long) to a low-impedance one
// (PTFE, 0.12 inch long), for an analysis.
inline mx::DesignRecord entered_coax(int n) {
  mx::DesignRecord ds;
  ds.control.option = mx::Option::kDistributed;
  ds.control.origin = mx::Origin::kDistributedEntered;
  ds.design.sections = n;
  auto& e = ds.entered;
  for (int k = 0; k <= n + 1; ++k) {
    const bool end = k == 0 || k == n + 1;
    const bool high = k % 2 == 0;
    e.outer(k) = 0.5f;
    e.inner(k) = end ? 0.2172f : (high ? 0.05f : 0.45f);
    e.er(k) = end || high ? 1.0f : 2.1f;
    e.length(k) = end ? 0.0f : (high ? 0.28f : 0.12f);
    e.zo(k) = mx::line_impedance(e.outer(k), e.inner(k), e.er(k));
  }
  ds.losses.resistivity = 1.724e-6f / 2.54f;
  ds.losses.roughness = 32.0e-6f;
  ds.losses.loss_tangent = 0.0002f;
  ds.ports.rs = e.zo(0);
  ds.ports.rl = e.zo(n + 1);
  return ds;
}

}  // namespace mx_bench
