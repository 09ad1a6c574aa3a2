#include "app/result_files.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "analysis/lumped_cascade.h"
#include "app/coax_lines.h"
#include "app/options.h"
#include "base/units.h"
#include "export/circuit_writer.h"
#include "export/csv.h"
#include "export/em_model.h"
#include "export/envelope_plot.h"
#include "export/filter_drawing.h"
#include "export/picture_text.h"
#include "export/response_plot.h"
#include "export/spice_netlist.h"
#include "export/sweep_data.h"
#include "export/touchstone.h"
#include "synthesis/standard_values.h"
#include "tolerance/allocation.h"
#include "tolerance/allocation_report.h"
#include "tolerance/study.h"
#include "tolerance/study_report.h"

namespace mx {
namespace {

namespace fs = std::filesystem;

// The netlist of a synthesis sweeps from this fraction of FC1 (SPICE has no
// AC analysis at 0 Hz) to kSynthesisSpan x FC1.
constexpr float kSpiceSynthesisStart = 0.01f;

bool synthesized(const DesignRecord& ds) {
  return ds.control.origin == Origin::kElectricalSynthesis ||
         ds.control.origin == Origin::kDistributedSynthesis;
}

std::string response_name(Response r) {
  switch (r) {
    case Response::kButterworth:
      return "Butterworth";
    case Response::kBessel:
      return "Bessel";
    case Response::kLegendre:
      return "Legendre";
    case Response::kElliptic:
      return "elliptic";
    default:
      return "Chebyshev";
  }
}

// Chebyshev and elliptic ladders have a passband ripple.
bool rippled(Response r) { return r == Response::kChebyshev || r == Response::kElliptic; }

std::string configuration_name(Configuration c) {
  return c == Configuration::kDual ? "dual" : "standard";
}

SweepData sweep_data(const DesignRecord& ds, std::span<const SweepRow> rows,
                     std::optional<double> reference_ohm) {
  SweepData d;
  d.info.reference_ohm = reference_ohm.value_or(0.0);
  SweepInfo& i = d.info;
  i.program_version = kProgramVersion;
  i.coaxial = ds.control.option == Option::kDistributed;
  i.sections = ds.design.sections;
  const Configuration cfg = ds.control.configuration;
  if (synthesized(ds)) {
    i.response = response_name(ds.control.response);
    i.configuration = configuration_name(cfg);
    i.cutoff_mhz = ds.design.cutoff_mhz;
    if (rippled(ds.control.response)) i.ripple_db = ds.design.ripple_db;
  } else {
    i.response = "User-defined";
    if (!i.coaxial && (cfg == Configuration::kStandard || cfg == Configuration::kDual))
      i.configuration = configuration_name(cfg);
  }
  i.rs = ds.ports.rs;
  i.xs = ds.ports.xs;
  i.rl = ds.ports.rl;
  i.xl = ds.ports.xl;
  d.points.reserve(rows.size());
  for (const SweepRow& r : rows) {
    SweepPoint p;
    p.f_mhz = r.f_mhz;
    p.abcd = r.two_port.v;
    p.zin_re = r.figures.zin_re;
    p.zin_im = r.figures.zin_im;
    p.vswr = r.figures.vswr;
    p.loss_db = r.figures.loss_db;
    p.phase_deg = r.figures.phase_deg;
    p.delay_ns = r.delay_ns;
    p.return_loss_db = r.figures.return_loss_db;
    d.points.push_back(p);
  }
  return d;
}

// "7-section Chebyshev 0.1 dB low-pass, FC1 1000 MHz, Zo 50 ohm"
std::string design_title(const DesignRecord& ds) {
  std::ostringstream t;
  t << ds.design.sections << "-section " << response_name(ds.control.response);
  if (rippled(ds.control.response)) t << ' ' << ds.design.ripple_db << " dB";
  if (ds.control.response == Response::kElliptic)
    t << " / " << ds.design.stopband_db << " dB from " << ds.design.stopband_edge_mhz << " MHz";
  t << " low-pass, FC1 " << ds.design.cutoff_mhz << " MHz, Zo " << ds.design.system_impedance
    << " ohm";
  return t.str();
}

// "2026-07-09"
std::string iso_date(const LocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", std::clamp(t.year, 0, 9999),
                std::clamp(t.month, 0, 99), std::clamp(t.day, 0, 99));
  return text;
}

// The lines of a drawing or a full-wave model: source, sections 1..N, load.
template <typename Picture>
void set_lines(Picture& d, const CoaxFilterLines& lines) {
  auto line = [](const CoaxLineData& l) {
    return DrawingLine{l.outer, l.inner, l.er, l.zo, l.length};
  };
  d.source = line(lines.source);
  for (const CoaxLineData& l : lines.sections) d.sections.push_back(line(l));
  d.load = line(lines.load);
}

// The own tolerances (--tolerances) of each section of the synthesized filter in ds: its length
// "Lj", and the diameters of its line kind ("D high", "B low", ...). Empty without any.
std::vector<FilterDrawingData::StatedTolerances> stated_tolerances(
    const DesignRecord& ds, const std::vector<DimensionTolerance>& own) {
  std::vector<FilterDrawingData::StatedTolerances> out;
  if (own.empty()) return out;
  auto find = [&](const std::string& name) {
    for (const DimensionTolerance& t : own)
      if (t.dimension == name && !t.percent) return static_cast<float>(t.value);
    return NAN;
  };
  for (int j = 1; j <= ds.design.sections; ++j) {
    const std::string kind = capacitive_section(ds.control.configuration, j) ? "low" : "high";
    out.push_back({find("L" + std::to_string(j)), find("D " + kind), find("B " + kind)});
  }
  return out;
}

FilterDrawingData drawing_data(const DesignRecord& ds, const CoaxFilterLines& lines,
                               const RunOptions& options, bool corrected) {
  FilterDrawingData d;
  d.program_version = kProgramVersion;
  set_lines(d, lines);
  d.cutoff_mhz = ds.design.cutoff_mhz;
  d.ripple_db = rippled(ds.control.response) ? ds.design.ripple_db : 0.0f;
  d.response = response_name(ds.control.response);
  d.configuration = configuration_name(ds.control.configuration);
  d.length_tol_in = options.length_tol_in.value_or(kDefaultLengthTolIn);
  d.diameter_tol_in = options.diameter_tol_in.value_or(kDefaultDiameterTolIn);
  d.concentricity_in = options.concentricity_in.value_or(d.diameter_tol_in);
  d.stated = stated_tolerances(ds, options.own_tolerances);
  d.roughness_uin = ds.losses.roughness * kMega;
  d.resistivity_uohm_cm = ds.losses.resistivity * kCmPerInch * kMega;
  d.loss_tangent = ds.losses.loss_tangent;
  d.date = iso_date(ds.run_date);
  if (corrected)
    d.lengths_note = "Section lengths corrected to the full-wave (openEMS, " +
                     options.em_resolution +
                     " mesh) solution: -3 dB frequency and passband edge "
                     "within 0.05 % of the design's.";
  return d;
}

// The full-wave model of the filter `lines`: referred to the terminations of the analysis, or
// the system impedance after a synthesis, at the frequencies of the analysis, or 0 to 3 x FC1.
EmModelData em_model_data(const DesignRecord& ds, const CoaxFilterLines& lines) {
  EmModelData d;
  d.program_version = kProgramVersion;
  d.title = synthesized(ds)
                ? design_title(ds) + ", " + configuration_name(ds.control.configuration) +
                      " coaxial filter"
                : std::to_string(ds.design.sections) + "-section entered coaxial circuit";
  set_lines(d, lines);
  const Terminations t = study_terminations(ds);
  d.rs = t.rs;
  d.rl = t.rl;
  d.f_mhz = study_frequencies(ds);
  if (synthesized(ds)) {
    d.cutoff_mhz = ds.design.cutoff_mhz;
    if (rippled(ds.control.response)) d.ripple_db = ds.design.ripple_db;
  }
  return d;
}

}  // namespace

