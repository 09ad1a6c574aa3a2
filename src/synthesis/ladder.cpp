#include "synthesis/ladder.h"

#include <cmath>

#include "base/units.h"
#include "synthesis/prototype.h"

namespace mx {

void synthesize_ladder(Ladder& ladder, float& am, float fc, Response response, int n, float zo) {
  // g(n+1) must fit in the 31 slots of g; nothing sensible can be built outside this.
  if (n < 1 || n > 30) return;
  ladder.tank_pf.fill(0.0f);
  ladder.trap_nh.fill(0.0f);

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

std::string synthesize_design_ladder(Ladder& ladder, DesignData& d, Response response) {
  if (computed_response(response)) return synthesize_computed_ladder(ladder, d, response);
  synthesize_ladder(ladder, d.ripple_db, d.cutoff_mhz, response, d.sections, d.system_impedance);
  return {};
}

bool computed_response(Response response) {
  return response == Response::kBessel || response == Response::kLegendre ||
         response == Response::kElliptic;
}

std::string synthesize_computed_ladder(Ladder& ladder, DesignData& d, Response response) {
  PrototypeRequest request;
  request.kind = response == Response::kBessel     ? PrototypeKind::kBessel
                 : response == Response::kLegendre ? PrototypeKind::kLegendre
                                                   : PrototypeKind::kElliptic;
  request.order = d.sections;
  request.ripple_db = static_cast<double>(d.ripple_db);
  request.stopband_db = static_cast<double>(d.stopband_db);
  const PrototypeResult made = ladder_prototype(request);
  if (!made.error.empty()) return made.error;
  if (!(d.cutoff_mhz > 0.0f && d.system_impedance > 0.0f))
    return "the cutoff frequency and the system impedance must be positive";
  const LadderPrototype& p = made.ladder;
  const int n = p.order;
  const double wc = 2.0 * 3.14159265358979323846 * static_cast<double>(d.cutoff_mhz) * 1.0e6;
  const double zo = static_cast<double>(d.system_impedance);
  const auto farad_to_pf = [&](double g) { return static_cast<float>(g / (zo * wc) * 1.0e12); };
  const auto henry_to_nh = [&](double g) { return static_cast<float>(g * zo / wc * 1.0e9); };
  ladder.tank_pf.fill(0.0f);
  ladder.trap_nh.fill(0.0f);
  for (int k = 1; k <= n; ++k) {
    const auto i = static_cast<std::size_t>(k);
    ladder.g(k) = static_cast<float>(p.g[i]);
    const bool shunt_in_standard = k % 2 == 1;
    // The standard circuit takes the prototype as it is; the dual its dual,
    // the same numbers with L and C exchanged.
    ladder.shunt_pf(k) = farad_to_pf(p.g[i]);
    ladder.series_nh(k) = henry_to_nh(p.g[i]);
    if (!shunt_in_standard && p.resonator[i] > 0.0) {
      ladder.tank_pf(k) = farad_to_pf(p.resonator[i]);
      ladder.trap_nh(k) = henry_to_nh(p.resonator[i]);
    }
  }
  const double load = p.g[static_cast<std::size_t>(n + 1)];  // resistance, normalized
  ladder.g(n + 1) = static_cast<float>(load);
  ladder.load_standard = static_cast<float>(zo * load);
  ladder.load_dual = static_cast<float>(zo / load);
  d.stopband_edge_mhz = static_cast<float>(p.stopband_edge * static_cast<double>(d.cutoff_mhz));
  return {};
}

}  // namespace mx
