#include "fit/fit_report.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace mx {
namespace {

constexpr double kMilPerInch = 1000.0;

// v with `decimals` digits after the point ("-" for NaN); signed adds '+'.
std::string fixed(double v, int decimals, bool sign = false) {
  if (!std::isfinite(v)) return "-";
  char buf[64];
  std::snprintf(buf, sizeof buf, sign ? "%+.*f" : "%.*f", decimals, v);
  return buf;
}

std::string json_number(double v, int decimals) {
  return std::isfinite(v) ? fixed(v, decimals) : "null";
}

// A JSON string: the texts are the program's own and file names.
std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool is_dimension(const FitParameter& p) {
  return p.kind == FitParameterKind::kLength || p.kind == FitParameterKind::kInnerDiameter;
}

double tolerance_of(const FitParameter& p, const CorrectionSettings& t) {
  return p.kind == FitParameterKind::kLength ? t.length_tol_in : t.diameter_tol_in;
}

bool outside(const FitReport& r, std::size_t i) {
  const FitParameter& p = r.fit.parameters[i];
  return std::fabs(r.fit.fitted[i] - p.nominal) > tolerance_of(p, r.tolerances);
}

std::string junctions_text(const std::vector<int>& j) {
  std::string out;
  for (std::size_t i = 0; i < j.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(j[i]);
  }
  return out;
}

std::string compared(const FitSettings& s) {
  std::string what = s.magnitude_only ? "|S| in dB of" : "complex";
  std::string list;
  auto add = [&](double w, const char* name) {
    if (w != 0.0) list += std::string(list.empty() ? " " : ", ") + name;
  };
  add(s.weight_s11, "S11");
  add(s.weight_s21, "S21");
  add(s.weight_s12, "S12");
  add(s.weight_s22, "S22");
  if (!s.magnitude_only && s.relative_floor > 0.0)
    list += " (differences relative to |S|, floor " + fixed(s.relative_floor, 4) + ")";
  return what + list;
}

// The common step factor, 1 when none was fitted, NaN when each kind has its own.
double common_scale(const FitResult& f) {
  double v = 1.0;
  for (std::size_t i = 0; i < f.parameters.size(); ++i) {
    if (f.parameters[i].kind != FitParameterKind::kStepScale) continue;
    if (f.parameters[i].index != 0) return std::nan("");
    v = f.fitted[i];
  }
  return v;
}

}  // namespace