void ResultFiles::write(const fs::path& asked, int k, const DesignRecord& ds, const char* what,
                        const std::function<void(std::ostream&)>& body) {
  const fs::path path = numbered_name(asked, k);
  // The report file of the run is written by the reports; a result file of
  // the same name would destroy it (or be destroyed by it).
  std::error_code ec;
  const fs::path report =
      fs::weakly_canonical(workdir_ / std::string(ds.files.report.trimmed()), ec);
  const fs::path target = fs::weakly_canonical(fs::absolute(path, ec), ec);
  if (!ds.files.report.blank() && target == report) {
    err_ << "mandrelix: not written: \"" << path.string() << "\" is the report file\n";
    failed_ = true;
    return;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) body(file);
  file.close();
  if (!file) {
    err_ << "mandrelix: cannot write \"" << path.string() << "\"\n";
    failed_ = true;
    return;
  }
  err_ << "mandrelix: wrote " << what << " " << path.string() << '\n';
  written_.push_back(target);
}

bool ResultFiles::written(const Name20& report) const {
  if (report.blank() || written_.empty()) return false;
  std::error_code ec;
  const fs::path path = fs::weakly_canonical(workdir_ / std::string(report.trimmed()), ec);
  return std::find(written_.begin(), written_.end(), path) != written_.end();
}

