// The result files of --fit: every coaxial analysis fits its circuit to the
// measured two-port (fit/fit.h), plans the corrections (fit/corrections.h)
// and writes the report, the fitted circuit as a circuit data file and, with
// --plot, the overlay of measured, nominal and fitted responses.
#include <algorithm>
#include <cmath>
#include <string>

#include "app/coax_lines.h"
#include "app/options.h"
#include "app/result_files.h"
#include "export/circuit_writer.h"
#include "export/fit_plot.h"
#include "fit/corrections.h"
#include "fit/fit_report.h"
#include "fit/touchstone_reader.h"
#include "tolerance/study.h"

namespace mx {
namespace {

namespace fs = std::filesystem;

// The filter's band: up to the -3 dB frequency of the analysis (its first
// crossing), or the whole sweep when it never reaches 3 dB.
void set_band(std::span<const SweepRow> rows, FitSettings& s) {
  std::vector<float> f, att;
  for (const SweepRow& r : rows) {
    f.push_back(r.f_mhz);
    att.push_back(-r.figures.loss_db);
  }
  const double edge = cutoff_3db(f, att);
  s.band_low_mhz = 0.0;
  s.band_high_mhz = std::isfinite(edge) ? edge : (f.empty() ? 0.0 : static_cast<double>(f.back()));
}

std::vector<double> db(const std::vector<std::complex<double>>& s) {
  std::vector<double> out;
  for (const auto& v : s) out.push_back(20.0 * std::log10(std::abs(v)));
  return out;
}

FitPlotData overlay(const FitReport& r, const MeasuredTwoPort& m) {
  FitPlotData d;
  d.title = "Fit of the " + r.circuit + " to " + r.measured_file;
  d.subtitle = "residual rms " + std::to_string(r.fit.residual.rms_db_s21).substr(0, 6) +
               " dB in S21, " + std::to_string(r.fit.residual.rms_db_s11).substr(0, 6) +
               " dB in S11";
  d.f_mhz = r.fit.f_mhz;
  d.measured_s21_db = db(m.s21);
  d.measured_s11_db = db(m.s11);
  d.nominal_s21_db = db(r.fit.nominal_response.s21);
  d.nominal_s11_db = db(r.fit.nominal_response.s11);
  d.fitted_s21_db = db(r.fit.fitted_response.s21);
  d.fitted_s11_db = db(r.fit.fitted_response.s11);
  return d;
}

CoaxCircuit fitted_circuit(const FitResult& r, const std::string& measured) {
  const DesignRecord& ds = r.fitted_record;
  const CoaxFilterLines lines = ds.control.origin == Origin::kDistributedSynthesis
                                    ? synthesized_lines(ds)
                                    : entered_lines(ds);
  CoaxCircuit c;
  c.title = "fitted to " + measured;
  // A micro-inch is finer than any lathe; the float model's last digits are noise.
  auto micro = [](float v) {
    return static_cast<float>(std::round(static_cast<double>(v) * 1e6) / 1e6);
  };
  auto line = [&](const CoaxLineData& l) {
    return CoaxLine{l.outer, micro(l.inner), l.er, micro(l.length)};
  };
  c.source = line(lines.source);
  for (const CoaxLineData& l : lines.sections) c.sections.push_back(line(l));
  c.load = line(lines.load);
  return c;
}

}  // namespace

std::optional<MeasuredTwoPort> ResultFiles::read_measurement(const fs::path& file) {
  try {
    return read_touchstone_file(file);
  } catch (const TouchstoneError& e) {
    err_ << "mandrelix: cannot read the measured two-port \"" << file.string() << "\": " << e.what()
         << '\n';
    return std::nullopt;
  }
}

void ResultFiles::fit(const DesignRecord& ds, const EndSteps& ends, std::span<const SweepRow> rows,
                      int threads) {
  if (!options_.fit || ds.control.option != Option::kDistributed) return;
  ++fits_;
  const std::string measured = options_.fit->string();
  if (!read_tried_) {
    read_tried_ = true;
    measured_ = read_measurement(*options_.fit);
    if (options_.fit_reference) reference_ = read_measurement(*options_.fit_reference);
  }
  if (!measured_ || (options_.fit_reference && !reference_)) {
    failed_ = true;
    return;
  }
  FitSettings s;
  s.inner_diameters = options_.fit_diameters;
  s.magnitude_only = options_.fit_magnitude_only;
  s.step_scale = options_.fit_step_scale == 1   ? StepScaleFit::kCommon
                 : options_.fit_step_scale == 2 ? StepScaleFit::kPerKind
                                                : StepScaleFit::kNone;
  s.threads = threads;
  set_band(rows, s);
  FitReport report;
  report.measured_file = measured;
  report.circuit = ds.control.origin == Origin::kDistributedSynthesis ? "synthesized coaxial filter"
                                                                      : "entered coaxial circuit";
  report.settings = s;
  report.tolerances.length_tol_in =
      static_cast<double>(options_.length_tol_in.value_or(kDefaultLengthTolIn));
  report.tolerances.diameter_tol_in =
      static_cast<double>(options_.diameter_tol_in.value_or(kDefaultDiameterTolIn));
  // A cut finer than half the length tolerance is not worth a setting of the lathe.
  report.tolerances.smallest_cut_in = std::max(0.0001, 0.5 * report.tolerances.length_tol_in);
  try {
    report.fit = fit_circuit(ds, ends, *measured_, s);
    if (reference_) {
      report.reference_file = options_.fit_reference->string();
      const FitResult nominal = fit_circuit(ds, ends, *reference_, s);
      report.fit = refer_to_reference(ds, ends, report.fit, nominal, s);
    }
  } catch (const FitFailure& e) {
    err_ << "mandrelix: fit " << fits_ << " of \"" << measured << "\" not made: " << e.what()
         << '\n';
    failed_ = true;
    return;
  }
  report.plan = plan_corrections(ds, ends, report.fit, s, report.tolerances);
  const fs::path circuit = numbered_name(fitted_circuit_name(*options_.fit_report), fits_);
  report.fitted_circuit_file = circuit.string();
  const bool json = lower_extension(*options_.fit_report) == ".json";
  write(*options_.fit_report, fits_, ds, "fit report", [&](std::ostream& os) {
    if (json)
      write_fit_json(os, report);
    else
      write_fit_text(os, report);
  });
  const CoaxCircuit c = fitted_circuit(report.fit, measured);
  write(fitted_circuit_name(*options_.fit_report), fits_, ds, "fitted circuit",
        [&](std::ostream& os) { write_coax_circuit(os, c); });
  if (options_.plot) {
    const FitPlotData d = overlay(report, *measured_);
    write(fit_overlay_name(*options_.plot), fits_, ds, "fit plot",
          [&](std::ostream& os) { write_fit_plot(os, d); });
  }
}

}  // namespace mx
