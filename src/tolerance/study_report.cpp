#include "tolerance/study_report.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace mx {
namespace {

// v with `decimals` digits after the point; "-" for NaN (text) .
std::string fixed(double v, int decimals) {
  if (!std::isfinite(v)) return "-";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// A JSON number, null for NaN or an infinity.
std::string json_number(double v, int decimals) {
  return std::isfinite(v) ? fixed(v, decimals) : "null";
}

// The settings and the mask are kept in single precision; they are printed as they are.
std::string fixed(float v, int decimals) { return fixed(static_cast<double>(v), decimals); }
std::string json_number(float v, int decimals) {
  return json_number(static_cast<double>(v), decimals);
}

const char* spread_name(Spread s) { return s == Spread::kNormal ? "normal" : "uniform"; }

void spread_row(std::ostream& os, const char* label, const Spread5& s, int decimals) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "  %-28s %10s %10s %10s %10s %10s\n", label,
                fixed(s.min, decimals).c_str(), fixed(s.p5, decimals).c_str(),
                fixed(s.median, decimals).c_str(), fixed(s.p95, decimals).c_str(),
                fixed(s.max, decimals).c_str());
  os << buf;
}

void spread_json(std::ostream& os, const Spread5& s, int decimals) {
  os << "{\"min\": " << json_number(s.min, decimals) << ", \"p5\": " << json_number(s.p5, decimals)
     << ", \"median\": " << json_number(s.median, decimals)
     << ", \"p95\": " << json_number(s.p95, decimals)
     << ", \"max\": " << json_number(s.max, decimals) << "}";
}

// A name as a JSON string (names are plain letters, digits and blanks).
std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string unit_of(const StudyResult& r) {
  return r.circuit == "lumped ladder" ? "MHz per %" : "MHz per mil";
}

}  // namespace

void write_study_text(std::ostream& os, const StudyResult& r) {
  const StudySettings& s = r.settings;
  os << "Tolerance study of the " << r.circuit << "\n";
  os << "  trials " << r.trials << ", " << spread_name(s.spread) << " errors, random state "
     << s.random_state << "\n";
  if (r.circuit == "lumped ladder")
    os << "  component tolerance +/- " << fixed(s.component_tol_pct, 3) << " %\n";
  else
    os << "  length tolerance +/- " << fixed(s.length_tol_in, 5) << " inch, diameter tolerance +/- "
       << fixed(s.diameter_tol_in, 5) << " inch\n";
  if (!s.own_tolerances.empty()) {
    os << "  own tolerances, +/-";
    for (std::size_t i = 0; i < s.own_tolerances.size(); ++i) {
      const DimensionTolerance& t = s.own_tolerances[i];
      os << (i ? ", " : " ") << t.dimension << " "
         << (t.percent ? fixed(t.value, 3) + " %" : fixed(t.value, 6) + " inch");
    }
    os << "\n";
  }
  if (!r.unmatched_tolerances.empty()) {
    os << "  left out, not dimensions of this filter:";
    for (const std::string& name : r.unmatched_tolerances) os << " " << name;
    os << "\n";
  }
  os << "  " << r.f_mhz.size() << " frequencies, "
     << fixed(r.f_mhz.empty() ? NAN : r.f_mhz.front(), 3) << " to "
     << fixed(r.f_mhz.empty() ? NAN : r.f_mhz.back(), 3) << " MHz\n";
  if (r.mask) {
    os << "  mask: loss at most " << fixed(r.mask->pass_db, 4) << " dB up to "
       << fixed(r.mask->pass_mhz, 3) << " MHz";
    if (r.mask->stop_mhz)
      os << ", at least " << fixed(r.mask->stop_db, 4) << " dB at " << fixed(*r.mask->stop_mhz, 3)
         << " MHz";
    os << "\n  the nominal filter " << (r.nominal_passed ? "meets" : "does not meet") << " the mask"
       << (r.nominal_miss.empty() ? "" : ": " + r.nominal_miss) << "\n\n";
    char buf[160];
    std::snprintf(buf, sizeof buf, "Yield %s %% (%d of %d), 95 %% interval %s to %s %%\n\n",
                  fixed(r.yield.percent, 2).c_str(), r.passed, r.trials,
                  fixed(r.yield.low_percent, 2).c_str(), fixed(r.yield.high_percent, 2).c_str());
    os << buf;
  } else {
    os << "  " << r.mask_note << "\n\nYield -\n\n";
  }
  char head[160];
  std::snprintf(head, sizeof head, "  %-28s %10s %10s %10s %10s %10s\n", "", "min", "5 %", "median",
                "95 %", "max");
  os << head;
  spread_row(os, "worst passband loss, dB", r.worst_pass_loss_db, 4);
  spread_row(os, "-3 dB frequency, MHz", r.cutoff_3db_mhz, 3);
  os << "  nominal -3 dB frequency " << fixed(r.nominal_3db_mhz, 3) << " MHz";
  if (r.without_3db > 0) os << "; " << r.without_3db << " trials do not reach 3 dB";
  os << "\n\nSensitivity of the -3 dB frequency, " << unit_of(r) << "\n";
  for (const Sensitivity& v : r.sensitivity) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "  %-10s %12s\n", v.name.c_str(), fixed(v.per_unit, 4).c_str());
    os << buf;
  }
}

