// Physical constants and unit factors, in single precision as every
// computation of the program uses them. Each value is the float the
// computations were written with; an expression that needs another unit
// multiplies in its own order (for example kLightInchPerUs * kHzPerMHz).
#pragma once

namespace mx {

inline constexpr float kPi = 3.14159274f;

// Speed of light in vacuum.
inline constexpr float kLightInchPerUs = 11802.8545f;  // inch per microsecond (inch * MHz)
inline constexpr float kLightInchPerNs = 11.8028545f;  // inch per nanosecond (inch * GHz)

// Free-space constants.
inline constexpr float kFreeSpaceImpedance = 376.730316f;         // eta0, ohm
inline constexpr float kFreeSpacePermittivity = 8.85418822e-12f;  // eps0, F/m

// Units.
inline constexpr float kCmPerInch = 2.54f;
inline constexpr float kMega = 1.0e6f;  // MHz to Hz, inch to micro-inch, pF to uF, nH to mH
inline constexpr float kHzPerMHz = kMega;

}  // namespace mx