void ResultFiles::em_model(const DesignRecord& ds, const CoaxFilterLines& lines) {
  if (!options_.em_model) return;
  ++em_models_;
  const EmModelData d = em_model_data(ds, lines);
  if (const auto refusal = em_model_refusal(d)) {
    err_ << "mandrelix: not written: \"" << numbered_name(*options_.em_model, em_models_).string()
         << "\": the filter cannot be modelled: " << *refusal << '\n';
    failed_ = true;
    return;
  }
  write(*options_.em_model, em_models_, ds, "full-wave model",
        [&](std::ostream& os) { write_em_model(os, d); });
}

namespace {

// The netlist of the lumped ladder of ds: after a synthesis driven from Zo
// into the ladder's own load over 0.01 to 3 x FC1, after an analysis with its
// terminations (a reactance, which no fixed element gives at every
// frequency, is refused) and sweep.
SpiceLadder spice_ladder(const DesignRecord& ds) {
  SpiceLadder s;
  s.program_version = kProgramVersion;
  const LumpedLadder l = lumped_ladder(ds);
  for (std::size_t k = 0; k < static_cast<std::size_t>(l.count); ++k)
    s.arms.push_back(SpiceArm{l.series[k], l.value[k], l.partner[k]});
  if (ds.control.function == Function::kSynthesis) {
    s.title = design_title(ds) + ", " + configuration_name(ds.control.configuration) + " circuit";
    s.rs = ds.design.system_impedance;
    s.rl = ds.control.configuration == Configuration::kDual ? ds.ladder.load_dual
                                                            : ds.ladder.load_standard;
    s.start_mhz = ds.design.cutoff_mhz * kSpiceSynthesisStart;
    s.stop_mhz = ds.design.cutoff_mhz * kSynthesisSpan;
    s.points = kSynthesisPoints;
  } else {
    s.title = std::to_string(ds.design.sections) + "-element entered lumped circuit";
    s.rs = ds.ports.xs == 0.0f ? ds.ports.rs : 0.0f;
    s.rl = ds.ports.xl == 0.0f ? ds.ports.rl : 0.0f;
    s.start_mhz = ds.sweep.start_mhz;
    s.stop_mhz = sweep_frequency(ds.sweep, ds.sweep.steps);
    s.points = ds.sweep.steps + 1;
  }
  return s;
}

}  // namespace

void ResultFiles::spice(const DesignRecord& ds) {
  if (!options_.spice || ds.control.option != Option::kElectrical) return;
  ++netlists_;
  const SpiceLadder s = spice_ladder(ds);
  if (const std::optional<std::string> refusal = spice_refusal(s)) {
    err_ << "mandrelix: not written: \"" << numbered_name(*options_.spice, netlists_).string()
         << "\": " << *refusal << '\n';
    failed_ = true;
    return;
  }
  write(*options_.spice, netlists_, ds, "SPICE netlist",
        [&](std::ostream& os) { write_spice_netlist(os, s); });
}

