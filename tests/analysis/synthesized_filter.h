// The synthesized stepped filter the cascade and sweep tests start from: the
// four line kinds all differ (so the row used for each junction shows),
// copper losses with roughness and a PTFE low-impedance line, and the
// frequency factors of the junction kinds distinct. Lengths and step
// capacitances are left to each test.
#pragma once

#include <cmath>

#include "line/impedance.h"
#include "model/design_record.h"

namespace mx::test {

inline DesignRecord synthesized_filter(Configuration configuration, int n) {
  DesignRecord ds;
  ds.control.origin = Origin::kDistributedSynthesis;
  ds.control.configuration = configuration;
  ds.design.sections = n;
  const float b[4] = {0.45f, 0.5f, 0.52f, 0.62f};  // distinct rows, though b(2) = b(1) in practice
  const float d[4] = {0.1955f, 0.06f, 0.4f, 0.27f};
  const float er[4] = {1.0f, 1.0f, 2.1f, 1.0f};
  for (int k = 0; k < 4; ++k) {
    ds.lines.outer(k) = b[k];
    ds.lines.inner(k) = d[k];
    ds.lines.er(k) = er[k];
    ds.lines.zo(k) = line_impedance(b[k], d[k], er[k]);
  }
  ds.coax.z_high = ds.lines.zo(1);
  ds.coax.z_low = ds.lines.zo(2);
  ds.coax.v_high = 11802.8545f * 1.0e6f / std::sqrt(er[1]);
  ds.coax.v_low = 11802.8545f * 1.0e6f / std::sqrt(er[2]);
  ds.coax.factor2 = 1.011f;
  ds.coax.factor3 = 1.023f;
  ds.coax.factor5 = 1.037f;
  ds.coax.factor1 = ds.coax.factor4 = 5.0f;  // not used by the cascade
  ds.losses.resistivity = 1.724e-6f / 2.54f;
  ds.losses.roughness = 30.0e-6f;
  ds.losses.loss_tangent = 0.0004f;
  return ds;
}

}  // namespace mx::test
