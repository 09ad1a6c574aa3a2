#include "tolerance/allocation_report.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace mx {
namespace {

// A JSON number with `decimals` digits after the point; null when not finite.
std::string number(double v, int decimals) {
  if (!std::isfinite(v)) return "null";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// An inch tolerance to a tenth of a micro-inch, a percent to a ten-thousandth.
constexpr int kInchDecimals = 7;
constexpr int kPercentDecimals = 4;

}  // namespace

void write_allocation_json(std::ostream& os, const Allocation& a, const AllocationSettings& s) {
  os << "{\n  \"target_yield_pct\": " << number(a.target_pct, kPercentDecimals)
     << ",\n  \"confirmed_yield_pct\": " << number(a.confirmed.percent, kPercentDecimals)
     << ",\n  \"confirmed_yield_interval_pct\": {\"low\": "
     << number(a.confirmed.low_percent, kPercentDecimals)
     << ", \"high\": " << number(a.confirmed.high_percent, kPercentDecimals) << "}"
     << ",\n  \"confirm_trials\": " << a.confirm_trials
     << ",\n  \"search_trials\": " << a.search_trials
     << ",\n  \"search_yield_pct\": " << number(a.search_yield_pct, kPercentDecimals)
     << ",\n  \"random_state\": " << a.random_state;
  os << ",\n  \"cost_model\": \"weight x (" << number(kCostReferenceIn, 3)
     << " inch / tolerance), components " << number(kCostReferencePct, 0)
     << " % / tolerance\",\n  \"cost_weights\": {\"length\": " << number(s.length_weight, 4)
     << ", \"diameter\": " << number(s.diameter_weight, 4) << "}"
     << ",\n  \"finest_tol_in\": {\"length\": " << number(s.finest_length_in, kInchDecimals)
     << ", \"diameter\": " << number(s.finest_diameter_in, kInchDecimals) << "}"
     << ",\n  \"coarsest_tol_in\": " << number(s.coarsest_in, kInchDecimals)
     << ",\n  \"cost\": " << number(a.cost, 4);
  const UniformTolerances& u = a.uniform;
  os << ",\n  \"uniform\": {\"length_tol_in\": " << number(u.length_in, kInchDecimals)
     << ", \"diameter_tol_in\": " << number(u.diameter_in, kInchDecimals)
     << ", \"component_tol_pct\": " << number(u.component_pct, kPercentDecimals)
     << ", \"cost\": " << number(u.cost, 4)
     << ", \"yield_pct\": " << number(u.yield_pct, kPercentDecimals) << "}";
  os << ",\n  \"tolerances\": [";
  for (std::size_t i = 0; i < a.tolerances.size(); ++i) {
    const AllocatedTolerance& t = a.tolerances[i];
    os << (i ? ",\n    " : "\n    ") << "{\"dimension\": \"" << t.dimension << "\", "
       << (t.percent ? "\"tolerance_pct\": " + number(t.tolerance, kPercentDecimals)
                     : "\"tolerance_in\": " + number(t.tolerance, kInchDecimals))
       << ", \"margin_loss_db_per_" << (t.percent ? "pct" : "in")
       << "\": " << number(t.margin_loss, 4) << "}";
  }
  os << "\n  ]\n}\n";
}

}  // namespace mx
