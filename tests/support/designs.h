// Design records the unit tests of several layers start from: the worked
// coaxial example (0.1 dB Chebyshev, 1000 MHz, 50 ohm, air lines of 0.5 inch
// outer diameter) and its Chebyshev ladder.
#pragma once

#include "line/impedance.h"
#include "model/design_record.h"
#include "synthesis/ladder.h"

namespace test_support {

// Outer diameter and the inner diameters of the source, high-impedance,
// low-impedance and load lines, inch.
struct AirLines {
  float outer = 0.5f, source = 0.2172f, high = 0.1f, low = 0.45f, load = 0.2172f;
};

// The four line kinds as the synthesis entry leaves them: air lines of one
// outer diameter, impedances from the diameters.
inline void set_air_lines(mx::DesignRecord& ds, const AirLines& l = AirLines()) {
  const float inner[4] = {l.source, l.high, l.low, l.load};
  for (int k = mx::kSourceLine; k <= mx::kLoadLine; ++k) {
    ds.lines.outer(k) = l.outer;
    ds.lines.inner(k) = inner[k];
    ds.lines.er(k) = 1.0f;
    ds.lines.zo(k) = mx::line_impedance(l.outer, inner[k], 1.0f);
  }
}

// Design data of a Chebyshev low-pass of n sections (50 ohm), without its
// ladder.
inline mx::DesignRecord chebyshev_data(mx::Configuration configuration, int n,
                                       float cutoff_mhz = 1000.0f, float ripple_db = 0.1f) {
  mx::DesignRecord ds;
  ds.control.response = mx::Response::kChebyshev;
  ds.control.configuration = configuration;
  ds.design.sections = n;
  ds.design.ripple_db = ripple_db;
  ds.design.cutoff_mhz = cutoff_mhz;
  ds.design.system_impedance = 50.0f;
  return ds;
}

// The same with its ladder synthesized.
inline mx::DesignRecord chebyshev_ladder(mx::Configuration configuration, int n,
                                         float cutoff_mhz = 1000.0f, float ripple_db = 0.1f) {
  mx::DesignRecord ds = chebyshev_data(configuration, n, cutoff_mhz, ripple_db);
  mx::synthesize_ladder(ds.ladder, ds.design.ripple_db, cutoff_mhz, ds.control.response, n,
                        ds.design.system_impedance);
  return ds;
}

}  // namespace test_support
