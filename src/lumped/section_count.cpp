#include "lumped/section_count.h"

#include <cmath>

#include "model/convert.h"

namespace mx {
namespace {

// Inverse hyperbolic cosine for x >= 1, written out as the logarithm.
float arccosh(float x) { return std::log(x + std::sqrt(x * x - 1.0f)); }

}  // namespace

void nsectn(float am, float a1, float& a2, float fc, float f1, float fh1, float fl1, int ides,
            int& ierr, int ires, int& n) {
  ierr = 0;

  // Skirt frequency mapped onto the normalised low-pass prototype.
  float freq;
  if (ides == 2) {
    freq = fc / f1;
  } else if (ides == 3 || ides == 4) {
    const float fo = std::sqrt(fh1 * fl1);
    const float bw = (fh1 - fl1) / fo;
    freq = std::fabs((f1 / fo - fo / f1) / bw);
    if (ides == 4) freq = 1.0f / freq;
  } else {
    freq = f1 / fc;
  }

  if (!(a1 > am) || freq <= 0.0f) {
    ierr = 1;
    return;
  }

  float raw;
  float tp = 0.0f;
  if (ires != 1) {
    raw = std::log(std::pow(10.0f, a1 / 10.0f) - 1.0f) / (2.0f * std::log(freq));
  } else {
    tp = std::pow(10.0f, am / 10.0f) - 1.0f;
    const float temp = std::sqrt((std::pow(10.0f, a1 / 10.0f) - 1.0f) / tp);
    if (freq >= 1.0f) {
      raw = arccosh(temp) / arccosh(freq);
    } else {
      raw = std::acos(temp) / std::acos(freq);
    }
  }

  // Round up, except for a count that overshoots a whole number by less than
  // about a thousandth.
  n = trunc_int(raw + 0.999f);
  if (n <= 2) n = 2;

  const float rn = static_cast<float>(n);
  if (ires == 2) {
    a2 = 10.0f * std::log10(1.0f + std::pow(freq, 2.0f * rn));
  } else if (freq >= 1.0f) {
    const float c = std::cosh(rn * arccosh(freq));
    a2 = 10.0f * std::log10(1.0f + tp * (c * c));
  } else {
    const float c = std::cos(rn * std::acos(freq));
    a2 = 10.0f * std::log10(1.0f + tp * (c * c));
  }
}

}  // namespace mx
