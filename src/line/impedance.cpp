#include "line/impedance.h"

#include <cmath>

#include "base/units.h"

namespace mx {

float line_impedance(float outer, float inner, float er) {
  return kFreeSpaceImpedance / (2.0f * kPi * std::sqrt(er)) * std::log(outer / inner);
}

DiameterSolution solve_diameter(float outer, float inner, float er, float zo,
                                MissingDiameter missing) {
  DiameterSolution s{true, outer, inner};
  if (zo < 0.01f || zo > 999.99f) return {false, outer, inner};
  const float arg = 2.0f * kPi * zo * std::sqrt(er) / kFreeSpaceImpedance;  // ln(B/D)
  if (arg >= 17.0f) return {false, outer, inner};
  if (missing == MissingDiameter::kOuter) {
    s.outer = s.inner * std::exp(arg);
  } else {
    s.inner = s.outer / std::exp(arg);
  }
  if (s.inner >= s.outer) s.ok = false;
  if (s.outer < 0.0001f || s.outer > 99.99f) s.ok = false;
  if (s.inner < 0.0001f || s.inner > 99.99f) s.ok = false;
  return s;
}

}  // namespace mx
