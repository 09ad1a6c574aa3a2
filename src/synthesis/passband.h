// The passband of an equal-ripple ladder as its source sees it: the ripple
// the dialog takes and the mismatch that ripple stands for.
#pragma once

namespace mx {

// The largest passband ripple the dialog takes at once, dB: a larger one
// means a passband VSWR above 13.8:1, and the person is offered to enter the
// ripple again.
inline constexpr float kMaxRippleDb = 6.0f;

// The passband VSWR at the peaks of a ripple of ripple_db (Am, dB): a
// lossless ladder passing 10^(-Am/10) of the power reflects
// |rho| = sqrt(1 - 10^(-Am/10)).
float ripple_vswr(float ripple_db);

}  // namespace mx