void write_fit_text(std::ostream& os, const FitReport& r) {
  const FitResult& f = r.fit;
  os << "Fit of the " << r.circuit << " to " << r.measured_file << "\n";
  if (!r.reference_file.empty())
    os << "  referred to its fit to " << r.reference_file
       << ": each dimension and plane offset is the nominal plus the difference of the two fits\n";
  os << "  " << f.f_mhz.size() << " frequencies, " << fixed(f.f_mhz.front(), 3) << " to "
     << fixed(f.f_mhz.back(), 3) << " MHz, references " << fixed(f.z1, 2) << " and "
     << fixed(f.z2, 2) << " ohm\n";
  os << "  compared: " << compared(r.settings) << "\n";
  os << "  solver: " << f.solver_status << ", " << f.iterations << " iterations, " << f.evaluations
     << " evaluations\n";
  os << "  length tolerance +/- " << fixed(r.tolerances.length_tol_in, 5)
     << " inch, diameter tolerance +/- " << fixed(r.tolerances.diameter_tol_in, 5) << " inch\n\n";

  char buf[200];
  const bool referred = !f.reference_fitted.empty();
  std::snprintf(buf, sizeof buf, "%-12s %10s %10s %10s %8s %10s%s\n", "Dimension", "nominal",
                "fitted", "change", "mil", "std error", referred ? "   built fit   ref. fit" : "");
  os << buf;
  for (std::size_t i = 0; i < f.parameters.size(); ++i) {
    const FitParameter& p = f.parameters[i];
    if (!is_dimension(p)) continue;
    const double change = f.fitted[i] - p.nominal;
    std::string fits;
    if (referred) {
      fits += ' ';
      fits += fixed(f.measured_fitted[i], 5);
      fits += "    ";
      fits += fixed(f.reference_fitted[i], 5);
    }
    std::snprintf(buf, sizeof buf, "  %-10s %10s %10s %10s %8s %10s%s%s%s\n", p.name.c_str(),
                  fixed(p.nominal, 5).c_str(), fixed(f.fitted[i], 5).c_str(),
                  fixed(change, 5, true).c_str(), fixed(change * kMilPerInch, 2, true).c_str(),
                  fixed(f.std_error[i], 5).c_str(), fits.c_str(),
                  outside(r, i) ? "  outside tolerance" : "",
                  f.at_bound[i] ? "  at its bound" : "");
    os << buf;
  }
  os << "  (inch)\n\n";
  bool scales = false;
  for (std::size_t i = 0; i < f.parameters.size(); ++i) {
    const FitParameter& p = f.parameters[i];
    if (p.kind == FitParameterKind::kStepScale) {
      scales = true;
      os << "Step-capacitance factor " << p.name << " " << fixed(f.fitted[i], 4) << " +/- "
         << fixed(f.std_error[i], 4) << " (junctions " << junctions_text(p.junctions) << ")\n";
    } else if (p.kind == FitParameterKind::kPlaneOffset) {
      os << "Reference-plane offset at port " << p.index << " " << fixed(f.fitted[i], 5, true)
         << " +/- " << fixed(f.std_error[i], 5) << " inch\n";
    }
  }
  if (!scales) os << "Step-capacitance factor held at 1\n";
  os << "\nResidual: rms " << fixed(f.residual.rms_db_s21, 4) << " dB in S21, "
     << fixed(f.residual.rms_db_s11, 4) << " dB in S11; the largest "
     << fixed(f.residual.worst_db, 4, true) << " dB (" << f.residual.worst_of << ") at "
     << fixed(f.residual.worst_mhz, 3) << " MHz\n\n";

  const CorrectionPlan& c = r.plan;
  os << "-3 dB frequency: as designed " << fixed(c.nominal_cutoff_3db_mhz, 3) << " MHz, as built "
     << fixed(c.built_cutoff_3db_mhz, 3) << " MHz, after the corrections "
     << fixed(c.corrected_cutoff_3db_mhz, 3) << " MHz\n\n";
  os << "Corrections (a lathe only removes metal)\n";
  if (c.corrections.empty())
    os << "  none: no cut of " << fixed(r.tolerances.smallest_cut_in, 4)
       << " inch or more brings the response closer to the nominal\n";
  int k = 0;
  for (const Correction& x : c.corrections) {
    os << "  " << ++k << ". " << x.operation << ": " << fixed(x.amount_in, 4) << " inch ("
       << fixed(x.amount_in * kMilPerInch, 1) << " mil); -3 dB then "
       << fixed(x.predicted_cutoff_3db_mhz, 3) << " MHz\n";
  }
  for (const std::string& n : c.notes) os << "  note: " << n << "\n";
  os << "  response distance (rms of |S21| and |S11| from the nominal's): "
     << fixed(c.built_distance, 5) << " as built, " << fixed(c.corrected_distance, 5) << " after\n";
  if (!r.fitted_circuit_file.empty())
    os << "\nFitted circuit (the fitted dimensions): " << r.fitted_circuit_file << "\n";
}

