#include "synthesis/ladder.h"

#include <cmath>

#include "base/units.h"

namespace mx {

void synthesize_ladder(Ladder& ladder, float& am, float fc, Response response, int n, float zo) {
  // g(n+1) must fit in the 31 slots of g; nothing sensible can be built outside this.
  if (n < 1 || n > 30) return;

  constexpr float pi = kPi;
  auto& g = ladder.g;
  auto& shuntc = ladder.shunt_pf;
  auto& serl = ladder.series_nh;
  float& ros = ladder.load_standard;
  float& rod = ladder.load_dual;

  const float fctemp = fc * kHzPerMHz;
  const float wc = 2.0f * pi * fctemp;
  const float rn = static_cast<float>(n);

  if (response != Response::kButterworth) {
    // Equal-ripple response. A zero ripple would divide by zero below; the
    // floor gives an almost flat response instead and is kept by the caller.
    if (am < 1e-10f) am = 1e-10f;
    float a[32] = {};
    float b[32] = {};
    const float beta = std::log(1.0f / std::tanh(am / 17.37f));
    const float gamma = std::sinh(beta / (2.0f * rn));
    for (int k = 1; k <= n; ++k) {
      a[k] = std::sin(static_cast<float>(2 * k - 1) * pi / (2.0f * rn));
      const float s = std::sin(static_cast<float>(k) * pi / rn);
      b[k] = gamma * gamma + s * s;
    }
    g(1) = 2.0f * a[1] / gamma;
    for (int k = 2; k <= n; ++k) {
      g(k) = 4.0f * a[k - 1] * a[k] / (b[k - 1] * g(k - 1));
    }
    // Odd n: 1 within rounding; even n: the coth^2(beta/4) mismatch of the load.
    g(n + 1) = g(1) / g(n);
  } else {
    // Maximally flat response, matched load.
    for (int k = 1; k <= n; ++k) {
      g(k) = 2.0f * std::sin(static_cast<float>(2 * k - 1) * pi / (2.0f * rn));
    }
    g(n + 1) = 1.0f;
  }

  const int m = n / 2 * 2;

  // Standard ladder: shunt C at odd positions, series L at even ones.
  for (int i = 1; i <= m - 1; i += 2) {
    const int ii = i + 1;
    shuntc(i) = g(i) / (zo * wc) * 1.0e12f;
    serl(ii) = g(ii) * zo / wc * 1.0e9f;
  }
  // g(n+1) is a conductance ratio after a series L, a resistance ratio after a shunt C.
  if (n == m) {
    const float go = g(n + 1) / zo;
    ros = 1.0f / go;
  } else {
    shuntc(n) = g(n) / (zo * wc) * 1.0e12f;
    ros = zo * g(n + 1);
  }

  // Dual ladder: series L at odd positions, shunt C at even ones.
  for (int i = 1; i <= m - 1; i += 2) {
    const int ii = i + 1;
    shuntc(ii) = g(ii) / (zo * wc) * 1.0e12f;
    serl(i) = g(i) * zo / wc * 1.0e9f;
  }
  if (n == m) {
    rod = zo * g(n + 1);
  } else {
    serl(n) = g(n) * zo / wc * 1.0e9f;
    const float go = g(n + 1) / zo;
    rod = 1.0f / go;
  }
}

}  // namespace mx