void write_study_json(std::ostream& os, const StudyResult& r) {
  const StudySettings& s = r.settings;
  os << "{\n  \"circuit\": " << quoted(r.circuit) << ",\n";
  os << "  \"trials\": " << r.trials << ",\n  \"distribution\": " << quoted(spread_name(s.spread))
     << ",\n  \"random_state\": " << s.random_state << ",\n";
  os << "  \"length_tol_in\": " << json_number(s.length_tol_in, 6)
     << ",\n  \"diameter_tol_in\": " << json_number(s.diameter_tol_in, 6)
     << ",\n  \"component_tol_pct\": " << json_number(s.component_tol_pct, 4) << ",\n";
  if (!s.own_tolerances.empty()) {
    os << "  \"own_tolerances\": [";
    for (std::size_t i = 0; i < s.own_tolerances.size(); ++i) {
      const DimensionTolerance& t = s.own_tolerances[i];
      os << (i ? ", " : "") << "{\"dimension\": " << quoted(t.dimension) << ", "
         << (t.percent ? "\"tolerance_pct\": " + json_number(t.value, 4)
                       : "\"tolerance_in\": " + json_number(t.value, 6))
         << "}";
    }
    os << "],\n";
  }
  os << "  \"frequencies\": " << r.f_mhz.size() << ",\n";
  if (r.mask) {
    os << "  \"mask\": {\"pass_mhz\": " << json_number(r.mask->pass_mhz, 4)
       << ", \"pass_db\": " << json_number(r.mask->pass_db, 4);
    if (r.mask->stop_mhz)
      os << ", \"stop_mhz\": " << json_number(*r.mask->stop_mhz, 4)
         << ", \"stop_db\": " << json_number(r.mask->stop_db, 4);
    os << "},\n  \"nominal_passed\": " << (r.nominal_passed ? "true" : "false")
       << ",\n  \"nominal_miss\": " << (r.nominal_miss.empty() ? "null" : quoted(r.nominal_miss))
       << ",\n  \"passed\": " << r.passed
       << ",\n  \"yield_pct\": {\"value\": " << json_number(r.yield.percent, 4)
       << ", \"low\": " << json_number(r.yield.low_percent, 4)
       << ", \"high\": " << json_number(r.yield.high_percent, 4) << "},\n";
  } else {
    os << "  \"mask\": null,\n  \"passed\": null,\n  \"yield_pct\": null,\n";
  }
  os << "  \"worst_passband_loss_db\": ";
  spread_json(os, r.worst_pass_loss_db, 6);
  os << ",\n  \"cutoff_3db_mhz\": ";
  spread_json(os, r.cutoff_3db_mhz, 4);
  os << ",\n  \"nominal_cutoff_3db_mhz\": " << json_number(r.nominal_3db_mhz, 4)
     << ",\n  \"trials_without_3db\": " << r.without_3db << ",\n";
  os << "  \"sensitivity_unit\": " << quoted(unit_of(r)) << ",\n  \"sensitivity\": [";
  for (std::size_t i = 0; i < r.sensitivity.size(); ++i)
    os << (i ? ", " : "") << "{\"dimension\": " << quoted(r.sensitivity[i].name)
       << ", \"value\": " << json_number(r.sensitivity[i].per_unit, 6) << "}";
  os << "]\n}\n";
}

}  // namespace mx
