// The response of the filter in the design record at one analysis frequency.
#pragma once

#include "analysis/two_port.h"
#include "model/design_state.h"

namespace mx {

struct PointResponse {
  float zinr = 0, zini = 0, vswr = 0, il = 0, phf = 0, rtl = 0, td = 0;
};

// The per-frequency step: the cascade chosen by iop (lumped ladder or coaxial
// filter), port quantities and group delay. Returns the lumped cascade's
// error code (0 = row computed).
int analysis_point(DesignState& ds, float disc2, float disc5, float f, PointResponse& out);

}  // namespace mx