void ResultFiles::analysis(const DesignRecord& ds, std::span<const SweepRow> rows) {
  spice(ds);
  if (ds.control.option == Option::kDistributed)
    em_model(ds, ds.control.origin == Origin::kDistributedSynthesis ? synthesized_lines(ds)
                                                                    : entered_lines(ds));
  if (!options_.touchstone && !options_.csv && !options_.plot) return;
  ++analyses_;
  const SweepData data = sweep_data(ds, rows, options_.reference_ohm);
  if (options_.touchstone)
    write(*options_.touchstone, analyses_, ds, "S-parameters",
          [&](std::ostream& os) { write_touchstone(os, data); });
  if (options_.csv)
    write(*options_.csv, analyses_, ds, "sweep", [&](std::ostream& os) { write_csv(os, data); });
  if (options_.plot)
    write(*options_.plot, analyses_, ds, "response plot",
          [&](std::ostream& os) { write_response_plot(os, data); });
}

void ResultFiles::electrical_synthesis(const DesignRecord& ds) {
  spice(ds);
  if (!options_.save_circuit) return;
  ++syntheses_;
  LumpedCircuit c;
  const Configuration cfg = ds.control.configuration == Configuration::kDual
                                ? Configuration::kDual
                                : Configuration::kStandard;
  c.title = design_title(ds) + ", " + configuration_name(cfg) + " circuit";
  c.configuration = static_cast<int>(cfg);
  bool resonant = false;
  for (int j = 1; j <= ds.design.sections; ++j) {
    const bool shunt = capacitive_section(cfg, j);
    c.values.push_back(shunt ? ds.ladder.shunt_pf(j) : ds.ladder.series_nh(j));
    c.partners.push_back(shunt ? ds.ladder.trap_nh(j) : ds.ladder.tank_pf(j));
    if (c.partners.back() != 0.0f) resonant = true;
  }
  if (!resonant) c.partners.clear();
  write(*options_.save_circuit, syntheses_, ds, "lumped circuit",
        [&](std::ostream& os) { write_lumped_circuit(os, c); });
}

void ResultFiles::distributed_synthesis(const DesignRecord& ds, const SteppedLineResult& res,
                                        bool corrected) {
  if (res.code != Realizability::kDone) return;
  const Configuration cfg = ds.control.configuration;
  const CoaxFilterLines lines = synthesized_lines(ds);
  if (options_.save_circuit) {
    ++syntheses_;
    CoaxCircuit c;
    c.title = design_title(ds) + ", " + configuration_name(cfg) + " coaxial filter";
    auto line = [](const CoaxLineData& l) { return CoaxLine{l.outer, l.inner, l.er, l.length}; };
    c.source = line(lines.source);
    for (const CoaxLineData& l : lines.sections) c.sections.push_back(line(l));
    c.load = line(lines.load);
    write(*options_.save_circuit, syntheses_, ds, "coaxial circuit",
          [&](std::ostream& os) { write_coax_circuit(os, c); });
  }
  em_model(ds, lines);
  if (options_.drawing) {
    ++drawings_;
    const FilterDrawingData d = drawing_data(ds, lines, options_, corrected);
    std::string ext = options_.drawing->extension().string();
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const bool dxf = ext == ".dxf";
    write(*options_.drawing, drawings_, ds, "drawing", [&](std::ostream& os) {
      if (dxf)
        write_drawing_dxf(os, d);
      else
        write_drawing_svg(os, d);
    });
  }
}