void write_fit_json(std::ostream& os, const FitReport& r) {
  const FitResult& f = r.fit;
  os << "{\n";
  os << "  \"measured_file\": " << json_string(r.measured_file) << ",\n";
  os << "  \"reference_file\": "
     << (r.reference_file.empty() ? "null" : json_string(r.reference_file)) << ",\n";
  os << "  \"circuit\": " << json_string(r.circuit) << ",\n";
  os << "  \"frequencies\": " << f.f_mhz.size() << ",\n";
  os << "  \"f_min_mhz\": " << json_number(f.f_mhz.front(), 3)
     << ", \"f_max_mhz\": " << json_number(f.f_mhz.back(), 3) << ",\n";
  os << "  \"references_ohm\": [" << json_number(f.z1, 4) << ", " << json_number(f.z2, 4) << "],\n";
  os << "  \"compared\": " << json_string(compared(r.settings)) << ",\n";
  os << "  \"magnitude_only\": " << (r.settings.magnitude_only ? "true" : "false") << ",\n";
  os << "  \"solver_status\": " << json_string(f.solver_status) << ",\n";
  os << "  \"iterations\": " << f.iterations << ", \"evaluations\": " << f.evaluations << ",\n";
  os << "  \"length_tol_in\": " << json_number(r.tolerances.length_tol_in, 6)
     << ", \"diameter_tol_in\": " << json_number(r.tolerances.diameter_tol_in, 6) << ",\n";
  os << "  \"dimensions\": [";
  const char* sep = "\n";
  for (std::size_t i = 0; i < f.parameters.size(); ++i) {
    const FitParameter& p = f.parameters[i];
    if (!is_dimension(p)) continue;
    const double change = f.fitted[i] - p.nominal;
    os << sep << "    {\"name\": " << json_string(p.name)
       << ", \"nominal_in\": " << json_number(p.nominal, 6)
       << ", \"fitted_in\": " << json_number(f.fitted[i], 6)
       << ", \"change_in\": " << json_number(change, 6)
       << ", \"change_mil\": " << json_number(change * kMilPerInch, 3)
       << ", \"std_error_in\": " << json_number(f.std_error[i], 6)
       << (f.reference_fitted.empty()
               ? std::string()
               : ", \"built_fit_in\": " + json_number(f.measured_fitted[i], 6) +
                     ", \"reference_fit_in\": " + json_number(f.reference_fitted[i], 6))
       << ", \"outside_tolerance\": " << (outside(r, i) ? "true" : "false")
       << ", \"at_bound\": " << (f.at_bound[i] ? "true" : "false") << "}";
    sep = ",\n";
  }
  os << "\n  ],\n";
  os << "  \"step_capacitance_scale\": " << json_number(common_scale(f), 6) << ",\n";
  os << "  \"step_capacitance_scales\": [";
  sep = "";
  for (std::size_t i = 0; i < f.parameters.size(); ++i) {
    const FitParameter& p = f.parameters[i];
    if (p.kind != FitParameterKind::kStepScale) continue;
    os << sep << "{\"name\": " << json_string(p.name) << ", \"junctions\": ["
       << junctions_text(p.junctions) << "], \"scale\": " << json_number(f.fitted[i], 6)
       << ", \"std_error\": " << json_number(f.std_error[i], 6) << "}";
    sep = ", ";
  }
  os << "],\n";
  os << "  \"plane_offsets\": [";
  sep = "";
  for (std::size_t i = 0; i < f.parameters.size(); ++i) {
    const FitParameter& p = f.parameters[i];
    if (p.kind != FitParameterKind::kPlaneOffset) continue;
    os << sep << "{\"port\": " << p.index << ", \"offset_in\": " << json_number(f.fitted[i], 6)
       << ", \"std_error_in\": " << json_number(f.std_error[i], 6) << "}";
    sep = ", ";
  }
  os << "],\n";
  os << "  \"residual_rms_db\": {\"s21\": " << json_number(f.residual.rms_db_s21, 5)
     << ", \"s11\": " << json_number(f.residual.rms_db_s11, 5) << "},\n";
  os << "  \"worst_residual\": {\"db\": " << json_number(f.residual.worst_db, 5)
     << ", \"f_mhz\": " << json_number(f.residual.worst_mhz, 3)
     << ", \"parameter\": " << json_string(f.residual.worst_of) << "},\n";
  const CorrectionPlan& c = r.plan;
  os << "  \"cutoff_3db_mhz\": {\"nominal\": " << json_number(c.nominal_cutoff_3db_mhz, 3)
     << ", \"built\": " << json_number(c.built_cutoff_3db_mhz, 3)
     << ", \"corrected\": " << json_number(c.corrected_cutoff_3db_mhz, 3) << "},\n";
  os << "  \"corrections\": [";
  sep = "\n";
  for (const Correction& x : c.corrections) {
    os << sep << "    {\"section\": " << x.section
       << ", \"operation\": " << json_string(x.operation)
       << ", \"amount_in\": " << json_number(x.amount_in, 6)
       << ", \"predicted_cutoff_3db_mhz\": " << json_number(x.predicted_cutoff_3db_mhz, 3) << "}";
    sep = ",\n";
  }
  os << (c.corrections.empty() ? "],\n" : "\n  ],\n");
  os << "  \"notes\": [";
  sep = "";
  for (const std::string& n : c.notes) {
    os << sep << json_string(n);
    sep = ", ";
  }
  os << "],\n";
  os << "  \"response_distance\": {\"built\": " << json_number(c.built_distance, 6)
     << ", \"corrected\": " << json_number(c.corrected_distance, 6) << "},\n";
  os << "  \"fitted_circuit_file\": "
     << (r.fitted_circuit_file.empty() ? "null" : json_string(r.fitted_circuit_file)) << "\n";
  os << "}\n";
}

}  // namespace mx
