#include "coax/geometry.h"

#include <cmath>

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;
constexpr float kEta = 376.730316f;  // free-space wave impedance, ohm

}  // namespace

void cxzo(float b, float d, float er, float& znot) {
  znot = kEta / (2.0f * kPi * std::sqrt(er)) * std::log(b / d);
}

// Failures: an impedance outside 0.01..999.99 ohm or a diameter ratio of e^17
// or more store nothing; a computed diameter that is not below the outer one
// or lies outside 0.0001..99.99 inch is stored but flagged.
void cxsyn(float& b, float& d, float er, float znot, int isyn, int& ierr) {
  ierr = 0;
  if (znot < 0.01f || znot > 999.99f) {
    ierr = 1;
    return;
  }
  const float arg = 2.0f * kPi * znot * std::sqrt(er) / kEta;  // ln(b/d)
  if (arg >= 17.0f) {
    ierr = 1;
    return;
  }
  if (isyn == 2) {
    b = d * std::exp(arg);
  } else if (isyn == 1) {
    d = b / std::exp(arg);
  }
  if (d >= b) ierr = 1;
  if (b < 0.0001f || b > 99.99f) ierr = 1;
  if (d < 0.0001f || d > 99.99f) ierr = 1;
}

}  // namespace mx
