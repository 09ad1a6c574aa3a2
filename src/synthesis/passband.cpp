#include "synthesis/passband.h"

#include <cmath>

namespace mx {

float ripple_vswr(float ripple_db) {
  const float rho = std::sqrt(1.0f - std::pow(10.0f, -ripple_db / 10.0f));
  return (1.0f + rho) / (1.0f - rho);
}

}  // namespace mx