namespace {

StudySettings study_settings(const RunOptions& o, int threads) {
  StudySettings s;
  if (o.trials) s.trials = *o.trials;
  if (o.random_state) s.random_state = *o.random_state;
  if (o.length_tol_in) s.length_tol_in = *o.length_tol_in;
  if (o.diameter_tol_in) s.diameter_tol_in = *o.diameter_tol_in;
  if (o.component_tol_pct) s.component_tol_pct = *o.component_tol_pct;
  s.spread = o.normal_errors ? Spread::kNormal : Spread::kUniform;
  if (o.pass_mhz && o.pass_db) {
    LossMask m;
    m.pass_mhz = *o.pass_mhz;
    m.pass_db = *o.pass_db;
    if (o.stop_mhz && o.stop_db) {
      m.stop_mhz = *o.stop_mhz;
      m.stop_db = *o.stop_db;
    }
    s.mask = m;
  }
  s.threads = threads;
  s.own_tolerances = o.own_tolerances;
  return s;
}

AllocationSettings allocation_settings(const RunOptions& o) {
  AllocationSettings a;
  if (o.target_yield_pct) a.target_pct = *o.target_yield_pct;
  if (o.finest_length_tol_in) a.finest_length_in = *o.finest_length_tol_in;
  if (o.finest_diameter_tol_in) a.finest_diameter_in = *o.finest_diameter_tol_in;
  if (o.cost_weights) std::tie(a.length_weight, a.diameter_weight) = *o.cost_weights;
  return a;
}

std::vector<double> widened(const std::vector<float>& v) { return {v.begin(), v.end()}; }

EnvelopeData envelope_data(const DesignRecord& ds, const StudyResult& r) {
  EnvelopeData d;
  d.title = synthesized(ds) ? "Tolerance envelope: " + design_title(ds)
                            : "Tolerance envelope of the " + r.circuit;
  std::ostringstream sub;
  sub << (synthesized(ds) ? r.circuit + ", " : std::string()) << r.trials << " trials";
  if (r.mask) sub << ", yield " << picture::fixed(r.yield.percent, 1) << " %";
  d.subtitle = sub.str();
  d.f_mhz = widened(r.f_mhz);
  d.nominal_db = widened(r.nominal_db);
  d.lowest_db = widened(r.lowest_db);
  d.highest_db = widened(r.highest_db);
  if (r.mask) {
    d.pass_mhz = r.mask->pass_mhz;
    d.pass_db = r.mask->pass_db;
    if (r.mask->stop_mhz) {
      d.stop_mhz = *r.mask->stop_mhz;
      d.stop_db = r.mask->stop_db;
    }
  }
  return d;
}

}  // namespace

void ResultFiles::tolerance_study(const DesignRecord& ds, const EndSteps& ends, int threads) {
  if (!options_.tolerance) return;
  ++studies_;
  StudySettings settings = study_settings(options_, threads);
  // Standard values come with their series' tolerance unless --component-tol says otherwise.
  if (const auto series = preferred_series(ds.design.snap_series);
      series && !options_.component_tol_pct)
    settings.component_tol_pct = series->tolerance_pct;
  const StudyResult r = run_tolerance_study(ds, ends, settings);
  if (!r.mask) err_ << "mandrelix: tolerance study " << studies_ << ": " << r.mask_note << '\n';
  for (const std::string& name : r.unmatched_tolerances)
    err_ << "mandrelix: tolerance study " << studies_ << ": this filter has no " << name
         << " (--tolerances); it is left out\n";
  const bool json = lower_extension(*options_.tolerance) == ".json";
  write(*options_.tolerance, studies_, ds, "tolerance study", [&](std::ostream& os) {
    if (json)
      write_study_json(os, r);
    else
      write_study_text(os, r);
  });
  if (options_.plot)
    write(envelope_name(*options_.plot), studies_, ds, "tolerance envelope",
          [&](std::ostream& os) { write_envelope_plot(os, envelope_data(ds, r)); });
  if (options_.allocate_tolerances) allocation(ds, ends, settings);
}

void ResultFiles::allocation(const DesignRecord& ds, const EndSteps& ends,
                             const StudySettings& settings) {
  const AllocationSettings a = allocation_settings(options_);
  StudySettings uniform = settings;
  uniform.own_tolerances.clear();  // the allocation chooses every tolerance
  const Allocation r = allocate_tolerances(ds, ends, uniform, a);
  if (!r.error.empty()) {
    err_ << "mandrelix: tolerance allocation " << studies_ << ": not written: " << r.error << '\n';
    failed_ = true;
    return;
  }
  write(*options_.allocate_tolerances, studies_, ds, "tolerance allocation",
        [&](std::ostream& os) { write_allocation_json(os, r, a); });
}

}  // namespace mx
