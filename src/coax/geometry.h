// Characteristic impedance of a coaxial line and the inverse (missing diameter).
#pragma once

namespace mx {

// znot from outer diameter b, inner diameter d and dielectric constant er.
void cxzo(float b, float d, float er, float& znot);

// isyn 1: computes d from b; isyn 2: computes b from d. ierr 1 on failure
// (see the implementation for which failures keep the computed diameter).
void cxsyn(float& b, float& d, float er, float znot, int isyn, int& ierr);

}  // namespace mx
